#include "reverb/Kestrel.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

struct SRun {
    std::vector<double> Left, Right;
};

// Runs blocks of `block` frames through Work, feeding in[i] (stereo) and collecting out.
SRun Render(CKestrel& k, const std::vector<double>& inL, const std::vector<double>& inR,
            int block) {
    SRun run;
    if (k.Ports[0]->AudioBuffer->Capacity() < block) k.ResizeAudioPorts(block);
    CAudioBuffer* in = k.Ports[0]->AudioBuffer;
    CAudioBuffer* out = k.Ports[1]->AudioBuffer;
    for (size_t start = 0; start < inL.size(); start += block) {
        const int n = static_cast<int>(std::min<size_t>(block, inL.size() - start));
        k.SetBlockSamples(n);
        for (int i = 0; i < n; i++) {
            in->Left[i] = inL[start + i];
            in->Right[i] = inR[start + i];
        }
        k.Work();
        for (int i = 0; i < n; i++) {
            run.Left.push_back(out->Left[i]);
            run.Right.push_back(out->Right[i]);
        }
    }
    return run;
}

std::vector<double> Impulse(size_t length) {
    std::vector<double> x(length, 0.0);
    x[0] = 1.0;
    return x;
}

std::string Display(CKestrel& k, int index, double v) {
    char text[MachineTextSize];
    k.GetPropertyValueDisplay(index, v, text);
    return text;
}

} // namespace

TEST(Kestrel, DefaultsAt44100) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    EXPECT_EQ(k.PropertyCount, 14);
    EXPECT_EQ(k.PortCount, 2);
    EXPECT_EQ(k.Ports[0]->Kind, 0x111);
    EXPECT_STREQ(k.Ports[0]->Name, "Line In");
    EXPECT_EQ(k.Ports[1]->Kind, 0x121);
    EXPECT_EQ(k.GetFilterLength(), 3307);
    EXPECT_DOUBLE_EQ(k.GetRoomSize().width, 10.0);
    EXPECT_DOUBLE_EQ(k.GetRoomSize().height, 10.0);
    const SPos expected[4] = {{2.6, 2.6}, {7.4, 2.6}, {4.2, 7.4}, {5.8, 7.4}};
    const SPos actual[4] = {k.GetSourcePosition(0), k.GetSourcePosition(1),
                            k.GetListenerPosition(0), k.GetListenerPosition(1)};
    for (int i = 0; i < 4; i++) {
        EXPECT_NEAR(actual[i].x, expected[i].x, 1e-6) << i;
        EXPECT_NEAR(actual[i].y, expected[i].y, 1e-6) << i;
    }
    EXPECT_NEAR(k.GetReflection(), 0.3005, 1e-12);
    // The mapping's constants are single precision, widened: a double 0.8 or 0.1 would
    // move every node by a few nanometres and some taps by a sample.
    EXPECT_EQ(k.GetSourcePosition(0).x, 10.0 * (double(0.8f) * 0.2 + double(0.1f)));
    EXPECT_EQ(k.GetListenerPosition(1).y, 10.0 * (double(0.8f) * 0.8 + double(0.1f)));
    EXPECT_NEAR(k.GetNetwork()->FeedbackTarget, 0.874125, 1e-12);
    EXPECT_NEAR(k.GetNetwork()->GainTarget, std::pow(10.0, 0.2), 1e-12);
    EXPECT_FALSE(k.IsSynth());
}

TEST(Kestrel, DefaultLeftResponseStartsWithTheDirectSound) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    const auto& index = k.GetConvolver(0)->TapIndices(0);
    const auto& value = k.GetConvolver(0)->TapValues(0);
    ASSERT_EQ(index.size(), 16u);
    EXPECT_EQ(index[0], 644);
    EXPECT_EQ(value[0], 1.0);
}

TEST(Kestrel, NamesAndDisplays) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    char text[MachineTextSize];
    k.GetPropertyName(8, text);
    EXPECT_STREQ(text, "Room Width");
    k.GetPropertyName(14, text);
    EXPECT_STREQ(text, "");
    EXPECT_STREQ(KestrelPropertyNames[13], "Gain");
    EXPECT_EQ(Display(k, 8, 1.0), "30m");
    EXPECT_EQ(Display(k, 13, 0.5), "-10.00dB");
    EXPECT_EQ(Display(k, 12, 1.0), "11025Hz");
    EXPECT_EQ(Display(k, 12, 0.0), "14Hz");
    EXPECT_EQ(Display(k, 11, 0.25), "25%");
    EXPECT_EQ(Display(k, 0, 0.999), "99%");
    EXPECT_EQ(Display(k, 20, 0.5), "");
    k.GetPropertyDisplay(9, text); // the stored value, 0
    EXPECT_STREQ(text, "10m");
}

TEST(Kestrel, SetPropertyLimitsAndIgnoresNonFiniteValues) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    k.SetProperty(0, 2.0);
    EXPECT_EQ(k.GetProperty(0), 1.0);
    k.SetProperty(0, -1.0);
    EXPECT_EQ(k.GetProperty(0), 0.0);
    k.SetProperty(0, 0.3);
    for (double bad : {NAN, INFINITY, -INFINITY})
        k.SetProperty(0, bad);
    EXPECT_EQ(k.GetProperty(0), 0.3);
    k.SetProperty(-1, 0.5);
    k.SetProperty(14, 0.5);
    EXPECT_EQ(k.GetProperty(14), 0.0);
}

TEST(Kestrel, ChangesBatchIntoOneRebuildPerBlock) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    const auto start = k.GetRebuildCounts();
    k.Work();
    EXPECT_EQ(k.GetRebuildCounts().Responses, start.Responses) << "nothing dirty, nothing rebuilt";

    k.SetProperty(4, 0.5); // a listener: responses only
    k.SetProperty(5, 0.5);
    k.Work();
    auto after = k.GetRebuildCounts();
    EXPECT_EQ(after.Room, start.Room);
    EXPECT_EQ(after.Trees, start.Trees);
    EXPECT_EQ(after.Responses, start.Responses + 1);
    EXPECT_EQ(after.Collected, start.Collected + 2) << "the left listener, from both trees";

    for (int i = 0; i < 50; i++)
        k.SetProperty(8, i / 50.0); // a burst on the room width
    k.SetProperty(1, 0.3);
    k.Work();
    auto room = k.GetRebuildCounts();
    EXPECT_EQ(room.Room, after.Room + 1);
    EXPECT_EQ(room.Responses, after.Responses + 1);
    EXPECT_EQ(room.Network, after.Network);

    k.SetProperty(10, 1.0); // wall absorption alone rebuilds the room
    k.Work();
    EXPECT_EQ(k.GetRebuildCounts().Room, room.Room + 1);
    EXPECT_NEAR(k.GetReflection(), 0.001, 1e-12);
    room = k.GetRebuildCounts();

    k.SetProperty(12, 0.2); // cutoff: neither trees nor responses
    k.Work();
    auto net = k.GetRebuildCounts();
    EXPECT_EQ(net.Room, room.Room);
    EXPECT_EQ(net.Responses, room.Responses);
    EXPECT_EQ(net.Network, room.Network + 1);
}

TEST(Kestrel, ProgramChangeRebuildsOnce) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    const auto start = k.GetRebuildCounts();
    k.BeforeSetProgram();
    for (int i = 0; i < 14; i++)
        k.SetProperty(i, 0.3);
    k.Work(); // nothing marked during the change
    EXPECT_EQ(k.GetRebuildCounts().Room, start.Room);
    k.AfterSetProgram();
    const auto after = k.GetRebuildCounts();
    EXPECT_EQ(after.Room, start.Room + 1);
    EXPECT_EQ(after.Responses, start.Responses + 1);
    EXPECT_EQ(after.Network, start.Network + 1);
    k.Work();
    EXPECT_EQ(k.GetRebuildCounts().Room, after.Room);
    EXPECT_DOUBLE_EQ(k.GetRoomSize().width, 16.0);
}

TEST(Kestrel, DirectSoundArrivesAfterTheDistanceScaled) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    const auto zero = std::vector<double>(2048, 0.0);
    const SRun run = Render(k, Impulse(2048), zero, 256);
    const SPos s = k.GetSourcePosition(0), l = k.GetListenerPosition(0);
    const double seconds = std::hypot(l.x - s.x, l.y - s.y) / SpeedOfSound;
    const int arrival = static_cast<int>(seconds * 44100); // the tap whose window holds it
    for (int i = 0; i < arrival; i++)
        ASSERT_EQ(run.Left[i], 0.0) << i;
    EXPECT_EQ(run.Left[arrival], 0.333);
    EXPECT_EQ(arrival, 644);
    // The right listener hears the left source later, the network later still.
    const SPos r = k.GetListenerPosition(1);
    const int right = static_cast<int>(std::hypot(r.x - s.x, r.y - s.y) / SpeedOfSound * 44100);
    for (int i = 0; i < right; i++)
        ASSERT_EQ(run.Right[i], 0.0) << i;
    EXPECT_EQ(run.Right[right], 0.333);
}

TEST(Kestrel, MirroredPlacementsGiveMirroredEarlyReflections) {
    CFakeHost host;
    CKestrel a(&host, nullptr), b(&host, nullptr);
    const auto zero = std::vector<double>(1200, 0.0), pulse = Impulse(1200);
    const SRun left = Render(a, pulse, zero, 128);
    const SRun right = Render(b, zero, pulse, 128);
    // Before the late network answers (601 + 601 samples) only the early part sounds.
    for (int i = 0; i < 1200; i++) {
        EXPECT_NEAR(left.Left[i], right.Right[i], 1e-12) << i;
        EXPECT_NEAR(left.Right[i], right.Left[i], 1e-12) << i;
    }
}

TEST(Kestrel, OutputIsTheSameWhateverTheBlockSize) {
    std::mt19937 random(99);
    std::normal_distribution<double> noise;
    std::vector<double> inL(5000), inR(5000);
    for (size_t i = 0; i < inL.size(); i++) {
        inL[i] = noise(random);
        inR[i] = noise(random);
    }
    CFakeHost host;
    host.BlockSamples = 512;
    CKestrel a(&host, nullptr), b(&host, nullptr);
    const SRun x = Render(a, inL, inR, 64);
    const SRun y = Render(b, inL, inR, 500);
    // Crossfades depend on the block size, but without property changes there are none.
    EXPECT_EQ(x.Left, y.Left);
    EXPECT_EQ(x.Right, y.Right);
}

TEST(Kestrel, BadInputSamplesEnterAsSilence) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    std::vector<double> in(4096, 0.1);
    in[10] = NAN;
    in[11] = INFINITY;
    const SRun run = Render(k, in, in, 256);
    for (size_t i = 0; i < run.Left.size(); i++) {
        ASSERT_TRUE(std::isfinite(run.Left[i])) << i;
        ASSERT_TRUE(std::isfinite(run.Right[i])) << i;
    }
}

TEST(Kestrel, SilenceDecaysToExactZeros) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    k.SetProperty(KestrelFeedback, 0.2);
    std::mt19937 random(3);
    std::normal_distribution<double> noise;
    std::vector<double> burst(44100);
    for (double& v : burst)
        v = noise(random);
    Render(k, burst, burst, 256);
    const std::vector<double> silence(44100 * 20, 0.0);
    const SRun tail = Render(k, silence, silence, 4096);
    for (size_t i = tail.Left.size() - 4096; i < tail.Left.size(); i++) {
        ASSERT_EQ(tail.Left[i], 0.0) << i;
        ASSERT_EQ(tail.Right[i], 0.0) << i;
    }
    EXPECT_TRUE(k.GetNetwork()->Silent());
}

TEST(Kestrel, AnySampleRateKeepsWorking) {
    for (int rate : {0, -1, 1000, 8000, 8013, 8014, 22050, 192000, 384000}) {
        CFakeHost host;
        host.SampleRate = 44100;
        CKestrel k(&host, nullptr);
        k.SetSampleRate(rate);
        const int expectedLength = rate > 0 ? static_cast<int>(rate * 0.075) : 0;
        EXPECT_EQ(k.GetFilterLength(), expectedLength) << rate;
        EXPECT_GE(k.GetConvolver(0)->Length(), KestrelLateDelay) << rate;
        // The network hears the input exactly 601 samples late at every rate, so
        // its first answer comes after 601 + 601 samples.
        k.SetProperty(KestrelSrcLeftX, 0.0); // keep the early reflections away from
        k.SetProperty(KestrelDstLeftX, 1.0); // the network's answer in the low rates
        std::vector<double> pulse = Impulse(3000), zero(3000, 0.0);
        const SRun run = Render(k, pulse, zero, 256);
        for (size_t i = 0; i < run.Left.size(); i++)
            ASSERT_TRUE(std::isfinite(run.Left[i]) && std::isfinite(run.Right[i])) << rate;
        if (rate <= 0) {
            for (int i = 0; i < 1202; i++)
                ASSERT_EQ(run.Left[i], 0.0) << rate << " " << i;
            EXPECT_NE(run.Left[1202], 0.0) << rate;
        }
    }
}

TEST(Kestrel, WorkStaysInsideItsBuffers) {
    CFakeHost host;
    host.BlockSamples = 64;
    CKestrel k(&host, nullptr);
    k.SetBlockSamples(100000); // larger than the ports hold: processes only 64 frames
    k.Work();
    k.ResizeAudioPorts(0);
    k.Work();
    EXPECT_EQ(k.Ports[1]->AudioBuffer->Capacity(), 0);
}

TEST(Kestrel, MoveNodeAutomatesTheInverseMapping) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    SPos p{5.0, 6.0}; // 10 m room
    k.MoveNode(1, &p);
    ASSERT_EQ(host.Automations.size(), 2u);
    EXPECT_EQ(host.Automations[0].Index, 2);
    EXPECT_NEAR(host.Automations[0].Value, 0.5, 1e-7);
    EXPECT_EQ(host.Automations[1].Index, 3);
    EXPECT_NEAR(host.Automations[1].Value, 0.625, 1e-7);
    EXPECT_EQ(k.GetProperty(2), host.Automations[0].Value);
    // The same place again changes nothing; outside the range is clamped.
    k.MoveNode(1, &p);
    EXPECT_EQ(host.Automations.size(), 2u);
    SPos far{100.0, 6.0};
    k.MoveNode(1, &far);
    ASSERT_EQ(host.Automations.size(), 3u);
    EXPECT_EQ(host.Automations[2].Value, 1.0);
    k.MoveNode(4, &p);
    EXPECT_EQ(host.Automations.size(), 3u);
}

TEST(Kestrel, GainAndFeedbackMappings) {
    EXPECT_DOUBLE_EQ(CKestrel::PropertyToGain(0.0), 0.0001);
    EXPECT_DOUBLE_EQ(CKestrel::PropertyToGain(1.0), 100.0);
    EXPECT_EQ(CKestrel::PropertyToFeedback(0.0), 0.0);
    EXPECT_DOUBLE_EQ(CKestrel::PropertyToFeedback(1.0), 0.999);
    EXPECT_DOUBLE_EQ(CKestrel::PropertyToFeedback(0.5), 0.874125);
}

TEST(Kestrel, AbsurdSampleRatesAreHeldAtTheMaximum) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    k.SetSampleRate(2147483647);
    EXPECT_EQ(k.GetSampleRate(), KestrelMaximumSampleRate);
    EXPECT_EQ(k.GetFilterLength(), static_cast<int>(KestrelMaximumSampleRate * 0.075));
    std::vector<double> pulse(4096, 0.0);
    pulse[0] = 1.0;
    const SRun run = Render(k, pulse, pulse, 512);
    for (double v : run.Left)
        ASSERT_TRUE(std::isfinite(v));
}

TEST(Kestrel, ACrossfadeLastsTheBlockUpTo128Samples) {
    for (int block : {64, 512}) {
        CFakeHost host;
        CKestrel k(&host, nullptr);
        k.ResizeAudioPorts(512);
        const int length = std::min(block, 128);
        k.SetBlockSamples(block);
        k.Work(); // ends the crossfade into the first responses
        k.SetProperty(KestrelDstLeftX, 0.9);
        {
            CMutexLock lock(&k);
            k.Update(); // the rebuild sees the announced block
        }
        k.SetBlockSamples(length - 1);
        k.Work();
        EXPECT_TRUE(k.GetConvolver(0)->Crossfading()) << block;
        k.SetBlockSamples(1);
        k.Work();
        EXPECT_FALSE(k.GetConvolver(0)->Crossfading()) << block;
    }
}

TEST(Kestrel, ANodeThatMovesAloneGivesTheSamplesOfAFullRebuild) {
    // Only the moved node's tree and responses are gathered again, and walls that change
    // only sum the kept arrivals again; a twin that rebuilds everything at every block
    // (the room's width set to itself marks the whole room) must hear exactly the same,
    // whichever nodes and walls change together.
    CFakeHost host;
    CKestrel partial(&host, nullptr), full(&host, nullptr);
    const unsigned seed = 20261211;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> noise(64);
    for (int b = 0; b < 120; b++) {
        const int moves = 1 + b % 3;
        for (int m = 0; m < moves; m++) {
            const int pick = static_cast<int>(random() % 9);
            const int index = pick == 8 ? KestrelWallAbsorb : pick;
            const double value = unit(random);
            partial.SetProperty(index, value);
            full.SetProperty(index, value);
        }
        full.SetProperty(KestrelRoomWidth, full.GetProperty(KestrelRoomWidth));
        for (double& x : noise)
            x = unit(random) - 0.5;
        const SRun a = Render(partial, noise, noise, 64), c = Render(full, noise, noise, 64);
        ASSERT_TRUE(a.Left == c.Left && a.Right == c.Right) << "block " << b << ", seed " << seed;
    }
    EXPECT_LT(partial.GetRebuildCounts().Trees, full.GetRebuildCounts().Trees);
}
