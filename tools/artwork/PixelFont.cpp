#include "PixelFont.h"
#include "platform/BuiltinFont.h"

namespace {

const unsigned char TileS[5] = {0x7, 0x4, 0x7, 0x1, 0x7};
const unsigned char TileL[5] = {0x4, 0x4, 0x4, 0x4, 0x7};
const unsigned char TileR[5] = {0x6, 0x5, 0x6, 0x5, 0x5};
const unsigned char TileD[5] = {0x6, 0x5, 0x5, 0x5, 0x6};

} // namespace

const unsigned char* Glyph5x7(char c) {
    return KestrelGlyph5x7(c);
}

const unsigned char* Glyph3x5(char c) {
    switch (c) {
    case 'S': return TileS;
    case 'L': return TileL;
    case 'R': return TileR;
    case 'D': return TileD;
    default: return nullptr;
    }
}

int TextWidth5x7(const std::string& text, int scale, int spacing) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (5 + spacing) * scale - spacing * scale;
}

int DrawText5x7(CCanvas& canvas, int x, int y, const std::string& text, const SColour& colour,
                int scale, int spacing) {
    int pen = x;
    for (char c : text) {
        if (const unsigned char* g = Glyph5x7(c)) {
            for (int row = 0; row < 7; row++)
                for (int col = 0; col < 5; col++)
                    if (g[row] & (0x10 >> col))
                        canvas.Rect(pen + col * scale, y + row * scale, scale, scale, colour);
        }
        pen += (5 + spacing) * scale;
    }
    return pen - x - spacing * scale;
}

void DrawTextUp5x7(CCanvas& canvas, int x, int y, const std::string& text, const SColour& colour) {
    int pen = y;
    for (char c : text) {
        if (const unsigned char* g = Glyph5x7(c)) {
            // Glyph column col becomes a row upwards from the pen; glyph row becomes x.
            for (int row = 0; row < 7; row++)
                for (int col = 0; col < 5; col++)
                    if (g[row] & (0x10 >> col)) canvas.Rect(x + row, pen - col, 1, 1, colour);
        }
        pen -= 6;
    }
}
