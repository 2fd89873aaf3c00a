#include "reverb/ImageSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

int CountNodes(const CImageSource* node) {
    int n = 1;
    for (int i = 0; i < node->ChildCount; i++)
        n += CountNodes(node->Children[i]);
    return n;
}

void ForEachNode(const CImageSource* node, const std::function<void(const CImageSource*)>& f) {
    f(node);
    for (int i = 0; i < node->ChildCount; i++)
        ForEachNode(node->Children[i], f);
}

double DistanceToRoom(const CImageSource* n, const SSize& room) {
    const double dx = n->x < 0 ? -n->x : (n->x > room.width ? n->x - room.width : 0.0);
    const double dy = n->y < 0 ? -n->y : (n->y > room.height ? n->y - room.height : 0.0);
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

TEST(ImageSource, TreeSizesOfTheReferenceRooms) {
    SSize small{10, 10};
    SPos corner{2.6, 2.6};
    CImageSource a(0, &small, &corner, 1.0, 0.3005, 0.075);
    EXPECT_EQ(CountNodes(&a), 103);
    EXPECT_EQ(a.ChildCount, 4);

    SSize large{30, 30};
    SPos centre{15, 15};
    CImageSource b(0, &large, &centre, 1.0, 0.3005, 0.075);
    EXPECT_EQ(CountNodes(&b), 13);
    int corners = 0;
    ForEachNode(&b, [&](const CImageSource* n) {
        if (n->x == -15 && n->y == -15) corners++;
    });
    EXPECT_EQ(corners, 2) << "the corner image is reached once per order of its reflections";
}

TEST(ImageSource, EveryNodeLiesWithinTheHorizonWithItsReflectionAmplitude) {
    SSize room{13, 21};
    SPos source{4, 17};
    const double horizon = 0.075 * SpeedOfSound;
    CImageSource root(0, &room, &source, 2.0, 0.5, 0.075);
    int nonRoot = 0;
    ForEachNode(&root, [&](const CImageSource* n) {
        EXPECT_LT(DistanceToRoom(n, room), horizon);
        if (n != &root) {
            EXPECT_LE(n->ChildCount, 3);
            nonRoot++;
        }
        // amplitude = 2 · 0.5^reflections, and each reflection moves the image out by a wall
        const double reflections = std::log2(2.0 / n->Amplitude);
        EXPECT_NEAR(reflections, std::round(reflections), 1e-9);
    });
    EXPECT_GT(nonRoot, 10);
}

TEST(ImageSource, WindowBoundsAreInclusiveBelowAndExclusiveAbove) {
    SSize room{10, 10};
    SPos source{2, 2}, listener{5, 6}; // 5 m apart: squared distance exactly 25
    CImageSource root(0, &room, &source, 1.0, 0.3, 0.075);
    // Deeper calls take the window as squared distances, which lets the bounds be exact.
    EXPECT_EQ(root.Converge(1, &listener, 25.0, 26.0), 1.0);
    EXPECT_EQ(root.Converge(1, &listener, 24.0, 25.0), 0.0);
    // In seconds: the root over its own arrival, and nothing over every earlier window.
    const double arrival = 5.0 / SpeedOfSound;
    EXPECT_GE(root.Converge(0, &listener, arrival - 1e-6, arrival + 1e-6), 1.0);
    EXPECT_EQ(root.Converge(0, &listener, 0.0, arrival - 1e-6), 0.0);
}

TEST(ImageSource, EqualDistancesAreSummedInOneWindow) {
    SSize room{10, 10};
    SPos source{5, 2}, listener{5, 8};
    // The images in x = 0 and x = W lie 10 m to either side of the source, so they
    // reach a listener on the centre line at the same time.
    CImageSource root(0, &room, &source, 1.0, 0.25, 0.075);
    const double d = std::sqrt(10.0 * 10.0 + 6.0 * 6.0) / SpeedOfSound;
    EXPECT_DOUBLE_EQ(root.Converge(0, &listener, d - 1e-7, d + 1e-7), 0.5);
}

TEST(ImageSource, ConsecutiveWindowsCountEveryArrivalOnce) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 20; trial++) {
        SSize room{10 + 20 * unit(random), 10 + 20 * unit(random)};
        SPos source{room.width * (0.1 + 0.8 * unit(random)),
                    room.height * (0.1 + 0.8 * unit(random))};
        SPos listener{room.width * (0.1 + 0.8 * unit(random)),
                      room.height * (0.1 + 0.8 * unit(random))};
        const double r = unit(random) * 0.6;
        CImageSource root(0, &room, &source, 1.0, r, 0.075);
        const int taps = 3307;
        const double dt = 0.075 / taps;
        double sum = 0.0, t0 = 0.0;
        for (int k = 0; k < taps; k++) {
            sum += root.Converge(0, &listener, t0, t0 + dt);
            t0 += dt;
        }
        double expected = 0.0;
        const double b = (t0 * SpeedOfSound) * (t0 * SpeedOfSound);
        ForEachNode(&root, [&](const CImageSource* n) {
            const double d = (listener.x - n->x) * (listener.x - n->x) +
                             (listener.y - n->y) * (listener.y - n->y);
            if (d < b) expected += n->Amplitude;
        });
        EXPECT_NEAR(sum, expected, 1e-12) << "trial " << trial;
    }
}

TEST(ImageSource, WavefrontIsATriangleAroundTheRing) {
    SSize room{30, 30};
    SPos source{15, 15};
    CImageSource root(0, &room, &source, 1.0, 0.5, 0.075);
    const double t = 0.01, c = t * SpeedOfSound, w = 0.5;
    SPos onRing{15 + c, 15};
    EXPECT_NEAR(root.ConvergeGraphical(0, &onRing, t, w), 1.0, 1e-12);
    SPos inside{15 + c - w, 15}, outside{15 + c + w, 15}, half{15 + c + w / 2, 15};
    EXPECT_NEAR(root.ConvergeGraphical(0, &inside, t, w), 0.0, 1e-12);
    EXPECT_NEAR(root.ConvergeGraphical(0, &outside, t, w), 0.0, 1e-12);
    EXPECT_NEAR(root.ConvergeGraphical(0, &half, t, w), 0.5, 1e-12);
    // Negative moments give the same radius.
    EXPECT_NEAR(root.ConvergeGraphical(0, &onRing, -t, w), 1.0, 1e-12);
}
