// The exported entry points, built only into the plug-in itself (a test program
// linking the plug-in's classes keeps its own `main`).
#include "platform/Module.h"
#include "plugin/AudioEffect.h"
#include "plugin/Core.h"

#include <cstdio>
#include <new>

namespace {

void Report(const char* what) {
    char text[256];
    std::snprintf(text, sizeof text, "BM Kestrel: no instance: %s\n", what);
    OutputDebugStringA(text);
}

AEffect* Entry(audioMasterCallback callback) {
    try {
        AudioEffect* effect = createEffectInstance(callback, hInstance);
        return effect ? effect->getAeffect() : nullptr;
    } catch (const char* message) {
        Report(message);
    } catch (const std::bad_alloc&) {
        Report("out of memory");
    } catch (...) {
        Report("unexpected error");
    }
    return nullptr;
}

} // namespace

extern "C" {

AEffect* VSTPluginMain(audioMasterCallback callback) {
    return Entry(callback);
}

AEffect* MAIN(audioMasterCallback callback) {
    return Entry(callback);
}

#if !defined(_WIN32)
// Older Linux hosts look for `main`; C++ reserves that name for the program's own, so
// the symbol gets it through an assembler label.
AEffect* KestrelLegacyMain(audioMasterCallback callback) __asm__("main");
AEffect* KestrelLegacyMain(audioMasterCallback callback) {
    return Entry(callback);
}
#endif
}
