// Any bytes into the PNG decoder: it must answer with a picture or one of its messages,
// never read outside its input, and never allocate without bound.
#include "graphics/FrameBuffer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFrameBuffer picture(1, 1, false);
    picture.Free();
    picture.Clear();
    try {
        picture.LoadPNG(data, static_cast<unsigned int>(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size));
    } catch (const char*) {
    }
    picture.Free();
    return 0;
}
