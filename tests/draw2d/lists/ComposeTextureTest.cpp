// A group composed into the shell's compose texture and drawn as one quad:
// the texels against a hand decode, the recorded states, and the pixels.
#include <algorithm>
#include <vector>

#include "ListsFixture.h"
#include "draw2d/lists/ComposeTexture.h"
#include "draw2d/lists/GreySurface.h"
#include "shell/D3DDevice.h"

namespace {

using lists_test::ListsTest;

const uint16_t kPalette[4] = {0x0F00, 0x00F0, 0x000F, 0x0FFF};

// A w x h frame of one opaque colour, as whole-row runs.
std::vector<uint8_t> SolidRuns(int w, int h, uint8_t index) {
    std::vector<uint8_t> runs;
    for (int y = 0; y < h; ++y) {
        runs.push_back(uint8_t(w));
        runs.push_back(255);
        runs.insert(runs.end(), size_t(w), index);
    }
    return runs;
}

class ComposeTexture : public ListsTest {
protected:
    // Four 4 x 4 frames in a 2 x 2 block at (10, 20): red, green, blue, white.
    void MakeGroup() {
        for (uint8_t i = 0; i < 4; ++i) runs[i] = SolidRuns(4, 4, i);
        for (int i = 0; i < 4; ++i) {
            KComposeFrame frame;
            frame.x = 10 + 4 * (i % 2);
            frame.y = 20 + 4 * (i / 2);
            frame.width = frame.height = 4;
            frame.runData = runs[i].data();
            frame.runSize = runs[i].size();
            frame.palette = kPalette;
            frame.colorCount = 4;
            frames.push_back(frame);
            WidenGroupBox(&box, frame.x, frame.y, 4, 4);
        }
    }
    std::vector<uint16_t> Texels(IDirect3DTexture9* texture, int w, int h) {
        std::vector<uint16_t> texels;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                texels.push_back(reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(locked.pBits) +
                                                                   size_t(y) * size_t(locked.Pitch))[x]);
        texture->UnlockRect(0);
        return texels;
    }
    std::vector<uint8_t> runs[4];
    std::vector<KComposeFrame> frames;
    KGroupBox box;
};

TEST_F(ComposeTexture, TexelsEqualTheHandDecodeAndEarlierGroupsAreCleared) {
    MakeGroup();
    IDirect3DTexture9* texture = Shell()->composeTextureSmall;
    ASSERT_NE(texture, nullptr);
    // A previous, larger group leaves texels behind that must not show.
    KGroupBox wide{0, 0, 12, 12, false};
    std::vector<uint8_t> white = SolidRuns(12, 12, 3);
    KComposeFrame old;
    old.width = old.height = 12;
    old.runData = white.data();
    old.runSize = white.size();
    old.palette = kPalette;
    old.colorCount = 4;
    ASSERT_TRUE(ComposeFramesIntoTexture(texture, wide, {old}));

    frames.pop_back();  // white quarter missing: it stays clear
    ASSERT_TRUE(ComposeFramesIntoTexture(texture, box, frames));
    const std::vector<uint16_t> texels = Texels(texture, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int quarter = (y / 4) * 2 + x / 4;
            const uint16_t expected = quarter == 3 ? 0 : uint16_t(0xF000 | kPalette[quarter]);
            EXPECT_EQ(texels[size_t(y * 8 + x)], expected) << x << "," << y;
        }
}

TEST_F(ComposeTexture, OneQuadWithModulate4xThenStatesGoBack) {
    MakeGroup();
    IDirect3DTexture9* texture = Shell()->composeTextureSmall;
    ASSERT_TRUE(ComposeFramesIntoTexture(texture, box, frames));
    BeginScene(0xFF000000);
    lumiva::d3d9::EnableRecording(true);
    lumiva::d3d9::ClearRecording();
    DrawComposedQuad(*Shell(), texture, box, 128, 0xFF404040u, 2);
    EndScene();

    ASSERT_EQ(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").size(), 1u);
    const auto draw = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive")[0];
    EXPECT_EQ(draw.args[0], uint64_t(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(draw.args[2], 2u);
    std::vector<std::pair<uint64_t, uint64_t>> colourOps;
    for (const auto& call : lumiva::d3d9::RecordedCallsNamed("SetTextureStageState"))
        if (call.args[1] == D3DTSS_COLOROP) colourOps.push_back({call.args[2], 0});
    ASSERT_EQ(colourOps.size(), 2u);
    EXPECT_EQ(colourOps[0].first, uint64_t(D3DTOP_MODULATE4X));
    EXPECT_EQ(colourOps[1].first, uint64_t(D3DTOP_MODULATE));
    DWORD filter = 0;
    Device()->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_POINT));

    const lumiva::d3d9::Image image = BackBuffer();
    // Grey 0x40 times four leaves 4-bit full channels full.
    EXPECT_EQ(image.At(11, 21) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.At(16, 21) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(image.At(11, 26) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.At(16, 26) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.At(9, 21) & 0xFFFFFF, 0u) << "left of the box";
    EXPECT_EQ(image.At(19, 27) & 0xFFFFFF, 0u) << "right of the box";
}

TEST_F(ComposeTexture, BlendMode3AddsTheQuadColour) {
    MakeGroup();
    ASSERT_TRUE(ComposeFramesIntoTexture(Shell()->composeTextureSmall, box, frames));
    BeginScene(0xFF000000);
    lumiva::d3d9::EnableRecording(true);
    lumiva::d3d9::ClearRecording();
    DrawComposedQuad(*Shell(), Shell()->composeTextureSmall, box, 128, 0xFF404040u, 3);
    EndScene();
    const auto calls = lumiva::d3d9::RecordedCallsNamed("SetTextureStageState");
    const auto add = std::find_if(calls.begin(), calls.end(), [](const lumiva::d3d9::RecordedCall& call) {
        return call.args[1] == D3DTSS_COLOROP && call.args[2] == D3DTOP_ADD;
    });
    EXPECT_NE(add, calls.end());
    EXPECT_EQ(BackBuffer().At(11, 26) & 0xFFFFFF, 0x4040FFu) << "blue plus grey";
}

TEST_F(ComposeTexture, GreySurfaceTextureHoldsTheImage) {
    const std::vector<uint8_t> grey = {0, 128, 255, 7, 8, 9};
    IDirect3DTexture9* texture = nullptr;
    RebuildGreySurfaceTexture(Device(), &texture, grey.data(), 3, 2);
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto texel = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch))[x];
    };
    EXPECT_EQ(texel(0, 0), 0xFF000000u);
    EXPECT_EQ(texel(1, 0), 0xFF808080u);
    EXPECT_EQ(texel(2, 0), 0x00FFFFFFu);
    EXPECT_EQ(texel(2, 1), 0xFF090909u);
    texture->UnlockRect(0);

    RebuildGreySurfaceTexture(Device(), &texture, nullptr, 3, 2);
    EXPECT_EQ(texture, nullptr) << "the old texture goes even when no new one can be made";
}

}  // namespace

namespace {

class DeviceViewport : public lists_test::ListsTest {};

TEST_F(DeviceViewport, WrapperHandsOutWhatWasSet) {
    g_D3DDevice.SetViewportRect(10, 110, 20, 70, 0.25f, 0.75f);
    D3DVIEWPORT9 viewport{};
    g_D3DDevice.GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 10u);
    EXPECT_EQ(viewport.Y, 20u);
    EXPECT_EQ(viewport.Width, 100u);
    EXPECT_EQ(viewport.Height, 50u);
    EXPECT_EQ(viewport.MinZ, 0.25f);
    EXPECT_EQ(viewport.MaxZ, 0.75f);
}

}  // namespace
