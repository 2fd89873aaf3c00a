// The CLAP file's one export, its factory and its one plug-in's descriptor. Scanning
// hosts call these from any thread, never at once: constant tables, no window, nothing
// that waits.
#include "clap/ClapPlugin.h"
#include "plugin/FormatIds.h"

#include <cstring>
#include <mutex>

#if !defined(KESTREL_VERSION)
#error "the build names the version (clap/CMakeLists.txt)"
#endif

namespace {

const char* const Features[] = {"audio-effect", "reverb", "stereo", nullptr};

std::mutex EntryGuard;
int Entries = 0;

} // namespace

const clap_plugin_descriptor_t KestrelClapDescriptor = {
    CLAP_VERSION,
    KestrelClapId,
    KestrelProductName,
    KestrelVendor,
    "",
    "",
    "",
    KESTREL_VERSION,
    "A stereo room reverb: two sources and two listeners in a rectangular room",
    Features};

namespace {

uint32_t CLAP_ABI PluginCount(const clap_plugin_factory_t*) {
    return 1;
}

const clap_plugin_descriptor_t* CLAP_ABI Descriptor(const clap_plugin_factory_t*, uint32_t i) {
    return i == 0 ? &KestrelClapDescriptor : nullptr;
}

const clap_plugin_t* CLAP_ABI CreatePlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                           const char* id) {
    if (!host || !id || std::strcmp(id, KestrelClapId) != 0) return nullptr;
    if (host->clap_version.major < 1) return nullptr; // a development version
    try {
        return (new CClapPlugin(host))->Record(); // freed by its destroy
    } catch (...) {
        return nullptr;
    }
}

const clap_plugin_factory_t Factory = {PluginCount, Descriptor, CreatePlugin};

// Counted: a host and a wrapper in it may each init the same file.
bool CLAP_ABI Init(const char*) {
    std::lock_guard<std::mutex> lock(EntryGuard);
    Entries++;
    return true;
}

void CLAP_ABI Deinit() {
    std::lock_guard<std::mutex> lock(EntryGuard);
    if (Entries > 0) Entries--;
}

const void* CLAP_ABI GetFactory(const char* id) {
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &Factory : nullptr;
}

} // namespace

#if defined(_WIN32)
extern "C" __declspec(dllexport) const clap_plugin_entry_t clap_entry;
#else
extern "C" __attribute__((visibility("default"))) const clap_plugin_entry_t clap_entry;
#endif
extern "C" const clap_plugin_entry_t clap_entry = {CLAP_VERSION, Init, Deinit, GetFactory};
