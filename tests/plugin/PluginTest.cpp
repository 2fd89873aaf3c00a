// The plug-in as a host sees it: loaded from build/BMKestrel.so, driven through the
// exported entry point and the dispatcher only.
#include "reverb/Kestrel.h"
#include "support/FakeHost.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A buffer with guard bytes on both sides, to catch a write past the interface's size.
struct SGuarded {
    explicit SGuarded(size_t size) : Size(size), Bytes(size + 32, '#') {}
    char* Text() { return Bytes.data() + 16; }
    bool Intact() const {
        for (size_t i = 0; i < 16; i++)
            if (Bytes[i] != '#' || Bytes[16 + Size + i] != '#') return false;
        return true;
    }
    size_t Size;
    std::vector<char> Bytes;
};

std::string Text(CPluginHost& host, AEffect* e, VstInt32 opcode, VstInt32 index, size_t size,
                 VstIntPtr* answer = nullptr) {
    SGuarded buffer(size);
    buffer.Text()[0] = 0;
    const VstIntPtr result = host.Dispatch(e, opcode, index, 0, buffer.Text());
    if (answer) *answer = result;
    EXPECT_TRUE(buffer.Intact()) << "opcode " << opcode << " wrote outside its " << size
                                 << " bytes";
    return std::string(buffer.Text(), strnlen(buffer.Text(), size));
}

class Plugin : public ::testing::Test {
protected:
    void SetUp() override {
        Effect = Host.Open();
        ASSERT_NE(Effect, nullptr);
    }
    void TearDown() override {
        if (Effect) Host.Close(Effect);
    }
    CPluginHost Host;
    AEffect* Effect = nullptr;
};

} // namespace

TEST_F(Plugin, TheEffectRecord) {
    EXPECT_EQ(Effect->magic, CCONST('V', 's', 't', 'P'));
    EXPECT_EQ(Effect->uniqueID, CCONST('B', 'M', 'K', 'S'));
    EXPECT_EQ(Effect->flags, 0x1011);
    EXPECT_EQ(Effect->numParams, 14);
    EXPECT_EQ(Effect->numPrograms, 0);
    EXPECT_EQ(Effect->numInputs, 2);
    EXPECT_EQ(Effect->numOutputs, 2);
    EXPECT_EQ(Effect->version, KESTREL_VST2_VERSION) << "the project's version, 1.2.0 as 1200";
    EXPECT_EQ(Effect->ioRatio, 1.0f);
    for (char c : Effect->future)
        EXPECT_EQ(c, 0);
    for (const char* name : {"MAIN", "main"}) {
        auto entry = reinterpret_cast<CPluginHost::Entry>(Host.Symbol(name));
        ASSERT_NE(entry, nullptr) << name;
        AEffect* other = Host.Open(entry);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->uniqueID, CCONST('B', 'M', 'K', 'S'));
        EXPECT_NE(other, Effect);
        Host.Close(other);
    }
}

TEST_F(Plugin, StringsAreCutToTheInterfaceSizes) {
    EXPECT_EQ(Text(Host, Effect, effGetParamName, 8, 8), "Room Wi");
    EXPECT_EQ(Text(Host, Effect, effGetParamName, 0, 8), "Src Lef");
    EXPECT_EQ(Text(Host, Effect, effGetParamName, 1, 8), "Src Lef");
    EXPECT_EQ(Text(Host, Effect, effGetParamName, 13, 8), "Gain");
    EXPECT_EQ(Text(Host, Effect, effGetParamName, 99, 8), "");
    EXPECT_EQ(Text(Host, Effect, effGetParamLabel, 3, 8), "");
    EXPECT_EQ(Text(Host, Effect, effGetParamDisplay, 8, 8), "10m");
    EXPECT_EQ(Text(Host, Effect, effGetParamDisplay, 12, 8), "11025Hz");
    EXPECT_EQ(Text(Host, Effect, effGetParamDisplay, 13, 8), "2.00dB");
    EXPECT_EQ(Text(Host, Effect, effGetParamDisplay, 0, 8), "20%");
    VstIntPtr answer = -1;
    EXPECT_EQ(Text(Host, Effect, effGetVendorString, 0, 64, &answer), "Brightmoor");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(Text(Host, Effect, effGetProductString, 0, 64, &answer), "");
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(Text(Host, Effect, effGetEffectName, 0, 32, &answer), "");
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(Text(Host, Effect, effGetProgramName, 0, 24), "");
    EXPECT_EQ(Text(Host, Effect, effGetProgramNameIndexed, 0, 24, &answer), "");
    EXPECT_EQ(answer, 1);
    // A program name longer than the interface allows is read only as far as 24 bytes.
    char longName[64];
    std::memset(longName, 'x', sizeof longName);
    Host.Dispatch(Effect, effSetProgramName, 0, 0, longName);
}

TEST_F(Plugin, OpcodeAnswers) {
    EXPECT_EQ(Host.Dispatch(Effect, effIdentify), CCONST('N', 'v', 'E', 'f'));
    EXPECT_EQ(Host.Dispatch(Effect, effGetVstVersion), 2400);
    EXPECT_EQ(Host.Dispatch(Effect, effGetPlugCategory), 0);
    EXPECT_EQ(Host.Dispatch(Effect, effGetProgram), 0);
    Host.Dispatch(Effect, effSetProgram, 0, 3);
    EXPECT_EQ(Host.Dispatch(Effect, effGetProgram), 0);
    char canDo[] = "receiveVstMidiEvent";
    EXPECT_EQ(Host.Dispatch(Effect, effCanDo, 0, 0, canDo), 0);
    EXPECT_EQ(Host.Dispatch(Effect, effGetTailSize), 0);
    EXPECT_EQ(Host.Dispatch(Effect, effGetChunk, 0, 0, nullptr), 0);
    EXPECT_EQ(Host.Dispatch(Effect, effBeginSetProgram), 1);
    EXPECT_EQ(Host.Dispatch(Effect, effEndSetProgram), 1);
    EXPECT_EQ(Host.Dispatch(Effect, effBeginLoadBank, 0, 0, nullptr), 0);
    VstPatchChunkInfo info{};
    EXPECT_EQ(Host.Dispatch(Effect, effBeginLoadBank, 0, 0, &info), 1);
    EXPECT_EQ(Host.Dispatch(Effect, 200), 0);
    ERect* rect = nullptr;
    EXPECT_EQ(Host.Dispatch(Effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 430);
    // The rate travels as the float argument, the block size as the value.
    EXPECT_EQ(Host.Dispatch(Effect, effSetBlockSizeAndSampleRate, 0, 64, nullptr, 48000.0f), 0);
    EXPECT_EQ(Text(Host, Effect, effGetParamDisplay, 12, 8), "12000Hz");
    // No host was asked for MIDI: the reverb is no synth and receives none.
    for (const SHostCall& call : Host.Calls)
        EXPECT_NE(call.Opcode, audioMasterWantMidi);
}

TEST_F(Plugin, HostsAreToldEveryParameterAutomatesAndItsFullName) {
    for (int index = -1; index <= 14; index++)
        EXPECT_EQ(Host.Dispatch(Effect, effCanBeAutomated, index), index >= 0 && index < 14)
            << index;
    VstParameterProperties properties;
    std::memset(&properties, 0x55, sizeof properties);
    ASSERT_EQ(Host.Dispatch(Effect, effGetParameterProperties, 1, 0, &properties), 1);
    EXPECT_STREQ(properties.label, "Src Left Y");
    EXPECT_STREQ(properties.shortLabel, "Src Lef");
    EXPECT_EQ(properties.flags, 0);
    EXPECT_EQ(Host.Dispatch(Effect, effGetParameterProperties, 14, 0, &properties), 0);
}

TEST_F(Plugin, ParametersRoundTripAndAreLimited) {
    Effect->setParameter(Effect, 8, 0.5f);
    EXPECT_EQ(Effect->getParameter(Effect, 8), 0.5f);
    EXPECT_EQ(Text(Host, Effect, effGetParamDisplay, 8, 8), "20m");
    Effect->setParameter(Effect, 8, 2.0f);
    EXPECT_EQ(Effect->getParameter(Effect, 8), 1.0f);
    Effect->setParameter(Effect, 8, NAN);
    EXPECT_EQ(Effect->getParameter(Effect, 8), 1.0f);
    Effect->setParameter(Effect, 30, 0.5f);
    EXPECT_EQ(Effect->getParameter(Effect, 30), 0.0f);
}

TEST_F(Plugin, ProcessingEqualsTheMachineItself) {
    // The same machine built directly, with the same rate and block size.
    CFakeHost fake;
    fake.SampleRate = Host.SampleRate;
    fake.BlockSamples = Host.BlockSize;
    CKestrel machine(&fake, nullptr);
    AEffect* twin = Host.Open(); // a second instance for the double path
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-1, 1);
    const int frames = 300;
    for (int block = 0; block < 8; block++) {
        std::vector<float> inL(frames), inR(frames), outL(frames, 9), outR(frames, 9);
        std::vector<double> dinL(frames), dinR(frames), doutL(frames), doutR(frames);
        for (int i = 0; i < frames; i++) {
            inL[i] = noise(random);
            inR[i] = noise(random);
            dinL[i] = inL[i];
            dinR[i] = inR[i];
        }
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        Effect->processReplacing(Effect, in, out, frames);
        double* din[2] = {dinL.data(), dinR.data()};
        double* dout[2] = {doutL.data(), doutR.data()};
        twin->processDoubleReplacing(twin, din, dout, frames);

        machine.SetBlockSamples(frames);
        for (int i = 0; i < frames; i++) {
            machine.Ports[0]->AudioBuffer->Left[i] = dinL[i];
            machine.Ports[0]->AudioBuffer->Right[i] = dinR[i];
        }
        machine.Work();
        for (int i = 0; i < frames; i++) {
            const double l = machine.Ports[1]->AudioBuffer->Left[i];
            const double r = machine.Ports[1]->AudioBuffer->Right[i];
            ASSERT_EQ(outL[i], static_cast<float>(l)) << block << " " << i;
            ASSERT_EQ(outR[i], static_cast<float>(r)) << block << " " << i;
            ASSERT_EQ(doutL[i], l);
            ASSERT_EQ(doutR[i], r);
        }
    }
    Host.Close(twin);
}

TEST_F(Plugin, ABlockLargerThanAnnouncedGrowsTheBuffers) {
    std::vector<float> inL(4096, 0.0f), inR(4096, 0.0f), outL(4096, 9), outR(4096, 9);
    inL[0] = 1.0f;
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    Effect->processReplacing(Effect, in, out, 4096); // announced 512
    EXPECT_EQ(outL[644], 0.333f);
    EXPECT_EQ(outL[0], 0.0f);
    Effect->processReplacing(Effect, in, out, 0);
    Effect->processReplacing(Effect, in, out, -5);
    EXPECT_EQ(outL[644], 0.333f) << "nothing written for no frames";
}

TEST_F(Plugin, InstancesShareOneCore) {
    struct SCoreView {
        int Features;
        void* Pictures[6];
    };
    auto** core = static_cast<SCoreView**>(Host.Symbol("Core"));
    ASSERT_NE(core, nullptr);
    ASSERT_NE(*core, nullptr);
    SCoreView* first = *core;
    const SCoreView before = **core;
    AEffect* second = Host.Open();
    EXPECT_EQ(*core, first);
    const SCoreView after = **core;
    EXPECT_EQ(std::memcmp(before.Pictures, after.Pictures, sizeof before.Pictures), 0);
    Host.Close(second);
    Host.Close(Effect);
    Effect = nullptr;
    EXPECT_NE(*core, nullptr) << "the core outlives every instance";
    Effect = Host.Open();
    EXPECT_EQ(std::memcmp(before.Pictures, (**core).Pictures, sizeof before.Pictures), 0);
}

TEST_F(Plugin, NoteEventsAreDroppedByTheReverb) {
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(Host.Dispatch(Effect, effProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(Host.Dispatch(Effect, effProcessEvents, 0, 0, nullptr), 1);
    events.numEvents = 0;
    EXPECT_EQ(Host.Dispatch(Effect, effProcessEvents, 0, 0, &events), 1);
}
