// kestrel-render end to end: files in, files out, and its answers to mistakes.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct SResult {
    int Status;
    std::string Output; // stdout and stderr together
};

SResult RunRender(const std::string& arguments) {
    const std::string command = std::string(KESTREL_RENDER) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
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

void WriteMonoImpulse(const std::string& path, int frames) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    std::vector<float> data(frames, 0.0f);
    data[0] = 1.0f;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
}

} // namespace

TEST(Render, AShortFileThroughThePlugin) {
    const std::string in = Temp("click.wav"), out = Temp("click-wet.flac");
    WriteMonoImpulse(in, 22050);
    const SResult r = RunRender("--quiet --tail 0.5 " + in + " " + out);
    ASSERT_EQ(r.Status, 0) << r.Output;
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
    const SResult r = RunRender("--demo --dry " + dry + " --ir " + plot + " " + wet);
    ASSERT_EQ(r.Status, 0) << r.Output;
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
    const SResult r = RunRender("--list-params --param 'Room Width=1' --param 9=0.5");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("\"Room Wi\"  1.000000  30m"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("20m"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("11025Hz"), std::string::npos);
}

TEST(Render, MistakesGetOneClearLineAndAFailingStatus) {
    struct {
        std::string Arguments;
        int Status;
        std::string Says;
    } cases[] = {
        {"/nonexistent/in.wav " + Temp("x.wav"), 1, "cannot read '/nonexistent/in.wav'"},
        {"--param 'Loudness=0.5' --list-params", 1, "unknown parameter 'Loudness'"},
        {"--param 'Src Left X=0.5' --list-params", 1, "ambiguous"},
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
    };
    for (const auto& c : cases) {
        const SResult r = RunRender(c.Arguments);
        EXPECT_EQ(r.Status, c.Status) << c.Arguments << "\n" << r.Output;
        EXPECT_NE(r.Output.find(c.Says), std::string::npos) << c.Arguments << "\n" << r.Output;
    }
    // A shared object that is no plug-in: the compression library.
    const SResult notPlugin = RunRender("--plugin libz.so.1 --list-params");
    EXPECT_EQ(notPlugin.Status, 1);
    EXPECT_NE(notPlugin.Output.find("is not a VST 2.4 plug-in"), std::string::npos)
        << notPlugin.Output;
}

// The peers comparison reads the last "N x real time" of this line, for us and for others.
TEST(Render, BenchmarkTimesFivePassesAndNamesTheAutomation) {
    const SResult r = RunRender("--bench 1 --block 256 --automate 'Room Width'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("bench: 1 s of audio, 5 passes, median "), std::string::npos)
        << r.Output;
    const size_t x = r.Output.find("x real time, automating Room Width every block");
    ASSERT_NE(x, std::string::npos) << r.Output;
    const size_t colon = r.Output.rfind(": ", x);
    EXPECT_GT(std::atoi(r.Output.c_str() + colon + 2), 0) << r.Output;
}
