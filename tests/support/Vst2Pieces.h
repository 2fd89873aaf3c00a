// The VST 2 build over pieces of a block, with setParameter before each: what the
// formats with sample-accurate events must equal, bit for bit.
#pragma once

#include "support/PluginHost.h"

#include <random>
#include <utility>
#include <vector>

struct SPiece {
    int Frames;
    std::vector<std::pair<int, float>> Set; // parameter, value, before the piece
};

// Both channels get input; the left output comes back.
inline std::vector<float> Vst2Pieces(const std::vector<SPiece>& pieces,
                                     const std::vector<float>& input) {
    static CPluginHost host;
    host.BlockSize = 512;
    AEffect* e = host.Open();
    std::vector<float> all;
    size_t at = 0;
    for (const SPiece& p : pieces) {
        for (auto [index, value] : p.Set)
            e->setParameter(e, index, value);
        std::vector<float> l(input.begin() + at, input.begin() + at + p.Frames), r(l);
        float* in[2] = {l.data(), r.data()};
        e->processReplacing(e, in, in, p.Frames);
        all.insert(all.end(), l.begin(), l.end());
        at += static_cast<size_t>(p.Frames);
    }
    host.Close(e);
    return all;
}

inline std::vector<float> Noise(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    std::vector<float> x(n);
    for (float& v : x)
        v = u(random);
    return x;
}

// The points both formats' tests send in one 512-frame block after one of noise, and
// the pieces the VST 2 build processes for them: 110 merges into the run that starts at
// 100, 331 into the one at 300.
struct SPointCase {
    int Offset, Index;
    double Value;
};
inline const std::vector<SPointCase>& BlockPoints() {
    static const std::vector<SPointCase> points = {{0, 12, 0.25}, {100, 0, 0.5},    {110, 12, 0.75},
                                                   {200, 8, 0.5}, {300, 12, 0.125}, {331, 13, 0.5}};
    return points;
}
inline const std::vector<SPiece>& BlockPieces() {
    static const std::vector<SPiece> pieces = {{512, {}},
                                               {100, {{12, 0.25f}}},
                                               {100, {{0, 0.5f}, {12, 0.75f}}},
                                               {100, {{8, 0.5f}}},
                                               {212, {{12, 0.125f}, {13, 0.5f}}}};
    return pieces;
}
