// The room view and the impulse views on their own, inside a plain container.
#include "editor/ImpulseView.h"
#include "editor/KestrelGUI.h"
#include "platform/Testing.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

struct SViews : ::testing::Test {
    SViews()
        : Host(KestrelTesting::CreateHostWindow(200, 100)), Background(200, 100, false),
          Container((Background.Fill(0xFFFFFF), Host), 200, 100, &Background) {}
    ~SViews() override { DestroyWindow(Host); }
    HWND Host;
    CFrameBuffer Background;
    CLiteContainer Container;
};

int Alpha(CFrameBuffer* f, int x, int y) {
    return f->GetData()[(y * f->GetWidth() + x) * 4 + 3];
}

} // namespace

TEST_F(SViews, SolidBarsStackUpToTheFullLevel) {
    CImpulseView view(&Container, 0, 0, 88, 72, 60.0, static_cast<double>(0.6f), false);
    CFrameBuffer* p = view.GetPicture();
    std::vector<double> values{1.0};
    view.Update(1, values.data());
    EXPECT_EQ(Alpha(p, 1, 0), 153) << "the frame";
    EXPECT_EQ(Alpha(p, 1, 1), 76) << "0 dB: rows 1 … 70";
    EXPECT_EQ(Alpha(p, 1, 70), 76);
    values = {0.01};
    view.Update(1, values.data());
    EXPECT_EQ(Alpha(p, 1, 23), 0) << "-20 dB: t = 23, rows 24 … 70";
    EXPECT_EQ(Alpha(p, 1, 24), 76);
    for (double silent : {0.0000001, 0.0, -1.0, std::nan("")}) {
        values = {silent};
        view.Update(1, values.data());
        EXPECT_EQ(Alpha(p, 1, 70), 0) << silent;
    }
    values = {4.0};
    view.Update(1, values.data());
    EXPECT_EQ(Alpha(p, 1, 1), 76) << "+6 dB counts as 0 dB";
    // 172 values over 86 columns: indices 0 and 1 share column 1.
    values.assign(172, 0.0);
    values[0] = values[1] = 1.0;
    view.Update(172, values.data());
    EXPECT_EQ(Alpha(p, 1, 30), 152);
    values[2] = 1.0; // (86 × 2) / 172 + 1 = 2: the next column
    view.Update(172, values.data());
    EXPECT_EQ(Alpha(p, 2, 30), 76);
    CImpulseView three(&Container, 100, 0, 4, 72, 60.0, static_cast<double>(0.6f), false);
    std::vector<double> triple{1.0, 1.0, 1.0};
    three.Update(3, triple.data()); // (2 × i) / 3 + 1: columns 1, 1, 2
    EXPECT_EQ(Alpha(three.GetPicture(), 1, 30), 152);
    std::vector<double> many(6, 1.0);
    three.Update(6, many.data()); // three bars in column 1: capped
    EXPECT_EQ(Alpha(three.GetPicture(), 1, 30), 153);
    for (int x = 0; x < 88; x += 87)
        for (int y = 0; y < 72; y++)
            EXPECT_EQ(Alpha(p, x, y), 153);
}

TEST_F(SViews, EnvelopeBarsHaveADarkTop) {
    CImpulseView view(&Container, 0, 0, 4, 72, 60.0, static_cast<double>(0.6f), true);
    CFrameBuffer* p = view.GetPicture();
    std::vector<double> values{1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    view.Update(2, values.data()); // one bar per column
    EXPECT_EQ(Alpha(p, 1, 1), 76);
    EXPECT_EQ(Alpha(p, 1, 2), 38);
    view.Update(4, values.data()); // two bars per column
    EXPECT_EQ(Alpha(p, 1, 1), 152);
    EXPECT_EQ(Alpha(p, 1, 2), 76);
    view.Update(6, values.data()); // three
    EXPECT_EQ(Alpha(p, 1, 1), 153);
    EXPECT_EQ(Alpha(p, 1, 2), 76);
    view.Update(0, values.data());
    EXPECT_EQ(Alpha(p, 1, 1), 0) << "no values: only the frame";
}

TEST_F(SViews, LateViewOfASilentNetworkShowsNoBars) {
    SKestrelGraphics graphics{};
    LoadKestrelGraphics(&graphics);
    CFakeHost fake;
    CKestrel machine(&fake, &graphics);
    HWND host = KestrelTesting::CreateHostWindow(430, 200);
    CKestrelGUI gui(host, nullptr, &machine, &graphics);
    // Feedback 0 and lines shorter than the skip: nothing left after n samples.
    const int lengths[4] = {5, 7, 11, 13};
    CFDN network(44100, lengths, 0.0, 1.0, 0.0);
    network.SetCutoff(1.0);
    gui.UpdateImpulse2(100, &network, 20000);
    CFrameBuffer* p = gui.GetLateView()->GetPicture();
    for (int x = 1; x < 167; x++)
        for (int y = 1; y < 71; y++)
            ASSERT_EQ(Alpha(p, x, y), 0) << x << "," << y;
    // The early view: (left + right) / 2 tap by tap.
    SKestrelTaps a, b;
    a.Index[0] = {0, 2};
    a.Value[0] = {0.2, 0.4};
    b.Index[0] = {2};
    b.Value[0] = {0.4};
    gui.UpdateImpulse(3, a, b);
    CFrameBuffer* e = gui.GetEarlyView()->GetPicture();
    // 0.1 (-10 dB) at column 1, nothing at column 29, 0.4 at column 58.
    EXPECT_EQ(Alpha(e, 1, 70), 76);
    EXPECT_EQ(Alpha(e, 1, 11), 0) << "-10 dB: t = floor(70 / 6) = 11";
    EXPECT_EQ(Alpha(e, 1, 12), 76);
    EXPECT_EQ(Alpha(e, 29, 70), 0);
    EXPECT_EQ(Alpha(e, 58, 70), 76);
    FreeKestrelGraphics(&graphics);
    DestroyWindow(host);
}

TEST_F(SViews, RoomAreasNodesFrameAndSaturation) {
    SKestrelGraphics graphics{};
    LoadKestrelGraphics(&graphics);
    CFakeHost fake;
    CKestrel machine(&fake, &graphics);
    HWND host = KestrelTesting::CreateHostWindow(430, 200);
    CKestrelGUI gui(host, nullptr, &machine, &graphics);
    CRoomView* view = gui.GetRoomView();
    SSize wide{10, 5}, tall{5, 10}, square{10, 10};
    SPos centre{5, 2.5}, a{1, 1};
    SSize rooms[3] = {wide, tall, square};
    int expected[3][2] = {{70, 35}, {35, 70}, {70, 70}};
    for (int i = 0; i < 3; i++) {
        view->Update(nullptr, nullptr, &rooms[i], &a, &a, &a, &a, 0.075);
        view->RenderIfStale(); // updates this close together are drawn on the next idle
        int pw, ph;
        view->Area(&pw, &ph);
        EXPECT_EQ(pw, expected[i][0]);
        EXPECT_EQ(ph, expected[i][1]);
    }
    view->Update(nullptr, nullptr, &wide, &centre, &a, &a, &a, 0.075);
    view->RenderIfStale(); // updates this close together are drawn on the next idle
    int x, y;
    view->NodePos(&centre, &x, &y);
    EXPECT_EQ(x, 29);
    EXPECT_EQ(y, 14);
    CFrameBuffer* p = view->GetPicture();
    EXPECT_EQ(Alpha(p, 0, 0), 153);
    EXPECT_EQ(Alpha(p, 71, 36), 153) << "frame around columns 0 … 71, rows 0 … 36";
    EXPECT_EQ(Alpha(p, 50, 40), 0) << "below the frame: transparent";
    // Two sources on one spot at time 0: the field sums past 1 and saturates at 153.
    SPos spot{5, 5};
    auto left = std::make_shared<const CImageSource>(0, &square, &spot, 1.0, 0.5, 0.075);
    auto right = std::make_shared<const CImageSource>(0, &square, &spot, 1.0, 0.5, 0.075);
    SPos far{9, 9};
    view->Update(left.get(), right.get(), &square, &far, &far, &far, &far, 0.075);
    view->RenderIfStale(); // updates this close together are drawn on the next idle
    EXPECT_EQ(Alpha(p, 36, 36), 153) << "(35/70 × 10, 35/70 × 10) is the spot";
    EXPECT_EQ(Alpha(p, 10, 10), 0);
    FreeKestrelGraphics(&graphics);
    DestroyWindow(host);
}

TEST_F(SViews, ColumnsInkedAtOnceEqualTheRowByRowDrawing) {
    // Many values a column, in every order of loud and quiet, as a tail and its early
    // reflections give them: the counted inks must match the additions one by one.
    const unsigned seed = 20261211;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (bool envelope : {false, true}) {
        CImpulseView fast(&Container, 0, 0, 168, 72, 60.0, static_cast<double>(0.6f), envelope);
        CImpulseView slow(&Container, 0, 0, 168, 72, 60.0, static_cast<double>(0.6f), envelope);
        for (int round = 0; round < 20; round++) {
            std::vector<double> values(1 + random() % 9000);
            for (double& v : values) {
                const double u = unit(random);
                v = u < 0.05 ? 0.0 : u < 0.5 ? std::pow(10.0, -7 * unit(random)) : 1e-3;
            }
            fast.Update(static_cast<int>(values.size()), values.data());
            slow.UpdateByRows(static_cast<int>(values.size()), values.data());
            const size_t bytes = 168 * 72 * 4;
            ASSERT_TRUE(std::equal(fast.GetPicture()->GetData(),
                                   fast.GetPicture()->GetData() + bytes,
                                   slow.GetPicture()->GetData()))
                << (envelope ? "envelope" : "solid") << ", round " << round << ", seed " << seed;
        }
    }
}
