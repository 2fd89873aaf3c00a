#include "platform/Presenter.h"
#include "platform/WindowState.h"

#include <atomic>

using namespace KestrelWin32;

namespace {

std::atomic<const SKestrelPresenter*> Current{nullptr};

void FireDueTimers() {
    const uint64_t now = Now();
    std::vector<STimer> due;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        for (STimer& t : State().Timers) {
            if (t.Due > now) continue;
            due.push_back(t);
            t.Due = now + (t.Interval ? t.Interval : 1);
        }
    }
    for (const STimer& t : due) {
        // A callback may have killed a later timer of this round: look again.
        bool alive = false;
        {
            std::lock_guard<std::recursive_mutex> lock(State().Lock);
            for (const STimer& live : State().Timers)
                if (live.Window == t.Window && live.Id == t.Id) alive = true;
        }
        if (!alive) continue;
        if (t.Procedure)
            t.Procedure(t.Window, WM_TIMER, t.Id, static_cast<DWORD>(now));
        else if (t.Window)
            SendMessageA(t.Window, WM_TIMER, t.Id, 0);
    }
}

void PaintWhatNeedsIt() {
    std::vector<std::pair<HWND, bool>> windows;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        for (SObject* object : State().Objects) {
            if (object->Kind != KindWindow) continue;
            auto* w = static_cast<SWindow*>(object);
            if (w->Visible && (w->NeedsPaint || w->NeedsFramePaint))
                windows.push_back({reinterpret_cast<HWND>(w), w->NeedsFramePaint});
        }
    }
    for (auto& [window, frame] : windows) {
        if (frame) {
            {
                std::lock_guard<std::recursive_mutex> lock(State().Lock);
                if (SWindow* w = FindWindow(window)) w->NeedsFramePaint = false;
            }
            SendMessageA(window, WM_NCPAINT, 1, 0);
        }
        UpdateWindow(window);
    }
}

} // namespace

void KestrelPumpEvents() {
    // Only the messages already posted: a handler that posts again waits for the next pump.
    size_t pending;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        pending = State().Posted.size();
    }
    MSG message;
    while (pending-- > 0 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    if (const SKestrelPresenter* p = Current.load(); p && p->Pump) p->Pump();
    FireDueTimers();
    PaintWhatNeedsIt();
    if (const SKestrelPresenter* p = Current.load(); p && p->Pump) p->Pump();
}

void KestrelPresenterForget(HWND window) {
    if (const SKestrelPresenter* p = Current.load(); p && p->Forget) p->Forget(window);
}

void KestrelPresenterCursor(HCURSOR cursor) {
    if (const SKestrelPresenter* p = Current.load(); p && p->Cursor) p->Cursor(cursor);
}

void KestrelSetPresenter(const SKestrelPresenter* presenter) {
    Current.store(presenter);
}
