#include "PngWriter.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace {

void Put32(std::vector<unsigned char>& out, unsigned long v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void Chunk(std::vector<unsigned char>& out, const char* type,
           const std::vector<unsigned char>& data) {
    Put32(out, data.size());
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, crc32(0, out.data() + start, static_cast<uInt>(out.size() - start)));
}

} // namespace

std::vector<unsigned char> EncodePNG(int width, int height, bool alpha,
                                     const std::vector<unsigned char>& pixels) {
    const size_t row = static_cast<size_t>(width) * (alpha ? 4 : 3);
    std::vector<unsigned char> raw;
    raw.reserve((row + 1) * height);
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), pixels.begin() + y * row, pixels.begin() + (y + 1) * row);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        throw std::runtime_error("zlib could not compress the picture");
    packed.resize(size);

    std::vector<unsigned char> out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<unsigned char> header;
    Put32(header, width);
    Put32(header, height);
    header.insert(header.end(), {8, static_cast<unsigned char>(alpha ? 6 : 2), 0, 0, 0});
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

void WritePNG(const std::string& path, int width, int height, bool alpha,
              const std::vector<unsigned char>& pixels) {
    const auto bytes = EncodePNG(width, height, alpha, pixels);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}
