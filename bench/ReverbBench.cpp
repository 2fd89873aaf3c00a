// Speed of the reverb machine: steady processing and the rebuilds that automation
// causes. Real-time factor = seconds of audio processed per second of wall time.
#include "reverb/Kestrel.h"
#include "support/FakeHost.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int Block = 256;

// 10 m × 10 m, no absorption, nodes scattered: the room with the most taps (about
// 23 a side at 44.1 kHz).
void MostTaps(CKestrel& k) {
    const double positions[8] = {0.059, 0.299, 0.968, 0.876, 0.306, 0.859, 0.31, 0.939};
    for (int i = 0; i < 8; i++)
        k.SetProperty(i, positions[i]);
    k.SetProperty(KestrelRoomWidth, 0.0);
    k.SetProperty(KestrelRoomHeight, 0.0);
    k.SetProperty(KestrelWallAbsorb, 0.0);
    k.OnIdle();
}

void FillNoise(CKestrel& k) {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    CAudioBuffer* in = k.Ports[0]->AudioBuffer;
    for (int i = 0; i < Block; i++) {
        in->Left[i] = noise(random);
        in->Right[i] = noise(random);
    }
}

void Work(benchmark::State& state, bool mostTaps) {
    CFakeHost host;
    host.SampleRate = Rate;
    host.BlockSamples = Block;
    CKestrel k(&host, nullptr);
    if (mostTaps) MostTaps(k);
    FillNoise(k);
    for (auto _ : state) {
        k.Work();
        benchmark::DoNotOptimize(k.Ports[1]->AudioBuffer->Left[0]);
    }
    state.SetItemsProcessed(state.iterations() * Block);
    state.counters["realtime_x"] = benchmark::Counter(
        static_cast<double>(Block) / Rate, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["taps_left"] = static_cast<double>(k.GetConvolver(0)->TapIndices(0).size());
}

void BM_WorkDefaults(benchmark::State& state) {
    Work(state, false);
}
void BM_WorkMostTaps(benchmark::State& state) {
    Work(state, true);
}

void BM_ModelRoom(benchmark::State& state) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    if (state.range(0)) MostTaps(k);
    CMutexLock lock(&k);
    for (auto _ : state)
        k.ModelRoom();
}

void BM_ModelFIRs(benchmark::State& state) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    if (state.range(0)) MostTaps(k);
    CMutexLock lock(&k);
    for (auto _ : state)
        k.ModelFIRs();
}

// The straightforward rebuild the machine replaced: one walk of the tree per tap and
// listener, then the dense responses scanned for their taps. Kept as the yardstick.
void BM_ModelFIRsWalk(benchmark::State& state) {
    CFakeHost host;
    CKestrel k(&host, nullptr);
    if (state.range(0)) MostTaps(k);
    const int n = k.GetFilterLength();
    std::vector<double> left(n), right(n);
    CStereoFIR fir(n, true);
    for (auto _ : state) {
        for (int side = 0; side < 2; side++) {
            const double dt = 0.075 / n;
            double t0 = 0.0;
            for (int i = 0; i < n; i++) {
                const double t1 = t0 + dt;
                left[i] = k.GetTree(side)->Converge(0, &k.GetListenerPosition(0), t0, t1);
                right[i] = k.GetTree(side)->Converge(0, &k.GetListenerPosition(1), t0, t1);
                t0 = t1;
            }
            fir.SetImpulseResponse(left.data(), right.data(), 128);
        }
        benchmark::DoNotOptimize(left.data());
    }
}

// One rebuild as a block's Update does it, without the block: property range(0) moved
// (0: a source, 4: a listener, 8: the room, 10: the walls). What the crossfade then
// costs is the difference to BM_AutomatedBlock.
void BM_RebuildAfterAMove(benchmark::State& state) {
    CFakeHost host;
    host.BlockSamples = 64;
    CKestrel k(&host, nullptr);
    const int property = static_cast<int>(state.range(0));
    int b = 0;
    CMutexLock lock(&k);
    for (auto _ : state) {
        k.SetProperty(property, 0.3 + (b++ % 2) * 0.01);
        k.Update();
    }
}

} // namespace

BENCHMARK(BM_RebuildAfterAMove)
    ->Arg(0)
    ->Arg(4)
    ->Arg(8)
    ->Arg(10)
    ->ArgName("property")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WorkDefaults)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WorkMostTaps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModelRoom)->Arg(0)->Arg(1)->ArgName("most_taps")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModelFIRs)->Arg(0)->Arg(1)->ArgName("most_taps")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModelFIRsWalk)->Arg(0)->Arg(1)->ArgName("most_taps")->Unit(benchmark::kMicrosecond);
