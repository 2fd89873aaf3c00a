// The early responses without a walk per tap must equal the walk to the last bit.
#include "reverb/EarlyTaps.h"
#include "reverb/ImageSource.h"
#include "reverb/ImageSourcePool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int Rooms = 300; // the same comparison, fewer rooms where everything runs slower
#else
constexpr int Rooms = 2000;
#endif

// The reference: one Converge per tap, windows accumulated as the machine accumulates them.
std::vector<double> Walk(const CImageSource& tree, const SPos& listener, int n) {
    std::vector<double> response(n);
    const double dt = 0.075 / n;
    double t0 = 0.0;
    for (int k = 0; k < n; k++) {
        const double t1 = t0 + dt;
        response[k] = tree.Converge(0, &listener, t0, t1);
        t0 = t1;
    }
    return response;
}

} // namespace

TEST(EarlyTaps, BitIdenticalToTheWalkInRandomRooms) {
    const unsigned seed = static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFFFF);
    std::printf("EarlyTaps seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int rates[] = {8014, 11025, 22050, 44100, 48000, 96000};
    std::vector<int> taps;
    std::vector<double> values;
    CEarlyTaps early;
    CImageSourcePool pool;
    early.Reserve(CImageSourcePool::Capacity);
    int checked = 0, nonZero = 0;
    for (int room = 0; room < Rooms; room++) {
        // Values drawn as the machine maps its properties, corners and edges included.
        auto v = [&] { return unit(random) < 0.1 ? std::round(unit(random)) : unit(random); };
        const SSize size{20 * v() + 10, 20 * v() + 10};
        auto place = [&] {
            return SPos{size.width * (double(0.8f) * v() + double(0.1f)),
                        size.height * (double(0.8f) * v() + double(0.1f))};
        };
        const SPos source = place(), listener = place();
        const double reflection = -0.599 * v() + 0.6;
        const int rate = rates[room % 6];
        const int n = static_cast<int>(rate * 0.075);
        CImageSource tree(0, &size, &source, 1.0, reflection, 0.075);
        early.SetWindows(n, 0.075 / n);
        const std::vector<double> expected = Walk(tree, listener, n);
        // The same tree in a pool, as the machine builds it, must give the same taps.
        pool.Build(&size, &source, 1.0, reflection, 0.075);
        ASSERT_EQ(pool.Dropped(), 0);
        for (int flat = 0; flat < 2; flat++) {
            if (flat)
                early.Collect(pool, &listener, taps, values);
            else
                early.Collect(&tree, &listener, taps, values);
            std::vector<double> got(n, 0.0);
            for (size_t i = 0; i < taps.size(); i++) {
                ASSERT_GE(taps[i], 0);
                ASSERT_LT(taps[i], n);
                if (i) {
                    ASSERT_GT(taps[i], taps[i - 1]) << "ascending";
                }
                got[taps[i]] = values[i];
            }
            for (int k = 0; k < n; k++) {
                ASSERT_EQ(got[k], expected[k]) << "seed " << seed << " room " << room << " tap "
                                               << k << " of " << n << (flat ? ", pool" : "");
                nonZero += expected[k] != 0.0;
            }
        }
        checked++;
    }
    EXPECT_EQ(checked, Rooms);
    EXPECT_GT(nonZero, Rooms * 3) << "the rooms had reflections to compare";
}

TEST(EarlyTaps, NoWindowsNoTaps) {
    SSize size{10, 10};
    SPos source{2, 2}, listener{5, 5};
    CImageSource tree(0, &size, &source, 1.0, 0.5, 0.075);
    CEarlyTaps early;
    std::vector<int> taps{1};
    std::vector<double> values{1.0};
    early.SetWindows(0, 0.0);
    early.Collect(&tree, &listener, taps, values);
    EXPECT_TRUE(taps.empty());
    EXPECT_TRUE(values.empty());
}
