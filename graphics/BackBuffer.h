// An off-screen GDI bitmap belonging to a window, through which the window paints.
#pragma once

#include "platform/Win32.h"

class CBackBuffer {
public:
    CBackBuffer(HDC target, int width, int height);
    ~CBackBuffer();
    // A new bitmap of this size; the old contents are not kept.
    void Resize(int width, int height);
    // Copies (x, y, w, h) of the bitmap to the same place of the target.
    void Draw(int x, int y, int w, int h);
    void Draw();

    HDC GetDC() const { return MemoryDC; }
    HBITMAP GetBitmap() const { return Bitmap; }
    int GetWidth() const { return Width; }
    int GetHeight() const { return Height; }

    CBackBuffer(const CBackBuffer&) = delete;
    CBackBuffer& operator=(const CBackBuffer&) = delete;

private:
    HDC MemoryDC;
    HDC TargetDC;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    int Width;
    int Height;
};
