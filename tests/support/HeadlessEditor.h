// What a window of the X server shows against what the editor draws headless in this
// process for the same values: the check every format's editor test ends with.
#pragma once

#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"
#include "support/PointerDrag.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would collide with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// The window's pixels, as 0x00BBGGRR rows (the toolkit's colours).
inline std::vector<uint32_t> ScreenPixels(Display* x, Window window, int width, int height) {
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(x, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < height; y++)
        for (int c = 0; c < width; c++) {
            const unsigned long p = XGetPixel(image, c, y);
            pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    XDestroyImage(image);
    return pixels;
}

// Pixels of `screen` (width × height at `scale`) that differ from a fresh headless editor
// at this sample rate with these values set; -1 when the sizes do not agree.
inline int DifferingFromHeadless(const std::vector<uint32_t>& screen, int rate, int scale = 1,
                                 const std::vector<std::pair<int, double>>& values = {}) {
    SKestrelGraphics graphics{};
    LoadKestrelGraphics(&graphics);
    SetKestrelEditorFactory(CModelEditor::Create);
    CFakeHost fake;
    fake.SampleRate = rate;
    const int width = 430 * scale, height = 200 * scale;
    HWND parent = KestrelTesting::CreateHostWindow(width, height);
    int differing = -1;
    {
        CKestrel machine(&fake, &graphics);
        for (auto [index, value] : values)
            machine.SetProperty(index, value);
        HWND editor = machine.CreateGUI(parent);
        machine.SetGUIScale(scale);
        KestrelTesting::Pump();
        const auto expected = KestrelTesting::ReadWindow(editor);
        if (expected.Width == width && screen.size() == static_cast<size_t>(width) * height) {
            differing = 0;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++)
                    differing += screen[static_cast<size_t>(y) * width + x] != expected.At(x, y);
        }
        machine.OnHideGUI();
    }
    DestroyWindow(parent);
    FreeKestrelGraphics(&graphics);
    return differing;
}
