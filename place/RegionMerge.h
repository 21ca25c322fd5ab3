// The steps of the region merge that need no place: wall lines gathered
// from line points, segment order, the flat-object order. The place's
// MergeRegionObjects runs them over its active regions.
#pragma once

#include <cstdint>
#include <vector>

#include "place/LinkList.h"

class KSceneObjectTree;
class KSceneRegion;
class KTreePoint;
struct KRegionObjectRecord;

// Tree points back to their records: position, end point, line key, the
// cut byte cleared, point objects moved down to y + 6. A merge cuts and
// re-keys the points it inserts, so every merge starts from the records.
void RefreshTreePoints(KSceneRegion& region);

// A line point joins the first line whose key lies within 0.01 and 16.0 of
// its own (taking that key, kept in the chain by x), or starts a new line.
// False when a new line cannot be made.
bool JoinLinePoint(KLinkList& lines, KTreePoint* point);
// Longest line first (ties in order of making), each line's chain in order.
void InsertLines(KSceneObjectTree& tree, KLinkList& lines);
// Longest segment first; ties keep their order.
void InsertSegments(KSceneObjectTree& tree, std::vector<KTreePoint*>& segments);
// By y, then depth; equal keys keep their order.
void SortFlatObjects(std::vector<KRegionObjectRecord*>& flats);
