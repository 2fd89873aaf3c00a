// The editor on the headless presenter: built by the machine, driven with mouse
// messages, read back as pixels.
#include "editor/KestrelGUI.h"
#include "editor/KestrelInfo.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

SKestrelGraphics Graphics{};

struct SEditor : ::testing::Test {
    static void SetUpTestSuite() {
        LoadKestrelGraphics(&Graphics);
        SetKestrelEditorFactory(CModelEditor::Create);
    }
    static void TearDownTestSuite() { FreeKestrelGraphics(&Graphics); }

    SEditor() : Host(KestrelTesting::CreateHostWindow(430, 200)), Machine(&Fake, &Graphics) {
        Machine.HostCookie = &Machine;
        Window = Machine.CreateGUI(Host);
    }
    ~SEditor() override {
        Machine.OnHideGUI();
        DestroyWindow(Host);
    }
    CKestrelGUI* Gui() {
        auto* control = reinterpret_cast<CControl*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
        return static_cast<CKestrelGUI*>(static_cast<CLiteContainer*>(control));
    }
    KestrelTesting::SPicture Shown() { return KestrelTesting::ReadWindow(Window); }
    std::string Lcd() {
        const char* text = Gui()->GetLCD()->GetText();
        return text ? text : "";
    }
    void Mouse(unsigned message, int x, int y) { KestrelTesting::Mouse(Host, message, x, y); }

    CFakeHost Fake;
    HWND Host;
    CKestrel Machine;
    HWND Window;
};

// The background with a picture composited onto it, as the container draws it.
uint32_t Expected(const CFrameBuffer& over, int sx, int sy, int dx, int dy, int w, int h, int x,
                  int y) {
    CFrameBuffer scene(430, 200, false);
    Graphics.Background->Draw(&scene, 0, 0, 0, 0, 430, 200);
    const_cast<CFrameBuffer&>(over).Draw(&scene, dx, dy, sx, sy, w, h);
    const unsigned char* p = scene.GetData() + (y * 430 + x) * 3;
    return RGB(p[0], p[1], p[2]);
}

} // namespace

TEST_F(SEditor, LayoutOfEveryControl) {
    ASSERT_NE(Window, nullptr);
    EXPECT_TRUE(IsWindowVisible(Window));
    const auto picture = Shown();
    EXPECT_EQ(picture.Width, 430);
    EXPECT_EQ(picture.Height, 200);
    CKestrelGUI* gui = Gui();
    const int knobX[4] = {180, 264, 332, 392};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(gui->GetKnob(i)->X, knobX[i]);
        EXPECT_EQ(gui->GetKnob(i)->Y, 158);
        EXPECT_EQ(gui->GetKnob(i)->Width, 32);
        EXPECT_EQ(gui->GetKnob(i)->Height, 38);
        EXPECT_EQ(gui->GetKnob(i)->GetFrameCount(), 61);
    }
    struct {
        CLiteControl* Control;
        int X, Y, W, H;
    } rows[] = {{gui->GetSlider(0), 32, 56, 81, 11},   {gui->GetSlider(1), 16, 72, 11, 81},
                {gui->GetSlider(2), 32, 160, 81, 11},  {gui->GetLCD(), 274, 50, 140, 12},
                {gui->GetRoomView(), 36, 76, 72, 72},  {gui->GetEarlyView(), 132, 76, 88, 72},
                {gui->GetLateView(), 244, 76, 168, 72}};
    for (const auto& r : rows) {
        EXPECT_EQ(r.Control->X, r.X);
        EXPECT_EQ(r.Control->Y, r.Y);
        EXPECT_EQ(r.Control->Width, r.W);
        EXPECT_EQ(r.Control->Height, r.H);
    }
    short top, left, right, bottom;
    EXPECT_TRUE(Machine.GetGUIRect(&top, &left, &right, &bottom));
    EXPECT_EQ(right, 430);
    EXPECT_EQ(bottom, 200);
}

TEST_F(SEditor, PropertiesMoveTheirControls) {
    Machine.SetProperty(KestrelFeedback, 0.5);
    Machine.SetProperty(KestrelRoomHeight, 0.25);
    Machine.OnIdle(); // the machine pushes values to its editor under its lock
    EXPECT_EQ(Gui()->GetKnob(1)->GetFrame(), 30);
    const auto picture = Shown();
    for (int y = 158; y < 196; y += 5)
        for (int x = 264; x < 296; x += 3)
            ASSERT_EQ(picture.At(x, y),
                      Expected(*Graphics.KnobStrip, 0, 30 * 38, 264, 158, 32, 38, x, y))
                << x << "," << y;
    EXPECT_EQ(Gui()->GetSlider(1)->ThumbY(), 120);
    Machine.SetProperty(3, 0.9); // a position: no control of its own
    Machine.OnIdle();
    EXPECT_EQ(Gui()->GetKnob(1)->GetFrame(), 30);
}

TEST_F(SEditor, ViewTimeSliderShowsTimeAndRendersTheRoom) {
    Mouse(WM_LBUTTONDOWN, 34, 165);
    Mouse(WM_MOUSEMOVE, 34 + 21, 165);
    Mouse(WM_LBUTTONUP, 34 + 21, 165);
    EXPECT_DOUBLE_EQ(Gui()->GetSlider(2)->GetValue(), 21.0 / 63);
    Mouse(WM_LBUTTONDOWN, 34 + 21, 165);
    EXPECT_EQ(Lcd(), "VIEW TIME 25.00MS");
    Mouse(WM_MOUSEMOVE, 34 + 21 + 100, 165);
    EXPECT_EQ(Lcd(), "VIEW TIME 75MS");
    EXPECT_EQ(Gui()->GetRoomView()->GetTime(), 1.0);
    Mouse(WM_LBUTTONUP, 34 + 21 + 100, 165);
    // The room at 75 ms: the same picture a fresh view of the same room draws then.
    CFrameBuffer* picture = Gui()->GetRoomView()->GetPicture();
    std::vector<unsigned char> shown(picture->GetData(), picture->GetData() + 72 * 72 * 4);
    Machine.Lock();
    Gui()->GetRoomView()->SetTime(0.0);
    const bool changed = std::memcmp(shown.data(), picture->GetData(), shown.size()) != 0;
    Gui()->GetRoomView()->SetTime(1.0);
    const bool same = std::memcmp(shown.data(), picture->GetData(), shown.size()) == 0;
    Machine.Release();
    EXPECT_TRUE(changed) << "0 ms and 75 ms differ";
    EXPECT_TRUE(same);
}

TEST_F(SEditor, DraggingANodeAutomatesThePosition) {
    CRoomView* room = Gui()->GetRoomView();
    int px, py;
    room->NodePos(room->NodePosPtr(0), &px, &py);
    const int x = 36 + px + 6, y = 76 + py + 4; // the middle of the left source's tile
    Mouse(WM_MOUSEMOVE, x, y);
    EXPECT_EQ(room->GetHoverNode(), 0);
    EXPECT_EQ(KestrelTesting::CurrentCursor(), "sizeall");
    Mouse(WM_LBUTTONDOWN, x, y);
    Fake.Automations.clear();
    Mouse(WM_MOUSEMOVE, x + 7, y); // sideways only: still a move
    ASSERT_GE(Fake.Automations.size(), 1u);
    EXPECT_EQ(Fake.Automations[0].Index, 0);
    // y stays where it was; the inverse mapping may land an ulp away from the stored value.
    if (Fake.Automations.size() > 1) {
        EXPECT_EQ(Fake.Automations[1].Index, 1);
        EXPECT_NEAR(Fake.Automations[1].Value, 0.2, 1e-9);
    }
    const double expectedX = (7.0 / 70 * 10 + 2.6 - 0.0) / 10;
    EXPECT_NEAR(Fake.Automations[0].Value, (expectedX - double(0.1f)) / double(0.8f), 1e-6);
    EXPECT_EQ(Lcd().rfind("SRC L ", 0), 0u) << Lcd();
    EXPECT_NE(Lcd().find("M,"), std::string::npos) << Lcd();
    Mouse(WM_MOUSEMOVE, x - 500, y); // beyond the wall: pinned at 0 m
    EXPECT_EQ(Fake.Automations.back().Value, 0.0);
    Mouse(WM_LBUTTONUP, x - 500, y);
    Mouse(WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(KestrelTesting::CurrentCursor(), "arrow");
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SEditor, ShowingSaysHelloAndHidingTearsDown) {
    Machine.OnShowGUI();
    EXPECT_EQ(Lcd(), "HELLO");
    const int windows = KestrelTesting::WindowCount();
    EXPECT_NE(Machine.CreateGUI(Host), nullptr);
    EXPECT_EQ(KestrelTesting::WindowCount(), windows) << "a second CreateGUI leaves one editor";
    Machine.OnHideGUI();
    EXPECT_FALSE(Machine.HasEditor());
    EXPECT_EQ(KestrelTesting::WindowCount(), windows - 1);
    EXPECT_EQ(KestrelTesting::TimerCount(), 0) << "a closed editor costs nothing";
    Machine.SetProperty(KestrelGain, 0.1);
    Machine.Work(); // notifications find no editor
    Window = Machine.CreateGUI(Host);
    EXPECT_TRUE(Machine.HasEditor());
}

TEST(KestrelInfo, MachinesShareOneDecodedArtwork) {
    CFakeHost host;
    CKestrelInfo info(&host);
    EXPECT_STREQ(info.Name, "BM Kestrel");
    EXPECT_STREQ(info.LongName, "Orbis::BM Kestrel");
    EXPECT_FALSE(info.IsLoaded());
    std::unique_ptr<CMachine> a(info.CreateMachine());
    CFrameBuffer* background = info.GetGraphics()->Background;
    std::unique_ptr<CMachine> b(info.CreateMachine());
    EXPECT_EQ(info.GetGraphics()->Background, background);
    short t, l, r, bottom;
    EXPECT_TRUE(b->GetGUIRect(&t, &l, &r, &bottom));
    EXPECT_EQ(r, 430);
}

TEST_F(SEditor, AKnobDragIsOneGestureAndAFailingHostLeavesNoLockHeld) {
    Mouse(WM_LBUTTONDOWN, 264 + 16, 170); // the Feedback knob
    Mouse(WM_MOUSEMOVE, 264 + 16, 160);
    Mouse(WM_MOUSEMOVE, 264 + 16, 150);
    Mouse(WM_LBUTTONUP, 264 + 16, 150);
    const std::vector<std::string> gesture = {"begin 11", "set 11", "set 11", "end 11"};
    EXPECT_EQ(Fake.Edits, gesture);

    Fake.ThrowOnAutomation = true;
    Mouse(WM_LBUTTONDOWN, 264 + 16, 170);
    Mouse(WM_MOUSEMOVE, 264 + 16, 100); // the host throws from inside the gesture's locks
    EXPECT_FALSE(Machine.IsLocked());
    EXPECT_FALSE(Gui()->GetMachine()->IsLocked()) << "the model's lock";
    EXPECT_FALSE(Gui()->IsLocked());
    Mouse(WM_LBUTTONUP, 264 + 16, 100);
    EXPECT_EQ(Fake.Edits.back(), "end 11");
}

TEST_F(SEditor, TheAudioThreadNeverWaitsForTheEditor) {
    // The UI thread holds the editor's lock (as while it paints) and the audio thread
    // rebuilds everything: it must finish without it.
    Gui()->Lock();
    auto work = std::async(std::launch::async, [this] {
        for (int i = 0; i < KestrelPropertyCount; i++)
            Machine.SetProperty(i, 0.3);
        Machine.Work();
    });
    const bool finished = work.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    Gui()->Release();
    work.wait();
    EXPECT_TRUE(finished) << "Work waited for the editor's lock";
}

TEST_F(SEditor, AfterIdleTheEditorShowsWhatAFreshOneDrawsForTheSameState) {
    const double values[][2] = {{KestrelFeedback, 0.9},
                                {KestrelRoomWidth, 0.6},
                                {KestrelDstLeftX, 0.1},
                                {KestrelCutoff, 0.3}};
    for (const auto& v : values)
        Machine.SetProperty(static_cast<int>(v[0]), v[1]);
    Machine.Work();
    // The slow views wait for their pace; idles keep coming, as hosts send them.
    Machine.OnIdle();
    for (int i = 0; i < 200 && Gui()->IsWaiting(); i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Machine.OnIdle();
    }
    const auto updated = Shown();
    Machine.OnHideGUI();
    Window = Machine.CreateGUI(Host); // built from the same state
    const auto fresh = Shown();
    EXPECT_TRUE(updated.Pixels == fresh.Pixels);
}

TEST_F(SEditor, AtTwiceTheScaleEveryPixelIsABlockAndTheMouseLandsWhereItIsSeen) {
    const auto one = Shown();
    MoveWindow(Host, 0, 0, 860, 400, TRUE); // as a host does after asking for the size
    Machine.SetGUIScale(2);
    const auto two = Shown();
    ASSERT_EQ(two.Width, 860);
    ASSERT_EQ(two.Height, 400);
    int differing = 0;
    for (int y = 0; y < 400; y++)
        for (int x = 0; x < 860; x++)
            differing += two.At(x, y) != one.At(x / 2, y / 2);
    EXPECT_EQ(differing, 0);
    const int x = 2 * (264 + 16); // the Feedback knob, where it is seen
    Mouse(WM_LBUTTONDOWN, x, 2 * 170);
    Mouse(WM_MOUSEMOVE, x, 2 * 170 - 40);
    Mouse(WM_LBUTTONUP, x, 2 * 170 - 40);
    ASSERT_FALSE(Fake.Automations.empty());
    EXPECT_EQ(Fake.Automations.back().Index, KestrelFeedback);
    EXPECT_NEAR(Fake.Automations.back().Value, 0.7, 0.02) << "20 frame pixels up from 0.5";
}

// Each property of the gesture is begun once, ended once, set only in between, and
// nothing comes after the last end.
void ExpectOneGesture(const std::vector<std::string>& edits, const std::vector<int>& properties,
                      const char* what) {
    ASSERT_FALSE(edits.empty()) << what;
    for (int p : properties) {
        const std::string begin = "begin " + std::to_string(p), set = "set " + std::to_string(p),
                          end = "end " + std::to_string(p);
        EXPECT_EQ(std::count(edits.begin(), edits.end(), begin), 1) << what << ": " << begin;
        EXPECT_EQ(std::count(edits.begin(), edits.end(), end), 1) << what << ": " << end;
        const auto b = std::find(edits.begin(), edits.end(), begin);
        const auto e = std::find(edits.begin(), edits.end(), end);
        EXPECT_LT(b, e) << what;
        for (auto i = edits.begin(); i != edits.end(); ++i)
            if (*i == set) {
                EXPECT_TRUE(b < i && i < e) << what << ": a set outside the gesture";
            }
    }
    EXPECT_EQ(edits.back().rfind("end ", 0), 0u) << what << ": " << edits.back() << " came last";
}

TEST_F(SEditor, EveryDragIsOneGestureAndNothingFollowsTheRelease) {
    CRoomView* room = Gui()->GetRoomView();
    int px, py;
    room->NodePos(room->NodePosPtr(0), &px, &py);
    const struct {
        const char* What;
        int X, Y, Dx, Dy;
        std::vector<int> Properties;
    } drags[] = {{"the left source", 36 + px + 6, 76 + py + 4, 6, 5, {0, 1}},
                 {"the Feedback knob", 280, 170, 0, -10, {KestrelFeedback}},
                 {"the width slider", 34, 61, 10, 0, {KestrelRoomWidth}}};
    for (const auto& d : drags) {
        Mouse(WM_MOUSEMOVE, d.X, d.Y); // a node is grabbed where the cursor hovers
        Fake.Edits.clear();
        Mouse(WM_LBUTTONDOWN, d.X, d.Y);
        Mouse(WM_MOUSEMOVE, d.X + d.Dx, d.Y + d.Dy);
        Mouse(WM_MOUSEMOVE, d.X + 2 * d.Dx, d.Y + 2 * d.Dy);
        Mouse(WM_LBUTTONUP, d.X + 2 * d.Dx, d.Y + 2 * d.Dy);
        Mouse(WM_MOUSEMOVE, d.X + 3 * d.Dx, d.Y + 3 * d.Dy); // released: no longer dragging
        Mouse(WM_MOUSEMOVE, d.X - d.Dx, d.Y - d.Dy);
        ExpectOneGesture(Fake.Edits, d.Properties, d.What);
        Machine.OnIdle();
    }
}

namespace {
DWORD FakeNow = 100000;
DWORD WINAPI FakeClock() {
    return FakeNow;
}
} // namespace

TEST_F(SEditor, UnderAutomationTheLateViewKeepsItsPaceAndDrawsTheNewestInTheEnd) {
    CKestrelGUI::Clock = FakeClock;
    struct SRestore {
        ~SRestore() { CKestrelGUI::Clock = GetTickCount; }
    } restore;
    Machine.OnHideGUI();
    Window = Machine.CreateGUI(Host); // paced by the test's clock from the start
    const unsigned before = Gui()->GetLateView()->GetDrawings();
    // Three seconds of Feedback automation, idled 30 times a second.
    for (int i = 0; i < 90; i++) {
        Machine.SetProperty(KestrelFeedback, 0.3 + 0.005 * i);
        Machine.OnIdle();
        FakeNow += 33;
    }
    const unsigned drawn = Gui()->GetLateView()->GetDrawings() - before;
    EXPECT_LE(drawn, 3000u / 150 + 1) << "at least 150 ms between two drawings";
    EXPECT_GE(drawn, 10u) << "but it follows the automation";
    EXPECT_TRUE(Gui()->IsWaiting()) << "the last value came within the pause";
    FakeNow += 150;
    Machine.OnIdle();
    EXPECT_FALSE(Gui()->IsWaiting());
    const auto updated = Shown();
    Machine.OnHideGUI();
    Window = Machine.CreateGUI(Host); // a fresh editor of the same state
    EXPECT_TRUE(updated.Pixels == Shown().Pixels) << "the newest state, drawn in the end";
}
