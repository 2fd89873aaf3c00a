// A thumb that moves along a straight track, horizontally or vertically, optionally
// bound to a machine property; without a machine it reports to the container.
#pragma once

#include "machine/Machine.h"
#include "ui/LiteControl.h"

class CLiteSlider final : public CLiteControl {
public:
    CLiteSlider(CLiteContainer* container, int x, int y, int length, bool vertical,
                CFrameBuffer* thumb, CMachine* machine, int property);
    // Horizontal, with a track picture starting trackOffset pixels above the control.
    CLiteSlider(CLiteContainer* container, int x, int y, int length, int trackOffset,
                CFrameBuffer* thumb, CFrameBuffer* track, CMachine* machine, int property);

    ~CLiteSlider();

    // UI thread. A drag of a bound slider is one gesture: begin edit, automation, end edit.
    void Draw(CFrameBuffer* target) override;
    void OnMouseMove(int x, int y) override;
    void OnLeftButtonDown(int x, int y) override;
    void OnLeftButtonUp(int x, int y) override;

    // UI thread; takes the container's lock.
    void SetValue(double value);
    double GetValue() const;
    void ShowToolTip(double value);
    int GetTravel() const { return Travel; }
    // Where the thumb's top-left corner is drawn, in container coordinates.
    int ThumbX() const;
    int ThumbY() const;

private:
    void EndGesture();

    CFrameBuffer* Thumb;
    CFrameBuffer* Track;
    double Value;
    double DragStartValue;
    int Travel;
    int Property;
    int DragStart;
    int TrackOffset;
    bool Vertical;
    bool Dragging;
    CMachine* Machine;
};
