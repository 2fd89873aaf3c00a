#include "VstHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// The callback has no user pointer before the effect exists: the host being built
// is announced here (one at a time; the tool is single-threaded).
CVstHost* Building = nullptr;
int BuildingRate = 44100, BuildingBlock = 512;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    const size_t b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

} // namespace

CVstHost::CVstHost(const std::string& path, int sampleRate, int blockSize)
    : Library(nullptr), Plugin(nullptr), SampleRate(sampleRate), BlockSize(blockSize) {
    Library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Library) throw std::runtime_error("cannot load '" + path + "': " + dlerror());
    typedef AEffect* (*Entry)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(Library, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<Entry>(dlsym(Library, "main"));
    if (!entry) {
        dlclose(Library);
        throw std::runtime_error("'" + path +
                                 "' is not a VST 2.4 plug-in (no VSTPluginMain or main)");
    }
    Building = this;
    BuildingRate = sampleRate;
    BuildingBlock = blockSize;
    Plugin = entry(Callback);
    Building = nullptr;
    if (!Plugin || Plugin->magic != kEffectMagic) {
        Plugin = nullptr;
        throw std::runtime_error("'" + path + "' gave no VST 2.4 effect");
    }
    Plugin->user = this;
    if (!(Plugin->flags & effFlagsCanReplacing) || !Plugin->processReplacing)
        throw std::runtime_error("'" + path + "' cannot process replacing");
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effMainsChanged, 0, 1);
    Dispatch(effStartProcess);
    for (auto& s : Scratch)
        s.assign(blockSize, 0.0f);
}

CVstHost::~CVstHost() {
    if (Plugin) {
        Dispatch(effStopProcess);
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effClose);
    }
    // The library stays loaded: a plug-in may keep process-wide state alive.
}

VstIntPtr CVstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    return Plugin->dispatcher(Plugin, opcode, index, value, ptr, opt);
}

VstIntPtr VSTCALLBACK CVstHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr, void*, float opt) {
    CVstHost* host = effect && effect->user ? static_cast<CVstHost*>(effect->user) : Building;
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return host ? host->SampleRate : BuildingRate;
    case audioMasterGetBlockSize: return host ? host->BlockSize : BuildingBlock;
    case audioMasterAutomate:
        if (host) host->Automations.push_back({index, opt});
        return 0;
    case audioMasterGetCurrentProcessLevel: return 4; // offline
    default: return 0;
    }
}

std::vector<SParameterInfo> CVstHost::Parameters() {
    std::vector<SParameterInfo> list;
    for (int i = 0; i < Plugin->numParams; i++) {
        // Hosts hand out larger buffers than the interface's 8 bytes: some plug-ins overrun.
        char name[256] = "", display[256] = "", label[256] = "";
        Dispatch(effGetParamName, i, 0, name);
        Dispatch(effGetParamDisplay, i, 0, display);
        Dispatch(effGetParamLabel, i, 0, label);
        std::string shown = Trim(display);
        if (label[0]) shown += std::string(" ") + label;
        VstParameterProperties properties{};
        const bool named = Dispatch(effGetParameterProperties, i, 0, &properties) != 0;
        properties.label[sizeof properties.label - 1] = 0;
        const std::string full = named && properties.label[0] ? Trim(properties.label) : Trim(name);
        list.push_back({i, Trim(name), full, shown, Plugin->getParameter(Plugin, i)});
    }
    return list;
}

int CVstHost::FindParameter(const std::string& key) {
    if (!key.empty() && std::all_of(key.begin(), key.end(), ::isdigit)) {
        const long index = std::strtol(key.c_str(), nullptr, 10);
        if (index < 0 || index >= Plugin->numParams)
            throw std::runtime_error("no parameter " + key + " (the plug-in has " +
                                     std::to_string(Plugin->numParams) + ")");
        return static_cast<int>(index);
    }
    const std::string wanted = Lower(Trim(key));
    const std::vector<SParameterInfo> all = Parameters();
    auto matching = [&](auto fits) {
        std::vector<const SParameterInfo*> found;
        for (const auto& p : all)
            if (fits(p)) found.push_back(&p);
        return found;
    };
    std::vector<const SParameterInfo*> found =
        matching([&](const SParameterInfo& p) { return Lower(p.FullName) == wanted; });
    if (found.empty())
        found = matching([&](const SParameterInfo& p) { return Lower(p.Name) == wanted; });
    if (found.empty())
        found = matching([&](const SParameterInfo& p) {
            return !p.Name.empty() && wanted.compare(0, p.Name.size(), Lower(p.Name)) == 0;
        });
    if (found.size() == 1) return found[0]->Index;
    if (found.empty())
        throw std::runtime_error("unknown parameter '" + key + "' (see --list-params)");
    std::string which;
    for (const SParameterInfo* p : found)
        which += (which.empty() ? " " : ", ") + std::to_string(p->Index) + " (" + p->FullName + ")";
    throw std::runtime_error("parameter name '" + key + "' fits more than one:" + which +
                             "; use the index or the full name");
}

void CVstHost::SetParameter(int index, float value) {
    Plugin->setParameter(Plugin, index, value);
}

std::string CVstHost::VendorString() {
    char text[256] = "";
    Dispatch(effGetVendorString, 0, 0, text);
    return text;
}

void CVstHost::Process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
    for (int done = 0; done < frames;) {
        const int n = std::min(BlockSize, frames - done);
        std::copy(inL + done, inL + done + n, Scratch[0].begin());
        std::copy(inR + done, inR + done + n, Scratch[1].begin());
        float* in[2] = {Scratch[0].data(), Scratch[1].data()};
        float* out[2] = {Scratch[2].data(), Scratch[3].data()};
        Plugin->processReplacing(Plugin, in, out, n);
        std::copy(Scratch[2].begin(), Scratch[2].begin() + n, outL + done);
        std::copy(Scratch[3].begin(), Scratch[3].begin() + n, outR + done);
        done += n;
    }
}
