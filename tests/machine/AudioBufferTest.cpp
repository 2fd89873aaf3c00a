#include "machine/AudioBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(AudioBuffer, ChannelsAreAlignedAndSilentForManySizes) {
    for (int frames = 1; frames < 70; frames++) {
        CAudioBuffer buffer(frames, true);
        ASSERT_NE(buffer.Left, nullptr);
        ASSERT_NE(buffer.Right, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Left) % 16, 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Right) % 16, 0u);
        for (int i = 0; i < frames; i++) {
            EXPECT_EQ(buffer.Left[i], 0.0);
            EXPECT_EQ(buffer.Right[i], 0.0);
        }
        // Writing the whole channel must stay inside the allocation (ASan watches).
        for (int i = 0; i < frames; i++)
            buffer.Left[i] = buffer.Right[i] = 1.0;
        EXPECT_EQ(buffer.Capacity(), frames);
    }
}

TEST(AudioBuffer, MonoAndEmptyBuffersHaveNullChannels) {
    CAudioBuffer mono(16, false);
    EXPECT_NE(mono.Left, nullptr);
    EXPECT_EQ(mono.Right, nullptr);
    EXPECT_EQ(mono.Capacity(), 16);

    CAudioBuffer empty(0, true);
    EXPECT_EQ(empty.Left, nullptr);
    EXPECT_EQ(empty.Right, nullptr);
    EXPECT_EQ(empty.Capacity(), 0);
    empty.Clear(); // tolerated with null channels
    empty.Resize(0);

    CAudioBuffer negative(-5, true);
    EXPECT_EQ(negative.Left, nullptr);
    EXPECT_EQ(negative.Capacity(), 0);
}

TEST(AudioBuffer, ResizeSilencesEvenAtTheSameLength) {
    CAudioBuffer buffer(8, true);
    for (int i = 0; i < 8; i++)
        buffer.Left[i] = buffer.Right[i] = 0.5;
    buffer.Resize(8);
    EXPECT_EQ(buffer.Frames, 8);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(buffer.Left[i], 0.0);
        EXPECT_EQ(buffer.Right[i], 0.0);
    }
    buffer.Resize(4096);
    ASSERT_EQ(buffer.Capacity(), 4096);
    EXPECT_EQ(buffer.Left[4095], 0.0);
    buffer.Resize(0);
    EXPECT_EQ(buffer.Left, nullptr);
    buffer.Resize(3);
    EXPECT_EQ(buffer.Capacity(), 3);
}
