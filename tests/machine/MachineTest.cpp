#include "machine/Machine.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A machine that keeps its values in programs, as the base class expects, and
// journals what reaches it.
class CProgramMachine : public CMachine {
public:
    CProgramMachine(CHost* host, int properties, int programs) : CMachine(host) {
        PropertyCount = properties;
        if (programs > 0) {
            Programs = new CProgram*[programs]();
            for (int i = 0; i < programs; i++)
                Programs[i] = new CProgram(properties, i, this);
            ProgramCount = programs;
        }
    }
    ~CProgramMachine() override {
        for (int i = 0; i < ProgramCount; i++)
            delete Programs[i];
    }
    void Work() override {}
    void SetSampleRate(int) override {}
    void SetBlockSamples(int) override {}
    bool IsSynth() override { return false; }
    double GetProperty(int index) override {
        if (!Programs || CurrentProgram >= ProgramCount || !Programs[CurrentProgram]) return 0.0;
        if (index < 0 || index >= Programs[CurrentProgram]->ValueCount) return 0.0;
        return Programs[CurrentProgram]->Values[index];
    }
    void SetProperty(int index, double value) override {
        Journal.push_back("set " + std::to_string(index) + " depth " +
                          std::to_string(ProgramChangeDepth));
        CMachine::SetProperty(index, value);
    }
    void AfterSetProgram() override {
        CMachine::AfterSetProgram();
        Journal.push_back("after");
    }
    std::vector<std::string> Journal;
};

std::vector<char> DoubleBlock(uint32_t magic, int32_t n, std::vector<double> values) {
    std::vector<char> block(8 + 8 * values.size());
    std::memcpy(block.data(), &magic, 4);
    std::memcpy(block.data() + 4, &n, 4);
    std::memcpy(block.data() + 8, values.data(), 8 * values.size());
    return block;
}

} // namespace

TEST(Machine, StartsEmptyAndAnswersTheBaseDefaults) {
    CFakeHost host;
    CProgramMachine machine(&host, 3, 0);
    EXPECT_EQ(machine.Host, &host);
    EXPECT_EQ(machine.Ports, nullptr);
    EXPECT_EQ(machine.GetName(), nullptr);
    EXPECT_EQ(machine.CreateGUI(nullptr), nullptr);
    short t = 9, l = 9, r = 9, b = 9;
    EXPECT_FALSE(machine.GetGUIRect(&t, &l, &r, &b));
    EXPECT_EQ(t + l + r + b, 36);
    char text[MachineTextSize] = "junk";
    machine.GetPropertyName(0, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "junk");
    machine.GetProgramNameIndexed(0, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "junk");
    machine.GetProgramName(text);
    EXPECT_STREQ(text, "");
    machine.SetProgramName("ignored"); // no table: nothing happens
    machine.SetProperty(1, 0.5);       // no table: nothing is stored
    EXPECT_EQ(machine.GetProperty(1), 0.0);
}

TEST(Machine, AutomationReachesTheHostBeforeTheValueIsSet) {
    CFakeHost host;
    CProgramMachine machine(&host, 4, 1);
    host.Journal = &machine.Journal;
    machine.SetPropertyAutomated(2, 0.75);
    ASSERT_EQ(machine.Journal.size(), 2u);
    EXPECT_EQ(machine.Journal[0], "host 2");
    EXPECT_EQ(machine.Journal[1], "set 2 depth 0");
    ASSERT_EQ(host.Automations.size(), 1u);
    EXPECT_EQ(host.Automations[0].Machine, &machine);
    EXPECT_EQ(host.Automations[0].Value, 0.75);
    EXPECT_EQ(machine.GetProperty(2), 0.75);
}

TEST(Machine, SetProgramAppliesEveryValueInsideOneBatch) {
    CFakeHost host;
    CProgramMachine machine(&host, 3, 2);
    machine.Programs[1]->Values[0] = 0.1;
    machine.Programs[1]->Values[1] = 0.2;
    machine.Programs[1]->Values[2] = 0.3;
    machine.SetProgram(1);
    const std::vector<std::string> expected{"set 0 depth 1", "set 1 depth 1", "set 2 depth 1",
                                            "after"};
    EXPECT_EQ(machine.Journal, expected);
    EXPECT_EQ(machine.GetProgram(), 1);
    EXPECT_EQ(machine.ProgramChangeDepth, 0);
    EXPECT_EQ(machine.GetProperty(2), 0.3);
    machine.Journal.clear();
    machine.SetProgram(2); // beyond the table
    machine.SetProgram(-1);
    EXPECT_TRUE(machine.Journal.empty());
}

TEST(Machine, ProgramNamesAreFormattedAndBounded) {
    CFakeHost host;
    CProgramMachine machine(&host, 1, 12);
    char text[MachineTextSize];
    machine.GetProgramNameIndexed(11, text);
    EXPECT_STREQ(text, "Program 011");
    machine.GetProgramNameIndexed(12, text);
    EXPECT_STREQ(text, "");
    const std::string longName(300, 'x');
    machine.SetProgramName(longName.c_str());
    machine.GetProgramName(text);
    EXPECT_EQ(std::strlen(text), size_t(CProgram::NameSize - 1));
}

TEST(Machine, PropertyBlockRoundTripsThroughTheHost) {
    CFakeHost host;
    CProgramMachine source(&host, 14, 1);
    for (int i = 0; i < 14; i++)
        source.SetProperty(i, i / 16.0);
    char* data = nullptr;
    int size = 0;
    bool owned = false;
    source.WriteProperties(&data, &size, &owned);
    ASSERT_EQ(size, 120);
    EXPECT_TRUE(owned);
    EXPECT_EQ(std::memcmp(data, "46HP", 4), 0); // 'PH64' little-endian

    CProgramMachine target(&host, 14, 1);
    target.ReadProperties(data, size, false);
    delete[] data;
    ASSERT_EQ(host.Automations.size(), 14u);
    for (int i = 0; i < 14; i++) {
        EXPECT_EQ(target.GetProperty(i), i / 16.0);
        EXPECT_EQ(host.Automations[i].Index, i);
    }
}

TEST(Machine, FloatBlocksAreWidened) {
    CFakeHost host;
    CProgramMachine machine(&host, 4, 1);
    const uint32_t magic = PropertyBlockFloats;
    const int32_t n = 3;
    const float values[3] = {0.25f, 0.5f, 0.1f};
    char block[20];
    std::memcpy(block, &magic, 4);
    std::memcpy(block + 4, &n, 4);
    std::memcpy(block + 8, values, 12);
    machine.ReadProperties(block, sizeof block, false);
    ASSERT_EQ(host.Automations.size(), 3u);
    EXPECT_EQ(machine.GetProperty(0), 0.25);
    EXPECT_EQ(machine.GetProperty(2), double(0.1f));
    EXPECT_EQ(machine.GetProperty(3), 0.0);
}

TEST(Machine, MalformedBlocksAreReadOnlyWithinTheirSize) {
    CFakeHost host;
    CProgramMachine machine(&host, 4, 1);
    auto block = DoubleBlock(PropertyBlockDoubles, 3, {0.5, 0.6, 0.7});
    machine.ReadProperties(block.data(), 7, false); // shorter than a header
    EXPECT_TRUE(host.Automations.empty());

    auto lying = DoubleBlock(PropertyBlockDoubles, 1000000, {0.5, 0.6});
    machine.ReadProperties(lying.data(), int(lying.size()), false);
    EXPECT_EQ(host.Automations.size(), 2u);

    host.Automations.clear();
    auto negative = DoubleBlock(PropertyBlockDoubles, -4, {0.5});
    machine.ReadProperties(negative.data(), int(negative.size()), false);
    EXPECT_TRUE(host.Automations.empty());

    // An unknown magic is read as doubles; indices beyond the count reach the
    // machine, which ignores them.
    auto other = DoubleBlock(0x12345678, 6, {1, 2, 3, 4, 5, 6});
    machine.ReadProperties(other.data(), int(other.size()), false);
    EXPECT_EQ(host.Automations.size(), 6u);
    EXPECT_EQ(machine.GetProperty(3), 4.0);
    machine.ReadProperties(nullptr, 100, false);

    // A size that ends inside a value holds only the whole values before it, even where
    // the memory beyond the size still reads as one.
    host.Automations.clear();
    auto ragged = DoubleBlock(PropertyBlockDoubles, 3, {0.1, 0.2, 0.3});
    machine.ReadProperties(ragged.data(), int(ragged.size()) - 4, false);
    EXPECT_EQ(host.Automations.size(), 2u);
    EXPECT_EQ(machine.GetProperty(2), 3.0);

    // A block that declares fewer values than it holds: the bytes after them are not
    // values, however they read.
    host.Automations.clear();
    auto roomy = DoubleBlock(PropertyBlockDoubles, 1, {0.25, 0.75, 0.85});
    machine.ReadProperties(roomy.data(), int(roomy.size()), false);
    EXPECT_EQ(host.Automations.size(), 1u);
    EXPECT_EQ(machine.GetProperty(0), 0.25);
    EXPECT_EQ(machine.GetProperty(1), 0.2) << "left as the ragged block set it";
}

TEST(Machine, ResizeAudioPortsReachesOnlyAudioPorts) {
    CFakeHost host;
    host.BlockSamples = 32;
    CProgramMachine machine(&host, 0, 0);
    CPort audio(&host, &machine, PortStereoAudioIn, "Line In");
    CPort control(&host, &machine, PortControl | PortInput, "Notes");
    CPort* ports[2] = {&audio, &control};
    machine.Ports = ports;
    machine.PortCount = 2;
    EXPECT_EQ(audio.AudioBuffer->Frames, 32);
    EXPECT_STREQ(audio.Name, "Line In");
    EXPECT_EQ(control.AudioBuffer, nullptr);
    ASSERT_NE(control.ControlBuffer, nullptr);
    machine.ResizeAudioPorts(100);
    EXPECT_EQ(audio.AudioBuffer->Frames, 100);
    machine.Ports = nullptr;
    machine.PortCount = 0;
}

TEST(Machine, SetNameKeepsACopy) {
    CFakeHost host;
    CProgramMachine machine(&host, 0, 0);
    char name[] = "Reverb";
    machine.SetName(name);
    name[0] = 'X';
    EXPECT_STREQ(machine.GetName(), "Reverb");
    machine.SetName(nullptr);
    EXPECT_EQ(machine.GetName(), nullptr);
}
