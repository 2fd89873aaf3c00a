// A drag with the real pointer of an X server (XTest), as a user makes it.
#pragma once

#include <gtest/gtest.h> // before Xlib, whose macros (None, Bool) would collide

#include <functional>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

// A drag with the real pointer from (x, y) straight up, `steps` steps of `dy` pixels,
// then the release; serve(rounds) lets the host serve the editor between the moves.
inline void DragUp(Display* display, int x, int y, int steps, int dy,
                   const std::function<void(int)>& serve) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    serve(2);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    serve(2);
    for (int step = 1; step <= steps; step++) {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y - dy * step, CurrentTime);
        serve(2);
    }
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    serve(2);
}
