#include "ui/LiteKnob.h"
#include "ui/LiteContainer.h"

#include <cstdio>

void FormatToolTip(CMachine* machine, int property, double value, char* text, int size) {
    char name[MachineTextSize] = "", display[MachineTextSize] = "";
    machine->GetPropertyName(property, name);
    machine->GetPropertyValueDisplay(property, value, display);
    std::snprintf(text, static_cast<size_t>(size), "%s %s", name, display);
}

CLiteKnob::CLiteKnob(CLiteContainer* container, CMachine* machine, int property,
                     CFrameBuffer* strip, int x, int y, int frameHeight)
    : CLiteControl(container, x, y, strip->GetWidth(), frameHeight), Strip(strip), Machine(machine),
      Property(property), FrameCount(frameHeight > 0 ? strip->GetHeight() / frameHeight : 0),
      DragStartY(0), Value(machine ? machine->GetProperty(property) : 0.5), DragStartValue(0),
      Dragging(false) {}

void CLiteKnob::Draw(CFrameBuffer* target) {
    Strip->Draw(target, X, Y, 0, GetFrame() * Height, Width, Height);
}

void CLiteKnob::SetValue(double value) {
    // The machine pushes values from the audio thread while the window thread draws and
    // drags: the value changes and is read only under the container's lock.
    CMutexLock lock(Container);
    if (value == Value) return; // the same picture: nothing to redraw
    Value = value;
    Container->Render(X, Y, Width, Height);
}

double CLiteKnob::GetValue() const {
    CMutexLock lock(Container);
    return Value;
}

void CLiteKnob::ShowToolTip(double value) {
    char text[128];
    FormatToolTip(Machine, Property, value, text, sizeof text);
    Container->ShowToolTip(this, text);
}

void CLiteKnob::OnLeftButtonDown(int, int y) {
    {
        // Machine first, then the container: the order every path keeps.
        CMutexLock machine(Machine);
        CMutexLock container(Container);
        DragStartY = y;
        DragStartValue = Value;
        Dragging = true;
        if (Machine) ShowToolTip(Value);
    }
    SetCapture();
    if (Machine) Machine->BeginPropertyEdit(Property);
}

void CLiteKnob::OnMouseMove(int, int y) {
    if (!Dragging || FrameCount < 2) return;
    int f = static_cast<int>((FrameCount - 1) * ((DragStartY - y) / 100.0 + DragStartValue));
    if (f < 0) f = 0;
    if (f >= FrameCount) f = FrameCount - 1;
    const double value = static_cast<double>(f) / (FrameCount - 1);
    CMutexLock machine(Machine);
    CMutexLock container(Container);
    if (value == Value) return;
    if (Machine) {
        ShowToolTip(value);
        Machine->SetPropertyAutomated(Property, value);
    } else {
        SetValue(value);
    }
}

void CLiteKnob::OnLeftButtonUp(int, int) {
    ReleaseCapture();
    EndGesture();
}

void CLiteKnob::EndGesture() {
    if (!Dragging) return;
    Dragging = false;
    if (Machine) Machine->EndPropertyEdit(Property);
}

CLiteKnob::~CLiteKnob() {
    EndGesture(); // an editor closed mid-drag still lets the host's touch go
}
