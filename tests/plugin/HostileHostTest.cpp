// A host that does everything a host should not: odd block sizes, wild parameter
// values, bad samples, sample rates from nothing to far too much, unknown opcodes,
// null pointers. The plug-in must keep working and keep its output finite.
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct SStereoBlock {
    explicit SStereoBlock(int n) : L(n), R(n), OutL(n, 7.0f), OutR(n, 7.0f) {}
    float* In[2] = {nullptr, nullptr};
    float* Out[2] = {nullptr, nullptr};
    std::vector<float> L, R, OutL, OutR;
    void Bind() {
        In[0] = L.data();
        In[1] = R.data();
        Out[0] = OutL.data();
        Out[1] = OutR.data();
    }
};

std::vector<float> Noise(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<float> x(n);
    for (float& v : x)
        v = u(random);
    return x;
}

// Runs `input` through the effect in blocks of the given sizes, cycling through them.
std::vector<float> Through(AEffect* e, const std::vector<float>& input,
                           const std::vector<int>& sizes) {
    std::vector<float> output;
    size_t at = 0;
    for (size_t s = 0; at < input.size(); s++) {
        const int n =
            static_cast<int>(std::min<size_t>(sizes[s % sizes.size()], input.size() - at));
        SStereoBlock block(n);
        std::copy(input.begin() + at, input.begin() + at + n, block.L.begin());
        std::copy(input.begin() + at, input.begin() + at + n, block.R.begin());
        block.Bind();
        e->processReplacing(e, block.In, block.Out, n);
        output.insert(output.end(), block.OutL.begin(), block.OutL.end());
        at += n;
    }
    return output;
}

bool AllFinite(const std::vector<float>& x) {
    for (float v : x)
        if (!std::isfinite(v)) return false;
    return true;
}

struct SHostile : ::testing::Test {
    void SetUp() override {
        Effect = Host.Open();
        ASSERT_NE(Effect, nullptr);
    }
    void TearDown() override { Host.Close(Effect); }
    CPluginHost Host;
    AEffect* Effect = nullptr;
};

} // namespace

TEST_F(SHostile, AnyBlockSizeGivesTheSameOutput) {
    const auto input = Noise(20000, 1);
    AEffect* reference = Host.Open();
    const auto expected = Through(reference, input, {64});
    Host.Close(reference);
    Host.Dispatch(Effect, effSetBlockSize, 0, 512);
    const auto got = Through(Effect, input, {0, 1, 3, 17, 511, 513, 4096});
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); i++)
        ASSERT_EQ(got[i], expected[i]) << i;
}

TEST_F(SHostile, WildParametersAndBadSamples) {
    for (int p = 0; p < 14; p++)
        for (float v : {NAN, INFINITY, -INFINITY, -1.0f, 2.0f, 1e30f}) {
            Effect->setParameter(Effect, p, v);
            const float back = Effect->getParameter(Effect, p);
            EXPECT_TRUE(back >= 0.0f && back <= 1.0f) << p << " " << v;
        }
    const auto out = Through(Effect, Noise(44100, 2), {256});
    EXPECT_TRUE(AllFinite(out));
    auto input = Noise(4096, 3);
    input[100] = NAN;
    input[101] = INFINITY;
    const auto after = Through(Effect, input, {128});
    EXPECT_TRUE(AllFinite(after));
}

TEST_F(SHostile, SampleRatesFromNothingToFarTooMuch) {
    for (float rate : {0.0f, -1.0f, 8000.0f, 8013.0f, 8014.0f, 22050.0f, 44100.0f, 96000.0f,
                       192000.0f, 384000.0f, 2e9f, 1e12f, NAN}) {
        Host.Dispatch(Effect, effMainsChanged, 0, 0);
        Host.Dispatch(Effect, effSetSampleRate, 0, 0, nullptr, rate);
        Host.Dispatch(Effect, effMainsChanged, 0, 1);
        auto input = Noise(3000, 4);
        input[0] = 1.0f;
        const auto out = Through(Effect, input, {300});
        EXPECT_TRUE(AllFinite(out)) << rate;
        char display[8 + 16];
        std::memset(display, '#', sizeof display);
        Host.Dispatch(Effect, effGetParamDisplay, 12, 0, display);
        EXPECT_EQ(display[8], '#') << rate;
    }
}

TEST_F(SHostile, EventsOpcodesAndNullPointers) {
    EXPECT_EQ(Host.Dispatch(Effect, effProcessEvents, 0, 0, nullptr), 1);
    std::vector<char> storage(sizeof(VstEvents) + 1000 * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    events->numEvents = 0;
    EXPECT_EQ(Host.Dispatch(Effect, effProcessEvents, 0, 0, events), 1);
    std::vector<VstMidiEvent> notes(1000);
    for (int i = 0; i < 1000; i++) {
        notes[i].type = kVstMidiType;
        notes[i].byteSize = sizeof(VstMidiEvent);
        notes[i].deltaFrames = i % 512;
        notes[i].midiData[0] = static_cast<char>(i % 2 ? 0x80 : 0x90);
        notes[i].midiData[1] = static_cast<char>(i % 128);
        notes[i].midiData[2] = 100;
        events->events[i] = reinterpret_cast<VstEvent*>(&notes[i]);
    }
    events->numEvents = 1000;
    EXPECT_EQ(Host.Dispatch(Effect, effProcessEvents, 0, 0, events), 1);
    for (int opcode = 0; opcode <= 200; opcode++) {
        if (opcode == effClose) continue;
        Host.Dispatch(Effect, opcode, 0, 0, nullptr, 0.0f);
        Host.Dispatch(Effect, opcode, -1, -1, nullptr, NAN);
    }
    EXPECT_TRUE(AllFinite(Through(Effect, Noise(2048, 5), {256})));
    float* none[2] = {nullptr, nullptr};
    Effect->processReplacing(Effect, none, none, 64); // absent channels are silence
    Effect->processReplacing(Effect, nullptr, nullptr, 64);
}

TEST_F(SHostile, StringsAtTheInterfaceSizes) {
    struct {
        VstInt32 Opcode, Index;
        size_t Size;
    } calls[] = {{effGetParamName, 0, 8},           {effGetParamLabel, 0, 8},
                 {effGetParamDisplay, 13, 8},       {effGetProgramName, 0, 24},
                 {effGetProgramNameIndexed, 0, 24}, {effGetEffectName, 0, 32},
                 {effGetVendorString, 0, 64},       {effGetProductString, 0, 64}};
    for (const auto& c : calls)
        for (int index = -1; index < 20; index++) {
            std::vector<char> buffer(c.Size + 32, '#');
            Host.Dispatch(Effect, c.Opcode, c.Opcode == effGetProgramNameIndexed ? index : index, 0,
                          buffer.data() + 16);
            for (size_t i = 0; i < 16; i++) {
                ASSERT_EQ(buffer[i], '#') << c.Opcode << " wrote before its buffer";
                ASSERT_EQ(buffer[16 + c.Size + i], '#') << c.Opcode << " wrote past " << c.Size;
            }
        }
}

TEST_F(SHostile, ClosingWithTheEditorOpenWithoutADisplay) {
    // A parent of 0 (no X11 window): the editor lives headless, costs the sound nothing
    // while it is open, and goes with the effect.
    const auto input = Noise(4096, 4);
    AEffect* reference = Host.Open();
    const auto expected = Through(reference, input, {256});
    Host.Close(reference);
    Host.Dispatch(Effect, effEditOpen, 0, 0, nullptr);
    Effect->setParameter(Effect, 11, 0.5f); // Feedback at its default: a rebuild, the same sound
    Host.Dispatch(Effect, effEditIdle);
    EXPECT_EQ(Through(Effect, input, {256}), expected);
    Host.Dispatch(Effect, effEditIdle);
    Host.Dispatch(Effect, effClose);
    Effect = Host.Open(); // for TearDown
}

TEST(Lifetimes, ManyInstancesAndEditorsComeAndGo) {
    // Under AddressSanitizer's leak check (scripts/test) nothing of these may remain but
    // the process-wide core, which a global keeps on purpose.
    CPluginHost host;
    for (int i = 0; i < 1000; i++) {
        AEffect* e = host.Main(CPluginHost::Callback);
        ASSERT_NE(e, nullptr);
        e->dispatcher(e, effClose, 0, 0, nullptr, 0);
    }
    AEffect* e = host.Open();
    std::vector<float> in(64, 0.1f), out(64);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    for (int i = 0; i < 200; i++) {
        host.Dispatch(e, effEditOpen, 0, 0, nullptr); // no display: headless
        e->setParameter(e, i % 14, (i % 10) / 10.0f);
        e->processReplacing(e, ins, outs, 64);
        host.Dispatch(e, effEditIdle);
        host.Dispatch(e, effEditClose);
    }
    host.Close(e);
}
