// GDI part of the Win32 subset: device contexts over window surfaces and memory
// bitmaps (24-bit), DIB transfer, blits, solid pens and brushes, lines, clip regions
// and text in a small built-in face.
#pragma once

#include "platform/User.h"
#include "platform/Win32Types.h"

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // negative: rows top to bottom
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

enum : DWORD { BI_RGB = 0 };
enum : UINT { DIB_RGB_COLORS = 0 };
enum : DWORD { SRCCOPY = 0x00CC0020 };
enum { PS_SOLID = 0 };
enum { LOGPIXELSY = 90 };
enum { BLACK_BRUSH = 4, NULL_BRUSH = 5, BLACK_PEN = 7 };
enum { TRANSPARENT = 1, OPAQUE = 2 };
enum { DEFAULT_CHARSET = 1 };
enum : UINT {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_SINGLELINE = 0x20,
};
enum { NULLREGION = 1, SIMPLEREGION = 2, ERROR_REGION = 0 };

#define RGB(r, g, b)                                                                               \
    (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | \
                           (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (static_cast<BYTE>(c))
#define GetGValue(c) (static_cast<BYTE>((c) >> 8))
#define GetBValue(c) (static_cast<BYTE>((c) >> 16))

HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int which);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage);
BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy,
            DWORD rop);
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* points, int count);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int SelectClipRgn(HDC dc, HRGN region);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charset, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);
int DrawTextA(HDC dc, LPCSTR text, int length, RECT* rect, UINT format);
int GetDeviceCaps(HDC dc, int index);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
int SetBkMode(HDC dc, int mode);
COLORREF GetPixel(HDC dc, int x, int y);

// Shell.
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, int show);
