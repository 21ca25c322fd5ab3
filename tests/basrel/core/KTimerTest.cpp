#include "CoreTestSupport.h"
#include "KTimer.h"
#include "win32/Control.h"

namespace basrel_core_test {
namespace {

using KTimerTest = DataRootTest;

TEST_F(KTimerTest, CountsOnTheManualClock) {
    lumiva::win32::InstallManualClock(5000);
    KTimer timer;
    EXPECT_EQ(timer.GetElapse(), 0u);
    EXPECT_EQ(timer.GetInterval(), 0u);
    lumiva::win32::AdvanceClock(250);
    EXPECT_EQ(timer.GetElapse(), 250u);  // from construction

    timer.Start();
    lumiva::win32::AdvanceClock(16);
    timer.Stop();
    EXPECT_EQ(timer.GetInterval(), 16u);
    lumiva::win32::AdvanceClock(1000);
    EXPECT_EQ(timer.GetInterval(), 16u);  // kept until the next Stop
    EXPECT_EQ(timer.GetElapse(), 1016u);  // Stop does not stop the count

    timer.Start();
    EXPECT_EQ(timer.GetElapse(), 0u);
    lumiva::win32::AdvanceClock(1001);
    EXPECT_EQ(timer.GetElapse(), 1001u);
}

TEST_F(KTimerTest, SurvivesTheClockWrapping) {
    lumiva::win32::InstallManualClock(0xFFFFFFFFull - 10);
    KTimer timer;
    lumiva::win32::AdvanceClock(30);
    EXPECT_EQ(timer.GetElapse(), 30u);
    timer.Stop();
    EXPECT_EQ(timer.GetInterval(), 30u);
}

}  // namespace
}  // namespace basrel_core_test
