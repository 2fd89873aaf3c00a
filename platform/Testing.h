// What tests may ask of the Win32 subset beyond what Win32 itself offers: a stand-in
// host window, mouse input, the pump, a clock of their own, and what was drawn,
// shown or printed. A library of its own (kestrel_testing), linked only into tests
// and benchmarks.
#pragma once

#include "platform/Recording.h"
#include "platform/Win32Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace KestrelTesting {

// A top-level window with default handling, as a host's editor frame.
HWND CreateHostWindow(int width, int height);
// A pointer event at (x, y) in `top`'s client coordinates, delivered as Win32 does:
// to the capturing window if any, else to the deepest visible window under the point,
// in that window's client coordinates.
void Mouse(HWND top, unsigned message, int x, int y);
// KestrelPumpEvents.
void Pump();
// Timers run on this clock (milliseconds) instead of the real one while it is on.
void UseFakeClock(bool on);
void AdvanceClock(uint32_t milliseconds); // then pumps
void SetLogPixelsY(int dpi);
int FontHeight(HGDIOBJ font);
std::string CurrentCursor(); // "arrow", "sizeall" or ""

struct SPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels; // 0x00BBGGRR, rows top to bottom
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};
// A window's outer rectangle as it would show, children drawn in.
SPicture ReadWindow(HWND window);
// What a memory device context's bitmap holds.
SPicture ReadBitmap(HGDIOBJ bitmap);
int TimerCount();
int WindowCount();

} // namespace KestrelTesting
