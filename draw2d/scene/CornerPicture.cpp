#include "draw2d/scene/CornerPicture.h"

#include "basrel/HostIntegers.h"
#include "draw2d/scene/SceneVertex.h"
#include "draw2d/scene/StageStates.h"
#include "shell/ShellServices.h"
#include "textures/KSprImage.h"

namespace {

constexpr int kCornerVertexCount = 4 * KFrameTilesView::kMaxTiles;
constexpr DWORD kBlendKeepColour = 5;
constexpr DWORD kBlendAlphaOnly = 0;
constexpr DWORD kBlendBrightened = 3;

DWORD VertexColour(KShellServices& shell, DWORD colour, DWORD blendMode, bool* blend) {
    *blend = (colour >> 24) != 0xFF;
    DWORD out = kOpaqueWhite;
    if (blendMode == kBlendKeepColour) out = colour;
    if (blendMode == kBlendAlphaOnly) out = colour | 0x00FFFFFFu;
    if (shell.GlobalAlpha() < 1.0f) {
        out = (static_cast<DWORD>(host_int::Truncate(shell.GlobalAlpha() * 255.0f)) << 24) + 0x00FFFFFFu;
        *blend = true;
    }
    return out;
}

KSceneVertex At(const D3DXVECTOR3& p, const float* offset, DWORD colour, float u, float v) {
    return {p.x + offset[0], p.y + offset[1], p.z + offset[2], colour, u, v};
}

void DrawTile(IDirect3DDevice9* device, UINT start, DWORD blendMode, float brightness) {
    if (blendMode == kBlendBrightened) {
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xBB000000u);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BLENDFACTORALPHA);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, start, 2);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    } else if (DarkensPicture(brightness)) {
        KSavedTint saved(device);
        SetGreyTint(device, brightness);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, start, 2);
        saved.Restore();
    } else {
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, start, 2);
    }
}

}  // namespace

void DrawTilesOnCorners(KShellServices& shell, const float* corners, const KFrameTilesView& tiles, DWORD colour,
                        DWORD blendMode, const int32_t* clip, float brightness, KCornerSpan span) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device || !corners || tiles.frameWidth == 0 || tiles.frameHeight == 0) return;
    if (!CornersOnScreen(shell, corners)) return;
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    auto* out =
        static_cast<KSceneVertex*>(shell.LockDynamicVertices(kCornerVertexCount, sizeof(KSceneVertex), &first, &buffer));
    if (!out) return;

    DWORD alphaArg1 = 0, alphaArg2 = 0, alphaOp = 0;
    device->GetTextureStageState(0, D3DTSS_ALPHAARG1, &alphaArg1);
    device->GetTextureStageState(0, D3DTSS_ALPHAARG2, &alphaArg2);
    device->GetTextureStageState(0, D3DTSS_ALPHAOP, &alphaOp);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    bool blend = false;
    const DWORD vertexColour = VertexColour(shell, colour, blendMode, &blend);
    if (blend) device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    const float none[3] = {0, 0, 0};
    const float* active = shell.ActiveWorldOffset();
    const float* offset = active ? active : none;
    bool visible[KFrameTilesView::kMaxTiles] = {};
    for (int j = 0; j < tiles.tileCount; ++j) {
        KCornerTileQuad q;
        if (!BuildCornerTileQuad(corners, tiles, j, clip, span, &q)) continue;
        visible[j] = true;
        KSceneVertex* slot = out + 4 * j;
        slot[0] = At(q.topLeft, offset, vertexColour, q.uL, q.vT);
        slot[1] = At(q.topRight, offset, vertexColour, q.uR, q.vT);
        slot[2] = At(q.bottomLeft, offset, vertexColour, q.uL, q.vB);
        slot[3] = At(q.bottomRight, offset, vertexColour, q.uR, q.vB);
    }
    shell.UnlockDynamicVertices();
    device->SetStreamSource(0, buffer, 0, sizeof(KSceneVertex));

    for (int j = 0; j < tiles.tileCount; ++j) {
        if (!visible[j] || !tiles.tiles[j].texture) continue;
        device->SetTexture(0, tiles.tiles[j].texture);
        SetSampler0Filters(device, D3DTEXF_LINEAR);
        DrawTile(device, static_cast<UINT>(first + 4 * j), blendMode, brightness);
        SetSampler0Filters(device, D3DTEXF_POINT);
    }
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
}

void DrawPictureOnCorners(KShellServices& shell, const float* corners, int frame, KSprImage* image, DWORD colour,
                          DWORD blendMode, const int32_t* clip, float brightness) {
    KFrameTilesView tiles;
    if (!image || !ReadFrameTiles(*image, frame, &tiles)) return;
    DrawTilesOnCorners(shell, corners, tiles, colour, blendMode, clip, brightness, KCornerSpan::Frame);
}

void DrawPictureOnCornersAlt(KShellServices& shell, const float* corners, int frame, KSprImage* image, DWORD colour,
                             DWORD blendMode, const int32_t* clip, float brightness) {
    KFrameTilesView tiles;
    if (!image || !ReadFrameTiles(*image, frame, &tiles)) return;
    DrawTilesOnCorners(shell, corners, tiles, colour, blendMode, clip, brightness, KCornerSpan::Clip);
}
