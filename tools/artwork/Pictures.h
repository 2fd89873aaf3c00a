// The six pictures of the editor, drawn from code so they can be regenerated.
// Sizes, ids and layouts are what the editor relies on.
#pragma once

#include "Canvas.h"

namespace Artwork {

// One palette for everything.
constexpr int PanelTop = 0xD6E8F0; // light blue panels behind the ink-drawn views
constexpr int PanelBottom = 0xBCD5E2;
constexpr int Accent = 0xE8A33D;  // amber: logo and the knobs' value arc
constexpr int Pointer = 0xF4F1EA; // the knobs' pointer line
constexpr int Label = 0xBFC6CD;   // engraved labels

// Knob film strip geometry.
constexpr int KnobWidth = 32, KnobHeight = 38, KnobFrames = 61;
constexpr double KnobCentreX = 16.0, KnobCentreY = 19.0;
constexpr double KnobSweepDeg = 135.0; // from -135° (value 0) to +135° (value 1), 0° up

CCanvas Background();      // 430 × 200, opaque
CCanvas KnobStrip();       // 32 × 2318, alpha
CCanvas VerticalThumb();   // 11 × 18, alpha
CCanvas HorizontalThumb(); // 18 × 11, alpha
CCanvas RoomArt();         // 26 × 18, opaque
CCanvas FontSheet();       // 128 × 104, alpha

} // namespace Artwork
