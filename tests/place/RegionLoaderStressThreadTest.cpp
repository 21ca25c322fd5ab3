// A seeded run of random host actions against the running loader thread:
// focus moves of 0 to 8 regions and to the ends of the coordinate range,
// frames (waits and merges), queries, selections, reloads of a packed and a
// loose map, unloads and Release/Init, with the thread delayed at random
// steps. Whenever it comes to rest the window must be whole and every
// record hold its own region. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <thread>

#include "LoaderFixture.h"

namespace place_test {
namespace {

constexpr uint32_t kSeed = 20261211;
constexpr int kRounds = 1500;

GeneratedMapFields StressMap(bool pack) {
    GeneratedMapFields map;
    map.folder = pack ? "\\Maps\\stress_packed" : "\\Maps\\stress_loose";
    map.left = map.top = 10;
    map.width = map.height = 12;
    map.tiles = 2;
    map.groundRecords = 4;
    map.objects = 12;
    map.lights = 1;
    map.pack = pack;
    map.looseFiles = !pack;
    return map;
}

class RegionLoaderStressThreadTest : public LoaderTest {
protected:
    int32_t Pick(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); }

    void Load(bool pack) {
        current = StressMap(pack);
        ASSERT_TRUE(LoadGenerated(current, false));
        Focus(Pick(8, 23), Pick(8, 23));
    }
    void Focus(int64_t rx, int64_t ry) {
        const int32_t x = int32_t(std::clamp<int64_t>(rx * 512 + Pick(0, 511), INT_MIN, INT_MAX));
        const int32_t y = int32_t(std::clamp<int64_t>(ry * 1024 + Pick(0, 1023), INT_MIN, INT_MAX));
        Place().SetFocus(x, y, 0);
    }
    void Move() {
        if (Pick(0, 19) == 0) {
            const int32_t ends[] = {INT_MIN, INT_MIN + 600, -1, 0, 1, INT_MAX - 600, INT_MAX};
            Place().SetFocus(ends[Pick(0, 6)], ends[Pick(0, 6)], 0);
            return;
        }
        Focus(int64_t(Place().CentreX()) + Pick(-8, 8), int64_t(Place().CentreY()) + Pick(-8, 8));
    }
    void Query() {
        int32_t x = 0, y = 0;
        Place().GetFocus(&x, &y, nullptr);
        for (int i = 0; i < 8; ++i) {
            const int32_t qx = int32_t(std::clamp<int64_t>(int64_t(x) + Pick(-900, 900), INT_MIN, INT_MAX));
            const int32_t qy = int32_t(std::clamp<int64_t>(int64_t(y) + Pick(-1800, 1800), INT_MIN, INT_MAX));
            Place().GetObstacle(qx, qy);
            Place().GetCell(qx, qy);
        }
        Place().FindRegion(Place().CentreX(), Place().CentreY());
    }
    void Select() {
        if (Pick(0, 2) == 0) {
            Place().ClearRegionObjectSelection();
            return;
        }
        Place().SelectRegionObject(Place().CentreX() + Pick(-2, 2), Place().CentreY() + Pick(-2, 2), Pick(0, 11));
    }
    void Settle() {
        probe.Drain(Place());
        ExpectSettledWindow(current, false);
    }

    std::mt19937 random{kSeed};
    GeneratedMapFields current;
};

TEST_F(RegionLoaderStressThreadTest, RandomHostActionsLeaveAWholeWindowAtRest) {
    ASSERT_TRUE(WriteGeneratedMap(m_root, StressMap(false)));
    ASSERT_TRUE(WriteGeneratedMap(m_root, StressMap(true)));
    probe.SetExtra([](RegionLoaderStep) {
        thread_local std::mt19937 delays{kSeed + 1};
        for (int i = std::uniform_int_distribution<int>(0, 3)(delays); i > 0; --i) std::this_thread::yield();
    });
    Load(true);
    int settles = 0;
    for (int round = 0; round < kRounds && !HasFatalFailure(); ++round) {
        const int action = Pick(0, 99);
        if (action < 50) {
            Move();
        } else if (action < 65) {
            Place().UpdateFrame();
        } else if (action < 75) {
            Query();
        } else if (action < 82) {
            Select();
        } else if (action < 88) {
            Settle();
            ++settles;
        } else if (action < 93) {
            Load(Pick(0, 1) == 1);
        } else if (action < 97) {
            Place().UnloadMap();
            Load(Pick(0, 1) == 1);
        } else {
            Place().Release();
            ASSERT_TRUE(Place().Init(nullptr));
            Load(Pick(0, 1) == 1);
        }
    }
    Settle();
    Place().UpdateFrame();
    EXPECT_GT(settles, 10);
}

}  // namespace
}  // namespace place_test
