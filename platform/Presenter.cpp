#include "platform/Presenter.h"
#include "platform/WindowState.h"

#include <atomic>

using namespace KestrelWin32;

namespace {

std::atomic<const SKestrelPresenter*> Current{nullptr};

// Whether window is top or lies inside it; a null top holds every window. Under the lock.
bool InSession(HWND window, SWindow* top) {
    if (!top) return true;
    for (SWindow* w = FindWindow(window); w; w = w->Parent)
        if (w == top) return true;
    return false;
}

// The session of a window (null: every window) looked up again under the lock, since a
// window procedure may have destroyed it meanwhile. False when it is gone.
bool FindSession(HWND window, SWindow** top) {
    *top = window ? FindWindow(window) : nullptr;
    return !window || *top;
}

void FireDueTimers(HWND window) {
    const uint64_t now = Now();
    std::vector<STimer> due;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        SWindow* top;
        if (!FindSession(window, &top)) return;
        for (STimer& t : State().Timers) {
            if (t.Due > now || !InSession(t.Window, top)) continue;
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

// The windows of a tree that need painting, parents before children. Under the lock.
void CollectPaint(SWindow* w, std::vector<std::pair<HWND, bool>>& out) {
    if (!w->Visible) return;
    if (w->NeedsPaint || w->NeedsFramePaint)
        out.push_back({reinterpret_cast<HWND>(w), w->NeedsFramePaint});
    for (SWindow* child : w->Children)
        CollectPaint(child, out);
}

void PaintWhatNeedsIt(HWND window) {
    std::vector<std::pair<HWND, bool>> windows;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        SWindow* top;
        if (!FindSession(window, &top)) return;
        if (top) {
            CollectPaint(top, windows);
        } else {
            for (SObject* object : State().Objects) {
                if (object->Kind != KindWindow) continue;
                auto* w = static_cast<SWindow*>(object);
                if (w->Visible && (w->NeedsPaint || w->NeedsFramePaint))
                    windows.push_back({reinterpret_cast<HWND>(w), w->NeedsFramePaint});
            }
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

// Takes the first message posted to the session, if any.
bool TakePosted(HWND window, MSG* message) {
    std::lock_guard<std::recursive_mutex> lock(State().Lock);
    SWindow* top;
    if (!FindSession(window, &top)) return false;
    auto& posted = State().Posted;
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (!InSession(it->hwnd, top)) continue;
        *message = *it;
        posted.erase(it);
        return true;
    }
    return false;
}

} // namespace

void KestrelPumpEvents(HWND window) {
    size_t pending = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        SWindow* top;
        if (!FindSession(window, &top)) return;
        // Only the messages already posted: a handler that posts again waits for the next pump.
        for (const MSG& m : State().Posted)
            if (InSession(m.hwnd, top)) pending++;
    }
    MSG message;
    while (pending-- > 0 && TakePosted(window, &message))
        DispatchMessageA(&message);
    const SKestrelPresenter* presenter = Current.load();
    if (presenter && presenter->Pump) presenter->Pump(window);
    FireDueTimers(window);
    PaintWhatNeedsIt(window);
    if (presenter && presenter->Pump) presenter->Pump(window);
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
