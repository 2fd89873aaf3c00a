#include "reverb/EarlyTaps.h"
#include "reverb/ImageSource.h"

#include <algorithm>
#include <cmath>

void CEarlyTaps::SetWindows(int n, double dt) {
    Step = dt > 0 ? dt : 1.0;
    Edges.resize(n > 0 ? static_cast<size_t>(n) + 1 : 1);
    double t = 0.0;
    Edges[0] = (t * SpeedOfSound) * (t * SpeedOfSound);
    for (int k = 0; k < n; k++) {
        t = t + dt;
        Edges[k + 1] = (t * SpeedOfSound) * (t * SpeedOfSound);
    }
}

void CEarlyTaps::Reserve(int nodes) {
    if (nodes <= 0) return;
    const size_t n = static_cast<size_t>(nodes);
    // A path is never longer than the tree is deep, and no tree is deeper than 16.
    Trail.reserve(n);
    Paths.reserve(n * 16);
    Found.reserve(n);
    Sums.reserve(n);
    Open.reserve(n);
}

int CEarlyTaps::TapOf(double distance2) const {
    // The window k with Edges[k] <= d < Edges[k + 1]; Taps() when past the last one.
    // The arrival time over the tap length lands on k or next to it; the edges
    // themselves decide, so the answer is the walk's exactly.
    const int n = Taps();
    if (!(distance2 < Edges[n])) return n;
    int k = static_cast<int>(std::sqrt(distance2) / SpeedOfSound / Step);
    if (k > n - 1) k = n - 1;
    if (k < 0) k = 0;
    while (k > 0 && Edges[k] > distance2)
        k--;
    while (k < n - 1 && Edges[k + 1] <= distance2)
        k++;
    return k;
}

void CEarlyTaps::Visit(const CImageSource* node, const SPos* listener, int depth,
                       int latestAncestorTap) {
    const double d = (listener->x - node->x) * (listener->x - node->x) +
                     (listener->y - node->y) * (listener->y - node->y);
    const int tap = TapOf(d);
    if (tap >= Taps() || tap < 0) return; // heard after the horizon: so is its subtree
    if (Trail.size() <= static_cast<size_t>(depth)) Trail.resize(static_cast<size_t>(depth) + 1);
    Trail[depth] = node;
    if (tap > latestAncestorTap) {
        Found.push_back({tap, depth, static_cast<int>(Paths.size())});
        Paths.insert(Paths.end(), Trail.begin(), Trail.begin() + depth + 1);
    }
    const int latest = std::max(latestAncestorTap, tap);
    for (int i = 0; i < node->ChildCount; i++)
        Visit(node->Children[i], listener, depth + 1, latest);
}

void CEarlyTaps::Collect(const CImageSource* tree, const SPos* listener, std::vector<int>& taps,
                         std::vector<double>& values) {
    taps.clear();
    values.clear();
    Found.clear();
    Paths.clear();
    if (!tree || Taps() <= 0) return;
    Visit(tree, listener, 0, -1);
    // Group by tap; within a tap the walk's order (depth first, children in slot order),
    // which the paths' offsets record: sorting on both needs no extra storage.
    std::sort(Found.begin(), Found.end(), [](const SContribution& a, const SContribution& b) {
        return a.Tap != b.Tap ? a.Tap < b.Tap : a.Path < b.Path;
    });
    for (size_t first = 0; first < Found.size();) {
        size_t last = first;
        while (last < Found.size() && Found[last].Tap == Found[first].Tap)
            last++;
        double value;
        if (last - first == 1) {
            // One image in the window: every level of the walk adds it to 0.0, exactly.
            value = Paths[Found[first].Path + Found[first].Depth]->Amplitude;
        } else {
            // A stack of the open ancestors' partial sums: a node's sum is closed, and
            // added to its parent's, when the walk would have returned from it.
            Open.clear();
            Sums.clear();
            for (size_t c = first; c < last; c++) {
                const SContribution& f = Found[c];
                const CImageSource* const* path = &Paths[f.Path];
                size_t shared = 0;
                while (shared < Open.size() && static_cast<int>(shared) < f.Depth &&
                       Open[shared] == path[shared])
                    shared++;
                while (Open.size() > shared) {
                    const double closed = Sums.back();
                    Open.pop_back();
                    Sums.pop_back();
                    Sums.back() += closed;
                }
                while (static_cast<int>(Open.size()) < f.Depth) {
                    Open.push_back(path[Open.size()]);
                    Sums.push_back(0.0);
                }
                Sums.back() += path[f.Depth]->Amplitude;
            }
            while (Sums.size() > 1) {
                const double closed = Sums.back();
                Sums.pop_back();
                Sums.back() += closed;
            }
            value = Sums[0];
        }
        if (value != 0.0) {
            taps.push_back(Found[first].Tap);
            values.push_back(value);
        }
        first = last;
    }
}
