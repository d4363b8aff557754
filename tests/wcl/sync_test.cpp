// The lock: it keeps other threads out while held, by its guard too, and its holder may take it
// again.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "wcl/sync.h"

namespace {

// Whether another thread can take the lock now.
bool FreeForAnotherThread(wcl::CCriticalSection& lock) {
    bool taken = false;
    std::thread other([&] {
        taken = lock.TryLock();
        if (taken)
            lock.Unlock();
    });
    other.join();
    return taken;
}

TEST(CriticalSection, KeepsOtherThreadsOutUntilEveryLockIsUndone) {
    wcl::CCriticalSection lock;
    EXPECT_TRUE(FreeForAnotherThread(lock));
    lock.Lock();
    EXPECT_FALSE(FreeForAnotherThread(lock));
    lock.Lock(); // the holder may take it again
    lock.Unlock();
    EXPECT_FALSE(FreeForAnotherThread(lock));
    lock.Unlock();
    EXPECT_TRUE(FreeForAnotherThread(lock));
}

TEST(CriticalSection, TheGuardHoldsItForItsScopeAndLetsGoOnAnException) {
    wcl::CCriticalSection lock;
    {
        wcl::ScopedLock hold(lock);
        EXPECT_FALSE(FreeForAnotherThread(lock));
    }
    EXPECT_TRUE(FreeForAnotherThread(lock));
    try {
        wcl::ScopedLock hold(lock);
        throw std::runtime_error("failed while holding");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(FreeForAnotherThread(lock));
}

} // namespace
