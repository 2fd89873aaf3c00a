// The late tail: four recirculating delay lines of prime lengths, each followed by
// one shared second-order low-pass, mixed back through the scaled Householder
// reflection g·(I − ½J). Feedback and gain glide per sample; the cutoff is immediate.
// No lock: the machine calls it under its own.
#pragma once

#include <vector>

// Delay-line lengths in samples (all prime), the same at every sample rate.
extern "C" const int KestrelDelayLengths[4];

class CFDN {
public:
    // lengths: exactly four, copied. cutoff: normalised [0, 1], mapped by SetCutoff.
    CFDN(int sampleRate, const int* lengths, double feedback, double gain, double cutoff);
    ~CFDN();

    void SetFeedback(double feedback); // target; the network glides to it
    void SetGain(double gain);         // target linear amplitude factor
    // Normalised cutoff: 0 is 13.75 Hz, 1 is a quarter of the sample rate, exponential
    // in between. Recomputes the filter at once.
    void SetCutoff(double cutoff);
    // A silent copy with the same settings, already settled at the targets. Caller owns it.
    CFDN* Clone() const;
    // Silent again, settled at these settings: what a new network of the same rate and
    // lengths would be, without allocating.
    void Restart(double feedback, double gain, double cutoff);
    int GetSampleRate() const { return SampleRate; }
    // Writes (does not add) one output sample per side.
    void Process(double inL, double inR, double* outL, double* outR);
    // n samples at once, the same arithmetic as n calls of Process.
    void ProcessBlock(const double* inL, const double* inR, double* outL, double* outR, int n);

    // The cutoff frequency in Hz that SetCutoff maps x to, before clamping.
    static double CutoffFrequency(double x, int sampleRate);

    double FeedbackTarget, FeedbackCurrent;
    double GainTarget, GainCurrent;
    double Cutoff;
    double b0, b1, b2, a1, a2;

    // True when every delay line and filter state holds exact zeros.
    bool Silent() const;
    // Sum of the squares of everything the delay lines hold.
    double StoredEnergy() const;

    CFDN(const CFDN&) = delete;
    CFDN& operator=(const CFDN&) = delete;

private:
    // Moves current towards target by 0.0004 × (distance + 0.1), never past it.
    static void Glide(double& current, double target) {
        if (current == target) return;
        const double step =
            0.0004 * ((target > current ? target - current : current - target) + 0.1);
        if (current < target) {
            current += step;
            if (current > target) current = target;
        } else {
            current -= step;
            if (current < target) current = target;
        }
    }

    std::vector<double> Lines[4];
    double X1[4], X2[4], Y1[4], Y2[4];
    int Lengths[4];
    int Positions[4];
    int SampleRate;
};
