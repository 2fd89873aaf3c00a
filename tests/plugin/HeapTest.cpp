// The audio thread allocates nothing: this test program counts the heap calls made
// while a process call runs (support/HeapCounter), with one parameter moved before every block, for
// each of the fourteen, with the editor closed and open. The plug-in is loaded as hosts load it.
#include "support/HeapCounter.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#if defined(KESTREL_LV2_DSP)
#include <lv2/core/lv2.h>
#endif

namespace {

// Heap calls in `blocks` process calls of `frames`, parameter `index` set to a new
// value before each (the value sweeps back and forth over [0, 1]).
template <typename Sample>
long HeapCallsWhileAutomating(AEffect* e, int index, int frames, int blocks) {
    std::vector<Sample> l(static_cast<size_t>(frames), Sample(0.1)), r(l), ol(l), orr(l);
    Sample* in[2] = {l.data(), r.data()};
    Sample* out[2] = {ol.data(), orr.data()};
    long calls = 0;
    for (int b = 0; b < blocks; b++) {
        const float value = static_cast<float>(b % 20) / 19.0f;
        KestrelHeap::Begin();
        e->setParameter(e, index, b % 40 < 20 ? value : 1.0f - value);
        if constexpr (sizeof(Sample) == sizeof(float))
            e->processReplacing(e, in, out, frames);
        else
            e->processDoubleReplacing(e, in, out, frames);
        calls += KestrelHeap::End();
        e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0); // the UI thread may allocate
    }
    return calls;
}

} // namespace

TEST(Heap, NoProcessCallAllocatesUnderAutomationOfAnyParameter) {
    CPluginHost host;
    host.BlockSize = 512;
    for (bool editor : {false, true}) {
        AEffect* e = host.Open();
        ASSERT_NE(e, nullptr);
        if (editor) host.Dispatch(e, effEditOpen, 0, 0, nullptr); // no display: headless
        HeapCallsWhileAutomating<float>(e, 0, 64, 4);             // the first blocks settle
        for (int index = 0; index < 14; index++) {
            EXPECT_EQ(HeapCallsWhileAutomating<float>(e, index, 64, 40), 0)
                << "parameter " << index << (editor ? ", editor open" : "");
            EXPECT_EQ(HeapCallsWhileAutomating<double>(e, index, 37, 10), 0)
                << "parameter " << index << ", double, 37 frames";
            EXPECT_EQ(HeapCallsWhileAutomating<float>(e, index, 512, 5), 0)
                << "parameter " << index << ", 512 frames";
        }
        if (editor) host.Dispatch(e, effEditClose);
        host.Close(e);
    }
}

#if defined(KESTREL_LV2_DSP)
TEST(Heap, Lv2RunAllocatesNothingUnderAutomation) {
    void* library = dlopen(KESTREL_LV2_DSP, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto descriptorOf =
        reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2_descriptor"));
    ASSERT_NE(descriptorOf, nullptr);
    const LV2_Descriptor* d = descriptorOf(0);
    LV2_Handle h = d->instantiate(d, 48000, "", nullptr);
    ASSERT_NE(h, nullptr);
    std::vector<float> l(300, 0.1f), r(l), ol(l), orr(l);
    float controls[14] = {0.2f, 0.2f, 0.8f, 0.2f, 0.4f, 0.8f, 0.6f,
                          0.8f, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0.7f};
    float* ports[4] = {l.data(), r.data(), ol.data(), orr.data()};
    for (uint32_t p = 0; p < 4; p++)
        d->connect_port(h, p, ports[p]);
    for (uint32_t i = 0; i < 14; i++)
        d->connect_port(h, 4 + i, &controls[i]);
    d->activate(h);
    d->run(h, 300);
    for (int index = 0; index < 14; index++) {
        long calls = 0;
        for (int b = 0; b < 20; b++) {
            controls[index] = static_cast<float>(b % 10) / 9.0f;
            KestrelHeap::Begin();
            d->run(h, b % 2 ? 300 : 64);
            calls += KestrelHeap::End();
        }
        EXPECT_EQ(calls, 0) << "port " << 4 + index;
    }
    d->deactivate(h);
    d->cleanup(h);
}
#endif
