// The extensions' tables: audio ports, parameters, state, latency, tail. Each function
// names its thread as CLAP tags it; none lets an exception out.
#include "clap/ClapPlugin.h"
#include "plugin/PropertyState.h"

#include <cstdio>
#include <cstring>

namespace {

// main thread
uint32_t CLAP_ABI PortCount(const clap_plugin_t*, bool) {
    return 1;
}

// main thread: one stereo main port each way, 64-bit too, in place with its partner.
bool CLAP_ABI PortInfo(const clap_plugin_t*, uint32_t index, bool input,
                       clap_audio_port_info_t* info) {
    if (index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "%s", input ? "Line In" : "Line Out");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = 0;
    return true;
}

bool Known(clap_id id) {
    return id < static_cast<clap_id>(KestrelPropertyCount);
}

// main thread
uint32_t CLAP_ABI ParamCount(const clap_plugin_t*) {
    return KestrelPropertyCount;
}

// main thread: ids 0 … 13 in the VST 2 order, plain values 0 … 1 as there.
bool CLAP_ABI ParamInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
    if (!Known(index) || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    std::snprintf(info->name, sizeof info->name, "%s", KestrelPropertyNames[index]);
    info->min_value = 0.0;
    info->max_value = 1.0;
    info->default_value = CKestrel::DefaultValue(static_cast<int>(index));
    return true;
}

// Reading and writing whole streams, in as many pieces as they take.
bool ReadAll(const clap_istream_t* stream, std::vector<unsigned char>& bytes) {
    unsigned char chunk[4096];
    for (;;) {
        const int64_t got = stream->read(stream, chunk, sizeof chunk);
        if (got < 0 || got > static_cast<int64_t>(sizeof chunk)) return false;
        if (got == 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > (1u << 16)) return false; // no state of ours is that large
    }
}

bool WriteAll(const clap_ostream_t* stream, const std::vector<unsigned char>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const int64_t wrote = stream->write(stream, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

} // namespace

const clap_plugin_audio_ports_t CClapPlugin::AudioPortsTable = {PortCount, PortInfo};

const clap_plugin_params_t CClapPlugin::ParamsTable = {
    ParamCount,
    ParamInfo,
    // main thread
    [](const clap_plugin_t* plugin, clap_id id, double* value) -> bool {
        if (!Known(id) || !value) return false;
        *value = Of(plugin)->Machine->GetProperty(static_cast<int>(id));
        return true;
    },
    // main thread: the machine's display texts.
    [](const clap_plugin_t* plugin, clap_id id, double value, char* text,
       uint32_t capacity) -> bool {
        if (!Known(id) || !text || capacity == 0) return false;
        char display[MachineTextSize];
        CKestrel::FormatValue(static_cast<int>(id), value, Of(plugin)->Host.Rate, display);
        std::snprintf(text, capacity, "%s", display);
        return true;
    },
    // main thread: read back ("20m", "50%", "-3.00dB", "2000Hz").
    [](const clap_plugin_t* plugin, clap_id id, const char* text, double* value) -> bool {
        return Known(id) && value &&
               CKestrel::ParseValue(static_cast<int>(id), text, Of(plugin)->Host.Rate, value);
    },
    Flush,
};

// [active ? audio-thread : main-thread], never beside process: the same work, no audio.
void CLAP_ABI CClapPlugin::Flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                                 const clap_output_events_t* out) {
    try {
        CClapPlugin* self = Of(plugin);
        if (!self->Machine) return;
        self->Gather(in, 0);
        for (const SParameterPoint& p : self->Points)
            KestrelApplyPoint(*self->Machine, p.Index, p.Value);
        self->SendEdits(out);
    } catch (...) {
    }
}

const clap_plugin_state_t CClapPlugin::StateTable = {
    // main thread: the machine's property block.
    [](const clap_plugin_t* plugin, const clap_ostream_t* stream) -> bool {
        try {
            return stream && WriteAll(stream, KestrelWriteState(Of(plugin)->Machine.get()));
        } catch (...) {
            return false;
        }
    },
    // main thread, maybe while processing: the values are the machine's atomics. Bad
    // data changes nothing.
    [](const clap_plugin_t* plugin, const clap_istream_t* stream) -> bool {
        try {
            std::vector<unsigned char> bytes;
            return stream && ReadAll(stream, bytes) &&
                   KestrelReadState(Of(plugin)->Machine.get(), bytes.data(), bytes.size());
        } catch (...) {
            return false;
        }
    },
};

const clap_plugin_latency_t CClapPlugin::LatencyTable = {
    [](const clap_plugin_t*) -> uint32_t { return 0; },
};

const clap_plugin_tail_t CClapPlugin::TailTable = {
    // main or audio thread: the time the current settings take to fall 90 dB.
    [](const clap_plugin_t* plugin) -> uint32_t {
        const double samples = Of(plugin)->Machine->TailSamples();
        return samples > 0 && samples < 2147483647.0 ? static_cast<uint32_t>(samples) : 2147483647u;
    },
};
