// What the Windows builds are compared with (scripts/test runs them under Wine after
// this): the Linux build's output for a fixed input, and its headless editor picture.
#include "editor/KestrelGUI.h"
#include "editor/ModelEditor.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<float> Input(int frames) { // the same generator as the Windows host's
    std::vector<float> x(frames);
    uint32_t state = 12345;
    for (float& v : x) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>((state >> 8) & 0xFFFF) / 32768.0f - 1.0f;
    }
    return x;
}

void Write(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(data, 1, size, f), size);
    std::fclose(f);
}

} // namespace

TEST(WindowsReference, OutputAndEditorOfTheLinuxBuild) {
    const std::string folder = KESTREL_REFERENCE_DIR;
    mkdir(folder.c_str(), 0755);
    CPluginHost host;
    host.SampleRate = 44100;
    host.BlockSize = 256;
    AEffect* e = host.Open();
    const int frames = 20000;
    const std::vector<float> input = Input(frames);
    std::vector<float> output;
    for (int at = 0; at < frames; at += 256) {
        const int n = std::min(256, frames - at);
        std::vector<float> l(input.begin() + at, input.begin() + at + n), r = l, ol(n), orr(n);
        float* ins[2] = {l.data(), r.data()};
        float* outs[2] = {ol.data(), orr.data()};
        e->processReplacing(e, ins, outs, n);
        output.insert(output.end(), ol.begin(), ol.end());
    }
    host.Close(e);
    Write(folder + "/linux-output.raw", output.data(), output.size() * sizeof(float));

    SKestrelGraphics graphics{};
    LoadKestrelGraphics(&graphics);
    SetKestrelEditorFactory(CModelEditor::Create);
    CFakeHost fake;
    fake.SampleRate = 44100;
    fake.BlockSamples = 256;
    HWND parent = KestrelTesting::CreateHostWindow(430, 200);
    {
        CKestrel machine(&fake, &graphics);
        HWND editor = machine.CreateGUI(parent);
        KestrelTesting::Pump();
        const auto picture = KestrelTesting::ReadWindow(editor);
        std::vector<unsigned char> rgb;
        for (uint32_t c : picture.Pixels) {
            rgb.push_back(static_cast<unsigned char>(c));
            rgb.push_back(static_cast<unsigned char>(c >> 8));
            rgb.push_back(static_cast<unsigned char>(c >> 16));
        }
        ASSERT_EQ(rgb.size(), 430u * 200 * 3);
        Write(folder + "/linux-editor.raw", rgb.data(), rgb.size());
        machine.OnHideGUI();
    }
    DestroyWindow(parent);
    FreeKestrelGraphics(&graphics);
}
