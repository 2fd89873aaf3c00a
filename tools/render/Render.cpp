// kestrel-render: renders audio files through a VST 2.4 plug-in (by default the
// BM Kestrel built next to it), loaded and driven as a host drives it.
#include "AudioFile.h"
#include "DemoSignal.h"
#include "EditorPicture.h"
#include "Plot.h"
#include "VstHost.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    "usage: kestrel-render [options] [INPUT] [OUTPUT]\n"
    "  renders INPUT (any file libsndfile reads; mono feeds both inputs) through a VST 2.4\n"
    "  plug-in into OUTPUT (.wav, .flac, .aif, .aiff or .ogg: the extension chooses), in\n"
    "  INPUT's sample format where OUTPUT holds it, else 24-bit; PCM clips, never wraps\n"
    "options:\n"
    "  --plugin PATH       the plug-in (default: BMKestrel.so beside this program, or the\n"
    "                      installed ../lib/vst/BMKestrel.so)\n"
    "  --param NAME=VALUE  set a parameter by name or index to a value from 0 to 1 (repeatable)\n"
    "  --list-params       print the parameters with their values and display texts\n"
    "  --rate HZ           sample rate without an input file (default 44100)\n"
    "  --block N           frames per process call (default 512)\n"
    "  --tail SECONDS      silence rendered after the input (default: until the tail is\n"
    "                      below -90 dB, at most 30 s)\n"
    "  --demo              render a built-in dry signal instead of INPUT (then OUTPUT only)\n"
    "  --dry FILE          with --demo, also write the dry signal\n"
    "  --ir PNG            measure the impulse response and plot it\n"
    "  --editor PNG        open the plug-in's editor in an X11 window and save a picture\n"
    "  --bench SECONDS     time SECONDS of stereo noise through the plug-in, five times, nothing "
    "written\n"
    "  --automate NAME     with --bench: move this parameter at every block\n"
    "  --float             write 32-bit float samples (.wav, .aiff), which cannot clip\n"
    "  --quiet             no progress bar and no summary\n";

struct SOptions {
    std::string Plugin, Input, Output, Dry, Ir, Editor, Automate;
    double Bench = 0;
    std::vector<std::string> Params;
    bool List = false, Demo = false, Quiet = false, Float = false;
    int Rate = 0, Block = 512;
    double Tail = -1;
};

struct SUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string DefaultPlugin() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "BMKestrel.so";
    self[n] = 0;
    std::string dir(self);
    dir = dir.substr(0, dir.find_last_of('/'));
    // build/tools/render/kestrel-render or build/kestrel-render: the .so sits in build/;
    // installed as /usr/bin/kestrel-render (the package), it is /usr/lib/vst's.
    for (const std::string& candidate : {dir + "/BMKestrel.so", dir + "/../../BMKestrel.so",
                                         dir + "/../lib/vst/BMKestrel.so"})
        if (access(candidate.c_str(), R_OK) == 0) return candidate;
    return dir + "/BMKestrel.so";
}

double Number(const std::string& text, const char* what) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !std::isfinite(v))
        throw SUsageError(std::string("bad ") + what + " '" + text + "'");
    return v;
}

SOptions Parse(int argc, char** argv) {
    SOptions o;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) throw SUsageError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else if (a == "--plugin") {
            o.Plugin = next();
        } else if (a == "--param") {
            o.Params.push_back(next());
        } else if (a == "--list-params") {
            o.List = true;
        } else if (a == "--rate") {
            const double r = Number(next(), "sample rate");
            if (r < MinimumRate || r > MaximumRate || r != std::floor(r))
                throw SUsageError("bad sample rate: a whole number of Hz from 1000 to 768000");
            o.Rate = static_cast<int>(r);
        } else if (a == "--block") {
            const double b = Number(next(), "block size");
            if (b < 1 || b > 65536 || b != std::floor(b))
                throw SUsageError("bad block size: a whole number from 1 to 65536");
            o.Block = static_cast<int>(b);
        } else if (a == "--tail") {
            o.Tail = Number(next(), "tail length");
            if (o.Tail < 0 || o.Tail > 600) throw SUsageError("bad tail length: 0 to 600 seconds");
        } else if (a == "--demo") {
            o.Demo = true;
        } else if (a == "--dry") {
            o.Dry = next();
        } else if (a == "--ir") {
            o.Ir = next();
        } else if (a == "--editor") {
            o.Editor = next();
        } else if (a == "--bench") {
            o.Bench = Number(next(), "benchmark length");
            if (o.Bench <= 0 || o.Bench > 3600)
                throw SUsageError("bad benchmark length: 0 to 3600 seconds");
        } else if (a == "--automate") {
            o.Automate = next();
        } else if (a == "--quiet") {
            o.Quiet = true;
        } else if (a == "--float") {
            o.Float = true;
        } else if (a.size() > 1 && a[0] == '-') {
            throw SUsageError("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (o.Demo) {
        if (positional.size() != 1) throw SUsageError("--demo takes one OUTPUT file");
        o.Output = positional[0];
    } else {
        if (positional.size() > 2) throw SUsageError("too many files");
        if (!positional.empty()) o.Input = positional[0];
        if (positional.size() == 2) o.Output = positional[1];
        if (!o.Input.empty() && o.Output.empty())
            throw SUsageError("no OUTPUT file for " + o.Input);
    }
    if (!o.Dry.empty() && !o.Demo) throw SUsageError("--dry goes with --demo");
    if (!o.Ir.empty() && o.Tail == 0) throw SUsageError("--ir with --tail 0 has nothing to plot");
    // Before anything is rendered: a name that cannot be written is a mistake in the line.
    for (const std::string* file : {&o.Output, &o.Dry})
        if (!file->empty()) try {
                OutputFormat(*file);
            } catch (const std::runtime_error& e) {
                throw SUsageError(e.what());
            }
    if (!o.Input.empty() && SameFile(o.Input, o.Output))
        throw SUsageError("'" + o.Output + "' is the input too: give another OUTPUT");
    if (!o.Automate.empty() && o.Bench <= 0) throw SUsageError("--automate goes with --bench");
    if (o.Input.empty() && !o.Demo && o.Ir.empty() && !o.List && o.Editor.empty() && o.Bench <= 0)
        throw SUsageError(
            "nothing to do: give INPUT and OUTPUT, --demo, --ir, --editor or --list-params");
    if (o.Plugin.empty()) o.Plugin = DefaultPlugin();
    return o;
}

void ApplyParams(CVstHost& host, const std::vector<std::string>& params) {
    for (const std::string& p : params) {
        const size_t eq = p.find('=');
        if (eq == std::string::npos) throw SUsageError("--param wants NAME=VALUE, got '" + p + "'");
        const std::string name = p.substr(0, eq), text = p.substr(eq + 1);
        const int index = host.FindParameter(name);
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (text.empty() || *end || !(v >= 0 && v <= 1))
            throw SUsageError("bad value '" + text + "' for parameter '" + name +
                              "': a number from 0 to 1");
        host.SetParameter(index, static_cast<float>(v));
    }
}

class CProgress {
public:
    CProgress(bool show, double seconds) : Show(show && isatty(2) && seconds > 5), Last(-1) {}
    void Update(double fraction) {
        if (!Show) return;
        const int percent = static_cast<int>(fraction * 100);
        if (percent == Last) return;
        Last = percent;
        const int filled = percent * 40 / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled,
                     "########################################", 40 - filled, "", percent);
        std::fflush(stderr);
    }
    ~CProgress() {
        if (Show && Last >= 0) std::fputs("\r\033[K", stderr);
    }

private:
    bool Show;
    int Last;
};

// Input, then silence until the tail has fallen below -90 dB (or for `tail` seconds).
SStereo Render(CVstHost& host, const SStereo& dry, double tail, bool quiet, double* tailSeconds) {
    const int rate = dry.SampleRate;
    const float threshold = 3.1622776e-5f; // -90 dBFS
    const size_t chunk = 4096;
    const size_t cap = static_cast<size_t>((tail >= 0 ? tail : 30.0) * rate);
    SStereo wet;
    wet.SampleRate = rate;
    wet.Subtype = dry.Subtype;
    wet.Left.resize(dry.Frames());
    wet.Right.resize(dry.Frames());
    CProgress progress(!quiet, dry.Frames() / double(rate));
    for (size_t at = 0; at < dry.Frames(); at += chunk) {
        const int n = static_cast<int>(std::min(chunk, dry.Frames() - at));
        host.Process(&dry.Left[at], &dry.Right[at], &wet.Left[at], &wet.Right[at], n);
        progress.Update(double(at + n) / dry.Frames());
    }
    size_t lastLoud = 0, quietRun = 0;
    std::vector<float> silence(chunk, 0.0f), l(chunk), r(chunk);
    for (size_t done = 0; done < cap;) {
        const int n = static_cast<int>(std::min(chunk, cap - done));
        host.Process(silence.data(), silence.data(), l.data(), r.data(), n);
        bool loud = false;
        for (int i = 0; i < n; i++)
            if (std::fabs(l[i]) >= threshold || std::fabs(r[i]) >= threshold) {
                loud = true;
                lastLoud = done + i + 1;
            }
        wet.Left.insert(wet.Left.end(), l.begin(), l.begin() + n);
        wet.Right.insert(wet.Right.end(), r.begin(), r.begin() + n);
        done += n;
        quietRun = loud ? 0 : quietRun + n;
        // By default stop after half a second below -90 dB.
        if (tail < 0 && quietRun >= static_cast<size_t>(rate / 2)) break;
    }
    if (tail < 0) {
        wet.Left.resize(dry.Frames() + lastLoud);
        wet.Right.resize(dry.Frames() + lastLoud);
    }
    *tailSeconds = lastLoud / double(rate);
    return wet;
}

double PeakDb(const SStereo& s) {
    float peak = 0;
    for (size_t i = 0; i < s.Frames(); i++)
        peak = std::max({peak, std::fabs(s.Left[i]), std::fabs(s.Right[i])});
    return peak > 0 ? 20 * std::log10(peak) : -INFINITY;
}

// Stereo noise through the plug-in in blocks, timed: processing only.
void Benchmark(CVstHost& host, const SOptions& o, int rate) {
    const size_t frames = static_cast<size_t>(o.Bench * rate);
    std::vector<float> left(frames), right(frames), outL(frames), outR(frames);
    uint32_t state = 1;
    for (size_t i = 0; i < frames; i++) {
        state = state * 1664525u + 1013904223u;
        left[i] = static_cast<float>((state >> 8) & 0xFFFF) / 65536.0f - 0.5f;
        state = state * 1664525u + 1013904223u;
        right[i] = static_cast<float>((state >> 8) & 0xFFFF) / 65536.0f - 0.5f;
    }
    const int automated = o.Automate.empty() ? -1 : host.FindParameter(o.Automate);
    // A shared machine stalls a pass now and then: the fastest of several is the cost of
    // the code, the median shows how much the machine got in the way.
    const int passes = 5;
    std::vector<double> seconds;
    size_t blocks = 0;
    for (int pass = 0; pass < passes; pass++) {
        const auto start = std::chrono::steady_clock::now();
        for (size_t at = 0; at < frames; at += static_cast<size_t>(o.Block), blocks++) {
            const int n = static_cast<int>(std::min<size_t>(o.Block, frames - at));
            if (automated >= 0) host.SetParameter(automated, (blocks % 2) ? 0.3f : 0.7f);
            host.Process(&left[at], &right[at], &outL[at], &outR[at], n);
        }
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    auto factor = [&](double s) { return s > 0 ? o.Bench / s : 0.0; };
    std::printf("bench: %.0f s of audio, %d passes, median %.0fx, fastest %.3f s: %.0fx real "
                "time%s\n",
                o.Bench, passes, factor(seconds[passes / 2]), seconds[0], factor(seconds[0]),
                automated >= 0 ? (", automating " + o.Automate + " every block").c_str() : "");
}

int Run(const SOptions& o) {
    SStereo dry;
    if (!o.Input.empty()) {
        dry = ReadAudio(o.Input);
        if (o.Rate && o.Rate != dry.SampleRate)
            throw SUsageError("'" + o.Input + "' is " + std::to_string(dry.SampleRate) +
                              " Hz; --rate does not resample");
    } else {
        dry.SampleRate = o.Rate ? o.Rate : 44100;
        if (o.Demo) dry = DemoSignal(dry.SampleRate);
    }
    auto host = std::make_unique<CVstHost>(o.Plugin, dry.SampleRate, o.Block);
    ApplyParams(*host, o.Params);
    if (o.List) {
        for (const SParameterInfo& p : host->Parameters())
            std::printf("%3d  %-14s %.6f  %s\n", p.Index, ("\"" + p.FullName + "\"").c_str(),
                        p.Value, p.Display.c_str());
    }
    if (!o.Ir.empty()) {
        // The response to one full-scale sample in both inputs, on a fresh instance.
        CVstHost measuring(o.Plugin, dry.SampleRate, o.Block);
        ApplyParams(measuring, o.Params);
        SStereo pulse;
        pulse.SampleRate = dry.SampleRate;
        pulse.Left.assign(1, 1.0f);
        pulse.Right.assign(1, 1.0f);
        double tail = 0;
        SStereo response = Render(measuring, pulse, o.Tail, true, &tail);
        PlotImpulseResponse(o.Ir, response, 75.0);
        if (!o.Quiet) std::printf("impulse response: %s\n", o.Ir.c_str());
    }
    if (o.Bench > 0) Benchmark(*host, o, dry.SampleRate);
    if (!o.Editor.empty()) {
        WriteEditorPicture(*host, o.Editor);
        if (!o.Quiet) std::printf("editor: %s\n", o.Editor.c_str());
    }
    if (o.Output.empty()) return 0;
    if (!o.Dry.empty()) WriteAudio(o.Dry, dry, o.Float);
    const auto start = std::chrono::steady_clock::now();
    double tail = 0;
    const SStereo wet = Render(*host, dry, o.Tail, o.Quiet, &tail);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const SWritten written = WriteAudio(o.Output, wet, o.Float);
    if (written.Clipped > 0)
        std::fprintf(stderr,
                     "kestrel-render: warning: %zu samples beyond full scale were clipped (peak "
                     "%+.1f dBFS); lower the Gain or write --float\n",
                     written.Clipped, written.PeakDb);
    if (!o.Quiet) {
        const double audio = wet.Frames() / double(wet.SampleRate);
        std::printf("%s: %.1f s at %d Hz, peak %.1f dBFS, tail %.2f s to -90 dB, "
                    "rendered %.0fx faster than real time\n",
                    o.Output.c_str(), audio, wet.SampleRate, PeakDb(wet), tail,
                    seconds > 0 ? audio / seconds : 0.0);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Past a file-size limit, a write then fails (and the old file is kept) instead of
    // the signal ending the program with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return Run(Parse(argc, argv));
    } catch (const SUsageError& e) {
        std::fprintf(stderr, "kestrel-render: %s (see --help)\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrel-render: %s\n", e.what());
        return 1;
    }
}
