#include "plugin/HostAdapter.h"
#include "machine/Machine.h"

void CHostAdapter::SetPropertyAutomated(CMachine* machine, int index, double value) {
    Dispatch(static_cast<AEffect*>(machine ? machine->HostCookie : nullptr), audioMasterAutomate,
             index, 0, nullptr, static_cast<float>(value));
}

void CHostAdapter::BeginEdit(CMachine* machine, int index) {
    Dispatch(static_cast<AEffect*>(machine ? machine->HostCookie : nullptr), audioMasterBeginEdit,
             index, 0, nullptr, 0.0f);
}

void CHostAdapter::EndEdit(CMachine* machine, int index) {
    Dispatch(static_cast<AEffect*>(machine ? machine->HostCookie : nullptr), audioMasterEndEdit,
             index, 0, nullptr, 0.0f);
}

int CHostAdapter::GetSamplesPerTick() {
    // 60 / (ticks per beat × beats per minute) seconds per tick, in samples.
    return static_cast<int>(60.0 / (GetTPB() * GetBPM()) * GetSampleRate());
}

int CHostAdapter::GetSampleRate() {
    return static_cast<int>(Dispatch(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f));
}

int CHostAdapter::GetBlockSamples() {
    return static_cast<int>(Dispatch(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f));
}

VstIntPtr CHostAdapter::Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt) {
    return Callback ? Callback(effect, opcode, index, value, ptr, opt) : 0;
}
