// DirectDraw: creation and the total video memory in the capability record.
#include <cstring>

#include <gtest/gtest.h>

#include <ddraw.h>

#include "ddraw/Control.h"

namespace {

constexpr GUID kOtherInterface = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override { lumiva::ddraw::ResetForTests(); }
    void TearDown() override {
        EXPECT_EQ(lumiva::ddraw::LiveObjectCount(), 0);
        lumiva::ddraw::ResetForTests();
    }
};

IDirectDraw7* Create() {
    void* object = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr), DD_OK);
    return static_cast<IDirectDraw7*>(object);
}

TEST_F(DirectDrawTest, CapsReportTheInjectedVideoMemory) {
    lumiva::ddraw::SetTotalVideoMemory(0x2000000);
    IDirectDraw7* dd = Create();
    ASSERT_NE(dd, nullptr);
    DDCAPS hal, hel;
    std::memset(&hal, 0xCD, sizeof hal);
    hal.dwSize = sizeof hal;
    hel.dwSize = 380;
    ASSERT_EQ(dd->GetCaps(&hal, &hel), DD_OK);
    EXPECT_EQ(hal.dwVidMemTotal, 0x2000000u);
    EXPECT_EQ(hal.dwSize, 380u);
    EXPECT_EQ(hal.dwCaps, 0u);  // the rest is cleared
    EXPECT_EQ(hel.dwVidMemTotal, 0u);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DirectDrawTest, DefaultIs128MiBAndSizesAreChecked) {
    IDirectDraw7* dd = Create();
    DDCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(dd->GetCaps(&caps, nullptr), DD_OK);
    EXPECT_EQ(caps.dwVidMemTotal, 128u << 20);
    caps.dwSize = 0;
    EXPECT_EQ(dd->GetCaps(&caps, nullptr), DDERR_INVALIDPARAMS);
    caps.dwSize = 381;
    EXPECT_EQ(dd->GetCaps(&caps, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
    dd->Release();
}

TEST_F(DirectDrawTest, UnavailableOrWrongInterfaceCreatesNothing) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, kOtherInterface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(object, nullptr);
    lumiva::ddraw::SetAvailable(false);
    EXPECT_NE(DirectDrawCreateEx(nullptr, &object, IID_IDirectDraw7, nullptr), DD_OK);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, nullptr, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);
}

}  // namespace
