// What hosts pay when they scan and create plug-ins, and what an idle instance costs.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

namespace {

void BM_DecodeArtwork(benchmark::State& state) {
    for (auto _ : state) {
        SKestrelGraphics graphics{};
        LoadKestrelGraphics(&graphics);
        benchmark::DoNotOptimize(graphics.Background);
        FreeKestrelGraphics(&graphics);
    }
}

void BM_NewInstance(benchmark::State& state) {
    CFakeHost host;
    for (auto _ : state) {
        CKestrel machine(&host, nullptr);
        benchmark::DoNotOptimize(&machine);
    }
    // Heap held by one instance (trees, convolvers, network, ports), in KiB.
    const size_t before = mallinfo2().uordblks;
    auto machine = std::make_unique<CKestrel>(&host, nullptr);
    state.counters["instance_KiB"] = (mallinfo2().uordblks - before) / 1024.0;
}

void BM_OpenEditor(benchmark::State& state) {
    SKestrelGraphics graphics{};
    LoadKestrelGraphics(&graphics);
    SetKestrelEditorFactory(CModelEditor::Create);
    CFakeHost host;
    CKestrel machine(&host, &graphics);
    HWND parent = KestrelTesting::CreateHostWindow(430, 200);
    for (auto _ : state) {
        machine.CreateGUI(parent);
        KestrelTesting::Pump();
        machine.OnHideGUI();
    }
    DestroyWindow(parent);
    FreeKestrelGraphics(&graphics);
}

void BM_WorkSilence(benchmark::State& state) {
    // After noise, silence: the same cost per block, and the lines settle on exact zeros.
    CFakeHost host;
    host.BlockSamples = 256;
    CKestrel k(&host, nullptr);
    CAudioBuffer* in = k.Ports[0]->AudioBuffer;
    for (int i = 0; i < 256; i++)
        in->Left[i] = in->Right[i] = (i % 7) * 0.1 - 0.3;
    for (int i = 0; i < 172; i++)
        k.Work(); // one second of noise
    in->Clear();
    for (auto _ : state)
        k.Work();
    state.counters["realtime_x"] =
        benchmark::Counter(256.0 / 44100, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_DecodeArtwork)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewInstance)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkSilence)->Unit(benchmark::kMicrosecond);

namespace {

// One second of a host automating Room Width at every 64-frame block (44.1 kHz) while
// calling the editor's idle 30 times a second: each block rebuilds the room; the room
// view's wavefronts are redrawn at most every 20 ms. The time per simulated second,
// in ms, is the share of one core in per mille. state.range(0): 0 editor closed, 1 open
// at view time 0, 2 open at 75 ms.
void BM_AutomationSecond(benchmark::State& state) {
    SKestrelGraphics graphics{};
    LoadKestrelGraphics(&graphics);
    SetKestrelEditorFactory(CModelEditor::Create);
    CFakeHost host;
    host.BlockSamples = 64;
    CKestrel machine(&host, &graphics);
    HWND parent = KestrelTesting::CreateHostWindow(430, 200);
    if (state.range(0) > 0) {
        HWND editor = machine.CreateGUI(parent);
        auto* gui = static_cast<CKestrelGUI*>(static_cast<CLiteContainer*>(
            reinterpret_cast<CControl*>(GetWindowLongPtrA(editor, GWLP_USERDATA))));
        gui->GetRoomView()->SetTime(state.range(0) == 2 ? 1.0 : 0.0);
    }
    const int blocks = 44100 / 64;
    for (auto _ : state) {
        for (int b = 0; b < blocks; b++) {
            machine.SetProperty(KestrelRoomWidth, (b % 2) * 0.01);
            machine.Work();
            if (b % 23 == 0) machine.OnIdle();
        }
    }
    machine.OnHideGUI();
    DestroyWindow(parent);
    FreeKestrelGraphics(&graphics);
}

} // namespace

BENCHMARK(BM_AutomationSecond)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("editor")
    ->Unit(benchmark::kMillisecond);
