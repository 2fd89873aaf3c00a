#include "ui/LiteControl.h"
#include "ui/LiteContainer.h"

#include <algorithm>

CLiteControl::CLiteControl(CLiteContainer* container, int x, int y, int width, int height)
    : X(x), Y(y), Width(width), Height(height), Visible(true), Input(true), Container(container) {
    Container->AddControl(this);
}

CLiteControl::~CLiteControl() {
    Container->RemoveControl(this);
}

void CLiteControl::OnMouseMove(int, int) {}

void CLiteControl::OnLeftButtonDown(int, int) {}

void CLiteControl::OnLeftButtonUp(int, int) {}

bool CLiteControl::InRect(int left, int top, int right, int bottom) const {
    return X <= right && X + Width - 1 >= left && Y <= bottom && Y + Height - 1 >= top;
}

bool CLiteControl::InRect(int* left, int* top, int* right, int* bottom) const {
    if (!InRect(*left, *top, *right, *bottom)) return false;
    *left = std::min(*left, X);
    *right = std::max(*right, X + Width - 1);
    *top = std::min(*top, Y);
    *bottom = std::max(*bottom, Y + Height - 1);
    return true;
}

bool CLiteControl::ContainsPoint(int x, int y) const {
    return X <= x && x < X + Width && Y <= y && y < Y + Height;
}

void CLiteControl::SetCapture() {
    Container->SetCapture(this);
}

void CLiteControl::ReleaseCapture() {
    Container->ReleaseCapture(this);
}

void CLiteControl::Show() {
    Visible = true;
    Container->Render(X, Y, Width, Height);
}

void CLiteControl::Hide() {
    Visible = false;
    Container->Render(X, Y, Width, Height);
}
