// What an open editor costs the audio thread and the UI thread while a host automates
// the reverb: the audio thread must not notice the editor at all.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Presenter.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// Processor time of the calling thread.
double ThreadMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

struct SArtwork {
    SArtwork() {
        LoadKestrelGraphics(&Graphics);
        SetKestrelEditorFactory(CModelEditor::Create);
    }
    ~SArtwork() { FreeKestrelGraphics(&Graphics); }
    SKestrelGraphics Graphics{};
};

// The host's GUI thread: opens the editor, then idles it 30 times a second (the
// machine's idle and the editor's own session). Its processor time, not the time it
// waits for the machine's lock, is its cost.
class CGuiThread {
public:
    // reopen: close and open the editor again at every idle instead.
    CGuiThread(CKestrel* machine, bool reopen = false)
        : Machine(machine), Reopen(reopen), Thread([this] { Run(); }) {
        while (!Ready.load())
            std::this_thread::yield();
    }
    ~CGuiThread() {
        Stop.store(true);
        Thread.join();
    }
    double CoreShare() const {
        return (Busy.load() - BusyAtStart) / Microseconds(Clock::now() - Start);
    }

private:
    void Run() {
        HWND parent = KestrelTesting::CreateHostWindow(430, 200);
        Machine->CreateGUI(parent);
        Start = Clock::now();
        BusyAtStart = ThreadMicroseconds();
        Busy.store(BusyAtStart);
        Ready.store(true);
        while (!Stop.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
            if (Reopen) {
                Machine->OnHideGUI();
                Machine->CreateGUI(parent);
            }
            Machine->OnIdle();
            KestrelPumpEvents(parent);
            Busy.store(ThreadMicroseconds());
        }
        Machine->OnHideGUI();
        DestroyWindow(parent);
    }

    CKestrel* Machine;
    bool Reopen;
    std::atomic<bool> Ready{false}, Stop{false};
    std::atomic<double> Busy{0};
    double BusyAtStart = 0;
    Clock::time_point Start;
    std::thread Thread;
};

// One 64-frame block of noise per iteration at 44.1 kHz, with parameter range(0) moved
// before every block; range(1): 1 with the editor open and idled at 30 Hz on its own
// thread, 2 with the editor closed and opened again at each of those idles. Counters: speed in
// multiples of real time, the 99th percentile of one block (µs), and with the editor, the GUI
// thread's share of one core (%).
void BM_AutomatedBlock(benchmark::State& state) {
    static SArtwork artwork;
    const int property = static_cast<int>(state.range(0));
    CFakeHost host;
    host.BlockSamples = 64;
    CKestrel machine(&host, &artwork.Graphics);
    CAudioBuffer* in = machine.Ports[0]->AudioBuffer;
    for (int i = 0; i < 64; i++)
        in->Left[i] = in->Right[i] = ((i * 7919) % 61) / 30.0 - 1.0;
    std::unique_ptr<CGuiThread> gui;
    if (state.range(1)) gui = std::make_unique<CGuiThread>(&machine, state.range(1) == 2);
    std::vector<double> times;
    times.reserve(1 << 20);
    int b = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        machine.SetProperty(property, 0.3 + (b++ % 2) * 0.01);
        machine.Work();
        if (times.size() < times.capacity()) times.push_back(Microseconds(Clock::now() - t0));
    }
    state.counters["realtime_x"] =
        benchmark::Counter(64.0 / 44100, benchmark::Counter::kIsIterationInvariantRate);
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["p99_us"] = times[times.size() * 99 / 100];
        state.counters["max_us"] = times.back();
    }
    if (gui) state.counters["gui_core_pct"] = 100.0 * gui->CoreShare();
}

void AllProperties(benchmark::internal::Benchmark* b) {
    for (int p = 0; p < KestrelPropertyCount; p++)
        for (int editor = 0; editor < 2; editor++)
            b->Args({p, editor});
}

// The longest the UI thread holds the machine's lock for its editor: taking every part
// of the state at once, in the room with the most taps.
void BM_TakeEditorState(benchmark::State& state) {
    CFakeHost host;
    CKestrel machine(&host, nullptr);
    machine.SetProperty(KestrelRoomWidth, 1.0);
    machine.SetProperty(KestrelRoomHeight, 1.0);
    machine.SetProperty(KestrelWallAbsorb, 0.0);
    machine.OnIdle();
    SKestrelEditorState copy;
    for (auto _ : state) {
        machine.SetProperty(KestrelGain, 0.7); // the values too
        {
            CMutexLock lock(&machine);
            machine.Update();
            machine.UpdateGUIRoom();
            machine.UpdateGUIImpulse();
        }
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(machine.TakeEditorState(&copy));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    }
}

// One editor's idle (the machine's idle and its session's pump) with range(0) editors
// open in the process, every instance's Feedback moved at each 256-frame block between
// two idles. Only the first editor's idle is timed.
void BM_EditorIdle(benchmark::State& state) {
    static SArtwork artwork;
    const int count = static_cast<int>(state.range(0));
    CFakeHost host;
    std::vector<std::unique_ptr<CKestrel>> machines;
    std::vector<HWND> parents;
    for (int i = 0; i < count; i++) {
        machines.push_back(std::make_unique<CKestrel>(&host, &artwork.Graphics));
        parents.push_back(KestrelTesting::CreateHostWindow(430, 200));
        machines.back()->CreateGUI(parents.back());
    }
    int b = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < count; i++) {
            for (int block = 0; block < 6; block++) { // 1/30 s at 48 kHz
                machines[i]->SetProperty(KestrelFeedback, 0.3 + (b++ % 2) * 0.01);
                machines[i]->Work();
            }
            if (i > 0) {
                machines[i]->OnIdle();
                KestrelPumpEvents(parents[i]);
            }
        }
        state.ResumeTiming();
        machines[0]->OnIdle();
        KestrelPumpEvents(parents[0]);
    }
    for (int i = 0; i < count; i++) {
        machines[i]->OnHideGUI();
        DestroyWindow(parents[i]);
    }
}

// A session at real-time pace: range(0) instances at 48 kHz in 256-frame blocks, each
// one's Feedback set before every block, each editor open and idled at 30 Hz by one GUI
// thread. An iteration is 2 s of audio; a block is late when the audio thread finishes
// the instances' blocks after the deadline of the period. Counters: late blocks, the
// GUI thread's share of a core (%).
void BM_Session(benchmark::State& state) {
    static SArtwork artwork;
    const int count = static_cast<int>(state.range(0));
    CFakeHost host;
    host.SampleRate = 48000;
    std::vector<std::unique_ptr<CKestrel>> machines;
    for (int i = 0; i < count; i++)
        machines.push_back(std::make_unique<CKestrel>(&host, &artwork.Graphics));
    std::atomic<bool> stop{false};
    std::atomic<double> guiBusy{0};
    std::thread gui([&] {
        std::vector<HWND> parents;
        for (auto& m : machines) {
            parents.push_back(KestrelTesting::CreateHostWindow(430, 200));
            m->CreateGUI(parents.back());
        }
        const double start = ThreadMicroseconds();
        while (!stop.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
            for (int i = 0; i < count; i++) {
                machines[i]->OnIdle();
                KestrelPumpEvents(parents[i]);
            }
            guiBusy.store(ThreadMicroseconds() - start);
        }
        for (int i = 0; i < count; i++) {
            machines[i]->OnHideGUI();
            DestroyWindow(parents[i]);
        }
    });
    const auto period = std::chrono::microseconds(256 * 1000000 / 48000);
    const int blocks = 2 * 48000 / 256;
    int late = 0;
    const auto began = Clock::now();
    for (auto _ : state) {
        auto deadline = Clock::now() + period;
        for (int b = 0; b < blocks; b++) {
            for (auto& m : machines) {
                m->SetProperty(KestrelFeedback, 0.3 + (b % 2) * 0.01);
                m->Work();
            }
            if (Clock::now() > deadline) late++;
            std::this_thread::sleep_until(deadline);
            deadline += period;
        }
    }
    const double wall = Microseconds(Clock::now() - began);
    stop.store(true);
    gui.join();
    state.counters["late_blocks"] = late;
    state.counters["gui_core_pct"] = 100.0 * guiBusy.load() / wall;
}

} // namespace

BENCHMARK(BM_Session)->Arg(8)->ArgName("instances")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutomatedBlock)
    ->Apply(AllProperties)
    ->ArgNames({"property", "editor"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_AutomatedBlock)
    ->Args({KestrelFeedback, 2})
    ->ArgNames({"property", "editor"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_TakeEditorState)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_EditorIdle)->Arg(1)->Arg(8)->ArgName("editors")->Unit(benchmark::kMicrosecond);
