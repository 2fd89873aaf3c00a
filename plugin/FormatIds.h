// The identities hosts store in their sessions, for every format: fixed for ever.
#pragma once

#include <cstdint>

// A 16-byte VST 3 ID of four words, as the platform lays it out in memory: each word
// big-endian on Linux; the COM GUID layout (first word, then the two halves of the
// second, little-endian; the rest big-endian) on Windows.
struct SKestrelUid {
    char Bytes[16];
};
constexpr SKestrelUid KestrelUid(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    SKestrelUid id{};
    const uint32_t words[4] = {l1, l2, l3, l4};
    for (int i = 0; i < 16; i++)
        id.Bytes[i] = static_cast<char>(words[i / 4] >> (8 * (3 - i % 4)));
#if defined(_WIN32)
    const uint32_t d2 = l2 >> 16, d3 = l2 & 0xFFFF;
    for (int i = 0; i < 4; i++)
        id.Bytes[i] = static_cast<char>(l1 >> (8 * i));
    id.Bytes[4] = static_cast<char>(d2);
    id.Bytes[5] = static_cast<char>(d2 >> 8);
    id.Bytes[6] = static_cast<char>(d3);
    id.Bytes[7] = static_cast<char>(d3 >> 8);
#endif
    return id;
}

// The VST 3 classes, derived as hosts derive them from the VST 2 plug-in ('BMKS', listed
// as "BMKestrel"): 'VST' (processor) or 'VSE' (controller), the unique ID, then the
// first nine bytes of the lower-case name. So hosts that offer to replace the VST 2
// plug-in by its VST 3 version find it.
constexpr uint32_t KestrelVst3ProcessorWords[4] = {0x56535442, 0x4D4B5362, 0x6D6B6573, 0x7472656C};
constexpr uint32_t KestrelVst3ControllerWords[4] = {0x56534542, 0x4D4B5362, 0x6D6B6573, 0x7472656C};
constexpr SKestrelUid KestrelVst3Processor =
    KestrelUid(KestrelVst3ProcessorWords[0], KestrelVst3ProcessorWords[1],
               KestrelVst3ProcessorWords[2], KestrelVst3ProcessorWords[3]);
constexpr SKestrelUid KestrelVst3Controller =
    KestrelUid(KestrelVst3ControllerWords[0], KestrelVst3ControllerWords[1],
               KestrelVst3ControllerWords[2], KestrelVst3ControllerWords[3]);

// The CLAP plug-in's id.
#define KestrelClapId "com.brightmoor.kestrel"

#define KestrelVendor "Brightmoor"
#define KestrelProductName "BM Kestrel"
