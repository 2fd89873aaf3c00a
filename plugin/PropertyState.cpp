#include "plugin/PropertyState.h"
#include "machine/Machine.h"

#include <cstdint>
#include <cstring>

namespace {

uint32_t ReadU32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// More values than any machine has: a block that claims more is not ours.
constexpr uint32_t MostValues = 4096;

} // namespace

bool KestrelParseState(const unsigned char* data, size_t size, double* values, int count,
                       int* held) {
    if (held) *held = 0;
    if (!data || size < 8) return false;
    const uint32_t magic = ReadU32(data), n = ReadU32(data + 4);
    if (magic != PropertyBlockDoubles && magic != PropertyBlockFloats) return false;
    const size_t width = magic == PropertyBlockFloats ? 4 : 8;
    if (n > MostValues || size < 8 + width * n) return false;
    for (uint32_t i = 0; i < n && static_cast<int>(i) < count; i++) {
        const unsigned char* p = data + 8 + width * i;
        if (width == 4) {
            const uint32_t bits = ReadU32(p);
            float f;
            std::memcpy(&f, &bits, sizeof f);
            values[i] = f;
        } else {
            const uint64_t bits = ReadU32(p) | uint64_t(ReadU32(p + 4)) << 32;
            std::memcpy(&values[i], &bits, sizeof(double));
        }
    }
    if (held) *held = static_cast<int>(n);
    return true;
}

bool KestrelReadState(CMachine* machine, const unsigned char* data, size_t size) {
    double values[64];
    const int count = machine->PropertyCount < 64 ? machine->PropertyCount : 64;
    int held = 0;
    if (!KestrelParseState(data, size, values, count, &held)) return false;
    for (int i = 0; i < held && i < count; i++)
        machine->SetProperty(i, values[i]);
    return true;
}

std::vector<unsigned char> KestrelWriteValues(const double* values, int count) {
    const uint32_t n = count > 0 ? static_cast<uint32_t>(count) : 0;
    std::vector<unsigned char> bytes(8 + 8 * static_cast<size_t>(n));
    auto put = [&bytes](size_t at, uint64_t v, int width) {
        for (int b = 0; b < width; b++)
            bytes[at + b] = static_cast<unsigned char>(v >> (8 * b));
    };
    put(0, PropertyBlockDoubles, 4);
    put(4, n, 4);
    for (uint32_t i = 0; i < n; i++) {
        uint64_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        put(8 + 8 * static_cast<size_t>(i), bits, 8);
    }
    return bytes;
}

std::vector<unsigned char> KestrelWriteState(CMachine* machine) {
    std::vector<double> values(
        static_cast<size_t>(machine->PropertyCount > 0 ? machine->PropertyCount : 0));
    for (size_t i = 0; i < values.size(); i++)
        values[i] = machine->GetProperty(static_cast<int>(i));
    return KestrelWriteValues(values.data(), static_cast<int>(values.size()));
}
