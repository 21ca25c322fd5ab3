// The scene object tree under any coordinates and line keys. The input is a
// list of 27-byte entries, each an object record of a region or a host
// object; they are merged into the tree the way the region merge does it
// (wall lines by key, segments by length, points region by region, host
// objects reinserted), then host objects move and leave, the tree is
// walked, merged again and cleared. Every live host object must be walked
// exactly once after each merge.
//
// Entry: u8 (bits 0-1: 0 point, 1 segment, 2 line, 3 host object; bits
// 2-7: region, taken modulo 9), u16 record flags, i32 x, y, end x, end y,
// f32 line keys a, b. A host object moves to (end x, end y); flag bit 0
// makes it leave before the second merge.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "ByteWriter.h"
#include "RegionObjectWriter.h"
#include "place/LinkList.h"
#include "place/RegionMerge.h"
#include "place/RegionRecords.h"
#include "place/SceneObjectTree.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

constexpr size_t kEntrySize = 27;
constexpr size_t kMaxEntries = 400;

enum Group : uint8_t { kPoint = 0, kSegment = 1, kLine = 2, kHost = 3 };

struct Entry {
    uint8_t group = kPoint;
    uint8_t region = 0;
    uint16_t flags = 0;
    int32_t x = 0, y = 0, endX = 0, endY = 0;
    float keyA = 0, keyB = 0;
};

void Check(bool promise) {
    if (!promise) std::abort();
}

Bytes Encode(const std::vector<Entry>& entries) {
    ByteWriter out;
    for (const Entry& e : entries) {
        out.U8(uint8_t(e.group | e.region << 2));
        out.U16(e.flags);
        out.I32(e.x);
        out.I32(e.y);
        out.I32(e.endX);
        out.I32(e.endY);
        out.F32(e.keyA);
        out.F32(e.keyB);
    }
    return out.Take();
}

int32_t ReadI32(const uint8_t* p) { return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24); }

float ReadF32(const uint8_t* p) {
    const int32_t bits = ReadI32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<Entry> Decode(const uint8_t* data, size_t size) {
    std::vector<Entry> entries;
    for (size_t at = 0; at + kEntrySize <= size && entries.size() < kMaxEntries; at += kEntrySize) {
        const uint8_t* p = data + at;
        Entry e;
        e.group = p[0] & 3;
        e.region = uint8_t((p[0] >> 2) % 9);
        e.flags = uint16_t(p[1] | p[2] << 8);
        e.x = ReadI32(p + 3), e.y = ReadI32(p + 7), e.endX = ReadI32(p + 11), e.endY = ReadI32(p + 15);
        e.keyA = ReadF32(p + 19), e.keyB = ReadF32(p + 23);
        entries.push_back(e);
    }
    return entries;
}

// The resident regions' records and tree points, in merge groups.
class Scene {
public:
    explicit Scene(const std::vector<Entry>& entries) {
        for (const Entry& e : entries) {
            if (e.group == kHost) {
                m_objects.push_back(std::make_unique<KSceneObject>());
                KSceneObject& object = *m_objects.back();
                object.SetPosition(e.x, e.y);
                object.host.flags = e.flags;
                m_moves.push_back(KIntPoint{e.endX, e.endY});
                continue;
            }
            RegionObjectFields fields;
            fields.flags = e.flags;
            fields.x = e.x, fields.y = e.y, fields.endX = e.endX, fields.endY = e.endY;
            fields.keyA = e.keyA, fields.keyB = e.keyB;
            const Bytes bytes = WriteRegionObject(fields);
            KRegionObjectRecord& record = m_records.emplace_back();
            std::memcpy(&record, bytes.data(), sizeof record);
            m_regions[e.region][e.group].push_back(&m_points.emplace_back());
            m_points.back().record = &record;
        }
    }

    // Tree points from their records, as a region's activation does.
    void RefreshPoints() {
        for (auto& region : m_regions) {
            for (int group = kPoint; group <= kLine; ++group) {
                for (KTreePoint* point : region[group]) {
                    const KRegionObjectRecord& r = *point->record;
                    point->SetPosition(r.x, group == kPoint ? SaturateToInt32(int64_t(r.y) + 6) : r.y);
                    point->end = KScenePoint::EndWords{r.endX, r.endY};
                    point->key = KScenePoint::KeyWords{r.keyA, r.keyB};
                    point->piece = KScenePoint::PieceWords{0xFFFF, 0, 0};
                }
            }
        }
    }

    void Merge(KSceneObjectTree& tree) {
        tree.ResetForMerge();
        tree.SetBaseLine(-1024, 1024, -2048);
        RefreshPoints();
        InsertLines(tree);
        InsertSegments(tree);
        for (auto& region : m_regions) {
            for (KTreePoint* point : region[kPoint]) tree.InsertObject(point);
        }
        const int32_t window[4] = {-592, -1104, 1104, 2128};
        tree.ReinsertPendingObjects(window);
        CheckEveryObjectWalkedOnce(tree);
    }

    // Host objects move as UpdateObject moves them; some leave.
    void MoveAndRemove(KSceneObjectTree& tree) {
        for (size_t i = 0; i < m_objects.size(); ++i) {
            KSceneObject* object = m_objects[i].get();
            tree.RemoveObject(object);
            if (object->host.flags & 1) {
                m_objects[i].reset();
                continue;
            }
            object->SetPosition(m_moves[i].x, m_moves[i].y);
            tree.InsertObject(object);
        }
        CheckEveryObjectWalkedOnce(tree);
    }

    void AddObjects(KSceneObjectTree& tree) {
        for (auto& object : m_objects) tree.InsertObject(object.get());
    }

    void RemoveAll(KSceneObjectTree& tree) {
        for (auto& object : m_objects) tree.RemoveObject(object.get());
    }

    void CheckEveryObjectWalkedOnce(const KSceneObjectTree& tree) const {
        struct Count {
            std::vector<const KScenePoint*> hosts;
            void NodeFragment(KScenePoint* item) { Check(!item->IsHostObject()); }
            void ListItem(KScenePoint* item) {
                if (item->IsHostObject()) hosts.push_back(item);
            }
        } count;
        tree.WalkPaintOrder(count);
        std::vector<const KScenePoint*> live;
        for (const auto& object : m_objects) {
            if (object) live.push_back(object.get());
        }
        std::sort(count.hosts.begin(), count.hosts.end());
        std::sort(live.begin(), live.end());
        Check(count.hosts == live);
        size_t leafItems = 0;
        struct Leaves {
            size_t* n;
            void ListItem(KScenePoint*) { ++*n; }
        } leaves{&leafItems};
        tree.WalkLeafLists(leaves);
        size_t all = 0;
        tree.WalkItems(&all, [](void* n, KScenePoint*) { ++*static_cast<size_t*>(n); });
        Check(leafItems >= count.hosts.size() && all >= leafItems);
    }

private:
    // The region merge's own steps: wall lines by key, longest first, then
    // segments by length.
    void InsertLines(KSceneObjectTree& tree) {
        KLinkList lines;
        for (auto& region : m_regions) {
            for (KTreePoint* point : region[kLine]) JoinLinePoint(lines, point);
        }
        ::InsertLines(tree, lines);
    }

    void InsertSegments(KSceneObjectTree& tree) {
        std::vector<KTreePoint*> segments;
        for (auto& region : m_regions) segments.insert(segments.end(), region[kSegment].begin(), region[kSegment].end());
        ::InsertSegments(tree, segments);
    }

    std::deque<KRegionObjectRecord> m_records;
    std::deque<KTreePoint> m_points;
    std::vector<KTreePoint*> m_regions[9][3];
    std::vector<std::unique_ptr<KSceneObject>> m_objects;
    std::vector<KIntPoint> m_moves;
};

Entry Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float key, uint8_t region = 4) {
    return Entry{kLine, region, 0, x0, y0, x1, y1, key, 0};
}
Entry Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t flags) {
    return Entry{kSegment, 4, flags, x0, y0, x1, y1, 0, 0};
}
Entry Point(int32_t x, int32_t y) { return Entry{kPoint, 4, 0, x, y, x, y, 0, 0}; }
Entry Host(int32_t x, int32_t y, int32_t toX, int32_t toY, uint16_t flags = 2) {
    return Entry{kHost, 0, flags, x, y, toX, toY, 0, 0};
}

}  // namespace

LUMIVA_FUZZ_SEEDS(place_object_tree) {
    const float nan = std::nanf("");
    return {
        {"three-nodes-and-a-covering-wall",
         Encode({Line(0, 0, 100, 0, 1), Line(150, 0, 200, 0, 1), Line(0, -100, 100, -100, 2),
                 Line(0, 100, 100, 100, 3), Segment(0, 110, 100, 190, 0x100), Point(30, 60),
                 Host(50, -150, 50, -140), Host(50, -50, 60, 300), Host(50, 50, 50, 50, 3), Host(80, 150, 80, 151),
                 Host(20, 180, -20, 180), Host(50, 400, 50, -400)})},
        {"crossing-and-vertical",
         Encode({Line(0, 0, 200, 0, 1), Line(50, -100, 150, 100, 2), Line(30, -50, 30, 50, 3),
                 Line(130, -50, 131, 50, 4), Host(120, 30, 10, -30)})},
        {"keys-joined-across-regions",
         Encode({Line(0, 100, 100, 100, 1.0f, 3), Line(500, 900, 600, 910, 1.005f, 5), Line(-50, -700, -10, 90, 1, 4),
                 Line(40, -700, 60, -600, 1.5f), Host(0, 0, 0, 1)})},
        {"covering-walls",
         Encode({Segment(0, 20, 200, 21, 0x100), Segment(0, 40, 200, 140, 0x100), Segment(-7, 10, 107, 50, 0x200),
                 Point(500, 150), Host(100, 50, 150, 40), Host(-12, -2, 213, 100), Host(100, 229, 100, 228)})},
        {"extremes-and-nan-keys",
         Encode({Line(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, nan), Line(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, nan),
                 Line(-40000, 0, 40000, 1000, 5), Line(100, -30000, 100, 30000, 6), Segment(0, 0, 0, 0, 0x300),
                 Point(INT32_MAX, INT32_MAX), Host(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN),
                 Host(0, 0, 0, 0, 1)})},
    };
}

LUMIVA_FUZZ_TARGET(place_object_tree, data, size) {
    const std::vector<Entry> entries = Decode(data, size);
    Scene scene(entries);
    KSceneObjectTree tree;
    tree.SetBaseLine(-1024, 1024, -2048);
    scene.AddObjects(tree);
    scene.Merge(tree);
    scene.MoveAndRemove(tree);
    scene.Merge(tree);
    tree.Clear();
    scene.RemoveAll(tree);  // after Clear: harmless
    scene.AddObjects(tree);
    scene.Merge(tree);
}
