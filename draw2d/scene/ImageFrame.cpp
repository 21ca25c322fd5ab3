#include "draw2d/scene/ImageFrame.h"

#include <algorithm>
#include <cmath>

#include "basrel/HostIntegers.h"
#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"
#include "textures/KSprImage.h"

namespace {

constexpr int kFrameVertexCount = 4 * KFrameTilesView::kMaxTiles;

struct Cut {
    int start;     // where the quad begins in the target, 0 or more
    int length;    // pixels kept
    float window;  // texture coordinate at the start
};

// One axis: placement scaled, the part before the target cut off, the rest
// kept up to the target's far edge.
Cut CutAxis(int position, int tilePosition, int tileSize, int textureSize, float scale, int targetSize) {
    const int begin = host_int::Truncate(static_cast<float>(int64_t{position} + tilePosition) * scale);
    int size = host_int::Truncate(static_cast<float>(tileSize) * scale);
    int room = targetSize;
    if (begin >= 0)
        room = host_int::Sub(room, begin);
    else
        size = host_int::Add(size, begin);
    const float window = begin < 0 ? -static_cast<float>(begin) / (static_cast<float>(textureSize) * scale) : 0.0f;
    return {std::max(begin, 0), std::min(size, room), window};
}

bool UsableScale(float scale) { return scale != 0.0f && std::isfinite(scale); }

}  // namespace

void DrawImageFrameTiles(KShellServices& shell, const KFrameTilesView& tiles, int targetWidth, int targetHeight, int x,
                         int y, float scaleX, float scaleY) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device) return;
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    auto* out =
        static_cast<KScreenVertex*>(shell.LockDynamicVertices(kFrameVertexCount, sizeof(KScreenVertex), &first, &buffer));
    if (!out) return;
    bool written[KFrameTilesView::kMaxTiles] = {};
    for (int j = 0; j < tiles.tileCount; ++j) {
        const KTileView& tile = tiles.tiles[j];
        // No texture window without a texture size or a usable scale.
        if (tile.textureWidth == 0 || tile.textureHeight == 0) continue;
        if (!UsableScale(scaleX) || !UsableScale(scaleY)) continue;
        written[j] = true;
        const Cut cx = CutAxis(x, tile.x, tile.width, tile.textureWidth, scaleX, targetWidth);
        const Cut cy = CutAxis(y, tile.y, tile.height, tile.textureHeight, scaleY, targetHeight);
        const float uL = cx.window, vT = cy.window;
        const float uR = static_cast<float>(cx.length) / (tile.textureWidth * scaleX) + uL;
        const float vB = static_cast<float>(cy.length) / (tile.textureHeight * scaleY) + vT;
        const float left = static_cast<float>(cx.start) - 0.5f, top = static_cast<float>(cy.start) - 0.5f;
        const float right = left + static_cast<float>(cx.length), bottom = top + static_cast<float>(cy.length);
        KScreenVertex* slot = out + 4 * j;
        slot[0] = {left, top, 0.0f, 1.0f, 0xFFFFFFFF, uL, vT};
        slot[1] = {right, top, 0.0f, 1.0f, 0xFFFFFFFF, uR, vT};
        slot[2] = {left, bottom, 0.0f, 1.0f, 0xFFFFFFFF, uL, vB};
        slot[3] = {right, bottom, 0.0f, 1.0f, 0xFFFFFFFF, uR, vB};
    }
    shell.UnlockDynamicVertices();
    device->SetStreamSource(0, buffer, 0, sizeof(KScreenVertex));
    // A tile without texture is skipped: the tiles after it still draw.
    for (int j = 0; j < tiles.tileCount; ++j) {
        if (!written[j] || !tiles.tiles[j].texture) continue;
        device->SetTexture(0, tiles.tiles[j].texture);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(first + 4 * j), 2);
    }
}

void DrawImageFrame(KShellServices& shell, KSprImage* image, int frame, KImageTexture* target, int x, int y, float scaleX,
                    float scaleY) {
    KFrameTilesView tiles;
    if (!image || !target || !ReadFrameTiles(*image, frame, &tiles)) return;
    DrawImageFrameTiles(shell, tiles, target->GetWidth(), target->GetHeight(), x, y, scaleX, scaleY);
}
