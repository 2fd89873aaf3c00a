// The CLAP file through clap_entry, as hosts load it: the descriptor, ports and
// parameters, processing against the VST 2 build, state, texts, and the editor in a
// real X server served by the host's timers and descriptors.
#include "clap/ClapApi.h"
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"
#include "support/HeadlessEditor.h"
#include "support/Vst2Pieces.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <poll.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

const clap_plugin_entry_t* Entry() {
    static const clap_plugin_entry_t* entry = [] {
        void* library = dlopen(KESTREL_CLAP_FILE, RTLD_NOW | RTLD_LOCAL);
        auto* e = library ? static_cast<const clap_plugin_entry_t*>(dlsym(library, "clap_entry"))
                          : nullptr;
        if (e) e->init(KESTREL_CLAP_FILE);
        return e;
    }();
    return entry;
}

// A host with the extensions a plug-in with an editor needs; it records what it is asked.
struct SHost {
    SHost() {
        Record.clap_version = CLAP_VERSION;
        Record.host_data = this;
        Record.name = "test host";
        Record.version = "1";
        Record.get_extension = [](const clap_host_t* h, const char* id) -> const void* {
            auto* self = static_cast<SHost*>(h->host_data);
            if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &self->Params;
            if (!std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) && self->Loop) return &self->Timers;
            if (!std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) && self->Loop) return &self->Fds;
            return nullptr;
        };
        Record.request_restart = Record.request_process =
            Record.request_callback = [](const clap_host_t*) {};
        Params.rescan = [](const clap_host_t*, uint32_t) {};
        Params.clear = [](const clap_host_t*, clap_id, uint32_t) {};
        Params.request_flush = [](const clap_host_t* h) { Of(h)->Flushes++; };
        Timers.register_timer = [](const clap_host_t* h, uint32_t ms, clap_id* id) {
            *id = Of(h)->NextTimer++;
            Of(h)->TimerPeriods[*id] = ms;
            return true;
        };
        Timers.unregister_timer = [](const clap_host_t* h, clap_id id) {
            return Of(h)->TimerPeriods.erase(id) == 1;
        };
        Fds.register_fd = [](const clap_host_t* h, int fd, uint32_t flags) {
            Of(h)->Watched[fd] = flags;
            return true;
        };
        Fds.modify_fd = [](const clap_host_t*, int, uint32_t) { return true; };
        Fds.unregister_fd = [](const clap_host_t* h, int fd) {
            return Of(h)->Watched.erase(fd) == 1;
        };
    }
    static SHost* Of(const clap_host_t* h) { return static_cast<SHost*>(h->host_data); }
    clap_host_t Record{};
    clap_host_params_t Params{};
    clap_host_timer_support_t Timers{};
    clap_host_posix_fd_support_t Fds{};
    bool Loop = true; // offers timers and descriptors
    int Flushes = 0;
    clap_id NextTimer = 1;
    std::map<clap_id, uint32_t> TimerPeriods;
    std::map<int, uint32_t> Watched;
};

// Events in and out, as a host keeps them.
struct SEvents {
    std::vector<clap_event_param_value_t> In;
    std::vector<std::vector<unsigned char>> Out;
    clap_input_events_t InList{
        this, [](const clap_input_events_t* l) { return static_cast<uint32_t>(Of(l)->In.size()); },
        [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
            return &Of(l)->In[i].header;
        }};
    clap_output_events_t OutList{
        this, [](const clap_output_events_t* l, const clap_event_header_t* e) {
            auto* b = reinterpret_cast<const unsigned char*>(e);
            static_cast<SEvents*>(l->ctx)->Out.emplace_back(b, b + e->size);
            return true;
        }};
    static SEvents* Of(const clap_input_events_t* l) { return static_cast<SEvents*>(l->ctx); }
    void Value(uint32_t time, clap_id id, double value) {
        clap_event_param_value_t e{};
        e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param_id = id;
        e.note_id = -1;
        e.port_index = e.channel = e.key = -1;
        e.value = value;
        In.push_back(e);
    }
    // "begin 11", "value 11", "end 11" for what went out.
    std::vector<std::string> Said() const {
        std::vector<std::string> said;
        for (const auto& b : Out) {
            const auto* h = reinterpret_cast<const clap_event_header_t*>(b.data());
            const clap_id id = reinterpret_cast<const clap_event_param_gesture_t*>(h)->param_id;
            const char* kind = h->type == CLAP_EVENT_PARAM_VALUE           ? "value "
                               : h->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? "begin "
                                                                           : "end ";
            said.push_back(kind + std::to_string(id));
        }
        return said;
    }
};

struct SInstance {
    explicit SInstance(SHost& host) {
        auto* factory =
            static_cast<const clap_plugin_factory_t*>(Entry()->get_factory(CLAP_PLUGIN_FACTORY_ID));
        Plugin = factory->create_plugin(factory, &host.Record, "com.brightmoor.kestrel");
        if (!Plugin || !Plugin->init(Plugin)) throw std::runtime_error("no instance");
        Params = static_cast<const clap_plugin_params_t*>(
            Plugin->get_extension(Plugin, CLAP_EXT_PARAMS));
        State =
            static_cast<const clap_plugin_state_t*>(Plugin->get_extension(Plugin, CLAP_EXT_STATE));
        Gui = static_cast<const clap_plugin_gui_t*>(Plugin->get_extension(Plugin, CLAP_EXT_GUI));
        Plugin->activate(Plugin, 44100, 1, 512);
        Plugin->start_processing(Plugin);
    }
    ~SInstance() {
        Plugin->stop_processing(Plugin);
        Plugin->deactivate(Plugin);
        Plugin->destroy(Plugin);
    }
    void Process(float* l, float* r, uint32_t n, SEvents* events = nullptr) {
        float* channels[2] = {l, r};
        clap_audio_buffer_t in{}, out{};
        in.data32 = out.data32 = channels;
        in.channel_count = out.channel_count = 2;
        SEvents none;
        SEvents& e = events ? *events : none;
        clap_process_t p{};
        p.steady_time = -1;
        p.frames_count = n;
        p.audio_inputs = &in;
        p.audio_outputs = &out;
        p.audio_inputs_count = p.audio_outputs_count = 1;
        p.in_events = &e.InList;
        p.out_events = &e.OutList;
        ASSERT_EQ(Plugin->process(Plugin, &p), CLAP_PROCESS_CONTINUE);
    }
    const clap_plugin_t* Plugin = nullptr;
    const clap_plugin_params_t* Params = nullptr;
    const clap_plugin_state_t* State = nullptr;
    const clap_plugin_gui_t* Gui = nullptr;
};

// Streams that move at most Piece bytes a call, as validators do.
struct SBytes {
    std::vector<unsigned char> Data;
    size_t At = 0;
    size_t Piece = 17;
    clap_ostream_t Out{this, [](const clap_ostream_t* s, const void* b, uint64_t n) -> int64_t {
                           auto* self = static_cast<SBytes*>(s->ctx);
                           const size_t k = std::min<size_t>(n, 23);
                           auto* p = static_cast<const unsigned char*>(b);
                           self->Data.insert(self->Data.end(), p, p + k);
                           return static_cast<int64_t>(k);
                       }};
    clap_istream_t In{
        this, [](const clap_istream_t* s, void* b, uint64_t n) -> int64_t {
            auto* self = static_cast<SBytes*>(s->ctx);
            const size_t k = std::min<size_t>({n, self->Piece, self->Data.size() - self->At});
            if (k > 0) std::memcpy(b, self->Data.data() + self->At, k);
            self->At += k;
            return static_cast<int64_t>(k);
        }};
};

} // namespace

TEST(Clap, TheDescriptorPortsAndParameters) {
    ASSERT_NE(Entry(), nullptr);
    EXPECT_EQ(Entry()->clap_version.major, 1u);
    auto* factory =
        static_cast<const clap_plugin_factory_t*>(Entry()->get_factory(CLAP_PLUGIN_FACTORY_ID));
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(Entry()->get_factory("clap.nothing"), nullptr);
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
    EXPECT_STREQ(d->id, "com.brightmoor.kestrel");
    EXPECT_STREQ(d->name, "BM Kestrel");
    EXPECT_STREQ(d->vendor, "Brightmoor");
    EXPECT_STREQ(d->version, KESTREL_VERSION) << "the project's version";
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f; f++)
        features.push_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "reverb", "stereo"}));
    SHost host;
    EXPECT_EQ(factory->create_plugin(factory, &host.Record, "com.other"), nullptr);
    SInstance p(host);
    auto* ports = static_cast<const clap_plugin_audio_ports_t*>(
        p.Plugin->get_extension(p.Plugin, CLAP_EXT_AUDIO_PORTS));
    ASSERT_EQ(ports->count(p.Plugin, true), 1u);
    clap_audio_port_info_t port{};
    ASSERT_TRUE(ports->get(p.Plugin, 0, false, &port));
    EXPECT_EQ(port.channel_count, 2u);
    EXPECT_STREQ(port.port_type, "stereo");
    EXPECT_EQ(port.flags, CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS);
    EXPECT_EQ(port.in_place_pair, 0u);
    ASSERT_EQ(p.Params->count(p.Plugin), 14u);
    clap_param_info_t info{};
    ASSERT_TRUE(p.Params->get_info(p.Plugin, 8, &info));
    EXPECT_STREQ(info.name, "Room Width");
    EXPECT_EQ(info.id, 8u);
    EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
    EXPECT_EQ(info.max_value, 1.0);
    EXPECT_FALSE(p.Params->get_info(p.Plugin, 14, &info));
    char text[64];
    for (clap_id id = 0; id < 14; id++)
        for (double v = 0; v <= 1.0; v += 0.0625) {
            ASSERT_TRUE(p.Params->value_to_text(p.Plugin, id, v, text, sizeof text));
            double back = -1;
            ASSERT_TRUE(p.Params->text_to_value(p.Plugin, id, text, &back)) << text;
            char again[64];
            p.Params->value_to_text(p.Plugin, id, back, again, sizeof again);
            ASSERT_STREQ(again, text) << "parameter " << id;
        }
    p.Params->value_to_text(p.Plugin, 12, 1.0, text, sizeof text);
    EXPECT_STREQ(text, "11025Hz");
}

TEST(Clap, SamplesAreTheVst2BuildsWithAndWithoutValueEvents) {
    const std::vector<float> input = Noise(512 * 6, 7);
    SHost host;
    {
        SInstance p(host);
        std::vector<float> got(input), r(input);
        for (int b = 0; b < 6; b++)
            p.Process(got.data() + 512 * b, r.data() + 512 * b, 512);
        EXPECT_TRUE(got == Vst2Pieces(std::vector<SPiece>(6, SPiece{512, {}}), input));
    }
    SInstance p(host);
    SEvents events;
    for (const SPointCase& c : BlockPoints())
        events.Value(static_cast<uint32_t>(c.Offset), static_cast<clap_id>(c.Index), c.Value);
    std::vector<float> got(input.begin(), input.begin() + 1024), r(got);
    p.Process(got.data(), r.data(), 512);
    p.Process(got.data() + 512, r.data() + 512, 512, &events);
    EXPECT_TRUE(got == Vst2Pieces(BlockPieces(), input));
}

TEST(Clap, StateRoundTripsInPiecesAndBadStateChangesNothing) {
    SHost host;
    SInstance a(host), b(host);
    SEvents events;
    events.Value(0, 8, 0.75);
    events.Value(0, 11, 0.25);
    a.Params->flush(a.Plugin, &events.InList, &events.OutList); // while not processing
    SBytes saved;
    ASSERT_TRUE(a.State->save(a.Plugin, &saved.Out));
    ASSERT_EQ(saved.Data.size(), 8u + 8 * 14);
    ASSERT_TRUE(b.State->load(b.Plugin, &saved.In));
    double value = 0;
    b.Params->get_value(b.Plugin, 8, &value);
    EXPECT_EQ(value, 0.75);
    SBytes again;
    b.State->save(b.Plugin, &again.Out);
    EXPECT_TRUE(again.Data == saved.Data);
    for (size_t cut : {size_t{0}, size_t{7}, saved.Data.size() - 1}) {
        SBytes bad;
        bad.Data.assign(saved.Data.begin(), saved.Data.begin() + static_cast<long>(cut));
        EXPECT_FALSE(b.State->load(b.Plugin, &bad.In)) << cut << " bytes";
    }
    SBytes foreign;
    foreign.Data.assign(saved.Data.size(), 0x41);
    EXPECT_FALSE(b.State->load(b.Plugin, &foreign.In));
    b.Params->get_value(b.Plugin, 11, &value);
    EXPECT_EQ(value, 0.25) << "nothing changed";
}

TEST(Clap, WithoutTimersAndDescriptorsThereIsNoEditor) {
    SHost host;
    host.Loop = false;
    SInstance p(host);
    EXPECT_FALSE(p.Gui->is_api_supported(p.Plugin, "x11", false));
    EXPECT_FALSE(p.Gui->create(p.Plugin, "x11", false));
}

TEST(Clap, TheEditorIsServedByTheHostsTimersAndADragIsAGesture) {
    Display* x = XOpenDisplay(nullptr);
    if (!x) GTEST_SKIP() << "no X display (scripts/test runs these under xvfb-run)";
    const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 430, 200, 0, 0, 0);
    XMapWindow(x, window);
    XSync(x, False);
    SHost host;
    std::vector<uint32_t> screen;
    {
        SInstance p(host);
        ASSERT_TRUE(p.Gui->is_api_supported(p.Plugin, "x11", false));
        EXPECT_FALSE(p.Gui->is_api_supported(p.Plugin, "x11", true));
        ASSERT_TRUE(p.Gui->create(p.Plugin, "x11", false));
        p.Gui->set_scale(p.Plugin, 1.0);
        uint32_t w = 0, h = 0;
        p.Gui->get_size(p.Plugin, &w, &h);
        EXPECT_EQ(w, 430u);
        EXPECT_EQ(h, 200u);
        clap_window_t parent{};
        parent.api = "x11";
        parent.x11 = window;
        ASSERT_TRUE(p.Gui->set_parent(p.Plugin, &parent));
        p.Gui->show(p.Plugin);
        EXPECT_EQ(host.TimerPeriods.size(), 1u);
        ASSERT_EQ(host.Watched.size(), 1u);
        EXPECT_EQ(host.Watched.begin()->second, CLAP_POSIX_FD_READ);
        auto* timers = static_cast<const clap_plugin_timer_support_t*>(
            p.Plugin->get_extension(p.Plugin, CLAP_EXT_TIMER_SUPPORT));
        auto* fds = static_cast<const clap_plugin_posix_fd_support_t*>(
            p.Plugin->get_extension(p.Plugin, CLAP_EXT_POSIX_FD_SUPPORT));
        auto serve = [&](int rounds) {
            for (int r = 0; r < rounds; r++) {
                XSync(x, False);
                for (auto [fd, flags] : std::map<int, uint32_t>(host.Watched)) {
                    pollfd pf{fd, POLLIN, 0};
                    if (poll(&pf, 1, 0) > 0) fds->on_fd(p.Plugin, fd, CLAP_POSIX_FD_READ);
                }
                for (auto [id, ms] : std::map<clap_id, uint32_t>(host.TimerPeriods))
                    timers->on_timer(p.Plugin, id);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            XSync(x, False);
        };
        serve(6);
        screen = ScreenPixels(x, window, 430, 200);
        DragUp(x, 264 + 16, 158 + 19, 4, 6, serve); // the Feedback knob
        EXPECT_GT(host.Flushes, 0) << "the plug-in asked for a flush";
        SEvents flushed;
        p.Params->flush(p.Plugin, &flushed.InList, &flushed.OutList);
        const std::vector<std::string> said = flushed.Said();
        ASSERT_GE(said.size(), 3u);
        EXPECT_EQ(said.front(), "begin 11");
        EXPECT_EQ(said[1], "value 11");
        EXPECT_EQ(said.back(), "end 11");
        double feedback = 0;
        p.Params->get_value(p.Plugin, 11, &feedback);
        EXPECT_GT(feedback, 0.5);
        p.Gui->destroy(p.Plugin);
        EXPECT_TRUE(host.TimerPeriods.empty() && host.Watched.empty())
            << "everything registered is unregistered";
    }
    XDestroyWindow(x, window);
    XCloseDisplay(x);
    // What the screen showed is what a headless editor of the same values draws.
    EXPECT_EQ(DifferingFromHeadless(screen, 44100), 0);
}
