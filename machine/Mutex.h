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
    // owning thread
    virtual void Release();
    // any thread; a hint only, the count is shared by all threads
    virtual bool IsLocked();

private:
    HANDLE Handle;
    std::atomic<int> LockCount;
};

// Holds a CMutex for one scope.
class CMutexLock {
public:
    explicit CMutexLock(CMutex* mutex) : Mutex(mutex) { Mutex->Lock(); }
    ~CMutexLock() { Mutex->Release(); }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

private:
    CMutex* Mutex;
};
