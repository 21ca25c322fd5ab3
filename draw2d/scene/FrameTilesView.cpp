#include "draw2d/scene/FrameTilesView.h"

#include <algorithm>

#include "textures/KSprImage.h"

bool ReadFrameTiles(const KSprImage& image, int frame, KFrameTilesView* out) {
    if (static_cast<uint32_t>(frame) >= static_cast<uint32_t>(image.GetFrameCount())) return false;
    *out = KFrameTilesView{};
    out->frameWidth = image.GetFrameWidth(frame);
    out->frameHeight = image.GetFrameHeight(frame);
    out->tileCount = std::clamp(image.GetTileCount(frame), 0, KFrameTilesView::kMaxTiles);
    for (int j = 0; j < out->tileCount; ++j) {
        KTileView& tile = out->tiles[j];
        tile.x = image.GetTileX(frame, j);
        tile.y = image.GetTileY(frame, j);
        tile.width = image.GetTileWidth(frame, j);
        tile.height = image.GetTileHeight(frame, j);
        tile.textureWidth = image.GetTileTextureWidth(frame, j);
        tile.textureHeight = image.GetTileTextureHeight(frame, j);
        tile.texture = image.GetTileTexture(frame, j);
    }
    return true;
}
