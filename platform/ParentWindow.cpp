// The top-level window of the subset that stands for a host's native parent window.
#include "platform/NativeParent.h"
#include "platform/User.h"

namespace {
LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

HWND KestrelCreateParentWindow(int width, int height) {
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
