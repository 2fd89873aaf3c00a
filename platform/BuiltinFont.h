// The one built-in face of the Win32 subset's DrawTextA, also used by our tools:
// 5 × 7 pixel glyphs for the printable codes 33 … 96 (lower case shown as capitals).
#pragma once

// Seven rows, bit 4 the leftmost of five columns; null for codes without a glyph.
const unsigned char* KestrelGlyph5x7(char c);
