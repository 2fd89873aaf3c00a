// A decibel bar graph of non-negative values: one bar per value over a fixed range,
// piling up as darker ink where several values share a column. Solid bars, or an
// envelope: a dark top pixel over a lighter body. UI thread only; Update takes the
// container's lock.
#pragma once

#include "ui/LiteControl.h"

class CImpulseView final : public CLiteControl {
public:
    // range: dB below 0 that still shows; opacity: the alpha of full black, 0 … 1.
    CImpulseView(CLiteContainer* container, int x, int y, int width, int height, double range,
                 double opacity, bool envelope);
    ~CImpulseView();

    void Draw(CFrameBuffer* target) override;
    // Redraws from count values (read during the call) and repaints. Allocates nothing.
    void Update(int count, const double* values);
    CFrameBuffer* GetPicture() { return Picture; }

private:
    void Frame();

    CFrameBuffer* Picture;
    double Range;
    double Opacity;
    bool Envelope;
};
