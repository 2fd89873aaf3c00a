// Builds without X11: every native parent is a headless window.
#include "platform/NativeParent.h"
#include "platform/User.h"

HWND KestrelAttachNativeParent(uintptr_t, int width, int height) {
    return KestrelCreateParentWindow(width, height);
}

void KestrelDetachNativeParent(HWND window) {
    DestroyWindow(window);
}

int KestrelOpenDisplayCount() {
    return 0;
}

int KestrelNativeParentDescriptor(HWND) {
    return -1;
}

uintptr_t KestrelNativeWindowId(HWND) {
    return 0;
}

void KestrelResizeNativeParent(HWND window, int width, int height) {
    MoveWindow(window, 0, 0, width, height, TRUE);
}

double KestrelDisplayDpi() {
    return 0;
}

double KestrelNativeParentDpi(HWND) {
    return 0;
}
