// A dry signal to hear a reverb with and no file to find: a few drum hits, a short
// plucked phrase and a click, about six seconds, in stereo.
#pragma once

#include "AudioFile.h"

SStereo DemoSignal(int sampleRate);
