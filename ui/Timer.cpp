#include "ui/Timer.h"

CTimer::CTimer(CTimerCallback* callback, HWND window)
    : Identifier(0), Callback(callback), Window(window) {}

CTimer::~CTimer() {
    if (Identifier) Kill();
}

void CTimer::Set(int milliseconds) {
    if (Identifier) Kill();
    Identifier = SetTimer(Window, reinterpret_cast<UINT_PTR>(this),
                          static_cast<UINT>(milliseconds > 0 ? milliseconds : 0), TimerFunction);
}

void CTimer::Kill() {
    KillTimer(Window, Identifier);
    Identifier = 0;
}

void CTimer::OnTimer() {
    if (Callback) Callback->OnTimer(this);
}

void CALLBACK CTimer::TimerFunction(HWND, UINT message, UINT_PTR identifier, DWORD) {
    // The host's message loop calls this on Windows: nothing may unwind into it.
    try {
        if (message == WM_TIMER && identifier) reinterpret_cast<CTimer*>(identifier)->OnTimer();
    } catch (...) {
        OutputDebugStringA("A timer failed; it was dropped.\n");
    }
}
