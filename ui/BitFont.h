// Text from a picture holding a grid of glyphs. Any thread; no lock (it only reads
// its picture).
#pragma once

#include "graphics/FrameBuffer.h"

class CBitFont {
public:
    CBitFont(CFrameBuffer* glyphs, int columns, int rows, int cellWidth, int cellHeight,
             int advance, int first, int last);

    // Draws text with its first cell at (x, y); "." and ":" advance two thirds as far.
    // Cells are cut on the left at 0; the target's own clipping does the rest.
    void DrawTextA(CFrameBuffer* target, const char* text, int x, int y, int width, int height);
    // Source rectangle of a character's glyph; false when it has none.
    bool GlyphRect(int c, int* sx, int* sy) const;
    int Advance(int c) const;

private:
    CFrameBuffer* Glyphs;
    int Columns, Rows, CellWidth, CellHeight, Step, First, Last;
};
