#include "ui/BitFont.h"

CBitFont::CBitFont(CFrameBuffer* glyphs, int columns, int rows, int cellWidth, int cellHeight,
                   int advance, int first, int last)
    : Glyphs(glyphs), Columns(columns), Rows(rows), CellWidth(cellWidth), CellHeight(cellHeight),
      Step(advance), First(first), Last(last) {}

bool CBitFont::GlyphRect(int c, int* sx, int* sy) const {
    if (c < First || c > Last || Columns <= 0) return false;
    const int i = c - First;
    *sx = (i % Columns) * CellWidth;
    *sy = (i / Columns) * CellHeight;
    return true;
}

int CBitFont::Advance(int c) const {
    return c == '.' || c == ':' ? (2 * Step) / 3 : Step;
}

void CBitFont::DrawTextA(CFrameBuffer* target, const char* text, int x, int y, int, int) {
    int pen = 0;
    for (const char* p = text; p && *p; p++) {
        const int c = static_cast<signed char>(*p);
        int sx, sy;
        if (GlyphRect(c, &sx, &sy)) {
            int dx = x + pen, w = CellWidth;
            if (dx < 0) {
                w = CellWidth + dx;
                sx -= dx;
                dx = 0;
            }
            if (w > 0) Glyphs->Draw(target, dx, y, sx, sy, w, CellHeight);
        }
        pen += Advance(c);
    }
}
