#include "reverb/FDN.h"

#include <algorithm>
#include <cmath>

extern "C" const int KestrelDelayLengths[4] = {601, 691, 773, 839};

namespace {
constexpr double Ln440 = 6.0867747269123065;
constexpr double InvLn2 = 1.4426950408889634;
constexpr double Pi = 3.14159265358979;
constexpr double Sqrt2 = 1.4142135623730951;
} // namespace

CFDN::CFDN(int sampleRate, const int* lengths, double feedback, double gain, double cutoff)
    : FeedbackTarget(feedback), FeedbackCurrent(feedback), GainTarget(gain), GainCurrent(gain),
      Cutoff(cutoff), b0(0), b1(0), b2(0), a1(0), a2(0), X1{}, X2{}, Y1{}, Y2{}, Positions{},
      SampleRate(sampleRate) {
    for (int i = 0; i < 4; i++) {
        Lengths[i] = lengths[i] > 0 ? lengths[i] : 1;
        Lines[i].assign(Lengths[i], 0.0);
    }
    SetCutoff(cutoff);
}

CFDN::~CFDN() = default;

void CFDN::SetFeedback(double feedback) {
    FeedbackTarget = feedback;
}

void CFDN::SetGain(double gain) {
    GainTarget = gain;
}

double CFDN::CutoffFrequency(double x, int sampleRate) {
    const double q = sampleRate * 0.25;
    return 440.0 * std::pow(2.0, x * ((std::log(q) - Ln440) * InvLn2 + 5.0) - 5.0);
}

void CFDN::SetCutoff(double cutoff) {
    Cutoff = cutoff;
    if (SampleRate <= 0) {
        // Without a sample rate there is no frequency to filter at: pass the lines
        // through unfiltered rather than fill them with NaN.
        b0 = 1.0;
        b1 = b2 = a1 = a2 = 0.0;
        return;
    }
    const double q = SampleRate * 0.25;
    double f = CutoffFrequency(cutoff, SampleRate);
    if (!(f >= 1.0)) f = 1.0; // also catches NaN
    if (f > q) f = q;
    const double c = 1.0 / std::tan(f * Pi / SampleRate);
    const double d = c * Sqrt2;
    b0 = 1.0 / (c * c + (d + 1.0));
    b1 = 2.0 * b0;
    b2 = b0;
    a1 = 2.0 * b0 * (1.0 - c * c);
    a2 = b0 * (c * c + (1.0 - d));
}

CFDN* CFDN::Clone() const {
    return new CFDN(SampleRate, Lengths, FeedbackTarget, GainTarget, Cutoff);
}

void CFDN::Restart(double feedback, double gain, double cutoff) {
    FeedbackTarget = FeedbackCurrent = feedback;
    GainTarget = GainCurrent = gain;
    for (int i = 0; i < 4; i++) {
        std::fill(Lines[i].begin(), Lines[i].end(), 0.0);
        X1[i] = X2[i] = Y1[i] = Y2[i] = 0.0;
        Positions[i] = 0;
    }
    SetCutoff(cutoff);
}

void CFDN::ProcessBlock(const double* inL, const double* inR, double* outL, double* outR, int n) {
    // Process, with the state held in locals for the length of the block.
    double gain = GainCurrent, feedback = FeedbackCurrent;
    const double gainTarget = GainTarget, feedbackTarget = FeedbackTarget;
    double x1[4], x2[4], y1[4], y2[4];
    double* line[4];
    int position[4];
    for (int j = 0; j < 4; j++) {
        x1[j] = X1[j];
        x2[j] = X2[j];
        y1[j] = Y1[j];
        y2[j] = Y2[j];
        line[j] = Lines[j].data();
        position[j] = Positions[j];
    }
    const double c0 = b0, c1 = b1, c2 = b2, d1 = a1, d2 = a2;
    for (int i = 0; i < n; i++) {
        Glide(gain, gainTarget);
        const double s = gain * 0.5;
        Glide(feedback, feedbackTarget);
        const double g = feedback;
        double o[4];
        for (int j = 0; j < 4; j++) {
            const double v = line[j][position[j]];
            const double y = ((c0 * v + c1 * x1[j]) + c2 * x2[j]) - d1 * y1[j] - d2 * y2[j];
            x2[j] = x1[j];
            x1[j] = v;
            y2[j] = y1[j];
            y1[j] = y;
            o[j] = y;
        }
        outL[i] = (o[0] + o[2]) * s;
        outR[i] = (o[1] + o[3]) * s;
        const double c = (o[0] + o[1] + o[2] + o[3]) * (-0.5 * g);
        const double m[4] = {g * o[0] + inL[i], g * o[1] + inR[i], g * o[2] + inL[i],
                             g * o[3] + inR[i]};
        for (int j = 0; j < 4; j++) {
            line[j][position[j]] = m[j] + c;
            if (++position[j] == Lengths[j]) position[j] = 0;
        }
    }
    GainCurrent = gain;
    FeedbackCurrent = feedback;
    for (int j = 0; j < 4; j++) {
        X1[j] = x1[j];
        X2[j] = x2[j];
        Y1[j] = y1[j];
        Y2[j] = y2[j];
        Positions[j] = position[j];
    }
}

void CFDN::Process(double inL, double inR, double* outL, double* outR) {
    ProcessBlock(&inL, &inR, outL, outR, 1);
}

bool CFDN::Silent() const {
    for (int i = 0; i < 4; i++) {
        if (X1[i] != 0.0 || X2[i] != 0.0 || Y1[i] != 0.0 || Y2[i] != 0.0) return false;
        for (double v : Lines[i])
            if (v != 0.0) return false;
    }
    return true;
}

double CFDN::StoredEnergy() const {
    double energy = 0.0;
    for (int i = 0; i < 4; i++)
        for (double v : Lines[i])
            energy += v * v;
    return energy;
}
