#include "ui/Brush.h"

CBrush::CBrush() : CBrush(0ul) {}

CBrush::CBrush(unsigned long colour) : Brush(CreateSolidBrush(static_cast<COLORREF>(colour))) {}

CBrush::~CBrush() {
    DeleteObject(Brush);
}

void CBrush::SetColor(unsigned long colour) {
    DeleteObject(Brush);
    Brush = CreateSolidBrush(static_cast<COLORREF>(colour));
}

void CBrush::FillRect(HDC dc, int x, int y, int width, int height) {
    const RECT rect{x, y, x + width, y + height};
    ::FillRect(dc, &rect, Brush);
}
