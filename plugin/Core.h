// What every instance of the process shares: the decoded artwork and the one host
// adapter. Created by the first instance, never freed.
#pragma once

#include "graphics/FrameBuffer.h"
#include "plugin/HostAdapter.h"
#include "plugin/VstInterface.h"

class AudioEffect;

// Always 0: nothing reads the processor features.
int DetectProcessorFeatures();

class CCore {
public:
    // Decodes the six pictures (118, 107, 109, 110, 108, 104) and wraps the callback.
    // A failed decode frees what was decoded and lets the error pass.
    CCore(int processorFeatures, audioMasterCallback callback);
    ~CCore();

    int ProcessorFeatures;
    SKestrelGraphics Graphics;
    CHostAdapter* Host;

    CCore(const CCore&) = delete;
    CCore& operator=(const CCore&) = delete;
};

extern "C" {
extern CCore* Core;
}

// Builds one instance: a reverb machine on the shared core, wrapped in its VST
// adapter. Errors pass to the caller (the entry points turn them into 0).
AudioEffect* createEffectInstance(audioMasterCallback callback, HINSTANCE module);

extern "C" {
// The entry points a host looks for. Any thread; a failed creation answers 0.
AEffect* VSTPluginMain(audioMasterCallback callback);
AEffect* MAIN(audioMasterCallback callback);
}
