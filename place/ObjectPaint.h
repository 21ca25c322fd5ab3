// Painting of the map's object records and the host's objects: fragments
// held in tree nodes (walls and fences, whole or in the share of a cut
// fragment), map objects in the leaf lists (still, four-corner or
// animated), flat objects, and the per-paint fade and animation steps of
// a record.
#pragma once

#include <cstdint>

#include "place/TreeGeometry.h"

class KScenePoint;
struct KRegionObjectRecord;

// Where a record's picture id and index are cached between paints.
struct KPictureCacheWords {
    uint32_t* fileId;
    int16_t* indexHint;
};

// The place's frame flag: Paint clears it, PaintObjects sets it before the
// first pass; while set, pictures probe the paint point for occlusion.
bool PlaceFrameFlag();
void SetPlaceFrameFlag(bool set);
// The point the occlusion probes look from (the host's object paint point).
KIntPoint PlacePaintPoint();
void SetPlacePaintPoint(int32_t x, int32_t y);

// rect: left, top (inclusive), right, bottom (exclusive), world units.
void PaintNodeFragment(KScenePoint& fragment, const int32_t rect[4]);
void PaintListFragment(KScenePoint& fragment, const int32_t rect[4]);
// A flat object: a still picture from A to B, a four-corner picture for a
// record with sort bits, or the animated case of a list fragment.
void PaintFlatRecord(KRegionObjectRecord& record, KPictureCacheWords cache, const int32_t rect[4]);

// Current alpha one unit toward the target; 0xFFFF ends the fade. A fade
// that reaches alpha 0 leaves the record hidden.
void StepFade(KRegionObjectRecord& record);
bool RecordFadedOut(const KRegionObjectRecord& record);
// Frames advance on the place clock; interval 1 is first taken from the
// picture (at least 20 ms; one frame makes the record still).
void StepAnimation(KRegionObjectRecord& record);
