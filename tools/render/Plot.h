// A picture of an impulse response: level in dB over milliseconds, with the early
// reflections and the late tail marked. Written as PNG with libpng.
#pragma once

#include "AudioFile.h"

#include <string>

// earlyMs: where the early reflections end (the room model's horizon).
void PlotImpulseResponse(const std::string& path, const SStereo& response, double earlyMs);

// 8-bit RGB rows, top to bottom, as a PNG file.
void WriteRgbPng(const std::string& path, int width, int height, const unsigned char* rgb);
