// What puts windows of the Win32 subset in front of a person (or a test): the event
// pump that a host's idle call runs, and the hooks a presenter implements.
#pragma once

#include "platform/Win32Types.h"

// UI thread: delivers posted messages, fires due timers, paints windows that need it,
// and lets the presenter exchange events and pixels with the display. Never blocks.
// With a top-level window, only that window's session (it and its children, their
// timers and their display connection): each editor's idle pumps its own editor, so
// that one idle costs the same however many editors are open. Null pumps them all.
// Takes the subset's leaf lock, never while a window or timer procedure runs.
void KestrelPumpEvents(HWND top = nullptr);

// Presenter hooks (the headless presenter ignores them all).
void KestrelPresenterForget(HWND window);    // a window is being destroyed
void KestrelPresenterCursor(HCURSOR cursor); // the cursor changed

// A presenter registers these; null members keep the headless behaviour.
struct SKestrelPresenter {
    void (*Pump)(HWND top);      // exchange events and pixels of top's session (null: all)
    void (*Forget)(HWND window); // drop what the presenter holds for a window
    void (*Cursor)(HCURSOR cursor);
};
void KestrelSetPresenter(const SKestrelPresenter* presenter);
