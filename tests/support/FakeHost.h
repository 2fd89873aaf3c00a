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
    // Gestures and automation in the order they came: "begin 11", "set 11", "end 11".
    std::vector<std::string> Edits;
    bool ThrowOnAutomation = false; // a host whose callback throws
    // Shared with test machines so that the order of host and machine calls shows.
    std::vector<std::string>* Journal = nullptr;

    int RegisterMachineInfo(CMachineInfo*) override { return StatusNotOffered; }
    int GetNoteFrequency(unsigned int, double*) override { return StatusNotOffered; }
    int GetBankServer(CBankServer** server) override {
        if (BankServerStatus == 0) *server = BankServer;
        return BankServerStatus;
    }
    void SetPropertyAutomated(CMachine* machine, int index, double value) override {
        if (ThrowOnAutomation) throw "host failure";
        Automations.push_back({machine, index, value});
        Edits.push_back("set " + std::to_string(index));
        if (Journal) Journal->push_back("host " + std::to_string(index));
    }
    void BeginEdit(CMachine*, int index) override {
        Edits.push_back("begin " + std::to_string(index));
    }
    void EndEdit(CMachine*, int index) override { Edits.push_back("end " + std::to_string(index)); }
    int GetSamplePosition() override { return 0; }
    double GetBPM() override { return 120.0; }
    double GetTPB() override { return 16.0; }
    int GetSamplesPerTick() override { return 0; }
    int GetSampleRate() override { return SampleRate; }
    int GetBlockSamples() override { return BlockSamples; }
    bool Supports(ESupports) override { return BankServer != nullptr; }
    int GetCPUFeatures() override { return 0; }
};
