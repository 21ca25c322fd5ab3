// Items for object tree tests: fragments over records made by the region
// object writer, host objects, and names to read walks by.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "RegionObjectWriter.h"
#include "place/RegionRecords.h"
#include "place/SceneObjectTree.h"

namespace place_test {

// The record as the writer lays it out, read by copy.
KRegionObjectRecord RecordFrom(const RegionObjectFields& fields);

class TreeScene {
public:
    TreeScene() { tree.SetBaseLine(-1024, 1024, -2048); }

    // A fragment from (x0, y0) to (x1, y1) over a record named name.
    KTreePoint* Line(const std::string& name, KIntPoint from, KIntPoint to, float keyA, float keyB = 0,
                     uint32_t flags = 0);
    // A covering wall (sort kind 1) with a key of its own.
    KTreePoint* Wall(const std::string& name, KIntPoint from, KIntPoint to);
    // A point object of a region: end point = position.
    KTreePoint* Point(const std::string& name, KIntPoint at, uint32_t flags = 0);
    KSceneObject* Object(const std::string& name, KIntPoint at);

    // Items by name; a part the tree cut off reads as its record's name
    // with a "'".
    std::string NameOf(const KScenePoint* item) const;
    std::vector<std::string> Walk() const;
    std::vector<std::string> LeafWalk() const;
    std::vector<std::string> Pending() const;
    // The list that starts at head, in next order.
    std::vector<std::string> Chain(const KScenePoint* head) const;

private:
    // Declared before the tree, which dissolves its lists when it goes.
    std::deque<KRegionObjectRecord> m_records;
    std::deque<KTreePoint> m_points;
    std::deque<KSceneObject> m_objects;
    std::map<const KScenePoint*, std::string> m_names;
    float m_nextKey = 1000;

public:
    KSceneObjectTree tree;
};

}  // namespace place_test
