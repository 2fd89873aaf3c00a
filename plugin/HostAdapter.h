// The machine framework's CHost on top of a VST 2.4 host callback. One per process,
// shared by every machine: no state changes after construction, so any thread may call.
#pragma once

#include "machine/Host.h"
#include "plugin/VstInterface.h"

class CHostAdapter : public CHost {
public:
    explicit CHostAdapter(audioMasterCallback callback) : Callback(callback) {}
    virtual ~CHostAdapter() = default;

    int RegisterMachineInfo(CMachineInfo*) override { return StatusNotOffered; }
    int GetNoteFrequency(unsigned int, double*) override { return StatusNotOffered; }
    int GetBankServer(CBankServer**) override { return StatusNotOffered; }
    // Automation goes out with the machine's own effect record (its HostCookie).
    void SetPropertyAutomated(CMachine* machine, int index, double value) override;
    // audioMasterBeginEdit / audioMasterEndEdit, with the machine's effect record.
    void BeginEdit(CMachine* machine, int index) override;
    void EndEdit(CMachine* machine, int index) override;
    int GetSamplePosition() override { return 0; }
    double GetBPM() override { return 120.0; }
    double GetTPB() override { return 16.0; }
    int GetSamplesPerTick() override;
    // Asked with a null effect: the adapter does not know which instance asks.
    int GetSampleRate() override;
    int GetBlockSamples() override;
    bool Supports(ESupports) override { return false; }
    int GetCPUFeatures() override { return 0; }

    VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt);

private:
    audioMasterCallback Callback;
};
