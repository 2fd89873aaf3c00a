#include "dsp/Fourier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

using Complex = std::complex<double>;

// The forward formula evaluated plainly, as the reference.
std::vector<Complex> Reference(const std::vector<Complex>& x) {
    const size_t n = x.size();
    std::vector<Complex> out(n);
    for (size_t k = 0; k < n; k++)
        for (size_t j = 0; j < n; j++)
            out[k] += x[j] * std::polar(1.0, -2 * M_PI * double(k * j) / n);
    return out;
}

std::vector<Complex> Random(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> g;
    std::vector<Complex> x(n);
    for (auto& v : x)
        v = {g(random), g(random)};
    return x;
}

} // namespace

TEST(Fourier, FftOfAnImpulseAndOfARotation) {
    std::vector<double> x{1, 0, 0, 0, 0, 0, 0, 0};
    FFT(x.data(), 4);
    for (int k = 0; k < 4; k++) {
        EXPECT_NEAR(x[2 * k], 1.0, 1e-15);
        EXPECT_NEAR(x[2 * k + 1], 0.0, 1e-15);
    }
    InverseFFT(x.data(), 4);
    EXPECT_NEAR(x[0], 1.0, 1e-15);
    for (int i = 1; i < 8; i++)
        EXPECT_NEAR(x[i], 0.0, 1e-15);

    std::vector<double> r(16);
    for (int n = 0; n < 8; n++) {
        r[2 * n] = std::cos(2 * M_PI * n / 8);
        r[2 * n + 1] = std::sin(2 * M_PI * n / 8);
    }
    FFT(r.data(), 8);
    for (int k = 0; k < 8; k++) {
        EXPECT_NEAR(r[2 * k], k == 1 ? 8.0 : 0.0, 1e-6) << k;
        EXPECT_NEAR(r[2 * k + 1], 0.0, 1e-6) << k;
    }
}

TEST(Fourier, UnshuffleReversesTheBits) {
    std::vector<double> x(16);
    for (int i = 0; i < 8; i++)
        x[2 * i] = i;
    unshuffle(x.data(), 8);
    const std::vector<double> expected{0, 4, 2, 6, 1, 5, 3, 7};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(x[2 * i], expected[i]);
    std::vector<double> one{5, 6};
    unshuffle(one.data(), 1);
    EXPECT_EQ(one[0], 5);
}

TEST(Fourier, EveryTransformAgreesWithTheFormula) {
    for (int n : {1, 2, 6, 7, 8, 16, 31}) {
        const auto x = Random(static_cast<size_t>(n), 17 + n);
        std::vector<double> re(n), im(n), outRe(n), outIm(n);
        for (int i = 0; i < n; i++) {
            re[i] = x[i].real();
            im[i] = x[i].imag();
        }
        ChooseDFT(n, re.data(), im.data(), outRe.data(), outIm.data());
        const auto expected = Reference(x);
        for (int k = 0; k < n; k++) {
            EXPECT_NEAR(outRe[k], expected[k].real(), 1e-6) << n << " " << k;
            EXPECT_NEAR(outIm[k], expected[k].imag(), 1e-6) << n << " " << k;
        }
        // And back, imaginary parts included.
        std::vector<double> backRe(n), backIm(n);
        ChooseInverseDFT(n, backRe.data(), backIm.data(), outRe.data(), outIm.data());
        for (int i = 0; i < n; i++) {
            EXPECT_NEAR(backRe[i], re[i], 1e-9) << n;
            EXPECT_NEAR(backIm[i], im[i], 1e-9) << n;
        }
    }
    // At N = 8 the dispatcher's FFT and the direct DFT give the same bins.
    const auto x = Random(8, 3);
    std::vector<double> re(8), im(8), a(8), b(8), c(8), d(8);
    for (int i = 0; i < 8; i++) {
        re[i] = x[i].real();
        im[i] = x[i].imag();
    }
    ChooseDFT(8, re.data(), im.data(), a.data(), b.data());
    DFT(8, re.data(), im.data(), c.data(), d.data());
    for (int k = 0; k < 8; k++) {
        EXPECT_NEAR(a[k], c[k], 1e-6);
        EXPECT_NEAR(b[k], d[k], 1e-6);
    }
}

TEST(Fourier, CepstrumAndMinimumPhase) {
    for (int n : {8, 9, 257}) {
        std::vector<double> impulse(n, 0.0), c(n), s(n);
        impulse[0] = 1;
        RealCepstrum(n, impulse.data(), c.data());
        for (int i = 0; i < n; i++)
            EXPECT_NEAR(c[i], 0.0, 1e-12) << n;
        std::vector<double> zero(n, 0.0);
        MinimumPhase(n, zero.data(), s.data());
        for (int i = 0; i < n; i++)
            EXPECT_NEAR(s[i], i == 0 ? 1.0 : 0.0, 1e-12) << n;
    }
    // N = 257: the fold doubles 1 … 127 and zeroes 128 … 256, so the cepstrum of the
    // minimum-phase signal returns a symmetric cepstrum everywhere but at 128 and 129.
    const int n = 257;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> u(-0.05, 0.05);
    std::vector<double> c(n), s(n), back(n);
    c[0] = u(random);
    for (int i = 1; i <= n / 2; i++)
        c[i] = c[n - i] = u(random);
    MinimumPhase(n, c.data(), s.data());
    RealCepstrum(n, s.data(), back.data());
    EXPECT_NEAR(back[0], c[0], 1e-9);
    for (int i = 1; i < 128; i++)
        EXPECT_NEAR(back[i], c[i], 1e-9) << i;
    EXPECT_NEAR(back[128], 0.0, 1e-9);
    EXPECT_NEAR(back[129], 0.0, 1e-9);
    std::vector<double> one{0.7}, out(1);
    MinimumPhase(1, one.data(), out.data());
    EXPECT_NEAR(out[0], 1.0, 1e-15) << "N = 1: the single value is folded to 0";
}
