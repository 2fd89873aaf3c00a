// The editor's artwork for the formats whose shells have no core of their own (LV2,
// VST 3, CLAP): decoded once per process, on first use, and kept; the module handle it
// is found in becomes the one the window class uses too. Any thread; takes a lock of its
// own.
#pragma once

struct SKestrelGraphics;

SKestrelGraphics* KestrelSharedArtwork();
