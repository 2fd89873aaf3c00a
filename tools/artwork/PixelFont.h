// The two bitmap faces of the artwork: 5 × 7 for text and the LCD glyphs, 3 × 5 for
// the node-tile labels.
#pragma once

#include "Canvas.h"

#include <string>

// Rows of a 5 × 7 glyph, bit 4 the leftmost column; null for codes without one.
const unsigned char* Glyph5x7(char c);
// Rows of a 3 × 5 glyph, bit 2 the leftmost column (S, L, R, D only).
const unsigned char* Glyph3x5(char c);

// Draws text with its top-left at (x, y); each font pixel is scale × scale.
// Returns the width drawn. spacing: empty columns between glyphs.
int DrawText5x7(CCanvas& canvas, int x, int y, const std::string& text, const SColour& colour,
                int scale = 1, int spacing = 1);
int TextWidth5x7(const std::string& text, int scale = 1, int spacing = 1);
// The same, turned a quarter left: reads bottom to top, starting at (x, y) bottom-left.
void DrawTextUp5x7(CCanvas& canvas, int x, int y, const std::string& text, const SColour& colour);
