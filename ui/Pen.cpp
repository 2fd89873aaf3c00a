#include "ui/Pen.h"

CPen::CPen() : CPen(0ul) {}

CPen::CPen(unsigned long colour) : Pen(nullptr) {
    SetColor(colour);
}

CPen::CPen(unsigned long colour, int width)
    : Pen(CreatePen(PS_SOLID, width, static_cast<COLORREF>(colour))) {}

CPen::~CPen() {
    if (Pen) DeleteObject(Pen);
}

void CPen::SetColor(unsigned long colour) {
    if (Pen) DeleteObject(Pen);
    Pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(colour));
}
