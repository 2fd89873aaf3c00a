#include "machine/Mutex.h"

// On Windows a critical section: recursive like the kernel mutex, but taken in user
// mode when nobody else holds it, so the two locks of every process call cost no
// trip into the kernel. Elsewhere the Win32 subset's kernel mutex.
#if defined(_WIN32)

CMutex::CMutex() : LockCount(0) {
    InitializeCriticalSection(&Section);
}

CMutex::~CMutex() {
    if (LockCount.load(std::memory_order_relaxed) > 0) Release();
    DeleteCriticalSection(&Section);
}

void CMutex::Lock() {
    EnterCriticalSection(&Section);
    LockCount.fetch_add(1, std::memory_order_relaxed);
}

bool CMutex::TryLock() {
    if (!TryEnterCriticalSection(&Section)) return false;
    LockCount.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void CMutex::Release() {
    LockCount.fetch_sub(1, std::memory_order_relaxed);
    LeaveCriticalSection(&Section);
}

#else

CMutex::CMutex() : Handle(CreateMutexA(nullptr, FALSE, nullptr)), LockCount(0) {}

CMutex::~CMutex() {
    if (LockCount.load(std::memory_order_relaxed) > 0) Release();
    CloseHandle(Handle);
}

void CMutex::Lock() {
    WaitForSingleObject(Handle, INFINITE);
    LockCount.fetch_add(1, std::memory_order_relaxed);
}

bool CMutex::TryLock() {
    if (WaitForSingleObject(Handle, 0) != WAIT_OBJECT_0) return false;
    LockCount.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void CMutex::Release() {
    LockCount.fetch_sub(1, std::memory_order_relaxed);
    ReleaseMutex(Handle);
}

#endif

bool CMutex::IsLocked() {
    return LockCount.load(std::memory_order_relaxed) > 0;
}
