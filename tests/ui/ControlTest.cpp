#include "ui/Control.h"
#include "graphics/BackBuffer.h"
#include "graphics/FrameBuffer.h"
#include "platform/Testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

// A control that journals what reaches its handlers.
class CProbe : public CControl {
public:
    using CControl::CControl;
    void OnResize(int w, int h) override {
        Resizes++;
        CControl::OnResize(w, h);
    }
    void OnLeftButtonDown(int x, int y) override {
        FocusAtPress = GetFocus() == Window;
        Presses.push_back({x, y});
    }
    void OnMouseMove(int x, int y) override { Moves.push_back({x, y}); }
    void OnAppMessage(UINT message, WPARAM, LPARAM) override { AppMessages.push_back(message); }
    int Resizes = 0;
    bool FocusAtPress = false;
    std::vector<POINT> Presses, Moves;
    std::vector<UINT> AppMessages;
};

struct SHost : ::testing::Test {
    SHost() : Host(KestrelTesting::CreateHostWindow(300, 200)) {}
    ~SHost() override { DestroyWindow(Host); }
    HWND Host;
    CColorManager Colors;
};

} // namespace

TEST_F(SHost, CreationLinksTheWindowAfterDefaultHandling) {
    CProbe probe(Host, &Colors, "probe", 10, 20, 100, 50, true);
    ASSERT_NE(probe.Window, nullptr);
    EXPECT_EQ(probe.Resizes, 0) << "WM_SIZE during creation reached DefWindowProcA";
    EXPECT_EQ(reinterpret_cast<CProbe*>(GetWindowLongPtrA(probe.Window, GWLP_USERDATA)), &probe);
    EXPECT_EQ(SendMessageA(probe.Window, WM_NCCREATE, 0, 0), TRUE);
    EXPECT_EQ(probe.Width, 100);
    ASSERT_NE(probe.GetBackBuffer(), nullptr);
    EXPECT_EQ(probe.GetBackBuffer()->GetWidth(), 100);
    EXPECT_FALSE(IsWindowVisible(probe.Window)) << "created hidden";
    probe.Show();
    EXPECT_TRUE(IsWindowVisible(probe.Window));
    MoveWindow(probe.Window, 10, 20, 60, 30, TRUE);
    EXPECT_EQ(probe.Resizes, 1);
    EXPECT_EQ(probe.GetBackBuffer()->GetWidth(), 60) << "the back buffer follows WM_SIZE";
    EXPECT_EQ(KestrelTesting::FontHeight(probe.Font->GetFont()), 12) << "Verdana 9 at 96 dpi";
}

TEST_F(SHost, NoParentWindowIsAnError) {
    try {
        CProbe probe(reinterpret_cast<HWND>(0x1234), &Colors, "x", 0, 0, 10, 10, false);
        FAIL();
    } catch (const char* message) {
        EXPECT_STREQ(message, "MakeWindow: IsWindow == False");
    }
}

TEST_F(SHost, AClickTakesTheFocusFirstAndCaptureGivesNegativeCoordinates) {
    CProbe probe(Host, &Colors, "probe", 50, 40, 100, 50, false);
    probe.Show();
    SetFocus(nullptr);
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 60, 45);
    ASSERT_EQ(probe.Presses.size(), 1u);
    EXPECT_TRUE(probe.FocusAtPress);
    EXPECT_EQ(probe.Presses[0].x, 10);
    EXPECT_EQ(probe.Presses[0].y, 5);
    SetCapture(probe.Window);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 45, 300);
    ASSERT_EQ(probe.Moves.size(), 1u);
    EXPECT_EQ(probe.Moves[0].x, -5);
    EXPECT_EQ(probe.Moves[0].y, 260);
    ReleaseCapture();
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 45, 300);
    EXPECT_EQ(probe.Moves.size(), 1u) << "outside and without capture: not ours";
}

TEST_F(SHost, ApplicationMessagesAndTheRest) {
    CProbe probe(Host, &Colors, "probe", 0, 0, 10, 10, false);
    for (UINT m : {0x0400u, 0x7FFFu, 0x8000u, 0xBFFFu, 0xC000u})
        SendMessageA(probe.Window, m, 0, 0);
    EXPECT_EQ(probe.AppMessages, (std::vector<UINT>{0x8000u, 0xBFFFu}));
    probe.PostMessageA(0x8001, 0, 0);
    EXPECT_EQ(probe.AppMessages.size(), 2u) << "posted: waits for the pump";
    KestrelTesting::Pump();
    EXPECT_EQ(probe.AppMessages.back(), 0x8001u);
}

TEST_F(SHost, BordersMovesAndNonClientPaint) {
    CProbe probe(Host, &Colors, "probe", 0, 0, 100, 50, false);
    probe.Show();
    EXPECT_NE(SendMessageA(probe.Window, WM_NCPAINT, 1, 0), 1) << "no border flag: default frame";
    probe.SetBorder(BorderRaised);
    probe.Move(10, 20);
    const auto outer = KestrelTesting::ReadWindow(probe.Window);
    EXPECT_EQ(outer.Width, 102);
    EXPECT_EQ(outer.Height, 52);
    EXPECT_EQ(probe.X, 10);
    KestrelTesting::Pump(); // paints the frame
    const auto framed = KestrelTesting::ReadWindow(probe.Window);
    EXPECT_EQ(framed.At(0, 0), 0x00606060u) << "raised: left and top light";
    EXPECT_EQ(framed.At(0, 30), 0x00606060u);
    EXPECT_EQ(framed.At(101, 30), 0x00404040u) << "right and bottom dark";
    EXPECT_EQ(framed.At(50, 51), 0x00404040u);
}

TEST_F(SHost, BorderStylesUseTheirPens) {
    CProbe probe(&Colors);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 10, 10);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    auto border = [&](int style) {
        const RECT all{0, 0, 10, 10};
        FillRect(dc, &all, red);
        probe.DrawBorder(dc, static_cast<DrawBorderStyle>(style), 1, 1, 8, 8);
        const auto p = KestrelTesting::ReadBitmap(bitmap);
        return std::vector<uint32_t>{p.At(1, 4), p.At(4, 1), p.At(8, 4), p.At(4, 8), p.At(4, 4)};
    };
    const uint32_t light = 0x606060, dark = 0x404040, r = 0x0000FF;
    EXPECT_EQ(border(0), (std::vector<uint32_t>{dark, dark, dark, dark, r}));
    EXPECT_EQ(border(1), (std::vector<uint32_t>{light, light, dark, dark, r}));
    EXPECT_EQ(border(2), (std::vector<uint32_t>{dark, dark, light, light, r}));
    EXPECT_EQ(border(3), (std::vector<uint32_t>{r, r, r, r, r}));
    DeleteObject(red);
    // A box: outline and fill in colour 12.
    probe.DrawBox(dc, 0, 0, 10, 10, nullptr, true);
    const auto box = KestrelTesting::ReadBitmap(bitmap);
    EXPECT_EQ(box.At(0, 0), 0x00CC9600u);
    EXPECT_EQ(box.At(9, 9), 0x00CC9600u);
    EXPECT_EQ(box.At(5, 5), 0x00CC9600u);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(SHost, PaintingGoesThroughTheBackBuffer) {
    CProbe probe(Host, &Colors, "probe", 0, 0, 8, 4, true);
    probe.Show();
    CFrameBuffer picture(8, 4, false);
    picture.Fill(0x00112233);
    picture.Draw(probe.GetBackBuffer());
    KestrelTesting::Pump(); // WM_PAINT: the back buffer goes to the window
    EXPECT_EQ(KestrelTesting::ReadWindow(probe.Window).At(7, 3), 0x00112233u);
    CProbe plain(Host, &Colors, "plain", 0, 0, 4, 4, false);
    plain.Show();
    KestrelTesting::Pump();
    EXPECT_EQ(KestrelTesting::ReadWindow(plain.Window).At(1, 1), 0x00202020u)
        << "background colour";
}

TEST_F(SHost, PartialTransfersConvertWholeRowsAndTexturesWrap) {
    CProbe probe(Host, &Colors, "probe", 0, 0, 4, 4, true);
    CFrameBuffer red(4, 4, false), blue(4, 4, false);
    red.Fill(0x0000FF);
    blue.Fill(0xFF0000);
    red.Draw(probe.GetBackBuffer());
    blue.Draw(probe.GetBackBuffer(), 3, 1, 1, 2); // x and w are ignored
    const auto p = KestrelTesting::ReadBitmap(probe.GetBackBuffer()->GetBitmap());
    for (int x = 0; x < 4; x++) {
        EXPECT_EQ(p.At(x, 0), 0x0000FFu);
        EXPECT_EQ(p.At(x, 1), 0xFF0000u);
        EXPECT_EQ(p.At(x, 2), 0xFF0000u);
        EXPECT_EQ(p.At(x, 3), 0x0000FFu);
    }
    CFrameBuffer tile(128, 1, false);
    for (int x = 0; x < 128; x++)
        tile.SetPixel(x, 0, static_cast<unsigned long>(x), 0);
    tile.TextureFill(probe.GetBackBuffer(), 130, 0);
    const auto t = KestrelTesting::ReadBitmap(probe.GetBackBuffer()->GetBitmap());
    EXPECT_EQ(t.At(0, 0), 2u);
    EXPECT_EQ(t.At(3, 3), 5u);
}

TEST(ControlClass, EachRegistrationHasItsOwnName) {
    ControlClass = 0;
    RegisterControlClass();
    const std::string first = ClassName;
    EXPECT_EQ(first.rfind("BMControl_0x", 0), 0u);
    EXPECT_NE(ControlClass, 0);
    RegisterControlClass(); // registered already: nothing changes
    EXPECT_EQ(first, ClassName);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    ControlClass = 0; // as a second load of the library would start
    RegisterControlClass();
    EXPECT_NE(first, ClassName);
    EXPECT_NE(ControlClass, 0);
}

TEST(ControlClass, AWindowThatCannotBeMadeIsReported) {
    HWND host = KestrelTesting::CreateHostWindow(50, 50);
    KestrelTesting::TakeMessageBoxes();
    RegisterControlClass();
    UnregisterClassA(ClassName, nullptr); // as if registration had been lost
    CControl orphan(host, nullptr, "x", 0, 0, 10, 10, false);
    EXPECT_EQ(orphan.Window, nullptr);
    const auto boxes = KestrelTesting::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Tessel: CreateWindowA Failed: 0x", 0), 0u) << boxes[0];
    ControlClass = 0;
    DestroyWindow(host);
}
