// The early responses without a walk per tap. Each image arrives in exactly one tap
// window (found by binary search over the window edges, the same squared distances the
// per-tap walk compares) and counts there when every ancestor arrived in an earlier
// window, which is the walk's first-arrival rule. Each tap's amplitudes are summed in
// the walk's own nesting (children in slot order, per parent), so every value equals
// CImageSource::Converge over that window to the last bit.
#pragma once

#include "reverb/Geometry.h"

#include <cmath>
#include <memory>
#include <vector>

class CImageSource;
class CImageSourcePool;

class CEarlyTaps {
public:
    // Window edges for n taps of dt seconds: edge k is (t_k × speed of sound)², with
    // t_0 = 0 and t_k+1 = t_k + dt accumulated as the walk accumulates it.
    void SetWindows(int n, double dt);
    int Taps() const { return static_cast<int>(Edges.size()) - 1; }
    // Room for trees of up to this many nodes, so that Collect never allocates.
    void Reserve(int nodes);

    // The non-zero taps of one tree heard at one listener, ascending. A tree of the heap
    // is copied into a pool first (which allocates, once): not for the audio thread.
    void Collect(const CImageSource* tree, const SPos* listener, std::vector<int>& taps,
                 std::vector<double>& values);
    // The same values from a pool's flattened tree, in one pass over its nodes: what the
    // machine uses, on the audio thread. In two steps, for a machine that keeps the
    // arrivals: Gather finds which nodes are heard in which tap (geometry alone), Sum
    // adds their amplitudes as the walk does (so walls that change only the amplitudes
    // need only Sum).
    void Collect(const CImageSourcePool& tree, const SPos* listener, std::vector<int>& taps,
                 std::vector<double>& values);
    struct SArrival {
        int Tap;
        int Node; // index in the pool's walk order
    };
    void Gather(const CImageSourcePool& tree, const SPos* listener,
                std::vector<SArrival>& arrivals);
    void Sum(const CImageSourcePool& tree, const std::vector<SArrival>& arrivals,
             std::vector<int>& taps, std::vector<double>& values);

private:
    // The window k with Edges[k] <= d < Edges[k + 1]; Taps() when past the last one.
    // The arrival time over the tap length lands on k or next to it; the edges
    // themselves decide, so the answer is the walk's exactly.
    int TapOf(double distance2) const {
        const int n = Taps();
        if (!(distance2 < Edges[n])) return n;
        int k = static_cast<int>(std::sqrt(distance2) * TapsPerMetre); // a guess
        if (k > n - 1) k = n - 1;
        if (k < 0) k = 0;
        while (k > 0 && Edges[k] > distance2)
            k--;
        while (k < n - 1 && Edges[k + 1] <= distance2)
            k++;
        return k;
    }

    double Nested(const CImageSourcePool& tree, const SArrival* first, const SArrival* last);

    std::vector<double> Edges;        // n + 1 squared distances, m²
    double Step = 1.0;                // seconds per tap
    double TapsPerMetre = 1.0;        // 1 / (speed of sound × Step)
    std::vector<int> NodeTap, Latest; // per pool node: its tap, the latest on its path
    std::vector<SArrival> Arrivals;
    std::vector<int> OpenNodes, Ancestors;
    std::vector<double> Sums;
    std::unique_ptr<CImageSourcePool> Copy; // a heap tree, copied for Collect
};
