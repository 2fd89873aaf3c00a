// What the LV2 plug-in and its UI agree on: the URIs and the port layout. The Turtle
// files of the bundle say the same; a test holds them to each other.
#pragma once

// Stable for ever: sessions store them.
#define KestrelLv2Uri "urn:brightmoor:kestrel"
#define KestrelLv2UiUri "urn:brightmoor:kestrel#ui"

// Ports 0 … 3: in left, in right, out left, out right; then the fourteen properties in
// the VST parameters' order, each a value from 0 to 1.
constexpr unsigned KestrelAudioPorts = 4;
