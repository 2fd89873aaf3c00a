// A floating-point RGBA picture with anti-aliased shapes, for drawing the artwork.
#pragma once

#include <functional>
#include <vector>

struct SColour {
    double r, g, b, a; // 0 … 1, straight alpha
};

SColour Rgb(int rgb, double alpha = 1.0); // from 0xRRGGBB
SColour Mix(const SColour& a, const SColour& b, double t);

class CCanvas {
public:
    CCanvas(int width, int height, SColour fill = {0, 0, 0, 0});

    int Width() const { return W; }
    int Height() const { return H; }
    SColour& At(int x, int y) { return Pixels[static_cast<size_t>(y) * W + x]; }
    const SColour& At(int x, int y) const { return Pixels[static_cast<size_t>(y) * W + x]; }

    // Composites colour over the pixel with the given coverage (0 … 1).
    void Blend(int x, int y, const SColour& colour, double coverage);

    // Paints every pixel of the box whose 4 × 4 subsamples fall inside the shape,
    // weighted by how many do; the colour may vary over the picture.
    void Paint(double x0, double y0, double x1, double y1,
               const std::function<bool(double, double)>& inside,
               const std::function<SColour(double, double)>& colour);

    void FillCircle(double cx, double cy, double r,
                    const std::function<SColour(double, double)>& c);
    void FillRing(double cx, double cy, double r0, double r1, double fromDeg, double toDeg,
                  const SColour& c);
    void FillRoundRect(double x, double y, double w, double h, double radius,
                       const std::function<SColour(double, double)>& c);
    void Line(double x0, double y0, double x1, double y1, double width, const SColour& c);
    void Rect(int x, int y, int w, int h, const SColour& c); // hard-edged fill

    // 8-bit output: RGB, or RGBA with alpha.
    std::vector<unsigned char> Bytes(bool alpha) const;

private:
    int W, H;
    std::vector<SColour> Pixels;
};
