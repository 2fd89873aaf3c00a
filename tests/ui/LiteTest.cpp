#include "graphics/FrameBuffer.h"
#include "machine/Machine.h"
#include "platform/Testing.h"
#include "ui/BitFont.h"
#include "ui/LiteContainer.h"
#include "ui/LiteKnob.h"
#include "ui/LiteLCDText.h"
#include "ui/LiteSlider.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A control that fills its rectangle with one colour and journals its mouse calls.
class CPatch : public CLiteControl {
public:
    CPatch(CLiteContainer* c, int x, int y, int w, int h, unsigned long colour)
        : CLiteControl(c, x, y, w, h), Colour(colour) {}
    void Draw(CFrameBuffer* target) override {
        Draws++;
        CFrameBuffer patch(Width, Height, false);
        patch.Fill(Colour);
        patch.Draw(target, X, Y, 0, 0, Width, Height);
    }
    void OnLeftButtonDown(int x, int y) override { Calls.push_back("down " + At(x, y)); }
    void OnLeftButtonUp(int x, int y) override { Calls.push_back("up " + At(x, y)); }
    void OnMouseMove(int x, int y) override { Calls.push_back("move " + At(x, y)); }
    static std::string At(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    unsigned long Colour;
    int Draws = 0;
    std::vector<std::string> Calls;
};

// A machine whose property 13 is "Gain"; it records automation and whether its own
// lock was held when the automation arrived.
class CRecordingMachine : public CMachine {
public:
    CRecordingMachine() : CMachine(nullptr) { PropertyCount = 14; }
    void Work() override {}
    void SetSampleRate(int) override {}
    void SetBlockSamples(int) override {}
    bool IsSynth() override { return false; }
    double GetProperty(int i) override { return i >= 0 && i < 14 ? Values[i] : 0; }
    void SetProperty(int i, double v) override {
        if (i >= 0 && i < 14) Values[i] = v;
    }
    void SetPropertyAutomated(int i, double v) override {
        Automations.push_back({i, v, IsLocked()});
        CMachine::SetPropertyAutomated(i, v);
    }
    void GetPropertyName(int i, char* text) override {
        std::snprintf(text, MachineTextSize, "%s", i == 13 ? "Gain" : "Other");
    }
    void GetPropertyValueDisplay(int, double v, char* text) override {
        std::snprintf(text, MachineTextSize, "%.2fdB", 60 * v - 40);
    }
    struct SCall {
        int Index;
        double Value;
        bool Locked;
    };
    double Values[14] = {};
    std::vector<SCall> Automations;
};

class CTipContainer : public CLiteContainer {
public:
    using CLiteContainer::CLiteContainer;
    void ShowToolTip(CLiteControl*, const char* text) override { Tips.push_back(text); }
    void OnLiteSliderDown(CLiteSlider*, double v) override {
        Events.push_back("down " + std::to_string(v));
    }
    void OnLiteSliderChange(CLiteSlider*, double v) override {
        Events.push_back("change " + std::to_string(v));
    }
    std::vector<std::string> Tips, Events;
};

struct SLite : ::testing::Test {
    SLite()
        : Host(KestrelTesting::CreateHostWindow(200, 100)), Background(200, 100, false),
          Container((Background.Fill(0x00808080), Host), 200, 100, &Background) {
        Container.Show();
    }
    ~SLite() override { DestroyWindow(Host); }
    uint32_t Shown(int x, int y) {
        return KestrelTesting::ReadWindow(Container.GetWindow()).At(x, y);
    }
    HWND Host;
    CFrameBuffer Background;
    CTipContainer Container;
};

std::unique_ptr<CFrameBuffer> Strip(int width, int frames, int height) {
    auto strip = std::make_unique<CFrameBuffer>(width, frames * height, true);
    for (int f = 0; f < frames; f++)
        strip->FillRect(0, f * height, width, height, static_cast<unsigned long>(f), 255);
    return strip;
}

} // namespace

TEST_F(SLite, RenderClipsToTheClientArea) {
    CPatch patch(&Container, 0, 0, 200, 100, 0x0000FF);
    Container.Render(-10, -10, 20, 20);
    EXPECT_EQ(Container.GetFrame()->ClipLeft, 0);
    EXPECT_EQ(Container.GetFrame()->ClipTop, 0);
    EXPECT_EQ(Container.GetFrame()->ClipRight, 9);
    EXPECT_EQ(Container.GetFrame()->ClipBottom, 9);
    EXPECT_EQ(Shown(9, 9), 0x0000FFu);
    EXPECT_EQ(Shown(10, 10), 0x00808080u) << "outside the region: still the background";
    const int draws = patch.Draws;
    Container.Render(200, 0, 10, 10);
    Container.Render(0, 100, 10, 10);
    Container.Render(-20, 0, 10, 10);
    EXPECT_EQ(patch.Draws, draws) << "nothing to repaint, nothing drawn";
}

TEST_F(SLite, StackingHitsAndVisibility) {
    CPatch below(&Container, 10, 10, 50, 50, 0x0000FF), above(&Container, 30, 30, 50, 50, 0x00FF00);
    Container.Render();
    EXPECT_EQ(Shown(40, 40), 0x00FF00u) << "added later: on top";
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 40, 40);
    EXPECT_TRUE(below.Calls.empty());
    EXPECT_EQ(above.Calls, std::vector<std::string>{"down 40,40"});
    above.Hide();
    EXPECT_EQ(Shown(40, 40), 0x0000FFu);
    KestrelTesting::Mouse(Host, WM_LBUTTONDBLCLK, 41, 41);
    EXPECT_EQ(above.Calls.back(), "down 41,41") << "hidden, still hit; a double click is a press";
}

TEST_F(SLite, CaptureRoutesEverythingToItsHolder) {
    CPatch a(&Container, 0, 0, 20, 20, 1), b(&Container, 50, 50, 20, 20, 2);
    Container.SetCapture(&a);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, -5, 300);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 55, 55);
    EXPECT_EQ(a.Calls, (std::vector<std::string>{"move -5,300", "move 55,55"}));
    EXPECT_TRUE(b.Calls.empty());
    Container.ReleaseCapture(&b); // not the holder: nothing changes
    EXPECT_EQ(Container.GetCaptured(), &a);
    EXPECT_EQ(GetCapture(), Container.GetWindow());
    a.ReleaseCapture();
    EXPECT_EQ(Container.GetCaptured(), nullptr);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 55, 55);
    EXPECT_EQ(b.Calls, std::vector<std::string>{"move 55,55"});
}

TEST_F(SLite, ControlsLinkAndUnlink) {
    auto first = std::make_unique<CPatch>(&Container, 0, 0, 1, 1, 0);
    auto middle = std::make_unique<CPatch>(&Container, 0, 0, 1, 1, 0);
    auto last = std::make_unique<CPatch>(&Container, 0, 0, 1, 1, 0);
    middle.reset();
    EXPECT_EQ(first->Next, last.get());
    EXPECT_EQ(last->Previous, first.get());
    CPatch* second = last.get();
    first.reset();
    EXPECT_EQ(Container.GetFirstControl(), second);
    EXPECT_EQ(second->Previous, nullptr);
}

TEST(LiteContainer, TheBackgroundMustFitExactly) {
    HWND host = KestrelTesting::CreateHostWindow(430, 200);
    CFrameBuffer alpha(430, 200, true), small(429, 200, false), right(430, 200, false);
    for (CFrameBuffer* bad : {&alpha, &small}) {
        try {
            CLiteContainer c(host, 430, 200, bad);
            FAIL();
        } catch (const char* message) {
            EXPECT_STREQ(message, "CLiteContainer : Invalid Background Picture");
        }
    }
    EXPECT_EQ(KestrelTesting::WindowCount(), 1) << "the failed containers' windows are gone";
    right.Fill(0x00123456);
    CLiteContainer c(host, 430, 200, &right);
    EXPECT_EQ(std::memcmp(c.GetFrame()->GetData(), right.GetData(), 430 * 200 * 3), 0);
    DestroyWindow(host);
}

TEST_F(SLite, KnobFramesAndDrags) {
    auto strip = Strip(32, 61, 38);
    CRecordingMachine machine;
    machine.Values[13] = 0.5;
    CLiteKnob knob(&Container, &machine, 13, strip.get(), 100, 10, 38);
    EXPECT_EQ(knob.GetFrameCount(), 61);
    EXPECT_EQ(knob.GetFrame(), 30);
    Container.Render();
    EXPECT_EQ(Shown(110, 20), 30u) << "frame 30: rows 1140 … 1177 of the strip";
    knob.SetValue(1.0);
    EXPECT_EQ(Shown(110, 20), 60u);

    // 50 px up from 0.25 gives 0.75, with the machine's lock held while the host hears.
    knob.SetValue(0.25);
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 110, 30);
    ASSERT_EQ(Container.Tips.size(), 1u);
    EXPECT_EQ(Container.Tips[0], "Gain -25.00dB");
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 110, -20);
    ASSERT_EQ(machine.Automations.size(), 1u);
    EXPECT_EQ(machine.Automations[0].Index, 13);
    EXPECT_EQ(machine.Automations[0].Value, 0.75);
    EXPECT_TRUE(machine.Automations[0].Locked);
    EXPECT_EQ(knob.GetValue(), 0.25) << "the knob waits for the editor's property push";
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 110, -170);
    EXPECT_EQ(machine.Automations.back().Value, 1.0);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 110, 300);
    EXPECT_EQ(machine.Automations.back().Value, 0.0);
    KestrelTesting::Mouse(Host, WM_LBUTTONUP, 110, 300);
    EXPECT_EQ(Container.GetCaptured(), nullptr);
}

TEST_F(SLite, KnobTruncationAndSnapping) {
    auto strip = Strip(32, 61, 38);
    CLiteKnob knob(&Container, nullptr, 0, strip.get(), 100, 10, 38);
    EXPECT_EQ(knob.GetValue(), 0.5) << "no machine: starts in the middle";
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 110, 30);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 110, 29); // 0.6 of a frame: nothing
    EXPECT_EQ(knob.GetValue(), 0.5);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 110, 28);
    EXPECT_DOUBLE_EQ(knob.GetValue(), 31.0 / 60);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 110, 31); // one down: a frame down already
    EXPECT_DOUBLE_EQ(knob.GetValue(), 29.0 / 60);
    KestrelTesting::Mouse(Host, WM_LBUTTONUP, 110, 31);
    knob.SetValue(0.505); // off the grid, as a host may set it
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 110, 30);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 140, 30); // purely sideways
    EXPECT_EQ(knob.GetValue(), 0.5);
    KestrelTesting::Mouse(Host, WM_LBUTTONUP, 110, 30);
}

TEST_F(SLite, SliderTravelDragsAndPresses) {
    CFrameBuffer hthumb(18, 11, true), vthumb(11, 18, true);
    hthumb.Fill(0);
    vthumb.Fill(0);
    hthumb.FillRect(0, 0, 18, 11, 0x0000FF, 255);
    vthumb.FillRect(0, 0, 11, 18, 0x00FF00, 255);
    CLiteSlider free(&Container, 10, 5, 81, false, &hthumb, nullptr, 0);
    CLiteSlider tall(&Container, 150, 10, 81, true, &vthumb, nullptr, 0);
    EXPECT_EQ(free.GetTravel(), 63);
    EXPECT_EQ(free.GetValue(), 0.0);
    EXPECT_EQ(tall.ThumbY(), 10 + 63) << "value 0: the vertical thumb at the bottom";
    Container.Render();
    EXPECT_EQ(Shown(155, 80), 0x00FF00u);

    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 40, 8); // beside the thumb
    EXPECT_TRUE(Container.Events.empty());
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 12, 8);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 12 + 31, 50);
    EXPECT_DOUBLE_EQ(free.GetValue(), 31.0 / 63);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 12 + 63, 8);
    EXPECT_EQ(free.GetValue(), 1.0);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 12 + 90, 8);
    EXPECT_EQ(free.GetValue(), 1.0);
    KestrelTesting::Mouse(Host, WM_LBUTTONUP, 12 + 90, 8);
    ASSERT_GE(Container.Events.size(), 3u);
    EXPECT_EQ(Container.Events[0], "down 0.000000");
    EXPECT_EQ(Container.Events[2], "change 1.000000");
    EXPECT_EQ(Shown(10 + 63 + 5, 10), 0x0000FFu) << "the thumb drawn at the end";

    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 155, 80);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 155, 80 - 21);
    EXPECT_DOUBLE_EQ(tall.GetValue(), 21.0 / 63) << "up increases";
    KestrelTesting::Mouse(Host, WM_LBUTTONUP, 155, 60);
}

TEST_F(SLite, BoundSliderAutomatesUnderTheMachineLock) {
    CFrameBuffer thumb(18, 11, true);
    CRecordingMachine machine;
    CLiteSlider slider(&Container, 10, 5, 81, false, &thumb, &machine, 13);
    KestrelTesting::Mouse(Host, WM_LBUTTONDOWN, 12, 8);
    KestrelTesting::Mouse(Host, WM_MOUSEMOVE, 12 + 63, 8);
    ASSERT_EQ(machine.Automations.size(), 1u);
    EXPECT_EQ(machine.Automations[0].Value, 1.0);
    EXPECT_TRUE(machine.Automations[0].Locked);
    EXPECT_EQ(Container.Tips.back(), "Gain 20.00dB");
    KestrelTesting::Mouse(Host, WM_LBUTTONUP, 12 + 63, 8);
}

TEST(BitFont, GlyphsPensAndCuts) {
    CFrameBuffer sheet(128, 104, true);
    sheet.Fill(0);
    CBitFont font(&sheet, 8, 8, 16, 13, 8, 33, 96);
    int sx, sy;
    ASSERT_TRUE(font.GlyphRect('A', &sx, &sy));
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 52);
    ASSERT_TRUE(font.GlyphRect('!', &sx, &sy));
    EXPECT_EQ(sx + sy, 0);
    ASSERT_TRUE(font.GlyphRect('`', &sx, &sy));
    EXPECT_EQ(sx, 112);
    EXPECT_EQ(sy, 91);
    EXPECT_FALSE(font.GlyphRect('a', &sx, &sy));
    EXPECT_FALSE(font.GlyphRect(' ', &sx, &sy));

    // Mark each glyph's first ink column with its own colour to see where cells land.
    for (int c : {'A', '.', 'B', '1', ':', '2'}) {
        font.GlyphRect(c, &sx, &sy);
        sheet.FillRect(sx, sy, 1, 13, static_cast<unsigned long>(c), 255);
    }
    CFrameBuffer target(40, 13, false);
    auto pens = [&](const char* text) {
        target.Fill(0);
        font.DrawTextA(&target, text, 0, 0, 40, 13);
        std::vector<int> at;
        for (int x = 0; x < 40; x++)
            if (target.GetData()[x * 3]) at.push_back(x);
        return at;
    };
    EXPECT_EQ(pens("A.B"), (std::vector<int>{0, 8, 13}));
    EXPECT_EQ(pens("1:2"), (std::vector<int>{0, 8, 13}));
    EXPECT_EQ(pens(" A"), (std::vector<int>{8})) << "a blank advances and draws nothing";
    // A cell at x = -3 shows its columns 3 … 15 at 0 … 12.
    font.GlyphRect('B', &sx, &sy);
    sheet.FillRect(sx + 3, sy, 1, 13, 0x77, 255);
    target.Fill(0);
    font.DrawTextA(&target, "B", -3, 0, 40, 13);
    EXPECT_EQ(target.GetData()[0], 0x77);
}

TEST_F(SLite, LcdTextRestsScrollsAndStops) {
    KestrelTesting::UseFakeClock(true);
    CFrameBuffer sheet(128, 104, true);
    sheet.Fill(0);
    sheet.FillRect(0, 0, 128, 104, 0x000000, 255); // every glyph a solid black cell
    CBitFont font(&sheet, 8, 8, 16, 13, 8, 33, 96);
    CLiteLCDText lcd(&Container, 10, 50, 140, 12, &font, static_cast<double>(0.6f));
    const unsigned char* p = lcd.GetPicture()->GetData();
    for (int i = 0; i < 140 * 12; i++)
        ASSERT_EQ(p[4 * i + 3], 0) << "empty: fully transparent";

    lcd.SetText("Hello");
    EXPECT_STREQ(lcd.GetText(), "HELLO");
    EXPECT_EQ(p[3], 153) << "black ink at 60 %";
    EXPECT_EQ(p[0] + p[1] + p[2], 0);
    KestrelTesting::AdvanceClock(3999);
    EXPECT_EQ(lcd.GetScrollOffset(), 0);
    KestrelTesting::AdvanceClock(1);
    EXPECT_EQ(lcd.GetScrollOffset(), 1);
    KestrelTesting::AdvanceClock(500);
    EXPECT_EQ(lcd.GetScrollOffset(), 6);
    lcd.SetText("Again"); // restarts the rest
    EXPECT_EQ(lcd.GetScrollOffset(), 0);
    KestrelTesting::AdvanceClock(3999);
    EXPECT_EQ(lcd.GetScrollOffset(), 0);
    KestrelTesting::AdvanceClock(1 + 100 * 150);
    EXPECT_EQ(lcd.GetScrollOffset(), 140) << "stopped at the strip's width";
    EXPECT_EQ(KestrelTesting::TimerCount(), 0);
    KestrelTesting::UseFakeClock(false);
}
