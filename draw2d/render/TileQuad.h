// One tile of a picture as a screen rectangle with its texture extent, and
// the steps the screen renderers share: writing it as a strip and cutting it
// to a crop or clip rectangle.
#pragma once

#include <algorithm>
#include <cfloat>

#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"
#include "textures/KSprImage.h"

struct TileQuad {
    float x0, y0, x1, y1;
    float u0, v0, u1, v1;
    bool hidden;
};

// The whole tile: u and v from 0 to the part of the texture the tile shows.
inline TileQuad WholeTileQuad(const KSprTileView& tile) {
    TileQuad q{};
    const float tw = tile.textureWidth, th = tile.textureHeight;
    q.u1 = tw > 0 ? tile.width / tw : 0.0f;
    q.v1 = th > 0 ? tile.height / th : 0.0f;
    return q;
}

// Top-left, top-right, bottom-left, bottom-right.
inline void WriteQuad(KScreenVertex* v, const TileQuad& q, float z, DWORD colour) {
    const float xs[4] = {q.x0, q.x1, q.x0, q.x1}, ys[4] = {q.y0, q.y0, q.y1, q.y1};
    const float us[4] = {q.u0, q.u1, q.u0, q.u1}, vs[4] = {q.v0, q.v0, q.v1, q.v1};
    for (int i = 0; i < 4; ++i) v[i] = KScreenVertex{xs[i], ys[i], z, 1.0f, colour, us[i], vs[i]};
}

// Cuts the quad to the rectangle, moving the texture coordinates with the
// edges; hides it when the rectangle misses it.
inline void ClipQuad(TileQuad& q, float left, float top, float right, float bottom) {
    if (left > q.x1 || right < q.x0 || top > q.y1 || bottom < q.y0) {
        q.hidden = true;
        return;
    }
    const float l = std::max(left, q.x0), t = std::max(top, q.y0);
    const float r = std::min(right, q.x1), b = std::min(bottom, q.y1);
    const float w = q.x1 - q.x0, h = q.y1 - q.y0;
    const float uMax = q.u1, vMax = q.v1;
    const bool finiteSize = w > 0 && h > 0 && w <= FLT_MAX && h <= FLT_MAX;
    if (finiteSize && left <= q.x0 && top <= q.y0 && right >= q.x1 && bottom >= q.y1) {
        // Wholly inside a finite quad: 0 / w is 0 and w / w is 1 exactly, so
        // the interpolation needs no division.
        q.u0 = 0.0f * uMax, q.v0 = 0.0f * vMax;
    } else {
        q.u0 = w != 0 ? (l - q.x0) / w * uMax : 0.0f;
        q.u1 = w != 0 ? (r - q.x0) / w * uMax : 0.0f;
        q.v0 = h != 0 ? (t - q.y0) / h * vMax : 0.0f;
        q.v1 = h != 0 ? (b - q.y0) / h * vMax : 0.0f;
    }
    q.x0 = l, q.y0 = t, q.x1 = r, q.y1 = b;
}

// The cropped renderer's quads: the frame stretched onto width x height at
// (x, y), every edge moved by -0.5, then cut by crop (left, top, right,
// bottom). Returns the tile count (at most 4); false when nothing is to be
// drawn (an empty size or frame, or off screen).
bool CroppedFrameQuads(const KSprFrameView& frame, int x, int y, int width, int height, const int32_t* crop,
                       TileQuad* quads, int* tiles);
