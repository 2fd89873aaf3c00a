// Whole states through the host's streams. UI thread; no lock.
#pragma once

#include "vst3/Vst3Base.h"

#include <cstddef>
#include <vector>

namespace KestrelVst3 {

// Everything the stream holds from its position on, read in as many pieces as it gives
// (a read may deliver less than asked). False for a stream that fails or holds more than
// `limit` bytes: no state of ours is that large.
bool ReadAll(Steinberg::IBStream* stream, std::vector<unsigned char>& bytes,
             size_t limit = 1 << 16);
// All of bytes, in as many writes as it takes.
bool WriteAll(Steinberg::IBStream* stream, const std::vector<unsigned char>& bytes);

} // namespace KestrelVst3
