// A GDI font sized in points for a device context's vertical resolution, owned. UI
// thread; no lock.
#pragma once

#include "platform/Win32.h"

class CFont {
public:
    // Height in pixels = points × LOGPIXELSY / 72, truncated (12 for 9 pt at 96 dpi).
    // Throws (char*) "Can't Create Font <face>" when the font cannot be made.
    CFont(HDC dc, const char* face, double points, bool bold);
    ~CFont();
    HFONT GetFont() const { return Font; }

    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

private:
    HFONT Font;
};
