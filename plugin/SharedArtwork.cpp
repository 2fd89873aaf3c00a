#include "plugin/SharedArtwork.h"
#include "graphics/FrameBuffer.h"
#include "platform/Module.h"

#include <mutex>

SKestrelGraphics* KestrelSharedArtwork() {
    static std::mutex guard;
    static SKestrelGraphics* graphics = nullptr;
    std::lock_guard<std::mutex> lock(guard);
    // Resources and the window class are looked up in AppInstance, which the VST 2 entry
    // sets; these formats have only the module's own handle (DllMain's, on Windows).
    if (!AppInstance) AppInstance = hInstance;
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
