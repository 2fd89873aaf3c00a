// The VST classes with machines of our own making, linked in directly.
#include "plugin/Core.h"
#include "plugin/HostAdapter.h"
#include "plugin/OrbisAdapter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct SHostCallRecord {
    AEffect* Effect;
    VstInt32 Opcode, Index;
    VstIntPtr Value;
    void* Ptr;
    float Opt;
};

std::vector<SHostCallRecord>* Recorded = nullptr;
int HostRate = 44100;
// The machine's value of a property at the moment the host hears of its automation.
const double* Watched = nullptr;
double ValueWhenHostHeard = -1;

VstIntPtr VSTCALLBACK Record(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                             void* ptr, float opt);

// A machine with a note port first and a stereo pair after, journaling what reaches it.
class CNoteMachine : public CMachine {
public:
    explicit CNoteMachine(CHost* host, bool* destroyed = nullptr)
        : CMachine(host), Destroyed(destroyed) {
        PropertyCount = 4;
        Ports = new CPort*[3];
        Ports[0] = new CPort(host, this, PortControl | PortInput, "Notes");
        Ports[1] = new CPort(host, this, PortStereoAudioIn, "In");
        Ports[2] = new CPort(host, this, PortStereoAudioOut, "Out");
        PortCount = 3;
    }
    ~CNoteMachine() override {
        for (int i = 0; i < PortCount; i++)
            delete Ports[i];
        delete[] Ports;
        if (Destroyed) *Destroyed = true;
    }
    void Work() override {
        WorkCalls++;
        CAudioBuffer* in = Ports[1]->AudioBuffer;
        CAudioBuffer* out = Ports[2]->AudioBuffer;
        for (int i = 0; i < Block && i < out->Capacity(); i++) {
            out->Left[i] = in->Left[i] * 2;
            out->Right[i] = -in->Right[i];
        }
    }
    void SetSampleRate(int) override {}
    void SetBlockSamples(int frames) override {
        Block = frames;
        BlockCalls.push_back(frames);
    }
    bool IsSynth() override { return true; }
    double GetProperty(int index) override { return index >= 0 && index < 4 ? Values[index] : 0; }
    void SetProperty(int index, double value) override {
        if (index >= 0 && index < 4) Values[index] = value;
    }
    HWND CreateGUI(HWND) override { return reinterpret_cast<HWND>(0x1234); }
    void OnHideGUI() override { Hides++; }
    bool* Destroyed;
    int Block = 0, WorkCalls = 0, Hides = 0;
    double Values[4] = {};
    std::vector<int> BlockCalls;
};

VstIntPtr VSTCALLBACK Record(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                             void* ptr, float opt) {
    if (Recorded) Recorded->push_back({e, opcode, index, value, ptr, opt});
    if (opcode == audioMasterAutomate && Watched) ValueWhenHostHeard = Watched[index];
    if (opcode == audioMasterGetSampleRate) return HostRate;
    if (opcode == audioMasterGetBlockSize) return 64;
    return 0;
}

struct SAdapterFixture : ::testing::Test {
    SAdapterFixture() : Host(Record) {
        Recorded = &Calls;
        Machine = new CNoteMachine(&Host, &Destroyed);
        Adapter = new COrbisAdapter(Machine, Record, 0x1234);
    }
    ~SAdapterFixture() override {
        if (Adapter)
            Adapter->getAeffect()->dispatcher(Adapter->getAeffect(), effClose, 0, 0, nullptr, 0);
        Recorded = nullptr;
    }
    std::vector<SHostCallRecord> Calls;
    CHostAdapter Host;
    bool Destroyed = false;
    CNoteMachine* Machine;
    COrbisAdapter* Adapter;
};

VstMidiEvent Midi(int status, int data1, int data2, int delta) {
    VstMidiEvent m{};
    m.type = kVstMidiType;
    m.byteSize = sizeof m;
    m.deltaFrames = delta;
    m.midiData[0] = static_cast<char>(status);
    m.midiData[1] = static_cast<char>(data1);
    m.midiData[2] = static_cast<char>(data2);
    return m;
}

} // namespace

TEST_F(SAdapterFixture, RecordOfAnInstrument) {
    AEffect* e = Adapter->getAeffect();
    EXPECT_EQ(e->flags, 0x1111);
    EXPECT_EQ(e->numParams, 4);
    EXPECT_EQ(e->uniqueID, 0x1234);
    EXPECT_EQ(Machine->HostCookie, e);
    EXPECT_EQ(e->dispatcher(e, effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
}

TEST_F(SAdapterFixture, NotesBecomeControlMessages) {
    VstMidiEvent on = Midi(0x93, 60, 127, 5), silent = Midi(0x90, 61, 0, 7),
                 off = Midi(0x80, 62, 40, 9), other = Midi(0xB0, 7, 100, 1);
    VstEvent sysex{};
    sysex.type = 6;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[5];
    } list{5,
           0,
           {reinterpret_cast<VstEvent*>(&on), reinterpret_cast<VstEvent*>(&silent),
            reinterpret_cast<VstEvent*>(&off), reinterpret_cast<VstEvent*>(&other), &sysex}};
    AEffect* e = Adapter->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effProcessEvents, 0, 0, &list, 0), 1);
    CControlBuffer* notes = Machine->Ports[0]->ControlBuffer;
    ASSERT_EQ(notes->Count(), 3);
    SControlMessage m;
    ASSERT_TRUE(notes->Read(&m));
    EXPECT_EQ(m.Type, ControlNoteOn);
    EXPECT_EQ(m.Time, 5);
    EXPECT_EQ(m.Note, 60);
    EXPECT_NEAR(m.Velocity, 1.0, 1e-6);
    EXPECT_EQ(m.Frequency, 0.0) << "the VST host gives no note frequencies";
    ASSERT_TRUE(notes->Read(&m));
    EXPECT_EQ(m.Type, ControlNoteOff) << "velocity 0 is a note off";
    EXPECT_EQ(m.Note, 61);
    EXPECT_EQ(m.Velocity, 0.0);
    ASSERT_TRUE(notes->Read(&m));
    EXPECT_EQ(m.Type, ControlNoteOff);
    EXPECT_EQ(m.Time, 9);
}

TEST_F(SAdapterFixture, AutomationGoesToTheHostBeforeTheValue) {
    Watched = Machine->Values;
    Calls.clear();
    Adapter->setParameterAutomated(3, 0.25f);
    Watched = nullptr;
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Effect, Adapter->getAeffect());
    EXPECT_EQ(Calls[0].Opcode, audioMasterAutomate);
    EXPECT_EQ(Calls[0].Index, 3);
    EXPECT_EQ(Calls[0].Value, 0);
    EXPECT_EQ(Calls[0].Ptr, nullptr);
    EXPECT_EQ(Calls[0].Opt, 0.25f);
    EXPECT_EQ(ValueWhenHostHeard, 0.0) << "set only after the host was told";
    EXPECT_EQ(Machine->Values[3], 0.25);
}

TEST_F(SAdapterFixture, FrameCountRules) {
    AEffect* e = Adapter->getAeffect();
    std::vector<float> a(1024, 1.0f), b(1024, 1.0f), x(1024), y(1024);
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {x.data(), y.data()};
    e->processReplacing(e, in, out, 256);
    e->processReplacing(e, in, out, 256);
    EXPECT_EQ(Machine->BlockCalls, std::vector<int>({256}));
    e->dispatcher(e, effSetBlockSize, 0, 512, nullptr, 0);
    e->processReplacing(e, in, out, 256);
    EXPECT_EQ(Machine->BlockCalls, std::vector<int>({256, 512, 256}));
    EXPECT_EQ(x[255], 2.0f);
    EXPECT_EQ(y[0], -1.0f);
    e->processReplacing(e, in, out, 0);
    EXPECT_EQ(Machine->WorkCalls, 4) << "Work runs even for no frames";
    e->processReplacing(e, in, out, 1024); // more than the 512 announced
    EXPECT_EQ(x[1023], 2.0f);
    EXPECT_GE(Machine->Ports[2]->AudioBuffer->Capacity(), 1024);
}

TEST_F(SAdapterFixture, ClosingWithTheEditorOpenHidesItOnce) {
    AEffect* e = Adapter->getAeffect();
    e->dispatcher(e, effEditOpen, 0, 0, reinterpret_cast<void*>(0x99), 0);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0);
    Adapter = nullptr;
    EXPECT_TRUE(Destroyed);
}

TEST_F(SAdapterFixture, EditorCloseHidesThroughTheMachine) {
    AEffect* e = Adapter->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, reinterpret_cast<void*>(0x99), 0), 0);
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0);
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0);
    EXPECT_EQ(Machine->Hides, 1);
}

TEST(HostAdapter, FixedAnswersAndTheHostsOwn) {
    HostRate = 44100;
    CHostAdapter host(Record);
    EXPECT_EQ(host.GetSamplesPerTick(), 1378);
    HostRate = 48000;
    EXPECT_EQ(host.GetSamplesPerTick(), 1500);
    EXPECT_EQ(host.GetSampleRate(), 48000);
    EXPECT_EQ(host.GetBlockSamples(), 64);
    EXPECT_FALSE(host.Supports(SupportsBankServer));
    double frequency = 123.0;
    EXPECT_EQ(host.GetNoteFrequency(60, &frequency), 5);
    EXPECT_EQ(frequency, 123.0);
    EXPECT_EQ(host.RegisterMachineInfo(nullptr), 5);
    EXPECT_EQ(host.GetBPM(), 120.0);
    EXPECT_EQ(host.GetTPB(), 16.0);
    HostRate = 44100;
    CHostAdapter deaf(nullptr);
    EXPECT_EQ(deaf.GetSampleRate(), 0);
}

TEST(StringHelpers, FixedLayouts) {
    char text[16];
    auto f = [&](float v) {
        AudioEffect::float2string(v, text, 8);
        return std::string(text);
    };
    EXPECT_EQ(f(-0.25f), "-0.25000");
    EXPECT_EQ(f(0.5f), "0.500000");
    EXPECT_EQ(f(1234.5f), "1234.500");
    EXPECT_EQ(f(-1.5f), "-1.50000");
    EXPECT_EQ(f(1234567.0f), "1234567.");
    EXPECT_EQ(f(12345678.0f), "2345678.");
    EXPECT_EQ(f(100000000.0f), "Huge!");
    EXPECT_EQ(f(-10000000.0f), "Huge!");
    auto i = [&](int v) {
        AudioEffect::int2string(v, text, 8);
        return std::string(text);
    };
    EXPECT_EQ(i(0), "0");
    EXPECT_EQ(i(-42), "-42");
    EXPECT_EQ(i(100000000), "Huge!");
    EXPECT_EQ(i(99999999), "99999999");
    AudioEffect::dB2string(0.0f, text, 8);
    EXPECT_STREQ(text, "-oo");
    AudioEffect::dB2string(1.0f, text, 8);
    EXPECT_STREQ(text, "0.000000");
    // Bounded: four characters and a terminator at [4].
    std::memset(text, '#', sizeof text);
    AudioEffect::float2string(1234.5f, text, 4);
    EXPECT_STREQ(text, "1234");
    EXPECT_EQ(text[5], '#');
}
