// The shared state behind the USER and GDI parts of the Win32 subset. One leaf lock
// guards all of it: it is never held while a window procedure or timer procedure
// runs, so it cannot take part in a lock-order cycle with the machine's or the
// editor's locks.
#pragma once

#include "platform/Gdi.h"
#include "platform/User.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace KestrelWin32 {

enum EObjectKind { KindWindow = 1, KindDC, KindBitmap, KindPen, KindBrush, KindFont, KindRegion };

struct SObject {
    static constexpr uint32_t MagicValue = 0x4B574E44; // 'KWND'
    uint32_t Magic = MagicValue;
    EObjectKind Kind;
    bool Stock = false; // never deleted
    explicit SObject(EObjectKind kind) : Kind(kind) {}
    virtual ~SObject() { Magic = 0; }
};

// A picture of COLORREF pixels (0x00BBGGRR), rows top to bottom.
struct SSurface {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    void Resize(int width, int height);
};

struct SBitmap : SObject {
    SBitmap() : SObject(KindBitmap) {}
    SSurface Surface;
    struct SDC* SelectedInto = nullptr;
};

struct SPen : SObject {
    SPen() : SObject(KindPen) {}
    COLORREF Colour = 0;
    int Width = 1;
};

struct SBrush : SObject {
    SBrush() : SObject(KindBrush) {}
    COLORREF Colour = 0;
    bool Hollow = false;
};

struct SFont : SObject {
    SFont() : SObject(KindFont) {}
    int Height = 12;
    int Weight = 400;
    std::string Face;
};

struct SRegion : SObject {
    SRegion() : SObject(KindRegion) {}
    RECT Rect{};
};

struct SWindow;

struct SDC : SObject {
    SDC() : SObject(KindDC) {}
    SWindow* Window = nullptr; // a window's device context; else a memory one
    bool WholeWindow = false;  // DCX_WINDOW: origin at the outer corner, border included
    SBitmap* Bitmap = nullptr; // selected into a memory device context
    SBitmap* DefaultBitmap = nullptr;
    SPen* Pen = nullptr;
    SBrush* Brush = nullptr;
    SFont* Font = nullptr;
    bool Clipped = false;
    RECT Clip{};
    POINT Position{};
    COLORREF TextColour = 0;
    COLORREF BackColour = 0xFFFFFF;
    int BackMode = OPAQUE;
};

struct SClass {
    WNDCLASSEXA Info;
    std::string Name;
};

struct SWindow : SObject {
    SWindow() : SObject(KindWindow) {}
    std::string ClassName;
    WNDPROC Procedure = nullptr;
    SWindow* Parent = nullptr;
    std::vector<SWindow*> Children;
    int X = 0, Y = 0, Width = 0, Height = 0; // outer rectangle in the parent's client area
    DWORD Style = 0, ExStyle = 0;
    LONG_PTR UserData = 0;
    bool Visible = false, Enabled = true;
    bool NeedsPaint = false, NeedsFramePaint = false;
    SSurface Surface; // the outer rectangle, border included
    RECT Damage{};    // changed since the presenter last looked; empty when left == right
    SDC* OwnDC = nullptr;
    SDC* FrameDC = nullptr;
    void* Native = nullptr; // the presenter's own window, if any

    int Border() const { return (Style & WS_BORDER) ? 1 : 0; }
    int ClientWidth() const { return Width - 2 * Border() > 0 ? Width - 2 * Border() : 0; }
    int ClientHeight() const { return Height - 2 * Border() > 0 ? Height - 2 * Border() : 0; }
    void AddDamage(int left, int top, int right, int bottom);
};

struct STimer {
    HWND Window;
    UINT_PTR Id;
    TIMERPROC Procedure;
    UINT Interval;
    uint64_t Due;
};

struct SState {
    std::recursive_mutex Lock;
    std::map<std::string, SClass> Classes; // by lower-case name
    std::set<SObject*> Objects;            // every live handle, to refuse stale ones
    std::deque<MSG> Posted;
    std::vector<STimer> Timers;
    UINT_PTR NextTimerId = 0x7000;
    HWND Capture = nullptr;
    HWND Focus = nullptr;
    HCURSOR Cursor = nullptr;
    int LogPixelsY = 96;
    bool FakeClock = false;
    uint64_t FakeNow = 0;
};

SState& State();
uint64_t Now();

// Looks a handle up under the lock; null when it is not a live object of that kind.
template <typename T> T* Find(void* handle, EObjectKind kind) {
    auto* object = static_cast<SObject*>(handle);
    SState& s = State();
    if (!object || !s.Objects.count(object) || object->Kind != kind) return nullptr;
    return static_cast<T*>(object);
}

inline SWindow* FindWindow(HWND window) {
    return Find<SWindow>(window, KindWindow);
}

// The drawing target of a device context, in its own coordinates.
struct STarget {
    SSurface* Surface = nullptr;
    SWindow* Window = nullptr; // for damage
    int OriginX = 0, OriginY = 0;
    RECT Limit{}; // in surface coordinates
    bool Valid() const { return Surface && Limit.left < Limit.right && Limit.top < Limit.bottom; }
    void Put(int x, int y, COLORREF colour);
};
STarget TargetOf(SDC* dc);

// Drops every GDI object a window's device contexts hold.
void ReleaseWindowDCs(SWindow* window);
// The window's surface with its visible children drawn in, for presenters and tests.
// area null: all of it, into out resized to the window's surface. Otherwise only that
// rectangle of the window is composed again, over what out holds from before.
void Compose(SWindow* window, SSurface& out, const RECT* area = nullptr);
// A pointer event at (x, y) of `top`'s client area, delivered as Win32 does: to the
// capturing window, else to the deepest visible window under the point, in that
// window's client coordinates. Call without the lock.
void DeliverMouse(HWND top, UINT message, int x, int y);
// Whether a window or any of its children changed since the last call, and where (the
// union, in the window's coordinates); clears it.
bool TakeDamage(SWindow* window, RECT* area);

} // namespace KestrelWin32
