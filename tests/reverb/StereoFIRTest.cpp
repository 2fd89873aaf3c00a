#include "reverb/StereoFIR.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<double> UnitAt(int length, int k, double value = 1.0) {
    std::vector<double> r(length, 0.0);
    r[k] = value;
    return r;
}

} // namespace

TEST(StereoFIR, SilentResponsesStillDelay) {
    const int n = 3307;
    std::vector<double> zero(n, 0.0);
    CStereoFIR fir(n, zero.data(), zero.data(), true);
    EXPECT_TRUE(fir.TapIndices(0).empty());
    for (int i = 0; i < 2000; i++) {
        double l = 0, r = 0, d = -1;
        fir.Process(i + 1.0, &l, &r, &d, -601);
        EXPECT_EQ(l, 0.0);
        EXPECT_EQ(r, 0.0);
        EXPECT_EQ(d, i < 601 ? 0.0 : i + 1.0 - 601) << i;
    }
}

TEST(StereoFIR, TapsDelayAndScaleOntoTheAccumulators) {
    const int n = 16;
    auto left = UnitAt(n, 0), right = UnitAt(n, 3, 0.5);
    CStereoFIR fir(n, left.data(), right.data(), true);
    std::vector<double> outL, outR;
    for (int i = 0; i < 8; i++) {
        double l = 10, r = 20, d;
        fir.Process(i + 1.0, &l, &r, &d, -1);
        outL.push_back(l - 10);
        outR.push_back(r - 20);
    }
    EXPECT_EQ(outL, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(outR, (std::vector<double>{0, 0, 0, 0.5, 1, 1.5, 2, 2.5}));
    EXPECT_EQ(fir.ImpulseResponse(0), 1.0);
    EXPECT_EQ(fir.ImpulseResponse(3), 0.5);
    EXPECT_EQ(fir.ImpulseResponse(15), 0.0);

    auto both = UnitAt(n, 5, 0.25);
    CStereoFIR same(n, both.data(), both.data(), true);
    EXPECT_EQ(same.ImpulseResponse(5), 0.5);
}

TEST(StereoFIR, CrossfadeRampsFromOldToNew) {
    const int n = 8;
    std::vector<double> zero(n, 0.0);
    auto unit = UnitAt(n, 0);
    CStereoFIR fir(n, zero.data(), zero.data(), true);
    fir.SetImpulseResponse(unit.data(), unit.data(), 4);
    std::vector<double> out;
    for (int i = 0; i < 6; i++) {
        double l = 0, r = 0, d;
        fir.Process(1.0, &l, &r, &d, -1);
        out.push_back(l);
        EXPECT_EQ(l, r);
    }
    EXPECT_EQ(out, (std::vector<double>{0, 0.25, 0.5, 0.75, 1, 1}));
    EXPECT_FALSE(fir.Crossfading());
}

TEST(StereoFIR, InterruptedCrossfadeCarriesOnTowardsTheNewest) {
    const int n = 8;
    auto a = UnitAt(n, 0, 1.0), b = UnitAt(n, 0, 2.0), c = UnitAt(n, 0, 4.0);
    CStereoFIR fir(n, a.data(), a.data(), true);
    fir.SetImpulseResponse(b.data(), b.data(), 4);
    std::vector<double> out;
    auto step = [&] {
        double l = 0, r = 0, d;
        fir.Process(1.0, &l, &r, &d, -1);
        out.push_back(l);
    };
    step();                                          // e = 0: all of a
    step();                                          // e = 0.25 towards b
    fir.SetImpulseResponse(c.data(), c.data(), 100); // does not restart
    step();                                          // e = 0.5 towards c, from a
    step();                                          // e = 0.75
    step();                                          // over: c alone
    EXPECT_EQ(out, (std::vector<double>{1.0, 0.75 + 0.5, 0.5 * 4 + 0.5, 0.75 * 4 + 0.25, 4.0}));
}

TEST(StereoFIR, ZeroCrossfadeSwitchesAtTheNextSample) {
    const int n = 8;
    auto a = UnitAt(n, 0, 1.0), b = UnitAt(n, 0, 3.0);
    CStereoFIR fir(n, a.data(), a.data(), true);
    fir.SetImpulseResponse(b.data(), b.data(), 0);
    double l = 0, r = 0, d;
    fir.Process(1.0, &l, &r, &d, -1);
    EXPECT_EQ(l, 3.0);
    EXPECT_FALSE(fir.Crossfading());
}

TEST(StereoFIR, WithoutADelayedOutputTheInputIsNotStored) {
    const int n = 8;
    auto left = UnitAt(n, 2, 0.5), right = UnitAt(n, 4, -1.0);
    right[6] = 3.0;
    CStereoFIR fir(n, left.data(), right.data(), true);
    double l = 0, r = 0;
    fir.Process(2.0, &l, &r, nullptr, 0);
    EXPECT_EQ(l, 1.0);
    EXPECT_EQ(r, 4.0);
    double d = -1;
    l = r = 0;
    fir.Process(0.0, &l, &r, &d, -1);
    EXPECT_EQ(d, 0.0) << "the earlier input never reached the delay line";
}

TEST(StereoFIR, DenseModeConvolvesWithTheNormalisingGain) {
    const int n = 6;
    std::vector<double> left{1, 0.5, 0, 0, -0.25, 0}, right{0, 0, 1, 0, 0, 0};
    CStereoFIR fir(n, left.data(), right.data(), false);
    fir.Ping(2); // left[0] + left[2] + left[4] = 0.75
    std::mt19937 random(7);
    std::normal_distribution<double> noise;
    std::vector<double> xl, xr;
    for (int i = 0; i < 20; i++) {
        xl.push_back(noise(random));
        xr.push_back(noise(random));
        double l = 0, r = 0, d;
        fir.Process(xl.back(), xr.back(), &l, &r, &d, -2);
        double el = 0, er = 0;
        for (int k = 0; k < n && k <= i; k++) {
            el += xl[i - k] * left[k];
            er += xr[i - k] * right[k];
        }
        EXPECT_NEAR(l, el / 0.75, 1e-12);
        EXPECT_NEAR(r, er / 0.75, 1e-12);
        EXPECT_EQ(d, i >= 2 ? xl[i - 2] : 0.0);
    }
    // The mono call uses the dense arrays without the gain and leaves the line alone.
    double l = 0, r = 0;
    fir.Process(2.0, &l, &r, nullptr, 0);
    EXPECT_DOUBLE_EQ(l, 2.0 * 1.25);
    EXPECT_DOUBLE_EQ(r, 2.0);
}

TEST(StereoFIR, PingSetsTheGainFromTheSampledSum) {
    std::vector<double> zero(4, 0.0), half{-0.5, 7, 0, 9};
    CStereoFIR silent(4, zero.data(), zero.data(), false);
    silent.Ping(1);
    CStereoFIR fir(4, half.data(), zero.data(), false);
    fir.Ping(2);
    double l = 0, r = 0;
    silent.Process(1.0, 1.0, &l, &r, nullptr, 0);
    EXPECT_EQ(l, 0.0);
    fir.Process(1.0, 0.0, &l, &r, nullptr, 0);
    EXPECT_DOUBLE_EQ(l, (-0.5 + 7 + 0 + 9) * 2.0);
}

TEST(StereoFIR, BlocksComputeExactlyWhatSamplesDo) {
    std::mt19937 random(2024);
    std::normal_distribution<double> noise;
    std::uniform_int_distribution<int> tap(0, 3306), block(1, 700);
    const int n = 3307;
    for (int trial = 0; trial < 8; trial++) {
        auto response = [&] {
            std::vector<double> r(n, 0.0);
            for (int i = 0; i < 23; i++)
                r[tap(random)] = noise(random);
            r[n - 1] = 0.25; // the oldest sample is read too
            return r;
        };
        auto a = response(), b = response(), c = response(), d = response();
        CStereoFIR bySample(n, a.data(), b.data(), true), byBlock(n, a.data(), b.data(), true);
        // Empty and negative blocks do nothing at all.
        double none[1] = {};
        byBlock.ProcessBlock(none, 0, none, none, none, -601);
        byBlock.ProcessBlock(none, -5, none, none, none, -601);
        int done = 0;
        for (int round = 0; round < 12; round++) {
            if (round == 5) { // a rebuild with a crossfade, then one during it
                bySample.SetImpulseResponse(c.data(), d.data(), 128);
                byBlock.SetImpulseResponse(c.data(), d.data(), 128);
            }
            if (round == 6) {
                bySample.SetImpulseResponse(d.data(), c.data(), 128);
                byBlock.SetImpulseResponse(d.data(), c.data(), 128);
            }
            if (round == 8 ||
                round == 10) { // longer than a stretch of the block's fade; one sample
                const int fade = round == 8 ? 1500 : 1;
                bySample.SetImpulseResponse(a.data(), d.data(), fade);
                byBlock.SetImpulseResponse(a.data(), d.data(), fade);
            }
            const int size = block(random);
            std::vector<double> x(size), l(size), r(size), delayed(size);
            for (double& v : x)
                v = noise(random);
            byBlock.ProcessBlock(x.data(), size, l.data(), r.data(), delayed.data(), -601);
            for (int i = 0; i < size; i++) {
                double sl = 0.0, sr = 0.0, sd;
                bySample.Process(x[i], &sl, &sr, &sd, -601);
                ASSERT_EQ(l[i], sl) << trial << " at " << done + i;
                ASSERT_EQ(r[i], sr) << trial << " at " << done + i;
                ASSERT_EQ(delayed[i], sd) << trial << " at " << done + i;
            }
            done += size;
        }
    }
}
