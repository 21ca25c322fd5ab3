#include "textures/SprFrame.h"

#include "textures/TextureSize.h"

namespace {

uint16_t LeU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t LeU32(const uint8_t* p) { return uint32_t(LeU16(p)) | uint32_t(LeU16(p + 2)) << 16; }

KSprPackedTile ReadPackedTile(const uint8_t* p) {
    KSprPackedTile tile;
    tile.fileOffset = LeU32(p + 0);
    tile.fileLength = LeU32(p + 4);
    tile.textureWidth = LeU16(p + 8);
    tile.textureHeight = LeU16(p + 10);
    tile.x = LeU16(p + 12);
    tile.y = LeU16(p + 14);
    tile.width = LeU16(p + 16);
    tile.height = LeU16(p + 18);
    return tile;
}

const char* CheckPackedTile(const KSprPackedTile& tile, const KSprPackedFrame& frame, uint64_t fileSize) {
    if (tile.fileLength == 0) return "tile without image data";
    if (uint64_t(tile.fileOffset) + tile.fileLength > fileSize) return "tile image outside the file";
    if (tile.textureWidth == 0 || tile.textureWidth > kMaxTextureSide || tile.textureHeight == 0 ||
        tile.textureHeight > kMaxTextureSide)
        return "tile texture size out of range";
    if (uint32_t(tile.x) + tile.width > frame.width || uint32_t(tile.y) + tile.height > frame.height)
        return "tile outside its frame";
    return nullptr;
}

}  // namespace

uint32_t Dxt5BlockRowBytes(uint32_t width) { return (width + 3) / 4 * 16; }

bool Dxt5FrameFits(const KSprFrame& frame) {
    uint64_t blockRows = (uint64_t(uint32_t(frame.height)) + 3) / 4;
    uint64_t need = SPR_DDS_HEADER_SIZE + blockRows * Dxt5BlockRowBytes(uint32_t(frame.width));
    return frame.data && frame.dataLength >= need;
}

const char* ReadPackedSprFrame(const uint8_t* record, uint64_t fileSize, KSprPackedFrame* frame) {
    *frame = KSprPackedFrame{};
    frame->tileCount = record[0];
    frame->width = LeU16(record + 1);
    frame->height = LeU16(record + 3);
    frame->offsetX = LeU16(record + 5);
    frame->offsetY = LeU16(record + 7);
    if (frame->tileCount > kMaxFrameTiles) return "more than four tiles";
    for (int t = 0; t < kMaxFrameTiles; ++t) {
        frame->tiles[t] = ReadPackedTile(record + 9 + t * SPR_PACKED_TILE_SIZE);
        if (t < frame->tileCount)
            if (const char* why = CheckPackedTile(frame->tiles[t], *frame, fileSize)) return why;
    }
    return nullptr;
}
