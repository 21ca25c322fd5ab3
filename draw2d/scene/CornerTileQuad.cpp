#include <algorithm>

#include "draw2d/scene/CornerPicture.h"
#include "shell/D3DShell.h"
#include "shell/ShellServices.h"

D3DXVECTOR3 ComputeCornerVector(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float s0, float s1, float s) {
    const float t = (s - s0) / (s1 - s0);
    return D3DXVECTOR3(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
}

namespace {

D3DXVECTOR3 CornerAt(const float* corners, int index) {
    return D3DXVECTOR3(corners[index * 3], corners[index * 3 + 1], corners[index * 3 + 2]);
}

float InterpolateLinear(float x, float x0, float x1, float a0, float a1) {
    return (x - x0) / (x1 - x0) * (a1 - a0) + a0;
}

}  // namespace

bool CornersOnScreen(KShellServices& shell, const float* corners) {
    D3DXVECTOR3 p[4];
    for (int i = 0; i < 4; ++i) {
        const D3DXVECTOR3 corner = CornerAt(corners, i);
        D3DXVec3Project(&p[i], &corner, &shell.Viewport(), &shell.ProjectionMatrix(), &shell.ViewMatrix(), nullptr);
    }
    const float width = static_cast<float>(g_ScreenWidth), height = static_cast<float>(g_ScreenHeight);
    if (p[1].x < 0 || p[2].x < 0 || p[0].x > width || p[3].x > width) return false;
    if (p[2].y < 0 || p[3].y < 0 || p[0].y > height || p[1].y > height) return false;
    return true;
}

bool BuildCornerTileQuad(const float* corners, const KFrameTilesView& tiles, int j, const int32_t* clip,
                         KCornerSpan span, KCornerTileQuad* quad) {
    const KTileView& tile = tiles.tiles[j];
    if (tile.textureWidth == 0 || tile.textureHeight == 0) return false;
    const float tw = tile.textureWidth, th = tile.textureHeight;
    const float uMax = tile.width / tw, vMax = tile.height / th;
    const float x0 = tile.x, x1 = static_cast<float>(tile.x + tile.width);
    const float y0 = tile.y, y1 = static_cast<float>(tile.y + tile.height);
    float uL = 0, vT = 0, uR = uMax, vB = vMax;
    if (clip) {
        float left = static_cast<float>(clip[0]), top = static_cast<float>(clip[1]);
        float right = static_cast<float>(clip[2]), bottom = static_cast<float>(clip[3]);
        if (left > x1 || right < x0 || top > y1 || bottom < y0) return false;
        left = std::max(left, x0), top = std::max(top, y0), right = std::min(right, x1), bottom = std::min(bottom, y1);
        if (x1 > x0) uL = InterpolateLinear(left, x0, x1, 0, uMax), uR = InterpolateLinear(right, x0, x1, 0, uMax);
        if (y1 > y0) vT = InterpolateLinear(top, y0, y1, 0, vMax), vB = InterpolateLinear(bottom, y0, y1, 0, vMax);
    }

    // Across the picture the corners stand for the frame's width, or for the
    // clip's columns; a clip without columns falls back to the frame.
    float xL = x0, xR = x1, across = tiles.frameWidth;
    if (span == KCornerSpan::Clip && clip && clip[2] != clip[0]) {
        across = static_cast<float>(int64_t{clip[2]} - clip[0]);
        xL = tile.x + tile.width * uL - static_cast<float>(clip[0]);
        xR = tile.x + tile.width * uR - static_cast<float>(clip[0]);
    }
    const float down = tiles.frameHeight;
    const D3DXVECTOR3 tl = CornerAt(corners, 0), tr = CornerAt(corners, 1);
    const D3DXVECTOR3 br = CornerAt(corners, 2), bl = CornerAt(corners, 3);
    const D3DXVECTOR3 topL = ComputeCornerVector(tl, tr, 0, across, xL),
                      botL = ComputeCornerVector(bl, br, 0, across, xL);
    const D3DXVECTOR3 topR = ComputeCornerVector(tl, tr, 0, across, xR),
                      botR = ComputeCornerVector(bl, br, 0, across, xR);
    quad->topLeft = ComputeCornerVector(topL, botL, 0, down, y0);
    quad->bottomLeft = ComputeCornerVector(topL, botL, 0, down, y1);
    quad->topRight = ComputeCornerVector(topR, botR, 0, down, y0);
    quad->bottomRight = ComputeCornerVector(topR, botR, 0, down, y1);
    const float hu = 0.5f / tw, hv = 0.5f / th;
    quad->uL = uL + hu, quad->uR = uR - hu, quad->vT = vT + hv, quad->vB = vB - hv;
    return true;
}
