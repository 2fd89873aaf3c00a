#include "machine/Mutex.h"

CMutex::CMutex() : Handle(CreateMutexA(nullptr, FALSE, nullptr)), LockCount(0) {}

CMutex::~CMutex() {
    if (LockCount.load(std::memory_order_relaxed) > 0) Release();
    CloseHandle(Handle);
}

void CMutex::Lock() {
    WaitForSingleObject(Handle, INFINITE);
    LockCount.fetch_add(1, std::memory_order_relaxed);
}

void CMutex::Release() {
    LockCount.fetch_sub(1, std::memory_order_relaxed);
    ReleaseMutex(Handle);
}

bool CMutex::IsLocked() {
    return LockCount.load(std::memory_order_relaxed) > 0;
}
