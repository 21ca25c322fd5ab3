#include "textures/FrameTiles.h"

#include <algorithm>

#include "textures/TextureSize.h"

namespace {

void SetTile(KSprTile& tile, int textureWidth, int textureHeight, int x, int y, int width, int height) {
    tile.textureWidth = textureWidth;
    tile.textureHeight = textureHeight;
    tile.x = x;
    tile.y = y;
    tile.width = width;
    tile.height = height;
}

}  // namespace

void PlanFrameTiles(KSprFrame& frame) {
    int w = std::min(frame.width, kMaxTextureSide);
    int h = std::min(frame.height, kMaxTextureSide);
    int p = RoundUpTextureSize(w);
    int q = RoundUpTextureSize(h);
    frame.tileCount = 0;
    if (p == 0 || q == 0 || w <= 0 || h <= 0) return;

    int hw = p / 2;
    int hh = q / 2;
    int pr = RoundUpTextureSize(w - hw);
    int qr = RoundUpTextureSize(h - hh);
    bool splitX = hw < w && w <= hw + p / 4;
    bool splitY = hh < h && h <= hh + q / 4;
    int tw = w <= hw ? hw : p;
    int th = h > hh ? q : hh;

    KSprTile* t = frame.tiles;
    if (splitX && splitY) {
        SetTile(t[0], hw, hh, 0, 0, hw, hh);
        SetTile(t[1], pr, hh, hw, 0, w - hw, hh);
        SetTile(t[2], hw, qr, 0, hh, hw, h - hh);
        SetTile(t[3], pr, qr, hw, hh, w - hw, h - hh);
        frame.tileCount = 4;
    } else if (splitX) {
        SetTile(t[0], hw, th, 0, 0, hw, h);
        SetTile(t[1], pr, th, hw, 0, w - hw, h);
        frame.tileCount = 2;
    } else if (splitY) {
        SetTile(t[0], tw, hh, 0, 0, w, hh);
        SetTile(t[1], tw, qr, 0, hh, w, h - hh);
        frame.tileCount = 2;
    } else {
        SetTile(t[0], tw, th, 0, 0, w, h);
        frame.tileCount = 1;
    }
}
