#include "ui/LiteLCDText.h"
#include "ui/LiteContainer.h"

#include <cctype>
#include <cstring>

namespace {
constexpr int RestMs = 4000; // a new text stands still this long
constexpr int StepMs = 100;  // then moves one pixel per step
} // namespace

CLiteLCDText::CLiteLCDText(CLiteContainer* container, int x, int y, int width, int height,
                           CBitFont* font, double inkOpacity)
    : CLiteControl(container, x, y, width, height), Font(font), ScrollOffset(0), Text(nullptr),
      Picture(new CFrameBuffer(width, height, true)), InkOpacity(inkOpacity),
      Timer(new CTimer(this, container->GetWindow())) {
    Render();
}

CLiteLCDText::~CLiteLCDText() {
    delete Timer;
    delete Picture;
    delete[] Text;
}

void CLiteLCDText::Draw(CFrameBuffer* target) {
    Picture->Draw(target, X, Y, 0, 0, Width, Height);
}

void CLiteLCDText::Render() {
    Picture->Fill(0x00FFFFFF);
    if (Text) Font->DrawTextA(Picture, Text, -ScrollOffset, 0, Width + ScrollOffset, Height);
    unsigned char* p = Picture->GetData();
    for (int i = 0; i < Width * Height; i++, p += 4) {
        const int darkness = 255 - (p[0] + p[1] + p[2]) / 3;
        p[3] = static_cast<unsigned char>(static_cast<int>(darkness * InkOpacity));
        p[0] = p[1] = p[2] = 0;
    }
}

void CLiteLCDText::SetText(const char* text) {
    ScrollOffset = 0;
    const size_t length = text ? std::strlen(text) : 0;
    char* copy = new char[length + 1];
    for (size_t i = 0; i < length; i++)
        copy[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    copy[length] = 0;
    delete[] Text;
    Text = copy;
    Render();
    Container->Render(X, Y, Width, Height);
    Timer->Set(RestMs);
}

void CLiteLCDText::OnTimer(CTimer*) {
    CMutexLock lock(Container);
    Timer->Set(StepMs);
    if (++ScrollOffset > Width) {
        Timer->Kill();
        ScrollOffset = Width;
    }
    Render();
    Container->Render(X, Y, Width, Height);
}
