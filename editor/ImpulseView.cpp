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

int CImpulseView::Top(double value) const {
    const int inner = Height - 2;
    // NaN, zero and negative values sit at the floor and draw nothing.
    double level = value > 0 ? PowerRatioTodB(value) : -Range;
    level = std::clamp(level, -Range, 0.0);
    return static_cast<int>(std::floor(-(level * (1.0 / Range)) * inner));
}

void CImpulseView::UpdateByRows(int count, const double* values) {
    Frame();
    const int full = static_cast<int>(255 * Opacity);
    const int half = full >> 1;
    const int step = static_cast<int>(Opacity * 0.5 * 255);
    const int fine = static_cast<int>(Opacity * 0.25 * 255);
    const int inner = Height - 2;
    unsigned char* data = Picture->GetData();
    for (int i = 0; i < count; i++) {
        const int top = Top(values[i]);
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
    Publish();
}

void CImpulseView::Update(int count, const double* values) {
    const int full = static_cast<int>(255 * Opacity);
    const int half = full >> 1;
    const int step = static_cast<int>(Opacity * 0.5 * 255);
    const int fine = static_cast<int>(Opacity * 0.25 * 255);
    // Each value inks its rows by saturating additions: step up to full on a solid bar
    // or an envelope's top row, fine up to half below an envelope's top. With these
    // inks the last additions decide a pixel (fine after anything gives half; a run of
    // steps adds to what came before it), so a column is inked from counts alone.
    // Other inks are drawn row by row.
    if (count <= 0 || fine > half || 2 * fine < half || step + fine < half || step > full) {
        UpdateByRows(count, values);
        return;
    }
    Frame();
    Tops.resize(static_cast<size_t>(count));
    for (int first = 0; first < count;) {
        const int column =
            static_cast<int>((static_cast<long long>(Width - 2) * first) / count) + 1;
        int last = first;
        while (last < count &&
               static_cast<int>((static_cast<long long>(Width - 2) * last) / count) + 1 == column)
            last++;
        for (int i = first; i < last; i++)
            Tops[i - first] = Top(values[i]);
        InkColumn(column, Tops.data(), last - first);
        first = last;
    }
    Publish();
}

void CImpulseView::InkColumn(int column, const int* tops, int n) {
    const int full = static_cast<int>(255 * Opacity);
    const int half = full >> 1;
    const int step = static_cast<int>(Opacity * 0.5 * 255);
    const int fine = static_cast<int>(Opacity * 0.25 * 255);
    const int inner = Height - 2;
    const size_t rows = static_cast<size_t>(inner) + 1;
    // Per top t: the last and the first value at or above row t (index, -1 / n when
    // none), how many values have top t, and how many of those come after every value
    // whose top is smaller.
    LastAt.assign(rows, -1);
    FirstAt.assign(rows, n);
    Count.assign(rows, 0);
    After.assign(rows, 0);
    for (int j = 0; j < n; j++) {
        const int t = tops[j];
        if (t >= inner) continue;
        LastAt[t] = std::max(LastAt[t], j);
        FirstAt[t] = std::min(FirstAt[t], j);
        Count[t]++;
    }
    for (int t = 1; t < inner; t++) {
        LastAt[t] = std::max(LastAt[t], LastAt[t - 1]);
        FirstAt[t] = std::min(FirstAt[t], FirstAt[t - 1]);
        Count[t] += Count[t - 1];
    }
    for (int j = 0; j < n; j++) {
        const int t = tops[j];
        if (t < inner && (t == 0 || j > LastAt[t - 1])) After[t]++;
    }
    unsigned char* data = Picture->GetData();
    for (int r = 1; r <= inner; r++) {
        // Row r is inked by the values with top <= r - 1: a step where top == r - 1
        // (every one on a solid bar), a fine addition where it is smaller.
        int alpha;
        if (!Envelope) {
            alpha = std::min(Count[r - 1] * step, full);
        } else {
            const int lastFine = r >= 2 ? LastAt[r - 2] : -1;
            int base = 0, steps = 0;
            if (lastFine < 0) {
                steps = Count[r - 1];
            } else {
                // The last fine addition gives fine on a fresh pixel, half after anything.
                base = FirstAt[r - 1] < lastFine ? half : fine;
                steps = After[r - 1];
            }
            alpha = std::min(base + steps * step, full);
        }
        data[(static_cast<size_t>(r) * Width + column) * 4 + 3] = static_cast<unsigned char>(alpha);
    }
}

void CImpulseView::Publish() {
    Drawings++;
    Container->Render(X, Y, Width, Height);
}
