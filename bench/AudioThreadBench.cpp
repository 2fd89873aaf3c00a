// What the audio thread costs and waits for while a host automates the reverb and the
// user drags in its editor: heap calls inside process calls, the longest process call
// while the host takes 20 ms over each automation write, and the GUI thread's share of a
// core with 1 to 8 editors open (in real X11 windows when there is a display).
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/NativeParent.h"
#include "platform/Presenter.h"
#include "platform/Testing.h"
#include "plugin/HostAdapter.h"
#include "plugin/OrbisAdapter.h"
#include "support/FakeHost.h"
#include "support/HeapCounter.h"

#include "BenchClock.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

SKestrelGraphics* Artwork() {
    static SKestrelGraphics graphics{};
    static bool loaded = false;
    if (!loaded) {
        LoadKestrelGraphics(&graphics);
        SetKestrelEditorFactory(CModelEditor::Create);
        loaded = true;
    }
    return &graphics;
}

// One 64-frame block per iteration at 44.1 kHz with property range(0) moved before it
// (editor closed): the heap calls the block made, per block.
void BM_HeapCallsPerBlock(benchmark::State& state) {
    const int property = static_cast<int>(state.range(0));
    CFakeHost host;
    host.BlockSamples = 64;
    CKestrel machine(&host, nullptr);
    long calls = 0;
    int b = 0;
    for (auto _ : state) {
        KestrelHeap::Begin();
        machine.SetProperty(property, 0.3 + (b++ % 2) * 0.01);
        machine.Work();
        calls += KestrelHeap::End();
    }
    state.counters["heap_per_block"] = static_cast<double>(calls) / state.iterations();
}

// The host of the drag benchmark: its automation write takes 20 ms.
VstIntPtr VSTCALLBACK SlowHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterGetSampleRate) return 44100;
    if (opcode == audioMasterGetBlockSize) return 64;
    if (opcode == audioMasterAutomate) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 0;
}

// 3 s of 64-frame blocks at real-time pace on an audio thread while the UI thread drags
// (range(0) 1; with 0 it only idles the open editor, the yardstick for late blocks)
// the Feedback knob, the width slider and the left source over and over, each step
// reported to a host that takes 20 ms. Counters: the longest process call (µs), blocks
// finished after their deadline, and the drag's steps (each one automation write).
void BM_DragWithASlowHost(benchmark::State& state) {
    const bool drag = state.range(0) != 0; // 0: the same run with the editor only idled
    for (auto _ : state) {
        CHostAdapter host(SlowHost);
        auto* machine = new CKestrel(&host, Artwork());
        COrbisAdapter adapter(machine, SlowHost, 1);
        AEffect* e = adapter.getAeffect();
        std::atomic<bool> stop{false};
        std::atomic<int> steps{0};
        std::thread ui([&] {
            HWND parent = KestrelTesting::CreateHostWindow(430, 200);
            HWND window = machine->CreateGUI(parent);
            auto* gui = static_cast<CKestrelGUI*>(static_cast<CLiteContainer*>(
                reinterpret_cast<CControl*>(GetWindowLongPtrA(window, GWLP_USERDATA))));
            while (!drag && !stop.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(33));
                machine->OnIdle();
                KestrelPumpEvents(parent);
            }
            for (int round = 0; !stop.load(); round++) {
                // The knob, the slider, the left source where it now is.
                int source[2];
                CRoomView* room = gui->GetRoomView();
                room->NodePos(room->NodePosPtr(0), &source[0], &source[1]);
                const int from[3][2] = {
                    {280, 177}, {34, 61}, {36 + source[0] + 6, 76 + source[1] + 4}};
                const int* p = from[round % 3];
                KestrelTesting::Mouse(parent, WM_MOUSEMOVE, p[0], p[1]);
                KestrelTesting::Mouse(parent, WM_LBUTTONDOWN, p[0], p[1]);
                // Away and back, so that every step changes the value.
                const int sign = round % 2 ? -1 : 1;
                for (int k = 1; k <= 10 && !stop.load(); k++, steps++) {
                    const int d = sign * 3 * (k <= 5 ? k : 10 - k);
                    KestrelTesting::Mouse(parent, WM_MOUSEMOVE, p[0] + d, p[1] - d);
                }
                KestrelTesting::Mouse(parent, WM_LBUTTONUP, p[0], p[1]);
                machine->OnIdle();
                KestrelPumpEvents(parent);
            }
            machine->OnHideGUI();
            DestroyWindow(parent);
        });
        std::vector<float> in(64, 0.1f), outL(64), outR(64);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {outL.data(), outR.data()};
        const auto period = std::chrono::microseconds(64 * 1000000 / 44100);
        const int blocks = 3 * 44100 / 64;
        double longest = 0;
        int late = 0;
        auto deadline = Clock::now() + period;
        for (int b = 0; b < blocks; b++) {
            const auto t0 = Clock::now();
            e->processReplacing(e, ins, outs, 64);
            const auto t1 = Clock::now();
            longest = std::max(longest, Microseconds(t1 - t0));
            if (t1 > deadline) late++;
            std::this_thread::sleep_until(deadline);
            deadline += period;
        }
        stop.store(true);
        ui.join();
        state.counters["longest_process_us"] = longest;
        state.counters["late_blocks"] = late;
        state.counters["drag_steps"] = steps.load();
    }
}

// range(0) instances at 48 kHz in 256-frame blocks at real-time pace for 3 s, each one's
// Feedback set before every block, every editor open and idled at 30 Hz by one GUI
// thread: in X11 windows of a host window each when there is a display, else headless.
// Counters: the GUI thread's share of one core (%), late blocks.
void BM_EditorsUnderAutomation(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Display* display = XOpenDisplay(nullptr);
    for (auto _ : state) {
        CFakeHost host;
        host.SampleRate = 48000;
        std::vector<std::unique_ptr<CKestrel>> machines;
        for (int i = 0; i < count; i++)
            machines.push_back(std::make_unique<CKestrel>(&host, Artwork()));
        std::atomic<bool> stop{false}, ready{false};
        std::atomic<double> busy{0};
        std::thread gui([&] {
            std::vector<HWND> parents;
            std::vector<Window> frames;
            for (auto& m : machines) {
                Window frame = 0;
                if (display) {
                    frame = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 430, 200,
                                                0, 0, 0);
                    XMapWindow(display, frame);
                    XSync(display, False);
                }
                frames.push_back(frame);
                parents.push_back(KestrelAttachNativeParent(frame, 430, 200));
                m->CreateGUI(parents.back());
            }
            ready.store(true);
            const double start = ThreadMicroseconds();
            while (!stop.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(33));
                for (int i = 0; i < count; i++) {
                    machines[i]->OnIdle();
                    KestrelPumpEvents(parents[i]);
                }
                busy.store(ThreadMicroseconds() - start);
            }
            for (int i = 0; i < count; i++) {
                machines[i]->OnHideGUI();
                KestrelDetachNativeParent(parents[i]);
                if (frames[i]) XDestroyWindow(display, frames[i]);
            }
            if (display) XSync(display, False);
        });
        while (!ready.load())
            std::this_thread::yield();
        const auto period = std::chrono::microseconds(256 * 1000000 / 48000);
        const int blocks = 3 * 48000 / 256;
        int late = 0;
        const auto began = Clock::now();
        auto deadline = began + period;
        for (int b = 0; b < blocks; b++) {
            for (auto& m : machines) {
                m->SetProperty(KestrelFeedback, 0.3 + (b % 2) * 0.01 + (b % 64) * 0.005);
                m->Work();
            }
            if (Clock::now() > deadline) late++;
            std::this_thread::sleep_until(deadline);
            deadline += period;
        }
        const double wall = Microseconds(Clock::now() - began);
        stop.store(true);
        gui.join();
        state.counters["gui_core_pct"] = 100.0 * busy.load() / wall;
        state.counters["late_blocks"] = late;
        state.counters["x11"] = display ? 1 : 0;
    }
    if (display) XCloseDisplay(display);
}

} // namespace

BENCHMARK(BM_HeapCallsPerBlock)->DenseRange(0, 13)->ArgName("property")->Iterations(2000);
BENCHMARK(BM_DragWithASlowHost)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("drag")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_EditorsUnderAutomation)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->ArgName("editors")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
