#include "ui/LiteSlider.h"
#include "ui/LiteContainer.h"
#include "ui/LiteKnob.h"

#include <algorithm>

CLiteSlider::CLiteSlider(CLiteContainer* container, int x, int y, int length, bool vertical,
                         CFrameBuffer* thumb, CMachine* machine, int property)
    : CLiteControl(container, x, y, vertical ? thumb->GetWidth() : length,
                   vertical ? length : thumb->GetHeight()),
      Thumb(thumb), Track(nullptr), Value(machine ? machine->GetProperty(property) : 0.0),
      DragStartValue(0), Travel(length - (vertical ? thumb->GetHeight() : thumb->GetWidth())),
      Property(property), DragStart(0), TrackOffset(0), Vertical(vertical), Dragging(false),
      Machine(machine) {}

CLiteSlider::CLiteSlider(CLiteContainer* container, int x, int y, int length, int trackOffset,
                         CFrameBuffer* thumb, CFrameBuffer* track, CMachine* machine, int property)
    : CLiteControl(container, x, y + trackOffset, length, thumb->GetHeight()), Thumb(thumb),
      Track(track), Value(machine ? machine->GetProperty(property) : 0.0), DragStartValue(0),
      Travel(length - thumb->GetWidth()), Property(property), DragStart(0),
      TrackOffset(trackOffset), Vertical(false), Dragging(false), Machine(machine) {}

int CLiteSlider::ThumbX() const {
    return Vertical ? X : X + static_cast<int>(Travel * Value);
}

int CLiteSlider::ThumbY() const {
    return Vertical ? Y + Travel - static_cast<int>(Travel * Value) : Y;
}

void CLiteSlider::Draw(CFrameBuffer* target) {
    if (Track) Track->Draw(target, X, Y - TrackOffset, 0, 0, Track->GetWidth(), Track->GetHeight());
    if (Vertical)
        Thumb->Draw(target, ThumbX(), ThumbY(), 0, 0, Width, Thumb->GetHeight());
    else
        Thumb->Draw(target, ThumbX(), ThumbY(), 0, 0, Thumb->GetWidth(), Height);
}

void CLiteSlider::SetValue(double value) {
    // As the knob's: changed and read only under the container's lock.
    CMutexLock lock(Container);
    if (value == Value) return; // the same picture: nothing to redraw
    Value = value;
    Container->Render(X, Y, Width, Height);
}

double CLiteSlider::GetValue() const {
    CMutexLock lock(Container);
    return Value;
}

void CLiteSlider::ShowToolTip(double value) {
    char text[128];
    FormatToolTip(Machine, Property, value, text, sizeof text);
    Container->ShowToolTip(this, text);
}

void CLiteSlider::OnLeftButtonDown(int x, int y) {
    bool grabbed = false;
    {
        // Machine first, then the container: the order every path keeps.
        CMutexLock machine(Machine);
        CMutexLock container(Container);
        const bool onThumb = Vertical ? ThumbY() <= y && y < ThumbY() + Thumb->GetHeight()
                                      : ThumbX() <= x && x < ThumbX() + Thumb->GetWidth();
        if (!onThumb) return; // elsewhere on the slider: no jump to the click
        DragStartValue = Value;
        DragStart = Vertical ? y : x;
        SetCapture();
        Dragging = grabbed = true;
        if (Machine)
            ShowToolTip(Value);
        else
            Container->OnLiteSliderDown(this, Value);
    }
    if (grabbed && Machine) Machine->BeginPropertyEdit(Property);
}

void CLiteSlider::OnMouseMove(int x, int y) {
    if (!Dragging || Travel <= 0) return;
    const int delta = Vertical ? DragStart - y : x - DragStart;
    const double v = std::clamp(static_cast<double>(delta) / Travel + DragStartValue, 0.0, 1.0);
    CMutexLock machine(Machine);
    CMutexLock container(Container);
    if (v == Value) return;
    if (Machine) {
        ShowToolTip(v);
        Machine->SetPropertyAutomated(Property, v);
    } else {
        Value = v;
        Container->Render(X, Y, Width, Height);
        Container->OnLiteSliderChange(this, v);
    }
}

void CLiteSlider::OnLeftButtonUp(int, int) {
    if (!Dragging) return;
    ReleaseCapture();
    EndGesture();
}

void CLiteSlider::EndGesture() {
    if (!Dragging) return;
    Dragging = false;
    if (Machine) Machine->EndPropertyEdit(Property);
}

CLiteSlider::~CLiteSlider() {
    EndGesture(); // an editor closed mid-drag still lets the host's touch go
}
