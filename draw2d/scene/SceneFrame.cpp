#include "draw2d/scene/SceneFrame.h"

#include <algorithm>

#include "draw2d/scene/SceneVertex.h"
#include "draw2d/scene/StageStates.h"
#include "shell/ShellServices.h"
#include "textures/KSprImage.h"

namespace {

constexpr int kSceneFrameVertexCount = 4 * KFrameTilesView::kMaxTiles;

struct Span {
    float low, high;
};

float Along(float at, Span span, float extent) {
    return span.high == span.low ? 0.0f : (at - span.low) / (span.high - span.low) * extent;
}

// Writes tile j's quad; false when the clip hides it.
bool WriteTileQuad(KSceneVertex* out, Span xs, Span ys, float z, const KTileView& tile, const KSceneClip& clip) {
    if (clip.left > xs.high || clip.right < xs.low || clip.top > ys.high || clip.bottom < ys.low) return false;
    const float l = std::max(clip.left, xs.low), t = std::max(clip.top, ys.low);
    const float r = std::min(clip.right, xs.high), b = std::min(clip.bottom, ys.high);
    const float uMax = static_cast<float>(tile.width) / tile.textureWidth;
    const float vMax = static_cast<float>(tile.height) / tile.textureHeight;
    const float uL = Along(l, xs, uMax), uR = Along(r, xs, uMax);
    const float vT = Along(t, ys, vMax), vB = Along(b, ys, vMax);
    out[0] = {l, t, z, kOpaqueWhite, uL, vT};
    out[1] = {r, t, z, kOpaqueWhite, uR, vT};
    out[2] = {l, b, z, kOpaqueWhite, uL, vB};
    out[3] = {r, b, z, kOpaqueWhite, uR, vB};
    return true;
}

}  // namespace

void DrawFrameTilesInScene(KShellServices& shell, float x, float y, float z, int width, int height,
                           const KFrameTilesView& tiles, KSceneClip clip, bool pointVariant) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device) return;
    device->SetFVF(kSceneVertexFvf);
    // A frame without pixels has no scale onto width x height.
    if (tiles.frameWidth == 0 || tiles.frameHeight == 0) return;
    if (const float* offset = shell.ActiveWorldOffset()) {
        x += offset[0], y += offset[1], z += offset[2];
        clip.left += offset[0], clip.right += offset[0];
        clip.top += offset[1], clip.bottom += offset[1];
    }
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    auto* out =
        static_cast<KSceneVertex*>(shell.LockDynamicVertices(kSceneFrameVertexCount, sizeof(KSceneVertex), &first, &buffer));
    if (!out) return;
    const float sx = static_cast<float>(width) / tiles.frameWidth, sy = static_cast<float>(height) / tiles.frameHeight;
    const float grow = pointVariant ? 0.5f : -0.5f;
    bool visible[KFrameTilesView::kMaxTiles] = {};
    for (int j = 0; j < tiles.tileCount; ++j) {
        const KTileView& tile = tiles.tiles[j];
        if (tile.textureWidth == 0 || tile.textureHeight == 0) continue;
        const Span xs{x + tile.x * sx - 0.5f, x + (tile.x + tile.width) * sx + grow};
        const Span ys{y + tile.y * sy - 0.5f, y + (tile.y + tile.height) * sy + grow};
        visible[j] = WriteTileQuad(out + 4 * j, xs, ys, z, tile, clip);
    }
    shell.UnlockDynamicVertices();
    device->SetStreamSource(0, buffer, 0, sizeof(KSceneVertex));

    DWORD minFilter = 0, magFilter = 0;
    if (pointVariant) {
        device->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
        device->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);
        SetSampler0Filters(device, D3DTEXF_POINT);
    }
    for (int j = 0; j < tiles.tileCount; ++j) {
        if (!visible[j] || !tiles.tiles[j].texture) continue;
        device->SetTexture(0, tiles.tiles[j].texture);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(first + 4 * j), 2);
    }
    if (pointVariant) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, magFilter);
    }
}

void DrawFrameInScene(KShellServices& shell, int x, int y, int z, int width, int height, uint32_t frame, KSprImage* picture,
                      const int32_t* clip) {
    KFrameTilesView tiles;
    if (!picture || !clip || !ReadFrameTiles(*picture, static_cast<int>(frame), &tiles)) return;
    const KSceneClip rect{static_cast<float>(clip[0]), static_cast<float>(clip[1]), static_cast<float>(clip[2]),
                          static_cast<float>(clip[3])};
    DrawFrameTilesInScene(shell, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), width, height,
                          tiles, rect, false);
}

void DrawFrameInScenePoint(KShellServices& shell, float x, float y, float z, int width, int height, uint32_t frame,
                           KSprImage* picture, const float* clip) {
    KFrameTilesView tiles;
    if (!picture || !clip || !ReadFrameTiles(*picture, static_cast<int>(frame), &tiles)) return;
    DrawFrameTilesInScene(shell, x, y, z, width, height, tiles, KSceneClip{clip[1], clip[0], clip[3], clip[2]}, true);
}
