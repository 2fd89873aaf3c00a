// The LV2 bundle as LV2 hosts and tools see it: the schemas, lilv's reading of it, a
// render through lv2apply against the VST build's, run() with odd block sizes, and the
// editor embedded in jalv.
#include <gtest/gtest.h>

#include "support/PointerDrag.h"
#include "support/Shell.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

// LV2_PATH holding our bundle alone, then the system's specifications.
std::string Lv2Path() {
    static const std::string path = [] {
        char pattern[] = "/tmp/kestrel-lv2-XXXXXX";
        const std::string folder = mkdtemp(pattern);
        const std::string link = folder + "/BMKestrel.lv2";
        EXPECT_EQ(symlink(KESTREL_LV2_BUNDLE, link.c_str()), 0);
        return folder + ":/usr/lib/lv2";
    }();
    return path;
}

std::string Temp(const std::string& name) {
    return "/tmp/kestrel-lv2-" + std::to_string(getpid()) + "-" + name;
}

// A stereo float WAV of noise after 256 silent frames.
void WriteInput(const std::string& path) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    std::vector<float> data(2 * 6000, 0.0f);
    for (size_t i = 2 * 256; i < data.size(); i++)
        data[i] = u(random);
    auto put32 = [](std::ofstream& out, uint32_t v) { out.write(reinterpret_cast<char*>(&v), 4); };
    auto put16 = [](std::ofstream& out, uint16_t v) { out.write(reinterpret_cast<char*>(&v), 2); };
    std::ofstream out(path, std::ios::binary);
    const uint32_t bytes = static_cast<uint32_t>(data.size() * 4);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 3); // IEEE float
    put16(out, 2);
    put32(out, 44100);
    put32(out, 44100 * 8);
    put16(out, 8);
    put16(out, 32);
    out.write("data", 4);
    put32(out, bytes);
    out.write(reinterpret_cast<const char*>(data.data()), bytes);
}

// A sanitizer build's binaries load only into programs built with the same runtime:
// third-party hosts cannot load them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SKIP_IN_THIRD_PARTY_HOSTS()                                                                \
    GTEST_SKIP() << "a sanitizer build loads into our own hosts only"
#else
#define SKIP_IN_THIRD_PARTY_HOSTS()
#endif

} // namespace

TEST(Lv2Bundle, TheSchemasFindNoFault) {
    const SShellResult r = RunShell("sord_validate $(find /usr/lib/lv2 -name '*.ttl') " +
                                    std::string(KESTREL_LV2_BUNDLE) + "/*.ttl");
    EXPECT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("Found 0 errors"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("arning"), std::string::npos) << r.Output;
}

TEST(Lv2Bundle, LilvReadsEighteenPortsWithNamesRangesAndDefaults) {
    const SShellResult r = RunShell("LV2_PATH=" + Lv2Path() + " lv2info urn:brightmoor:kestrel");
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("Port 17:"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("Port 18:"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("Has latency:       no"), std::string::npos);
    EXPECT_NE(r.Output.find("Reverb Plugin"), std::string::npos);
    const char* names[] = {"Src Left X", "Src Left Y",  "Src Right X", "Src Right Y",
                           "Dst Left X", "Dst Left Y",  "Dst Right X", "Dst Right Y",
                           "Room Width", "Room Height", "Wall Absorb", "Feedback",
                           "Cutoff",     "Gain"};
    const double defaults[] = {0.2, 0.2, 0.8, 0.2, 0.4, 0.8, 0.6,
                               0.8, 0.0, 0.0, 0.5, 0.5, 1.0, 0.7};
    for (int i = 0; i < 14; i++) {
        std::string symbol = names[i];
        for (char& c : symbol)
            c = c == ' ' ? '_' : static_cast<char>(std::tolower(c));
        char block[512];
        std::snprintf(block, sizeof block,
                      "Port %d:\n\t\tType:        http://lv2plug.in/ns/lv2core#ControlPort\n"
                      "\t\t             http://lv2plug.in/ns/lv2core#InputPort\n"
                      "\t\tSymbol:      %s\n\t\tName:        %s\n\t\tMinimum:     0.000000\n"
                      "\t\tMaximum:     1.000000\n\t\tDefault:     %f\n",
                      i + 4, symbol.c_str(), names[i], defaults[i]);
        EXPECT_NE(r.Output.find(block), std::string::npos) << block;
    }
}

TEST(Lv2Bundle, Lv2applyRendersWhatTheVstBuildDoes) {
    SKIP_IN_THIRD_PARTY_HOSTS();
    const std::string in = Temp("in.wav");
    WriteInput(in);
    // lv2apply runs one frame at a time: the VST build gets blocks of one frame too.
    const struct {
        std::string Lv2, Vst;
    } runs[] = {{"", ""},
                {"-c room_width 0.5 -c feedback 0.9 -c dst_left_x 0.3",
                 "--param 'Room Width=0.5' --param Feedback=0.9 --param 'Dst Left X=0.3'"}};
    std::string previous;
    for (const auto& run : runs) {
        const std::string lv2 = Temp("lv2.wav"), vst = Temp("vst.wav");
        const SShellResult a = RunShell("LV2_PATH=" + Lv2Path() + " lv2apply -i " + in + " -o " +
                                        lv2 + " " + run.Lv2 + " urn:brightmoor:kestrel");
        ASSERT_EQ(a.Exit, 0) << a.Output;
        const SShellResult b =
            RunShell(std::string(KESTREL_RENDER) + " --quiet --block 1 --tail 0 " + run.Vst + " " +
                     in + " " + vst);
        ASSERT_EQ(b.Exit, 0) << b.Output;
        const std::string rendered = Slurp(lv2);
        EXPECT_GT(rendered.size(), 40000u);
        EXPECT_TRUE(rendered == Slurp(vst)) << "the LV2 render differs from the VST one";
        EXPECT_NE(rendered, previous) << "the values made no difference";
        previous = rendered;
    }
}

namespace {

// The plug-in binary loaded as a host loads it.
struct SPlugin {
    SPlugin() {
        Library = dlopen(KESTREL_LV2_BUNDLE "/BMKestrel_dsp.so", RTLD_NOW | RTLD_LOCAL);
        auto find = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
            Library ? dlsym(Library, "lv2_descriptor") : nullptr);
        Descriptor = find ? find(0) : nullptr;
    }
    // Renders input (stereo, interleaved) in blocks of n, controls at their defaults
    // but Feedback; with inPlace, each buffer serves as input and output.
    std::vector<float> Render(const std::vector<float>& input, uint32_t n, bool inPlace) {
        LV2_Handle h = Descriptor->instantiate(Descriptor, 44100, KESTREL_LV2_BUNDLE, nullptr);
        EXPECT_NE(h, nullptr);
        float controls[14] = {0.2f, 0.2f, 0.8f, 0.2f, 0.4f, 0.8f, 0.6f,
                              0.8f, 0.0f, 0.0f, 0.5f, 0.9f, 1.0f, 0.7f};
        for (uint32_t i = 0; i < 14; i++)
            Descriptor->connect_port(h, 4 + i, &controls[i]);
        Descriptor->activate(h);
        std::vector<float> l(n), r(n), ol(n), orr(n), output;
        const size_t frames = input.size() / 2;
        for (size_t at = 0; at < frames; at += n) {
            const uint32_t m = static_cast<uint32_t>(std::min<size_t>(n, frames - at));
            for (uint32_t i = 0; i < m; i++) {
                l[i] = input[2 * (at + i)];
                r[i] = input[2 * (at + i) + 1];
            }
            // Connected late, at every call, as some hosts do.
            Descriptor->connect_port(h, 0, l.data());
            Descriptor->connect_port(h, 1, r.data());
            Descriptor->connect_port(h, 2, inPlace ? l.data() : ol.data());
            Descriptor->connect_port(h, 3, inPlace ? r.data() : orr.data());
            Descriptor->run(h, m);
            const float* left = inPlace ? l.data() : ol.data();
            output.insert(output.end(), left, left + m);
        }
        Descriptor->deactivate(h);
        Descriptor->cleanup(h);
        return output;
    }
    void* Library = nullptr;
    const LV2_Descriptor* Descriptor = nullptr;
};

} // namespace

TEST(Lv2Run, AnyBlockSizeAndASharedBufferGiveTheSameSamples) {
    SPlugin plugin;
    ASSERT_NE(plugin.Descriptor, nullptr) << dlerror();
    EXPECT_STREQ(plugin.Descriptor->URI, "urn:brightmoor:kestrel");
    std::mt19937 random(5);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    std::vector<float> input(2 * 20000, 0.0f); // silent start: the first crossfade
    for (size_t i = 2 * 256; i < input.size(); i++)
        input[i] = u(random);
    const std::vector<float> reference = plugin.Render(input, 1, false);
    for (uint32_t n : {7u, 8192u})
        EXPECT_EQ(plugin.Render(input, n, false), reference) << n;
    EXPECT_EQ(plugin.Render(input, 8192, true), reference) << "in place";
    float energy = 0;
    for (float v : reference)
        energy += v * v;
    EXPECT_GT(energy, 1.0f);
}

namespace {

Window FindWindowOfSize(Display* x, Window w, int width, int height) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(x, w, &a)) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(x, w, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; i++)
            found = FindWindowOfSize(x, children[i], width, height);
        if (children) XFree(children);
    }
    // The deepest one: the editor's own window, not the host's socket around it.
    if (!found && a.width == width && a.height == height && a.map_state == IsViewable) found = w;
    return found;
}

pid_t Spawn(const std::vector<std::string>& arguments, const std::string& log) {
    const pid_t pid = fork();
    if (pid == 0) {
        FILE* out = std::freopen(log.c_str(), "w", stdout);
        if (out) dup2(fileno(stdout), 2);
        std::vector<char*> argv;
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

} // namespace

TEST(Lv2Ui, TheEditorInsideJalvTakesADragAndCloses) {
    SKIP_IN_THIRD_PARTY_HOSTS();
    Display* x = XOpenDisplay(nullptr);
    if (!x) GTEST_SKIP() << "no X display (scripts/test runs these under xvfb-run)";
    const std::string server = "kestrel" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    setenv("LV2_PATH", Lv2Path().c_str(), 1);
    setenv("KESTREL_UI_SCALE", "1", 1);
    setenv("KESTREL_DEBUG", "1", 1); // the UI says what it writes to the host
    const pid_t jack = Spawn({"jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"},
                             Temp("jackd.log"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::string log = Temp("jalv.log");
    const pid_t jalv = Spawn({"jalv.gtk3", "urn:brightmoor:kestrel"}, log);
    Window editor = 0;
    for (int i = 0; i < 100 && !editor; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        editor = FindWindowOfSize(x, DefaultRootWindow(x), 430, 200);
    }
    EXPECT_NE(editor, 0u) << "no 430 x 200 editor inside jalv\n" << Slurp(log);
    if (editor) {
        int left = 0, top = 0;
        Window child = 0;
        XTranslateCoordinates(x, editor, DefaultRootWindow(x), 0, 0, &left, &top, &child);
        const int kx = left + 264 + 16, ky = top + 158 + 19; // the Feedback knob
        auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(80)); };
        XTestFakeMotionEvent(x, DefaultScreen(x), kx, ky, CurrentTime);
        XSync(x, False);
        pause();
        XTestFakeButtonEvent(x, 1, True, CurrentTime);
        XSync(x, False);
        pause();
        for (int step = 1; step <= 6; step++) {
            XTestFakeMotionEvent(x, DefaultScreen(x), kx, ky - 5 * step, CurrentTime);
            XSync(x, False);
            pause();
        }
        XTestFakeButtonEvent(x, 1, False, CurrentTime);
        XSync(x, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    kill(jalv, SIGINT); // as closing its window does
    int status = -1;
    waitpid(jalv, &status, 0);
    kill(jack, SIGTERM);
    waitpid(jack, nullptr, 0);
    XCloseDisplay(x);
    const std::string said = Slurp(log);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    // Port 15 is Feedback (0.5 by default): the drag went up through the host's write.
    EXPECT_NE(said.find("BM Kestrel UI: port 15 = 0.8"), std::string::npos) << said;
    EXPECT_EQ(said.find("X Error"), std::string::npos) << said;
}

namespace {

int OpenDescriptors() {
    int n = 0;
    for (int fd = 0; fd < 4096; fd++)
        n += fcntl(fd, F_GETFD) != -1;
    return n;
}

} // namespace

namespace {

// The UI binary's descriptor, loaded as hosts load it (the library stays loaded).
const LV2UI_Descriptor* LoadUi() {
    void* library = dlopen(KESTREL_LV2_BUNDLE "/BMKestrel_ui.so", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    auto find =
        reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2ui_descriptor"));
    return find ? find(0) : nullptr;
}

} // namespace

TEST(Lv2Ui, HostValuesMoveTheKnobsAndClosingLeavesNothing) {
    Display* x = XOpenDisplay(nullptr);
    if (!x) GTEST_SKIP() << "no X display (scripts/test runs these under xvfb-run)";
    setenv("KESTREL_UI_SCALE", "1", 1);
    const LV2UI_Descriptor* ui = LoadUi();
    ASSERT_NE(ui, nullptr);
    auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    const Window frame = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 430, 200, 0, 0, 0);
    XMapWindow(x, frame);
    XSync(x, False);
    LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(frame)};
    const LV2_Feature* features[] = {&parent, nullptr};
    auto cycle = [&](bool look) {
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle h = ui->instantiate(ui, "urn:brightmoor:kestrel", KESTREL_LV2_BUNDLE, nullptr,
                                         nullptr, &widget, features);
        ASSERT_NE(h, nullptr);
        EXPECT_NE(widget, nullptr) << "the editor's X11 window";
        auto settle = [&] {
            for (int i = 0; i < 5; i++) {
                idle->idle(h);
                XSync(x, False);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        };
        settle();
        XImage* before = look ? XGetImage(x, frame, 264, 158, 32, 38, AllPlanes, ZPixmap) : nullptr;
        const float feedback = 1.0f;
        ui->port_event(h, 4 + 11, sizeof feedback, 0, &feedback); // as automation plays
        settle();
        if (look) {
            XImage* after = XGetImage(x, frame, 264, 158, 32, 38, AllPlanes, ZPixmap);
            int differing = 0;
            for (int j = 0; j < 38; j++)
                for (int i = 0; i < 32; i++)
                    differing += XGetPixel(before, i, j) != XGetPixel(after, i, j);
            EXPECT_GT(differing, 0) << "the Feedback knob moved";
            XDestroyImage(before);
            XDestroyImage(after);
        }
        ui->cleanup(h);
        Window root = 0, parentWindow = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x, frame, &root, &parentWindow, &children, &count);
        if (children) XFree(children);
        EXPECT_EQ(count, 0u) << "no window of ours left in the host's";
    };
    cycle(true);
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < 20; i++)
        cycle(false);
    EXPECT_EQ(OpenDescriptors(), descriptors) << "display connections closed";
    XDestroyWindow(x, frame);
    XCloseDisplay(x);
}

namespace {

// The host's side of ui:touch and the write function, in the order they came.
std::vector<std::string> Calls;

void Write(LV2UI_Controller, uint32_t port, uint32_t, uint32_t, const void*) {
    Calls.push_back("write " + std::to_string(port));
}

void Touch(LV2UI_Feature_Handle, uint32_t port, bool grabbed) {
    Calls.push_back((grabbed ? "on " : "off ") + std::to_string(port));
}

} // namespace

TEST(Lv2Ui, ADragIsTouchOnThenWritesThenTouchOff) {
    Display* x = XOpenDisplay(nullptr);
    if (!x) GTEST_SKIP() << "no X display (scripts/test runs these under xvfb-run)";
    setenv("KESTREL_UI_SCALE", "1", 1);
    const LV2UI_Descriptor* ui = LoadUi();
    ASSERT_NE(ui, nullptr);
    auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    const Window frame = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 430, 200, 0, 0, 0);
    XMapWindow(x, frame);
    XSync(x, False);
    LV2UI_Touch touch{nullptr, Touch};
    LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(frame)};
    LV2_Feature touching{LV2_UI__touch, &touch};
    const LV2_Feature* features[] = {&parent, &touching, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle h = ui->instantiate(ui, "urn:brightmoor:kestrel", KESTREL_LV2_BUNDLE, Write,
                                     nullptr, &widget, features);
    ASSERT_NE(h, nullptr);
    auto settle = [&](int rounds) {
        for (int i = 0; i < rounds; i++) {
            XSync(x, False);
            idle->idle(h);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XSync(x, False);
    };
    settle(5);
    Calls.clear();
    const int kx = 264 + 16, ky = 158 + 19; // the Feedback knob: port 4 + 11
    DragUp(x, kx, ky, 4, 6, settle);
    XTestFakeMotionEvent(x, DefaultScreen(x), kx, ky - 40, CurrentTime); // released
    settle(2);
    ASSERT_GE(Calls.size(), 3u);
    EXPECT_EQ(Calls.front(), "on 15");
    EXPECT_EQ(Calls.back(), "off 15");
    EXPECT_EQ(std::count(Calls.begin(), Calls.end(), "on 15"), 1);
    EXPECT_EQ(std::count(Calls.begin(), Calls.end(), "off 15"), 1);
    for (size_t i = 1; i + 1 < Calls.size(); i++)
        EXPECT_EQ(Calls[i], "write 15") << "between touch on and off, only writes";
    ui->cleanup(h);
    XDestroyWindow(x, frame);
    XCloseDisplay(x);
}
