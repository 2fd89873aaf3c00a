// A pair of impulse responses (left and right output) applied to one input by direct
// convolution over a delay line, one sample per call. Sparse mode keeps only the
// non-zero taps and crossfades to a new pair; the same delay line hands back the
// input of a chosen number of samples ago. No lock: the machine calls it under its own.
#pragma once

#include <vector>

class CStereoFIR {
public:
    CStereoFIR(int length, bool sparse);
    // Installs the responses (length doubles each) at once, with silent delay lines.
    CStereoFIR(int length, const double* left, const double* right, bool sparse);
    ~CStereoFIR();

    // Sparse: crossfades over `crossfade` samples (<= 0: switch at the next sample);
    // a crossfade already running carries on towards the newest responses.
    // Dense: copies the responses, no crossfade. Responses are read during the call only.
    void SetImpulseResponse(const double* left, const double* right, int crossfade);
    // The same from the non-zero taps alone (ascending indices below the length),
    // without scanning whole responses. Sparse mode only.
    void SetTaps(const std::vector<int>& leftIndex, const std::vector<double>& leftValue,
                 const std::vector<int>& rightIndex, const std::vector<double>& rightValue,
                 int crossfade);

    // Mono input: adds to *outL and *outR. With `delayed`, the input is stored and
    // *delayed receives the input of -offset samples ago (1 <= -offset <= length).
    void Process(double x, double* outL, double* outR, double* delayed, int offset);
    // The mono Process over a block: outL and outR receive (not add) each sample's sums,
    // delayed (optional) each sample's delayed input. The same arithmetic as per sample,
    // tap by tap over the whole block.
    void ProcessBlock(const double* x, int n, double* outL, double* outR, double* delayed,
                      int offset);
    // Stereo input, always on the dense responses, scaled by the normalising gain.
    void Process(double xL, double xR, double* outL, double* outR, double* delayed, int offset);

    // Sum of the current left and right tap values at index k (0 without taps).
    double ImpulseResponse(int k) const;
    // Normalising gain = 1 / |sum of the dense left response every `step` taps|.
    void Ping(int step);

    // Room for this many taps a side in every list (current and crossfade), so that
    // installing responses up to that size never allocates. No lock.
    void ReserveTaps(int taps);

    int Length() const { return Length_; }
    // The current sparse taps of one side (0 left, 1 right), ascending by index.
    const std::vector<int>& TapIndices(int side) const { return side ? Right.Index : Left.Index; }
    const std::vector<double>& TapValues(int side) const { return side ? Right.Value : Left.Value; }
    bool Crossfading() const { return CrossfadeRemaining > 0; }

    CStereoFIR(const CStereoFIR&) = delete;
    CStereoFIR& operator=(const CStereoFIR&) = delete;

private:
    struct STaps {
        std::vector<int> Index; // strictly ascending
        std::vector<double> Value;
        void Clear() {
            Index.clear();
            Value.clear();
        }
    };

    void BeginCrossfade(int crossfade);
    // Samples back that a read offset means on a delay line of Length_, as a ring reads it.
    int Back(int offset) const;
    void MakeRoom(int n);
    static void Convolve(const std::vector<int>& index, const std::vector<double>& value,
                         const double* now, int n, double* out);

    // Mono input: both delay lines hold the same samples, so one linear history serves
    // both; the next sample goes to History[Cursor], and Cursor >= Length_ always, so
    // every tap and delayed read finds its sample without wrapping.
    std::vector<double> History;
    int Cursor;
    // Stereo input (dense): two rings of Length_ samples.
    std::vector<double> LeftLine;
    std::vector<double> RightLine;
    int WritePosition;
    int Length_;
    STaps Left, Right;
    STaps PreviousLeft, PreviousRight; // only while a crossfade runs
    int CrossfadeRemaining;
    double CrossfadePosition; // weight of the current responses, 0 → 1
    double CrossfadeStep;
    bool Sparse;
    std::vector<double> DenseLeft, DenseRight;
    double Gain;
};
