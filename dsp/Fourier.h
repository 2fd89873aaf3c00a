// Discrete Fourier analysis: an in-place radix-2 FFT and its inverse over interleaved
// complex values, direct DFTs of any length over split arrays, dispatchers between
// them, and the real cepstrum with its minimum-phase reconstruction. Forward
// transforms are unscaled with e^(−i2πkn/N); inverses scale by 1/N. No function checks
// array lengths or that an FFT length is a power of two: callers guarantee both.
#pragma once

void FFT(double* data, long n);
void InverseFFT(double* data, long n);
void unshuffle(double* data, long n);
void dif_butterfly(double* data, long n);
void inverse_dit_butterfly(double* data, long n);
void DFT(int n, const double* inReal, const double* inImag, double* outReal, double* outImag);
// The outputs come first.
void InverseDFT(int n, double* outReal, double* outImag, const double* inReal,
                const double* inImag);
// The FFT for powers of two from 2 on, the direct DFT otherwise.
void ChooseDFT(int n, const double* inReal, const double* inImag, double* outReal, double* outImag);
void ChooseInverseDFT(int n, double* outReal, double* outImag, const double* inReal,
                      const double* inImag);
// ln|X| transformed back; a zero bin gives infinities, unchecked.
void RealCepstrum(int n, const double* signal, double* cepstrum);
// The minimum-phase signal whose real cepstrum is the given one.
void MinimumPhase(int n, const double* cepstrum, double* signal);
