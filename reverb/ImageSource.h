// One node of an image-source tree: the real source at the root, every child the
// mirror image of its parent in one of the four walls of a W × H room. A tree is
// read-only once built; readers hold the machine's lock (it is rebuilt under it).
#pragma once

#include "reverb/Geometry.h"

class CImageSourcePool;

class CImageSource {
public:
    // depth 0: horizon is a time in seconds; deeper nodes receive the squared horizon
    // distance in m² instead. Builds the whole subtree.
    CImageSource(int depth, const SSize* room, const SPos* position, double amplitude,
                 double reflection, double horizon);
    ~CImageSource();

    // Sum of the amplitudes of the first image on each path whose arrival at the
    // listener lies in [t0, t1) seconds (depth 0; deeper calls get squared distances).
    double Converge(int depth, const SPos* listener, double t0, double t1) const;
    // Wavefront intensity at point at moment t seconds (depth 0; deeper calls get the
    // radius in metres), a triangle of half-width w metres around each first front.
    double ConvergeGraphical(int depth, const SPos* point, double t, double w) const;

    int ChildCount;
    CImageSource* Children[4];
    double Amplitude;
    double x;
    double y;

    // A deep copy, for readers that must not hold the machine's lock while they read.
    CImageSource* Clone() const;

    CImageSource(const CImageSource&) = delete;
    CImageSource& operator=(const CImageSource&) = delete;

private:
    friend class CImageSourcePool;
    CImageSource() : ChildCount(0), Children{}, Amplitude(0), x(0), y(0), Pool(nullptr) {}
    // Builds the subtree with its nodes taken from pool instead of the heap.
    CImageSource(CImageSourcePool* pool, int depth, const SSize* room, const SPos* position,
                 double amplitude, double reflection, double horizon);
    void Build(int depth, const SSize* room, double reflection, double horizon);
    void AddChild(const SSize* room, double cx, double cy, double reflection, double horizon2,
                  int depth);

    // Where the children came from: null for the heap (the node deletes them), else a
    // pool that owns every node and never runs their destructors.
    CImageSourcePool* Pool;
};
