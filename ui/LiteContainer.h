// One native window holding lightweight controls. It keeps a frame of its whole
// client area; Render redraws a rectangle (background, then every visible control
// touching it, in list order) and hands it to the back buffer and the screen, all
// under the container's lock. The lock order is always the machine's, then this one.
#pragma once

#include "machine/Mutex.h"
#include "ui/Control.h"
#include "ui/LiteControl.h"

class CLiteSlider;
class CLiteButton;

class CLiteContainer : public CControl, public CMutex {
public:
    // Throws "CLiteContainer : Invalid Background Picture" for a picture of another
    // size or with alpha.
    CLiteContainer(HWND parent, int width, int height, CFrameBuffer* background);
    CLiteContainer(CControl* parent, int width, int height, CFrameBuffer* background);
    ~CLiteContainer() override;

    void OnPaint() override;
    void OnLeftButtonDown(int x, int y) override;
    void OnLeftButtonUp(int x, int y) override;
    void OnMouseMove(int x, int y) override;
    void OnLeftButtonDoubleClick(int x, int y) override;
    void DrawControl() override;

    // Callbacks of the controls; an editor overrides them.
    virtual void OnLiteSliderDown(CLiteSlider* slider, double value);
    virtual void OnLiteSliderChange(CLiteSlider* slider, double value);
    virtual void OnButtonClick(CLiteButton* button);
    virtual void ShowToolTip(CLiteControl* control, const char* text);
    virtual void DrawBackground(int left, int top, int right, int bottom, int width, int height);

    // UI thread; no lock (the list changes only while the editor is built or torn down).
    void AddControl(CLiteControl* control);
    void RemoveControl(CLiteControl* control);
    void SetCapture(CLiteControl* control);
    void ReleaseCapture(CLiteControl* control);
    CLiteControl* ControlAt(int x, int y);
    // UI thread; takes the container's lock for the whole redraw (the controls read
    // only what the UI thread itself wrote).
    void Render(int x, int y, int width, int height);
    void Render();

    // UI thread; takes the container's lock. Shows the frame with every pixel as a
    // scale × scale block (1 … 4) in a window that much larger, and maps the mouse back:
    // the controls go on drawing and hit-testing in the frame's own pixels.
    void SetScale(int scale);
    int GetScale() const { return Scale; }

    CFrameBuffer* GetFrame() { return Frame; }
    CLiteControl* GetFirstControl() { return FirstControl; }
    CLiteControl* GetCaptured() { return Captured; }

private:
    void Build(CFrameBuffer* background);

    CFrameBuffer* Background;
    CFrameBuffer* Frame;
    CLiteControl* FirstControl;
    CLiteControl* Captured;
    int Scale;
};
