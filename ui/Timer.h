// A window timer whose ticks reach a callback object, on the window's thread.
#pragma once

#include "platform/Win32.h"

class CTimer;

class CTimerCallback {
public:
    virtual void OnTimer(CTimer* timer) = 0;

protected:
    ~CTimerCallback() = default;
};

class CTimer {
public:
    // window must not be null: its thread delivers the ticks.
    CTimer(CTimerCallback* callback, HWND window);
    ~CTimer();
    // (Re)starts with this interval in milliseconds.
    void Set(int milliseconds);
    void Kill();
    void OnTimer();
    bool Running() const { return Identifier != 0; }

    // The TIMERPROC: WM_TIMER with a nonzero identifier is the CTimer to tick.
    static void CALLBACK TimerFunction(HWND window, UINT message, UINT_PTR identifier, DWORD time);

    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

private:
    UINT_PTR Identifier;
    CTimerCallback* Callback;
    HWND Window;
};
