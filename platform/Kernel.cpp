#include "platform/Kernel.h"
#include "platform/Recording.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Every kernel handle points at one of these; the magic word lets CloseHandle and
// the waits refuse a pointer that is not ours instead of crashing.
struct SKernelObject {
    static constexpr uint32_t MagicValue = 0x4B4F424A; // 'KOBJ'
    uint32_t Magic = MagicValue;
    virtual ~SKernelObject() { Magic = 0; }
};

struct SMutexObject : SKernelObject {
    std::mutex Guard;
    std::condition_variable Freed;
    std::thread::id Owner;
    int Depth = 0;
};

thread_local DWORD LastError = ERROR_SUCCESS;

SKernelObject* ToObject(HANDLE handle) {
    auto* object = static_cast<SKernelObject*>(handle);
    if (!object || object->Magic != SKernelObject::MagicValue) return nullptr;
    return object;
}

SMutexObject* ToMutex(HANDLE handle) {
    return dynamic_cast<SMutexObject*>(ToObject(handle));
}

std::mutex DebugGuard;
std::string DebugLog;

} // namespace

HANDLE CreateMutexA(void*, BOOL initialOwner, LPCSTR) {
    auto* mutex = new SMutexObject;
    if (initialOwner) {
        mutex->Owner = std::this_thread::get_id();
        mutex->Depth = 1;
    }
    return mutex;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    SMutexObject* mutex = ToMutex(handle);
    if (!mutex) {
        LastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    const std::thread::id self = std::this_thread::get_id();
    // A zero wait is a try: it must not even wait for another thread's brief hold of
    // the guard, so that an audio thread asking never blocks.
    std::unique_lock<std::mutex> lock(mutex->Guard, std::defer_lock);
    if (milliseconds == 0) {
        if (!lock.try_lock()) return WAIT_TIMEOUT;
    } else {
        lock.lock();
    }
    auto free = [&] { return mutex->Depth == 0 || mutex->Owner == self; };
    if (milliseconds == 0) {
        if (!free()) return WAIT_TIMEOUT;
    } else if (milliseconds == INFINITE) {
        mutex->Freed.wait(lock, free);
    } else if (!mutex->Freed.wait_for(lock, std::chrono::milliseconds(milliseconds), free)) {
        return WAIT_TIMEOUT;
    }
    mutex->Owner = self;
    ++mutex->Depth;
    return WAIT_OBJECT_0;
}

BOOL ReleaseMutex(HANDLE handle) {
    SMutexObject* mutex = ToMutex(handle);
    if (!mutex) {
        LastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    std::unique_lock<std::mutex> lock(mutex->Guard);
    if (mutex->Depth == 0 || mutex->Owner != std::this_thread::get_id()) {
        LastError = ERROR_NOT_OWNER;
        return FALSE;
    }
    if (--mutex->Depth == 0) {
        mutex->Owner = std::thread::id();
        lock.unlock();
        mutex->Freed.notify_one();
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    SKernelObject* object = ToObject(handle);
    if (!object) {
        LastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    delete object;
    return TRUE;
}

DWORD GetTickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetLastError() {
    return LastError;
}

void SetLastError(DWORD error) {
    LastError = error;
}

void OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    std::lock_guard<std::mutex> lock(DebugGuard);
    // Kept for tests, bounded so that a chatty plug-in cannot grow a host's memory.
    constexpr size_t Keep = 64 * 1024;
    DebugLog += text;
    if (DebugLog.size() > Keep) DebugLog.erase(0, DebugLog.size() - Keep);
    if (std::getenv("KESTREL_DEBUG")) std::fputs(text, stderr);
}

std::string KestrelTesting::TakeDebugOutput() {
    std::lock_guard<std::mutex> lock(DebugGuard);
    std::string taken;
    taken.swap(DebugLog);
    return taken;
}
