// A solid GDI brush, owned. UI thread, under the colour table's lock when it is one
// of the table's.
#pragma once

#include "platform/Win32.h"

class CBrush {
public:
    CBrush(); // black
    explicit CBrush(unsigned long colour);
    ~CBrush();
    void SetColor(unsigned long colour);
    // Fills width × height pixels at (x, y) of dc.
    void FillRect(HDC dc, int x, int y, int width, int height);
    HBRUSH GetBrush() const { return Brush; }

    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

private:
    HBRUSH Brush;
};
