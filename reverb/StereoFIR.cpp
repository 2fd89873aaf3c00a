#include "reverb/StereoFIR.h"

#include <algorithm>
#include <cmath>

namespace {
// Samples of history kept beyond the delay line's length, so that blocks append
// without moving anything most of the time.
constexpr int HistoryRoom = 4096;
} // namespace

CStereoFIR::CStereoFIR(int length, bool sparse)
    : History(length > 0 ? static_cast<size_t>(length) + HistoryRoom : 0, 0.0),
      Cursor(length > 0 ? length : 0), LeftLine(length > 0 ? length : 0, 0.0),
      RightLine(length > 0 ? length : 0, 0.0), WritePosition(0), Length_(length > 0 ? length : 0),
      CrossfadeRemaining(0), CrossfadePosition(0.0), CrossfadeStep(0.0), Sparse(sparse), Gain(1.0) {
}

CStereoFIR::CStereoFIR(int length, const double* left, const double* right, bool sparse)
    : CStereoFIR(length, sparse) {
    SetImpulseResponse(left, right, 0);
    std::fill(History.begin(), History.end(), 0.0);
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

void CStereoFIR::ReserveTaps(int taps) {
    if (taps < 0) return;
    for (STaps* list : {&Left, &Right, &PreviousLeft, &PreviousRight}) {
        list->Index.reserve(static_cast<size_t>(taps));
        list->Value.reserve(static_cast<size_t>(taps));
    }
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

int CStereoFIR::Back(int offset) const {
    const int slot = (offset % Length_ + Length_) % Length_;
    return slot == 0 ? Length_ : Length_ - slot;
}

void CStereoFIR::MakeRoom(int n) {
    if (Cursor + n <= static_cast<int>(History.size())) return;
    // Keep the last Length_ samples: all that any tap or delayed read can reach.
    std::copy(History.begin() + (Cursor - Length_), History.begin() + Cursor, History.begin());
    Cursor = Length_;
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
    MakeRoom(1);
    const double* now = History.data() + Cursor; // the slot of the current sample
    double l, r;
    if (delayed) {
        *delayed = now[-Back(offset)];
        History[Cursor] = x;
        l = 0.0;
        for (size_t t = 0; t < Left.Index.size(); t++)
            l += now[-Left.Index[t]] * Left.Value[t];
        r = 0.0;
        for (size_t t = 0; t < Right.Index.size(); t++)
            r += now[-Right.Index[t]] * Right.Value[t];
    } else {
        // The input is not stored, yet the position moves on: the slot keeps the sample
        // a ring of Length_ would still hold there.
        History[Cursor] = now[-Length_];
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
        for (size_t t = 0; t < PreviousLeft.Index.size(); t++)
            l += (now[-PreviousLeft.Index[t]] * (1.0 - e)) * PreviousLeft.Value[t];
        for (size_t t = 0; t < PreviousRight.Index.size(); t++)
            r += (now[-PreviousRight.Index[t]] * (1.0 - e)) * PreviousRight.Value[t];
        if (--CrossfadeRemaining == 0) {
            PreviousLeft.Clear();
            PreviousRight.Clear();
        } else {
            CrossfadePosition += CrossfadeStep;
        }
    }
    Cursor++;
    *outL += l;
    *outR += r;
}

void CStereoFIR::ProcessBlock(const double* x, int n, double* outL, double* outR, double* delayed,
                              int offset) {
    if (n <= 0) return; // the cursor must never move back
    if (Length_ <= 0 || !Sparse || !delayed || n > HistoryRoom) {
        for (int i = 0; i < n; i++) {
            outL[i] = outR[i] = 0.0;
            Process(x[i], &outL[i], &outR[i], delayed ? &delayed[i] : nullptr, offset);
        }
        return;
    }
    MakeRoom(n);
    double* now = History.data() + Cursor;
    for (int i = 0; i < n; i++)
        now[i] = x[i];
    const double* from = now - Back(offset);
    for (int i = 0; i < n; i++)
        delayed[i] = from[i];
    // A crossfade runs over the block too, in stretches that fit a weight table on the
    // stack: each sample weighs its current sum, then adds the previous taps in order.
    int done = 0;
    while (CrossfadeRemaining > 0 && done < n) {
        constexpr int Stretch = 256;
        const int m = std::min({n - done, CrossfadeRemaining, Stretch});
        double weight[Stretch], fading[Stretch];
        for (int i = 0; i < m; i++) {
            weight[i] = CrossfadePosition;
            fading[i] = 1.0 - CrossfadePosition;
            if (--CrossfadeRemaining > 0) CrossfadePosition += CrossfadeStep;
        }
        auto fade = [&](const STaps& current, const STaps& previous, double* out) {
            Convolve(current.Index, current.Value, now + done, m, out + done);
            double* o = out + done;
            for (int i = 0; i < m; i++)
                o[i] = weight[i] * o[i];
            // Four previous taps a pass, each sample still adding them in ascending order.
            const size_t count = previous.Index.size();
            size_t t = 0;
            for (; t + 4 <= count; t += 4) {
                const double* f0 = now + done - previous.Index[t];
                const double* f1 = now + done - previous.Index[t + 1];
                const double* f2 = now + done - previous.Index[t + 2];
                const double* f3 = now + done - previous.Index[t + 3];
                const double h0 = previous.Value[t], h1 = previous.Value[t + 1];
                const double h2 = previous.Value[t + 2], h3 = previous.Value[t + 3];
                for (int i = 0; i < m; i++) {
                    double v = o[i];
                    v += (f0[i] * fading[i]) * h0;
                    v += (f1[i] * fading[i]) * h1;
                    v += (f2[i] * fading[i]) * h2;
                    v += (f3[i] * fading[i]) * h3;
                    o[i] = v;
                }
            }
            for (; t < count; t++) {
                const double* old = now + done - previous.Index[t];
                const double h = previous.Value[t];
                for (int i = 0; i < m; i++)
                    o[i] += (old[i] * fading[i]) * h;
            }
        };
        fade(Left, PreviousLeft, outL);
        fade(Right, PreviousRight, outR);
        if (CrossfadeRemaining == 0) {
            PreviousLeft.Clear();
            PreviousRight.Clear();
        }
        done += m;
    }
    Convolve(Left.Index, Left.Value, now + done, n - done, outL + done);
    Convolve(Right.Index, Right.Value, now + done, n - done, outR + done);
    Cursor += n;
}

// Over the block, four taps a pass: each sample still sums its taps in ascending order,
// starting from 0.0, as one sample at a time does.
void CStereoFIR::Convolve(const std::vector<int>& index, const std::vector<double>& value,
                          const double* now, int n, double* out) {
    for (int i = 0; i < n; i++)
        out[i] = 0.0;
    const size_t count = index.size();
    size_t t = 0;
    for (; t + 4 <= count; t += 4) {
        const double* f0 = now - index[t];
        const double* f1 = now - index[t + 1];
        const double* f2 = now - index[t + 2];
        const double* f3 = now - index[t + 3];
        const double h0 = value[t], h1 = value[t + 1], h2 = value[t + 2], h3 = value[t + 3];
        for (int i = 0; i < n; i++) {
            double v = out[i];
            v += f0[i] * h0;
            v += f1[i] * h1;
            v += f2[i] * h2;
            v += f3[i] * h3;
            out[i] = v;
        }
    }
    for (; t < count; t++) {
        const double* from = now - index[t];
        const double h = value[t];
        for (int i = 0; i < n; i++)
            out[i] += from[i] * h;
    }
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
        *delayed = LeftLine[(WritePosition + Length_ - Back(offset)) % Length_];
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
