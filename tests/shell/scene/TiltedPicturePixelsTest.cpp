// A picture on corners tilted away from the camera is textured in
// perspective: the texture's middle lands where the scene's middle
// projects, not halfway across the screen.
#include <gtest/gtest.h>

#include <cmath>

#include "draw2d/scene/CornerPicture.h"
#include "shell/scene/ScenePictureFixture.h"

namespace shell_test {
namespace {

class TiltedPicture : public ScenePictureTest {};

TEST_F(TiltedPicture, TextureMiddleFollowsThePerspective) {
    StartIdentity();
    D3DXMatrixPerspectiveFovLH(&m_frameShell->projectionMatrix, 1.5707964f, 800.0f / 600.0f, 0.1f, 100.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_device->SetTransform(D3DTS_WORLD, &identity);
    m_device->SetTransform(D3DTS_VIEW, &m_frameShell->viewMatrix);
    m_device->SetTransform(D3DTS_PROJECTION, &m_frameShell->projectionMatrix);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);

    IDirect3DTexture9* texture = MakeTexture(64, 64, [](int x, int) { return x < 32 ? 0xFFFF0000u : 0xFF0000FFu; });
    // Left edge near (z = 2), right edge far (z = 6).
    const float corners[12] = {-1, 1, 2, 1, 1, 6, 1, -1, 6, -1, -1, 2};
    DrawTilesOnCorners(*m_frameShell, corners, OneTile(64, 64, 64, 64, texture), 0xFFFFFFFFu, 1, nullptr, 1.0f,
                       KCornerSpan::Frame);
    ASSERT_EQ(Draws().size(), 1u);

    auto project = [&](float x, float z) {
        D3DXVECTOR3 in(x, 0, z), out;
        D3DXVec3Project(&out, &in, &m_frameShell->viewport, &m_frameShell->projectionMatrix, &identity, nullptr);
        return out.x;
    };
    const float left = project(-1, 2), right = project(1, 6);
    const float middle = project(0, 4);          // where u = 0.5 belongs
    const float affine = (left + right) / 2.0f;  // where a screen-linear u would put it
    ASSERT_GT(std::fabs(middle - affine), 30.0f);

    const lumiva::d3d9::Image image = BackBuffer();
    const UINT row = 300;
    const auto at = [&](float x) { return image.At(static_cast<UINT>(x), row) & 0x00FFFFFFu; };
    EXPECT_EQ(at(middle - 6), 0xFF0000u);
    EXPECT_EQ(at(middle + 6), 0x0000FFu);
    EXPECT_EQ(at(left + 4), 0xFF0000u);
    EXPECT_EQ(at(right - 4), 0x0000FFu);
    EXPECT_EQ(at(left - 4), 0x000000u);
}

}  // namespace
}  // namespace shell_test
