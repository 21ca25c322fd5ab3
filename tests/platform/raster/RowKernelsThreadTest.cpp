// The row kernels are chosen on their first use, which may come from
// several raster workers at once (a scene's first flush). Under
// ThreadSanitizer a table read before its publication is seen is reported.
#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

#include "d3d9/raster/RowKernels.h"

namespace rastertest::row_kernels_thread_test {
namespace {

using raster::ActiveRowKernels;
using raster::ActiveSimdLevel;
using raster::RowKernels;
using raster::RowKernelsFor;
using raster::SimdLevel;

// Every thread that asks at once gets a whole table and the level it
// belongs to. (In a process of its own, as ctest runs it, this is the
// first use.)
TEST(RowKernelsThreadTest, FirstUseFromManyThreadsSeesAWholeTableAndItsLevel) {
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::vector<const RowKernels*> tables(kThreads);
    std::vector<char> whole(kThreads);  // not vector<bool>: its elements share words
    std::vector<int> levels(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            const RowKernels& kernels = ActiveRowKernels();
            tables[size_t(i)] = &kernels;
            whole[size_t(i)] = kernels.shade && kernels.shadeScaled && kernels.alphaTested && kernels.decodeA4R4G4B4;
            levels[size_t(i)] = int(ActiveSimdLevel());
        });
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_TRUE(whole[size_t(i)]) << "thread " << i;
        ASSERT_GE(levels[size_t(i)], int(SimdLevel::kScalar)) << "thread " << i;
        EXPECT_EQ(tables[size_t(i)], &RowKernelsFor(SimdLevel(levels[size_t(i)]))) << "thread " << i;
    }
}

}  // namespace
}  // namespace rastertest::row_kernels_thread_test
