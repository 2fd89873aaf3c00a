// What hosts pay when they scan and create plug-ins, and what an idle instance costs.
#include "editor/KestrelGUI.h"
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
    SetKestrelEditorFactory(CKestrelGUI::Create);
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
