// Sprite frames drawn onto four projected scene corners (top-left,
// top-right, bottom-right, bottom-left; three floats each). The corners are
// projected only to cull; the tiles are drawn as scene vertices through the
// device's transforms, which the caller sets with vertex format 0x142.
#pragma once

#include <d3dx9.h>

#include <cstdint>

#include "draw2d/scene/FrameTilesView.h"

class KShellServices;
class KSprImage;

// A + (B - A) * (s - s0) / (s1 - s0).
D3DXVECTOR3 ComputeCornerVector(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float s0, float s1, float s);

// clip (left, top, right, bottom in frame pixels) may be null.
void DrawPictureOnCorners(KShellServices& shell, const float* corners, int frame, KSprImage* image, DWORD colour,
                          DWORD blendMode, const int32_t* clip, float brightness);
// The corners stand for the clip's columns instead of the frame's width.
void DrawPictureOnCornersAlt(KShellServices& shell, const float* corners, int frame, KSprImage* image, DWORD colour,
                             DWORD blendMode, const int32_t* clip, float brightness);
// Each tile cut into light-grid cells, lit by the grid.
void DrawPictureOnCornersSplit(KShellServices& shell, const float* corners, int frame, KSprImage* image, DWORD colour,
                               DWORD blendMode, const int32_t* clip);

// The renderers after reading the frame's tiles.
enum class KCornerSpan { Frame, Clip };
void DrawTilesOnCorners(KShellServices& shell, const float* corners, const KFrameTilesView& tiles, DWORD colour,
                        DWORD blendMode, const int32_t* clip, float brightness, KCornerSpan span);
void DrawTilesOnCornersSplit(KShellServices& shell, const float* corners, const KFrameTilesView& tiles, DWORD colour,
                             DWORD blendMode, const int32_t* clip);

// Shared by the renderers: the cull on the projected corners, and one tile's
// place and texture window between the corners.
bool CornersOnScreen(KShellServices& shell, const float* corners);
struct KCornerTileQuad {
    D3DXVECTOR3 topLeft, topRight, bottomLeft, bottomRight;
    float uL, vT, uR, vB;  // half-texel inset applied
};
bool BuildCornerTileQuad(const float* corners, const KFrameTilesView& tiles, int j, const int32_t* clip,
                         KCornerSpan span, KCornerTileQuad* quad);
