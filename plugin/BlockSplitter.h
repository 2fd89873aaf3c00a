// Sample-accurate parameter changes for formats that deliver them (VST 3, CLAP): the
// block is split where changes apply, and every piece runs as one block of its own.
// Points closer than KestrelMergeFrames to the first of a run are merged into it with
// the later values, so a ramp of points rebuilds at most once per 32 frames. The
// result is defined by the VST 2 build: the same pieces, with setParameter before
// each, give the same samples. Audio thread; allocates nothing.
#pragma once

#include "reverb/Kestrel.h"

#include <algorithm>

constexpr int KestrelMergeFrames = 32;

struct SParameterPoint {
    int Offset; // frame in the block, 0 … frames − 1
    int Index;  // property
    double Value;
};

// Sorts points by offset, keeping the order of points at one offset (so that a
// parameter's later point still wins): an insertion sort, which allocates nothing and is
// quick on what hosts send, points in order or nearly.
inline void KestrelSortPoints(SParameterPoint* points, int count) {
    for (int i = 1; i < count; i++) {
        const SParameterPoint p = points[i];
        int j = i;
        for (; j > 0 && points[j - 1].Offset > p.Offset; j--)
            points[j] = points[j - 1];
        points[j] = p;
    }
}

// points: sorted by offset (stable: a later point of one parameter wins). For each piece
// [start, start + length), apply(index, value) is called for the points applied at its
// start, then run(start, length). A block without points is one piece.
template <typename Apply, typename Run>
void KestrelSplitBlock(const SParameterPoint* points, int count, int frames, Apply apply, Run run) {
    int start = 0, next = 0;
    while (start < frames) {
        // A run of points begins here: it takes every point before start + 32.
        if (next < count && points[next].Offset <= start)
            for (; next < count && points[next].Offset < start + KestrelMergeFrames; next++)
                apply(points[next].Index, points[next].Value);
        const int at =
            next < count ? std::min(std::max(points[next].Offset, start + 1), frames) : frames;
        run(start, at - start);
        start = at;
    }
    for (; next < count; next++) // at or past the end (or a block of no frames)
        apply(points[next].Index, points[next].Value);
}

// Applies a point to the machine. Hosts send the values in force again (at the start of
// playback, after a reload): only a change is one, as a VST 2 host calls setParameter
// only for a change, so a value sent twice rebuilds nothing and starts no crossfade.
inline void KestrelApplyPoint(CKestrel& machine, int index, double value) {
    if (machine.GetProperty(index) != std::min(1.0, std::max(0.0, value)))
        machine.SetProperty(index, value);
}

// Runs frames [start, start + frames) of a host's channels through the machine as one
// block (two channels each way at most; missing ones read silence), in pieces its buffers
// hold should a host bring more than it announced. In and out may be the same memory.
template <typename Sample>
void KestrelRunPiece(CKestrel& machine, Sample* const* inputs, int inChannels,
                     Sample* const* outputs, int outChannels, int start, int frames) {
    CAudioBuffer* line = machine.Ports[0]->AudioBuffer;
    const CAudioBuffer* result = machine.Ports[1]->AudioBuffer;
    const int hold = std::max(1, std::min(line->Capacity(), result->Capacity()));
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, hold), at = start + done;
        for (int c = 0; c < 2; c++) {
            const Sample* x = inputs && c < inChannels ? inputs[c] : nullptr;
            double* to = c == 0 ? line->Left : line->Right;
            for (int i = 0; i < n; i++)
                to[i] = x ? static_cast<double>(x[at + i]) : 0.0;
        }
        machine.SetBlockSamples(n);
        machine.Work();
        for (int c = 0; c < 2 && c < outChannels; c++) {
            Sample* y = outputs ? outputs[c] : nullptr;
            const double* from = c == 0 ? result->Left : result->Right;
            if (y)
                for (int i = 0; i < n; i++)
                    y[at + i] = static_cast<Sample>(from[i]);
        }
        done += n;
    }
}
