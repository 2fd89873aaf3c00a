// Resources compiled into the library (Win32's are linked in by the resource
// compiler; here the build generates a table from resources/*.png). Any thread.
#pragma once

#include "platform/Win32Types.h"

#define MAKEINTRESOURCEA(id)                                                                       \
    (reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id))))
#define IS_INTRESOURCE(name) ((reinterpret_cast<ULONG_PTR>(name) >> 16) == 0)

// Names and types are integer ids (MAKEINTRESOURCEA) or strings, compared without case.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL handle);
BOOL FreeResource(HGLOBAL handle);

// One entry of the generated table.
struct SResourceEntry {
    const char* Type;
    int Id;
    const unsigned char* Data;
    unsigned int Size;
};

struct SResourceTable {
    const SResourceEntry* Entries;
    int Count;
};
