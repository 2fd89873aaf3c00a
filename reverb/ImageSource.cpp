#include "reverb/ImageSource.h"
#include "reverb/ImageSourcePool.h"

#include <cmath>
#include <new>

CImageSource::CImageSource(int depth, const SSize* room, const SPos* position, double amplitude,
                           double reflection, double horizon)
    : ChildCount(0), Children{}, Amplitude(amplitude), x(position->x), y(position->y),
      Pool(nullptr) {
    Build(depth, room, reflection, horizon);
}

CImageSource::CImageSource(CImageSourcePool* pool, int depth, const SSize* room,
                           const SPos* position, double amplitude, double reflection,
                           double horizon)
    : ChildCount(0), Children{}, Amplitude(amplitude), x(position->x), y(position->y), Pool(pool) {
    Build(depth, room, reflection, horizon);
}

void CImageSource::Build(int depth, const SSize* room, double reflection, double horizon) {
    // The squared horizon distance R² is computed once, at the root.
    const double r2 = depth == 0 ? (horizon * SpeedOfSound) * (horizon * SpeedOfSound) : horizon;
    const double w = room->width, h = room->height;
    const bool xLow = x<0, xHigh = x> w, yLow = y<0, yHigh = y> h;
    // How far this node itself lies outside the room along each axis (0 inside).
    const double dx = xLow ? -x : (xHigh ? x - w : 0.0);
    const double dy = yLow ? -y : (yHigh ? y - h : 0.0);
    try {
        // A child is built only while its image is nearer the room than the horizon,
        // so the recursion ends: every reflection moves the image farther away.
        if (!xLow && x * x + dy * dy < r2) AddChild(room, -x, y, reflection, r2, depth);
        if (!xHigh && (w - x) * (w - x) + dy * dy < r2)
            AddChild(room, 2 * w - x, y, reflection, r2, depth);
        if (!yLow && y * y + dx * dx < r2) AddChild(room, x, -y, reflection, r2, depth);
        if (!yHigh && (h - y) * (h - y) + dx * dx < r2)
            AddChild(room, x, 2 * h - y, reflection, r2, depth);
    } catch (...) {
        if (!Pool)
            for (int i = 0; i < ChildCount; i++)
                delete Children[i];
        throw;
    }
}

CImageSource::~CImageSource() {
    if (Pool) return; // the pool's nodes are released with the pool, all at once
    for (int i = 0; i < ChildCount; i++)
        delete Children[i];
}

void CImageSource::AddChild(const SSize* room, double cx, double cy, double reflection,
                            double horizon2, int depth) {
    const SPos image{cx, cy};
    if (!Pool) {
        Children[ChildCount] =
            new CImageSource(depth + 1, room, &image, Amplitude * reflection, reflection, horizon2);
    } else {
        void* slot = Pool->Allocate(this, cx, cy);
        if (!slot) return; // full: the pool counts what it had to leave out
        Children[ChildCount] = new (slot) CImageSource(
            Pool, depth + 1, room, &image, Amplitude * reflection, reflection, horizon2);
    }
    ChildCount++;
}

double CImageSource::Converge(int depth, const SPos* listener, double t0, double t1) const {
    const double a = depth == 0 ? (t0 * SpeedOfSound) * (t0 * SpeedOfSound) : t0;
    const double b = depth == 0 ? (t1 * SpeedOfSound) * (t1 * SpeedOfSound) : t1;
    const double d = (listener->x - x) * (listener->x - x) + (listener->y - y) * (listener->y - y);
    // Inside the room a child is never nearer than its parent: a node heard after
    // the window hides its whole subtree.
    if (d >= b) return 0.0;
    if (d >= a) return Amplitude;
    double sum = 0.0;
    for (int i = 0; i < ChildCount; i++)
        sum += Children[i]->Converge(depth + 1, listener, a, b);
    return sum;
}

double CImageSource::ConvergeGraphical(int depth, const SPos* point, double t, double w) const {
    const double c = depth == 0 ? std::sqrt((t * SpeedOfSound) * (t * SpeedOfSound)) : t;
    const double l = std::sqrt((point->x - x) * (point->x - x) + (point->y - y) * (point->y - y));
    if (l >= c + w) return 0.0;
    if (l >= c - w) return (1.0 - std::fabs(l - c) / w) * Amplitude;
    double sum = 0.0;
    for (int i = 0; i < ChildCount; i++)
        sum += Children[i]->ConvergeGraphical(depth + 1, point, c, w);
    return sum;
}

CImageSource* CImageSource::Clone() const {
    auto* copy = new CImageSource;
    copy->Amplitude = Amplitude;
    copy->x = x;
    copy->y = y;
    try {
        for (int i = 0; i < ChildCount; i++) {
            copy->Children[i] = Children[i]->Clone();
            copy->ChildCount++;
        }
    } catch (...) {
        delete copy;
        throw;
    }
    return copy;
}
