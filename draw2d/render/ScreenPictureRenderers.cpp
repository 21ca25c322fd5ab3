#include "draw2d/render/ScreenPictureRenderers.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <algorithm>
#include <cmath>

#include "basrel/HostIntegers.h"
#include "draw2d/render/PictureTint.h"
#include "draw2d/render/TileQuad.h"
#include "draw2d/render/VertexLock.h"
#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

constexpr int kFrameVertices = 16;

struct StatePlan {
    bool setFilters;
    D3DTEXTUREFILTERTYPE filter;
    bool alpha;            // set the six alpha states
    bool giveBackBlend;    // put ALPHABLENDENABLE back afterwards
    bool brightenMode3;    // MODULATE2X around each draw in blend mode 3
};

bool OnScreen(float x, float y, int width, int height) {
    return x + float(width) >= 0.0f && x <= float(g_ScreenWidth) && y + float(height) >= 0.0f &&
           y <= float(g_ScreenHeight);
}

bool HasFrame(KSprImage* picture, uint32_t frame) {
    return picture && frame < uint32_t(picture->GetFrameCount());
}

TileQuad WholeTile(KSprImage* picture, int frame, int tile) {
    TileQuad q{};
    const float tw = picture->GetTileTextureWidth(frame, tile), th = picture->GetTileTextureHeight(frame, tile);
    q.u1 = tw > 0 ? picture->GetTileWidth(frame, tile) / tw : 0.0f;
    q.v1 = th > 0 ? picture->GetTileHeight(frame, tile) / th : 0.0f;
    return q;
}

// Steps 7 to 10 shared by the sprite renderers.
void DrawTiles(KVertexLock& lock, KSprImage* picture, int frame, const bool* hidden, int tiles, int blendMode,
               DWORD colour, const StatePlan& plan) {
    lock.BindStream();
    IDirect3DDevice9* device = lock.Device();
    DWORD mag = 0, min = 0, blend = 0;
    if (plan.setFilters) {
        device->GetSamplerState(0, D3DSAMP_MAGFILTER, &mag);
        device->GetSamplerState(0, D3DSAMP_MINFILTER, &min);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, plan.filter);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, plan.filter);
    }
    if (plan.giveBackBlend) device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    if (plan.alpha) SetAlphaStates(device);
    (void)colour;
    for (int j = 0; j < tiles; ++j) {
        IDirect3DTexture9* texture = picture->GetTileTexture(frame, j);
        if (!texture || hidden[j]) continue;
        device->SetTexture(0, texture);
        const bool brighten = plan.brightenMode3 && blendMode == 3;
        if (brighten) device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First() + UINT(4 * j), 2);
        if (brighten) device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    }
    if (plan.setFilters) {
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, mag);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, min);
    }
    if (plan.giveBackBlend) device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
}

int TileCount(KSprImage* picture, int frame) { return std::clamp(picture->GetTileCount(frame), 0, 4); }

// The scaled renderers: the scaled tile, optionally grown by half a pixel
// on every side (grow) and cut by a clip rectangle (clip: top, left,
// bottom, right).
void DrawScaledTiles(KDrawShell& shell, float x, float y, int width, int height, uint32_t frame, KSprImage* picture,
                     DWORD colour, int blendMode, float sx, float sy, float z, bool grow, const float* clip,
                     const StatePlan& plan) {
    if (!HasFrame(picture, frame)) return;
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device) return;
    device->SetFVF(0x144);
    const int w = int(float(width) * sx), h = int(float(height) * sy);
    if (w == 0 || h == 0 || !OnScreen(x, y, w, h)) return;
    KVertexLock lock(shell, kFrameVertices, 0);
    if (!lock) return;
    const DWORD vertexColour = PictureVertexColour(colour, blendMode);
    const int f = int(frame), tiles = TileCount(picture, f);
    bool hidden[4] = {};
    const float g = grow ? 0.5f : 0.0f;
    for (int j = 0; j < tiles; ++j) {
        TileQuad q = WholeTile(picture, f, j);
        const float tx = picture->GetTileX(f, j), ty = picture->GetTileY(f, j);
        const float tw = picture->GetTileWidth(f, j), th = picture->GetTileHeight(f, j);
        q.x0 = x + tx * sx - g, q.y0 = y + ty * sy - g;
        q.x1 = x + (tx + tw) * sx + g, q.y1 = y + (ty + th) * sy + g;
        if (clip) ClipQuad(q, clip[1], clip[0], clip[3], clip[2]);
        hidden[j] = q.hidden;
        if (!q.hidden) WriteQuad(lock.Vertices() + 4 * j, q, z, vertexColour);
    }
    DrawTiles(lock, picture, f, hidden, tiles, blendMode, colour, plan);
}

}  // namespace

void SetAlphaStates(IDirect3DDevice9* device) {
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void DrawFrameRotated(KDrawShell& shell, float x, float y, int width, int height, uint32_t frame, KSprImage* picture,
                      DWORD colour, int blendMode, float angle, int pivotX, int pivotY) {
    if (!HasFrame(picture, frame)) return;
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device) return;
    device->SetFVF(0x144);
    if (width == 0 || height == 0 || !OnScreen(x, y, width, height)) return;
    KVertexLock lock(shell, kFrameVertices, 0);
    if (!lock) return;
    const DWORD vertexColour = PictureVertexColour(colour, blendMode);
    const float px = x + float(pivotX), py = y + float(pivotY);
    D3DXMATRIX toPivot, turn, back, m;
    D3DXMatrixTranslation(&toPivot, -px, -py, 0.0f);
    D3DXMatrixRotationZ(&turn, angle);
    D3DXMatrixTranslation(&back, px - 0.5f, py - 0.5f, 0.0f);
    m = toPivot * turn * back;
    const int f = int(frame), tiles = TileCount(picture, f);
    bool hidden[4] = {};
    for (int j = 0; j < tiles; ++j) {
        TileQuad q = WholeTile(picture, f, j);
        q.x0 = x + picture->GetTileX(f, j), q.y0 = y + picture->GetTileY(f, j);
        q.x1 = q.x0 + picture->GetTileWidth(f, j), q.y1 = q.y0 + picture->GetTileHeight(f, j);
        KScreenVertex* v = lock.Vertices() + 4 * j;
        WriteQuad(v, q, 0.0f, vertexColour);
        for (int i = 0; i < 4; ++i) {
            D3DXVECTOR4 corner(v[i].x, v[i].y, 0.0f, 1.0f), out;
            D3DXVec4Transform(&out, &corner, &m);
            v[i].x = out.x, v[i].y = out.y, v[i].z = out.z, v[i].rhw = out.w;
        }
    }
    const StatePlan plan{true, D3DTEXF_LINEAR, (colour >> 24) != 0xFF, false, true};
    DrawTiles(lock, picture, f, hidden, tiles, blendMode, colour, plan);
}

void DrawFrameScaled(KDrawShell& shell, int x, int y, int width, int height, uint32_t frame, KSprImage* picture,
                     DWORD colour, int blendMode, float scaleX, float scaleY) {
    const StatePlan plan{true, D3DTEXF_LINEAR, (colour >> 24) != 0xFF, false, true};
    DrawScaledTiles(shell, float(x), float(y), width, height, frame, picture, colour, blendMode, scaleX, scaleY, 0.0f,
                    true, nullptr, plan);
}

void DrawFrameScaledPoint(KDrawShell& shell, float x, float y, int width, int height, uint32_t frame,
                          KSprImage* picture, DWORD colour, int blendMode, float scaleX, float scaleY) {
    const StatePlan plan{true, D3DTEXF_POINT, true, true, true};
    DrawScaledTiles(shell, x, y, width, height, frame, picture, colour, blendMode, scaleX, scaleY, 0.0f, true, nullptr,
                    plan);
}

void DrawFrameClipped(KDrawShell& shell, float x, float y, int width, int height, uint32_t frame, KSprImage* picture,
                      DWORD colour, int blendMode, float scaleX, float scaleY, const float* clip) {
    if (!clip) return;
    const StatePlan plan{true, D3DTEXF_POINT, true, true, true};
    DrawScaledTiles(shell, x, y, width, height, frame, picture, colour, blendMode, scaleX, scaleY, 100.0f, false, clip,
                    plan);
}

bool CroppedFrameQuads(const KSprFrameView& frame, int x, int y, int width, int height, const int32_t* crop,
                       TileQuad* quads, int* tiles) {
    const float frameWidth = frame.width, frameHeight = frame.height;
    if (width == 0 || height == 0 || frameWidth == 0 || frameHeight == 0 || !OnScreen(float(x), float(y), width, height))
        return false;
    // A frame drawn at its own size scales by exactly 1.
    const float sx = width == frame.width ? 1.0f : float(width) / frameWidth;
    const float sy = height == frame.height ? 1.0f : float(height) / frameHeight;
    *tiles = std::clamp(frame.tileCount, 0, 4);
    for (int j = 0; j < *tiles; ++j) {
        const KSprTileView& tile = frame.tiles[j];
        TileQuad& q = quads[j];
        q = WholeTileQuad(tile);
        const float tx = tile.x, ty = tile.y, tw = tile.width, th = tile.height;
        q.x0 = float(x) + tx * sx - 0.5f, q.x1 = float(x) + (tx + tw) * sx - 0.5f;
        q.y0 = float(y) + ty * sy - 0.5f, q.y1 = float(y) + (ty + th) * sy - 0.5f;
        ClipQuad(q, float(crop[0]), float(crop[1]), float(crop[2]), float(crop[3]));
    }
    return true;
}

void DrawFrameCropped(KDrawShell& shell, int x, int y, int width, int height, uint32_t frame, KSprImage* picture,
                      const int32_t* crop, DWORD colour, int blendMode) {
    KSprFrameView view;
    if (!HasFrame(picture, frame) || !crop || !picture->GetFrameView(int(frame), &view)) return;
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device) return;
    device->SetFVF(0x144);
    TileQuad quads[4];
    int tiles = 0;
    if (!CroppedFrameQuads(view, x, y, width, height, crop, quads, &tiles)) return;
    KVertexLock lock(shell, kFrameVertices, 0);
    if (!lock) return;
    const DWORD vertexColour = blendMode == 5 ? colour : 0xFFFFFFFFu;
    bool hidden[4] = {};
    for (int j = 0; j < tiles; ++j) {
        hidden[j] = quads[j].hidden;
        if (!hidden[j]) WriteQuad(lock.Vertices() + 4 * j, quads[j], 100.0f, vertexColour);
    }
    const StatePlan plan{blendMode == 5, D3DTEXF_LINEAR, false, false, false};
    DrawTiles(lock, picture, int(frame), hidden, tiles, blendMode, colour, plan);
}

bool PictureCroppedQuad(int x, int y, const KJpgImage& picture, const int32_t* source, TileQuad* quad) {
    const int w = host_int::Sub(source[2], source[0]), h = host_int::Sub(source[3], source[1]);
    if (w == 0 || h == 0 || !OnScreen(float(x), float(y), w, h)) return false;
    const KSprTile& tile = picture.GetFrame().tiles[0];
    const float uScale = tile.textureWidth > 0 ? 1.0f / float(tile.textureWidth) : 0.0f;
    const float vScale = tile.textureHeight > 0 ? 1.0f / float(tile.textureHeight) : 0.0f;
    TileQuad& q = *quad;
    q = TileQuad{};
    q.x0 = float(x) - 0.5f, q.y0 = float(y) - 0.5f, q.x1 = float(int64_t{x} + w) - 0.5f, q.y1 = float(int64_t{y} + h) - 0.5f;
    q.u0 = float(source[0]) * uScale, q.u1 = float(source[2]) * uScale;
    q.v0 = float(source[1]) * vScale, q.v1 = float(source[3]) * vScale;
    return true;
}

void DrawPictureCropped(KDrawShell& shell, int x, int y, KJpgImage* picture, const int32_t* source, int percent,
                        float brightness) {
    if (!picture || !source) return;
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device) return;
    device->SetFVF(0x144);
    TileQuad q;
    if (!PictureCroppedQuad(x, y, *picture, source, &q)) return;
    KVertexLock lock(shell, 4, 0);
    if (!lock) return;
    WriteQuad(lock.Vertices(), q, 100.0f, 0xFFFFFFFF);
    lock.BindStream();
    IDirect3DTexture9* texture = picture->GetTexture();
    if (!texture) return;
    device->SetTexture(0, texture);
    KPictureTint tint(percent, brightness);
    tint.Begin(device);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
    tint.End(device);
}
