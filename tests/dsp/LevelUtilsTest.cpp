#include "dsp/LevelUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

TEST(LevelUtils, DecibelConversions) {
    EXPECT_EQ(dBToPowerRatio(0.0), 1.0);
    EXPECT_DOUBLE_EQ(dBToPowerRatio(2.0), std::pow(10.0, 0.2));
    EXPECT_DOUBLE_EQ(dBToPowerRatio(-40.0), 0.0001);
    EXPECT_DOUBLE_EQ(PowerRatioTodB(100.0), 20.0);
    EXPECT_TRUE(std::isinf(PowerRatioTodB(0.0)) && PowerRatioTodB(0.0) < 0);
    EXPECT_TRUE(std::isnan(PowerRatioTodB(-1.0)));
}

TEST(LevelUtils, MixBlocksModes) {
    std::vector<double> d{1, 2, 3}, s{-1, -1, -1};
    MixBlocks(d.data(), s.data(), 3, 2.0, true, true); // replace wins
    EXPECT_EQ(d, (std::vector<double>{-2, -2, -2}));
    d = {1, 2, 3};
    MixBlocks(d.data(), s.data(), 3, 0.0, false, false);
    EXPECT_EQ(d, (std::vector<double>{1, 2, 3}));
    MixBlocks(d.data(), s.data(), 3, 1.0, false, true); // d + (s·d)·1 = 0
    EXPECT_EQ(d, (std::vector<double>{0, 0, 0}));
    d = {1, 2, 3};
    MixBlocks(d.data(), s.data(), 3, 0.5, false, false);
    EXPECT_EQ(d, (std::vector<double>{0.5, 1.5, 2.5}));
}

TEST(LevelUtils, BlockHelpersTouchExactlyCountEntries) {
    for (int count : {7, 8, 9}) {
        std::vector<double> d(12, 1.0), s(12, 1.0);
        MixBlocks(d.data(), s.data(), count, 1.0, false, false);
        AddValueToBlock(d.data(), 0.5, count);
        for (int i = 0; i < 12; i++)
            EXPECT_EQ(d[i], i < count ? 2.5 : 1.0) << count << " " << i;
    }
    std::vector<double> d(4, 1.0);
    MixBlocks(d.data(), d.data(), -3, 1.0, true, false);
    AddValueToBlock(d.data(), 1.0, 0);
    EXPECT_EQ(d, std::vector<double>(4, 1.0));
}

TEST(LevelUtils, StringCopies) {
    int length = -1;
    char* copy = CopyString("reverb", &length);
    EXPECT_STREQ(copy, "reverb");
    EXPECT_EQ(length, 6);
    delete[] copy;
    copy = CopyString("");
    EXPECT_STREQ(copy, "");
    delete[] copy;

    char dest[8];
    std::memset(dest, '#', sizeof dest);
    CopyFixedString(3, "abcdef", dest);
    EXPECT_EQ(std::string(dest, 5), std::string("abc\0#", 5));
    std::memset(dest, '#', sizeof dest);
    CopyFixedString(3, "ab", dest);
    EXPECT_EQ(std::string(dest, 4), std::string("ab\0#", 4));
    std::memset(dest, '#', sizeof dest);
    CopyFixedString(0, "ab", dest);
    EXPECT_EQ(dest[0], '\0');
    EXPECT_EQ(dest[1], '#');
}
