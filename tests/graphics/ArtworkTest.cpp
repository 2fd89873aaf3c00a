// The committed pictures, decoded through the library's own resources, meet the
// sizes, formats and layouts the editor relies on.
#include "Pictures.h"
#include "graphics/FrameBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

std::unique_ptr<CFrameBuffer> Load(int id) {
    return std::make_unique<CFrameBuffer>(id);
}

const unsigned char* Pixel(const CFrameBuffer& f, int x, int y) {
    return f.GetData() + (y * f.GetWidth() + x) * f.BytesPerPixel();
}

} // namespace

TEST(Artwork, EveryPictureDecodesWithItsSizeAndFormat) {
    struct {
        int Id, Width, Height;
        bool Alpha;
    } expected[] = {{118, 430, 200, false}, {107, 32, 2318, true}, {110, 11, 18, true},
                    {109, 18, 11, true},    {108, 26, 18, false},  {104, 128, 104, true}};
    for (const auto& e : expected) {
        auto f = Load(e.Id);
        EXPECT_EQ(f->GetWidth(), e.Width) << e.Id;
        EXPECT_EQ(f->GetHeight(), e.Height) << e.Id;
        EXPECT_EQ(f->GetAlpha(), e.Alpha) << e.Id;
        EXPECT_EQ(f->ClipRight, e.Width - 1);
        EXPECT_EQ(f->ClipBottom, e.Height - 1);
    }
    try {
        CFrameBuffer missing(999);
        FAIL() << "a missing resource must not decode";
    } catch (const char* message) {
        EXPECT_STREQ(message, "PNG File Is Too Small To Fit A Valid Header");
    }
}

TEST(Artwork, TheCommittedPicturesAreTheGeneratorsOutput) {
    // Nobody edits the PNGs by hand: they decode to exactly what tools/artwork draws.
    struct {
        int Id;
        CCanvas (*Draw)();
    } pictures[] = {{118, Artwork::Background},    {107, Artwork::KnobStrip},
                    {110, Artwork::VerticalThumb}, {109, Artwork::HorizontalThumb},
                    {108, Artwork::RoomArt},       {104, Artwork::FontSheet}};
    for (const auto& p : pictures) {
        auto f = Load(p.Id);
        const auto bytes = p.Draw().Bytes(f->GetAlpha());
        ASSERT_EQ(bytes.size(), size_t(f->GetWidth() * f->GetHeight() * f->BytesPerPixel()));
        EXPECT_EQ(std::memcmp(bytes.data(), f->GetData(), bytes.size()), 0)
            << p.Id << ": run scripts/artwork";
    }
}

TEST(Artwork, KnobFramesDifferAndThePointerTurnsOneWay) {
    auto strip = Load(107);
    const int frames = strip->GetHeight() / Artwork::KnobHeight;
    ASSERT_EQ(frames, 61);
    const int pr = (Artwork::Pointer >> 16) & 255, pg = (Artwork::Pointer >> 8) & 255,
              pb = Artwork::Pointer & 255;
    double previous = -1e9;
    for (int k = 0; k < frames; k++) {
        const int top = k * Artwork::KnobHeight;
        if (k > 0) {
            EXPECT_NE(std::memcmp(Pixel(*strip, 0, top),
                                  Pixel(*strip, 0, top - Artwork::KnobHeight),
                                  Artwork::KnobWidth * Artwork::KnobHeight * 4),
                      0)
                << k;
        }
        // The pointer's angle: centroid of the pointer-coloured, opaque pixels.
        double sx = 0, sy = 0, n = 0;
        for (int y = 0; y < Artwork::KnobHeight; y++)
            for (int x = 0; x < Artwork::KnobWidth; x++) {
                const unsigned char* p = Pixel(*strip, x, top + y);
                if (p[3] > 200 && std::abs(p[0] - pr) < 24 && std::abs(p[1] - pg) < 24 &&
                    std::abs(p[2] - pb) < 24) {
                    sx += x + 0.5 - Artwork::KnobCentreX;
                    sy += y + 0.5 - Artwork::KnobCentreY;
                    n++;
                }
            }
        ASSERT_GT(n, 0) << "frame " << k << " has no pointer";
        const double angle = std::atan2(sx / n, -sy / n) * 180 / M_PI; // 0 up, clockwise
        const double expected = -Artwork::KnobSweepDeg + 2 * Artwork::KnobSweepDeg * k / 60.0;
        EXPECT_NEAR(angle, expected, 6.0) << k;
        EXPECT_GT(angle, previous) << k;
        previous = angle;
    }
}

TEST(Artwork, GlyphsHaveInkOnlyInTheLeftOfTheirCells) {
    auto sheet = Load(104);
    for (int code = 33; code <= 96; code++) {
        const int i = code - 33, cx = (i % 8) * 16, cy = (i / 8) * 13;
        int ink = 0;
        for (int y = 0; y < 13; y++)
            for (int x = 0; x < 16; x++) {
                const unsigned char* p = Pixel(*sheet, cx + x, cy + y);
                if (p[3] == 0) continue;
                EXPECT_LT(x, 8) << "code " << code;
                EXPECT_LT(p[0] + p[1] + p[2], 3 * 40) << "ink is black, code " << code;
                ink++;
            }
        EXPECT_GT(ink, 0) << "code " << code;
    }
    // '.' and ':' are followed by a short advance: their ink keeps to the first 5 columns.
    for (int code : {'.', ':'}) {
        const int i = code - 33, cx = (i % 8) * 16, cy = (i / 8) * 13;
        for (int y = 0; y < 13; y++)
            for (int x = 5; x < 16; x++)
                EXPECT_EQ(Pixel(*sheet, cx + x, cy + y)[3], 0) << code;
    }
}

TEST(Artwork, NodeTilesAreFramedBlackBoxes) {
    auto tiles = Load(108);
    for (int n = 0; n < 4; n++) {
        const int x0 = (n % 2) * 13, y0 = (n / 2) * 9;
        int white = 0;
        for (int y = 0; y < 9; y++)
            for (int x = 0; x < 13; x++) {
                const unsigned char* p = Pixel(*tiles, x0 + x, y0 + y);
                const bool edge = x == 0 || y == 0 || x == 12 || y == 8;
                if (edge) {
                    EXPECT_EQ(p[0] + p[1] + p[2], 3 * 255) << n;
                } else {
                    EXPECT_TRUE(p[0] == 0 || p[0] == 255);
                    if (p[0] == 255) white++;
                }
            }
        EXPECT_GT(white, 10) << "tile " << n << " carries its label";
    }
}

TEST(Artwork, PanelsAreLightUnderTheInkDrawnControls) {
    auto background = Load(118);
    const int panels[4][4] = {
        {36, 76, 72, 72}, {132, 76, 88, 72}, {244, 76, 168, 72}, {274, 50, 140, 12}};
    for (const auto& r : panels)
        for (int y = r[1]; y < r[1] + r[3]; y++)
            for (int x = r[0]; x < r[0] + r[2]; x++) {
                const unsigned char* p = Pixel(*background, x, y);
                ASSERT_GT(p[0] + p[1] + p[2], 3 * 170) << x << "," << y;
            }
}
