// Win32's scalar and handle types for builds on other systems. Widths follow the
// LP64 rules of 64-bit Windows: LONG and DWORD stay 32 bits, pointer-sized values
// (LONG_PTR, WPARAM, LPARAM, LRESULT) are as wide as a pointer.
#pragma once

#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef void* LPVOID;
typedef void* HANDLE;

// Distinct handle types, as Win32's STRICT mode declares them, so that a window
// cannot be passed where a device context is expected.
#define KESTREL_DECLARE_HANDLE(name)                                                               \
    struct name##__;                                                                               \
    typedef struct name##__* name
KESTREL_DECLARE_HANDLE(HWND);
KESTREL_DECLARE_HANDLE(HINSTANCE);
KESTREL_DECLARE_HANDLE(HRSRC);
KESTREL_DECLARE_HANDLE(HDC);
KESTREL_DECLARE_HANDLE(HGDIOBJ__KESTREL);
KESTREL_DECLARE_HANDLE(HCURSOR);
KESTREL_DECLARE_HANDLE(HMENU);
KESTREL_DECLARE_HANDLE(HICON);
#undef KESTREL_DECLARE_HANDLE
typedef HINSTANCE HMODULE;
typedef HANDLE HGLOBAL;
// GDI objects share one handle type here, as they share DeleteObject and SelectObject.
typedef HGDIOBJ__KESTREL HGDIOBJ;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HRGN;

// Calling conventions of Win32 callbacks; one and the same elsewhere.
#define CALLBACK
#define WINAPI

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#define ERROR_SUCCESS 0u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_OWNER 288u
