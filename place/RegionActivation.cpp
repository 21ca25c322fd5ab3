// Activation of a region: its ground picture record bound to it and a tree
// point made for each of its object records but the flat ones, ready for
// the region merge. Callers hold the objects lock.
#include <algorithm>
#include <memory>
#include <new>

#include "place/GroundPicture.h"
#include "place/RegionMerge.h"
#include "place/ScenePlace.h"
#include "place/TreeGeometry.h"

namespace {

// Point objects stand a little lower than their record, so they sort
// after the wall they stand against.
constexpr int32_t kPointObjectDrop = 6;

void SetPointFromRecord(KTreePoint& point, const KRegionObjectRecord& record) {
    point.SetPosition(record.x, record.y);
    point.end = KScenePoint::EndWords{record.endX, record.endY};
    point.key = KScenePoint::KeyWords{record.keyA, record.keyB};
    point.piece.split = 0;
}

void BindGroundPicture(KSceneRegion& region, KPlaceGroundPicture* ground) {
    if (region.groundPicture == ground) return;
    if (KPlaceGroundPicture* old = region.groundPicture) {
        old->inUse = 0;
        old->built = 0;
    }
    region.groundPicture = ground;
    if (!ground) return;
    ground->inUse = 1;
    ground->built = 0;
    KPrimPicture& picture = ground->picture;
    picture.ax = region.originX;
    picture.ay = region.originY;
    picture.az = 0;
    picture.bx = SaturateToInt32(__int128(region.originX) + kRegionWidth);
    picture.by = SaturateToInt32(__int128(region.originY) + kRegionHeight);
    picture.bz = 0;
}

}  // namespace

void RefreshTreePoints(KSceneRegion& region) {
    if (!region.treePoints || !region.objects) return;
    const uint32_t count = region.TreePointCount();
    for (uint32_t i = 0; i < count; ++i) SetPointFromRecord(region.treePoints[i], region.objects[i]);
    const uint32_t points = std::min<uint32_t>(region.objectHeader.points, count);
    for (uint32_t i = 0; i < points; ++i) {
        KTreePoint& point = region.treePoints[i];
        point.SetPosition(region.objects[i].x,
                          SaturateToInt32(__int128(region.objects[i].y) + kPointObjectDrop));
    }
}

void KScenePlace::ActivateRegion(KSceneRegion& region, KPlaceGroundPicture* ground) {
    BindGroundPicture(region, ground);
    const uint32_t count = region.TreePointCount();
    if (!region.treePoints && region.objects && count > 0) {
        auto points = std::unique_ptr<KTreePoint[]>(new (std::nothrow) KTreePoint[count]);
        if (!points) return;
        for (uint32_t i = 0; i < count; ++i) {
            points[i].piece.cacheHint = 0xFFFF;
            points[i].piece.owned = 0;
            points[i].record = &region.objects[i];
        }
        region.treePoints = std::move(points);
    }
    RefreshTreePoints(region);
}

void KScenePlace::DeactivateRegion(KSceneRegion& region) {
    BindGroundPicture(region, nullptr);
    region.FreeTreePoints();
}
