#include "machine/Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(Mutex, OneThreadLocksRecursively) {
    CMutex mutex;
    EXPECT_FALSE(mutex.IsLocked());
    mutex.Lock();
    mutex.Lock(); // must not deadlock
    EXPECT_TRUE(mutex.IsLocked());
    mutex.Release();
    EXPECT_TRUE(mutex.IsLocked());
    mutex.Release();
    EXPECT_FALSE(mutex.IsLocked());
}

TEST(Mutex, ExcludesAnotherThreadUntilFullyReleased) {
    CMutex mutex;
    std::atomic<bool> entered{false};
    mutex.Lock();
    mutex.Lock();
    std::thread other([&] {
        mutex.Lock();
        entered = true;
        mutex.Release();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered.load());
    mutex.Release();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered.load()) << "one release of two must keep the lock";
    mutex.Release();
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(Mutex, OnlyTheOwnerReleasesTheKernelMutex) {
    HANDLE handle = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_EQ(WaitForSingleObject(handle, INFINITE), WAIT_OBJECT_0);
    BOOL released = TRUE;
    DWORD error = 0;
    std::thread([&] {
        released = ReleaseMutex(handle);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(released);
    EXPECT_EQ(error, ERROR_NOT_OWNER);
    std::thread([&] { EXPECT_EQ(WaitForSingleObject(handle, 10), WAIT_TIMEOUT); }).join();
    EXPECT_TRUE(ReleaseMutex(handle));
    EXPECT_FALSE(ReleaseMutex(handle)); // not held any more
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_FALSE(CloseHandle(nullptr));
}
