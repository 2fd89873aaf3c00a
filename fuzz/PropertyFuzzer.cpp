// Any bytes as a property block: read only within its size, every value reported.
#include "machine/Machine.h"

#include <cstddef>
#include <cstdint>

namespace {

class CFuzzMachine : public CMachine {
public:
    CFuzzMachine() : CMachine(nullptr) { PropertyCount = 14; }
    void Work() override {}
    void SetSampleRate(int) override {}
    void SetBlockSamples(int) override {}
    bool IsSynth() override { return false; }
    void SetProperty(int index, double value) override {
        if (index >= 0 && index < 14) Values[index] = value;
    }
    double Values[14] = {};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFuzzMachine machine;
    machine.ReadProperties(reinterpret_cast<const char*>(data),
                           static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), false);
    return 0;
}
