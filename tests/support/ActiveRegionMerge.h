// The region merge as tests and benchmarks stand in for it while no loader
// thread merges: tree points for every active region's records, wall lines,
// then segments, then points into the object tree, the flat records sorted
// by y then depth, the map lights, and the host objects back in. Header
// only (see ShellFixture.h).
#pragma once

#include <algorithm>
#include <vector>

#include "place/ScenePlace.h"

namespace test_support {

inline void MergeActiveRegions(KScenePlace& place) {
    KSceneObjectTree& tree = place.ObjectTree();
    std::vector<KRegionObjectRecord*>& flats = place.FlatObjects();
    flats.clear();
    tree.ResetForMerge();
    int32_t focusX = 0, focusY = 0;
    place.GetFocus(&focusX, &focusY, nullptr);
    tree.SetBaseLine(focusX - 1024, focusX + 1024, focusY - 2048);
    for (KSceneRegion* region : place.Window().slots) {
        if (!region) continue;
        const KRegionObjectHeader& h = region->objectHeader;
        tree.AddRegionLights(region->lights.get(), h.lightCount);
        if (!region->objects) continue;
        const uint32_t points = region->TreePointCount();
        region->treePoints.reset(new KTreePoint[points]);
        for (uint32_t i = 0; i < points; ++i) {
            KTreePoint& p = region->treePoints[i];
            const KRegionObjectRecord& r = region->objects[i];
            p.SetPosition(r.x, r.y);
            p.end = KScenePoint::EndWords{r.endX, r.endY};
            p.key = KScenePoint::KeyWords{r.keyA, r.keyB};
            p.piece = KScenePoint::PieceWords{0xFFFF, 0, 0};
            p.record = &r;
        }
        for (uint32_t i = h.points + h.segments; i < points; ++i) tree.InsertRegionFragment(&region->treePoints[i]);
        for (uint32_t i = h.points; i < uint32_t(h.points + h.segments); ++i)
            tree.InsertSegmentItem(&region->treePoints[i]);
        for (uint32_t i = 0; i < h.points; ++i) tree.InsertObject(&region->treePoints[i]);
        for (uint32_t i = h.count; i > points; --i) flats.push_back(&region->objects[i - 1]);
    }
    std::stable_sort(flats.begin(), flats.end(), [](const KRegionObjectRecord* a, const KRegionObjectRecord* b) {
        return a->y != b->y ? a->y < b->y : a->depth < b->depth;
    });
    const int32_t cx = place.CentreX(), cy = place.CentreY();
    const int32_t window[4] = {(cx - 1) * 512, (cy - 1) * 1024, (cx + 2) * 512, (cy + 2) * 1024};
    tree.ReinsertPendingObjects(window);
}

}  // namespace test_support
