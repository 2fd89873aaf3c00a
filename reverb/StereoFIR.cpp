#include "reverb/StereoFIR.h"

#include <algorithm>
#include <cmath>

CStereoFIR::CStereoFIR(int length, bool sparse)
    : LeftLine(length > 0 ? length : 0, 0.0), RightLine(length > 0 ? length : 0, 0.0),
      WritePosition(0), Length_(length > 0 ? length : 0), CrossfadeRemaining(0),
      CrossfadePosition(0.0), CrossfadeStep(0.0), Sparse(sparse), Gain(1.0) {}

CStereoFIR::CStereoFIR(int length, const double* left, const double* right, bool sparse)
    : CStereoFIR(length, sparse) {
    SetImpulseResponse(left, right, 0);
    std::fill(LeftLine.begin(), LeftLine.end(), 0.0);
    std::fill(RightLine.begin(), RightLine.end(), 0.0);
}

CStereoFIR::~CStereoFIR() = default;

void CStereoFIR::SetImpulseResponse(const double* left, const double* right, int crossfade) {
    if (!Sparse) {
        DenseLeft.assign(left, left + Length_);
        DenseRight.assign(right, right + Length_);
        return;
    }
    BeginCrossfade(crossfade);
    auto build = [this](const double* response, STaps& taps) {
        taps.Index.clear();
        taps.Value.clear();
        int count = 0;
        for (int k = 0; k < Length_; k++)
            if (response[k] != 0.0) count++;
        taps.Index.reserve(count);
        taps.Value.reserve(count);
        for (int k = 0; k < Length_; k++) {
            if (response[k] != 0.0) {
                taps.Index.push_back(k);
                taps.Value.push_back(response[k]);
            }
        }
    };
    build(left, Left);
    build(right, Right);
}

void CStereoFIR::BeginCrossfade(int crossfade) {
    // Otherwise the current lists are simply replaced: a running crossfade keeps
    // blending from its previous lists towards whatever is installed now.
    if (crossfade <= 0 || CrossfadeRemaining != 0) return;
    // Swapped, not moved: the lists keep their storage from one rebuild to the next,
    // so a steady stream of rebuilds allocates nothing.
    std::swap(PreviousLeft, Left);
    std::swap(PreviousRight, Right);
    CrossfadeRemaining = crossfade;
    CrossfadePosition = 0.0;
    CrossfadeStep = 1.0 / crossfade;
}

void CStereoFIR::SetTaps(const std::vector<int>& leftIndex, const std::vector<double>& leftValue,
                         const std::vector<int>& rightIndex, const std::vector<double>& rightValue,
                         int crossfade) {
    BeginCrossfade(crossfade);
    Left.Index.assign(leftIndex.begin(), leftIndex.end());
    Left.Value.assign(leftValue.begin(), leftValue.end());
    Right.Index.assign(rightIndex.begin(), rightIndex.end());
    Right.Value.assign(rightValue.begin(), rightValue.end());
}

int CStereoFIR::Wrap(long long index) const {
    long long r = index % Length_;
    return static_cast<int>(r < 0 ? r + Length_ : r);
}

double CStereoFIR::Convolve(const double* line, const STaps& taps) const {
    double sum = 0.0;
    const int n = static_cast<int>(taps.Index.size());
    for (int t = 0; t < n; t++) {
        int i = WritePosition - taps.Index[t];
        if (i < 0) i += Length_;
        sum += line[i] * taps.Value[t];
    }
    return sum;
}

void CStereoFIR::Process(double x, double* outL, double* outR, double* delayed, int offset) {
    if (Length_ <= 0) {
        if (delayed) *delayed = 0.0;
        return;
    }
    if (!Sparse) {
        double l = 0.0, r = 0.0;
        if (!DenseLeft.empty()) {
            for (int i = 0; i < Length_; i++) {
                l += x * DenseLeft[i];
                r += x * DenseRight[i];
            }
        }
        *outL += l;
        *outR += r;
        return;
    }
    double l, r;
    if (delayed) {
        *delayed = LeftLine[Wrap(static_cast<long long>(WritePosition) + Length_ + offset)];
        LeftLine[WritePosition] = x;
        RightLine[WritePosition] = x;
        l = Convolve(LeftLine.data(), Left);
        r = Convolve(RightLine.data(), Right);
    } else {
        double sumL = 0.0, sumR = 0.0;
        for (double h : Left.Value)
            sumL += h;
        for (double h : Right.Value)
            sumR += h;
        l = x * sumL;
        r = x * sumR;
    }
    if (CrossfadeRemaining > 0) {
        const double e = CrossfadePosition;
        l = e * l;
        r = e * r;
        for (size_t t = 0; t < PreviousLeft.Index.size(); t++) {
            int i = WritePosition - PreviousLeft.Index[t];
            if (i < 0) i += Length_;
            l += (LeftLine[i] * (1.0 - e)) * PreviousLeft.Value[t];
        }
        for (size_t t = 0; t < PreviousRight.Index.size(); t++) {
            int i = WritePosition - PreviousRight.Index[t];
            if (i < 0) i += Length_;
            r += (RightLine[i] * (1.0 - e)) * PreviousRight.Value[t];
        }
        if (--CrossfadeRemaining == 0) {
            PreviousLeft.Clear();
            PreviousRight.Clear();
        } else {
            CrossfadePosition += CrossfadeStep;
        }
    }
    WritePosition = WritePosition + 1 == Length_ ? 0 : WritePosition + 1;
    *outL += l;
    *outR += r;
}

void CStereoFIR::Process(double xL, double xR, double* outL, double* outR, double* delayed,
                         int offset) {
    if (Length_ <= 0) {
        if (delayed) *delayed = 0.0;
        return;
    }
    const bool dense = !DenseLeft.empty();
    double l = 0.0, r = 0.0;
    if (delayed) {
        *delayed = LeftLine[Wrap(static_cast<long long>(WritePosition) + Length_ + offset)];
        LeftLine[WritePosition] = xL;
        RightLine[WritePosition] = xR;
        if (dense) {
            for (int i = 0; i < Length_; i++) {
                int j = WritePosition - i;
                if (j < 0) j += Length_;
                l += LeftLine[j] * DenseLeft[i];
                r += RightLine[j] * DenseRight[i];
            }
        }
        WritePosition = WritePosition + 1 == Length_ ? 0 : WritePosition + 1;
    } else if (dense) {
        for (int i = 0; i < Length_; i++) {
            l += xL * DenseLeft[i];
            r += xR * DenseRight[i];
        }
    }
    *outL += l * Gain;
    *outR += r * Gain;
}

double CStereoFIR::ImpulseResponse(int k) const {
    auto find = [k](const STaps& taps) {
        for (size_t t = 0; t < taps.Index.size() && taps.Index[t] <= k; t++)
            if (taps.Index[t] == k) return taps.Value[t];
        return 0.0;
    };
    return find(Left) + find(Right);
}

void CStereoFIR::Ping(int step) {
    if (Length_ <= 0 || DenseLeft.empty() || step < 1) {
        Gain = 1.0;
        return;
    }
    double sum = 0.0;
    for (int i = 0; i < Length_; i += step)
        sum += DenseLeft[i];
    Gain = sum != 0.0 ? 1.0 / std::fabs(sum) : 1.0;
}
