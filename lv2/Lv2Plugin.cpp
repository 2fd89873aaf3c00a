// The reverb as an LV2 plug-in: two audio inputs, two audio outputs and the fourteen
// properties as control ports with the VST parameters' normalised values, so that the
// same values give the same samples in both formats.
#include "lv2/Lv2Ports.h"
#include "machine/FixedHost.h"
#include "reverb/Kestrel.h"

#include <lv2/core/lv2.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace {

struct SInstance {
    // Frames per Work: run() processes any n_samples in chunks of at most this many,
    // so it never needs a larger buffer than instantiate made.
    static constexpr int Chunk = 1024;

    SInstance(int rate) : Host(rate, Chunk), Machine(&Host, nullptr) {
        Machine.ResizeAudioPorts(Chunk);
        for (int i = 0; i < KestrelPropertyCount; i++)
            Last[i] = static_cast<float>(Machine.GetProperty(i));
    }

    CFixedHost Host; // instantiate's rate; the DSP side reports no automation
    CKestrel Machine;
    const float* Audio[4] = {}; // in left, in right, out left, out right
    const float* Controls[KestrelPropertyCount] = {};
    float Last[KestrelPropertyCount];
    int Block = 0; // frames of the machine's last Work
};

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const*) {
    try {
        // Truncated toward zero, as the VST shell does with its float rate.
        const int hz = rate > 0 && rate < 2147483520.0 ? static_cast<int>(rate) : 0;
        return new SInstance(hz);
    } catch (...) {
        return nullptr; // the host reports that the plug-in could not be made
    }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
    auto* self = static_cast<SInstance*>(handle);
    if (port < KestrelAudioPorts)
        self->Audio[port] = static_cast<const float*>(data);
    else if (port < KestrelAudioPorts + KestrelPropertyCount)
        self->Controls[port - KestrelAudioPorts] = static_cast<const float*>(data);
}

void Activate(LV2_Handle) {}

// Audio thread: allocates nothing, takes only the machine's lock (in Work).
void Run(LV2_Handle handle, uint32_t frames) {
    auto* self = static_cast<SInstance*>(handle);
    CKestrel& machine = self->Machine;
    for (int i = 0; i < KestrelPropertyCount; i++) {
        const float* control = self->Controls[i];
        // A changed value is a property change; NaN compares unequal and the machine
        // ignores it.
        if (control && *control != self->Last[i]) {
            self->Last[i] = *control;
            machine.SetProperty(i, static_cast<double>(*control));
        }
    }
    CAudioBuffer* in = machine.Ports[0]->AudioBuffer;
    CAudioBuffer* out = machine.Ports[1]->AudioBuffer;
    const float* inL = self->Audio[0];
    const float* inR = self->Audio[1];
    float* outL = const_cast<float*>(self->Audio[2]);
    float* outR = const_cast<float*>(self->Audio[3]);
    for (uint32_t at = 0; at < frames;) {
        const int n = static_cast<int>(std::min<uint32_t>(SInstance::Chunk, frames - at));
        // Inputs are read before outputs are written: a host may pass one buffer as both.
        for (int i = 0; i < n; i++) {
            in->Left[i] = inL ? static_cast<double>(inL[at + i]) : 0.0;
            in->Right[i] = inR ? static_cast<double>(inR[at + i]) : 0.0;
        }
        if (n != self->Block) {
            machine.SetBlockSamples(n);
            self->Block = n;
        }
        machine.Work();
        for (int i = 0; i < n; i++) {
            if (outL) outL[at + i] = static_cast<float>(out->Left[i]);
            if (outR) outR[at + i] = static_cast<float>(out->Right[i]);
        }
        at += static_cast<uint32_t>(n);
    }
}

void Deactivate(LV2_Handle) {}

void Cleanup(LV2_Handle handle) {
    delete static_cast<SInstance*>(handle);
}

const void* ExtensionData(const char*) {
    return nullptr;
}

const LV2_Descriptor Descriptor = {KestrelLv2Uri, Instantiate, ConnectPort, Activate,
                                   Run,           Deactivate,  Cleanup,     ExtensionData};

} // namespace

// any thread; no lock.
extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &Descriptor : nullptr;
}
