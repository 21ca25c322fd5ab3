#include "SceneTreeFixture.h"

#include <cstring>

namespace place_test {

KRegionObjectRecord RecordFrom(const RegionObjectFields& fields) {
    const std::vector<uint8_t> bytes = WriteRegionObject(fields);
    KRegionObjectRecord record;
    static_assert(sizeof record == kRegionObjectRecordSize);
    std::memcpy(&record, bytes.data(), sizeof record);
    return record;
}

KTreePoint* TreeScene::Line(const std::string& name, KIntPoint from, KIntPoint to, float keyA, float keyB,
                            uint32_t flags) {
    RegionObjectFields fields;
    fields.flags = flags;
    fields.name = name;
    fields.x = from.x, fields.y = from.y;
    fields.endX = to.x, fields.endY = to.y;
    fields.keyA = keyA, fields.keyB = keyB;
    m_records.push_back(RecordFrom(fields));
    KTreePoint& point = m_points.emplace_back();
    point.SetPosition(from.x, from.y);
    point.end = KScenePoint::EndWords{to.x, to.y};
    point.key = KScenePoint::KeyWords{keyA, keyB};
    point.piece.cacheHint = 0xFFFF;
    point.record = &m_records.back();
    m_names[&point] = name;
    return &point;
}

KTreePoint* TreeScene::Wall(const std::string& name, KIntPoint from, KIntPoint to) {
    return Line(name, from, to, m_nextKey++, 0, kObjectCoveringWall);
}

KTreePoint* TreeScene::Point(const std::string& name, KIntPoint at, uint32_t flags) {
    return Line(name, at, at, m_nextKey++, 0, flags);
}

KSceneObject* TreeScene::Object(const std::string& name, KIntPoint at) {
    KSceneObject& object = m_objects.emplace_back();
    object.SetPosition(at.x, at.y);
    object.host.flags = kHostObjectPaintedByHost;
    m_names[&object] = name;
    return &object;
}

std::string TreeScene::NameOf(const KScenePoint* item) const {
    const auto it = m_names.find(item);
    if (it != m_names.end()) return it->second;
    if (!item->IsHostObject() && item->record) return std::string(item->record->name) + "'";
    return "?";
}

std::vector<std::string> TreeScene::Walk() const {
    struct Context {
        const TreeScene* scene;
        std::vector<std::string> names;
    } context{this, {}};
    tree.WalkItems(&context, [](void* c, KScenePoint* item) {
        auto* ctx = static_cast<Context*>(c);
        ctx->names.push_back(ctx->scene->NameOf(item));
    });
    return context.names;
}

std::vector<std::string> TreeScene::LeafWalk() const {
    struct Visitor {
        const TreeScene* scene;
        std::vector<std::string> names;
        void ListItem(KScenePoint* item) { names.push_back(scene->NameOf(item)); }
    } visitor{this, {}};
    tree.WalkLeafLists(visitor);
    return visitor.names;
}

std::vector<std::string> TreeScene::Pending() const { return Chain(tree.PendingHead()); }

std::vector<std::string> TreeScene::Chain(const KScenePoint* head) const {
    std::vector<std::string> names;
    for (const KScenePoint* item = head; item && names.size() < 10000; item = item->next) names.push_back(NameOf(item));
    return names;
}

}  // namespace place_test
