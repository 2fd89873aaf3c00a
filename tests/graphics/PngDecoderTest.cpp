#include "graphics/PngDecoder.h"
#include "PngWriter.h"
#include "graphics/FrameBuffer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<unsigned char>(v >> s));
}

Bytes Chunk(const char* type, const Bytes& data, bool goodCrc = true) {
    Bytes out;
    Put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uint32_t crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
    Put32(out, goodCrc ? crc : ~crc);
    return out;
}

Bytes Header(uint32_t w, uint32_t h, int depth = 8, int type = 2, int compression = 0,
             int filter = 0, int interlace = 0) {
    Bytes d;
    Put32(d, w);
    Put32(d, h);
    d.insert(d.end(), {static_cast<unsigned char>(depth), static_cast<unsigned char>(type),
                       static_cast<unsigned char>(compression), static_cast<unsigned char>(filter),
                       static_cast<unsigned char>(interlace)});
    return Chunk("IHDR", d);
}

Bytes Compress(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

const Bytes Signature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Decodes and returns the message of the failure, or "" on success.
std::string Decode(const Bytes& file, CFrameBuffer& f) {
    try {
        f.LoadPNG(file.data(), static_cast<unsigned int>(file.size()));
        return "";
    } catch (const char* message) {
        return message;
    }
}

std::string Decode(const Bytes& file) {
    CFrameBuffer f(1, 1, false);
    f.Free();
    f.Clear();
    const std::string message = Decode(file, f);
    f.Free();
    return message;
}

// A 2 × 2 RGB image whose rows carry the given filter bytes.
Bytes Image2x2(const Bytes& raw, bool extraChunks = false, int splits = 1) {
    const Bytes packed = Compress(raw);
    Bytes file = Join({Signature, Header(2, 2)});
    if (extraChunks) file = Join({file, Chunk("gAMA", {0, 0, 0xB1, 0x8F})});
    const size_t step = (packed.size() + splits - 1) / splits;
    for (size_t at = 0; at < packed.size(); at += step) {
        Bytes part(packed.begin() + at, packed.begin() + std::min(packed.size(), at + step));
        file = Join({file, Chunk("IDAT", part)});
        if (extraChunks) file = Join({file, Chunk("tEXt", {'a', 0, 'b'})});
    }
    return Join({file, Chunk("IEND", {})});
}

} // namespace

TEST(PngDecoder, EveryFailureHasItsMessage) {
    const Bytes raw = {0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(Decode(Bytes(7, 0x89)), "PNG File Is Too Small To Fit A Valid Header");
    EXPECT_EQ(Decode(Bytes(8, 0)), "PNG File Header Not Found");
    EXPECT_EQ(Decode(Signature), "Unexpected End Of File In PNG Image");
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2, 16)})), "Unsupported Bit Depth In PNG File");
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2, 8, 3)})), "Unsupported Color Type In PNG File");
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2, 8, 2, 1)})),
              "Unsupported Compression Method In PNG File");
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2, 8, 2, 0, 1)})),
              "Unsupported Filter Method In PNG File");
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2, 8, 6, 0, 0, 1)})),
              "Can't Read Interlaced PNG Files");
    EXPECT_EQ(Decode(Join({Signature, Chunk("IHDR", Bytes(12, 0))})),
              "PNG File's Header Chunk Too Small");
    Bytes running = Join({Signature, Header(2, 2)});
    Put32(running, 1000);
    running.insert(running.end(), {'I', 'D', 'A', 'T', 1, 2, 3});
    EXPECT_EQ(Decode(running), "Chunk Found Larger Than File In PNG Image");
    for (uint32_t over = 1; over <= 8; over++) { // a length just past the end
        Bytes justPast = Join({Signature, Header(2, 2)});
        Put32(justPast, 4 + over);
        justPast.insert(justPast.end(), {'t', 'E', 'X', 't', 1, 2, 3, 4});
        EXPECT_EQ(Decode(justPast), "Chunk Found Larger Than File In PNG Image") << over;
    }
    Bytes huge = Join({Signature, Header(2, 2)});
    Put32(huge, 0xFFFFFFF0u); // would wrap a 32-bit offset
    huge.insert(huge.end(), {'I', 'D', 'A', 'T', 1, 2, 3, 4});
    EXPECT_EQ(Decode(huge), "Chunk Found Larger Than File In PNG Image");
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2), Chunk("IDAT", Compress(raw))})),
              "Unexpected End Of File In PNG Image");
    Bytes corrupt = Compress(raw);
    corrupt[0] ^= 0xFF; // a broken zlib header
    EXPECT_EQ(Decode(Join({Signature, Header(2, 2), Chunk("IDAT", corrupt), Chunk("IEND", {})})),
              "Inflate: Data Error");
    const Bytes shortRaw(raw.begin(), raw.end() - 1);
    EXPECT_EQ(Decode(Join(
                  {Signature, Header(2, 2), Chunk("IDAT", Compress(shortRaw)), Chunk("IEND", {})})),
              "PNG: Not Enough Information Inflated");
    Bytes longRaw = raw;
    longRaw.insert(longRaw.end(), 20, 0);
    EXPECT_EQ(Decode(Join(
                  {Signature, Header(2, 2), Chunk("IDAT", Compress(longRaw)), Chunk("IEND", {})})),
              "Inflate: Buffer Error");
}

TEST(PngDecoder, OversizedHeadersAreRefusedBeforeAllocating) {
    EXPECT_EQ(Decode(Join({Signature, Header(0xFFFFFFFFu, 0xFFFFFFFFu), Chunk("IEND", {})})),
              PngTooLargeMessage);
    EXPECT_EQ(Decode(Join({Signature, Header(100000, 100000, 8, 6), Chunk("IEND", {})})),
              PngTooLargeMessage);
}

TEST(PngDecoder, SplitDataAncillaryChunksAndBadCrcsDecode) {
    const Bytes raw = {0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12};
    for (int splits : {1, 12}) {
        Bytes file = Image2x2(raw, true, splits);
        // Spoil every CRC byte of the header chunk: nobody checks them.
        file[8 + 8 + 13] ^= 0x5A;
        CFrameBuffer f(1, 1, false);
        ASSERT_EQ(Decode(file, f), "") << splits;
        EXPECT_EQ(f.GetWidth(), 2);
        EXPECT_FALSE(f.GetAlpha());
        const unsigned char* d = f.GetData();
        EXPECT_EQ(Bytes(d, d + 12), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    }
}

TEST(PngDecoder, RowFiltersAreUndone) {
    // Row 0 Sub, row 1 Up, then Average and Paeth on a 2 × 4 image.
    const Bytes raw = {1, 10, 20, 30, 5, 5, 5,  // Sub:   10 20 30 | 15 25 35
                       2, 1,  1,  1,  1, 1, 1,  // Up:    11 21 31 | 16 26 36
                       3, 2,  2,  2,  2, 2, 2,  // Avg:   (0+11)/2+2=7 …
                       5, 9,  9,  9,  9, 9, 9}; // type 5: kept as stored
    const Bytes packed = Compress(raw);
    CFrameBuffer f(1, 1, false);
    ASSERT_EQ(Decode(Join({Signature, Header(2, 4), Chunk("IDAT", packed), Chunk("IEND", {})}), f),
              "");
    const unsigned char* d = f.GetData();
    EXPECT_EQ(Bytes(d, d + 6), Bytes({10, 20, 30, 15, 25, 35}));
    EXPECT_EQ(Bytes(d + 6, d + 12), Bytes({11, 21, 31, 16, 26, 36}));
    // Average: left of the first pixel is 0: 11/2 + 2 = 7; then (7 + 16)/2 + 2 = 13.
    EXPECT_EQ(d[12], 7);
    EXPECT_EQ(d[15], 13);
    EXPECT_EQ(Bytes(d + 18, d + 24), Bytes(6, 9));
}

TEST(PngDecoder, PaethPrefersLeftThenUpThenUpperLeft) {
    // A 2 × 2 RGB image whose row 1 is Paeth-filtered with delta 0 at pixel (1, 1), so
    // that pixel becomes the prediction from left = (0, 1), up = (1, 0), upper-left = (0, 0).
    auto predict = [](unsigned char ul, unsigned char up, unsigned char left) {
        Bytes rawPaeth = {0, ul, ul, ul, up, up, up, 4, 0, 0, 0, 0, 0, 0};
        // Pixel (0, 1) predicts from up alone (nothing to its left): store left − up.
        for (int c = 0; c < 3; c++)
            rawPaeth[8 + c] = static_cast<unsigned char>(left - ul);
        CFrameBuffer f(1, 1, false);
        EXPECT_EQ(Decode(Join({Signature, Header(2, 2), Chunk("IDAT", Compress(rawPaeth)),
                               Chunk("IEND", {})}),
                         f),
                  "");
        EXPECT_EQ(f.GetData()[6], left);
        return f.GetData()[9];
    };
    EXPECT_EQ(predict(7, 7, 7), 7);     // all equal
    EXPECT_EQ(predict(15, 20, 10), 15); // p = 15: pa = pb = 5, pc = 0: upper-left
    EXPECT_EQ(predict(12, 20, 10), 20); // p = 18: pa = 8, pb = 2, pc = 6: up
    EXPECT_EQ(predict(20, 10, 25), 10); // p = 15: pa = 10, pb = pc = 5: up
    EXPECT_EQ(predict(10, 20, 30), 30); // p = 40: pa = 10, pb = 20, pc = 30: left
}

TEST(PngDecoder, AlphaImagesKeepFourBytes) {
    Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes file = EncodePNG(3, 1, true, pixels);
    CFrameBuffer f(1, 1, false);
    ASSERT_EQ(Decode(file, f), "");
    EXPECT_TRUE(f.GetAlpha());
    EXPECT_EQ(Bytes(f.GetData(), f.GetData() + 12), pixels);
}
