// The scene object tree over a generated 3 x 3 region window: about 1,000
// wall fragments, segments and points, and 100 host objects. Measured: a
// host object's move (RemoveObject then InsertObject, as UpdateObject does
// every frame), a whole rebuild as the region merge does it (reset, wall
// lines, segments, points, reinsertion), and the paint-order walk per item.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "place/RegionRecords.h"
#include "place/SceneObjectTree.h"

namespace {

constexpr int kRegionWidth = 512;
constexpr int kRegionHeight = 1024;
constexpr int kLinesPerRegion = 6;
constexpr int kFragmentsPerLine = 8;
constexpr int kSegmentsPerRegion = 40;
constexpr int kPointsPerRegion = 22;
constexpr int kHostObjects = 100;

// A fixed sequence, so every run measures the same scene.
class Sequence {
public:
    int32_t Below(int32_t n) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int32_t((m_state >> 33) % uint64_t(n));
    }

private:
    uint64_t m_state = 0x5EED;
};

class GeneratedWindow {
public:
    GeneratedWindow() {
        Sequence random;
        for (int region = 0; region < 9; ++region) {
            const int32_t ox = (region % 3) * kRegionWidth, oy = (region / 3) * kRegionHeight;
            for (int line = 0; line < kLinesPerRegion; ++line) AddLine(random, ox, oy, float(region * 16 + line));
            for (int i = 0; i < kSegmentsPerRegion; ++i) AddSegment(random, ox, oy);
            for (int i = 0; i < kPointsPerRegion; ++i) {
                const int32_t x = ox + random.Below(kRegionWidth), y = oy + random.Below(kRegionHeight);
                m_points.push_back(MakePoint(x, y, x, y, 0, 0));
            }
        }
        std::stable_sort(m_lines.begin(), m_lines.end(),
                         [](const Line& a, const Line& b) { return a.lengthSquared > b.lengthSquared; });
        std::stable_sort(m_segments.begin(), m_segments.end(), [](KTreePoint* a, KTreePoint* b) {
            return LengthSquared(a) > LengthSquared(b);
        });
        for (int i = 0; i < kHostObjects; ++i) {
            m_objects.push_back(std::make_unique<KSceneObject>());
            m_objects.back()->SetPosition(random.Below(3 * kRegionWidth), random.Below(3 * kRegionHeight));
            m_objects.back()->host.flags = kHostObjectPaintedByHost;
            tree.InsertObject(m_objects.back().get());
        }
        Rebuild();
    }

    size_t FragmentCount() const { return m_records.size(); }
    KSceneObject* Object(size_t i) { return m_objects[i % m_objects.size()].get(); }

    void Rebuild() {
        tree.ResetForMerge();
        tree.SetBaseLine(768 - 1024, 768 + 1024, 1536 - 2048);
        for (KTreePoint& point : m_storage) Refresh(point);
        for (const Line& line : m_lines) {
            for (KTreePoint* fragment : line.fragments) tree.InsertRegionFragment(fragment);
        }
        for (KTreePoint* segment : m_segments) tree.InsertSegmentItem(segment);
        for (KTreePoint* point : m_points) tree.InsertObject(point);
        const int32_t window[4] = {-80, -80, 1616, 3152};
        tree.ReinsertPendingObjects(window);
    }

private:
    struct Line {
        std::vector<KTreePoint*> fragments;
        int64_t lengthSquared;
    };

    static int64_t LengthSquared(const KTreePoint* p) {
        const int64_t dx = p->end.x - p->StoredPosition().x, dy = p->end.y - p->StoredPosition().y;
        return dx * dx + dy * dy;
    }

    // As a region's activation does: position, end and key from the record.
    static void Refresh(KTreePoint& point) {
        const KRegionObjectRecord& r = *point.record;
        point.SetPosition(r.x, r.y);
        point.end = KScenePoint::EndWords{r.endX, r.endY};
        point.key = KScenePoint::KeyWords{r.keyA, r.keyB};
        point.piece = KScenePoint::PieceWords{0xFFFF, 0, 0};
    }

    KTreePoint* MakePoint(int32_t x, int32_t y, int32_t endX, int32_t endY, uint32_t flags, float key) {
        KRegionObjectRecord& record = m_records.emplace_back();
        record = KRegionObjectRecord{};
        record.flags = flags;
        record.x = x, record.y = y, record.endX = endX, record.endY = endY;
        record.keyA = key, record.keyB = key;
        KTreePoint& point = m_storage.emplace_back();
        point.record = &record;
        Refresh(point);
        return &point;
    }

    // Walls of houses on the ground: flat or at half slopes.
    void AddLine(Sequence& random, int32_t ox, int32_t oy, float key) {
        const int32_t slopeTimesTwo = random.Below(3) - 1;
        const int32_t x0 = ox + random.Below(kRegionWidth - 200), y0 = oy + 100 + random.Below(kRegionHeight - 200);
        Line line{{}, 0};
        for (int k = 0; k < kFragmentsPerLine; ++k) {
            const int32_t xa = x0 + 24 * k, xb = xa + 24;
            line.fragments.push_back(MakePoint(xa, y0 + slopeTimesTwo * (xa - x0) / 2, xb,
                                               y0 + slopeTimesTwo * (xb - x0) / 2, kObjectCoveringWall, key));
        }
        const int64_t dx = 24 * kFragmentsPerLine, dy = slopeTimesTwo * dx / 2;
        line.lengthSquared = dx * dx + dy * dy;
        m_lines.push_back(line);
    }

    void AddSegment(Sequence& random, int32_t ox, int32_t oy) {
        static constexpr uint32_t kKinds[3] = {0, kObjectCoveringWall, 0x200};
        const int32_t x = ox + random.Below(kRegionWidth - 80), y = oy + random.Below(kRegionHeight - 40);
        const int32_t length = 20 + random.Below(60), rise = (random.Below(3) - 1) * length / 2;
        m_segments.push_back(MakePoint(x, y, x + length, y + rise, kKinds[random.Below(3)], -1.0f));
    }

    std::deque<KRegionObjectRecord> m_records;
    std::deque<KTreePoint> m_storage;
    std::vector<Line> m_lines;
    std::vector<KTreePoint*> m_segments;
    std::vector<KTreePoint*> m_points;
    std::vector<std::unique_ptr<KSceneObject>> m_objects;

public:
    // Last: it dissolves its lists, which touches the items, when it goes.
    KSceneObjectTree tree;
};

void BM_SceneTreeHostObjectMove(benchmark::State& state) {
    GeneratedWindow window;
    size_t i = 0;
    int32_t step = 3;
    for (auto _ : state) {
        KSceneObject* object = window.Object(i++);
        window.tree.RemoveObject(object);
        const KIntPoint at = object->StoredPosition();
        object->SetPosition(at.x + step, at.y + step);
        window.tree.InsertObject(object);
        if (i % kHostObjects == 0) step = -step;
    }
}
BENCHMARK(BM_SceneTreeHostObjectMove)->Unit(benchmark::kNanosecond);

void BM_SceneTreeRebuild(benchmark::State& state) {
    GeneratedWindow window;
    for (auto _ : state) window.Rebuild();
    state.counters["fragments"] = double(window.FragmentCount());
}
BENCHMARK(BM_SceneTreeRebuild)->Unit(benchmark::kMicrosecond);

void BM_SceneTreeWalk(benchmark::State& state) {
    GeneratedWindow window;
    struct Visitor {
        uintptr_t sum = 0;
        size_t items = 0;
        void NodeFragment(KScenePoint* item) { Visit(item); }
        void ListItem(KScenePoint* item) { Visit(item); }
        void Visit(KScenePoint* item) {
            sum += item->kind;
            ++items;
        }
    };
    size_t items = 0;
    for (auto _ : state) {
        Visitor visitor;
        window.tree.WalkPaintOrder(visitor);
        benchmark::DoNotOptimize(visitor.sum);
        items = visitor.items;
    }
    state.counters["items"] = double(items);
    state.counters["time_per_item"] = benchmark::Counter(double(state.iterations()) * double(items),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SceneTreeWalk)->Unit(benchmark::kMicrosecond);

}  // namespace
