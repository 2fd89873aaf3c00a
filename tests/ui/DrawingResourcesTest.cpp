#include "platform/ErrorReporting.h"
#include "platform/Testing.h"
#include "ui/ColorManager.h"
#include "ui/Font.h"
#include "ui/Pen.h"
#include "ui/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

// A memory device context with a bitmap to draw into and read back.
struct SCanvas {
    explicit SCanvas(int w, int h)
        : DC(CreateCompatibleDC(nullptr)), Bitmap(CreateCompatibleBitmap(DC, w, h)) {
        Old = SelectObject(DC, Bitmap);
    }
    ~SCanvas() {
        SelectObject(DC, Old);
        DeleteObject(Bitmap);
        DeleteDC(DC);
    }
    uint32_t At(int x, int y) { return KestrelTesting::ReadBitmap(Bitmap).At(x, y); }
    HDC DC;
    HBITMAP Bitmap;
    HGDIOBJ Old;
};

struct SCounter : CTimerCallback {
    void OnTimer(CTimer* timer) override {
        Ticks++;
        Last = timer;
    }
    int Ticks = 0;
    CTimer* Last = nullptr;
};

} // namespace

TEST(ColorManager, DefaultsAndInvalidColours) {
    CColorManager root;
    EXPECT_EQ(root.GetColor(static_cast<ColorManagerColor>(41)), 0x00CC9600u);
    EXPECT_EQ(root.GetColor(ColorBorderLight), 0x00606060u);
    EXPECT_EQ(root.GetColor(ColorBackground), 0x00202020u);
    for (int bad : {42, -1}) {
        try {
            root.GetColor(static_cast<ColorManagerColor>(bad));
            FAIL() << bad;
        } catch (const char* message) {
            EXPECT_STREQ(message, "ColorManager: Invalid Color Requested");
        }
        EXPECT_THROW(root.GetPen(static_cast<ColorManagerColor>(bad)), const char*);
        EXPECT_THROW(root.SetColor(static_cast<ColorManagerColor>(bad), 0), const char*);
    }
}

TEST(ColorManager, ChildrenInheritUntilTheySetAndCacheWhereTheColourLives) {
    CColorManager root;
    CColorManager child(&root);
    for (int i = 0; i < ColorCount; i++)
        EXPECT_EQ(child.GetColor(static_cast<ColorManagerColor>(i)),
                  root.GetColor(static_cast<ColorManagerColor>(i)));
    CPen* inherited = child.GetPen(ColorBorderLight);
    EXPECT_EQ(inherited, root.GetPen(ColorBorderLight)) << "cached in the parent";
    EXPECT_EQ(child.GetPen(ColorBorderLight), inherited) << "asked twice, the same pen";

    child.SetColor(ColorBorderLight, 0x00FF0000);
    CPen* blue = child.GetPen(ColorBorderLight);
    EXPECT_NE(blue, inherited);
    EXPECT_EQ(root.GetPen(ColorBorderLight), inherited) << "the parent's cache is untouched";
    EXPECT_EQ(root.GetColor(ColorBorderLight), 0x00606060u);

    SCanvas canvas(4, 1);
    SelectObject(canvas.DC, blue->GetPen());
    MoveToEx(canvas.DC, 0, 0, nullptr);
    LineTo(canvas.DC, 4, 0);
    EXPECT_EQ(canvas.At(0, 0), 0x00FF0000u);

    CBrush* brush = root.GetBrush(ColorBox);
    root.SetColor(ColorBox, 0x123456);
    EXPECT_EQ(child.GetColor(ColorBox), 0x123456u);
    EXPECT_NE(root.GetBrush(ColorBox), nullptr);
    (void)brush; // freed by SetColor: only compared, never used
}

TEST(ColorManager, LocksTheChainFromTheChildUp) {
    CColorManager root;
    CColorManager child(&root);
    child.Lock();
    EXPECT_TRUE(child.IsLocked());
    EXPECT_TRUE(root.IsLocked());
    child.Release();
    EXPECT_FALSE(root.IsLocked());
    EXPECT_FALSE(child.IsLocked());
}

TEST(DrawingResources, PenWidthReturnsToOneAfterSetColor) {
    SCanvas canvas(9, 9);
    CPen wide(0x0000FF, 3);
    SelectObject(canvas.DC, wide.GetPen());
    MoveToEx(canvas.DC, 0, 4, nullptr);
    LineTo(canvas.DC, 8, 4);
    EXPECT_EQ(canvas.At(2, 3), 0x0000FFu);
    EXPECT_EQ(canvas.At(2, 5), 0x0000FFu);
    wide.SetColor(0x00FF00);
    SelectObject(canvas.DC, wide.GetPen());
    MoveToEx(canvas.DC, 4, 0, nullptr);
    LineTo(canvas.DC, 4, 8);
    EXPECT_EQ(canvas.At(4, 1), 0x00FF00u);
    EXPECT_EQ(canvas.At(3, 1), 0u) << "one pixel wide again";
    EXPECT_EQ(canvas.At(5, 1), 0u);
}

TEST(DrawingResources, FontHeightsFollowTheResolution) {
    HDC dc = CreateCompatibleDC(nullptr);
    {
        CFont font(dc, "Verdana", 9.0, false);
        EXPECT_EQ(KestrelTesting::FontHeight(font.GetFont()), 12);
    }
    KestrelTesting::SetLogPixelsY(120);
    {
        CFont font(dc, "Verdana", 9.0, true);
        EXPECT_EQ(KestrelTesting::FontHeight(font.GetFont()), 15);
    }
    KestrelTesting::SetLogPixelsY(96);
    DeleteDC(dc);
}

TEST(Timer, SetRestartKillAndFire) {
    KestrelTesting::UseFakeClock(true);
    HWND host = KestrelTesting::CreateHostWindow(10, 10);
    SCounter counter;
    {
        CTimer timer(&counter, host);
        timer.Kill(); // stopped: KillTimer with 0, still stopped
        EXPECT_FALSE(timer.Running());
        timer.Set(100);
        EXPECT_TRUE(timer.Running());
        KestrelTesting::AdvanceClock(99);
        EXPECT_EQ(counter.Ticks, 0);
        KestrelTesting::AdvanceClock(1);
        EXPECT_EQ(counter.Ticks, 1);
        EXPECT_EQ(counter.Last, &timer);
        KestrelTesting::AdvanceClock(50);
        timer.Set(100); // replaces the running one: the next tick is 100 ms from now
        KestrelTesting::AdvanceClock(99);
        EXPECT_EQ(counter.Ticks, 1);
        KestrelTesting::AdvanceClock(1);
        EXPECT_EQ(counter.Ticks, 2);
        EXPECT_EQ(KestrelTesting::TimerCount(), 1);
        timer.Kill();
        KestrelTesting::AdvanceClock(500);
        EXPECT_EQ(counter.Ticks, 2);
        timer.Set(10);
    }
    EXPECT_EQ(KestrelTesting::TimerCount(), 0) << "destroying a timer stops it";
    // The TIMERPROC itself ignores other messages and identifier 0.
    CTimer timer(&counter, host);
    CTimer::TimerFunction(host, WM_TIMER, 0, 0);
    CTimer::TimerFunction(host, WM_PAINT, reinterpret_cast<UINT_PTR>(&timer), 0);
    EXPECT_EQ(counter.Ticks, 2);
    CTimer::TimerFunction(host, WM_TIMER, reinterpret_cast<UINT_PTR>(&timer), 0);
    EXPECT_EQ(counter.Ticks, 3);
    DestroyWindow(host);
    KestrelTesting::UseFakeClock(false);
}

TEST(ErrorReporting, FormatsEachWay) {
    try {
        ThrowString("Can't Create Font <%s>", "Missing");
        FAIL();
    } catch (char* text) {
        EXPECT_STREQ(text, "Can't Create Font <Missing>");
        delete[] text;
    }
    KestrelTesting::TakeMessageBoxes();
    DisplayError("CreateWindowA Failed: 0x%x", 5u);
    const auto boxes = KestrelTesting::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Tessel: CreateWindowA Failed: 0x5");
    KestrelTesting::TakeDebugOutput();
    DebugPrint("rebuild %d took %.1f ms\n", 3, 0.25);
    EXPECT_EQ(KestrelTesting::TakeDebugOutput(), "rebuild 3 took 0.2 ms\n");
    KestrelTesting::CaptureShellOpens(true);
    ShowWebPage("https://example.invalid/manual");
    EXPECT_EQ(KestrelTesting::TakeShellOpens(),
              std::vector<std::string>{"https://example.invalid/manual"});
    KestrelTesting::CaptureShellOpens(false);
    // A test build can route the user-facing error elsewhere.
    static std::string routed;
    SetErrorDisplay([](const char* text) { routed = text; });
    DisplayError("%s", "somewhere else");
    SetErrorDisplay(nullptr);
    EXPECT_EQ(routed, "somewhere else");
    EXPECT_TRUE(KestrelTesting::TakeMessageBoxes().empty());
}
