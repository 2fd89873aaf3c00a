// A CHost that answers like a plain host and records what machines tell it.
#pragma once

#include "machine/BankClient.h"
#include "machine/Host.h"

#include <string>
#include <vector>

struct SAutomation {
    CMachine* Machine;
    int Index;
    double Value;
};

class CFakeHost : public CHost {
public:
    int SampleRate = 44100;
    int BlockSamples = 256;
    CBankServer* BankServer = nullptr;
    int BankServerStatus = 0;
    std::vector<SAutomation> Automations;
    // Shared with test machines so that the order of host and machine calls shows.
    std::vector<std::string>* Journal = nullptr;

    int RegisterMachineInfo(CMachineInfo*) override { return StatusNotOffered; }
    int GetNoteFrequency(unsigned int, double*) override { return StatusNotOffered; }
    int GetBankServer(CBankServer** server) override {
        if (BankServerStatus == 0) *server = BankServer;
        return BankServerStatus;
    }
    void SetPropertyAutomated(CMachine* machine, int index, double value) override {
        Automations.push_back({machine, index, value});
        if (Journal) Journal->push_back("host " + std::to_string(index));
    }
    int GetSamplePosition() override { return 0; }
    double GetBPM() override { return 120.0; }
    double GetTPB() override { return 16.0; }
    int GetSamplesPerTick() override { return 0; }
    int GetSampleRate() override { return SampleRate; }
    int GetBlockSamples() override { return BlockSamples; }
    bool Supports(ESupports) override { return BankServer != nullptr; }
    int GetCPUFeatures() override { return 0; }
};
