// The pak preload thread on the manual clock: it moves only when the test
// advances the clock or stops it, and tells each step through the hook.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "RegionFixture.h"
#include "basrel/PakPreloads.h"
#include "place/PakPreload.h"
#include "win32/Control.h"

namespace place_test {
namespace {

struct Seen {
    PakPreloadStep step;
    std::string name;
    uint64_t clock;
};

// The thread's steps as they happen; the test takes them in order.
class StepChannel {
public:
    void Push(PakPreloadStep step, const char* name) {
        std::lock_guard lock(m_mutex);
        m_steps.push_back({step, name ? name : "", lumiva::win32::ClockMilliseconds()});
        m_changed.notify_all();
    }
    // The next step of that kind; earlier ones of other kinds are dropped.
    Seen Next(PakPreloadStep step) {
        std::unique_lock lock(m_mutex);
        for (;;) {
            // A bound against a hang, not a timing: the thread answers at once.
            if (!m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return !m_steps.empty(); })) {
                ADD_FAILURE() << "the thread stopped telling";
                return {step, "", 0};
            }
            Seen seen = m_steps.front();
            m_steps.pop_front();
            if (seen.step == step) return seen;
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Seen> m_steps;
};

class PakPreloadThreadTest : public RegionTest {
protected:
    void SetUp() override {
        RegionTest::SetUp();
        lumiva::win32::InstallManualClock(0);
        SetPakPreloadHook([this](PakPreloadStep step, const char* name) {
            steps.Push(step, name);
            if (step == PakPreloadStep::Took && holdTook) holdTook();
        });
    }
    void TearDown() override {
        ResetPakPreloadForTests();
        RegionTest::TearDown();
    }
    // Started and idle in its 1 ms wait.
    void StartIdle() {
        ASSERT_TRUE(StartPakPreloadThread());
        steps.Next(PakPreloadStep::Idle);
        ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));
    }
    void WriteText(const std::string& path) { WriteFile(path, std::vector<uint8_t>{'x'}); }

    StepChannel steps;
    std::function<void()> holdTook;
};

TEST_F(PakPreloadThreadTest, LoadsOneFilePerFiveMillisecondsAfterAOneMillisecondIdle) {
    WriteText("\\pics\\a.spr");
    WriteText("\\pics\\b.spr");
    StartIdle();
    EXPECT_EQ(PakPreloadRunFlag().load(), 1);
    QueuePakPreload("\\pics\\a.spr");
    QueuePakPreload("\\pics\\b.spr");
    lumiva::win32::AdvanceClock(1);
    const Seen a = steps.Next(PakPreloadStep::Took);
    EXPECT_EQ(a.name, "\\pics\\a.spr");
    EXPECT_EQ(a.clock, 1u);
    EXPECT_EQ(steps.Next(PakPreloadStep::Loaded).name, "\\pics\\a.spr");
    EXPECT_EQ(basrel::PreloadCount(), 1u);
    steps.Next(PakPreloadStep::Pause);
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));
    lumiva::win32::AdvanceClock(4);  // not yet
    lumiva::win32::AdvanceClock(1);
    const Seen b = steps.Next(PakPreloadStep::Took);
    EXPECT_EQ(b.name, "\\pics\\b.spr");
    EXPECT_EQ(b.clock, 6u);
    steps.Next(PakPreloadStep::Loaded);
    EXPECT_EQ(basrel::PreloadCount(), 2u);
}

TEST_F(PakPreloadThreadTest, ANameCanBeQueuedAgainOnceTaken) {
    StartIdle();
    QueuePakPreload("n");
    QueuePakPreload("n");
    EXPECT_EQ(QueuedPakPreloads().size(), 1u);
    lumiva::win32::AdvanceClock(1);
    steps.Next(PakPreloadStep::Took);
    QueuePakPreload("n");
    EXPECT_EQ(QueuedPakPreloads(), std::vector<std::string>{"n"});
}

TEST_F(PakPreloadThreadTest, OneThreadInTheModulesLife) {
    StartIdle();
    const int handles = lumiva::win32::OpenHandleCount();
    EXPECT_TRUE(StartPakPreloadThread());
    EXPECT_EQ(lumiva::win32::OpenHandleCount(), handles);
    // A stop wakes it at once: the clock does not move.
    EXPECT_TRUE(StopPakPreloadThread(INFINITE));
    steps.Next(PakPreloadStep::Stopping);
    EXPECT_EQ(PakPreloadRunFlag().load(), 2);
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 0u);
    EXPECT_FALSE(StartPakPreloadThread());
    EXPECT_EQ(lumiva::win32::OpenHandleCount(), handles);
    EXPECT_TRUE(StopPakPreloadThread(0));  // nothing running
    // The reset for tests allows a new start.
    ResetPakPreloadForTests();
    SetPakPreloadHook([this](PakPreloadStep step, const char* name) { steps.Push(step, name); });
    StartIdle();
}

// A stop that comes before the thread ever runs is not lost: the starter
// has already set the flag to 1, so the stop's 0 stands.
TEST_F(PakPreloadThreadTest, AStopRightAfterTheStartIsKept) {
    ASSERT_TRUE(StartPakPreloadThread());
    EXPECT_EQ(PakPreloadRunFlag().load(), 1);
    EXPECT_TRUE(StopPakPreloadThread(INFINITE));
    EXPECT_EQ(PakPreloadRunFlag().load(), 2);
}

// The map's unload waits for the preload in flight before it releases the
// copies, so nothing of the old map stays in memory.
TEST_F(PakPreloadThreadTest, ReleaseWaitsForThePreloadInFlight) {
    WriteText("\\pics\\a.spr");
    WriteText("\\pics\\b.spr");
    std::promise<void> letGo;
    std::shared_future<void> goAhead = letGo.get_future().share();
    holdTook = [goAhead] { goAhead.wait(); };
    StartIdle();
    QueuePakPreload("\\pics\\a.spr");
    QueuePakPreload("\\pics\\b.spr");
    lumiva::win32::AdvanceClock(1);
    const Seen took = steps.Next(PakPreloadStep::Took);  // held in the hook now
    EXPECT_EQ(took.name, "\\pics\\a.spr");

    std::atomic<bool> released{false};
    std::thread unload([&] {
        ReleasePakPreloads();
        released = true;
    });
    // The queue is emptied first, then the unload waits for a (the only
    // kernel wait: the thread is held in the hook).
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));
    EXPECT_TRUE(QueuedPakPreloads().empty());
    EXPECT_FALSE(released.load());
    letGo.set_value();
    unload.join();
    EXPECT_EQ(steps.Next(PakPreloadStep::Loaded).name, "\\pics\\a.spr");
    EXPECT_EQ(basrel::PreloadCount(), 0u);
}

}  // namespace
}  // namespace place_test
