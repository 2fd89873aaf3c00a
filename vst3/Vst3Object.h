// Reference counting and queryInterface for the plug-in's VST 3 objects: a new object
// holds one reference for whoever made it; the last release deletes it. Any thread.
#pragma once

#include "vst3/Vst3Base.h"

#include <atomic>

namespace KestrelVst3 {

using namespace Steinberg;

// How many of our objects are alive in the process (for tests that look for leaks).
std::atomic<int>& LiveObjects();

// Interface: the first of the object's interfaces, the one FUnknown answers with.
template <typename Interface> class CObject : public Interface {
public:
    CObject() { LiveObjects()++; }
    virtual ~CObject() { LiveObjects()--; }
    uint32 PLUGIN_API addRef() override { return ++Count; }
    uint32 PLUGIN_API release() override {
        const uint32 left = --Count;
        if (left == 0) delete this;
        return left;
    }

protected:
    // Answers iid with `as` when it is one of `ids`; the caller adds the reference.
    template <typename T> static bool Is(const TUID iid, const SUid& id, T* as, void** obj) {
        if (!SameUid(iid, id)) return false;
        *obj = as;
        return true;
    }
    tresult Found(void** obj) {
        addRef();
        (void)obj;
        return kResultOk;
    }
    static tresult NotFound(void** obj) {
        if (obj) *obj = nullptr;
        return kNoInterface;
    }

private:
    std::atomic<uint32> Count{1};
};

} // namespace KestrelVst3
