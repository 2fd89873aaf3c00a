// A film-strip knob, optionally bound to a machine property. A drag of 100 pixels
// covers the range; values stay on the strip's frame grid.
#pragma once

#include "machine/Machine.h"
#include "ui/LiteControl.h"

class CLiteKnob final : public CLiteControl {
public:
    CLiteKnob(CLiteContainer* container, CMachine* machine, int property, CFrameBuffer* strip,
              int x, int y, int frameHeight);

    ~CLiteKnob();

    // UI thread. A drag is one gesture: begin edit, automation, end edit.
    void Draw(CFrameBuffer* target) override;
    void OnMouseMove(int x, int y) override;
    void OnLeftButtonDown(int x, int y) override;
    void OnLeftButtonUp(int x, int y) override;

    // UI thread; takes the container's lock: stores and re-renders, no notification.
    void SetValue(double value);
    double GetValue() const;
    // "name display" of the property at this value, to the container.
    void ShowToolTip(double value);
    int GetFrame() const { return static_cast<int>((FrameCount - 1) * GetValue()); }
    int GetFrameCount() const { return FrameCount; }

private:
    void EndGesture();

    CFrameBuffer* Strip;
    CMachine* Machine;
    int Property;
    int FrameCount;
    int DragStartY;
    double Value;
    double DragStartValue;
    bool Dragging;
};

// Joins a property's name and the display text of a value, as both controls show it.
void FormatToolTip(CMachine* machine, int property, double value, char* text, int size);
