// A host's threads at once: an audio thread processing, two threads setting and reading
// parameters and their texts, a UI thread idling and opening and closing the editor and
// dragging a knob, and a host that calls back into the effect from its automation
// callback. Run under ThreadSanitizer by scripts/test; here it must end, without a
// deadlock, with finite output.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "plugin/Core.h"
#include "plugin/OrbisAdapter.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

double StressSeconds() {
    const char* text = std::getenv("KESTREL_STRESS_SECONDS");
    return text ? std::atof(text) : 1.5;
}

std::atomic<AEffect*> Reentered{nullptr};
std::atomic<int> Automations{0};

// A host that reads and writes the very parameter it is told about, from inside the call.
VstIntPtr VSTCALLBACK ReenteringHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr,
                                     void*, float opt) {
    if (opcode == audioMasterGetSampleRate) return 44100;
    if (opcode == audioMasterGetBlockSize) return 256;
    if (opcode == audioMasterAutomate && effect) {
        Automations++;
        const float now = effect->getParameter(effect, index);
        effect->setParameter(effect, index, (now + opt) / 2);
    }
    return 0;
}

// An instance made in this process, as the entry point makes it, with its editor open in
// a headless host window; closed and freed at the end of the scope.
struct SEditedInstance {
    explicit SEditedInstance(audioMasterCallback callback)
        : Host(callback), Machine(new CKestrel(&Host, Graphics())), Adapter(Machine, callback, 1),
          Parent(KestrelTesting::CreateHostWindow(430, 200)) {
        SetKestrelEditorFactory(CModelEditor::Create);
        Machine->CreateGUI(Parent);
    }
    ~SEditedInstance() {
        Machine->OnHideGUI();
        DestroyWindow(Parent);
    }
    static SKestrelGraphics* Graphics() {
        static SKestrelGraphics graphics = [] {
            SKestrelGraphics g{};
            LoadKestrelGraphics(&g);
            return g;
        }();
        return &graphics;
    }
    CHostAdapter Host;
    CKestrel* Machine; // owned by the adapter
    COrbisAdapter Adapter;
    HWND Parent;
};

} // namespace

TEST(Threads, AHostsThreadsAtOnce) {
    AudioEffect* instance = createEffectInstance(ReenteringHost, nullptr);
    ASSERT_NE(instance, nullptr);
    AEffect* e = instance->getAeffect();
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<int>(StressSeconds() * 1000));
    auto running = [&] { return std::chrono::steady_clock::now() < end; };
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        std::vector<float> in(256, 0.1f), outL(256), outR(256);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {outL.data(), outR.data()};
        while (running()) {
            e->processReplacing(e, ins, outs, 256);
            for (float v : outL)
                if (!std::isfinite(v)) finite = false;
        }
    });
    auto parameters = [&](int seed) {
        unsigned state = static_cast<unsigned>(seed);
        char text[64];
        while (running()) {
            state = state * 1664525u + 1013904223u;
            const int index = static_cast<int>(state >> 28) % 14;
            e->setParameter(e, index, static_cast<float>((state >> 8) & 0xFFFF) / 65535.0f);
            (void)e->getParameter(e, index);
            e->dispatcher(e, effGetParamDisplay, index, 0, text, 0);
            e->dispatcher(e, effGetParamName, index, 0, text, 0);
        }
    };
    std::thread p1(parameters, 1), p2(parameters, 2);
    // The UI thread: opens the editor (headless), idles, closes.
    int cycles = 0;
    while (running()) {
        e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0);
        for (int i = 0; i < 3; i++)
            e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0);
        e->dispatcher(e, effEditClose, 0, 0, nullptr, 0);
        cycles++;
    }
    audio.join();
    p1.join();
    p2.join();
    EXPECT_TRUE(finite);
    EXPECT_GT(cycles, 0);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0);
}

TEST(Threads, AKnobDragWhileTheAudioRunsAndTheHostCallsBack) {
    SEditedInstance instance(ReenteringHost);
    CKestrel* machine = instance.Machine;
    AEffect* e = instance.Adapter.getAeffect();
    HWND parent = instance.Parent;
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<int>(StressSeconds() * 1000));
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> in(64, 0.2f), out(64);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out.data(), out.data()};
        while (!stop)
            e->processReplacing(e, ins, outs, 64);
    });
    Automations = 0;
    while (std::chrono::steady_clock::now() < end) {
        KestrelTesting::Mouse(parent, WM_LBUTTONDOWN, 264 + 16, 158 + 19);
        for (int y = 0; y < 60; y += 3)
            KestrelTesting::Mouse(parent, WM_MOUSEMOVE, 280, 177 - y);
        for (int y = 60; y > -60; y -= 3)
            KestrelTesting::Mouse(parent, WM_MOUSEMOVE, 280, 177 - y);
        KestrelTesting::Mouse(parent, WM_LBUTTONUP, 280, 177);
        machine->OnIdle();
        KestrelTesting::Pump();
    }
    stop = true;
    audio.join();
    EXPECT_GT(Automations.load(), 0);
}

TEST(Threads, InstancesMadeAndDestroyedOnFourThreads) {
    CPluginHost host;
    std::vector<std::thread> threads;
    std::atomic<int> made{0};
    for (int t = 0; t < 4; t++)
        threads.emplace_back([&] {
            for (int i = 0; i < 25; i++) {
                AEffect* e = host.Main(CPluginHost::Callback);
                if (!e) continue;
                made++;
                e->dispatcher(e, effClose, 0, 0, nullptr, 0);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(made.load(), 100);
}

namespace {

// A host whose automation write waits until the test lets it go, as hosts that record
// automation or talk to a sandbox process take their time.
std::mutex SlowGuard;
std::condition_variable SlowChanged;
bool SlowEntered = false, SlowReleased = false;

VstIntPtr VSTCALLBACK SlowHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterGetSampleRate) return 44100;
    if (opcode == audioMasterGetBlockSize) return 64;
    if (opcode == audioMasterAutomate) {
        std::unique_lock<std::mutex> lock(SlowGuard);
        SlowEntered = true;
        SlowChanged.notify_all();
        SlowChanged.wait_for(lock, std::chrono::seconds(20), [] { return SlowReleased; });
    }
    return 0;
}

} // namespace

TEST(Threads, TheAudioRunsOnWhileTheHostTakesItsTimeOverADrag) {
    SEditedInstance instance(SlowHost);
    AEffect* e = instance.Adapter.getAeffect();
    HWND parent = instance.Parent;
    // The UI thread drags a knob (and a node's source) and stays inside the host's call.
    std::thread ui([&] {
        KestrelTesting::Mouse(parent, WM_LBUTTONDOWN, 264 + 16, 158 + 19);
        KestrelTesting::Mouse(parent, WM_MOUSEMOVE, 280, 150);
        KestrelTesting::Mouse(parent, WM_LBUTTONUP, 280, 150);
    });
    {
        std::unique_lock<std::mutex> lock(SlowGuard);
        ASSERT_TRUE(
            SlowChanged.wait_for(lock, std::chrono::seconds(10), [] { return SlowEntered; }));
    }
    std::atomic<int> silent{0}; // blocks that came out as silence after the reverb's onset
    auto audio = std::async(std::launch::async, [&] {
        std::vector<float> in(64, 0.2f), out(64);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out.data(), out.data()};
        for (int b = 0; b < 200; b++) {
            e->processReplacing(e, ins, outs, 64);
            if (b > 20 && std::all_of(out.begin(), out.end(), [](float v) { return v == 0; }))
                silent++;
        }
    });
    const bool finished = audio.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    {
        std::lock_guard<std::mutex> lock(SlowGuard);
        SlowReleased = true;
    }
    SlowChanged.notify_all();
    audio.wait();
    ui.join();
    EXPECT_TRUE(finished) << "a process call waited for the host's automation write";
    EXPECT_EQ(silent.load(), 0) << "blocks dropped while the host took its time";
}
