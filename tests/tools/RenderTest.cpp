// kestrel-render end to end: files in, files out, and its answers to mistakes.
#include <gtest/gtest.h>
#include <sndfile.h>

#include "PixelFont.h"
#include "Plot.h"
#include "support/Shell.h"

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

SShellResult RunRender(const std::string& arguments) {
    return RunShell(std::string(KESTREL_RENDER) + " " + arguments);
}

std::string Temp(const std::string& name) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/kestrel-render-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return dir + "/" + name;
}

std::vector<float> ReadFrames(const std::string& path, SF_INFO* info) {
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, info);
    if (!file) return {};
    std::vector<float> data(static_cast<size_t>(info->frames * info->channels));
    sf_readf_float(file, data.data(), info->frames);
    sf_close(file);
    return data;
}

void WriteFile(const std::string& path, int format, int channels, int rate,
               const std::vector<float>& interleaved) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path;
    sf_writef_float(file, interleaved.data(),
                    static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(file);
}

void WriteMonoImpulse(const std::string& path, int frames) {
    std::vector<float> data(frames, 0.0f);
    data[0] = 1.0f;
    WriteFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, data);
}

// One second of a 220 Hz sine at -1 dBFS: hot enough that the reverb at full Gain
// goes far past full scale.
std::vector<float> HotSine() {
    std::vector<float> x(44100);
    for (size_t i = 0; i < x.size(); i++)
        x[i] = 0.891f * static_cast<float>(std::sin(2 * M_PI * 220 * i / 44100.0));
    return x;
}

} // namespace

TEST(Render, AShortFileThroughThePlugin) {
    const std::string in = Temp("click.wav"), out = Temp("click-wet.flac");
    WriteMonoImpulse(in, 22050);
    const SShellResult r = RunRender("--quiet --tail 0.5 " + in + " " + out);
    ASSERT_EQ(r.Exit, 0) << r.Output;
    SF_INFO info{};
    const std::vector<float> wet = ReadFrames(out, &info);
    ASSERT_EQ(info.channels, 2);
    EXPECT_EQ(info.frames, 22050 + 22050);
    EXPECT_EQ(info.samplerate, 44100);
    // The mono input feeds both sources; the left listener hears the left source first,
    // 644 samples later at 0.333, and nothing before.
    for (int i = 0; i < 644; i++)
        ASSERT_EQ(wet[2 * i], 0.0f) << i;
    EXPECT_NEAR(wet[2 * 644], 0.333f, 1e-6);
}

TEST(Render, TheDemoWritesDryWetAndAPlot) {
    const std::string dry = Temp("dry.wav"), wet = Temp("wet.wav"), plot = Temp("ir.png");
    const SShellResult r = RunRender("--demo --dry " + dry + " --ir " + plot + " " + wet);
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("faster than real time"), std::string::npos) << r.Output;
    SF_INFO d{}, w{};
    EXPECT_EQ(ReadFrames(dry, &d).size(), size_t(5 * 44100 * 2));
    EXPECT_GT(ReadFrames(wet, &w).size(), size_t(5 * 44100 * 2)) << "the tail follows the input";
    std::ifstream png(plot, std::ios::binary);
    char signature[8] = {};
    png.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST(Render, ListsParametersWithTheirTexts) {
    const SShellResult r = RunRender("--list-params --param 'Room Width=1' --param 9=0.5");
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("\"Room Width\"   1.000000  30m"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("20m"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("11025Hz"), std::string::npos);
}

TEST(Render, MistakesGetOneClearLineAndAFailingStatus) {
    const std::string six = Temp("six.wav"), slow = Temp("slow.wav");
    WriteFile(six, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 44100, std::vector<float>(600, 0.1f));
    WriteFile(slow, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 500, std::vector<float>(100, 0.1f));
    const size_t sixBytes = Slurp(six).size();
    struct {
        std::string Arguments;
        int Exit;
        std::string Says;
    } cases[] = {
        {"/nonexistent/in.wav " + Temp("x.wav"), 1, "cannot read '/nonexistent/in.wav'"},
        {"--param 'Loudness=0.5' --list-params", 1, "unknown parameter 'Loudness'"},
        {"--param 'Src Lef=0.5' --list-params", 1,
         "fits more than one: 0 (Src Left X), 1 (Src Left Y); use the index or the full name"},
        {"--param 'Gain=loud' --list-params", 2, "bad value 'loud' for parameter 'Gain'"},
        {"--param 'Gain=1.5' --list-params", 2, "bad value '1.5'"},
        {"--param 99=0.5 --list-params", 1, "no parameter 99"},
        {"--plugin /nonexistent.so --list-params", 1, "cannot load '/nonexistent.so'"},
        {"--block 0 --demo " + Temp("y.wav"), 2, "bad block size"},
        {"--frobnicate", 2, "unknown option --frobnicate"},
        {"--automate 'Room Width' --list-params", 2, "--automate goes with --bench"},
        {"--bench 99999", 2, "bad benchmark length"},
        {"--bench 1 --automate Loudness", 1, "unknown parameter 'Loudness'"},
        {"", 2, "nothing to do"},
        {"--demo", 2, "--demo takes one OUTPUT file"},
        {"--ir " + Temp("ir.png") + " --tail 0", 2, "--ir with --tail 0 has nothing to plot"},
        {"--demo " + Temp("out.mp3"), 2, "one of .wav, .flac, .aif, .aiff or .ogg"},
        {six + " " + Temp("six-out.wav"), 1, "has 6 channels"},
        {slow + " " + Temp("slow-out.wav"), 1, "a whole number of Hz from 1000 to 768000"},
        {six + " " + six, 2, "is the input too"},
    };
    for (const auto& c : cases) {
        const SShellResult r = RunRender(c.Arguments);
        EXPECT_EQ(r.Exit, c.Exit) << c.Arguments << "\n" << r.Output;
        EXPECT_NE(r.Output.find(c.Says), std::string::npos) << c.Arguments << "\n" << r.Output;
        EXPECT_EQ(std::count(r.Output.begin(), r.Output.end(), '\n'), 1) << r.Output;
    }
    EXPECT_EQ(Slurp(six).size(), sixBytes) << "the input given as output is left alone";
    // A shared object that is no plug-in: the compression library.
    const SShellResult notPlugin = RunRender("--plugin libz.so.1 --list-params");
    EXPECT_EQ(notPlugin.Exit, 1);
    EXPECT_NE(notPlugin.Output.find("is not a VST 2.4 plug-in"), std::string::npos)
        << notPlugin.Output;
}

// The peers comparison reads the last "N x real time" of this line, for us and for others.
TEST(Render, BenchmarkTimesFivePassesAndNamesTheAutomation) {
    const SShellResult r = RunRender("--bench 1 --block 256 --automate 'Room Width'");
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("bench: 1 s of audio, 5 passes, median "), std::string::npos)
        << r.Output;
    const size_t x = r.Output.find("x real time, automating Room Width every block");
    ASSERT_NE(x, std::string::npos) << r.Output;
    const size_t colon = r.Output.rfind(": ", x);
    EXPECT_GT(std::atoi(r.Output.c_str() + colon + 2), 0) << r.Output;
}

TEST(Render, HotMaterialClipsWithAWarningAndNeverWraps) {
    const std::string in = Temp("hot.wav"), out = Temp("hot-wet.wav"), flt = Temp("hot-f.WAV");
    WriteFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, HotSine());
    const SShellResult r = RunRender("--quiet --tail 0.2 --param Gain=1 " + in + " " + out);
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("samples beyond full scale were clipped (peak +"), std::string::npos)
        << r.Output;
    SF_INFO info{};
    const std::vector<float> wet = ReadFrames(out, &info);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "the input's own sample format";
    for (size_t i = 2; i < wet.size(); i++)
        ASSERT_FALSE(std::fabs(wet[i] - wet[i - 2]) > 1.5f) << "wrapped at " << i / 2;
    // Float output holds it all, in any case of extension.
    const SShellResult f = RunRender("--quiet --float --tail 0.2 --param Gain=1 " + in + " " + flt);
    ASSERT_EQ(f.Exit, 0) << f.Output;
    EXPECT_EQ(f.Output.find("clipped"), std::string::npos) << f.Output;
    SF_INFO fi{};
    const std::vector<float> loud = ReadFrames(flt, &fi);
    EXPECT_EQ(fi.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_GT(*std::max_element(loud.begin(), loud.end()), 1.5f);
}

TEST(Render, TheExtensionChoosesTheContainerAndShortFilesAreNamed) {
    const std::string in = Temp("short.wav"), out = Temp("short-wet.FLAC");
    WriteFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, std::vector<float>(1000, 0.1f));
    // Cut the file: its header still promises 1000 frames.
    const std::string whole = Slurp(in);
    std::ofstream(in, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 1000);
    const SShellResult r = RunRender("--quiet --tail 0 " + in + " " + out);
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_NE(r.Output.find("says it holds 1000 frames but holds 500"), std::string::npos)
        << r.Output;
    SF_INFO info{};
    ReadFrames(out, &info);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(info.frames, 500);
}

TEST(Render, AFailedWriteKeepsThePreviousFileAndLeavesNothingBehind) {
    const std::string in = Temp("long.wav");
    WriteFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, HotSine());
    char pattern[] = "/tmp/kestrel-full-XXXXXX";
    const std::string folder = mkdtemp(pattern), out = folder + "/wet.wav";
    std::ofstream(out) << "the take from yesterday";
    // Past 64 KiB every write fails, as on a full disk.
    const SShellResult r = RunShell("ulimit -f 64; exec " + std::string(KESTREL_RENDER) +
                                    " --quiet --tail 1 " + in + " " + out);
    EXPECT_EQ(r.Exit, 1) << r.Output;
    EXPECT_NE(r.Output.find("could not write all of '" + out + "'"), std::string::npos) << r.Output;
    EXPECT_EQ(Slurp(out), "the take from yesterday");
    int entries = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            entries += e->d_name[0] != '.' || std::strlen(e->d_name) > 2;
        closedir(d);
    }
    EXPECT_EQ(entries, 1) << "only the old file";
}

TEST(RenderPlot, TimeLabelsNeverRunIntoEachOther) {
    for (double span : {300.0, 450.0, 1000.0, 2600.0, 7500.0, 30000.0, 30075.0, 600000.0}) {
        const double step = PlotTickStep(span, 756);
        char last[32];
        std::snprintf(last, sizeof last, "%g", std::floor(span / step) * step);
        EXPECT_GE(step / span * 756, TextWidth5x7(last) + PlotLabelGap) << span;
        EXPECT_GE(span / step, 3) << "at least a few ticks for " << span;
    }
}
