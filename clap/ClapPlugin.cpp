#include "clap/ClapPlugin.h"

#include <algorithm>
#include <cstring>

CClapPlugin::CClapPlugin(const clap_host_t* host) : Plugin{}, HostRecord(host), Edits{} {
    Plugin.desc = &KestrelClapDescriptor;
    Plugin.plugin_data = this;
    Plugin.init = Init;
    Plugin.destroy = Destroy;
    Plugin.activate = Activate;
    Plugin.deactivate = Deactivate;
    Plugin.start_processing = StartProcessing;
    Plugin.stop_processing = StopProcessing;
    Plugin.reset = Reset;
    Plugin.process = Process;
    Plugin.get_extension = GetExtension;
    Plugin.on_main_thread = OnMainThread;
}

bool CLAP_ABI CClapPlugin::Init(const clap_plugin_t* plugin) {
    try {
        CClapPlugin* self = Of(plugin);
        const clap_host_t* host = self->HostRecord;
        auto extension = [host](const char* id) {
            return host && host->get_extension ? host->get_extension(host, id) : nullptr;
        };
        self->HostParams = static_cast<const clap_host_params_t*>(extension(CLAP_EXT_PARAMS));
        self->HostGui = static_cast<const clap_host_gui_t*>(extension(CLAP_EXT_GUI));
        self->HostTimers =
            static_cast<const clap_host_timer_support_t*>(extension(CLAP_EXT_TIMER_SUPPORT));
        self->HostFds =
            static_cast<const clap_host_posix_fd_support_t*>(extension(CLAP_EXT_POSIX_FD_SUPPORT));
        self->Machine = std::make_unique<CKestrel>(&self->Host, nullptr);
        self->Machine->ResizeAudioPorts(self->Host.Block);
        self->Points.reserve(4096);
        return true;
    } catch (...) {
        return false;
    }
}

void CLAP_ABI CClapPlugin::Destroy(const clap_plugin_t* plugin) {
    CClapPlugin* self = Of(plugin);
    try {
        self->GuiDestroy();
    } catch (...) {
    }
    delete self;
}

bool CLAP_ABI CClapPlugin::Activate(const clap_plugin_t* plugin, double rate, uint32_t,
                                    uint32_t maxFrames) {
    try {
        CClapPlugin* self = Of(plugin);
        if (!self->Machine) return false;
        self->Host.Rate = rate > 0 && rate < 2147483520.0 ? static_cast<int>(rate) : 0;
        self->Host.Block = static_cast<int>(std::clamp<uint32_t>(maxFrames, 1, 1u << 20));
        self->Machine->SetSampleRate(self->Host.Rate);
        self->Machine->SetBlockSamples(self->Host.Block);
        self->Machine->ResizeAudioPorts(self->Host.Block);
        return true;
    } catch (...) {
        return false;
    }
}

int32_t CLAP_ABI CClapPlugin::Process(const clap_plugin_t* plugin, const clap_process_t* process) {
    try {
        CClapPlugin* self = Of(plugin);
        if (!process || !self->Machine) return CLAP_PROCESS_ERROR;
        self->Run(process);
        return CLAP_PROCESS_CONTINUE;
    } catch (...) {
        return CLAP_PROCESS_ERROR;
    }
}

void CClapPlugin::Gather(const clap_input_events_t* in, uint32_t frames) {
    Points.clear();
    const uint32_t count = in && in->size ? in->size(in) : 0;
    for (uint32_t k = 0; k < count; k++) {
        const clap_event_header_t* e = in->get(in, k);
        if (!e || e->space_id != CLAP_CORE_EVENT_SPACE_ID || e->type != CLAP_EVENT_PARAM_VALUE ||
            e->size < sizeof(clap_event_param_value_t))
            continue;
        const auto* v = reinterpret_cast<const clap_event_param_value_t*>(e);
        if (v->param_id >= static_cast<clap_id>(KestrelPropertyCount)) continue;
        const int offset = frames > 0 ? static_cast<int>(std::min(e->time, frames - 1)) : 0;
        const SParameterPoint point{offset, static_cast<int>(v->param_id), v->value};
        if (Points.size() < Points.capacity())
            Points.push_back(point);
        else
            Points.back() = point; // full: the latest word still counts
    }
    // Hosts send them in time order; a host that does not still gets them in order.
    KestrelSortPoints(Points.data(), static_cast<int>(Points.size()));
}

void CClapPlugin::Run(const clap_process_t* process) {
    const uint32_t frames = process->frames_count;
    Gather(process->in_events, frames);
    auto apply = [this](int index, double value) { KestrelApplyPoint(*Machine, index, value); };
    const bool audio = frames > 0 && process->audio_inputs_count > 0 &&
                       process->audio_outputs_count > 0 && process->audio_inputs &&
                       process->audio_outputs;
    if (!audio) {
        KestrelSplitBlock(Points.data(), static_cast<int>(Points.size()), 0, apply,
                          [](int, int) {});
    } else {
        const clap_audio_buffer_t& in = process->audio_inputs[0];
        clap_audio_buffer_t& out = process->audio_outputs[0];
        const bool doubles = out.data64 != nullptr && in.data64 != nullptr;
        KestrelSplitBlock(
            Points.data(), static_cast<int>(Points.size()), static_cast<int>(frames), apply,
            [&](int start, int n) {
                const int ins = static_cast<int>(in.channel_count);
                const int outs = static_cast<int>(out.channel_count);
                if (doubles)
                    KestrelRunPiece(*Machine, in.data64, ins, out.data64, outs, start, n);
                else
                    KestrelRunPiece(*Machine, in.data32, ins, out.data32, outs, start, n);
            });
        out.constant_mask = 0;
    }
    SendEdits(process->out_events);
}

void CClapPlugin::SendEdits(const clap_output_events_t* out) {
    uint32_t tail = Tail.load(std::memory_order_relaxed);
    const uint32_t head = Head.load(std::memory_order_acquire);
    for (; tail != head; tail++) {
        const SEdit& edit = Edits[tail % QueueSize];
        bool sent = true;
        if (edit.Type == CLAP_EVENT_PARAM_VALUE) {
            clap_event_param_value_t e{};
            e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE,
                        CLAP_EVENT_IS_LIVE};
            e.param_id = static_cast<clap_id>(edit.Index);
            e.note_id = -1;
            e.port_index = e.channel = e.key = -1;
            e.value = edit.Value;
            sent = out && out->try_push && out->try_push(out, &e.header);
        } else {
            clap_event_param_gesture_t e{};
            e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, edit.Type, CLAP_EVENT_IS_LIVE};
            e.param_id = static_cast<clap_id>(edit.Index);
            sent = out && out->try_push && out->try_push(out, &e.header);
        }
        if (!sent) break; // kept for the next call
    }
    Tail.store(tail, std::memory_order_release);
}

void CClapPlugin::Queue(uint16_t type, int index, double value) {
    const uint32_t head = Head.load(std::memory_order_relaxed);
    if (head - Tail.load(std::memory_order_acquire) >= QueueSize) return; // nobody drains
    Edits[head % QueueSize] = SEdit{type, index, value};
    Head.store(head + 1, std::memory_order_release);
    if (HostParams && HostParams->request_flush) HostParams->request_flush(HostRecord);
}

void CClapPlugin::BeginEdit(int index) {
    Queue(CLAP_EVENT_PARAM_GESTURE_BEGIN, index, 0);
}

void CClapPlugin::PerformEdit(int index, double value) {
    Machine->SetProperty(index, value); // lock-free: the next block takes it
    Queue(CLAP_EVENT_PARAM_VALUE, index, value);
}

void CClapPlugin::EndEdit(int index) {
    Queue(CLAP_EVENT_PARAM_GESTURE_END, index, 0);
}

const void* CLAP_ABI CClapPlugin::GetExtension(const clap_plugin_t* plugin, const char* id) {
    if (!id) return nullptr;
    (void)plugin;
    if (!std::strcmp(id, CLAP_EXT_AUDIO_PORTS)) return &AudioPortsTable;
    if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &ParamsTable;
    if (!std::strcmp(id, CLAP_EXT_STATE)) return &StateTable;
    if (!std::strcmp(id, CLAP_EXT_LATENCY)) return &LatencyTable;
    if (!std::strcmp(id, CLAP_EXT_TAIL)) return &TailTable;
    if (!std::strcmp(id, CLAP_EXT_GUI)) return &GuiTable;
    if (!std::strcmp(id, CLAP_EXT_TIMER_SUPPORT)) return &TimerTable;
    if (!std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT)) return &FdTable;
    return nullptr;
}
