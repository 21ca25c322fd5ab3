// Slots 135, 164 and 165: rectangles the host draws directly.
#include <d3d9.h>

#include <cstdint>
#include <cstring>

#include "draw2d/render/VertexBuilders.h"
#include "draw2d/render/VertexLock.h"
#include "shell/KDrawShell.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

struct TileZero {
    IDirect3DTexture9* texture = nullptr;
    float width = 0, height = 0;
};

TileZero FirstTile(KImageTexture* image, int frame) {
    TileZero t;
    if (auto* sprite = dynamic_cast<KSprImage*>(image)) {
        t.texture = sprite->GetTileTexture(frame, 0);
        t.width = sprite->GetTileWidth(frame, 0), t.height = sprite->GetTileHeight(frame, 0);
    } else if (auto* jpeg = dynamic_cast<KJpgImage*>(image)) {
        const KSprTile& tile = jpeg->GetFrame().tiles[0];
        t.texture = tile.texture, t.width = float(tile.width), t.height = float(tile.height);
    }
    return t;
}

// The far edge of a host's span, formed without overflow.
float Far(int32_t start, int32_t length) { return float(int64_t{start} + length); }

}  // namespace

void KDrawShell::DrawRect(int x, int y, int width, int height, DWORD colour) {
    KVertexLock lock(*this, 4);
    if (!lock) return;
    SetScreenStrip(lock.Vertices(), float(x), float(y), Far(x, width), Far(y, height), 0.0f, colour);
    lock.BindStream();
    lock.Device()->SetTexture(0, nullptr);
    lock.Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
}

void KDrawShell::DrawTexturedRect(float x, float y, float width, float height, DWORD topLeft, DWORD topRight,
                                  DWORD bottomRight, DWORD bottomLeft) {
    KVertexLock lock(*this, 4, 0);
    if (!lock) return;
    KScreenVertex* v = lock.Vertices();
    SetScreenVertex(v[0], x, y, 0.1f, topLeft);
    SetScreenVertex(v[1], x + width, y, 0.1f, topRight);
    SetScreenVertex(v[2], x, y + height, 0.1f, bottomLeft);
    SetScreenVertex(v[3], x + width, y + height, 0.1f, bottomRight);
    v[0].u = 0, v[0].v = 0, v[1].u = 1, v[1].v = 0, v[2].u = 0, v[2].v = 1, v[3].u = 1, v[3].v = 1;
    lock.BindStream();
    lock.Device()->SetFVF(kScreenVertexFvf);
    lock.Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
}

void KDrawShell::DrawColorRect(KColorRect* hostRect, const char* fileName, int frame, int type) {
    if (!hostRect || !GetDevice()) return;
    // Read by copy: the host's record may sit at any address.
    KColorRect copy;
    std::memcpy(&copy, hostRect, sizeof(copy));
    const KColorRect* rect = &copy;
    DWORD fileId = 0;
    int16_t hint = 0;
    KImageTexture* image =
        fileName ? imageCache.GetImageNoPin(fileName, &fileId, &hint, frame, type, 1, 0, 0) : nullptr;
    const TileZero tile = image ? FirstTile(image, frame) : TileZero{};
    KVertexLock lock(*this, 4, image ? kScreenVertexFvf : kPlainVertexFvf);
    if (!lock) return;
    KScreenVertex* v = lock.Vertices();
    const float l = float(rect->x), t = float(rect->y);
    const float r = Far(rect->x, rect->width), b = Far(rect->y, rect->height);
    SetScreenVertex(v[0], l, t, 0.0f, rect->topLeft);
    SetScreenVertex(v[1], r, t, 0.0f, rect->topRight);
    SetScreenVertex(v[2], l, b, 0.0f, rect->bottomLeft);
    SetScreenVertex(v[3], r, b, 0.0f, rect->bottomRight);
    if (image && tile.width > 0 && tile.height > 0) {
        const float u0 = float(rect->sourceX) / tile.width, u1 = Far(rect->sourceX, rect->width) / tile.width;
        const float v0 = 1.0f - float(rect->sourceY) / tile.height;
        const float v1 = 1.0f - Far(rect->sourceY, rect->height) / tile.height;
        v[0].u = u0, v[0].v = v0, v[1].u = u1, v[1].v = v0, v[2].u = u0, v[2].v = v1, v[3].u = u1, v[3].v = v1;
    }
    lock.BindStream();
    lock.Device()->SetTexture(0, tile.texture);
    lock.Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
}
