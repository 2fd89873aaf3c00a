// One native child window of the toolkit's own class: messages routed to virtual
// handlers, painting through an optional back buffer, a one-pixel non-client border,
// and drawing helpers in the colours of a colour table. UI thread only.
#pragma once

#include "graphics/BackBuffer.h"
#include "graphics/FrameBuffer.h"
#include "platform/Win32.h"
#include "ui/ColorManager.h"
#include "ui/Font.h"

// Kinds of control this system does not contain; their hooks keep their slots.
class CComboBox;
class CListBox;
class CSizeBar;
class CToolBarButton;
class CSlider;
class CButton;
class CUpDown;

enum DrawBorderStyle { BorderFlat = 0, BorderRaised = 1, BorderSunken = 2 };

extern "C" {
extern char ClassName[64];          // "BMControl_0x%x", fresh for every load
extern unsigned short ControlClass; // nonzero once the class is registered
}

void RegisterControlClass();
LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class CControl {
public:
    explicit CControl(CColorManager* colors);
    CControl(HWND parent, CColorManager* colors, const char* name, int x, int y, int width,
             int height, bool backBuffer);
    CControl(CControl* parent, const char* name, int x, int y, int width, int height,
             bool backBuffer);
    ~CControl(); // not virtual: derived classes are destroyed by their own type

    virtual void Show();
    virtual void Show(int command);
    virtual void OnPaint();
    virtual void OnResize(int width, int height);
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool OnNCPaint(HDC dc);
    virtual void OnRightButtonDown(int x, int y);
    virtual void OnRightButtonUp(int x, int y);
    virtual void OnLeftButtonDown(int x, int y);
    virtual void OnLeftButtonUp(int x, int y);
    virtual void OnMouseMove(int x, int y);
    virtual void OnScrollX(int position);
    virtual void OnScrollY(int position);
    virtual void OnLeftButtonDoubleClick(int x, int y);
    virtual void OnComboSelect(CComboBox* combo);
    virtual void OnListSelChange(CListBox* list);
    virtual void OnListDblClick(CListBox* list);
    virtual void OnSizeX(CSizeBar* bar, int position);
    virtual void OnSizeY(CSizeBar* bar, int position);
    virtual void OnToolBarButtonPress(CToolBarButton* button);
    virtual void OnSliderChange(CSlider* slider, double value);
    virtual void OnButtonPress(CButton* button);
    virtual void OnUpDownChange(CUpDown* updown);
    virtual void OnCaptureChanged(HWND window);
    virtual void OnRenameDialogSuccess();
    virtual void OnIconListSelectItem(int item);
    virtual void OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PostMessageA(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void Update();
    virtual void DrawControl();

    void Init();
    void MakeWindow(HWND parent, const char* name, int x, int y, int width, int height);
    void MakeBackBuffer();
    void Hide();
    void SetBackColor(ColorManagerColor color) { BackColor = color; }
    void Resize(int width, int height);
    void Move(int x, int y);
    void Move(int x, int y, int width, int height);
    void SetTopMost();
    void Enable();
    void Disable();
    void SetBorder(DrawBorderStyle style);
    void DrawBorder(HDC dc, DrawBorderStyle style, int x, int y, int width, int height);
    void DrawBorder(HDC dc, DrawBorderStyle style, int x, int y, int width, int height, CPen* first,
                    CPen* second);
    void DrawLabel(HDC dc, int x, int y, int width, int height, const char* text);
    void DrawBox(HDC dc, int x, int y, int width, int height, const char* text, bool filled);
    void DrawBox(HDC dc, int x, int y, int width, int height, const char* text);
    void SetFont(CFont* font);
    void SetFont(const char* face, double points, bool bold);
    void FillTexture(CFrameBuffer* picture);
    CBackBuffer* GetBackBuffer() { return BackBuffer; }
    HWND GetWindow() const { return Window; }

    int X, Y, Width, Height;
    HWND Window;
    CControl* Parent;
    CColorManager* Colors;
    HDC WindowDC;
    CFont* Font;
    bool OwnsFont;
    ColorManagerColor BackColor;
    HDC DrawDC;
    bool SelfPainting;
    bool Border;
    CFrameBuffer* Texture;
    DrawBorderStyle BorderStyle;
    CBackBuffer* BackBuffer;

    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;
};
