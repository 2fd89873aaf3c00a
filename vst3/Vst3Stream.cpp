#include "vst3/Vst3Stream.h"

namespace KestrelVst3 {

using namespace Steinberg;

bool ReadAll(IBStream* stream, std::vector<unsigned char>& bytes, size_t limit) {
    bytes.clear();
    if (!stream) return false;
    unsigned char chunk[4096];
    for (;;) {
        int32 got = 0;
        const tresult result = stream->read(chunk, sizeof chunk, &got);
        if (got < 0 || got > static_cast<int32>(sizeof chunk)) return false;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > limit) return false;
        if (result != kResultOk || got == 0) return result == kResultOk || !bytes.empty();
    }
}

bool WriteAll(IBStream* stream, const std::vector<unsigned char>& bytes) {
    if (!stream) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        int32 wrote = 0;
        const tresult result = stream->write(const_cast<unsigned char*>(bytes.data() + done),
                                             static_cast<int32>(bytes.size() - done), &wrote);
        if (result != kResultOk || wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

} // namespace KestrelVst3
