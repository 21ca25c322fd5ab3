#include "draw2d/render/VertexBuilders.h"

#include <cstring>

#include <d3d9.h>

#include "lumiva/PrimitiveRecords.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/VertexLock.h"
#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"

void SetScreenVertex(KScreenVertex& v, float x, float y, float z, DWORD colour) {
    v.x = x;
    v.y = y;
    v.z = z;
    v.rhw = 1.0f;
    v.colour = colour;
}

void SetScreenStrip(KScreenVertex* v, float left, float top, float right, float bottom, float z, DWORD colour) {
    SetScreenVertex(v[0], left, top, z, colour);
    SetScreenVertex(v[1], right, top, z, colour);
    SetScreenVertex(v[2], left, bottom, z, colour);
    SetScreenVertex(v[3], right, bottom, z, colour);
}

// Untextured drawers take the diffuse colour alone, then put the stage back
// to the module's usual texture-times-diffuse colour and texture alpha.
void DrawDiffuseOnly(IDirect3DDevice9* device, D3DPRIMITIVETYPE kind, UINT first, UINT primitives) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->DrawPrimitive(kind, first, primitives);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

namespace {

void FillQuad(KShellServices& shell, float left, float top, float right, float bottom, DWORD colour) {
    KVertexLock lock(shell, 4);
    if (!lock) return;
    SetScreenStrip(lock.Vertices(), left, top, right, bottom, 0.0f, colour);
    lock.BindStream();
    DrawDiffuseOnly(lock.Device(), D3DPT_TRIANGLESTRIP, lock.First(), 2);
}

void Line(KShellServices& shell, float x1, float y1, float x2, float y2, DWORD colour) {
    KVertexLock lock(shell, 2);
    if (!lock) return;
    SetScreenVertex(lock.Vertices()[0], x1, y1, 100.0f, colour);
    SetScreenVertex(lock.Vertices()[1], x2, y2, 100.0f, colour);
    lock.BindStream();
    DrawDiffuseOnly(lock.Device(), D3DPT_LINELIST, lock.First(), 1);
}

void TexturedQuad(KShellServices& shell, int x, int y, int width, int height, KJpgImage* picture, DWORD colour,
                  KVertexLock& lock) {
    const KSprTile& tile = picture->GetFrame().tiles[0];
    const float uMax = tile.textureWidth ? float(picture->GetWidth()) / float(tile.textureWidth) : 0.0f;
    const float vMax = tile.textureHeight ? float(picture->GetHeight()) / float(tile.textureHeight) : 0.0f;
    KScreenVertex* v = lock.Vertices();
    const float l = float(x), t = float(y), r = float(int64_t{x} + width), b = float(int64_t{y} + height);
    SetScreenStrip(v, l, t, r, b, 100.0f, colour);
    v[0].u = 0.0f, v[0].v = 0.0f;
    v[1].u = uMax, v[1].v = 0.0f;
    v[2].u = 0.0f, v[2].v = vMax;
    v[3].u = uMax, v[3].v = vMax;
    (void)shell;
}

void DrawWithFilters(IDirect3DDevice9* device, UINT first, BYTE linear) {
    if (linear) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first, 2);
    if (linear) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    }
}

}  // namespace

void FillRect(KShellServices& shell, int x, int y, int width, int height, DWORD colour) {
    FillQuad(shell, float(x), float(y), float(int64_t{x} + width), float(int64_t{y} + height), colour);
}

void FillRectF(KShellServices& shell, float x, float y, int width, int height, DWORD colour) {
    FillQuad(shell, x, y, x + float(width), y + float(height), colour);
}

void DrawPoints(KShellServices& shell, int count, const KPrimPoint* points, int screenSpace) {
    if (count <= 0 || !points) return;
    KVertexLock lock(shell, count);
    if (!lock) return;
    for (int i = 0; i < count; ++i) {
        // The host's array may sit at any address: each record is read by copy.
        KPrimPoint p;
        std::memcpy(&p, reinterpret_cast<const uint8_t*>(points) + size_t(i) * sizeof(KPrimPoint), sizeof(p));
        int x = p.x, y = p.y;
        if (!screenSpace) shell.ProjectPoint(&x, &y, p.z);
        const DWORD colour = 0xFF000000u | DWORD(p.red) << 16 | DWORD(p.green) << 8 | p.blue;
        SetScreenVertex(lock.Vertices()[i], float(x), float(y), 100.0f, colour);
    }
    lock.BindStream();
    DrawDiffuseOnly(lock.Device(), D3DPT_POINTLIST, lock.First(), UINT(count));
}

void DrawLine(KShellServices& shell, int x1, int y1, int x2, int y2, DWORD colour) {
    Line(shell, float(x1), float(y1), float(x2), float(y2), colour);
}

void DrawLineF(KShellServices& shell, float x1, float y1, float x2, float y2, DWORD colour) {
    Line(shell, x1, y1, x2, y2, colour);
}

void DrawRectOutline(KShellServices& shell, int left, int top, int right, int bottom, DWORD colour) {
    KVertexLock lock(shell, 5);
    if (!lock) return;
    KScreenVertex* v = lock.Vertices();
    SetScreenVertex(v[0], float(left), float(top), 100.0f, colour);
    SetScreenVertex(v[1], float(right), float(top), 100.0f, colour);
    SetScreenVertex(v[2], float(right), float(bottom), 100.0f, colour);
    SetScreenVertex(v[3], float(left), float(bottom), 100.0f, colour);
    SetScreenVertex(v[4], float(left), float(top), 100.0f, colour);
    lock.BindStream();
    DrawDiffuseOnly(lock.Device(), D3DPT_LINESTRIP, lock.First(), 4);
}

void DrawTexturedQuad(KShellServices& shell, int x, int y, int width, int height, KJpgImage* picture, BYTE linear) {
    if (!picture) return;
    KVertexLock lock(shell, 4);
    if (!lock) return;
    TexturedQuad(shell, x, y, width, height, picture, 0xFFFFFFFF, lock);
    lock.BindStream();
    if (!picture->GetTexture()) return;
    lock.Device()->SetTexture(0, picture->GetTexture());
    DrawWithFilters(lock.Device(), lock.First(), linear);
}

void DrawTexturedQuadBlend(KShellServices& shell, int x, int y, int width, int height, KJpgImage* picture, DWORD colour,
                           BYTE linear) {
    if (!picture) return;
    KVertexLock lock(shell, 4);
    if (!lock) return;
    TexturedQuad(shell, x, y, width, height, picture, colour, lock);
    lock.BindStream();
    if (!picture->GetTexture()) return;
    IDirect3DDevice9* device = lock.Device();
    device->SetTexture(0, picture->GetTexture());
    DWORD blendWas = FALSE;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blendWas);
    const bool translucent = (colour >> 24) != 0xFF;
    if (translucent) SetAlphaStates(device);
    DrawWithFilters(device, lock.First(), linear);
    if (translucent) device->SetRenderState(D3DRS_ALPHABLENDENABLE, blendWas);
}

void DrawSpriteFrame(KShellServices& shell, int x, int y, int width, int height, uint32_t frame, KSprImage* picture,
                     DWORD colour, int blendMode, float angle, int pivotX, int pivotY) {
    DrawFrameRotated(shell, float(x), float(y), width, height, frame, picture, colour, blendMode, angle, pivotX,
                     pivotY);
}
