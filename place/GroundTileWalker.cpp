#include "place/GroundTileWalker.h"

#include <cstring>

#include "place/ByteCursor.h"
#include "place/SceneRegion.h"

namespace {

constexpr size_t kTileHeadBytes = 8;

}  // namespace

KGroundTileWalker::KGroundTileWalker(const uint8_t* bytes, size_t size, uint32_t count)
    : m_bytes(bytes), m_size(bytes ? size : 0), m_left(count) {}

KGroundTileWalker::KGroundTileWalker(const KSceneRegion& region)
    : KGroundTileWalker(region.groundTiles.get(), region.groundTileBytes, region.groundTileCount) {}

bool KGroundTileWalker::Next(KGroundTile& tile) {
    while (m_left > 0) {
        if (m_size - m_position < kTileHeadBytes) break;
        const uint8_t* head = m_bytes + m_position;
        const size_t nameLength = LoadU16(head + 6);
        if (m_size - m_position - kTileHeadBytes < nameLength) break;
        m_position += kTileHeadBytes + nameLength;
        --m_left;
        if (nameLength > kMaxNameLength) continue;
        tile.cellX = LoadU16(head);
        tile.cellY = LoadU16(head + 2);
        tile.frame = LoadU16(head + 4);
        std::memcpy(tile.name, head + kTileHeadBytes, nameLength);
        tile.name[nameLength] = 0;
        return true;
    }
    m_left = 0;
    return false;
}
