#include "platform/Kernel.h"
#include "platform/Presenter.h"
#include "platform/Recording.h"
#include "platform/WindowState.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace KestrelWin32 {

SState& State() {
    static SState* state = new SState; // lives for the process, like Win32's own
    return *state;
}

uint64_t Now() {
    SState& s = State();
    std::lock_guard<std::recursive_mutex> lock(s.Lock);
    return s.FakeClock ? s.FakeNow : GetTickCount();
}

void SSurface::Resize(int width, int height) {
    Width = width > 0 ? width : 0;
    Height = height > 0 ? height : 0;
    Pixels.assign(static_cast<size_t>(Width) * Height, 0);
}

void SWindow::AddDamage(int left, int top, int right, int bottom) {
    if (Damage.left >= Damage.right) {
        Damage = {left, top, right, bottom};
        return;
    }
    Damage.left = std::min<LONG>(Damage.left, left);
    Damage.top = std::min<LONG>(Damage.top, top);
    Damage.right = std::max<LONG>(Damage.right, right);
    Damage.bottom = std::max<LONG>(Damage.bottom, bottom);
}

namespace {

// The deepest visible, enabled window under (x, y) of `w`'s outer rectangle.
SWindow* Hit(SWindow* w, int& x, int& y) {
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it) {
        SWindow* c = *it;
        const int cx = x - w->Border() - c->X, cy = y - w->Border() - c->Y;
        if (c->Visible && c->Enabled && cx >= 0 && cy >= 0 && cx < c->Width && cy < c->Height) {
            x = cx;
            y = cy;
            return Hit(c, x, y);
        }
    }
    return w;
}

// (x, y) in `w`'s outer rectangle, measured from the top window's outer corner.
void Offset(SWindow* w, int& x, int& y) {
    for (SWindow* p = w; p->Parent; p = p->Parent) {
        x += p->X + p->Parent->Border();
        y += p->Y + p->Parent->Border();
    }
}

} // namespace

void DeliverMouse(HWND top, UINT message, int x, int y) {
    HWND target;
    int tx = x, ty = y;
    {
        std::lock_guard<std::recursive_mutex> lock(State().Lock);
        SWindow* t = FindWindow(top);
        if (!t) return;
        tx += t->Border();
        ty += t->Border();
        if (SWindow* capture = FindWindow(State().Capture)) {
            int ox = 0, oy = 0;
            Offset(capture, ox, oy);
            tx -= ox + capture->Border();
            ty -= oy + capture->Border();
            target = reinterpret_cast<HWND>(capture);
        } else {
            SWindow* w = Hit(t, tx, ty);
            target = reinterpret_cast<HWND>(w);
            tx -= w->Border();
            ty -= w->Border();
        }
    }
    SendMessageA(target, message, 0, MAKELPARAM(tx, ty));
}

namespace {

void TakeDamageAt(SWindow* window, int ox, int oy, RECT& total) {
    const RECT& d = window->Damage;
    if (d.left < d.right && d.top < d.bottom) {
        const RECT moved{d.left + ox, d.top + oy, d.right + ox, d.bottom + oy};
        if (total.left >= total.right) {
            total = moved;
        } else {
            total.left = std::min(total.left, moved.left);
            total.top = std::min(total.top, moved.top);
            total.right = std::max(total.right, moved.right);
            total.bottom = std::max(total.bottom, moved.bottom);
        }
    }
    window->Damage = RECT{};
    for (SWindow* child : window->Children)
        TakeDamageAt(child, ox + child->X + window->Border(), oy + child->Y + window->Border(),
                     total);
}

} // namespace

bool TakeDamage(SWindow* window, RECT* area) {
    RECT total{};
    TakeDamageAt(window, 0, 0, total);
    *area = total;
    return total.left < total.right;
}

} // namespace KestrelWin32

using namespace KestrelWin32;

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

std::string Lower(const char* text) {
    std::string s(text ? text : "");
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

WNDPROC ProcedureOf(HWND window) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    return w ? w->Procedure : nullptr;
}

void Invalidate(SWindow* w) {
    w->NeedsPaint = true;
    if (w->Border()) w->NeedsFramePaint = true;
}

// Sizes the surface to the outer rectangle and tells the window its client size.
void Reshape(HWND window, int x, int y, int width, int height) {
    bool resized;
    LPARAM size;
    {
        Lock lock(State().Lock);
        SWindow* w = FindWindow(window);
        if (!w) return;
        resized = width != w->Width || height != w->Height;
        w->X = x;
        w->Y = y;
        w->Width = width > 0 ? width : 0;
        w->Height = height > 0 ? height : 0;
        if (resized) w->Surface.Resize(w->Width, w->Height);
        Invalidate(w);
        size = MAKELPARAM(w->ClientWidth(), w->ClientHeight());
    }
    if (resized) SendMessageA(window, WM_SIZE, 0, size);
}

struct SCursor {
    const char* Name;
};
SCursor ArrowCursor{"arrow"}, SizeAllCursor{"sizeall"};

} // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* c) {
    if (!c || c->cbSize != sizeof(WNDCLASSEXA) || !c->lpszClassName || !c->lpfnWndProc) return 0;
    Lock lock(State().Lock);
    const std::string key = Lower(c->lpszClassName);
    if (State().Classes.count(key)) return 0;
    State().Classes[key] = {*c, c->lpszClassName};
    return static_cast<ATOM>(0xC000 + State().Classes.size());
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE) {
    Lock lock(State().Lock);
    return State().Classes.erase(Lower(name)) ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
    SWindow* w;
    {
        Lock lock(State().Lock);
        auto c = State().Classes.find(Lower(className));
        SWindow* p = parent ? FindWindow(parent) : nullptr;
        if (c == State().Classes.end() || (parent && !p) || ((style & WS_CHILD) && !p)) {
            SetLastError(c == State().Classes.end() ? 1407u : 1400u); // no class / bad parent
            return nullptr;
        }
        w = new SWindow;
        w->ClassName = c->second.Name;
        w->Procedure = c->second.Info.lpfnWndProc;
        w->Parent = p;
        w->Style = style;
        w->ExStyle = exStyle;
        w->Visible = (style & WS_VISIBLE) != 0;
        State().Objects.insert(w);
        if (p) p->Children.push_back(w);
    }
    HWND window = reinterpret_cast<HWND>(w);
    if (!SendMessageA(window, WM_NCCREATE, 0, 0)) {
        DestroyWindow(window);
        return nullptr;
    }
    SendMessageA(window, WM_CREATE, 0, 0);
    Reshape(window, x, y, width, height);
    return IsWindow(window) ? window : nullptr;
}

BOOL DestroyWindow(HWND window) {
    std::vector<HWND> children;
    {
        Lock lock(State().Lock);
        SWindow* w = FindWindow(window);
        if (!w) return FALSE;
        for (SWindow* child : w->Children)
            children.push_back(reinterpret_cast<HWND>(child));
    }
    SendMessageA(window, WM_DESTROY, 0, 0);
    for (HWND child : children)
        DestroyWindow(child);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    Lock lock(State().Lock);
    SState& s = State();
    SWindow* w = FindWindow(window);
    if (!w) return TRUE;
    KestrelPresenterForget(window);
    if (w->Parent) {
        auto& siblings = w->Parent->Children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
    }
    s.Timers.erase(std::remove_if(s.Timers.begin(), s.Timers.end(),
                                  [&](const STimer& t) { return t.Window == window; }),
                   s.Timers.end());
    s.Posted.erase(std::remove_if(s.Posted.begin(), s.Posted.end(),
                                  [&](const MSG& m) { return m.hwnd == window; }),
                   s.Posted.end());
    if (s.Capture == window) s.Capture = nullptr;
    if (s.Focus == window) s.Focus = nullptr;
    ReleaseWindowDCs(w);
    s.Objects.erase(w);
    delete w;
    return TRUE;
}

BOOL IsWindow(HWND window) {
    Lock lock(State().Lock);
    return FindWindow(window) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    return w ? reinterpret_cast<HWND>(w->Parent) : nullptr;
}

BOOL ShowWindow(HWND window, int command) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return FALSE;
    const BOOL was = w->Visible;
    w->Visible = command != SW_HIDE;
    if (w->Visible) Invalidate(w);
    return was;
}

BOOL IsWindowVisible(HWND window) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    return w && w->Visible ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return FALSE;
    const BOOL wasDisabled = !w->Enabled;
    w->Enabled = enable != FALSE;
    return wasDisabled;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
    if (!IsWindow(window)) return FALSE;
    Reshape(window, x, y, width, height);
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
    int nx, ny, nw, nh;
    {
        Lock lock(State().Lock);
        SWindow* w = FindWindow(window);
        if (!w) return FALSE;
        nx = (flags & SWP_NOMOVE) ? w->X : x;
        ny = (flags & SWP_NOMOVE) ? w->Y : y;
        nw = (flags & SWP_NOSIZE) ? w->Width : width;
        nh = (flags & SWP_NOSIZE) ? w->Height : height;
        if (flags & SWP_FRAMECHANGED) Invalidate(w);
    }
    Reshape(window, nx, ny, nw, nh);
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, w->ClientWidth(), w->ClientHeight()};
    return TRUE;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(w->Style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->ExStyle);
    case GWLP_USERDATA: return w->UserData;
    default: return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (index) {
    case GWL_STYLE:
        old = static_cast<LONG_PTR>(w->Style);
        w->Style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        old = static_cast<LONG_PTR>(w->ExStyle);
        w->ExStyle = static_cast<DWORD>(value);
        break;
    case GWLP_USERDATA:
        old = w->UserData;
        w->UserData = value;
        break;
    default: break;
    }
    return old;
}

LONG GetWindowLongA(HWND window, int index) {
    return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

LRESULT DefWindowProcA(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_NCCREATE ? TRUE : 0;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = ProcedureOf(window);
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Lock lock(State().Lock);
    if (window && !FindWindow(window)) return FALSE;
    State().Posted.push_back({window, message, wParam, lParam, static_cast<DWORD>(Now()), {0, 0}});
    return TRUE;
}

BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
    Lock lock(State().Lock);
    auto& posted = State().Posted;
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (window && it->hwnd != window) continue;
        if ((first || last) && (it->message < first || it->message > last)) continue;
        *message = *it;
        if (remove & PM_REMOVE) posted.erase(it);
        return TRUE;
    }
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message || !message->hwnd) return 0;
    if (message->message == WM_TIMER && message->lParam) {
        auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
        procedure(message->hwnd, WM_TIMER, message->wParam, message->time);
        return 0;
    }
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

HDC GetDC(HWND window) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return nullptr;
    if (!w->OwnDC) {
        w->OwnDC = new SDC;
        w->OwnDC->Window = w;
        State().Objects.insert(w->OwnDC);
    }
    return reinterpret_cast<HDC>(w->OwnDC);
}

HDC GetDCEx(HWND window, HRGN, DWORD flags) {
    if (!(flags & DCX_WINDOW)) return GetDC(window);
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return nullptr;
    if (!w->FrameDC) {
        w->FrameDC = new SDC;
        w->FrameDC->Window = w;
        w->FrameDC->WholeWindow = true;
        State().Objects.insert(w->FrameDC);
    }
    return reinterpret_cast<HDC>(w->FrameDC);
}

int ReleaseDC(HWND window, HDC dc) {
    // Windows of this subset keep their device contexts (class style CS_OWNDC).
    Lock lock(State().Lock);
    return FindWindow(window) && Find<SDC>(dc, KindDC) ? 1 : 0;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    HDC dc = GetDC(window);
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w || !paint) return dc;
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = {0, 0, w->ClientWidth(), w->ClientHeight()};
    w->NeedsPaint = false;
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT*) {
    return IsWindow(window);
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return FALSE;
    w->NeedsPaint = true;
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT*) {
    Lock lock(State().Lock);
    SWindow* w = FindWindow(window);
    if (!w) return FALSE;
    w->NeedsPaint = false;
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    bool paint;
    {
        Lock lock(State().Lock);
        SWindow* w = FindWindow(window);
        if (!w) return FALSE;
        paint = w->NeedsPaint && w->Visible;
    }
    if (paint) SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

HWND SetCapture(HWND window) {
    HWND previous;
    {
        Lock lock(State().Lock);
        if (!FindWindow(window)) return nullptr;
        previous = State().Capture;
        State().Capture = window;
    }
    if (previous && previous != window)
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return previous;
}

BOOL ReleaseCapture() {
    HWND previous;
    {
        Lock lock(State().Lock);
        previous = State().Capture;
        State().Capture = nullptr;
    }
    if (previous) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    Lock lock(State().Lock);
    return State().Capture;
}

HWND SetFocus(HWND window) {
    HWND previous;
    {
        Lock lock(State().Lock);
        if (window && !FindWindow(window)) return nullptr;
        previous = State().Focus;
        State().Focus = window;
    }
    if (previous && previous != window)
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window && previous != window)
        SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus() {
    Lock lock(State().Lock);
    return State().Focus;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    SCursor* cursor = name == IDC_SIZEALL ? &SizeAllCursor : &ArrowCursor;
    return reinterpret_cast<HCURSOR>(cursor);
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous;
    {
        Lock lock(State().Lock);
        previous = State().Cursor;
        State().Cursor = cursor;
    }
    KestrelPresenterCursor(cursor);
    return previous;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC function) {
    Lock lock(State().Lock);
    SState& s = State();
    if (window && !FindWindow(window)) return 0;
    if (!window) id = s.NextTimerId++;
    for (STimer& t : s.Timers)
        if (t.Window == window && t.Id == id) {
            t = {window, id, function, milliseconds, Now() + milliseconds};
            return window ? (id ? id : 1) : id;
        }
    s.Timers.push_back({window, id, function, milliseconds, Now() + milliseconds});
    // With a window, Win32 answers nonzero and the caller keeps its own identifier.
    return window ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    Lock lock(State().Lock);
    auto& timers = State().Timers;
    const size_t before = timers.size();
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const STimer& t) { return t.Window == window && t.Id == id; }),
                 timers.end());
    return timers.size() != before ? TRUE : FALSE;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    KestrelTesting::RecordMessageBox(caption ? caption : "", text ? text : "");
    return IDOK;
}
