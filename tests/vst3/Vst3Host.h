// A VST 3 host for tests, from the same interface facts as the plug-in: loads the
// bundle's binary as hosts do (ModuleEntry, GetPluginFactory) and offers the host's
// objects a plug-in meets: streams, parameter changes, a component handler that records
// the edits, and a frame with a run loop that the test serves.
#pragma once

#include "vst3/Vst3Editing.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace Vst3Test {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Host objects live on the test's stack: counting is all they need.
template <typename Interface> struct SHostObject : Interface {
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (SameUid(iid, FUnknown_iid) || SameUid(iid, Id)) {
            *obj = static_cast<Interface*>(this);
            this->addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++Count; }
    uint32 PLUGIN_API release() override { return --Count; }
    explicit SHostObject(const SUid& id) : Id(id) {}
    SUid Id;
    uint32 Count = 1;
};

// A stream over bytes that delivers at most Piece bytes a read, as some hosts do.
struct SStream : SHostObject<IBStream> {
    SStream() : SHostObject(IBStream_iid) {}
    explicit SStream(std::vector<unsigned char> bytes) : SStream() { Bytes = std::move(bytes); }
    tresult PLUGIN_API read(void* buffer, int32 n, int32* got) override {
        const int32 k = std::max<int32>(0, std::min<int32>({n, Piece, static_cast<int32>(Bytes.size() - At)}));
        std::copy(Bytes.begin() + At, Bytes.begin() + At + k, static_cast<unsigned char*>(buffer));
        At += static_cast<size_t>(k);
        if (got) *got = k;
        return kResultOk;
    }
    tresult PLUGIN_API write(void* buffer, int32 n, int32* wrote) override {
        auto* b = static_cast<unsigned char*>(buffer);
        Bytes.insert(Bytes.end(), b, b + n);
        if (wrote) *wrote = n;
        return kResultOk;
    }
    tresult PLUGIN_API seek(int64 pos, int32, int64* result) override {
        At = static_cast<size_t>(pos);
        if (result) *result = pos;
        return kResultOk;
    }
    tresult PLUGIN_API tell(int64* pos) override {
        if (pos) *pos = static_cast<int64>(At);
        return kResultOk;
    }
    std::vector<unsigned char> Bytes;
    size_t At = 0;
    int32 Piece = 5;
};

struct SQueue : SHostObject<IParamValueQueue> {
    SQueue(ParamID id) : SHostObject(IParamValueQueue_iid), Id(id) {}
    ParamID PLUGIN_API getParameterId() override { return Id; }
    int32 PLUGIN_API getPointCount() override { return static_cast<int32>(Points.size()); }
    tresult PLUGIN_API getPoint(int32 i, int32& offset, ParamValue& value) override {
        if (i < 0 || i >= getPointCount()) return kInvalidArgument;
        offset = Points[i].first;
        value = Points[i].second;
        return kResultOk;
    }
    tresult PLUGIN_API addPoint(int32, ParamValue, int32&) override { return kResultFalse; }
    ParamID Id;
    std::vector<std::pair<int32, ParamValue>> Points;
};

struct SChanges : SHostObject<IParameterChanges> {
    SChanges() : SHostObject(IParameterChanges_iid) {}
    int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(Queues.size()); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 i) override {
        return i >= 0 && i < getParameterCount() ? &Queues[i] : nullptr;
    }
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID&, int32&) override {
        return nullptr;
    }
    void Add(ParamID id, int32 offset, double value) {
        for (SQueue& q : Queues)
            if (q.Id == id) return q.Points.push_back({offset, value});
        Queues.emplace_back(id);
        Queues.back().Points.push_back({offset, value});
    }
    std::vector<SQueue> Queues;
};

struct SHandler : SHostObject<IComponentHandler> {
    SHandler() : SHostObject(IComponentHandler_iid) {}
    tresult PLUGIN_API beginEdit(ParamID id) override {
        return Edits.push_back("begin " + std::to_string(id)), kResultOk;
    }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue) override {
        return Edits.push_back("perform " + std::to_string(id)), kResultOk;
    }
    tresult PLUGIN_API endEdit(ParamID id) override {
        return Edits.push_back("end " + std::to_string(id)), kResultOk;
    }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    std::vector<std::string> Edits;
};

// The frame and its run loop: handlers and timers wait here until the test serves them.
struct SRunLoop : SHostObject<Linux::IRunLoop> {
    SRunLoop() : SHostObject(Linux::IRunLoop_iid) {}
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* h, int fd) override {
        h->addRef();
        Handlers[h] = fd;
        return kResultOk;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* h) override {
        if (!Handlers.erase(h)) return kInvalidArgument;
        h->release();
        return kResultOk;
    }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* t, Linux::TimerInterval ms) override {
        t->addRef();
        Timers[t] = ms;
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* t) override {
        if (!Timers.erase(t)) return kInvalidArgument;
        t->release();
        return kResultOk;
    }
    std::map<Linux::IEventHandler*, int> Handlers;
    std::map<Linux::ITimerHandler*, Linux::TimerInterval> Timers;
};

struct SFrame : SHostObject<IPlugFrame> {
    SFrame() : SHostObject(IPlugFrame_iid) {}
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (SameUid(iid, Linux::IRunLoop_iid)) {
            *obj = static_cast<Linux::IRunLoop*>(&Loop);
            Loop.addRef();
            return kResultOk;
        }
        return SHostObject::queryInterface(iid, obj);
    }
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* rect) override {
        Resized.push_back(*rect);
        return view->onSize(rect);
    }
    SRunLoop Loop;
    std::vector<ViewRect> Resized;
};

#if !defined(_WIN32)
// The module, loaded once for the process as hosts keep it.
struct SModule {
    SModule() {
        Library = dlopen(KESTREL_VST3_BINARY, RTLD_NOW | RTLD_LOCAL);
        if (!Library) throw std::runtime_error(dlerror());
        auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(Library, "ModuleEntry"));
        auto factory = reinterpret_cast<IPluginFactory* (*)()>(dlsym(Library, "GetPluginFactory"));
        if (!entry || !factory || !entry(Library)) throw std::runtime_error("no module entry");
        Factory = factory();
    }
    template <typename T> T* Create(const SUid& cid, const SUid& iid) {
        void* obj = nullptr;
        if (Factory->createInstance(cid.Bytes, iid.Bytes, &obj) != kResultOk) return nullptr;
        return static_cast<T*>(obj);
    }
    void* Library = nullptr;
    IPluginFactory* Factory = nullptr;
};
#endif

} // namespace Vst3Test
