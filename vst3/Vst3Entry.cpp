// The VST 3 module: its entry points and the factory of its two classes, the processor
// (an audio effect) and its controller. Scanning hosts call these on the UI thread; the
// answers come from constant tables, with no thread, window or allocation but the
// objects asked for.
#include "plugin/FormatIds.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Processor.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#if !defined(KESTREL_VST3_VERSION)
#error "the build names the version (vst3/CMakeLists.txt)"
#endif

namespace KestrelVst3 {

std::atomic<int>& LiveObjects() {
    static std::atomic<int> live{0};
    return live;
}

namespace {

constexpr const char* SdkVersion = "VST 3.7.14";

struct SClass {
    const SUid* Id;
    const char* Category;
    uint32 Flags;
    const char* SubCategories;
};
const SClass Classes[2] = {
    // The halves share nothing but what the host passes: distributable.
    {&KestrelVst3Processor, "Audio Module Class", 1, "Fx|Reverb|Stereo"},
    {&KestrelVst3Controller, "Component Controller Class", 0, ""},
};

template <size_t N> void Copy(char (&to)[N], const char* from) {
    std::snprintf(to, N, "%s", from);
}
template <size_t N> void Copy(char16 (&to)[N], const char* from) {
    size_t i = 0;
    for (; from[i] && i + 1 < N; i++)
        to[i] = static_cast<char16>(from[i]);
    to[i] = 0;
}

class CFactory final : public IPluginFactory3 {
public:
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (!obj) return kInvalidArgument;
        if (SameUid(iid, FUnknown_iid) || SameUid(iid, IPluginFactory_iid) ||
            SameUid(iid, IPluginFactory2_iid) || SameUid(iid, IPluginFactory3_iid)) {
            *obj = this;
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    // The factory lives as long as the module: its count only says who holds it.
    uint32 PLUGIN_API addRef() override { return ++Count; }
    uint32 PLUGIN_API release() override { return Count > 0 ? --Count : 0; }

    tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
        if (!info) return kInvalidArgument;
        std::memset(info, 0, sizeof *info);
        Copy(info->vendor, KestrelVendor);
        info->flags = PFactoryInfo::kUnicode;
        return kResultOk;
    }
    int32 PLUGIN_API countClasses() override { return 2; }
    tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
        if (!info || index < 0 || index > 1) return kInvalidArgument;
        std::memset(info, 0, sizeof *info);
        std::memcpy(info->cid, Classes[index].Id->Bytes, 16);
        info->cardinality = PClassInfo::kManyInstances;
        Copy(info->category, Classes[index].Category);
        Copy(info->name, KestrelProductName);
        return kResultOk;
    }
    tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
        return Fill(index, info);
    }
    tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
        return Fill(index, info);
    }
    tresult PLUGIN_API setHostContext(FUnknown*) override { return kResultOk; }

    tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
        if (!obj) return kInvalidArgument;
        *obj = nullptr;
        if (!cid || !iid) return kInvalidArgument;
        try {
            FUnknown* made = nullptr;
            if (SameUid(cid, KestrelVst3Processor))
                made = static_cast<IComponent*>(new CProcessor);
            else if (SameUid(cid, KestrelVst3Controller))
                made = static_cast<IEditController*>(new CController);
            else
                return kInvalidArgument;
            // The asked-for interface holds the new object's one reference.
            const tresult found = made->queryInterface(iid, obj);
            made->release();
            return found;
        } catch (...) {
            return kOutOfMemory;
        }
    }

private:
    // The second and the Unicode form: the same fields, in chars or UTF-16.
    template <typename Info> static tresult Fill(int32 index, Info* info) {
        if (!info || index < 0 || index > 1) return kInvalidArgument;
        std::memset(info, 0, sizeof *info);
        std::memcpy(info->cid, Classes[index].Id->Bytes, 16);
        info->cardinality = PClassInfo::kManyInstances;
        Copy(info->category, Classes[index].Category);
        Copy(info->name, KestrelProductName);
        info->classFlags = Classes[index].Flags;
        Copy(info->subCategories, Classes[index].SubCategories);
        Copy(info->vendor, KestrelVendor);
        Copy(info->version, KESTREL_VST3_VERSION);
        Copy(info->sdkVersion, SdkVersion);
        return kResultOk;
    }

    std::atomic<uint32> Count{0};
};

CFactory Factory;
std::atomic<int> Entries{0};

} // namespace
} // namespace KestrelVst3

#if defined(_WIN32)
#define KESTREL_VST3_EXPORT extern "C" __declspec(dllexport)
#else
#define KESTREL_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

KESTREL_VST3_EXPORT Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
    KestrelVst3::Factory.addRef();
    return &KestrelVst3::Factory;
}

#if defined(_WIN32)
KESTREL_VST3_EXPORT bool InitDll() {
    KestrelVst3::Entries++;
    return true;
}
KESTREL_VST3_EXPORT bool ExitDll() {
    KestrelVst3::Entries--;
    return true;
}
#else
// Counted: hosts may enter and leave more than once. Nothing needs setting up.
KESTREL_VST3_EXPORT bool ModuleEntry(void*) {
    KestrelVst3::Entries++;
    return true;
}
KESTREL_VST3_EXPORT bool ModuleExit() {
    KestrelVst3::Entries--;
    return true;
}
#endif
