// Slots 134, 143 and 144: a quad spanned by two scene points, drawn at once
// through the shared dynamic buffer, and the quad table of prepared quads
// drawn with a picture frame.
#include "draw2d/render/VertexBuilders.h"
#include "draw2d/render/VertexLock.h"
#include "shell/KDrawShell.h"
#include "textures/KSprImage.h"

namespace {

constexpr DWORD kWhite = 0xFFFFFFFF;
constexpr DWORD kRed = 0xFFFF0000;
constexpr int16_t kAnyIndexHint = -1;  // 0xFFFF

bool InTable(int index) { return index >= 0 && index < kQuadTableSize; }

KSceneVertex SceneVertex(float x, float y, float z, DWORD colour, float u, float v) {
    return KSceneVertex{x, y, z, colour, u, v};
}

}  // namespace

/* 134 */ void KDrawShell::DrawQuad3D(const float* a, const float* b, DWORD colour) {
    if (!a || !b) return;
    KVertexLock lock(*this, 4, 0, sizeof(KSceneVertex));
    if (!lock) return;
    auto* v = static_cast<KSceneVertex*>(lock.Data());
    v[0] = SceneVertex(a[0], a[1], a[2], colour, 0, 0);
    v[1] = SceneVertex(a[0], b[1], b[2], colour, 0, 1);
    v[2] = SceneVertex(b[0], a[1], a[2], colour, 1, 0);
    v[3] = SceneVertex(b[0], b[1], b[2], colour, 1, 1);
    lock.BindStream();
    lock.Device()->SetFVF(kSceneVertexFvf);
    lock.Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
}

/* 143 */ void KDrawShell::CreateTableQuad(int index, float x0, float y0, float z0, float x1, float y1, float z1,
                                           float x2, float y2, float z2, float x3, float y3, float z3, BYTE red) {
    IDirect3DDevice9* device = GetDevice();
    if (!device || !InTable(index)) return;
    IDirect3DVertexBuffer9*& entry = quadTable[index];
    if (!entry && FAILED(device->CreateVertexBuffer(4 * sizeof(KSceneVertex), 0, kSceneVertexFvf, D3DPOOL_DEFAULT,
                                                    &entry, nullptr))) {
        entry = nullptr;
        return;
    }
    void* bytes = nullptr;
    if (FAILED(entry->Lock(0, 0, &bytes, 0))) return;
    const DWORD colour = red ? kRed : kWhite;
    auto* v = static_cast<KSceneVertex*>(bytes);
    v[0] = SceneVertex(x0, y0, z0, colour, 0, 0);
    v[1] = SceneVertex(x1, y1, z1, colour, 0, 1);
    v[2] = SceneVertex(x2, y2, z2, colour, 1, 1);
    v[3] = SceneVertex(x3, y3, z3, colour, 1, 0);
    entry->Unlock();
    quadTableReady = 1;
}

/* 144 */ void KDrawShell::DrawTableQuad(const char* fileName, int16_t frame, int index) {
    IDirect3DDevice9* device = GetDevice();
    if (!device || !InTable(index) || !quadTable[index] || frame < 0) return;
    DWORD fileId = 0;
    int16_t hint = kAnyIndexHint;
    KImageTexture* picture = imageCache.GetImage(fileName, &fileId, &hint, frame, 1, 0, 1, 0, 0);
    if (!picture || frame >= picture->GetFrameCount()) return;
    auto* sprite = dynamic_cast<KSprImage*>(picture);
    IDirect3DTexture9* tile = sprite ? sprite->GetTileTexture(frame, 0) : nullptr;
    if (!tile) return;
    device->SetStreamSource(0, quadTable[index], 0, sizeof(KSceneVertex));
    device->SetFVF(kSceneVertexFvf);
    device->SetTexture(0, tile);
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}
