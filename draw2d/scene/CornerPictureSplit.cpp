#include <vector>

#include "draw2d/scene/CornerPicture.h"
#include "draw2d/scene/QuadStrip.h"
#include "draw2d/scene/StageStates.h"
#include "shell/ShellServices.h"
#include "textures/KSprImage.h"

void DrawTilesOnCornersSplit(KShellServices& shell, const float* corners, const KFrameTilesView& tiles, DWORD colour,
                             DWORD blendMode, const int32_t* clip) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device || !corners || tiles.frameWidth == 0 || tiles.frameHeight == 0) return;
    if (!CornersOnScreen(shell, corners)) return;
    const DWORD stripColour = blendMode == 5 ? colour : kOpaqueWhite;

    // The strips are cut first so the run taken is what they need: four
    // tiles at full capacity would not fit the shared buffer.
    std::vector<KSceneVertex> strips(static_cast<size_t>(kStripCapacity) * KFrameTilesView::kMaxTiles);
    int counts[KFrameTilesView::kMaxTiles] = {};
    int total = 0;
    for (int j = 0; j < tiles.tileCount; ++j) {
        KCornerTileQuad q;
        if (!BuildCornerTileQuad(corners, tiles, j, clip, KCornerSpan::Frame, &q)) continue;
        const KSceneVertex quad[4] = {{q.topLeft.x, q.topLeft.y, q.topLeft.z, stripColour, q.uL, q.vT},
                                      {q.topRight.x, q.topRight.y, q.topRight.z, stripColour, q.uR, q.vT},
                                      {q.bottomRight.x, q.bottomRight.y, q.bottomRight.z, stripColour, q.uR, q.vB},
                                      {q.bottomLeft.x, q.bottomLeft.y, q.bottomLeft.z, stripColour, q.uL, q.vB}};
        counts[j] = SplitQuadIntoStrip(shell, quad, strips.data() + total, kStripCapacity, stripColour);
        total += counts[j];
    }
    if (total == 0) return;
    int first = 0;
    if (!UploadStrips(shell, device, strips.data(), total, &first)) return;

    SetSampler0Filters(device, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE4X);
    int start = first;
    for (int j = 0; j < tiles.tileCount; ++j) {
        const int count = counts[j];
        if (count > 2 && tiles.tiles[j].texture) {
            device->SetTexture(0, tiles.tiles[j].texture);
            if (blendMode == 3) device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(start), static_cast<UINT>(count - 2));
        }
        start += count;
    }
    SetSampler0Filters(device, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
}

void DrawPictureOnCornersSplit(KShellServices& shell, const float* corners, int frame, KSprImage* image, DWORD colour,
                               DWORD blendMode, const int32_t* clip) {
    KFrameTilesView tiles;
    if (!image || !ReadFrameTiles(*image, frame, &tiles)) return;
    DrawTilesOnCornersSplit(shell, corners, tiles, colour, blendMode, clip);
}
