#include "graphics/FrameBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> Bytes(const CFrameBuffer& f) {
    const unsigned char* d = f.GetData();
    return std::vector<unsigned char>(d, d + f.GetWidth() * f.GetHeight() * f.BytesPerPixel());
}

const unsigned char* Pixel(const CFrameBuffer& f, int x, int y) {
    return f.GetData() + (y * f.GetWidth() + x) * f.BytesPerPixel();
}

} // namespace

TEST(FrameBuffer, NewBuffersAreMidGreyWithAWholeClip) {
    CFrameBuffer rgb(4, 4, false);
    EXPECT_EQ(Bytes(rgb), std::vector<unsigned char>(48, 160));
    CFrameBuffer rgba(3, 2, true);
    EXPECT_EQ(Bytes(rgba), std::vector<unsigned char>(24, 160));
    EXPECT_EQ(rgba.ClipRight, 2);
    EXPECT_EQ(rgba.ClipBottom, 1);
    rgba.SetClip(1, 2, 3, 4);
    EXPECT_EQ(rgba.ClipLeft, 1);
    EXPECT_EQ(rgba.ClipTop, 2);
    EXPECT_EQ(rgba.ClipRight, 3);
    EXPECT_EQ(rgba.ClipBottom, 4);
    rgba.Free();
    EXPECT_EQ(rgba.GetData(), nullptr);
    EXPECT_EQ(rgba.GetWidth(), 3);
}

TEST(FrameBuffer, PixelsRectanglesAndFills) {
    CFrameBuffer f(5, 4, true);
    f.SetPixel(1, 1, 0x00332211, 77);
    EXPECT_EQ(Pixel(f, 1, 1)[0], 0x11);
    EXPECT_EQ(Pixel(f, 1, 1)[1], 0x22);
    EXPECT_EQ(Pixel(f, 1, 1)[2], 0x33);
    EXPECT_EQ(Pixel(f, 1, 1)[3], 77);
    f.Fill(0);
    EXPECT_EQ(Bytes(f), std::vector<unsigned char>(80, 0)) << "transparent black";
    f.DrawRect(0, 0, 5, 4, 0xFFFFFF, 255);
    EXPECT_EQ(Pixel(f, 4, 3)[3], 255);
    EXPECT_EQ(Pixel(f, 2, 2)[3], 0) << "an outline only";
    f.FillRect(1, 1, 3, 2, 0x0000FF, 9);
    EXPECT_EQ(Pixel(f, 3, 2)[0], 0xFF);
    EXPECT_EQ(Pixel(f, 3, 2)[3], 9);
    // Fill obeys the clip rectangle and makes what it fills transparent.
    f.SetClip(2, 0, 2, 3);
    f.Fill(0x00FF00);
    EXPECT_EQ(Pixel(f, 2, 0)[1], 0xFF);
    EXPECT_EQ(Pixel(f, 2, 0)[3], 0);
    EXPECT_EQ(Pixel(f, 1, 0)[1], 0xFF) << "the outline's white stays outside the clip";
    EXPECT_EQ(Pixel(f, 1, 0)[3], 255);
}

TEST(FrameBuffer, CompositingFollowsTheSourceAlpha) {
    CFrameBuffer src(1, 4, true), dst(1, 4, true);
    src.SetPixel(0, 0, 0x0000FF, 128); // red 255, half
    src.SetPixel(0, 1, 0x000000, 128); // red 0, half
    src.SetPixel(0, 2, 0x123456, 255);
    src.SetPixel(0, 3, 0xFFFFFF, 0);
    dst.SetPixel(0, 0, 0x000000, 10);
    dst.SetPixel(0, 1, 0x0000FF, 20);
    dst.SetPixel(0, 2, 0x000000, 30);
    dst.SetPixel(0, 3, 0x445566, 40);
    src.Draw(&dst, 0, 0, 0, 0, 1, 4);
    EXPECT_EQ(Pixel(dst, 0, 0)[0], 128);
    EXPECT_EQ(Pixel(dst, 0, 1)[0], 127);
    EXPECT_EQ(Pixel(dst, 0, 2)[0], 0x56);
    EXPECT_EQ(Pixel(dst, 0, 2)[2], 0x12);
    EXPECT_EQ(Pixel(dst, 0, 3)[0], 0x66);
    for (int y = 0; y < 4; y++)
        EXPECT_EQ(Pixel(dst, 0, y)[3], 10 * (y + 1)) << "alpha untouched";

    CFrameBuffer opaque(1, 1, false);
    opaque.SetPixel(0, 0, 0x010203, 0);
    opaque.Draw(&dst, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(Pixel(dst, 0, 0)[0], 3);
    EXPECT_EQ(Pixel(dst, 0, 0)[3], 10);
}

TEST(FrameBuffer, BlitsClipToTheDestination) {
    CFrameBuffer src(10, 1, false), dst(10, 1, false);
    for (int x = 0; x < 10; x++)
        src.SetPixel(x, 0, static_cast<unsigned long>(x + 1), 0);
    dst.Fill(0);
    src.Draw(&dst, -3, 0, 0, 0, 10, 1); // source columns 3 … 9 into 0 … 6
    for (int x = 0; x < 7; x++)
        EXPECT_EQ(Pixel(dst, x, 0)[0], x + 4) << x;
    EXPECT_EQ(Pixel(dst, 7, 0)[0], 0);

    dst.Fill(0);
    dst.SetClip(4, 0, 9, 0);
    src.Draw(&dst, 0, 0, 0, 0, 4, 1); // ends exactly at the clip's left bound
    EXPECT_EQ(Pixel(dst, 4, 0)[0], 0);
    for (int x = 0; x < 4; x++)
        EXPECT_EQ(Pixel(dst, x, 0)[0], 0);
    src.Draw(&dst, 2, 0, 0, 0, 4, 1); // half inside: columns 4 and 5
    EXPECT_EQ(Pixel(dst, 3, 0)[0], 0);
    EXPECT_EQ(Pixel(dst, 4, 0)[0], 3);
    EXPECT_EQ(Pixel(dst, 5, 0)[0], 4);
    src.Draw(&dst, 8, 0, 0, 0, 10, 1); // cut at the destination's right edge
    EXPECT_EQ(Pixel(dst, 9, 0)[0], 2);
    src.Draw(&dst, 0, 5, 0, 0, 10, 1); // below: nothing
    EXPECT_EQ(Pixel(dst, 0, 0)[0], 0);

    dst.SetClip(0, 0, 9, 0);
    dst.Fill(0);
    src.Draw(&dst, 0, 0, -2, 0, 4, 1); // a negative source shifts the destination
    EXPECT_EQ(Pixel(dst, 1, 0)[0], 0);
    EXPECT_EQ(Pixel(dst, 2, 0)[0], 1);
    EXPECT_EQ(Pixel(dst, 3, 0)[0], 2);
    EXPECT_EQ(Pixel(dst, 4, 0)[0], 0);
}

TEST(FrameBuffer, TextureFillWrapsItsOffsets) {
    CFrameBuffer tile(128, 2, false), dst(4, 2, false);
    for (int x = 0; x < 128; x++)
        for (int y = 0; y < 2; y++)
            tile.SetPixel(x, y, static_cast<unsigned long>(x + 100 * y), 0);
    tile.TextureFill(&dst, 130, 1);
    EXPECT_EQ(Pixel(dst, 0, 0)[0], 102);
    EXPECT_EQ(Pixel(dst, 3, 0)[0], 105);
    EXPECT_EQ(Pixel(dst, 0, 1)[0], 2);
    tile.TextureFill(&dst, -1, 0); // a window left of its parent still lines up
    EXPECT_EQ(Pixel(dst, 0, 0)[0], 127);
    EXPECT_EQ(Pixel(dst, 1, 0)[0], 0);
}
