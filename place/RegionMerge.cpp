// The region merge: the object tree and the flat-object list rebuilt from
// the active regions, on the host's thread under the objects lock.
#include "place/RegionMerge.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "place/ScenePlace.h"
#include "place/TreeGeometry.h"

namespace {

constexpr float kLineKeySlopeTolerance = 0.01f;
constexpr float kLineKeyOffsetTolerance = 16.0f;
// The 3 x 3 window and a margin, for objects put back after a merge.
constexpr int64_t kReinsertMargin = 80;
// The base line's reach around the focus.
constexpr int64_t kBaseLineHalfWidth = 1024;
constexpr int64_t kBaseLineRise = 2048;

bool SameLine(const KLineGroup& line, const KScenePoint& point) {
    return std::fabs(line.keyA - point.key.a) < kLineKeySlopeTolerance &&
           std::fabs(line.keyB - point.key.b) < kLineKeyOffsetTolerance;
}

void AddToLine(KLineGroup& line, KTreePoint* point) {
    const KIntPoint at = point->StoredPosition(), end = point->EndPoint();
    point->key = KScenePoint::KeyWords{line.keyA, line.keyB};
    KScenePoint** link = &line.items;
    if (at.x >= (*link)->StoredPosition().x) {
        while ((*link)->next && (*link)->next->StoredPosition().x <= at.x) link = &(*link)->next;
        link = &(*link)->next;
    }
    point->next = *link;
    *link = point;
    if (at.x < line.startX) line.startX = at.x, line.startY = at.y;
    if (end.x > line.endX) line.endX = end.x, line.endY = end.y;
}

__int128 SegmentLengthSquared(const KTreePoint* segment) {
    const KIntPoint p = segment->StoredPosition(), e = segment->EndPoint();
    const __int128 dx = int64_t(e.x) - p.x, dy = int64_t(e.y) - p.y;
    return dx * dx + dy * dy;
}

}  // namespace

bool JoinLinePoint(KLinkList& lines, KTreePoint* point) {
    point->next = nullptr;
    for (KLinkNode* node = lines.First(); node; node = lines.Next(node)) {
        auto* line = static_cast<KLineGroup*>(node);
        if (!SameLine(*line, *point)) continue;
        AddToLine(*line, point);
        return true;
    }
    auto* line = new (std::nothrow) KLineGroup();
    if (!line) return false;
    const KIntPoint at = point->StoredPosition(), end = point->EndPoint();
    line->keyA = point->key.a, line->keyB = point->key.b;
    line->startX = at.x, line->startY = at.y;
    line->endX = end.x, line->endY = end.y;
    line->items = point;
    lines.Append(line);
    return true;
}

void InsertLines(KSceneObjectTree& tree, KLinkList& lines) {
    std::vector<KLineGroup*> order;
    for (KLinkNode* node = lines.First(); node; node = lines.Next(node)) {
        auto* line = static_cast<KLineGroup*>(node);
        line->ComputeLengthSquared();
        order.push_back(line);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const KLineGroup* a, const KLineGroup* b) { return a->lengthSquared > b->lengthSquared; });
    for (KLineGroup* line : order) {
        for (KScenePoint* point = line->items; point;) {
            KScenePoint* next = point->next;  // insertion clears it
            tree.InsertRegionFragment(static_cast<KTreePoint*>(point));
            point = next;
        }
        line->items = nullptr;
    }
}

void InsertSegments(KSceneObjectTree& tree, std::vector<KTreePoint*>& segments) {
    std::stable_sort(segments.begin(), segments.end(), [](const KTreePoint* a, const KTreePoint* b) {
        return SegmentLengthSquared(a) > SegmentLengthSquared(b);
    });
    for (KTreePoint* segment : segments) tree.InsertSegmentItem(segment);
}

void SortFlatObjects(std::vector<KRegionObjectRecord*>& flats) {
    std::stable_sort(flats.begin(), flats.end(), [](const KRegionObjectRecord* a, const KRegionObjectRecord* b) {
        return a->y != b->y ? a->y < b->y : a->depth < b->depth;
    });
}

void KScenePlace::ClearFlatObjects() {
    m_flatObjects.clear();
    m_flatObjects.shrink_to_fit();
}

void KScenePlace::MergeRegionObjects() {
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    ClearFlatObjects();
    m_tree.ResetForMerge();
    m_tree.SetBaseLine(SaturateToInt32(int64_t(m_focusX) - kBaseLineHalfWidth),
                       SaturateToInt32(int64_t(m_focusX) + kBaseLineHalfWidth),
                       SaturateToInt32(int64_t(m_focusY) - kBaseLineRise));

    KSceneRegion* active[9];
    int activeCount = 0;
    for (const auto& slot : m_window.slots)
        if (KSceneRegion* region = slot.load(std::memory_order_relaxed)) active[activeCount++] = region;

    KLinkList lines;
    bool linesComplete = true;
    std::vector<KTreePoint*> segments;
    for (int i = 0; i < activeCount; ++i) {
        KSceneRegion& region = *active[i];
        RefreshTreePoints(region);
        CollectFlatObjects(region);
        const KRegionObjectHeader& h = region.objectHeader;
        if (!region.treePoints) continue;
        KTreePoint* points = region.treePoints.get();
        for (uint32_t j = 0; j < h.segments; ++j) segments.push_back(&points[h.points + j]);
        for (uint32_t j = 0; linesComplete && j < h.lines; ++j)
            linesComplete = JoinLinePoint(lines, &points[h.points + h.segments + j]);
    }
    SortFlatObjects(m_flatObjects);
    InsertLines(m_tree, lines);
    InsertSegments(m_tree, segments);
    for (int i = 0; i < activeCount; ++i) {
        if (!active[i]->treePoints) continue;
        for (uint32_t j = 0; j < active[i]->objectHeader.points; ++j) m_tree.InsertObject(&active[i]->treePoints[j]);
    }
    for (int i = 0; i < activeCount; ++i) AddRegionLights(*active[i]);
    ReinsertNearObjects();
}

// Each region's flat records from its last to its first, as the sort
// keeps equal keys in this order.
void KScenePlace::CollectFlatObjects(KSceneRegion& region) {
    const KRegionObjectHeader& h = region.objectHeader;
    if (!region.objects || h.flats == 0) return;
    for (uint32_t i = h.count; i > h.count - h.flats; --i) m_flatObjects.push_back(&region.objects[i - 1]);
}

void KScenePlace::ReinsertNearObjects() {
    const int64_t left = (int64_t(m_window.centreX) - 1) * kRegionWidth;
    const int64_t top = (int64_t(m_window.centreY) - 1) * kRegionHeight;
    const int32_t rect[4] = {SaturateToInt32(left - kReinsertMargin), SaturateToInt32(top - kReinsertMargin),
                             SaturateToInt32(left + 3 * kRegionWidth + kReinsertMargin),
                             SaturateToInt32(top + 3 * kRegionHeight + kReinsertMargin)};
    m_tree.ReinsertPendingObjects(rect);
}
