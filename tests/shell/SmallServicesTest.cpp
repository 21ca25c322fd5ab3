// Render-state sets, clear-and-present outside the frame loop, texture
// memory services, colour conversion and stored values.
#include <gtest/gtest.h>

#include "FrameFixture.h"
#include "SprWriter.h"
#include "shell/FrameState.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class SmallServices : public WithCallLog<FrameTest> {
protected:
    DWORD Render(D3DRENDERSTATETYPE state) const {
        DWORD value = 0;
        m_device->GetRenderState(state, &value);
        return value;
    }
    DWORD Stage(D3DTEXTURESTAGESTATETYPE state) const {
        DWORD value = 0;
        m_device->GetTextureStageState(0, state, &value);
        return value;
    }
};

TEST_F(SmallServices, Color565To8888SpreadsEachFieldToTheTopOfItsByte) {
    const struct {
        WORD colour;
        DWORD argb;
    } cases[] = {{0xFFFF, 0xFFF8FCF8}, {0xF800, 0xFFF80000}, {0x07E0, 0xFF00FC00},
                 {0x001F, 0xFF0000F8}, {0x0000, 0xFF000000}, {0x8410, 0xFF808080}};
    KDrawShell* shell = MakeShell();
    for (const auto& c : cases) EXPECT_EQ(shell->Color565To8888(c.colour), c.argb) << c.colour;
}

TEST_F(SmallServices, AlphaModeAndColourBlendSetTheirStates) {
    Start();
    m_frameShell->SetAlphaMode(1, 1, 77);
    EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(Render(D3DRS_ALPHAREF), 77u);
    m_frameShell->SetAlphaMode(0, 0, 3);
    EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 0u);
    m_frameShell->SetColorBlend();
    EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCCOLOR));
    EXPECT_EQ(Render(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCCOLOR));
}

TEST_F(SmallServices, SavedStateSetComesBackAndASecondSaveReplacesIt) {
    Start();
    const struct {
        bool stage;
        DWORD type;
        DWORD first, second, third;
    } states[] = {
        {false, D3DRS_CULLMODE, D3DCULL_CW, D3DCULL_CCW, D3DCULL_NONE},
        {false, D3DRS_SRCBLEND, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_DESTCOLOR},
        {false, D3DRS_DESTBLEND, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_ZERO},
        {false, D3DRS_ALPHABLENDENABLE, TRUE, FALSE, TRUE},
        {true, D3DTSS_ALPHAOP, D3DTOP_ADD, D3DTOP_MODULATE2X, D3DTOP_DISABLE},
        {true, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_TEXTURE},
        {true, D3DTSS_ALPHAARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTA_TFACTOR},
        {true, D3DTSS_COLOROP, D3DTOP_SELECTARG2, D3DTOP_ADD, D3DTOP_SUBTRACT},
        {true, D3DTSS_COLORARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTA_CURRENT},
        {true, D3DTSS_COLORARG2, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_DIFFUSE},
        {false, D3DRS_TEXTUREFACTOR, 0x11223344, 0x55667788, 0x99AABBCC},
    };
    auto set = [&](auto pick) {
        for (const auto& s : states) {
            if (s.stage)
                m_device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(s.type), pick(s));
            else
                m_device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.type), pick(s));
        }
    };
    auto expect = [&](auto pick) {
        for (const auto& s : states) {
            const DWORD value = s.stage ? Stage(static_cast<D3DTEXTURESTAGESTATETYPE>(s.type))
                                        : Render(static_cast<D3DRENDERSTATETYPE>(s.type));
            EXPECT_EQ(value, pick(s)) << (s.stage ? "stage " : "render ") << s.type;
        }
    };
    auto first = [](const auto& s) { return s.first; };
    auto second = [](const auto& s) { return s.second; };
    auto third = [](const auto& s) { return s.third; };
    set(first);
    m_frameShell->SaveRenderStates2();
    set(second);
    m_frameShell->RestoreRenderStates2();
    expect(first);
    set(second);
    m_frameShell->SaveRenderStates2();
    set(third);
    m_frameShell->RestoreRenderStates2();
    expect(second);
}

TEST_F(SmallServices, ClearScreenAndPresentRectWorkOutsideTheFrame) {
    Start();
    HWND other = CreateWindowExA(0, "LumivaTest", "Other", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    EXPECT_TRUE(m_frameShell->ClearScreen());
    EXPECT_EQ(BackBuffer().At(5, 5), 0xFF000000u);
    EXPECT_TRUE(m_frameShell->PresentRect(320, 240));
    m_frameShell->SetPresentWindow(1, 2, other);
    m_frameShell->ClearScreen();
    m_frameShell->PresentRect(64, 32);
    const auto presents = lumiva::d3d9::RecordedCallsNamed("Present");
    ASSERT_EQ(presents.size(), 2u);
    EXPECT_EQ(presents[0].args, (std::vector<uint64_t>{0, 0, 320, 240, 0, 0, 320, 240, 0}));
    EXPECT_EQ(presents[1].args[6], 64u);
    EXPECT_EQ(presents[1].args[8], reinterpret_cast<uintptr_t>(other));
    EXPECT_EQ(CallNames({"BeginScene", "Clear", "EndScene", "Present"}),
              (std::vector<std::string>{"BeginScene", "Clear", "EndScene", "Present", "BeginScene", "Clear",
                                        "EndScene", "Present"}));
}

TEST_F(SmallServices, TextureReleaseModesReachTheirParts) {
    Start();
    const struct {
        int mode;
        uint32_t idleMs;
        bool pictureStays;
    } cases[] = {
        {5, 30000, true},     // the texture manager alone
        {0, 30000, false},    // idle pictures go too
        {0, 1000, true},      // ... but only idle ones
        {-1, 0, false},       // everything goes
    };
    for (const auto& c : cases) {
        ASSERT_NE(CachePicture("p.jpg"), nullptr);
        lumiva::win32::AdvanceClock(c.idleMs);
        neighbours::CallLog().clear();
        m_frameShell->SetTextureRelease(c.mode);
        EXPECT_EQ(neighbours::CallLog(),
                  std::vector<std::string>{"TextureManager::FreeTextureMemory " + std::to_string(c.mode)})
            << c.mode;
        EXPECT_EQ(IsCached("p.jpg"), c.pictureStays) << c.mode << " after " << c.idleMs << " ms";
        m_frameShell->imageCache.ReleaseAll();
    }
}

TEST_F(SmallServices, BackRefreshNeedsEnoughFreeTextureMemory) {
    Start();
    g_VideoPolicy.BackRefresh = 32;
    lumiva::d3d9::SetTotalTextureMemory(lumiva::d3d9::UsedTextureMemory() + (64u << 20));
    EXPECT_EQ(m_frameShell->GetAvailableTextureMem(), 64u << 20);
    EXPECT_TRUE(m_frameShell->EnableBackRefresh(1));
    EXPECT_EQ(m_frameShell->IsBackRefreshEnabled(), 1);
    lumiva::d3d9::SetTotalTextureMemory(lumiva::d3d9::UsedTextureMemory() + (32u << 20) - 1);
    EXPECT_FALSE(m_frameShell->EnableBackRefresh(0));
    EXPECT_EQ(m_frameShell->IsBackRefreshEnabled(), 1);
}

TEST_F(SmallServices, PictureCostsComeFromTheCachedPictures) {
    Start();
    SprSpriteInfo info{16, 16, 0, 0, 0, 0};
    std::vector<SprPixels> frames = {
        {8, 8, 0, 0, std::vector<uint32_t>(64, 0xFFFF0000u)},
        {16, 16, 0, 0, std::vector<uint32_t>(256, 0xFF00FF00u)},
    };
    const std::vector<uint8_t> bytes = WriteSpr(info, frames);
    WriteDataFile("a.spr", std::string(bytes.begin(), bytes.end()));
    // A4R4G4B4 tiles: 8 x 8 x 2 bytes for frame 0, then 16 x 16 x 2 more.
    EXPECT_EQ(m_frameShell->GetPictureFrameCost("a.spr", 0), 128u);
    EXPECT_EQ(m_frameShell->GetPictureFrameCost("a.spr", 1), 128u + 512u);
    EXPECT_EQ(m_frameShell->GetPictureFrameCost("a.spr", 5), 0u);
    EXPECT_EQ(m_frameShell->GetPictureFrameCost(nullptr, 0), 0u);
    EXPECT_EQ(m_frameShell->GetPictureFrameCost("missing.spr", 0), 0u);
    EXPECT_EQ(m_frameShell->MeasureObjectMemory("fx.a3e"), 0u);
}

TEST_F(SmallServices, StoredValues) {
    Start();
    m_frameShell->SetUiScale(0.5f);
    EXPECT_EQ(m_frameShell->GetUiScale(), 0.5f);
    m_frameShell->SetGlobalAlpha(0.25f);
    EXPECT_EQ(m_frameShell->globalAlpha, 0.25f);
    EXPECT_EQ(m_frameShell->Reserved89(), 0);
}

TEST_F(SmallServices, WithoutADeviceNothingHappens) {
    KDrawShell* shell = MakeShell();
    EXPECT_FALSE(shell->ClearScreen());
    EXPECT_FALSE(shell->PresentRect(10, 10));
    EXPECT_EQ(shell->GetAvailableTextureMem(), 0u);
    shell->SaveRenderStates2();
    shell->RestoreRenderStates2();
    shell->BeginBillboardState(0);
    shell->EndBillboardState(0);
    shell->SetAlphaMode(1, 1, 1);
    shell->SampleOcclusionPixels();
    EXPECT_FALSE(shell->TestOcclusionPixels());
    EXPECT_FALSE(shell->PrepareOffscreenView(nullptr, 0, 10, 10));
    shell->RenderOffscreenView(nullptr, 0, 0, 0);
    EXPECT_TRUE(lumiva::win32::RecordedMessageBoxes().empty());
}

}  // namespace
}  // namespace shell_test
