#include "dsp/MultiFilter.h"
#include "dsp/LevelUtils.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979;

const double CompensationTable[100] = {
    0.448883, 0.445892, 0.442932, 0.440033, 0.437134, 0.434265, 0.431427, 0.428619, 0.425842,
    0.423096, 0.42038,  0.417664, 0.415009, 0.412354, 0.409729, 0.407135, 0.404572, 0.402008,
    0.399506, 0.397003, 0.394501, 0.392059, 0.389618, 0.387207, 0.384827, 0.382477, 0.380127,
    0.377808, 0.375488, 0.37323,  0.370972, 0.368713, 0.366516, 0.364319, 0.362122, 0.359985,
    0.357849, 0.355713, 0.353607, 0.351532, 0.349457, 0.347412, 0.345398, 0.343384, 0.34137,
    0.339417, 0.337463, 0.33551,  0.333588, 0.331665, 0.329773, 0.327911, 0.32605,  0.324188,
    0.322357, 0.320557, 0.318756, 0.316986, 0.315216, 0.313446, 0.311707, 0.309998, 0.308289,
    0.30658,  0.304901, 0.303223, 0.301575, 0.299927, 0.298309, 0.296692, 0.295074, 0.293488,
    0.291931, 0.290375, 0.288818, 0.287262, 0.285736, 0.284241, 0.282715, 0.28125,  0.279755,
    0.27829,  0.276825, 0.275391, 0.273956, 0.272552, 0.271118, 0.269745, 0.268341, 0.266968,
    0.265594, 0.264252, 0.262909, 0.261566, 0.260223, 0.258911, 0.257599, 0.256317, 0.255035,
    0.25375};

// Limits z to [−0.95, 0.95] without a branch, as the ladder's stages saturate.
double Clip(double z) {
    return (std::fabs(z + 0.95) - std::fabs(z - 0.95)) / 2;
}

} // namespace

CMultiFilter::CMultiFilter(int sampleRate, int mode, int poles, double voltage, double resonance)
    : X1a(0), X2a(0), X1b(0), X2b(0), Y1a(0), Y2a(0), Y1b(0), Y2b(0), A0(0), A1(0), A2(0), B1(0),
      B2(0), Nyquist(sampleRate * 0.5), Voltage(voltage), Resonance(0), Damping(0), K(0),
      RootTwo(static_cast<double>(1.41421356f)), Scale(1), SampleRate(sampleRate), Mode(mode),
      Poles(poles), Algorithm(FilterBiquad), UpdateInterval(4), UpdateCountdown(0), Dirty(true),
      Recomputed(0) {
    SetResonancedB(resonance);
}

void CMultiFilter::Reset() {
    X1a = X2a = X1b = X2b = Y1a = Y2a = Y1b = Y2b = 0;
}

void CMultiFilter::SetVoltage(double voltage) {
    Voltage = voltage;
    Dirty = true;
}

void CMultiFilter::SetResonancedB(double resonance) {
    Resonance = resonance;
    K = dBToPowerRatio(-resonance);
    Damping = RootTwo * K;
    Dirty = true;
}

void CMultiFilter::SetMode(int mode) {
    Mode = mode;
    Reset();
}

void CMultiFilter::SetPoles(int poles) {
    if (poles == Poles) return;
    if (poles == 1) X1b = X2b = Y1b = Y2b = 0;
    Poles = poles;
}

void CMultiFilter::SetAlgorithm(int algorithm) {
    Algorithm = algorithm;
}

void CMultiFilter::SetSampleRate(int rate) {
    SampleRate = rate;
    Nyquist = rate * 0.5;
    Dirty = true;
}

void CMultiFilter::SetScale(double scale) {
    Scale = scale;
}

double CMultiFilter::Cutoff(double voltage) const {
    double f = 440.0 * std::pow(2.0, voltage - 5);
    const double top = 0.5 * Nyquist;
    if (f > top) f = top;
    if (!(f >= 1)) f = 1;
    return f;
}

void CMultiFilter::Process(int count, double* samples, const double* voltageOffsets,
                           const double* resonanceOffsets) {
    if (Algorithm == FilterBiquad)
        ProcessButterworth(count, samples, voltageOffsets, resonanceOffsets);
    else if (Algorithm == FilterLadder)
        ProcessMoog(count, samples, voltageOffsets, resonanceOffsets);
}

void CMultiFilter::Recompute(double voltage, double damping, double k) {
    Recomputed++;
    const double w = Cutoff(voltage) * Pi / SampleRate;
    switch (Mode) {
    case FilterLowPass: {
        const double c = 1 / std::tan(w);
        A0 = 1 / (1 + damping * c + c * c);
        A1 = 2 * A0;
        A2 = A0;
        B1 = 2 * (1 - c * c) * A0;
        B2 = (1 - damping * c + c * c) * A0;
        break;
    }
    case FilterHighPass: {
        const double c = std::tan(w);
        A0 = 1 / (1 + damping * c + c * c);
        A1 = -2 * A0;
        A2 = A0;
        B1 = 2 * (c * c - 1) * A0;
        B2 = (1 - damping * c + c * c) * A0;
        break;
    }
    case FilterBandPass: { // bandwidth k·f Hz
        const double c = 1 / std::tan(k * w);
        const double d = 2 * std::cos(2 * w);
        A0 = 1 / (1 + c);
        A1 = 0;
        A2 = -A0;
        B1 = -c * d * A0;
        B2 = (c - 1) * A0;
        break;
    }
    case FilterBandReject: {
        const double c = std::tan(k * w);
        const double d = 2 * std::cos(2 * w);
        A0 = 1 / (1 + c);
        A1 = -d * A0;
        A2 = A0;
        B1 = -d * A0;
        B2 = (1 - c) * A0;
        break;
    }
    default: break; // other modes keep the previous coefficients
    }
}

void CMultiFilter::ProcessButterworth(int count, double* samples, const double* voltageOffsets,
                                      const double* resonanceOffsets) {
    const bool modulated = voltageOffsets || resonanceOffsets;
    double gain = dBToPowerRatio(-Resonance * 0.5) * Scale; // 10^(−resonance/20)
    double damping = Damping, k = K;
    for (int i = 0; i < count; i++) {
        bool recompute = Dirty;
        if (modulated) {
            if (UpdateCountdown == 0) {
                recompute = true;
                UpdateCountdown = UpdateInterval - 1;
            } else {
                UpdateCountdown--;
            }
        }
        if (recompute) {
            if (resonanceOffsets) {
                const double r = Resonance + resonanceOffsets[i];
                k = dBToPowerRatio(-r);
                damping = RootTwo * k;
                gain = dBToPowerRatio(-r * 0.5) * Scale;
            }
            Recompute(Voltage + (voltageOffsets ? voltageOffsets[i] : 0.0), damping, k);
            Dirty = false;
        }
        const double x = samples[i];
        double y = A0 * x + A1 * X1a + A2 * X2a - B1 * Y1a - B2 * Y2a;
        X2a = X1a;
        X1a = x;
        Y2a = Y1a;
        Y1a = y;
        if (Poles == 1) {
            const double v = y;
            y = A0 * v + A1 * X1b + A2 * X2b - B1 * Y1b - B2 * Y2b;
            X2b = X1b;
            X1b = v;
            Y2b = Y1b;
            Y1b = y;
        }
        samples[i] = y * gain;
    }
}

double CMultiFilter::Compensation(double h) {
    const double p = 99 * h;
    const double t = std::floor(p);
    if (t < 0) return CompensationTable[0];
    if (t >= 99) return CompensationTable[99];
    const int index = static_cast<int>(t);
    const double r = p - t;
    return (1 - r) * CompensationTable[index] + r * CompensationTable[index + 1];
}

void CMultiFilter::ProcessMoog(int count, double* samples, const double* voltageOffsets,
                               const double* resonanceOffsets) {
    double* stages[4] = {&Y1a, &Y2a, &Y1b, &Y2b};
    const int used = Poles == 0 ? 2 : 4;
    const int middle = Poles == 0 ? 1 : 2;
    double memory = X1a;
    for (int i = 0; i < count; i++) {
        const double f = Cutoff(Voltage + (voltageOffsets ? voltageOffsets[i] : 0.0));
        const double w = 2 * f / SampleRate;
        const double h = static_cast<double>(-0.69346f) * w * w * w -
                         static_cast<double>(0.59515f) * w * w + static_cast<double>(3.2937f) * w -
                         static_cast<double>(1.0072f);
        double amount = Resonance;
        if (resonanceOffsets) {
            amount = Resonance + resonanceOffsets[i];
            if (amount < 0) amount = 0;
            if (amount > 1) amount = 1;
        }
        const double feedback = 4 * amount * Compensation(h);
        const double x = samples[i];
        double c = (x - memory) * 0.25;
        for (int j = 0; j < used; j++) {
            const double previous = *stages[j];
            const double e = Clip(c + h * (c - previous));
            *stages[j] = e;
            c = Clip(previous + e);
        }
        const double y = c;
        const double band = 3 * *stages[middle] - y;
        switch (Mode) {
        case FilterHighPass: samples[i] = x - y; break;
        case FilterBandPass: samples[i] = band; break;
        case FilterBandReject: samples[i] = x - band; break;
        default: samples[i] = y; break;
        }
        memory = feedback * y;
    }
    X1a = memory;
}
