#include "graphics/PngDecoder.h"
#include "graphics/FrameBuffer.h"
#include "platform/Module.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>

const char* const PngTooLargeMessage = "PNG Image Too Large";

namespace {

const unsigned char Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

unsigned int BigEndian32(const unsigned char* p) {
    return (unsigned(p[0]) << 24) | (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8) | unsigned(p[3]);
}

// Owns the list's arrays, whatever way LoadPNG leaves.
struct SSegmentsOwner {
    SDataSegs* List;
    ~SSegmentsOwner() {
        delete[] List->Segments;
        delete[] List->Lengths;
        List->Segments = nullptr;
        List->Lengths = nullptr;
        List->Count = 0;
    }
};

int Paeth(int left, int up, int upperLeft) {
    const int p = left + up - upperLeft;
    const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upperLeft);
    if (pa <= pb && pa <= pc) return left;
    if (pb <= pc) return up;
    return upperLeft;
}

} // namespace

unsigned int Inflate(unsigned char* destination, unsigned int capacity, const unsigned char* source,
                     unsigned int length) {
    uLongf size = capacity;
    switch (uncompress(destination, &size, source, length)) {
    case Z_OK: return static_cast<unsigned int>(size);
    case Z_BUF_ERROR: throw "Inflate: Buffer Error";
    case Z_MEM_ERROR: throw "Inflate: Memory Error";
    case Z_DATA_ERROR: throw "Inflate: Data Error";
    default: throw "Inflate: Unknown Error";
    }
}

CFrameBuffer::CFrameBuffer(int resourceId)
    : ClipLeft(0), ClipRight(-1), ClipTop(0), ClipBottom(-1) {
    Clear();
    HRSRC resource = FindResourceA(AppInstance, MAKEINTRESOURCEA(resourceId), "PNG");
    HGLOBAL handle = resource ? LoadResource(AppInstance, resource) : nullptr;
    const unsigned int size = resource ? SizeofResource(AppInstance, resource) : 0;
    const void* data = handle ? LockResource(handle) : nullptr;
    try {
        LoadPNG(static_cast<const unsigned char*>(data), data ? size : 0);
    } catch (...) {
        if (handle) FreeResource(handle);
        Free();
        throw;
    }
    if (handle) FreeResource(handle);
    SetClip(0, 0, Width - 1, Height - 1);
}

void CFrameBuffer::LoadPNG(const unsigned char* data, unsigned int length) {
    if (!data || length < 8) throw "PNG File Is Too Small To Fit A Valid Header";
    if (std::memcmp(data, Signature, 8) != 0) throw "PNG File Header Not Found";
    SDataSegs list{0, nullptr, nullptr};
    SSegmentsOwner owner{&list};
    unsigned long long offset = 8;
    // A chunk needs its length and type (8 bytes) before its data can be read.
    while (offset + 8 <= length) {
        const unsigned char* chunk = data + offset;
        const unsigned int size = BigEndian32(chunk);
        const unsigned char* type = chunk + 4;
        if (offset + 8 + size > length) throw "Chunk Found Larger Than File In PNG Image";
        const unsigned char* body = chunk + 8;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            LoadPNGHeader(body, size);
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            LoadPNGData(body, size, &list);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            LoadPNGInflate(&list);
            return;
        }
        offset += 12ull + size;
    }
    throw "Unexpected End Of File In PNG Image";
}

void CFrameBuffer::LoadPNGHeader(const unsigned char* data, unsigned int length) {
    if (length < 13) throw "PNG File's Header Chunk Too Small";
    const unsigned int width = BigEndian32(data), height = BigEndian32(data + 4);
    if (data[8] != 8) throw "Unsupported Bit Depth In PNG File";
    bool alpha;
    if (data[9] == 2)
        alpha = false;
    else if (data[9] == 6)
        alpha = true;
    else
        throw "Unsupported Color Type In PNG File";
    if (data[10] != 0) throw "Unsupported Compression Method In PNG File";
    if (data[11] != 0) throw "Unsupported Filter Method In PNG File";
    if (data[12] != 0) throw "Can't Read Interlaced PNG Files";
    // Refused before anything is allocated: the row bytes must fit the 32-bit
    // counts of the decoder and stay within a sane amount of memory.
    const unsigned long long bytes =
        static_cast<unsigned long long>(height) *
        (1ull + static_cast<unsigned long long>(width) * (alpha ? 4 : 3));
    if (bytes > PngMaximumBytes) throw PngTooLargeMessage;
    Width = static_cast<int>(width);
    Height = static_cast<int>(height);
    Alpha = alpha;
}

void CFrameBuffer::LoadPNGData(const unsigned char* data, unsigned int length, SDataSegs* list) {
    const unsigned int count = list->Count + 1;
    auto segments = std::make_unique<const unsigned char*[]>(count);
    auto lengths = std::make_unique<unsigned int[]>(count);
    for (unsigned int i = 0; i < list->Count; i++) {
        segments[i] = list->Segments[i];
        lengths[i] = list->Lengths[i];
    }
    segments[count - 1] = data;
    lengths[count - 1] = length;
    delete[] list->Segments;
    delete[] list->Lengths;
    list->Segments = segments.release();
    list->Lengths = lengths.release();
    list->Count = count;
}

void CFrameBuffer::LoadPNGInflate(SDataSegs* list) {
    unsigned long long total = 0;
    for (unsigned int i = 0; i < list->Count; i++)
        total += list->Lengths[i];
    // The file itself bounds the compressed size; the header bounds the image.
    if (total > 0xFFFFFFFFull) throw PngTooLargeMessage;
    const int bpp = BytesPerPixel();
    const unsigned long long expected = static_cast<unsigned long long>(Height) *
                                        (1ull + static_cast<unsigned long long>(Width) * bpp);
    if (expected > PngMaximumBytes) throw PngTooLargeMessage;
    std::unique_ptr<unsigned char[]> joined(new unsigned char[total ? total : 1]);
    unsigned long long at = 0;
    for (unsigned int i = 0; i < list->Count; i++) {
        std::memcpy(joined.get() + at, list->Segments[i], list->Lengths[i]);
        at += list->Lengths[i];
    }
    std::unique_ptr<unsigned char[]> inflated(new unsigned char[expected ? expected : 1]);
    const unsigned int produced = Inflate(inflated.get(), static_cast<unsigned int>(expected),
                                          joined.get(), static_cast<unsigned int>(total));
    if (produced != expected) throw "PNG: Not Enough Information Inflated";
    const size_t rowBytes = static_cast<size_t>(Width) * bpp;
    Free();
    const size_t pixelBytes = rowBytes * static_cast<size_t>(Height);
    Data = new unsigned char[pixelBytes > 0 ? pixelBytes : 1];
    for (int row = 0; row < Height; row++) {
        const unsigned char* source = inflated.get() + row * (rowBytes + 1);
        std::memcpy(Data + row * rowBytes, source + 1, rowBytes);
        FilterScanline(source[0], static_cast<unsigned int>(row));
    }
}

void CFrameBuffer::FilterScanline(unsigned int filter, unsigned int row) {
    const int bpp = BytesPerPixel();
    const size_t n = static_cast<size_t>(Width) * bpp;
    unsigned char* line = Data + row * n;
    const unsigned char* above = row > 0 ? line - n : nullptr;
    for (size_t i = 0; i < n; i++) {
        const int left = i >= static_cast<size_t>(bpp) ? line[i - bpp] : 0;
        const int up = above ? above[i] : 0;
        const int upperLeft = above && i >= static_cast<size_t>(bpp) ? above[i - bpp] : 0;
        switch (filter) {
        case 1: line[i] = static_cast<unsigned char>(line[i] + left); break;
        case 2: line[i] = static_cast<unsigned char>(line[i] + up); break;
        case 3: line[i] = static_cast<unsigned char>(line[i] + ((left + up) >> 1)); break;
        case 4: line[i] = static_cast<unsigned char>(line[i] + Paeth(left, up, upperLeft)); break;
        default: return; // 0, and unknown types, leave the row as stored
        }
    }
}

namespace {

// The record's fields in decoding order, with their resource ids.
void DecodingOrder(SKestrelGraphics* g, CFrameBuffer** fields[6], int ids[6]) {
    CFrameBuffer** order[6] = {&g->Background,    &g->KnobStrip, &g->HorizontalThumb,
                               &g->VerticalThumb, &g->RoomArt,   &g->FontSheet};
    const int resources[6] = {ResourceBackground,    ResourceKnobStrip, ResourceHorizontalThumb,
                              ResourceVerticalThumb, ResourceRoomArt,   ResourceFontSheet};
    for (int i = 0; i < 6; i++) {
        fields[i] = order[i];
        ids[i] = resources[i];
    }
}

} // namespace

void LoadKestrelGraphics(SKestrelGraphics* graphics) {
    CFrameBuffer** fields[6];
    int ids[6];
    DecodingOrder(graphics, fields, ids);
    *graphics = SKestrelGraphics{};
    try {
        for (int i = 0; i < 6; i++)
            *fields[i] = new CFrameBuffer(ids[i]);
    } catch (...) {
        FreeKestrelGraphics(graphics);
        throw;
    }
}

void FreeKestrelGraphics(SKestrelGraphics* graphics) {
    CFrameBuffer** fields[6];
    int ids[6];
    DecodingOrder(graphics, fields, ids);
    for (CFrameBuffer** field : fields) {
        delete *field;
        *field = nullptr;
    }
}
