#include "graphics/BackBuffer.h"

CBackBuffer::CBackBuffer(HDC target, int width, int height)
    : MemoryDC(CreateCompatibleDC(target)), TargetDC(target), Bitmap(nullptr), Previous(nullptr),
      Width(0), Height(0) {
    Resize(width, height);
}

CBackBuffer::~CBackBuffer() {
    if (Bitmap) {
        SelectObject(MemoryDC, Previous);
        DeleteObject(Bitmap);
    }
    if (MemoryDC) DeleteDC(MemoryDC);
}

void CBackBuffer::Resize(int width, int height) {
    if (Bitmap) {
        SelectObject(MemoryDC, Previous);
        DeleteObject(Bitmap);
    }
    Bitmap = CreateCompatibleBitmap(TargetDC, width, height);
    Previous = SelectObject(MemoryDC, Bitmap);
    Width = width;
    Height = height;
}

void CBackBuffer::Draw(int x, int y, int w, int h) {
    BitBlt(TargetDC, x, y, w, h, MemoryDC, x, y, SRCCOPY);
}

void CBackBuffer::Draw() {
    Draw(0, 0, Width, Height);
}
