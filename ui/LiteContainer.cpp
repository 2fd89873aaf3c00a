#include "ui/LiteContainer.h"

#include <algorithm>

namespace {
int FloorDivide(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

CLiteContainer::CLiteContainer(HWND parent, int width, int height, CFrameBuffer* background)
    : CControl(parent, nullptr, "", 0, 0, width, height, true), Background(nullptr), Frame(nullptr),
      FirstControl(nullptr), Captured(nullptr), Scale(1) {
    Build(background);
}

CLiteContainer::CLiteContainer(CControl* parent, int width, int height, CFrameBuffer* background)
    : CControl(parent, "", 0, 0, width, height, true), Background(nullptr), Frame(nullptr),
      FirstControl(nullptr), Captured(nullptr), Scale(1) {
    Build(background);
}

void CLiteContainer::Build(CFrameBuffer* background) {
    Border = false;
    Background = background;
    if (background && (background->GetWidth() != Width || background->GetHeight() != Height ||
                       background->GetAlpha()))
        throw "CLiteContainer : Invalid Background Picture";
    Frame = new CFrameBuffer(Width, Height, false);
    SelfPainting = true;
    Render();
}

CLiteContainer::~CLiteContainer() {
    delete Frame;
}

void CLiteContainer::AddControl(CLiteControl* control) {
    control->LinkAtEnd(&FirstControl);
}

void CLiteContainer::RemoveControl(CLiteControl* control) {
    if (Captured == control) Captured = nullptr; // never route to a control that is gone
    control->Unlink();
}

void CLiteContainer::SetCapture(CLiteControl* control) {
    Captured = control;
    ::SetCapture(Window);
}

void CLiteContainer::ReleaseCapture(CLiteControl* control) {
    if (Captured != control) return;
    Captured = nullptr;
    ::ReleaseCapture();
}

CLiteControl* CLiteContainer::ControlAt(int x, int y) {
    CLiteControl* found = nullptr;
    for (CLiteControl* c = FirstControl; c; c = c->Next)
        if (c->Input && c->ContainsPoint(x, y)) found = c;
    return found;
}

void CLiteContainer::Render(int x, int y, int width, int height) {
    // The whole redraw, not only the hand-over, holds the lock: the machine pushes values
    // into controls from the audio thread while the window thread paints from the frame.
    CMutexLock lock(this);
    int right = x + width - 1, bottom = y + height - 1;
    if (right >= Width) right = Width - 1;
    if (bottom >= Height) bottom = Height - 1;
    if (right < 0 || bottom < 0) return;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int w = right - left + 1, h = bottom - top + 1;
    if (w <= 0 || h <= 0) return;
    Frame->SetClip(left, top, right, bottom);
    DrawBackground(left, top, right, bottom, w, h);
    for (CLiteControl* c = FirstControl; c; c = c->Next)
        if (c->InRect(left, top, right, bottom) && c->Visible) c->Draw(Frame);
    if (BackBuffer) {
        Frame->DrawScaled(BackBuffer, top, h, Scale);
        BackBuffer->Draw(left * Scale, top * Scale, w * Scale, h * Scale);
    }
}

void CLiteContainer::SetScale(int scale) {
    scale = std::clamp(scale, 1, 4);
    CMutexLock lock(this);
    if (scale == Scale) return;
    Scale = scale;
    if (BackBuffer) BackBuffer->Resize(Width * Scale, Height * Scale);
    SetWindowPos(Window, nullptr, 0, 0, Width * Scale, Height * Scale, SWP_NOMOVE | SWP_NOZORDER);
    Render();
}

void CLiteContainer::Render() {
    Render(0, 0, Width, Height);
}

void CLiteContainer::DrawBackground(int left, int top, int, int, int width, int height) {
    if (Background)
        Background->Draw(Frame, left, top, left, top, width, height);
    else if (Texture && SelfPainting)
        Texture->TextureFill(Frame, X, Y);
    else if (Colors)
        Frame->Fill(Colors->GetColor(ColorBackground), left, top, width, height);
}

void CLiteContainer::OnPaint() {
    CMutexLock lock(this);
    if (!BackBuffer) return;
    Frame->DrawScaled(BackBuffer, 0, Height, Scale);
    BackBuffer->Draw();
}

// The window's pixels are Scale times the frame's; floor division keeps negative
// positions (a drag past the left edge) on the frame's grid.
void CLiteContainer::OnLeftButtonDown(int x, int y) {
    x = FloorDivide(x, Scale), y = FloorDivide(y, Scale);
    if (CLiteControl* target = Captured ? Captured : ControlAt(x, y))
        target->OnLeftButtonDown(x, y);
}

void CLiteContainer::OnLeftButtonUp(int x, int y) {
    x = FloorDivide(x, Scale), y = FloorDivide(y, Scale);
    if (CLiteControl* target = Captured ? Captured : ControlAt(x, y)) target->OnLeftButtonUp(x, y);
}

void CLiteContainer::OnMouseMove(int x, int y) {
    x = FloorDivide(x, Scale), y = FloorDivide(y, Scale);
    if (CLiteControl* target = Captured ? Captured : ControlAt(x, y)) target->OnMouseMove(x, y);
}

void CLiteContainer::OnLeftButtonDoubleClick(int x, int y) {
    OnLeftButtonDown(x, y);
}

void CLiteContainer::DrawControl() {}

void CLiteContainer::OnLiteSliderDown(CLiteSlider*, double) {}

void CLiteContainer::OnLiteSliderChange(CLiteSlider*, double) {}

void CLiteContainer::OnButtonClick(CLiteButton*) {}

void CLiteContainer::ShowToolTip(CLiteControl*, const char*) {}
