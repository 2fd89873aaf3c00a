#include "Canvas.h"

#include <algorithm>
#include <cmath>

SColour Rgb(int rgb, double alpha) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, alpha};
}

SColour Mix(const SColour& a, const SColour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

CCanvas::CCanvas(int width, int height, SColour fill)
    : W(width), H(height), Pixels(static_cast<size_t>(width) * height, fill) {}

void CCanvas::Blend(int x, int y, const SColour& c, double coverage) {
    if (x < 0 || y < 0 || x >= W || y >= H || coverage <= 0) return;
    SColour& d = At(x, y);
    const double sa = c.a * std::min(1.0, coverage);
    const double oa = sa + d.a * (1 - sa);
    if (oa <= 0) {
        d = {0, 0, 0, 0};
        return;
    }
    d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
    d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
    d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
    d.a = oa;
}

void CCanvas::Paint(double x0, double y0, double x1, double y1,
                    const std::function<bool(double, double)>& inside,
                    const std::function<SColour(double, double)>& colour) {
    const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    const int ix1 = std::min(W - 1, static_cast<int>(std::ceil(x1)));
    const int iy1 = std::min(H - 1, static_cast<int>(std::ceil(y1)));
    constexpr int N = 4;
    for (int y = iy0; y <= iy1; y++) {
        for (int x = ix0; x <= ix1; x++) {
            int hits = 0;
            for (int j = 0; j < N; j++)
                for (int i = 0; i < N; i++)
                    if (inside(x + (i + 0.5) / N, y + (j + 0.5) / N)) hits++;
            if (hits) Blend(x, y, colour(x + 0.5, y + 0.5), hits / double(N * N));
        }
    }
}

void CCanvas::FillCircle(double cx, double cy, double r,
                         const std::function<SColour(double, double)>& c) {
    Paint(
        cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1,
        [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }, c);
}

void CCanvas::FillRing(double cx, double cy, double r0, double r1, double fromDeg, double toDeg,
                       const SColour& c) {
    // Angles in degrees, 0 pointing up, clockwise positive.
    Paint(
        cx - r1 - 1, cy - r1 - 1, cx + r1 + 1, cy + r1 + 1,
        [=](double x, double y) {
            const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 < r0 * r0 || d2 > r1 * r1) return false;
            const double a = std::atan2(x - cx, cy - y) * 180.0 / M_PI;
            return a >= fromDeg && a <= toDeg;
        },
        [=](double, double) { return c; });
}

void CCanvas::FillRoundRect(double x, double y, double w, double h, double radius,
                            const std::function<SColour(double, double)>& c) {
    Paint(
        x - 1, y - 1, x + w + 1, y + h + 1,
        [=](double px, double py) {
            if (px < x || py < y || px > x + w || py > y + h) return false;
            const double qx = std::max({x + radius - px, px - (x + w - radius), 0.0});
            const double qy = std::max({y + radius - py, py - (y + h - radius), 0.0});
            return qx * qx + qy * qy <= radius * radius;
        },
        c);
}

void CCanvas::Line(double x0, double y0, double x1, double y1, double width, const SColour& c) {
    const double r = width / 2;
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    Paint(
        std::min(x0, x1) - r - 1, std::min(y0, y1) - r - 1, std::max(x0, x1) + r + 1,
        std::max(y0, y1) + r + 1,
        [=](double px, double py) {
            double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = x0 + t * dx - px, ey = y0 + t * dy - py;
            return ex * ex + ey * ey <= r * r;
        },
        [=](double, double) { return c; });
}

void CCanvas::Rect(int x, int y, int w, int h, const SColour& c) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            Blend(i, j, c, 1.0);
}

std::vector<unsigned char> CCanvas::Bytes(bool alpha) const {
    std::vector<unsigned char> out;
    out.reserve(Pixels.size() * (alpha ? 4 : 3));
    auto byte = [](double v) {
        return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    for (const SColour& p : Pixels) {
        out.push_back(byte(p.r));
        out.push_back(byte(p.g));
        out.push_back(byte(p.b));
        if (alpha) out.push_back(byte(p.a));
    }
    return out;
}
