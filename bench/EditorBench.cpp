// What an open editor costs the audio thread and the UI thread while a host automates
// the reverb: the audio thread must not notice the editor at all.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Presenter.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"

#include "BenchClock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

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

} // namespace

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
BENCHMARK(BM_EditorIdle)->Arg(1)->Arg(8)->ArgName("editors")->Unit(benchmark::kMicrosecond);
