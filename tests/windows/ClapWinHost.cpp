// The CLAP file's Windows DLL under Wine, as a Windows host loads it: clap_entry, the
// factory, an instance, the same fixed input as the VST 2 DLL (compared with the Linux
// build's output) and the editor's refusal without the host's timers.
//
//   winhostclap BMKestrel.clap REFERENCE_FOLDER
#include "clap/ClapApi.h"

#include <windows.h>

#include "tests/windows/WinCheck.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint32_t CLAP_ABI NoEvents(const clap_input_events_t*) {
    return 0;
}
const clap_event_header_t* CLAP_ABI NoEvent(const clap_input_events_t*, uint32_t) {
    return nullptr;
}
bool CLAP_ABI Refuse(const clap_output_events_t*, const clap_event_header_t*) {
    return false;
}
const void* CLAP_ABI NoExtension(const clap_host_t*, const char*) {
    return nullptr;
}
void CLAP_ABI Nothing(const clap_host_t*) {}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: winhostclap BMKestrel.clap REFERENCE_FOLDER\n");
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    Check(library != nullptr, "the file loads");
    if (!library) return 1;
    auto* entry = reinterpret_cast<const clap_plugin_entry_t*>(
        reinterpret_cast<void*>(GetProcAddress(library, "clap_entry")));
    Check(entry && entry->clap_version.major == 1 && entry->init(argv[1]),
          "clap_entry exported undecorated, version 1, init");
    if (!entry) return 1;
    auto* factory =
        static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    Check(factory && factory->get_plugin_count(factory) == 1 &&
              std::strcmp(factory->get_plugin_descriptor(factory, 0)->name, "BM Kestrel") == 0,
          "the factory's one plug-in");
    if (!factory) return 1;
    clap_host_t host{CLAP_VERSION, nullptr,     "winhost", "",      "",
                     "1",          NoExtension, Nothing,   Nothing, Nothing};
    const clap_plugin_t* plugin = factory->create_plugin(factory, &host, "com.brightmoor.kestrel");
    Check(plugin && plugin->init(plugin) && plugin->activate(plugin, 44100, 1, 256) &&
              plugin->start_processing(plugin),
          "an instance, active and processing");
    if (!plugin) return 1;
    const int frames = 20000;
    const std::vector<float> input = Input(frames);
    std::vector<float> output;
    clap_input_events_t in{nullptr, NoEvents, NoEvent};
    clap_output_events_t out{nullptr, Refuse};
    for (int at = 0; at < frames; at += 256) {
        const uint32_t n = frames - at < 256 ? frames - at : 256;
        std::vector<float> l(input.begin() + at, input.begin() + at + n), r = l;
        float* channels[2] = {l.data(), r.data()};
        clap_audio_buffer_t ib{}, ob{};
        ib.data32 = ob.data32 = channels;
        ib.channel_count = ob.channel_count = 2;
        clap_process_t p{};
        p.steady_time = at;
        p.frames_count = n;
        p.audio_inputs = &ib;
        p.audio_outputs = &ob;
        p.audio_inputs_count = p.audio_outputs_count = 1;
        p.in_events = &in;
        p.out_events = &out;
        plugin->process(plugin, &p);
        output.insert(output.end(), l.begin(), l.end());
    }
    CheckAgainstLinux(output, argv[2], "CLAP");
    auto* gui = static_cast<const clap_plugin_gui_t*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
    Check(gui && gui->is_api_supported(plugin, "win32", false) &&
              !gui->is_api_supported(plugin, "x11", false),
          "the editor is offered for win32 windows");
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    entry->deinit();
    std::printf("windows CLAP host: %d checks passed, %d failed\n", Passes, Failures);
    return Failures == 0 ? 0 : 1;
}
