#include <thread>
#include <vector>

#include "CoreTestSupport.h"
#include "KMutex.h"

namespace basrel_core_test {
namespace {

TEST(KMutexTest, HolderMayLockAgainAndOthersWaitForTheLastUnlock) {
    KMutex mutex;
    auto otherThreadTakes = [&] {
        bool taken = false;
        std::thread other([&] {
            taken = mutex.TryLock();
            if (taken) mutex.Unlock();
        });
        other.join();
        return taken;
    };
    mutex.Lock();
    mutex.Lock();  // re-entrant: no deadlock
    EXPECT_TRUE(mutex.TryLock());
    mutex.Unlock();
    mutex.Unlock();
    EXPECT_FALSE(otherThreadTakes());  // still held once
    mutex.Unlock();
    EXPECT_TRUE(otherThreadTakes());
    {
        KAutoMutex hold(mutex);
        EXPECT_FALSE(otherThreadTakes());
    }
    EXPECT_TRUE(otherThreadTakes());
}

TEST(KMutexTest, NestedAutoMutexesSerialiseCounting) {
    KMutex mutex;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                KAutoMutex outer(mutex);
                KAutoMutex inner(&mutex);
                long seen = counter;
                counter = seen + 1;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(counter, 20000);
    // Every hold was given back: another thread can take it now.
    std::thread last([&] {
        KAutoMutex hold(mutex);
        ++counter;
    });
    last.join();
    EXPECT_EQ(counter, 20001);
}

}  // namespace
}  // namespace basrel_core_test
