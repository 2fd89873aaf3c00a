// What the Windows test hosts share: their checks, the fixed input the Linux reference
// was made from, and the comparison with that reference.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline int Failures = 0, Passes = 0;

inline void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    (ok ? Passes : Failures)++;
}

// The input of build/windows-reference/linux-output.raw.
inline std::vector<float> Input(int frames) {
    std::vector<float> x(frames);
    uint32_t state = 12345;
    for (float& v : x) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>((state >> 8) & 0xFFFF) / 32768.0f - 1.0f;
    }
    return x;
}

inline std::vector<char> ReadFile(const std::string& path) {
    std::vector<char> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            data.insert(data.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return data;
}

// The left output of Input through a format, against the Linux VST 2 build's.
inline void CheckAgainstLinux(const std::vector<float>& output, const std::string& folder,
                              const char* format) {
    const std::vector<char> reference = ReadFile(folder + "/linux-output.raw");
    if (reference.size() != output.size() * sizeof(float)) {
        Check(false, "the Linux reference output is there");
        return;
    }
    const float* expected = reinterpret_cast<const float*>(reference.data());
    double worst = 0, peak = 0;
    int differing = 0;
    for (size_t i = 0; i < output.size(); i++) {
        worst = std::fmax(worst, std::fabs(double(output[i]) - expected[i]));
        peak = std::fmax(peak, std::fabs(double(expected[i])));
        differing += output[i] != expected[i];
    }
    std::printf("%s output against Linux: %d of %zu samples differ, largest difference %.3g "
                "(peak %.3g)\n",
                format, differing, output.size(), worst, peak);
    Check(worst <= 1e-6 * peak, "output within 1e-6 of the Linux build's, relative to peak");
}
