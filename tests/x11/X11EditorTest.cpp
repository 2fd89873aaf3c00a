// A host with a real X11 window opens the editor through the built plug-in and pumps
// it with its idle calls, as Linux hosts do.
#include <gtest/gtest.h>

#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"
#include "support/HeadlessEditor.h"
#include "support/PluginHost.h"

#include <dirent.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

// Last: Xlib's macros (None, Bool, Status) would collide with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

int OpenDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            n++;
        closedir(d);
    }
    return n;
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

struct SX11 : ::testing::Test {
    void SetUp() override {
        X = XOpenDisplay(nullptr);
        if (!X) GTEST_SKIP() << "no X display (scripts/test runs these under xvfb-run)";
        Frame = XCreateSimpleWindow(X, DefaultRootWindow(X), 0, 0, 430, 200, 0, 0, 0);
        XMapWindow(X, Frame);
        XSync(X, False);
        Effect = Host.Open();
        ASSERT_NE(Effect, nullptr);
    }
    void TearDown() override {
        if (!X) return;
        Host.Close(Effect);
        XDestroyWindow(X, Frame);
        XCloseDisplay(X);
    }
    void Idle(int rounds = 3) {
        for (int i = 0; i < rounds; i++) {
            XSync(X, False);
            Host.Dispatch(Effect, effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XSync(X, False);
    }
    void Open(int rounds = 6) {
        Host.Dispatch(Effect, effEditOpen, 0, 0, reinterpret_cast<void*>(Frame));
        Idle(rounds);
    }
    // "width x height" of the editor's window, the one child of the host's.
    std::string EditorSize() {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XWindowAttributes attributes{};
        if (XQueryTree(X, Frame, &root, &parent, &children, &count) && count == 1)
            XGetWindowAttributes(X, children[0], &attributes);
        if (children) XFree(children);
        if (count != 1) return std::to_string(count) + " children";
        return std::to_string(attributes.width) + " x " + std::to_string(attributes.height);
    }
    uint32_t Screen(XImage* image, int x, int y) {
        const unsigned long p = XGetPixel(image, x, y);
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    CPluginHost Host;
    AEffect* Effect = nullptr;
    Display* X = nullptr;
    Window Frame = 0;
};

} // namespace

TEST_F(SX11, TheScreenShowsWhatTheHeadlessEditorDraws) {
    Open();
    // The same editor, built in this process on the headless presenter.
    EXPECT_EQ(DifferingFromHeadless(ScreenPixels(X, Frame, 430, 200), Host.SampleRate), 0);
}

TEST_F(SX11, AMouseDragOnTheFeedbackKnobIsAutomation) {
    Open();
    const int x = 264 + 16, y = 158 + 19;
    XTestFakeMotionEvent(X, DefaultScreen(X), x, y, CurrentTime);
    Idle();
    XTestFakeButtonEvent(X, 1, True, CurrentTime);
    Idle();
    for (int step = 1; step <= 6; step++) {
        XTestFakeMotionEvent(X, DefaultScreen(X), x, y - 5 * step, CurrentTime);
        Idle(2);
    }
    XTestFakeButtonEvent(X, 1, False, CurrentTime);
    Idle();
    int automations = 0;
    float last = 0;
    for (const SHostCall& call : Host.Calls)
        if (call.Opcode == audioMasterAutomate) {
            EXPECT_EQ(call.Index, KestrelFeedback);
            EXPECT_EQ(call.Effect, Effect);
            automations++;
            last = call.Opt;
        }
    EXPECT_GT(automations, 0);
    EXPECT_GT(last, 0.5f) << "dragged up from 0.5";
    EXPECT_FLOAT_EQ(Effect->getParameter(Effect, KestrelFeedback), last);
}

TEST_F(SX11, OpeningAndClosingLeavesNothingBehind) {
    std::vector<float> in(256, 0.1f), out(256);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    auto cycle = [&](int i) {
        Open(1);
        Effect->setParameter(Effect, KestrelRoomWidth, (i % 10) / 10.0f);
        Effect->processReplacing(Effect, ins, outs, 256);
        Idle(1);
        Host.Dispatch(Effect, effEditClose);
    };
    for (int i = 0; i < 10; i++)
        cycle(i); // let caches and the allocator settle
    const int descriptors = OpenDescriptors();
    const long memory = ResidentKiB();
    for (int i = 0; i < 200; i++)
        cycle(i);
    EXPECT_EQ(OpenDescriptors(), descriptors) << "X connections and files";
#if !defined(__SANITIZE_ADDRESS__)
    // (AddressSanitizer holds freed memory in quarantine; its leak check runs at exit.)
    EXPECT_LT(ResidentKiB() - memory, 2048) << "KiB grown over 200 cycles";
#else
    (void)memory;
#endif
}

TEST_F(SX11, ClosingTheEffectWithTheEditorOpen) {
    Open();
    const int descriptors = OpenDescriptors();
    AEffect* second = Host.Open();
    Host.Dispatch(second, effEditOpen, 0, 0, reinterpret_cast<void*>(Frame));
    Idle();
    EXPECT_EQ(OpenDescriptors(), descriptors + 1) << "one display connection per editor";
    Host.Close(second); // effClose with its editor open
    Idle();
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(SX11, TwoEditorsEachPumpedByItsOwnIdleOneGoesTheOtherStillWorks) {
    // A second instance whose editor sits below the first one, in a window of its own.
    Window lower = XCreateSimpleWindow(X, DefaultRootWindow(X), 0, 250, 430, 200, 0, 0, 0);
    XMapWindow(X, lower);
    XSync(X, False);
    AEffect* second = Host.Open();
    Host.Dispatch(second, effEditOpen, 0, 0, reinterpret_cast<void*>(lower));
    Open();
    auto idleSecond = [&](int rounds) {
        for (int i = 0; i < rounds; i++) {
            XSync(X, False);
            Host.Dispatch(second, effEditIdle); // only the second's own idle
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XSync(X, False);
    };
    idleSecond(6);
    XImage* upper = XGetImage(X, Frame, 264, 158, 32, 38, AllPlanes, ZPixmap);
    ASSERT_NE(upper, nullptr);
    Host.Dispatch(Effect, effEditClose);
    Host.Close(Effect);
    Effect = Host.Open(); // for TearDown
    Host.Calls.clear();

    const int x = 264 + 16, y = 250 + 158 + 19; // the second editor's Feedback knob
    XTestFakeMotionEvent(X, DefaultScreen(X), x, y, CurrentTime);
    idleSecond(3);
    XTestFakeButtonEvent(X, 1, True, CurrentTime);
    idleSecond(3);
    for (int step = 1; step <= 4; step++) {
        XTestFakeMotionEvent(X, DefaultScreen(X), x, y - 5 * step, CurrentTime);
        idleSecond(2);
    }
    XTestFakeButtonEvent(X, 1, False, CurrentTime);
    idleSecond(3);
    std::vector<VstInt32> gesture;
    for (const SHostCall& call : Host.Calls)
        if (call.Effect == second &&
            (call.Opcode == audioMasterBeginEdit || call.Opcode == audioMasterAutomate ||
             call.Opcode == audioMasterEndEdit)) {
            EXPECT_EQ(call.Index, KestrelFeedback);
            if (gesture.empty() || gesture.back() != call.Opcode) gesture.push_back(call.Opcode);
        }
    const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                            audioMasterEndEdit};
    EXPECT_EQ(gesture, expected);
    // The knob moved on the second editor's screen, away from the frame of its default
    // that the upper window showed: it still draws.
    XImage* image = XGetImage(X, lower, 264, 158, 32, 38, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int differing = 0;
    for (int j = 0; j < 38; j++)
        for (int i = 0; i < 32; i++)
            differing += XGetPixel(image, i, j) != XGetPixel(upper, i, j);
    EXPECT_GT(differing, 0);
    XDestroyImage(image);
    XDestroyImage(upper);
    Host.Close(second);
    XDestroyWindow(X, lower);
}

TEST_F(SX11, AtXftDpi192TheEditorIsTwiceAsLarge) {
    // The desktop's resolution, as desktop toolkits publish it on the root window.
    const Atom resources = XInternAtom(X, "RESOURCE_MANAGER", False);
    const char text[] = "Xft.dpi:\t192\n";
    XChangeProperty(X, DefaultRootWindow(X), resources, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text), sizeof text - 1);
    XSync(X, False);
    struct SRestore {
        Display* X;
        Atom Property;
        ~SRestore() {
            XDeleteProperty(X, DefaultRootWindow(X), Property);
            XSync(X, False);
        }
    } restore{X, resources};
    ERect* rect = nullptr;
    ASSERT_EQ(Host.Dispatch(Effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 860);
    EXPECT_EQ(rect->bottom - rect->top, 400);
    XResizeWindow(X, Frame, 860, 400); // as a host sizes its window from the answer
    Open();
    EXPECT_EQ(EditorSize(), "860 x 400");
    XImage* image = XGetImage(X, Frame, 0, 0, 860, 400, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int unlike = 0;
    for (int y = 0; y < 400; y += 2)
        for (int x = 0; x < 860; x += 2)
            unlike += XGetPixel(image, x, y) != XGetPixel(image, x + 1, y + 1);
    EXPECT_EQ(unlike, 0) << "every pixel a 2 × 2 block";
    XDestroyImage(image);
}

TEST_F(SX11, AParentWindowThatIsNotThereEndsNothing) {
    // A host that hands over a window id the server does not know (or destroyed its
    // window first): every request on it fails, and the host must live on.
    Host.Dispatch(Effect, effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t{0x3ffffe}));
    Idle(5);
    Host.Dispatch(Effect, effEditClose);
    std::vector<float> in(256, 0.1f), out(256);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    Effect->processReplacing(Effect, ins, outs, 256);
    EXPECT_TRUE(std::isfinite(out[255]));
}

TEST_F(SX11, ADesktopThatChangesItsResolutionResizesTheOpenEditor) {
    Open();
    const Atom resources = XInternAtom(X, "RESOURCE_MANAGER", False);
    const char text[] = "Xft.dpi:\t192\n";
    XChangeProperty(X, DefaultRootWindow(X), resources, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text), sizeof text - 1);
    XSync(X, False);
    Host.Calls.clear();
    for (int i = 0; i < 13; i++) { // more than the second between two looks
        Idle(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    XDeleteProperty(X, DefaultRootWindow(X), resources);
    XSync(X, False);
    bool asked = false;
    for (const SHostCall& call : Host.Calls)
        asked |= call.Opcode == audioMasterSizeWindow && call.Index == 860 && call.Value == 400;
    EXPECT_TRUE(asked) << "the host is asked to make its window 860 x 400";
    EXPECT_EQ(EditorSize(), "860 x 400");
}

TEST_F(SX11, AfterTheHostMovesAKnobAt2xTheScreenIsAFullRenderOfTheNewState) {
    // Only the changed parts reach the screen after the first drawing: the knob's block,
    // at twice the scale. What shows must be what a fresh editor draws for those values.
    setenv("KESTREL_UI_SCALE", "2", 1);
    struct SUnset {
        ~SUnset() { unsetenv("KESTREL_UI_SCALE"); }
    } unset;
    XResizeWindow(X, Frame, 860, 400);
    Open();
    Effect->setParameter(Effect, KestrelFeedback, 0.9f);
    for (int round = 0; round < 8; round++) { // the slow views' pace, and then some
        Idle(2);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    Idle();
    EXPECT_EQ(DifferingFromHeadless(ScreenPixels(X, Frame, 860, 400), Host.SampleRate, 2,
                                    {{KestrelFeedback, static_cast<double>(0.9f)}}),
              0);
}
