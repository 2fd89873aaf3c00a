#include "editor/ImpulseView.h"
#include "dsp/LevelUtils.h"
#include "ui/LiteContainer.h"

#include <algorithm>
#include <cmath>

CImpulseView::CImpulseView(CLiteContainer* container, int x, int y, int width, int height,
                           double range, double opacity, bool envelope)
    : CLiteControl(container, x, y, width, height), Picture(new CFrameBuffer(width, height, true)),
      Range(range), Opacity(opacity), Envelope(envelope) {
    Frame();
}

CImpulseView::~CImpulseView() {
    delete Picture;
}

void CImpulseView::Draw(CFrameBuffer* target) {
    Picture->Draw(target, X, Y, 0, 0, Width, Height);
}

void CImpulseView::Frame() {
    Picture->Fill(0);
    Picture->DrawRect(0, 0, Width, Height, 0, static_cast<unsigned char>(255 * Opacity));
}

void CImpulseView::Update(int count, const double* values) {
    Frame();
    const int full = static_cast<int>(255 * Opacity);
    const int half = full >> 1;
    const int step = static_cast<int>(Opacity * 0.5 * 255);
    const int fine = static_cast<int>(Opacity * 0.25 * 255);
    const int inner = Height - 2;
    unsigned char* data = Picture->GetData();
    for (int i = 0; i < count; i++) {
        // NaN, zero and negative values sit at the floor and draw nothing.
        double level = values[i] > 0 ? PowerRatioTodB(values[i]) : -Range;
        level = std::clamp(level, -Range, 0.0);
        const int top = static_cast<int>(std::floor(-(level * (1.0 / Range)) * inner));
        if (top >= inner) continue;
        const int column = static_cast<int>((static_cast<long long>(Width - 2) * i) / count) + 1;
        for (int r = top + 1; r <= inner; r++) {
            unsigned char& alpha = data[(static_cast<size_t>(r) * Width + column) * 4 + 3];
            if (!Envelope || r == top + 1)
                alpha = static_cast<unsigned char>(std::min(alpha + step, full));
            else
                alpha = static_cast<unsigned char>(std::min(alpha + fine, half));
        }
    }
    Container->Render(X, Y, Width, Height);
}
