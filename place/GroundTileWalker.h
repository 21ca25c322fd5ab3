// Walks a region's ground tiles, each checked against the tile bytes:
//
//   u16 cell x, u16 cell y, u16 frame, u16 name length L, L bytes of name
//
// A tile whose name runs past the bytes ends the walk; a name longer than
// 127 bytes is skipped. The pre-scan and ground painting both walk here.
#pragma once

#include <cstddef>
#include <cstdint>

class KSceneRegion;

struct KGroundTile {
    uint16_t cellX;  // drawn at (cell x * 32, cell y * 32) in the region's picture
    uint16_t cellY;
    uint16_t frame;
    char name[128];  // zero-terminated
};

class KGroundTileWalker {
public:
    static constexpr size_t kMaxNameLength = 127;

    // At most count tiles from the bytes.
    KGroundTileWalker(const uint8_t* bytes, size_t size, uint32_t count);
    explicit KGroundTileWalker(const KSceneRegion& region);

    // The next tile, or false at the end.
    bool Next(KGroundTile& tile);

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_position = 0;
    uint32_t m_left;
};
