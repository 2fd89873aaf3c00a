// The recursive lock that machines, the lite container and the colour table
// inherit. The owning thread may lock again; each Lock needs its Release.
#pragma once

#include "platform/Win32.h"

#include <atomic>

class CMutex {
public:
    CMutex();
    virtual ~CMutex();

    // any thread; blocks without a time-out until this thread owns the lock
    virtual void Lock();
    // any thread; never waits: true when this thread now owns the lock (it then needs a
    // Release), false when another thread holds it.
    bool TryLock();
    // owning thread
    virtual void Release();
    // any thread; a hint only, the count is shared by all threads
    virtual bool IsLocked();

private:
#if defined(_WIN32)
    CRITICAL_SECTION Section;
#else
    HANDLE Handle;
#endif
    std::atomic<int> LockCount;
};

// Holds a CMutex for one scope, whatever leaves it (a return, an exception). A null
// mutex is no lock at all, for controls that may or may not be bound to a machine.
class CMutexLock {
public:
    explicit CMutexLock(CMutex* mutex) : Mutex(mutex) {
        if (Mutex) Mutex->Lock();
    }
    ~CMutexLock() {
        if (Mutex) Mutex->Release();
    }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

private:
    CMutex* Mutex;
};

// Tries a CMutex for one scope without waiting; Owns() says whether it was taken (and
// so is released at the end of the scope).
class CMutexTryLock {
public:
    explicit CMutexTryLock(CMutex* mutex) : Mutex(mutex && mutex->TryLock() ? mutex : nullptr) {}
    ~CMutexTryLock() {
        if (Mutex) Mutex->Release();
    }
    bool Owns() const { return Mutex != nullptr; }
    CMutexTryLock(const CMutexTryLock&) = delete;
    CMutexTryLock& operator=(const CMutexTryLock&) = delete;

private:
    CMutex* Mutex;
};
