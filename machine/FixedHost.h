// A host that answers a machine with a sample rate and block size its owner sets and
// offers nothing else: for the format adapters that run a machine without a host of the
// framework's (LV2, VST 3, CLAP). No automation goes through it: those formats' editors
// report gestures their own way. Any thread; the owner sets the values before the
// machine is built or has its rate changed.
#pragma once

#include "machine/Host.h"

class CFixedHost final : public CHost {
public:
    CFixedHost(int rate, int block) : Rate(rate), Block(block) {}
    int RegisterMachineInfo(CMachineInfo*) override { return StatusNotOffered; }
    int GetNoteFrequency(unsigned int, double*) override { return StatusNotOffered; }
    int GetBankServer(CBankServer**) override { return StatusNotOffered; }
    void SetPropertyAutomated(CMachine*, int, double) override {}
    int GetSamplePosition() override { return 0; }
    double GetBPM() override { return 120.0; }
    double GetTPB() override { return 16.0; }
    int GetSamplesPerTick() override { return 0; }
    int GetSampleRate() override { return Rate; }
    int GetBlockSamples() override { return Block; }
    bool Supports(ESupports) override { return false; }
    int GetCPUFeatures() override { return 0; }

    int Rate;  // Hz
    int Block; // frames
};
