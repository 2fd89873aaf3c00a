// The host's editor window as a window of the Win32 subset. UI thread only.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>

// A top-level window standing for the host's native parent, to build an editor in:
// with an X11 `Window` id and a display, an X11 child of it on a display connection
// of its own (events and pixels exchanged by KestrelPumpEvents); otherwise a headless
// window. Sized width × height.
HWND KestrelAttachNativeParent(uintptr_t native, int width, int height);
// Destroys the window (and everything inside it) and closes its display connection.
void KestrelDetachNativeParent(HWND window);
// The window of the subset both of the above start from: top-level, visible, default handling.
HWND KestrelCreateParentWindow(int width, int height);
// Display connections open now (for tests that look for leaks).
int KestrelOpenDisplayCount();
// The X11 child window made for it (0 when it is headless): what an LV2 UI hands its host.
uintptr_t KestrelNativeWindowId(HWND window);
// The file descriptor of the window's display connection (-1 for a headless one), for
// hosts whose run loop calls back when it is readable.
int KestrelNativeParentDescriptor(HWND window);
// Resizes the window and its X11 child, if it has one.
void KestrelResizeNativeParent(HWND window, int width, int height);
// The X server's Xft.dpi (the resolution desktop toolkits use), 0 when there is no
// display or it says nothing. Opens a connection of its own for the question.
double KestrelDisplayDpi();
// The same, now, on the window's own connection (0 for a headless one): for noticing a
// desktop that changes its resolution while the editor is open.
double KestrelNativeParentDpi(HWND window);
