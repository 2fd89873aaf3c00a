#include "plugin/SharedArtwork.h"
#include "graphics/FrameBuffer.h"

#include <mutex>

SKestrelGraphics* KestrelSharedArtwork() {
    static std::mutex guard;
    static SKestrelGraphics* graphics = nullptr;
    std::lock_guard<std::mutex> lock(guard);
    if (!graphics) {
        auto* loaded = new SKestrelGraphics{};
        try {
            LoadKestrelGraphics(loaded);
        } catch (...) {
            delete loaded;
            throw;
        }
        graphics = loaded;
    }
    return graphics;
}
