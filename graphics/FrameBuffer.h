// An in-memory picture: rows top to bottom, R, G, B (and A with alpha) per pixel,
// no padding, straight alpha with 255 opaque. Colours are 0x00BBGGRR. No lock:
// callers serialise access (the container holds its own while it draws).
#pragma once

#include "platform/Win32.h"

class CBackBuffer;
struct SDataSegs;

class CFrameBuffer {
public:
    // Every byte starts at 160: mid-grey, and alpha 160 with alpha.
    CFrameBuffer(int width, int height, bool alpha);
    // Decodes the "PNG" resource with this id from the library; throws const char*.
    explicit CFrameBuffer(int resourceId);
    ~CFrameBuffer();

    void Free();  // releases the pixels; width and height stay
    void Clear(); // forgets everything without releasing (the loader's start)

    unsigned char* GetData() { return Data; }
    const unsigned char* GetData() const { return Data; }
    int GetWidth() const { return Width; }
    int GetHeight() const { return Height; }
    bool GetAlpha() const { return Alpha; }
    int BytesPerPixel() const { return Alpha ? 4 : 3; }

    // Inclusive bounds that limit Fill and blits into this buffer.
    void SetClip(int left, int top, int right, int bottom);

    // No bounds or clip checks: callers stay inside the buffer.
    void SetPixel(int x, int y, unsigned long colour, unsigned char alpha);
    void FillRect(int x, int y, int w, int h, unsigned long colour, unsigned char alpha);
    void DrawRect(int x, int y, int w, int h, unsigned long colour, unsigned char alpha);

    // Clipped; in a buffer with alpha the filled area becomes fully transparent.
    void Fill(unsigned long colour, int x, int y, int w, int h);
    void Fill(unsigned long colour);

    // Composites this buffer's w × h rectangle at (sx, sy) onto destination at (dx, dy),
    // clipped to the destination's size and clip rectangle.
    void Draw(CFrameBuffer* destination, int dx, int dy, int sx, int sy, int w, int h);
    // Covers destination with this picture as a tile shifted by (ox, oy); both without alpha.
    void TextureFill(CFrameBuffer* destination, int ox, int oy);

    // Into a window's back buffer (this buffer without alpha): whole rows y … y+h−1,
    // whatever x and w say; all rows; or tiled over the whole bitmap.
    void Draw(CBackBuffer* back, int x, int y, int w, int h);
    void Draw(CBackBuffer* back);
    // Rows y … y + h − 1 into a back buffer `scale` times as large, every pixel an
    // scale × scale block: pixel art stays sharp on dense screens.
    void DrawScaled(CBackBuffer* back, int y, int h, int scale);
    void TextureFill(CBackBuffer* back, int ox, int oy);

    // Decoder (PngDecoder.cpp). Each failure throws a const char* message.
    void LoadPNG(const unsigned char* data, unsigned int length);
    void LoadPNGHeader(const unsigned char* data, unsigned int length);
    void LoadPNGData(const unsigned char* data, unsigned int length, SDataSegs* segments);
    void LoadPNGInflate(SDataSegs* segments);
    void FilterScanline(unsigned int filter, unsigned int row);

    int ClipLeft, ClipRight, ClipTop, ClipBottom;

    CFrameBuffer(const CFrameBuffer&) = delete;
    CFrameBuffer& operator=(const CFrameBuffer&) = delete;

private:
    int Width;
    int Height;
    unsigned char* Data;
    bool Alpha;
};

// The decoded artwork of the editor, shared by every instance of the process.
struct SKestrelGraphics {
    CFrameBuffer* Background;      // 118: 430 × 200 RGB, the editor's size
    CFrameBuffer* KnobStrip;       // 107: 32 × 2318 RGBA, 61 frames of 38 rows
    CFrameBuffer* VerticalThumb;   // 110: 11 × 18 RGBA
    CFrameBuffer* HorizontalThumb; // 109: 18 × 11 RGBA
    CFrameBuffer* RoomArt;         // 108: 26 × 18 RGB, four 13 × 9 node tiles
    CFrameBuffer* FontSheet;       // 104: 128 × 104 RGBA, 8 × 8 cells of 16 × 13
};

// Resource ids of the six pictures, in the order they are decoded.
enum {
    ResourceBackground = 118,
    ResourceKnobStrip = 107,
    ResourceHorizontalThumb = 109,
    ResourceVerticalThumb = 110,
    ResourceRoomArt = 108,
    ResourceFontSheet = 104,
};

// Decodes the six pictures in the order 118, 107, 109, 110, 108, 104, each into its
// field; on a failure frees what was decoded, leaves the record empty and rethrows.
void LoadKestrelGraphics(SKestrelGraphics* graphics);
// Frees the six pictures in the same order and empties the record.
void FreeKestrelGraphics(SKestrelGraphics* graphics);
