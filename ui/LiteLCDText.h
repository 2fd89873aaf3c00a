// One line of bitmap text as a dark imprint on the artwork behind it. A new text
// rests for 4 s, then scrolls left a pixel every 100 ms until it has left the strip.
#pragma once

#include "ui/BitFont.h"
#include "ui/LiteControl.h"
#include "ui/Timer.h"

class CLiteLCDText final : public CLiteControl, public CTimerCallback {
public:
    // inkOpacity: the alpha of fully black ink, 0 … 1.
    CLiteLCDText(CLiteContainer* container, int x, int y, int width, int height, CBitFont* font,
                 double inkOpacity);
    ~CLiteLCDText();

    void Draw(CFrameBuffer* target) override;
    void OnTimer(CTimer* timer) override; // UI thread; takes the container's lock

    // Shown in capitals at offset 0; restarts the 4 s rest.
    void SetText(const char* text);
    void Render();
    const char* GetText() const { return Text; }
    int GetScrollOffset() const { return ScrollOffset; }
    CFrameBuffer* GetPicture() { return Picture; }

private:
    CBitFont* Font;
    int ScrollOffset;
    char* Text;
    CFrameBuffer* Picture;
    double InkOpacity;
    CTimer* Timer;
};
