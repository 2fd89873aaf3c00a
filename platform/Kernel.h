// Kernel part of the Win32 subset: recursive mutexes, the tick count, the last
// error and debugger output. Any thread may call any of these.
#pragma once

#include "platform/Win32Types.h"

// A mutex that its owning thread may lock again without blocking; each wait needs
// its release. Only the owner may release it (others get FALSE, ERROR_NOT_OWNER).
HANDLE CreateMutexA(void* securityAttributes, BOOL initialOwner, LPCSTR name);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL ReleaseMutex(HANDLE handle);
BOOL CloseHandle(HANDLE handle);

// Milliseconds since an arbitrary start, wrapping at 2^32 like Win32's.
DWORD GetTickCount();

DWORD GetLastError();
void SetLastError(DWORD error);

// Debugger output: goes to standard error when KESTREL_DEBUG is set in the
// environment, and is always kept for the test interface.
void OutputDebugStringA(LPCSTR text);
