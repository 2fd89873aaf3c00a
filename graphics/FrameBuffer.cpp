#include "graphics/FrameBuffer.h"
#include "graphics/BackBuffer.h"

#include <cstring>
#include <memory>
#include <vector>

CFrameBuffer::CFrameBuffer(int width, int height, bool alpha)
    : ClipLeft(0), ClipRight(width - 1), ClipTop(0), ClipBottom(height - 1),
      Width(width > 0 ? width : 0), Height(height > 0 ? height : 0), Data(nullptr), Alpha(alpha) {
    const size_t bytes = static_cast<size_t>(Width) * Height * BytesPerPixel();
    Data = new unsigned char[bytes ? bytes : 1];
    std::memset(Data, 160, bytes);
}

CFrameBuffer::~CFrameBuffer() {
    Free();
}

void CFrameBuffer::Free() {
    delete[] Data;
    Data = nullptr;
}

void CFrameBuffer::Clear() {
    Width = Height = 0;
    Data = nullptr;
    Alpha = false;
}

void CFrameBuffer::SetClip(int left, int top, int right, int bottom) {
    ClipLeft = left;
    ClipTop = top;
    ClipRight = right;
    ClipBottom = bottom;
}

void CFrameBuffer::SetPixel(int x, int y, unsigned long colour, unsigned char alpha) {
    unsigned char* p = Data + (static_cast<size_t>(y) * Width + x) * BytesPerPixel();
    p[0] = static_cast<unsigned char>(colour);
    p[1] = static_cast<unsigned char>(colour >> 8);
    p[2] = static_cast<unsigned char>(colour >> 16);
    if (Alpha) p[3] = alpha;
}

void CFrameBuffer::FillRect(int x, int y, int w, int h, unsigned long colour, unsigned char alpha) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            SetPixel(i, j, colour, alpha);
}

void CFrameBuffer::DrawRect(int x, int y, int w, int h, unsigned long colour, unsigned char alpha) {
    for (int i = x; i < x + w; i++) {
        SetPixel(i, y, colour, alpha);
        SetPixel(i, y + h - 1, colour, alpha);
    }
    for (int j = y; j < y + h; j++) {
        SetPixel(x, j, colour, alpha);
        SetPixel(x + w - 1, j, colour, alpha);
    }
}

void CFrameBuffer::Fill(unsigned long colour, int x, int y, int w, int h) {
    int left = x < ClipLeft ? ClipLeft : x;
    int top = y < ClipTop ? ClipTop : y;
    int right = x + w - 1 > ClipRight ? ClipRight : x + w - 1;
    int bottom = y + h - 1 > ClipBottom ? ClipBottom : y + h - 1;
    // The clip rectangle is the caller's; the buffer's own edges still hold.
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > Width - 1) right = Width - 1;
    if (bottom > Height - 1) bottom = Height - 1;
    for (int j = top; j <= bottom; j++)
        for (int i = left; i <= right; i++)
            SetPixel(i, j, colour, 0);
}

void CFrameBuffer::Fill(unsigned long colour) {
    Fill(colour, 0, 0, Width, Height);
}

void CFrameBuffer::Draw(CFrameBuffer* destination, int dx, int dy, int sx, int sy, int w, int h) {
    if (sx < 0) {
        w += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        dy -= sy;
        sy = 0;
    }
    if (dx < 0) {
        w += dx;
        sx -= dx;
        dx = 0;
    }
    if (dy < 0) {
        h += dy;
        sy -= dy;
        dy = 0;
    }
    if (dx + w > destination->Width) w = destination->Width - dx;
    if (dy + h > destination->Height) h = destination->Height - dy;
    if (w <= 0 || h <= 0) return;
    if (dx + w < destination->ClipLeft || dx > destination->ClipRight ||
        dy + h < destination->ClipTop || dy > destination->ClipBottom)
        return;
    if (dx < destination->ClipLeft) {
        const int k = destination->ClipLeft - dx;
        w -= k;
        sx += k;
        dx = destination->ClipLeft;
    }
    if (dy < destination->ClipTop) {
        const int k = destination->ClipTop - dy;
        h -= k;
        sy += k;
        dy = destination->ClipTop;
    }
    if (dx + w - 1 > destination->ClipRight) w = destination->ClipRight - dx + 1;
    if (dy + h - 1 > destination->ClipBottom) h = destination->ClipBottom - dy + 1;
    if (w <= 0 || h <= 0) return;

    const int sb = BytesPerPixel(), db = destination->BytesPerPixel();
    const double scale = 1.0 / 255;
    for (int row = 0; row < h; row++) {
        const unsigned char* s = Data + (static_cast<size_t>(sy + row) * Width + sx) * sb;
        unsigned char* d =
            destination->Data + (static_cast<size_t>(dy + row) * destination->Width + dx) * db;
        for (int col = 0; col < w; col++, s += sb, d += db) {
            if (!Alpha) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                continue;
            }
            const double f = s[3] * scale;
            for (int c = 0; c < 3; c++)
                d[c] = static_cast<unsigned char>(f * s[c] + (1.0 - f) * d[c]);
        }
    }
}

void CFrameBuffer::TextureFill(CFrameBuffer* destination, int ox, int oy) {
    if (Width <= 0 || Height <= 0 || !Data) return;
    // Offsets are window positions; a negative one wraps like any other.
    ox = (ox % Width + Width) % Width;
    oy = (oy % Height + Height) % Height;
    const int sb = BytesPerPixel(), db = destination->BytesPerPixel();
    for (int j = 0; j < destination->Height; j++) {
        const int y = (oy + j) % Height;
        for (int i = 0; i < destination->Width; i++) {
            const int x = (ox + i) % Width;
            const unsigned char* s = Data + (static_cast<size_t>(y) * Width + x) * sb;
            unsigned char* d =
                destination->Data + (static_cast<size_t>(j) * destination->Width + i) * db;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

namespace {

// 24-bit DIB rows, each padded to four bytes, pixels in blue, green, red order.
size_t DibStride(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

void TopDownHeader(BITMAPINFO& info, int width, int height) {
    info = BITMAPINFO{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
}

// Zeroed room for n bytes of DIB rows, kept per thread from one transfer to the next:
// an editor's redraws allocate nothing once it has drawn at its size.
unsigned char* RowBuffer(size_t n) {
    thread_local std::vector<unsigned char> rows;
    rows.assign(n, 0);
    return rows.data();
}

} // namespace

void CFrameBuffer::Draw(CBackBuffer* back, int, int y, int, int h) {
    if (!back || !Data || Alpha) return;
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (y + h > Height) h = Height - y;
    if (h <= 0) return;
    const size_t stride = DibStride(Width);
    unsigned char* rows = RowBuffer(stride * h);
    for (int r = 0; r < h; r++) {
        const unsigned char* s = Data + static_cast<size_t>(y + r) * Width * 3;
        unsigned char* d = rows + r * stride;
        for (int x = 0; x < Width; x++, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    BITMAPINFO info;
    TopDownHeader(info, Width, Height);
    SetDIBits(back->GetDC(), back->GetBitmap(), static_cast<UINT>(Height - y - h),
              static_cast<UINT>(h), rows, &info, DIB_RGB_COLORS);
}

void CFrameBuffer::Draw(CBackBuffer* back) {
    Draw(back, 0, 0, Width, Height);
}

void CFrameBuffer::DrawScaled(CBackBuffer* back, int y, int h, int scale) {
    if (scale <= 1) return Draw(back, 0, y, Width, h);
    if (!back || !Data || Alpha) return;
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (y + h > Height) h = Height - y;
    if (h <= 0 || back->GetWidth() < Width * scale || back->GetHeight() < Height * scale) return;
    const int width = Width * scale;
    const size_t stride = DibStride(width);
    unsigned char* rows = RowBuffer(stride * h * scale);
    for (int r = 0; r < h; r++) {
        const unsigned char* s = Data + static_cast<size_t>(y + r) * Width * 3;
        unsigned char* first = rows + static_cast<size_t>(r) * scale * stride;
        unsigned char* d = first;
        for (int x = 0; x < Width; x++, s += 3)
            for (int k = 0; k < scale; k++, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        for (int k = 1; k < scale; k++)
            std::memcpy(first + k * stride, first, stride);
    }
    BITMAPINFO info;
    TopDownHeader(info, width, Height * scale);
    SetDIBits(back->GetDC(), back->GetBitmap(), static_cast<UINT>((Height - y - h) * scale),
              static_cast<UINT>(h * scale), rows, &info, DIB_RGB_COLORS);
}

void CFrameBuffer::TextureFill(CBackBuffer* back, int ox, int oy) {
    if (!back || !Data || Width <= 0 || Height <= 0) return;
    const int bw = back->GetWidth(), bh = back->GetHeight();
    if (bw <= 0 || bh <= 0) return;
    ox = (ox % Width + Width) % Width;
    oy = (oy % Height + Height) % Height;
    const int bpp = BytesPerPixel();
    const size_t stride = DibStride(bw);
    unsigned char* rows = RowBuffer(stride * bh);
    for (int j = 0; j < bh; j++) {
        const int sy = (oy + j) % Height;
        unsigned char* d = rows + j * stride;
        for (int i = 0; i < bw; i++, d += 3) {
            const unsigned char* s =
                Data + (static_cast<size_t>(sy) * Width + (ox + i) % Width) * bpp;
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    BITMAPINFO info;
    TopDownHeader(info, bw, bh);
    SetDIBits(back->GetDC(), back->GetBitmap(), 0, static_cast<UINT>(bh), rows, &info,
              DIB_RGB_COLORS);
}
