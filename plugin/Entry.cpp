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

#if defined(__linux__)
#include <sys/random.h>

#include <cstdint>

// The statically linked C++ runtime refers to arc4random (for std::random_device, which
// nothing here uses), and only glibc 2.36 has it. Defined here and kept local by the
// export map, it costs no host an upgrade; it still gives good random numbers.
extern "C" uint32_t arc4random(void) {
    uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
    }
    return value;
}
#endif
