// Writes 8-bit RGB or RGBA PNG files (one IDAT, filter 0 on every row).
#pragma once

#include <string>
#include <vector>

std::vector<unsigned char> EncodePNG(int width, int height, bool alpha,
                                     const std::vector<unsigned char>& pixels);
// Throws std::runtime_error when the file cannot be written.
void WritePNG(const std::string& path, int width, int height, bool alpha,
              const std::vector<unsigned char>& pixels);
