// A decibel bar graph of non-negative values: one bar per value over a fixed range,
// piling up as darker ink where several values share a column. Solid bars, or an
// envelope: a dark top pixel over a lighter body. UI thread only; Update takes the
// container's lock.
#pragma once

#include "ui/LiteControl.h"

#include <vector>

class CImpulseView final : public CLiteControl {
public:
    // range: dB below 0 that still shows; opacity: the alpha of full black, 0 … 1.
    CImpulseView(CLiteContainer* container, int x, int y, int width, int height, double range,
                 double opacity, bool envelope);
    ~CImpulseView();

    void Draw(CFrameBuffer* target) override;
    // Redraws from count values (read during the call) and repaints. Allocates nothing
    // once it has drawn.
    void Update(int count, const double* values);
    CFrameBuffer* GetPicture() { return Picture; }
    unsigned GetDrawings() const { return Drawings; } // how often Update drew, for tests
    // The same picture the slow way, value by value and row by row: what Update's
    // column-at-once counting must equal, for tests.
    void UpdateByRows(int count, const double* values);

private:
    void Frame();
    int Top(double value) const; // the first inked row below a bar, 0 … inner height
    // Inks one column from the tops of its values, in their order, at once.
    void InkColumn(int column, const int* tops, int n);
    void Publish();

    // One column's values at a time: their tops, and per row the counts InkColumn needs.
    std::vector<int> Tops, LastAt, FirstAt, Count, After;
    unsigned Drawings = 0;

    CFrameBuffer* Picture;
    double Range;
    double Opacity;
    bool Envelope;
};
