// The VST 3 bundle through its entry points, as hosts load it: the factory, the buses,
// processing against the VST 2 build, state, texts, and the editor in a real X server
// served by the host's run loop.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "plugin/FormatIds.h"
#include "support/FakeHost.h"
#include "support/HeadlessEditor.h"
#include "support/PluginHost.h"
#include "support/Vst2Pieces.h"
#include "vst3/Vst3Host.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

using namespace Vst3Test;

namespace {

SModule& Module() {
    static SModule module;
    return module;
}

std::string Text(const char16* s) {
    std::string out;
    for (; *s; s++)
        out += static_cast<char>(*s);
    return out;
}

// A processor and its controller, set up as a host sets them up.
struct SPlugin {
    explicit SPlugin(int rate = 44100, int block = 512) {
        Component = Module().Create<IComponent>(KestrelVst3Processor, IComponent_iid);
        Controller = Module().Create<IEditController>(KestrelVst3Controller, IEditController_iid);
        if (!Component || !Controller) throw std::runtime_error("no classes");
        Component->initialize(nullptr);
        Controller->initialize(nullptr);
        Component->queryInterface(IAudioProcessor_iid.Bytes, reinterpret_cast<void**>(&Processor));
        ProcessSetup setup{kRealtime, kSample32, block, static_cast<double>(rate)};
        Processor->setupProcessing(setup);
        Component->setActive(1);
        Processor->setProcessing(1);
    }
    ~SPlugin() {
        Processor->setProcessing(0);
        Component->setActive(0);
        Component->terminate();
        Controller->terminate();
        Counts[0] = Processor->release();
        Counts[1] = Component->release();
        Counts[2] = Controller->release();
    }
    // One block of n frames, in place in l and r, with the given changes.
    template <typename Sample>
    void Process(Sample* l, Sample* r, int n, SChanges* changes = nullptr) {
        Sample* channels[2] = {l, r};
        AudioBusBuffers in{}, out{};
        in.numChannels = out.numChannels = 2;
        in.channelBuffers32 = out.channelBuffers32 = reinterpret_cast<float**>(channels);
        ProcessData data{};
        data.symbolicSampleSize = sizeof(Sample) == 8 ? kSample64 : kSample32;
        data.numSamples = n;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = changes;
        ASSERT_EQ(Processor->process(data), kResultOk);
        Silence = out.silenceFlags;
    }
    IComponent* Component = nullptr;
    IAudioProcessor* Processor = nullptr;
    IEditController* Controller = nullptr;
    uint64 Silence = 0;
    static inline uint32 Counts[3] = {};
};

} // namespace

TEST(Vst3, TheFactoryListsAReverbAndItsController) {
    IPluginFactory3* factory = nullptr;
    ASSERT_EQ(Module().Factory->queryInterface(IPluginFactory3_iid.Bytes,
                                               reinterpret_cast<void**>(&factory)),
              kResultOk);
    PFactoryInfo info{};
    factory->getFactoryInfo(&info);
    EXPECT_STREQ(info.vendor, "Brightmoor");
    EXPECT_TRUE(info.flags & PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 2);
    PClassInfoW w{};
    ASSERT_EQ(factory->getClassInfoUnicode(0, &w), kResultOk);
    EXPECT_EQ(Text(w.name), "BM Kestrel");
    EXPECT_STREQ(w.category, "Audio Module Class");
    EXPECT_STREQ(w.subCategories, "Fx|Reverb|Stereo");
    EXPECT_EQ(Text(w.version), KESTREL_VERSION ".0") << "the project's, in four parts";
    // The processor's ID is the one hosts derive from the VST 2 plug-in 'BMKS', "BMKestrel".
    uint32 words[4] = {};
    for (int i = 0; i < 16; i++)
        words[i / 4] = words[i / 4] << 8 | static_cast<unsigned char>(w.cid[i]);
    EXPECT_EQ(words[0], 0x56535442u);
    EXPECT_EQ(words[1], 0x4D4B5362u);
    EXPECT_EQ(words[2], 0x6D6B6573u);
    EXPECT_EQ(words[3], 0x7472656Cu);
    PClassInfo2 c{};
    ASSERT_EQ(factory->getClassInfo2(1, &c), kResultOk);
    EXPECT_STREQ(c.category, "Component Controller Class");
    EXPECT_EQ(factory->getClassInfo2(2, &c), kInvalidArgument);
    factory->release();
    // The VST 2 plug-in tells hosts the same ID when asked.
    CPluginHost vst2;
    AEffect* e = vst2.Open();
    char id[16] = {};
    EXPECT_EQ(vst2.Dispatch(e, effVendorSpecific, 0x73744341, 0x46554944, id), 1);
    EXPECT_EQ(std::memcmp(id, KestrelVst3Processor.Bytes, 16), 0);
    vst2.Close(e);
}

TEST(Vst3, StereoBusesOnlyAndEveryReferenceReturned) {
    {
        SPlugin p;
        EXPECT_EQ(p.Component->getBusCount(kAudio, kInput), 1);
        EXPECT_EQ(p.Component->getBusCount(kEvent, kInput), 0);
        BusInfo bus{};
        ASSERT_EQ(p.Component->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
        EXPECT_EQ(bus.channelCount, 2);
        EXPECT_EQ(p.Component->getBusInfo(kAudio, kOutput, 1, bus), kInvalidArgument);
        SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
        EXPECT_EQ(p.Processor->setBusArrangements(&mono, 1, &mono, 1), kResultFalse);
        SpeakerArrangement now = 0;
        p.Processor->getBusArrangement(kOutput, 0, now);
        EXPECT_EQ(now, SpeakerArr::kStereo) << "refused: the buses stay stereo";
        EXPECT_EQ(p.Processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
        EXPECT_EQ(p.Processor->canProcessSampleSize(kSample64), kResultTrue);
        EXPECT_EQ(p.Processor->getLatencySamples(), 0u);
        EXPECT_GT(p.Processor->getTailSamples(), 44100u / 10);
    }
    EXPECT_EQ(SPlugin::Counts[0], 1u) << "the processor interface's own reference";
    EXPECT_EQ(SPlugin::Counts[1], 0u);
    EXPECT_EQ(SPlugin::Counts[2], 0u);
}

TEST(Vst3, SamplesAreTheVst2BuildsWithAndWithoutParameterPoints) {
    const std::vector<float> input = Noise(512 * 6, 7);
    // Without points: the same blocks give the same samples, in 32 and 64 bits.
    {
        SPlugin p(44100, 512);
        std::vector<float> got(input);
        std::vector<double> wide(input.begin(), input.end());
        for (int b = 0; b < 6; b++) {
            std::vector<float> r(got.begin() + 512 * b, got.begin() + 512 * (b + 1));
            p.Process(got.data() + 512 * b, r.data(), 512);
        }
        std::vector<SPiece> blocks(6, SPiece{512, {}});
        EXPECT_TRUE(got == Vst2Pieces(blocks, input));
        SPlugin d(44100, 512);
        std::vector<double> wr(wide);
        d.Process(wide.data(), wr.data(), 512);
        for (int i = 0; i < 512; i++)
            ASSERT_EQ(static_cast<float>(wide[i]), got[i]) << i;
    }
    // Points: 110 merges into the run that starts at 100, 331 into the one at 300; the
    // VST 2 build processes the same pieces with setParameter at each split.
    SPlugin p(44100, 512);
    SChanges changes;
    for (const SPointCase& c : BlockPoints())
        changes.Add(static_cast<ParamID>(c.Index), c.Offset, c.Value);
    // After a block of noise, so that the network sounds through the points too.
    std::vector<float> got(input.begin(), input.begin() + 1024), r(got);
    p.Process(got.data(), r.data(), 512);
    p.Process(got.data() + 512, r.data() + 512, 512, &changes);
    EXPECT_TRUE(got == Vst2Pieces(BlockPieces(), input));
    // A flush (no samples) applies its changes and touches no audio.
    SChanges flush;
    flush.Add(KestrelFeedback, 0, 0.0); // a tail that ends within a few lines' length
    float none = 0;
    p.Process(&none, &none, 0, &flush);
    std::vector<float> quiet(512), quietR(512);
    for (int b = 0; b < 2000; b++) { // 23 s: the lines' filters decay to exact zeros
        std::fill(quiet.begin(), quiet.end(), 0.0f);
        std::fill(quietR.begin(), quietR.end(), 0.0f);
        p.Process(quiet.data(), quietR.data(), 512); // in place: the output overwrites
        if (b == 0) {
            EXPECT_EQ(p.Silence, 0u) << "the last noise still sounds";
        }
    }
    EXPECT_EQ(p.Silence, 3u) << "the tail has died away: both outputs flagged silent";
}

TEST(Vst3, StateRoundTripsAndACorruptOneChangesNothing) {
    SPlugin a, b;
    SChanges changes;
    changes.Add(KestrelRoomWidth, 0, 0.75);
    changes.Add(KestrelFeedback, 0, 0.25);
    float none = 0;
    a.Process(&none, &none, 0, &changes);
    SStream saved;
    ASSERT_EQ(a.Component->getState(&saved), kResultOk);
    ASSERT_EQ(saved.Bytes.size(), 8u + 8 * 14);
    EXPECT_EQ(std::memcmp(saved.Bytes.data(), "46HP", 4), 0) << "'PH64', little-endian";
    SStream in(saved.Bytes), again(saved.Bytes);
    ASSERT_EQ(b.Component->setState(&in), kResultOk); // five bytes a read
    SStream copy;
    b.Component->getState(&copy);
    EXPECT_TRUE(copy.Bytes == saved.Bytes);
    ASSERT_EQ(b.Controller->setComponentState(&again), kResultOk);
    EXPECT_EQ(b.Controller->getParamNormalized(KestrelRoomWidth), 0.75);
    EXPECT_EQ(b.Controller->getParamNormalized(KestrelFeedback), 0.25);
    // Short, foreign and empty streams are refused; nothing changes.
    std::vector<std::vector<unsigned char>> bad = {
        std::vector<unsigned char>(saved.Bytes.begin(), saved.Bytes.end() - 1),
        std::vector<unsigned char>(saved.Bytes.size(), 0x41),
        {}};
    for (const auto& bytes : bad) {
        SStream s1(bytes), s2(bytes);
        EXPECT_EQ(b.Component->setState(&s1), kResultFalse);
        EXPECT_EQ(b.Controller->setComponentState(&s2), kResultFalse);
    }
    SStream after;
    b.Component->getState(&after);
    EXPECT_TRUE(after.Bytes == saved.Bytes);
    EXPECT_EQ(b.Controller->getParamNormalized(KestrelRoomWidth), 0.75);
    // A value the host set but never processed: the controller's own state keeps it,
    // and a reload (component state, then the controller's) brings it back.
    a.Controller->setParamNormalized(KestrelGain, 0.125);
    SStream own, stale(saved.Bytes);
    ASSERT_EQ(a.Controller->getState(&own), kResultOk);
    SStream ownIn(own.Bytes), empty;
    b.Controller->setComponentState(&stale);
    ASSERT_EQ(b.Controller->setState(&ownIn), kResultOk);
    EXPECT_EQ(b.Controller->getParamNormalized(KestrelGain), 0.125);
    EXPECT_EQ(b.Controller->setState(&empty), kResultOk) << "an older session's empty state";
}

TEST(Vst3, ParametersAndTheirTextsRoundTrip) {
    SPlugin p;
    ASSERT_EQ(p.Controller->getParameterCount(), 14);
    ParameterInfo info{};
    ASSERT_EQ(p.Controller->getParameterInfo(8, info), kResultOk);
    EXPECT_EQ(Text(info.title), "Room Width");
    EXPECT_EQ(Text(info.shortTitle), "Room Wi");
    EXPECT_EQ(Text(info.units), "m");
    EXPECT_EQ(info.id, 8u);
    EXPECT_TRUE(info.flags & kCanAutomate);
    p.Controller->getParameterInfo(13, info);
    EXPECT_EQ(info.defaultNormalizedValue, 0.7);
    const struct {
        int Id;
        double Value;
        const char* Text;
    } cases[] = {{KestrelRoomWidth, 0.5, "20m"},
                 {KestrelSrcLeftX, 0.29, "28%"},
                 {KestrelGain, 0.5, "-10.00dB"},
                 {KestrelCutoff, 1.0, "12000Hz"}};
    for (const auto& c : cases) {
        String128 text{};
        ASSERT_EQ(p.Controller->getParamStringByValue(c.Id, c.Value, text), kResultOk);
        EXPECT_EQ(Text(text), c.Text);
    }
    // Every text read back gives a value whose text is the same, at many values.
    for (int id = 0; id < 14; id++)
        for (double v = 0; v <= 1.0; v += 0.0625 + 0.001 * id) {
            String128 text{}, again{};
            p.Controller->getParamStringByValue(id, v, text);
            ParamValue back = -1;
            ASSERT_EQ(p.Controller->getParamValueByString(id, text, back), kResultOk)
                << id << " " << Text(text);
            p.Controller->getParamStringByValue(id, back, again);
            ASSERT_EQ(Text(again), Text(text)) << "parameter " << id << " at " << v;
        }
    String128 junk = {u'x', u'y', 0};
    ParamValue v = 0;
    EXPECT_EQ(p.Controller->getParamValueByString(8, junk, v), kResultFalse);
}

namespace {

// Serves the view as a host's run loop does: its descriptor when readable, its timer.
void Serve(Display* x, SRunLoop& loop, int rounds = 6) {
    for (int r = 0; r < rounds; r++) {
        XSync(x, False);
        for (auto [handler, fd] : std::map<Linux::IEventHandler*, int>(loop.Handlers)) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 0) > 0) handler->onFDIsSet(fd);
        }
        for (auto [timer, ms] : std::map<Linux::ITimerHandler*, Linux::TimerInterval>(loop.Timers))
            timer->onTimer();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XSync(x, False);
}

} // namespace

TEST(Vst3, TheEditorInAnX11WindowIsServedByTheRunLoopAndADragIsAnEdit) {
    Display* x = XOpenDisplay(nullptr);
    if (!x) GTEST_SKIP() << "no X display (scripts/test runs these under xvfb-run)";
    const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 430, 200, 0, 0, 0);
    XMapWindow(x, window);
    XSync(x, False);
    SHandler handler;
    SFrame frame;
    std::vector<uint32_t> screen;
    {
        SPlugin p;
        p.Controller->setComponentHandler(&handler);
        IPlugView* view = p.Controller->createView("editor");
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultTrue);
        EXPECT_EQ(view->isPlatformTypeSupported("HWND"), kResultFalse);
        ViewRect size{};
        view->getSize(&size);
        EXPECT_EQ(size.right - size.left, 430);
        view->setFrame(&frame);
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(window), "X11EmbedWindowID"), kResultOk);
        EXPECT_EQ(frame.Loop.Handlers.size(), 1u);
        EXPECT_EQ(frame.Loop.Timers.size(), 1u);
        // XEmbed's info is on the child as attached returns.
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x, window, &root, &parent, &children, &count);
        ASSERT_EQ(count, 1u);
        const Window child = children[0];
        XFree(children);
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, left = 0;
        unsigned char* data = nullptr;
        const Atom info = XInternAtom(x, "_XEMBED_INFO", False);
        XGetWindowProperty(x, child, info, 0, 2, False, info, &type, &format, &items, &left, &data);
        EXPECT_EQ(items, 2u);
        if (data) XFree(data);
        Serve(x, frame.Loop);
        screen = ScreenPixels(x, window, 430, 200);
        // The Feedback knob, dragged with the real pointer.
        DragUp(x, 264 + 16, 158 + 19, 4, 6, [&](int rounds) { Serve(x, frame.Loop, rounds); });
        ASSERT_GE(handler.Edits.size(), 3u);
        EXPECT_EQ(handler.Edits.front(), "begin 11");
        EXPECT_EQ(handler.Edits[1], "perform 11");
        EXPECT_EQ(handler.Edits.back(), "end 11");
        EXPECT_GT(p.Controller->getParamNormalized(KestrelFeedback), 0.5);
        EXPECT_EQ(view->removed(), kResultOk);
        EXPECT_TRUE(frame.Loop.Handlers.empty() && frame.Loop.Timers.empty())
            << "everything registered is unregistered";
        view->setFrame(nullptr);
        EXPECT_EQ(view->release(), 0u);
        p.Controller->setComponentHandler(nullptr);
    }
    EXPECT_EQ(handler.Count, 1u);
    EXPECT_EQ(frame.Count, 1u);
    EXPECT_EQ(frame.Loop.Count, 1u);
    XDestroyWindow(x, window);
    XCloseDisplay(x);
    // What the screen showed is what a headless editor of the same values draws (the
    // controller's rate, for the late view).
    EXPECT_EQ(DifferingFromHeadless(screen, 48000), 0);
}
