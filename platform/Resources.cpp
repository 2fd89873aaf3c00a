#include "platform/Resources.h"

#include <strings.h>

// Defined by the generated resource object when a target links it; a program that
// links none simply has no resources.
extern "C" const SResourceTable KestrelResources __attribute__((weak));

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
    const SResourceTable* table = &KestrelResources;
    if (!table || !name || !type || !IS_INTRESOURCE(name) || IS_INTRESOURCE(type)) return nullptr;
    const int id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
    for (int i = 0; i < table->Count; i++) {
        const SResourceEntry& entry = table->Entries[i];
        if (entry.Id == id && strcasecmp(entry.Type, type) == 0)
            return reinterpret_cast<HRSRC>(const_cast<SResourceEntry*>(&entry));
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    return reinterpret_cast<HGLOBAL>(resource);
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    return resource ? reinterpret_cast<const SResourceEntry*>(resource)->Size : 0;
}

LPVOID LockResource(HGLOBAL handle) {
    if (!handle) return nullptr;
    return const_cast<unsigned char*>(static_cast<const SResourceEntry*>(handle)->Data);
}

BOOL FreeResource(HGLOBAL) {
    return TRUE;
}
