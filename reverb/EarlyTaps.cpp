#include "reverb/EarlyTaps.h"
#include "reverb/ImageSource.h"
#include "reverb/ImageSourcePool.h"

#include <algorithm>
#include <cmath>

void CEarlyTaps::SetWindows(int n, double dt) {
    Step = dt > 0 ? dt : 1.0;
    TapsPerMetre = 1.0 / (SpeedOfSound * Step);
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
    Sums.reserve(n);
    NodeTap.resize(n);
    Latest.resize(n);
    Arrivals.reserve(n);
    OpenNodes.reserve(n);
    Ancestors.reserve(n);
}

void CEarlyTaps::Collect(const CImageSource* tree, const SPos* listener, std::vector<int>& taps,
                         std::vector<double>& values) {
    taps.clear();
    values.clear();
    if (!tree) return;
    if (!Copy) Copy = std::make_unique<CImageSourcePool>();
    Copy->Copy(tree);
    Collect(*Copy, listener, taps, values);
}

void CEarlyTaps::Collect(const CImageSourcePool& tree, const SPos* listener, std::vector<int>& taps,
                         std::vector<double>& values) {
    Gather(tree, listener, Arrivals);
    Sum(tree, Arrivals, taps, values);
}

void CEarlyTaps::Gather(const CImageSourcePool& tree, const SPos* listener,
                        std::vector<SArrival>& arrivals) {
    arrivals.clear();
    const int count = tree.Size(), n = Taps();
    if (count <= 0 || n <= 0) return;
    if (NodeTap.size() < static_cast<size_t>(count)) {
        NodeTap.resize(static_cast<size_t>(count));
        Latest.resize(static_cast<size_t>(count));
    }
    const double* xs = tree.X();
    const double* ys = tree.Y();
    const int* parent = tree.Parent();
    for (int i = 0; i < count; i++) {
        const double d = (listener->x - xs[i]) * (listener->x - xs[i]) +
                         (listener->y - ys[i]) * (listener->y - ys[i]);
        NodeTap[i] = TapOf(d);
    }
    // A node counts when it is heard before the horizon and after every ancestor (the
    // walk's first-arrival rule); past the horizon, its subtree is too.
    for (int i = 0; i < count; i++) {
        const int before = i == 0 ? -1 : Latest[parent[i]];
        const int tap = NodeTap[i];
        Latest[i] = tap > before ? tap : before;
        if (tap < n && tap > before) arrivals.push_back({tap, i});
    }
    // By tap, in walk order within a tap: an insertion sort, stable, and quick on these
    // few arrivals, which the walk already finds mostly in order.
    for (size_t i = 1; i < arrivals.size(); i++) {
        const SArrival a = arrivals[i];
        size_t j = i;
        for (; j > 0 && arrivals[j - 1].Tap > a.Tap; j--)
            arrivals[j] = arrivals[j - 1];
        arrivals[j] = a;
    }
}

void CEarlyTaps::Sum(const CImageSourcePool& tree, const std::vector<SArrival>& arrivals,
                     std::vector<int>& taps, std::vector<double>& values) {
    taps.clear();
    values.clear();
    for (size_t first = 0; first < arrivals.size();) {
        size_t last = first;
        while (last < arrivals.size() && arrivals[last].Tap == arrivals[first].Tap)
            last++;
        // One or two images in a window: every level of the walk adds 0.0 or the other
        // image, so the sum is exact in any nesting. Three or more need the walk's.
        double value;
        if (last - first == 1)
            value = tree.At(arrivals[first].Node)->Amplitude;
        else if (last - first == 2)
            value = tree.At(arrivals[first].Node)->Amplitude +
                    tree.At(arrivals[first + 1].Node)->Amplitude;
        else
            value = Nested(tree, &arrivals[first], &arrivals[last]);
        if (value != 0.0) {
            taps.push_back(arrivals[first].Tap);
            values.push_back(value);
        }
        first = last;
    }
}

double CEarlyTaps::Nested(const CImageSourcePool& tree, const SArrival* first,
                          const SArrival* last) {
    // As the walk sums: each node's children in slot order, a node's sum closed and added
    // to its parent's when the walk would return from it. The open nodes are a path from
    // the root (OpenNodes[k] at depth k); each arrival, in walk order, closes those off
    // its own path and opens the rest of it.
    const int* parent = tree.Parent();
    OpenNodes.clear();
    Sums.clear();
    for (const SArrival* a = first; a != last; a++) {
        Ancestors.clear(); // the parent first, the root last
        for (int p = parent[a->Node]; p >= 0; p = parent[p])
            Ancestors.push_back(p);
        const size_t depth = Ancestors.size();
        if (depth == 0) return tree.At(a->Node)->Amplitude; // the root alone
        size_t shared = 0;
        while (shared < OpenNodes.size() && shared < depth &&
               OpenNodes[shared] == Ancestors[depth - 1 - shared])
            shared++;
        while (OpenNodes.size() > shared) {
            const double closed = Sums.back();
            OpenNodes.pop_back();
            Sums.pop_back();
            Sums.back() += closed;
        }
        for (size_t k = OpenNodes.size(); k < depth; k++) {
            OpenNodes.push_back(Ancestors[depth - 1 - k]);
            Sums.push_back(0.0);
        }
        Sums.back() += tree.At(a->Node)->Amplitude;
    }
    while (Sums.size() > 1) {
        const double closed = Sums.back();
        Sums.pop_back();
        Sums.back() += closed;
    }
    return Sums[0];
}
