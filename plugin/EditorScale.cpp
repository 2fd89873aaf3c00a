#include "plugin/EditorScale.h"
#if !defined(_WIN32)
#include "platform/NativeParent.h"
#else
#include "platform/Win32.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>

int KestrelScaleForDpi(double dpi) {
    if (!(dpi > 0)) return 1;
    return std::clamp(static_cast<int>(std::floor(dpi / 96.0 + 0.5)), 1, 4);
}

namespace {

// The resolution the editor will be seen at, in dots per inch (0: unknown). Windows: the
// parent window's (GetDpiForWindow, looked up at run time: older systems lack it),
// else the screen's; Linux: the X server's Xft.dpi.
double DisplayDpi(void* parent) {
#if defined(_WIN32)
    typedef UINT(WINAPI * ForWindow)(HWND);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto forWindow = user ? reinterpret_cast<ForWindow>(
                                reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                          : nullptr;
    if (forWindow && parent) return forWindow(static_cast<HWND>(parent));
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
#else
    (void)parent;
    return KestrelDisplayDpi();
#endif
}

} // namespace

namespace {

int AskedScale() {
    for (const char* name : {"KESTREL_UI_SCALE", "GDK_SCALE"}) {
        const char* text = std::getenv(name);
        const int asked = text ? std::atoi(text) : 0;
        if (asked >= 1) return std::min(asked, 4);
    }
    return 0;
}

} // namespace

#if !defined(_WIN32)
bool CScaleWatch::Changed(HWND nativeParent, int current, int* scale) {
    if (!nativeParent || AskedScale() || GetTickCount() - Checked < 1000) return false;
    Checked = GetTickCount();
    *scale = KestrelScaleForDpi(KestrelNativeParentDpi(nativeParent));
    return *scale != current;
}
#endif

int KestrelEditorScale(void* parent) {
    const int asked = AskedScale();
    return asked ? asked : KestrelScaleForDpi(DisplayDpi(parent));
}
