#include "platform/Testing.h"
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#include "platform/WindowState.h"

#include <mutex>

using namespace KestrelWin32;
using Lock = std::lock_guard<std::recursive_mutex>;

namespace KestrelTesting {

HWND CreateHostWindow(int width, int height) {
    return KestrelCreateParentWindow(width, height);
}

void Mouse(HWND top, unsigned message, int x, int y) {
    DeliverMouse(top, message, x, y);
}

void Pump() {
    KestrelPumpEvents();
}

void UseFakeClock(bool on) {
    Lock lock(State().Lock);
    State().FakeClock = on;
    State().FakeNow = 1000;
    for (STimer& t : State().Timers)
        t.Due = State().FakeNow + t.Interval;
}

void AdvanceClock(uint32_t milliseconds) {
    // One step per millisecond that a timer falls due in, so that each due time is seen.
    for (uint32_t step = 0; step < milliseconds; step++) {
        {
            Lock lock(State().Lock);
            State().FakeNow++;
        }
        KestrelPumpEvents();
    }
}

void SetLogPixelsY(int dpi) {
    Lock lock(State().Lock);
    State().LogPixelsY = dpi;
}

int FontHeight(HGDIOBJ font) {
    Lock lock(State().Lock);
    SFont* f = Find<SFont>(font, KindFont);
    return f ? f->Height : -1;
}

std::string CurrentCursor() {
    Lock lock(State().Lock);
    if (State().Cursor == LoadCursorA(nullptr, IDC_SIZEALL)) return "sizeall";
    if (State().Cursor == LoadCursorA(nullptr, IDC_ARROW)) return "arrow";
    return "";
}

SPicture ReadWindow(HWND window) {
    Lock lock(State().Lock);
    SPicture picture;
    SWindow* w = FindWindow(window);
    if (!w) return picture;
    SSurface composed;
    Compose(w, composed);
    picture.Width = composed.Width;
    picture.Height = composed.Height;
    picture.Pixels = std::move(composed.Pixels);
    return picture;
}

SPicture ReadBitmap(HGDIOBJ bitmap) {
    Lock lock(State().Lock);
    SPicture picture;
    if (SBitmap* b = Find<SBitmap>(bitmap, KindBitmap)) {
        picture.Width = b->Surface.Width;
        picture.Height = b->Surface.Height;
        picture.Pixels = b->Surface.Pixels;
    }
    return picture;
}

int TimerCount() {
    Lock lock(State().Lock);
    return static_cast<int>(State().Timers.size());
}

int WindowCount() {
    Lock lock(State().Lock);
    int n = 0;
    for (SObject* o : State().Objects)
        n += o->Kind == KindWindow;
    return n;
}

} // namespace KestrelTesting
