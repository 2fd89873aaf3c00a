#include "Pictures.h"
#include "PixelFont.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace Artwork {
namespace {

// Deterministic grain so that every run draws the same pixels.
double Grain(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0 - 0.5;
}

SColour Shade(const SColour& c, double amount) {
    return {c.r + amount, c.g + amount, c.b + amount, c.a};
}

// A light panel under a control that draws black ink, with a recessed edge around it.
void Panel(CCanvas& c, int x, int y, int w, int h) {
    c.Rect(x - 2, y - 2, w + 4, h + 4, Rgb(0x15181C));
    c.Rect(x - 1, y - 1, w + 2, h + 2, Rgb(0x5E7582));
    const SColour top = Rgb(PanelTop), bottom = Rgb(PanelBottom);
    for (int j = 0; j < h; j++) {
        const SColour row = Mix(top, bottom, h > 1 ? j / double(h - 1) : 0);
        for (int i = 0; i < w; i++)
            c.Rect(x + i, y + j, 1, 1, Shade(row, Grain(i, j) * 0.012));
    }
    // Bottom-right highlight on the bevel.
    c.Rect(x - 1, y + h + 1, w + 3, 1, Rgb(0x4A535C));
    c.Rect(x + w + 1, y - 1, 1, h + 3, Rgb(0x4A535C));
}

// A recessed slot for a slider thumb: horizontal when w > h.
void Groove(CCanvas& c, double x, double y, double w, double h) {
    c.FillRoundRect(x, y, w, h, std::min(w, h) / 2, [](double, double) { return Rgb(0x101315); });
    if (w > h)
        c.Line(x + 1.5, y + h + 0.5, x + w - 1.5, y + h + 0.5, 1.0, Rgb(0x59626B, 0.8));
    else
        c.Line(x + w + 0.5, y + 1.5, x + w + 0.5, y + h - 1.5, 1.0, Rgb(0x59626B, 0.8));
}

void Ticks(CCanvas& c, int x0, int x1, int y, int count) {
    for (int i = 0; i < count; i++) {
        const int x = x0 + (x1 - x0) * i / (count - 1);
        c.Rect(x, y, 1, i % (count - 1) == 0 ? 3 : 2, Rgb(0x7C858E));
    }
}

void RightAligned(CCanvas& c, int right, int y, const std::string& text) {
    DrawText5x7(c, right - TextWidth5x7(text), y, text, Rgb(Label));
}

} // namespace

CCanvas Background() {
    CCanvas c(430, 200);
    // Brushed dark slate, a little lighter at the top.
    for (int y = 0; y < 200; y++) {
        const SColour row = Mix(Rgb(0x353C44), Rgb(0x22272D), y / 199.0);
        for (int x = 0; x < 430; x++)
            c.Rect(x, y, 1, 1, Shade(row, Grain(x / 3, y) * 0.035 + Grain(x, y) * 0.01));
    }
    // Top rail with the logo and the maker's name.
    c.Rect(0, 0, 430, 1, Rgb(0x4D5660));
    DrawText5x7(c, 17, 13, "BM", Rgb(0x0E1013), 2, 1);
    DrawText5x7(c, 16, 12, "BM", Rgb(0xE6E9EC), 2, 1);
    DrawText5x7(c, 55, 13, "KESTREL", Rgb(0x0E1013), 2, 1);
    DrawText5x7(c, 54, 12, "KESTREL", Rgb(Accent), 2, 1);
    DrawText5x7(c, 16, 30, "STEREO ROOM REVERB", Rgb(0x8B949D));
    RightAligned(c, 414, 12, "BRIGHTMOOR");
    c.Rect(8, 40, 414, 1, Rgb(0x15181C));
    c.Rect(8, 41, 414, 1, Rgb(0x444C55));

    // Panels under the ink-drawn controls: room view, early and late views, LCD strip.
    Panel(c, 36, 76, 72, 72);
    Panel(c, 132, 76, 88, 72);
    Panel(c, 244, 76, 168, 72);
    Panel(c, 274, 50, 140, 12);
    DrawText5x7(c, 132, 66, "EARLY", Rgb(Label));
    DrawText5x7(c, 244, 66, "LATE TAIL", Rgb(Label));
    RightAligned(c, 268, 53, "STATUS");

    // Slider grooves: thumbs travel 63 px along 81-px sliders.
    Groove(c, 36, 60, 73, 3); // room width, slider at (32, 56) 81 × 11
    Ticks(c, 41, 104, 68, 5);
    Groove(c, 20, 76, 3, 73);  // room height, slider at (16, 72) 11 × 81
    Groove(c, 36, 164, 73, 3); // view time, slider at (32, 160) 81 × 11
    Ticks(c, 41, 104, 172, 4);
    DrawText5x7(c, 32, 46, "WIDTH", Rgb(Label));
    DrawTextUp5x7(c, 6, 140, "HEIGHT", Rgb(Label));
    DrawText5x7(c, 32, 178, "VIEW", Rgb(Label));
    RightAligned(c, 113, 178, "75MS");

    // Knob labels, to the left of each 32 × 38 knob at y = 158.
    const int knobX[4] = {180, 264, 332, 392};
    const char* names[4] = {"ABSORB", "FEEDBACK", "CUTOFF", "GAIN"};
    for (int i = 0; i < 4; i++)
        RightAligned(c, knobX[i] - 1, 174, names[i]);
    c.Rect(124, 152, 298, 1, Rgb(0x15181C));
    c.Rect(124, 153, 298, 1, Rgb(0x3F4750));
    return c;
}

CCanvas KnobStrip() {
    CCanvas c(KnobWidth, KnobHeight * KnobFrames);
    for (int f = 0; f < KnobFrames; f++) {
        const double v = f / double(KnobFrames - 1);
        const double cx = KnobCentreX, cy = KnobCentreY + f * KnobHeight;
        const double angle = -KnobSweepDeg + 2 * KnobSweepDeg * v;
        // Value arc: the whole sweep dark, the travelled part amber.
        c.FillRing(cx, cy, 11.6, 14.0, -KnobSweepDeg, KnobSweepDeg, Rgb(0x0F1114, 0.9));
        if (v > 0) c.FillRing(cx, cy, 12.0, 13.6, -KnobSweepDeg, angle, Rgb(Accent));
        // Body: a dark shadow, then a cap lit from above.
        c.FillCircle(cx, cy + 1, 10.5, [](double, double) { return Rgb(0x08090B, 0.7); });
        c.FillCircle(cx, cy, 10.0, [&](double, double y) {
            return Mix(Rgb(0x6A737D), Rgb(0x2B3036), (y - (cy - 10)) / 20.0);
        });
        c.FillCircle(cx, cy, 8.0, [&](double, double y) {
            return Mix(Rgb(0x48505A), Rgb(0x373D44), (y - (cy - 8)) / 16.0);
        });
        const double a = angle * M_PI / 180.0;
        const double sx = std::sin(a), sy = -std::cos(a);
        c.Line(cx + sx * 2.5, cy + sy * 2.5, cx + sx * 8.5, cy + sy * 8.5, 2.0, Rgb(Pointer));
    }
    return c;
}

static CCanvas Thumb(bool vertical) {
    const int w = vertical ? 11 : 18, h = vertical ? 18 : 11;
    CCanvas c(w, h);
    c.FillRoundRect(0.5, 0.5, w - 1, h - 1, 2.5,
                    [](double, double) { return Rgb(0x0C0E10, 0.85); });
    c.FillRoundRect(1.0, 1.0, w - 2, h - 2, 2.0, [&](double x, double y) {
        const double t = vertical ? x / w : y / h;
        return Mix(Rgb(0xEEF1F3), Rgb(0x9AA3AC), t);
    });
    if (vertical)
        c.Line(2.5, h / 2.0, w - 2.5, h / 2.0, 1.0, Rgb(0x2E3338));
    else
        c.Line(w / 2.0, 2.5, w / 2.0, h - 2.5, 1.0, Rgb(0x2E3338));
    return c;
}

CCanvas VerticalThumb() {
    return Thumb(true);
}

CCanvas HorizontalThumb() {
    return Thumb(false);
}

CCanvas RoomArt() {
    CCanvas c(26, 18, Rgb(0x000000));
    const char* labels[4] = {"SL", "SR", "DL", "DR"};
    for (int n = 0; n < 4; n++) {
        const int x0 = (n % 2) * 13, y0 = (n / 2) * 9;
        for (int i = 0; i < 13; i++) {
            c.Rect(x0 + i, y0, 1, 1, Rgb(0xFFFFFF));
            c.Rect(x0 + i, y0 + 8, 1, 1, Rgb(0xFFFFFF));
        }
        for (int j = 0; j < 9; j++) {
            c.Rect(x0, y0 + j, 1, 1, Rgb(0xFFFFFF));
            c.Rect(x0 + 12, y0 + j, 1, 1, Rgb(0xFFFFFF));
        }
        for (int k = 0; k < 2; k++) {
            const unsigned char* g = Glyph3x5(labels[n][k]);
            for (int row = 0; row < 5; row++)
                for (int col = 0; col < 3; col++)
                    if (g[row] & (4 >> col))
                        c.Rect(x0 + 3 + k * 4 + col, y0 + 2 + row, 1, 1, Rgb(0xFFFFFF));
        }
    }
    return c;
}

CCanvas FontSheet() {
    CCanvas c(128, 104);
    for (int code = 33; code <= 96; code++) {
        const int i = code - 33;
        const int x = (i % 8) * 16, y = (i / 8) * 13;
        // Ink in the left part of the cell: columns 1 … 5, rows 3 … 9 (the LCD strip is
        // 12 rows high and the advance is 8).
        DrawText5x7(c, x + 1, y + 3, std::string(1, static_cast<char>(code)), Rgb(0x000000));
    }
    return c;
}

} // namespace Artwork
