// The services a machine may ask of whatever hosts it. Status results are 0 for
// success and 5 for a service the host does not offer.
#pragma once

class CBankServer;
class CMachine;
class CMachineInfo;

enum ESupports { SupportsBankServer = 0 };

enum { StatusOk = 0, StatusAlreadyConnected = 1, StatusNotConnected = 4, StatusNotOffered = 5 };

class CHost {
public:
    virtual int RegisterMachineInfo(CMachineInfo* info) = 0;
    // Frequency in Hz of a MIDI note number, written through the pointer.
    virtual int GetNoteFrequency(unsigned int note, double* frequency) = 0;
    virtual int GetBankServer(CBankServer** server) = 0;
    // A user gesture changed a property: the host records it as automation.
    virtual void SetPropertyAutomated(CMachine* machine, int index, double value) = 0;
    // UI thread: a gesture on a property begins or ends (the user grabs a control, lets
    // go), so that hosts' touch and latch modes know. Hosts without them ignore them.
    virtual void BeginEdit(CMachine*, int) {}
    virtual void EndEdit(CMachine*, int) {}
    virtual int GetSamplePosition() = 0;
    virtual double GetBPM() = 0;
    virtual double GetTPB() = 0;
    virtual int GetSamplesPerTick() = 0;
    virtual int GetSampleRate() = 0;   // Hz
    virtual int GetBlockSamples() = 0; // frames
    virtual bool Supports(ESupports capability) = 0;
    virtual int GetCPUFeatures() = 0;

protected:
    ~CHost() = default;
};
