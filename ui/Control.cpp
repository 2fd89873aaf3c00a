#include "ui/Control.h"
#include "platform/ErrorReporting.h"
#include "platform/Module.h"

#include <cstdio>
#include <cstring>

extern "C" {
char ClassName[64] = "";
unsigned short ControlClass = 0;
}

void RegisterControlClass() {
    if (ControlClass) return;
    std::snprintf(ClassName, sizeof ClassName, "BMControl_0x%x",
                  static_cast<unsigned>(GetTickCount()));
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_GLOBALCLASS;
    c.lpfnWndProc = ControlProcedure;
    c.hInstance = AppInstance;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = ClassName;
    ControlClass = RegisterClassExA(&c) != 0;
}

LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        DefWindowProcA(window, message, wParam, lParam);
        return TRUE;
    }
    // The host's message loop calls this: nothing may unwind into it.
    try {
        if (message == WM_LBUTTONDOWN && GetFocus() != window) SetFocus(window);
        auto* control = reinterpret_cast<CControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (control) return control->WindowProc(window, message, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        OutputDebugStringA("A window message failed; it was dropped.\n");
        return 0;
    }
}

CControl::CControl(CColorManager* colors)
    : X(0), Y(0), Width(0), Height(0), Window(nullptr), Parent(nullptr), Colors(colors),
      WindowDC(nullptr), Font(nullptr), OwnsFont(true), BackColor(ColorBackground), DrawDC(nullptr),
      SelfPainting(false), Border(false), Texture(nullptr), BorderStyle(BorderRaised),
      BackBuffer(nullptr) {}

CControl::CControl(HWND parent, CColorManager* colors, const char* name, int x, int y, int width,
                   int height, bool backBuffer)
    : CControl(colors) {
    X = x;
    Y = y;
    Width = width;
    Height = height;
    MakeWindow(parent, name, x, y, width, height);
    if (backBuffer) MakeBackBuffer();
}

CControl::CControl(CControl* parent, const char* name, int x, int y, int width, int height,
                   bool backBuffer)
    : CControl(parent->Colors) {
    Parent = parent;
    Texture = parent->Texture;
    Font = parent->Font;
    OwnsFont = false;
    MakeWindow(parent->Window, name, x, y, width, height);
    if (backBuffer) MakeBackBuffer();
}

CControl::~CControl() {
    SetFont(static_cast<CFont*>(nullptr));
    delete BackBuffer;
    BackBuffer = nullptr;
    if (Window) {
        // Unlinked first: messages sent while the window goes no longer reach us.
        SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
        DestroyWindow(Window);
    }
}

void CControl::Init() {
    Window = nullptr;
    WindowDC = DrawDC = nullptr;
    SelfPainting = Border = false;
    BorderStyle = BorderRaised;
    BackColor = ColorBackground;
    BackBuffer = nullptr;
    Font = Parent ? Parent->Font : nullptr;
    OwnsFont = !Parent;
}

void CControl::MakeWindow(HWND parent, const char* name, int x, int y, int width, int height) {
    if (!ControlClass) RegisterControlClass();
    if (!IsWindow(parent)) throw "MakeWindow: IsWindow == False";
    Window = CreateWindowExA(0, ClassName, name, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y,
                             width, height, parent, nullptr, AppInstance, nullptr);
    if (!Window) DisplayError("CreateWindowA Failed: 0x%x", static_cast<unsigned>(GetLastError()));
    WindowDC = Window ? GetDC(Window) : nullptr;
    X = x;
    Y = y;
    Width = width;
    Height = height;
    if (!Font && WindowDC) SetFont(new CFont(WindowDC, "Verdana", 9.0, false));
    if (Window) SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CControl::MakeBackBuffer() {
    BackBuffer = new CBackBuffer(WindowDC, Width, Height);
    DrawDC = BackBuffer->GetDC();
}

void CControl::Show() {
    Show(SW_SHOW);
}

void CControl::Show(int command) {
    ShowWindow(Window, command);
}

void CControl::Hide() {
    Show(SW_HIDE);
}

void CControl::OnPaint() {
    if (BackBuffer) {
        SelectClipRgn(DrawDC, nullptr);
        BackBuffer->Draw();
    } else if (Colors) {
        Colors->Lock();
        Colors->GetBrush(BackColor)->FillRect(WindowDC, 0, 0, Width, Height);
        Colors->Release();
    } else {
        const RECT rect{0, 0, Width, Height};
        FillRect(WindowDC, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void CControl::OnResize(int width, int height) {
    Width = width;
    Height = height;
    if (BackBuffer) {
        BackBuffer->Resize(width, height);
        DrawDC = BackBuffer->GetDC();
    }
    if (SelfPainting) Update();
}

LRESULT CControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_SIZE: return OnResize(LOWORD(lParam), HIWORD(lParam)), 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        OnPaint();
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NCPAINT: {
        HDC dc = GetDCEx(window, nullptr, DCX_WINDOW);
        bool handled = false;
        if (dc) {
            handled = OnNCPaint(dc);
            ReleaseDC(window, dc);
        }
        return handled ? 0 : DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: {
        if (!Colors) return DefWindowProcA(window, message, wParam, lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        const bool scroll = message == WM_CTLCOLORSCROLLBAR;
        SetTextColor(dc,
                     scroll ? 0x0000FF : static_cast<COLORREF>(Colors->GetColor(ColorEditText)));
        SetBkColor(dc, scroll ? 0xFF0000 : static_cast<COLORREF>(Colors->GetColor(ColorEditBack)));
        Colors->Lock();
        HBRUSH brush = Colors->GetBrush(scroll ? ColorBackground : ColorEditBack)->GetBrush();
        Colors->Release();
        return reinterpret_cast<LRESULT>(brush);
    }
    case WM_MOUSEMOVE: return OnMouseMove(x, y), 0;
    case WM_LBUTTONDOWN: return OnLeftButtonDown(x, y), 0;
    case WM_LBUTTONUP: return OnLeftButtonUp(x, y), 0;
    case WM_LBUTTONDBLCLK: return OnLeftButtonDoubleClick(x, y), 0;
    case WM_RBUTTONDOWN: return OnRightButtonDown(x, y), 0;
    case WM_RBUTTONUP: return OnRightButtonUp(x, y), 0;
    case WM_CAPTURECHANGED: return OnCaptureChanged(reinterpret_cast<HWND>(lParam)), 0;
    default:
        if (message >= WM_APP && message <= 0xBFFF) return OnAppMessage(message, wParam, lParam), 0;
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool CControl::OnNCPaint(HDC dc) {
    if (!Border) return false;
    DrawBorder(dc, BorderStyle, 0, 0, Width + 2, Height + 2);
    return true;
}

void CControl::OnRightButtonDown(int, int) {}
void CControl::OnRightButtonUp(int, int) {}
void CControl::OnLeftButtonDown(int, int) {}
void CControl::OnLeftButtonUp(int, int) {}
void CControl::OnMouseMove(int, int) {}
void CControl::OnScrollX(int) {}
void CControl::OnScrollY(int) {}
void CControl::OnLeftButtonDoubleClick(int, int) {}
void CControl::OnComboSelect(CComboBox*) {}
void CControl::OnListSelChange(CListBox*) {}
void CControl::OnListDblClick(CListBox*) {}
void CControl::OnSizeX(CSizeBar*, int) {}
void CControl::OnSizeY(CSizeBar*, int) {}
void CControl::OnToolBarButtonPress(CToolBarButton*) {}
void CControl::OnSliderChange(CSlider*, double) {}
void CControl::OnButtonPress(CButton*) {}
void CControl::OnUpDownChange(CUpDown*) {}
void CControl::OnCaptureChanged(HWND) {}
void CControl::OnRenameDialogSuccess() {}
void CControl::OnIconListSelectItem(int) {}
void CControl::OnAppMessage(UINT, WPARAM, LPARAM) {}

BOOL CControl::PostMessageA(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(Window, message, wParam, lParam);
}

void CControl::Update() {
    DrawControl();
    OnPaint();
    ValidateRect(Window, nullptr);
}

void CControl::DrawControl() {
    if (!SelfPainting || !BackBuffer) return;
    if (Texture) {
        FillTexture(Texture);
    } else if (Colors) {
        Colors->Lock();
        Colors->GetBrush(BackColor)->FillRect(BackBuffer->GetDC(), 0, 0, Width, Height);
        Colors->Release();
    }
}

void CControl::Resize(int width, int height) {
    MoveWindow(Window, X, Y, width, height, TRUE);
}

void CControl::Move(int x, int y) {
    const bool bordered = (GetWindowLongPtrA(Window, GWL_STYLE) & WS_BORDER) != 0;
    MoveWindow(Window, x, y, bordered ? Width + 2 : Width, bordered ? Height + 2 : Height, TRUE);
    X = x;
    Y = y;
}

void CControl::Move(int x, int y, int width, int height) {
    MoveWindow(Window, x, y, width, height, TRUE);
    X = x;
    Y = y;
}

void CControl::SetTopMost() {
    SetWindowLongPtrA(Window, GWL_EXSTYLE, GetWindowLongPtrA(Window, GWL_EXSTYLE) | WS_EX_TOPMOST);
    SetWindowPos(Window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
}

void CControl::Enable() {
    EnableWindow(Window, TRUE);
}

void CControl::Disable() {
    EnableWindow(Window, FALSE);
}

void CControl::SetBorder(DrawBorderStyle style) {
    Border = true;
    BorderStyle = style;
    SetWindowLongPtrA(Window, GWL_STYLE, GetWindowLongPtrA(Window, GWL_STYLE) | WS_BORDER);
    SetWindowPos(Window, nullptr, X, Y, Width, Height, SWP_FRAMECHANGED);
}

void CControl::DrawBorder(HDC dc, DrawBorderStyle style, int x, int y, int width, int height) {
    if (!Colors) return;
    Colors->Lock();
    DrawBorder(dc, style, x, y, width, height, Colors->GetPen(ColorBorderLight),
               Colors->GetPen(ColorBorderDark));
    Colors->Release();
}

void CControl::DrawBorder(HDC dc, DrawBorderStyle style, int x, int y, int width, int height,
                          CPen* first, CPen* second) {
    if (style != BorderFlat && style != BorderRaised && style != BorderSunken) return;
    const int right = x + width - 1, bottom = y + height - 1;
    CPen* a = style == BorderSunken ? second : first;
    CPen* b = style == BorderSunken ? first : second;
    HGDIOBJ previous = SelectObject(dc, (style == BorderFlat ? second : a)->GetPen());
    MoveToEx(dc, x, bottom, nullptr);
    LineTo(dc, x, y);
    LineTo(dc, right, y);
    if (style != BorderFlat) SelectObject(dc, b->GetPen());
    LineTo(dc, right, bottom);
    LineTo(dc, x, bottom);
    SelectObject(dc, previous);
}

void CControl::DrawLabel(HDC dc, int x, int y, int width, int height, const char* text) {
    if (!Font || !text) return;
    HGDIOBJ previous = SelectObject(dc, Font->GetFont());
    RECT rect{x, y, x + width, y + height};
    DrawTextA(dc, text, static_cast<int>(std::strlen(text)), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, previous);
}

void CControl::DrawBox(HDC dc, int x, int y, int width, int height, const char* text, bool filled) {
    if (text) DrawLabel(dc, x + 1, y + 1, width - 1, height - 1, text);
    if (!Colors) return;
    Colors->Lock();
    HGDIOBJ previous = SelectObject(dc, Colors->GetPen(ColorBox)->GetPen());
    const POINT corners[5] = {
        {x, y}, {x + width - 1, y}, {x + width - 1, y + height - 1}, {x, y + height - 1}, {x, y}};
    Polyline(dc, corners, 5);
    SelectObject(dc, previous);
    if (filled) Colors->GetBrush(ColorBox)->FillRect(dc, x + 1, y + 1, width - 2, height - 2);
    Colors->Release();
}

void CControl::DrawBox(HDC dc, int x, int y, int width, int height, const char* text) {
    DrawBox(dc, x, y, width, height, text, false);
}

void CControl::SetFont(CFont* font) {
    if (OwnsFont) delete Font;
    Font = font;
    OwnsFont = true;
}

void CControl::SetFont(const char* face, double points, bool bold) {
    SetFont(new CFont(WindowDC, face, points, bold));
}

void CControl::FillTexture(CFrameBuffer* picture) {
    if (picture && BackBuffer) picture->TextureFill(BackBuffer, X, Y);
}
