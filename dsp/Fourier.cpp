#include "dsp/Fourier.h"

#include <cmath>
#include <utility>
#include <vector>

namespace {

// The FFT's twiddle angle: 2π as a single-precision constant over N in single precision,
// product and quotient in extended precision, handed to cos and sin as a double.
double FftAngle(long c, long n) {
    const long double theta =
        static_cast<long double>(6.2831855f) * c / static_cast<long double>(static_cast<float>(n));
    return static_cast<double>(theta);
}

// The DFT's: the double constant used for 2π, times the integer j·k, over N.
double DftAngle(long m, int n) {
    return 6.28318530717958 * m / n;
}

bool PowerOfTwo(int n) {
    return n >= 2 && (n & (n - 1)) == 0;
}

} // namespace

void dif_butterfly(double* x, long n) {
    if (n <= 1) return;
    for (long span = n, k = 1; span >= 2; span /= 2, k *= 2) {
        const long half = span / 2;
        for (long b = 0; b < n; b += span) {
            for (long m = 0; m < half; m++) {
                double* u = x + 2 * (b + m);
                double* v = x + 2 * (b + m + half);
                const double theta = FftAngle(m * k, n);
                const double c = std::cos(theta), s = std::sin(theta);
                const double dr = u[0] - v[0], di = u[1] - v[1];
                u[0] += v[0];
                u[1] += v[1];
                v[0] = dr * c + di * s;
                v[1] = di * c - dr * s;
            }
        }
    }
}

void unshuffle(double* x, long n) {
    if (n < 2) return;
    long j = 0;
    for (long i = 1; i < n - 1; i++) {
        long m = n / 2;
        while (j >= m) {
            j -= m;
            m /= 2;
        }
        j += m;
        if (i < j) {
            std::swap(x[2 * i], x[2 * j]);
            std::swap(x[2 * i + 1], x[2 * j + 1]);
        }
    }
}

void inverse_dit_butterfly(double* x, long n) {
    if (n < 2) return;
    for (long span = 2, k = n / 2; span <= n; span *= 2, k /= 2) {
        const long half = span / 2;
        for (long b = 0; b < n; b += span) {
            for (long m = 0; m < half; m++) {
                double* u = x + 2 * (b + m);
                double* v = x + 2 * (b + m + half);
                const double theta = FftAngle(m * k, n);
                const double c = std::cos(theta), s = std::sin(theta);
                const double tr = v[0] * c - v[1] * s, ti = v[0] * s + v[1] * c;
                v[0] = u[0] - tr;
                v[1] = u[1] - ti;
                u[0] += tr;
                u[1] += ti;
            }
        }
    }
}

void FFT(double* data, long n) {
    dif_butterfly(data, n);
    unshuffle(data, n);
}

void InverseFFT(double* data, long n) {
    unshuffle(data, n);
    inverse_dit_butterfly(data, n);
    for (long i = 0; i < 2 * n; i++)
        data[i] /= n;
}

void DFT(int n, const double* inReal, const double* inImag, double* outReal, double* outImag) {
    for (int j = 0; j < n; j++)
        outReal[j] = outImag[j] = 0.0;
    for (int j = 0; j < n; j++) {
        long m = 0; // j·k, by repeated addition
        for (int k = 0; k < n; k++, m += j) {
            const double theta = DftAngle(m, n), c = std::cos(theta), s = std::sin(theta);
            outReal[j] += inReal[k] * c + inImag[k] * s;
            outImag[j] += inImag[k] * c - inReal[k] * s;
        }
    }
}

void InverseDFT(int n, double* outReal, double* outImag, const double* inReal,
                const double* inImag) {
    for (int i = 0; i < n; i++)
        outReal[i] = outImag[i] = 0.0;
    for (int i = 0; i < n; i++) {
        long m = 0;
        for (int j = 0; j < n; j++, m += i) {
            const double theta = DftAngle(m, n), c = std::cos(theta), s = std::sin(theta);
            outReal[i] += inReal[j] * c - inImag[j] * s;
            outImag[i] += inReal[j] * s + inImag[j] * c;
        }
        outReal[i] /= n;
        outImag[i] /= n;
    }
}

namespace {

// The FFT of a split pair through an interleaved copy, forwards or backwards.
void ThroughFFT(int n, const double* inReal, const double* inImag, double* outReal, double* outImag,
                void (*transform)(double*, long)) {
    std::vector<double> data(2 * static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        data[2 * i] = inReal[i];
        data[2 * i + 1] = inImag[i];
    }
    transform(data.data(), n);
    for (int i = 0; i < n; i++) {
        outReal[i] = data[2 * i];
        outImag[i] = data[2 * i + 1];
    }
}

} // namespace

void ChooseDFT(int n, const double* inReal, const double* inImag, double* outReal,
               double* outImag) {
    if (PowerOfTwo(n))
        ThroughFFT(n, inReal, inImag, outReal, outImag, FFT);
    else
        DFT(n, inReal, inImag, outReal, outImag);
}

void ChooseInverseDFT(int n, double* outReal, double* outImag, const double* inReal,
                      const double* inImag) {
    if (PowerOfTwo(n))
        ThroughFFT(n, inReal, inImag, outReal, outImag, InverseFFT);
    else
        InverseDFT(n, outReal, outImag, inReal, inImag);
}

void RealCepstrum(int n, const double* signal, double* cepstrum) {
    if (n <= 0) return;
    std::vector<double> tr(signal, signal + n), ti(n, 0.0), sr(n), si(n);
    ChooseDFT(n, tr.data(), ti.data(), sr.data(), si.data());
    for (int i = 0; i < n; i++) {
        sr[i] = std::log(std::sqrt(sr[i] * sr[i] + si[i] * si[i]));
        si[i] = 0.0;
    }
    ChooseInverseDFT(n, tr.data(), ti.data(), sr.data(), si.data());
    for (int i = 0; i < n; i++)
        cepstrum[i] = tr[i];
}

void MinimumPhase(int n, const double* cepstrum, double* signal) {
    if (n <= 0) return;
    std::vector<double> tr(n, 0.0), ti(n, 0.0), sr(n), si(n);
    const int h = n / 2;
    tr[0] = cepstrum[0];
    for (int i = 1; i < h; i++)
        tr[i] = 2 * cepstrum[i];
    if (n % 2 == 0) tr[h] = cepstrum[h];
    if (n == 1) tr[0] = 0.0; // the odd fold zeroes index h, which is 0 here
    ChooseDFT(n, tr.data(), ti.data(), sr.data(), si.data());
    for (int i = 0; i < n; i++) {
        const double e = std::exp(sr[i]);
        const double angle = si[i];
        sr[i] = e * std::cos(angle);
        si[i] = e * std::sin(angle);
    }
    ChooseInverseDFT(n, tr.data(), ti.data(), sr.data(), si.data());
    for (int i = 0; i < n; i++)
        signal[i] = tr[i];
}
