#include "DemoSignal.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Deterministic noise for the snare and hats.
struct SNoise {
    uint32_t State = 0x12345678u;
    float Next() {
        State = State * 1664525u + 1013904223u;
        return (State >> 8) / 8388608.0f - 1.0f;
    }
};

void Add(SStereo& s, size_t at, const std::vector<float>& mono, float pan, float gain) {
    const float l = gain * std::cos(pan * static_cast<float>(M_PI) / 2);
    const float r = gain * std::sin(pan * static_cast<float>(M_PI) / 2);
    for (size_t i = 0; i < mono.size() && at + i < s.Frames(); i++) {
        s.Left[at + i] += mono[i] * l;
        s.Right[at + i] += mono[i] * r;
    }
}

std::vector<float> Kick(int rate) {
    std::vector<float> out(rate / 3);
    double phase = 0;
    for (size_t i = 0; i < out.size(); i++) {
        const double t = double(i) / rate;
        phase += 2 * M_PI * (45 + 110 * std::exp(-t * 30)) / rate;
        out[i] = static_cast<float>(std::sin(phase) * std::exp(-t * 9));
    }
    return out;
}

std::vector<float> Snare(int rate, SNoise& noise) {
    std::vector<float> out(rate / 4);
    for (size_t i = 0; i < out.size(); i++) {
        const double t = double(i) / rate;
        out[i] = static_cast<float>(0.6 * noise.Next() * std::exp(-t * 22) +
                                    0.5 * std::sin(2 * M_PI * 190 * t) * std::exp(-t * 30));
    }
    return out;
}

std::vector<float> Hat(int rate, SNoise& noise) {
    std::vector<float> out(rate / 20);
    float previous = 0;
    for (size_t i = 0; i < out.size(); i++) {
        const float n = noise.Next();
        out[i] = (n - previous) * 0.5f * std::exp(-float(i) / rate * 90);
        previous = n;
    }
    return out;
}

// Karplus-Strong: a noise burst circulating in a damped delay line.
std::vector<float> Pluck(int rate, double frequency, SNoise& noise) {
    const size_t period = static_cast<size_t>(rate / frequency);
    std::vector<float> line(period > 1 ? period : 2);
    for (float& v : line)
        v = noise.Next();
    std::vector<float> out(rate);
    for (size_t i = 0; i < out.size(); i++) {
        const size_t k = i % line.size();
        const float next = line[(k + 1) % line.size()];
        out[i] = line[k];
        line[k] = 0.996f * 0.5f * (line[k] + next);
    }
    return out;
}

} // namespace

SStereo DemoSignal(int rate) {
    SStereo s;
    s.SampleRate = rate;
    s.Left.assign(static_cast<size_t>(rate) * 5, 0.0f);
    s.Right.assign(s.Left.size(), 0.0f);
    SNoise noise;
    const auto kick = Kick(rate);
    const auto hat = Hat(rate, noise);
    const size_t beat = static_cast<size_t>(rate * 0.5); // 120 BPM
    for (int b = 0; b < 4; b++) {
        Add(s, b * beat, kick, 0.5f, 0.8f);
        Add(s, b * beat + beat / 2, hat, 0.7f, 0.5f);
        if (b % 2) Add(s, b * beat, Snare(rate, noise), 0.45f, 0.6f);
    }
    // A phrase in A minor, plucked, moving from left to right.
    const double notes[] = {220.0, 261.63, 329.63, 392.0, 329.63, 440.0};
    for (int n = 0; n < 6; n++)
        Add(s, 2 * beat * 2 + n * beat / 2, Pluck(rate, notes[n], noise), 0.2f + 0.12f * n, 0.35f);
    // A single-sample click near the end shows the room's impulse response plainly.
    const size_t click = static_cast<size_t>(rate * 4.5);
    s.Left[click] += 0.9f;
    s.Right[click] += 0.9f;
    return s;
}
