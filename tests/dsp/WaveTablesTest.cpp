#include "dsp/DSP.h"
#include "platform/Testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

TEST(WaveTables, SharedTablesAndWaveforms) {
    CDSP dsp(false);
    ASSERT_NE(SinTable, nullptr);
    EXPECT_EQ(SinTable->Count, 8192);
    EXPECT_EQ(SinTable->Data[0], 0.0);
    EXPECT_EQ(CosTable->Data[0], 1.0);
    EXPECT_NEAR(SinTable->Data[2048], 1.0, 1e-15);
    EXPECT_NEAR(CosTable->Data[4096], -1.0, 1e-15);
    EXPECT_EQ(dsp.Triangle->Data[2048], 1.0);
    EXPECT_EQ(dsp.Triangle->Data[4096], 0.0);
    EXPECT_EQ(dsp.Triangle->Data[6144], -1.0);
    EXPECT_EQ(dsp.Saw->Data[0], 1.0);
    EXPECT_EQ(dsp.Saw->Data[4096], 0.0);
    EXPECT_EQ(dsp.Square->Data[4095], 1.0);
    EXPECT_EQ(dsp.Square->Data[4096], -1.0);
    // Without a stored table in the library, the stored impulse is built and integrated.
    ASSERT_EQ(dsp.StoredImpulse->Wave->Count, 257);
    ASSERT_EQ(dsp.Step->Wave->Count, 257);
    EXPECT_NEAR(dsp.Step->Wave->Data[256], 1.0, 1e-15);
    dsp.FreeWaves();
    EXPECT_EQ(SinTable, nullptr);
    CDSP tables(true);
    EXPECT_EQ(tables.Triangle, nullptr);
    EXPECT_EQ(tables.Step, nullptr);
    EXPECT_NEAR(SinTable->Data[6144], -1.0, 1e-15);
}

TEST(WaveTables, TheStepIsTheNormalisedRunningSumOfTheImpulse) {
    CMinBLEP impulse(8, 16, true), step(8, 16, false);
    ASSERT_EQ(impulse.Wave->Count, 257);
    ASSERT_EQ(step.Wave->Count, 257);
    EXPECT_EQ(step.Wave->Data[256], 1.0);
    double sum = 0;
    std::vector<double> running;
    for (int i = 0; i < 257; i++)
        running.push_back(sum += impulse.Wave->Data[i]);
    for (int i = 0; i < 257; i++)
        EXPECT_NEAR(step.Wave->Data[i], running[i] / sum, 1e-14) << i;
    CMinBLEP derived(&impulse);
    for (int i = 0; i < 257; i++)
        EXPECT_EQ(derived.Wave->Data[i], step.Wave->Data[i]);
    // A minimum-phase pulse puts its energy first (the windowed sinc it came from has
    // almost none in its first quarter, around its centre at 128).
    double early = 0, total = 0;
    for (int i = 0; i < 257; i++) {
        total += impulse.Wave->Data[i] * impulse.Wave->Data[i];
        if (i < 64) early += impulse.Wave->Data[i] * impulse.Wave->Data[i];
    }
    EXPECT_GT(early / total, 0.85);
}

TEST(WaveTables, SaveAndLoadRoundTrip) {
    CMinBLEP table(4, 8, false);
    const std::string path = ::testing::TempDir() + "/kestrel-step.bin";
    table.Save(path.c_str());
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    ASSERT_EQ(bytes.size(), 12u + 8u * 65);
    CMinBLEP loaded(999); // no such resource: an empty table
    EXPECT_EQ(loaded.Wave->Count, 0);
    ASSERT_TRUE(loaded.Load(bytes.data(), static_cast<unsigned>(bytes.size())));
    EXPECT_EQ(loaded.ZeroCrossings, 4);
    EXPECT_EQ(loaded.Oversampling, 8);
    ASSERT_EQ(loaded.Wave->Count, 65);
    for (int i = 0; i < 65; i++)
        EXPECT_EQ(loaded.Wave->Data[i], table.Wave->Data[i]);
    // Short or lying tables are refused, never read past their end.
    EXPECT_FALSE(loaded.Load(bytes.data(), 11));
    EXPECT_FALSE(loaded.Load(bytes.data(), static_cast<unsigned>(bytes.size() - 1)));
    std::vector<unsigned char> negative(bytes);
    negative[11] = 0x80;
    EXPECT_FALSE(loaded.Load(negative.data(), static_cast<unsigned>(negative.size())));
    EXPECT_EQ(loaded.Wave->Count, 0);
    std::remove(path.c_str());
}

TEST(WaveTables, SaveReportsWhatWentWrong) {
    CMinBLEP table(1, 1, true);
    try {
        table.Save("/nonexistent-folder/table.bin");
        FAIL();
    } catch (char* message) {
        EXPECT_STREQ(message, "Can't Open File </nonexistent-folder/table.bin>");
        delete[] message;
    }
    try {
        table.Save("/dev/full");
        FAIL();
    } catch (char* message) {
        EXPECT_STREQ(message, "Can't Write To File </dev/full>");
        delete[] message;
    }
}

TEST(WaveTables, DcAndNormalisation) {
    CWave a(3);
    a.Data[0] = 1;
    a.Data[1] = 2;
    a.Data[2] = 3;
    a.AdjustDC();
    EXPECT_EQ(a.Data[0], -1);
    EXPECT_EQ(a.Data[1], 0);
    EXPECT_EQ(a.Data[2], 1);
    CWave b(2);
    b.Data[0] = -4;
    b.Data[1] = 2;
    b.Normalize();
    EXPECT_EQ(b.Data[0], -1);
    EXPECT_EQ(b.Data[1], 0.5);
    CWave zero(4);
    for (int i = 0; i < 4; i++)
        zero.Data[i] = 0;
    zero.Normalize();
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(zero.Data[i], 0);
    CWave empty(0);
    empty.AdjustDC();
    empty.Normalize();
    EXPECT_EQ(empty.Count, 0);
}
