// Each active region's ground is composed once into one of the place's
// nine render-target pictures (tiles, then ground records, in batches of
// 80 pictures a DrawImage) and then drawn as one picture a frame.
#include <algorithm>
#include <bit>
#include <cstring>

#include "place/GroundTileWalker.h"
#include "place/ScenePlace.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr int kGroundBatch = 80;
constexpr uint8_t kTileBlend = 1;
constexpr uint8_t kRecordBlend = 2;
constexpr int16_t kGroundSpriteImage = 1;
constexpr int16_t kNoHint = -1;

// Collects pictures and hands every full batch to the shell.
class GroundBatch {
public:
    GroundBatch(KPrimPicture& target, float scale) : m_target(target), m_scale(std::bit_cast<DWORD>(scale)) {}
    ~GroundBatch() { Flush(); }
    GroundBatch(const GroundBatch&) = delete;
    GroundBatch& operator=(const GroundBatch&) = delete;

    KPrimPicture& Next() {
        if (m_count == kGroundBatch) Flush();
        KPrimPicture& picture = m_pictures[m_count++];
        std::memset(static_cast<void*>(&picture), 0, sizeof picture);
        picture.alpha = 255;
        picture.imageType = kGroundSpriteImage;
        picture.indexHint = kNoHint;
        return picture;
    }

private:
    void Flush() {
        if (m_count == 0) return;
        ShellServices()->DrawImage(m_count, m_pictures, PRIM_PICTURES, m_target.fileName, m_target.fileId,
                                &m_target.indexHint, m_scale, m_scale);
        m_count = 0;
    }

    KPrimPicture& m_target;
    DWORD m_scale;
    int m_count = 0;
    KPrimPicture m_pictures[kGroundBatch];
};

void CopyName(char (&to)[128], const char* from, size_t size) {
    const size_t length = std::min(strnlen(from, size), sizeof to - 1);
    std::memcpy(to, from, length);
    to[length] = 0;
}

}  // namespace

bool KScenePlace::BuildGroundPictures(bool force) {
    PlaceLock table(m_inited ? &m_tableLock : nullptr);
    for (KSceneRegion* region : m_window.slots)
        if (region) BuildRegionGroundPicture(*region, force);
    return true;
}

void KScenePlace::BuildRegionGroundPicture(KSceneRegion& region, bool force) {
    KPlaceGroundPicture* ground = region.groundPicture;
    if (!ShellServices() || !ground || (ground->built && !force)) return;
    ground->built = 1;
    KPrimPicture& target = ground->picture;
    ShellServices()->ClearImage(target.fileName, target.fileId, &target.indexHint);
    GroundBatch batch(target, ShellServices()->GetUiScale());
    KGroundTileWalker walker(region);
    for (KGroundTile tile; walker.Next(tile);) {
        KPrimPicture& picture = batch.Next();
        picture.blendMode = kTileBlend;
        picture.ax = int32_t(tile.cellX) * kCellSize;
        picture.ay = int32_t(tile.cellY) * kCellSize;
        CopyName(picture.fileName, tile.name, sizeof tile.name);
        picture.frame = int16_t(tile.frame);
    }
    for (uint32_t i = 0; region.groundRecords && i < region.groundRecordCount; ++i) {
        KRegionGroundRecord record;
        std::memcpy(&record, &region.groundRecords[i], sizeof record);
        KPrimPicture& picture = batch.Next();
        picture.blendMode = kRecordBlend;
        picture.flags = kPictureNoFrameOffset;
        picture.ax = SaturateToInt32(int64_t(record.x) - region.originX);
        picture.ay = SaturateToInt32((int64_t(record.y) - region.originY) / 2);
        CopyName(picture.fileName, record.name, sizeof record.name);
        picture.frame = int16_t(record.frame);
    }
}

// The bound picture covers the region: A at its origin, B at the far corner.
void KScenePlace::PaintRegionGround(KSceneRegion& region) {
    KPlaceGroundPicture* ground = region.groundPicture;
    if (!ShellServices() || !ground || region.state != kRegionLoaded) return;
    KPrimPicture& picture = ground->picture;
    picture.ax = region.originX;
    picture.ay = region.originY;
    picture.az = 0;
    picture.bx = SaturateToInt32(int64_t(region.originX) + kRegionWidth);
    picture.by = SaturateToInt32(int64_t(region.originY) + kRegionHeight);
    picture.bz = 0;
    ShellServices()->DrawPrimitives(1, &picture, PRIM_BRIGHT_PICTURES, 0, 0, -1, -1.0f);
}
