#include "dsp/MultiFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Steady-state gain of the filter at frequency f: a sine through it, amplitude measured
// after the transient.
double GainAt(CMultiFilter& filter, double f, int rate = 44100) {
    filter.Reset();
    const int n = rate / 2;
    std::vector<double> x(n);
    for (int i = 0; i < n; i++)
        x[i] = std::sin(2 * M_PI * f * i / rate);
    filter.Process(n, x.data(), nullptr, nullptr);
    double peak = 0;
    for (int i = n / 2; i < n; i++)
        peak = std::fmax(peak, std::fabs(x[i]));
    return peak;
}

std::vector<double> Noise(int n, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> g(0, 0.5);
    std::vector<double> x(n);
    for (double& v : x)
        v = g(random);
    return x;
}

} // namespace

TEST(MultiFilter, CutoffFromTheControlVoltage) {
    CMultiFilter f(44100, FilterLowPass, 0, 5.0, 0.0);
    EXPECT_DOUBLE_EQ(f.Cutoff(5.0), 440.0);
    EXPECT_DOUBLE_EQ(f.Cutoff(6.0), 880.0);
    EXPECT_EQ(f.Cutoff(-10.0), 1.0);
    EXPECT_EQ(f.Cutoff(20.0), 11025.0);
}

TEST(MultiFilter, ButterworthAtZeroDecibels) {
    CMultiFilter f(44100, FilterLowPass, 0, 5.0 + std::log2(1000.0 / 440), 0.0);
    EXPECT_NEAR(20 * std::log10(GainAt(f, 1000)), -3.01, 0.05) << "-3 dB at the cutoff";
    EXPECT_NEAR(GainAt(f, 50), 1.0, 0.01);
    EXPECT_LT(GainAt(f, 8000), 0.02) << "12 dB per octave";
    CMultiFilter steep(44100, FilterLowPass, 1, 5.0 + std::log2(1000.0 / 440), 0.0);
    EXPECT_NEAR(20 * std::log10(GainAt(steep, 1000)), -6.02, 0.1) << "two sections";
    CMultiFilter high(44100, FilterHighPass, 0, 5.0 + std::log2(1000.0 / 440), 0.0);
    EXPECT_NEAR(20 * std::log10(GainAt(high, 1000)), -3.01, 0.05);
    EXPECT_LT(GainAt(high, 60), 0.01);
    // 6 dB of resonance scales the output by 10^(-0.3), well below the cutoff.
    CMultiFilter flat(44100, FilterLowPass, 0, 10.0, 0.0),
        resonant(44100, FilterLowPass, 0, 10.0, 6.0);
    EXPECT_NEAR(GainAt(resonant, 100) / GainAt(flat, 100), std::pow(10.0, -0.3), 0.005);
    resonant.SetScale(2.0);
    EXPECT_NEAR(GainAt(resonant, 100) / GainAt(flat, 100), 2 * std::pow(10.0, -0.3), 0.01);
}

TEST(MultiFilter, CoefficientsAreComputedLazily) {
    CMultiFilter f(44100, FilterLowPass, 0, 6.0, 0.0);
    std::vector<double> x = Noise(256, 2);
    f.Process(256, x.data(), nullptr, nullptr);
    f.Process(256, x.data(), nullptr, nullptr);
    EXPECT_EQ(f.Recomputations(), 1) << "once per change, not per block";
    f.SetVoltage(7.0);
    f.Process(256, x.data(), nullptr, nullptr);
    EXPECT_EQ(f.Recomputations(), 2);
    std::vector<double> offsets(10, 0.1);
    f.Process(10, x.data(), offsets.data(), nullptr); // samples 0, 4, 8
    EXPECT_EQ(f.Recomputations(), 5);
    f.Process(10, x.data(), offsets.data(), nullptr); // the countdown carries on: 2, 6
    EXPECT_EQ(f.Recomputations(), 7);
}

TEST(MultiFilter, LadderClipsAndItsModesComplementEachOther) {
    const std::vector<double> input = Noise(2000, 3);
    auto run = [&](int mode, double resonance) {
        CMultiFilter f(44100, mode, 1, 7.0, resonance);
        f.SetAlgorithm(FilterLadder);
        std::vector<double> x = input;
        for (double& v : x)
            v *= 8; // loud enough to saturate
        f.Process(2000, x.data(), nullptr, nullptr);
        EXPECT_LE(std::fabs(f.Y1a), 0.95 + 1e-15);
        EXPECT_LE(std::fabs(f.Y2b), 0.95 + 1e-15);
        return x;
    };
    const auto low = run(FilterLowPass, 0.8), high = run(FilterHighPass, 0.8);
    const auto band = run(FilterBandPass, 0.8), reject = run(FilterBandReject, 0.8);
    for (int i = 0; i < 2000; i++) {
        EXPECT_LE(std::fabs(low[i]), 0.95 + 1e-15)
            << "(|z + .95| - |z - .95|) / 2 rounds to an ulp";
        EXPECT_NEAR(high[i], input[i] * 8 - low[i], 1e-12);
        EXPECT_NEAR(reject[i], input[i] * 8 - band[i], 1e-12);
    }
}

TEST(MultiFilter, CompensationHoldsTheTablesEnds) {
    EXPECT_EQ(CMultiFilter::Compensation(-1.0), 0.448883);
    EXPECT_EQ(CMultiFilter::Compensation(0.0), 0.448883);
    EXPECT_NEAR(CMultiFilter::Compensation(0.5 / 99), (0.448883 + 0.445892) / 2, 1e-15);
    EXPECT_EQ(CMultiFilter::Compensation(1.0), 0.25375);
    EXPECT_EQ(CMultiFilter::Compensation(5.0), 0.25375);
}

TEST(MultiFilter, ModeChangesClearTheStateAndSlopeChangesTheSecondSection) {
    CMultiFilter f(44100, FilterLowPass, 1, 7.0, 0.0);
    std::vector<double> x = Noise(100, 4);
    f.Process(100, x.data(), nullptr, nullptr);
    EXPECT_NE(f.Y1b, 0.0);
    f.SetPoles(0);
    EXPECT_NE(f.Y1b, 0.0);
    f.SetPoles(1);
    EXPECT_EQ(f.Y1b, 0.0);
    EXPECT_NE(f.Y1a, 0.0);
    f.SetMode(FilterHighPass);
    EXPECT_EQ(f.Y1a, 0.0);
    EXPECT_EQ(f.X1a, 0.0);
}
