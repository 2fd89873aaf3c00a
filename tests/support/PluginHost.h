// A minimal VST 2.4 host for tests: loads a plug-in with dlopen, talks to it only
// through its entry point and dispatcher, and records every call the plug-in makes.
#pragma once

#include "plugin/VstInterface.h"

#include <dlfcn.h>

#include <mutex>

#include <stdexcept>
#include <string>
#include <vector>

struct SHostCall {
    AEffect* Effect;
    VstInt32 Opcode;
    VstInt32 Index;
    VstIntPtr Value;
    void* Ptr;
    float Opt;
};

class CPluginHost {
public:
    explicit CPluginHost(const std::string& path = KESTREL_PLUGIN_PATH) {
        Library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!Library) throw std::runtime_error(dlerror());
        Main = reinterpret_cast<Entry>(dlsym(Library, "VSTPluginMain"));
        if (!Main) throw std::runtime_error("no VSTPluginMain");
        Current = this;
    }
    ~CPluginHost() {
        Current = nullptr;
        // The library stays loaded: its core lives for the process, as in a host.
    }

    typedef AEffect* (*Entry)(audioMasterCallback);

    AEffect* Open(Entry entry = nullptr) {
        AEffect* effect = (entry ? entry : Main)(Callback);
        if (effect) {
            Dispatch(effect, effOpen);
            Dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(SampleRate));
            Dispatch(effect, effSetBlockSize, 0, BlockSize);
            Dispatch(effect, effMainsChanged, 0, 1);
        }
        return effect;
    }

    VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0) {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }

    void Close(AEffect* e) {
        Dispatch(e, effMainsChanged, 0, 0);
        Dispatch(e, effClose);
    }

    void* Symbol(const char* name) { return dlsym(Library, name); }

    int SampleRate = 44100;
    int BlockSize = 512;
    std::vector<SHostCall> Calls; // every host call, from whatever thread made it
    std::mutex CallsGuard;
    void* Library;
    Entry Main;

    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt) {
        CPluginHost* host = Current;
        if (!host) return 0;
        {
            std::lock_guard<std::mutex> lock(host->CallsGuard);
            host->Calls.push_back({effect, opcode, index, value, ptr, opt});
        }
        switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterGetSampleRate: return host->SampleRate;
        case audioMasterGetBlockSize: return host->BlockSize;
        default: return 0;
        }
    }

    static inline CPluginHost* Current = nullptr;
};
