// One CLAP instance of the reverb: the machine, its ports, parameters, state, latency and
// tail, and the editor. Threads as CLAP tags them:
//   main thread: init, destroy, activate, deactivate, the ports, parameter infos and
//     texts, state, the gui calls, timers and descriptors; the editor's gestures.
//   audio thread: start/stop processing, reset, process, and params flush while active;
//     they allocate nothing and wait for nothing.
// The editor's gestures reach the audio side through a queue of its own (one writer, the
// main thread; one reader, the audio thread; atomics, no lock) and go out to the host
// from process or a flush the plug-in asks for.
#pragma once

#include "clap/ClapApi.h"
#include "editor/ModelEditor.h"
#include "machine/FixedHost.h"
#include "plugin/BlockSplitter.h"
#include "plugin/EditorSession.h"
#include "reverb/Kestrel.h"

#include <atomic>
#include <memory>
#include <vector>

extern const clap_plugin_descriptor_t KestrelClapDescriptor;

class CClapPlugin final : private CKestrelEditorLink {
public:
    explicit CClapPlugin(const clap_host_t* host);
    const clap_plugin_t* Record() const { return &Plugin; }

private:
    static CClapPlugin* Of(const clap_plugin_t* plugin) {
        return static_cast<CClapPlugin*>(plugin->plugin_data);
    }
    // The record's functions, each guarded: no exception reaches the host.
    static bool CLAP_ABI Init(const clap_plugin_t* plugin);
    static void CLAP_ABI Destroy(const clap_plugin_t* plugin);
    static bool CLAP_ABI Activate(const clap_plugin_t* plugin, double rate, uint32_t minFrames,
                                  uint32_t maxFrames);
    static void CLAP_ABI Deactivate(const clap_plugin_t*) {}
    static bool CLAP_ABI StartProcessing(const clap_plugin_t*) { return true; }
    static void CLAP_ABI StopProcessing(const clap_plugin_t*) {}
    static void CLAP_ABI Reset(const clap_plugin_t*) {}
    static int32_t CLAP_ABI Process(const clap_plugin_t* plugin, const clap_process_t* process);
    static const void* CLAP_ABI GetExtension(const clap_plugin_t* plugin, const char* id);
    static void CLAP_ABI OnMainThread(const clap_plugin_t*) {}

    // Extensions (ClapExtensions.cpp).
    static const clap_plugin_audio_ports_t AudioPortsTable;
    static const clap_plugin_params_t ParamsTable;
    static const clap_plugin_state_t StateTable;
    static const clap_plugin_latency_t LatencyTable;
    static const clap_plugin_tail_t TailTable;
    static const clap_plugin_gui_t GuiTable;
    static const clap_plugin_timer_support_t TimerTable;
    static const clap_plugin_posix_fd_support_t FdTable;
    static void CLAP_ABI Flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                               const clap_output_events_t* out);

    // Audio thread: the parameter events of in, applied at their frames; then the
    // editor's queued gestures, out to the host.
    void Run(const clap_process_t* process);
    void Gather(const clap_input_events_t* in, uint32_t frames);
    void SendEdits(const clap_output_events_t* out);

    // The editor's link: the machine's values; gestures queued for the audio side.
    double GetValue(int index) override { return Machine->GetProperty(index); }
    void BeginEdit(int index) override;
    void PerformEdit(int index, double value) override;
    void EndEdit(int index) override;
    void Queue(uint16_t type, int index, double value);

public:
    // The editor (ClapGui.cpp), main thread.
    bool GuiSupported(const char* api, bool floating) const;
    bool GuiCreate(const char* api, bool floating);
    void GuiDestroy();
    bool GuiSetScale(double scale);
    bool GuiSetParent(const clap_window_t* window);
    void GuiServe();

private:
    int GetSampleRate() override { return Host.Rate; } // the link's: the activation's

    clap_plugin_t Plugin;
    const clap_host_t* HostRecord;
    const clap_host_params_t* HostParams = nullptr;
    const clap_host_gui_t* HostGui = nullptr;
    const clap_host_timer_support_t* HostTimers = nullptr;
    const clap_host_posix_fd_support_t* HostFds = nullptr;
    CFixedHost Host{48000, 1024}; // the machine's: the activation's rate and largest block
    std::unique_ptr<CKestrel> Machine;
    std::vector<SParameterPoint> Points; // reserved at init: process never grows it

    // The gesture queue: Head is written by the main thread, Tail by the audio thread.
    struct SEdit {
        uint16_t Type; // CLAP_EVENT_PARAM_GESTURE_BEGIN, _VALUE or _GESTURE_END
        int Index;
        double Value;
    };
    static constexpr uint32_t QueueSize = 1024;
    SEdit Edits[QueueSize];
    std::atomic<uint32_t> Head{0}, Tail{0};

    CEditorSession Session;
    bool GuiMade = false;
    clap_id Timer = CLAP_INVALID_ID;
    int Fd = -1;
};
