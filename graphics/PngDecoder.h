// The small PNG reader behind CFrameBuffer(int): 8-bit RGB or RGBA, not interlaced.
#pragma once

// IDAT segments gathered while walking the chunks; they point into the file's data.
struct SDataSegs {
    unsigned int Count;
    const unsigned char** Segments;
    unsigned int* Lengths;
};

// Decompresses a zlib stream into destination; returns the bytes produced or throws
// "Inflate: Buffer Error", "Inflate: Memory Error", "Inflate: Data Error" or
// "Inflate: Unknown Error".
unsigned int Inflate(unsigned char* destination, unsigned int capacity, const unsigned char* source,
                     unsigned int length);

// The largest picture the decoder accepts, in bytes of decompressed data: far above the
// artwork, far below what would strain a host's memory or overflow the 32-bit counts.
constexpr unsigned long long PngMaximumBytes = 64ull * 1024 * 1024;
extern const char* const PngTooLargeMessage;
