#include "ui/Font.h"
#include "platform/ErrorReporting.h"

CFont::CFont(HDC dc, const char* face, double points, bool bold) : Font(nullptr) {
    const int height = static_cast<int>(points * GetDeviceCaps(dc, LOGPIXELSY) / 72);
    Font =
        CreateFontA(height, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    if (!Font) ThrowString("Can't Create Font <%s>", face ? face : "");
}

CFont::~CFont() {
    DeleteObject(Font);
}
