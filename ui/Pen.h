// A solid GDI pen, owned. UI thread, under the colour table's lock when it is one of
// the table's.
#pragma once

#include "platform/Win32.h"

class CPen {
public:
    CPen();                              // black, 1 pixel
    explicit CPen(unsigned long colour); // 1 pixel
    CPen(unsigned long colour, int width);
    ~CPen();
    // Replaces the pen; the width returns to 1.
    void SetColor(unsigned long colour);
    HPEN GetPen() const { return Pen; }

    CPen(const CPen&) = delete;
    CPen& operator=(const CPen&) = delete;

private:
    HPEN Pen;
};
