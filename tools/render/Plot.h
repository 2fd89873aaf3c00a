// A picture of an impulse response: level in dB over milliseconds, with the early
// reflections and the late tail marked. Written as PNG with libpng.
#pragma once

#include "AudioFile.h"

#include <string>

// earlyMs: where the early reflections end (the room model's horizon).
void PlotImpulseResponse(const std::string& path, const SStereo& response, double earlyMs);

// The time axis' step in ms for a span drawn plotWidth pixels wide: the smallest of
// 1, 2, 2.5 and 5 times a power of ten whose labels (the widest being the last one's)
// stand apart by at least a gap.
double PlotTickStep(double totalMs, int plotWidth);
constexpr int PlotLabelGap = 12; // pixels between two labels of the time axis

// 8-bit RGB rows, top to bottom, as a PNG file.
void WriteRgbPng(const std::string& path, int width, int height, const unsigned char* rgb);
