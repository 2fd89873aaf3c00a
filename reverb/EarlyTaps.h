// The early responses without a walk per tap. Each image arrives in exactly one tap
// window (found by binary search over the window edges, the same squared distances the
// per-tap walk compares) and counts there when every ancestor arrived in an earlier
// window, which is the walk's first-arrival rule. Each tap's amplitudes are summed in
// the walk's own nesting (children in slot order, per parent), so every value equals
// CImageSource::Converge over that window to the last bit.
#pragma once

#include "reverb/Geometry.h"

#include <vector>

class CImageSource;

class CEarlyTaps {
public:
    // Window edges for n taps of dt seconds: edge k is (t_k × speed of sound)², with
    // t_0 = 0 and t_k+1 = t_k + dt accumulated as the walk accumulates it.
    void SetWindows(int n, double dt);
    int Taps() const { return static_cast<int>(Edges.size()) - 1; }
    // Room for trees of up to this many nodes, so that Collect never allocates.
    void Reserve(int nodes);

    // The non-zero taps of one tree heard at one listener, ascending.
    void Collect(const CImageSource* tree, const SPos* listener, std::vector<int>& taps,
                 std::vector<double>& values);

private:
    struct SContribution {
        int Tap;
        int Depth;
        int Path; // offset of its root-to-node path in Paths
    };
    void Visit(const CImageSource* node, const SPos* listener, int depth, int latestAncestorTap);
    int TapOf(double distance2) const;

    std::vector<double> Edges;              // n + 1 squared distances, m²
    double Step = 1.0;                      // seconds per tap
    std::vector<const CImageSource*> Trail; // the path to the node being visited
    std::vector<const CImageSource*> Paths; // every contribution's path, back to back
    std::vector<SContribution> Found;
    std::vector<double> Sums;
    std::vector<const CImageSource*> Open;
};
