// The editor's whole-number scale: from the screen's resolution, from the variables a
// user fixes it with, from a host's scale call; a fixed scale stays fixed.
#include "plugin/EditorScale.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

TEST(Scale, ResolutionsOverridesAndHostCallsGiveTheScale) {
    // The nearest whole number to dpi / 96, 1.5 rounding up (a 150 % desktop is 2×).
    const struct {
        double Dpi;
        int Scale;
    } dpis[] = {{0, 1},   {-96, 1}, {NAN, 1}, {96, 1},  {120, 1}, {143, 1}, {144, 2},
                {192, 2}, {239, 2}, {240, 3}, {288, 3}, {384, 4}, {1000, 4}};
    for (const auto& d : dpis)
        EXPECT_EQ(KestrelScaleForDpi(d.Dpi), d.Scale) << d.Dpi << " dpi";

    // A scale the user fixed wins over the screen, and the desktop never overrides it.
    const struct {
        const char* Kestrel;
        const char* Gdk;
        int Scale;
    } fixed[] = {
        {"3", nullptr, 3}, {nullptr, "2", 2}, {"2", "3", 2}, {"9", nullptr, 4}, {"junk", "2", 2}};
    for (const auto& f : fixed) {
        f.Kestrel ? setenv("KESTREL_UI_SCALE", f.Kestrel, 1) : unsetenv("KESTREL_UI_SCALE");
        f.Gdk ? setenv("GDK_SCALE", f.Gdk, 1) : unsetenv("GDK_SCALE");
        EXPECT_EQ(KestrelEditorScale(nullptr), f.Scale)
            << (f.Kestrel ? f.Kestrel : "-") << " " << (f.Gdk ? f.Gdk : "-");
        CScaleWatch watch;
        int scale = 0;
        // A window the desktop would put at 1× (no display for it): still no change.
        EXPECT_FALSE(watch.Changed(reinterpret_cast<HWND>(1), f.Scale, &scale));
    }
    unsetenv("KESTREL_UI_SCALE");
    unsetenv("GDK_SCALE");
    CScaleWatch free;
    int scale = 0;
    EXPECT_TRUE(free.Changed(reinterpret_cast<HWND>(1), 2, &scale)) << "unfixed, it follows";
    EXPECT_EQ(scale, 1);

    // A host's scale call: 2.0 doubles the editor; 0, a negative factor and NaN change
    // nothing (the editor keeps 2×).
    CPluginHost host;
    AEffect* e = host.Open();
    host.Dispatch(e, effEditOpen, 0, 0, nullptr); // no display: headless
    auto width = [&] {
        ERect* rect = nullptr;
        host.Dispatch(e, effEditGetRect, 0, 0, &rect);
        return rect ? rect->right - rect->left : 0;
    };
    const VstInt32 pres = CCONST('P', 'r', 'e', 'S');
    const VstIntPtr aecs = CCONST('A', 'e', 'C', 's');
    EXPECT_EQ(host.Dispatch(e, effVendorSpecific, pres, aecs, nullptr, 2.0f), 1);
    EXPECT_EQ(width(), 860);
    for (float bad : {0.0f, -1.0f, NAN}) {
        EXPECT_EQ(host.Dispatch(e, effVendorSpecific, pres, aecs, nullptr, bad), 0) << bad;
        EXPECT_EQ(width(), 860) << bad;
    }
    EXPECT_EQ(host.Dispatch(e, effVendorSpecific, pres, aecs, nullptr, 1.5f), 1);
    EXPECT_EQ(width(), 860) << "1.5 is 2×";
    host.Dispatch(e, effEditClose);
    host.Close(e);
}
