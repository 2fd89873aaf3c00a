#include "machine/ControlBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SControlMessage Message(int time, int type, int note = 60) {
    SControlMessage m{};
    m.Time = time;
    m.Type = type;
    m.Note = note;
    return m;
}

std::vector<SControlMessage> Drain(CControlBuffer& buffer) {
    std::vector<SControlMessage> out;
    SControlMessage m;
    while (buffer.Read(&m))
        out.push_back(m);
    return out;
}

} // namespace

TEST(ControlBuffer, KeepsTimeOrderAndWriteOrderAtEqualTimes) {
    CControlBuffer buffer;
    int note = 0;
    for (int time : {5, 3, 5, 0}) {
        SControlMessage m = Message(time, ControlNoteOn, note++);
        buffer.Write(&m);
    }
    EXPECT_EQ(buffer.Count(), 4);
    const auto out = Drain(buffer);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].Time, 0);
    EXPECT_EQ(out[1].Time, 3);
    EXPECT_EQ(out[2].Note, 0); // first written at 5
    EXPECT_EQ(out[3].Note, 2); // second written at 5
    EXPECT_EQ(buffer.Count(), 0);
}

TEST(ControlBuffer, NoteOffComesFirstAtOneInstant) {
    CControlBuffer buffer;
    SControlMessage on = Message(10, ControlNoteOn, 1), off = Message(10, ControlNoteOff, 2);
    SControlMessage early = Message(4, ControlNoteOn, 3);
    buffer.Write(&on);
    buffer.Write(&off);
    buffer.Write(&early);
    const auto out = Drain(buffer);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].Note, 3); // an earlier note on still wins over a later note off
    EXPECT_EQ(out[1].Type, ControlNoteOff);
    EXPECT_EQ(out[2].Type, ControlNoteOn);
}

TEST(ControlBuffer, ReadOnEmptyLeavesTheMessageAlone) {
    CControlBuffer buffer;
    SControlMessage m = Message(7, ControlNoteOn, 42);
    EXPECT_FALSE(buffer.Read(&m));
    EXPECT_EQ(m.Time, 7);
    EXPECT_EQ(m.Note, 42);
}

TEST(ControlBuffer, MoveFutureSplitsAtTheBlockEnd) {
    CControlBuffer buffer, now;
    for (int time : {10, 64, 100}) {
        SControlMessage m = Message(time, ControlNoteOn, time);
        buffer.Write(&m);
    }
    buffer.MoveFuture(&now, 64);
    const auto moved = Drain(now);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].Time, 10);
    const auto kept = Drain(buffer);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Time, 0);
    EXPECT_EQ(kept[0].Note, 64);
    EXPECT_EQ(kept[1].Time, 36);
}

TEST(ControlBuffer, CopyToLeavesTheSourceAndMergesByTime) {
    CControlBuffer source, destination;
    SControlMessage a = Message(8, ControlNoteOn, 1), b = Message(2, ControlNoteOn, 2);
    SControlMessage c = Message(5, ControlNoteOn, 3);
    source.Write(&a);
    source.Write(&b);
    destination.Write(&c);
    source.CopyTo(&destination);
    EXPECT_EQ(source.Count(), 2);
    const auto out = Drain(destination);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].Time, 2);
    EXPECT_EQ(out[1].Time, 5);
    EXPECT_EQ(out[2].Time, 8);
    source.Clear();
    EXPECT_EQ(source.Count(), 0);
}
