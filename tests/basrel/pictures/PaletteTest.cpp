#include <gtest/gtest.h>

#include "Palette.h"

namespace {

TEST(Pal24ToPal32, WidensRedFirstTriplesToOpaqueArgb) {
    const BYTE pal24[] = {0x12, 0x34, 0x56, 0x00, 0x00, 0x00, 0xFF, 0x80, 0x01};
    DWORD pal32[4] = {0, 0, 0, 0xDEADBEEF};
    g_Pal24ToPal32(pal24, pal32, 3);
    EXPECT_EQ(pal32[0], 0xFF123456u);
    EXPECT_EQ(pal32[1], 0xFF000000u);
    EXPECT_EQ(pal32[2], 0xFFFF8001u);
    EXPECT_EQ(pal32[3], 0xDEADBEEFu) << "wrote past count";
}

TEST(Pal24ToPal32, IgnoresEmptyCountsAndNullPointers) {
    const BYTE pal24[] = {1, 2, 3};
    DWORD pal32[1] = {7};
    g_Pal24ToPal32(pal24, pal32, 0);
    g_Pal24ToPal32(pal24, pal32, -5);
    g_Pal24ToPal32(nullptr, pal32, 1);
    g_Pal24ToPal32(pal24, nullptr, 1);
    EXPECT_EQ(pal32[0], 7u);
}

}  // namespace
