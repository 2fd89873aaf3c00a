// The editor's artwork for the formats whose shells have no core of their own (LV2,
// VST 3, CLAP): decoded once per process, on first use, and kept. Any thread; takes a
// lock of its own for the first decoding.
#pragma once

struct SKestrelGraphics;

SKestrelGraphics* KestrelSharedArtwork();
