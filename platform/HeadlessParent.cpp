// Builds without X11: every native parent is a headless window.
#include "platform/NativeParent.h"
#include "platform/User.h"

namespace {
LRESULT ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

HWND KestrelAttachNativeParent(uintptr_t, int width, int height) {
    static const bool registered = [] {
        WNDCLASSEXA c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = ParentProcedure;
        c.lpszClassName = "KestrelNativeParent";
        return RegisterClassExA(&c) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "KestrelNativeParent", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, nullptr, nullptr);
}

void KestrelDetachNativeParent(HWND window) {
    DestroyWindow(window);
}

int KestrelOpenDisplayCount() {
    return 0;
}
