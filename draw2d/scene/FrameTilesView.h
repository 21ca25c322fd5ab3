// One frame's tile layout, read once through the sprite's tile getters so
// the renderers work on plain values (and tests on hand-made layouts).
#pragma once

#include <d3d9.h>

#include <cstdint>

class KSprImage;

struct KTileView {
    uint16_t x = 0, y = 0, width = 0, height = 0;
    uint16_t textureWidth = 0, textureHeight = 0;
    IDirect3DTexture9* texture = nullptr;
};

struct KFrameTilesView {
    static constexpr int kMaxTiles = 4;
    uint16_t frameWidth = 0, frameHeight = 0;
    int tileCount = 0;
    KTileView tiles[kMaxTiles];
};

// False when the frame index is not below the frame count (compared
// unsigned, so negative indices fail too).
bool ReadFrameTiles(const KSprImage& image, int frame, KFrameTilesView* out);
