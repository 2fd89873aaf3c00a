// A block filter with four responses (low-pass, high-pass, band-pass, band-reject),
// 12 or 24 dB per octave, as a bilinear biquad or a saturating ladder. The cutoff is a
// control voltage, 1 V per octave with 5 V at 440 Hz; cutoff and resonance may be
// modulated per sample. Not thread-safe: one caller at a time.
#pragma once

enum { FilterLowPass = 0, FilterHighPass, FilterBandPass, FilterBandReject };
enum { FilterBiquad = 0, FilterLadder = 1 };

class CMultiFilter {
public:
    CMultiFilter(int sampleRate, int mode, int poles, double voltage, double resonance);

    void Reset();
    void SetVoltage(double voltage);
    // The biquad reads it in dB; the ladder as an amount in [0, 1].
    void SetResonancedB(double resonance);
    void SetMode(int mode);
    void SetPoles(int poles); // 0: 12 dB per octave, 1: 24
    void SetAlgorithm(int algorithm);
    void SetSampleRate(int rate);
    void SetScale(double scale);
    // Filters count samples in place; the offset arrays are optional, one value a sample.
    void Process(int count, double* samples, const double* voltageOffsets,
                 const double* resonanceOffsets);
    void ProcessButterworth(int count, double* samples, const double* voltageOffsets,
                            const double* resonanceOffsets);
    void ProcessMoog(int count, double* samples, const double* voltageOffsets,
                     const double* resonanceOffsets);

    // Cutoff in Hz for a voltage: 440 × 2^(v − 5), within [1, sample rate / 4].
    double Cutoff(double voltage) const;
    // How often the biquad's coefficients were computed: once per change unmodulated.
    int Recomputations() const { return Recomputed; }
    // The ladder's compensation at normalised stage coefficient h, the table's end
    // values held outside it.
    static double Compensation(double h);

    double X1a, X2a, X1b, X2b, Y1a, Y2a, Y1b, Y2b; // in the ladder: memory, then 4 stages
    double A0, A1, A2, B1, B2;

private:
    void Recompute(double voltage, double damping, double k);

    double Nyquist;
    double Voltage;
    double Resonance;
    double Damping;
    double K;
    double RootTwo;
    double Scale;
    int SampleRate;
    int Mode;
    int Poles;
    int Algorithm;
    int UpdateInterval;
    int UpdateCountdown;
    bool Dirty;
    int Recomputed;
};
