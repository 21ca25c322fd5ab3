#include <gtest/gtest.h>

#include <climits>

#include "place/TreeItems.h"

namespace {

TEST(TreeItemsTest, NewItemsStartCleared) {
    KSceneObject object;
    EXPECT_EQ(object.kind, kItemHostObject);
    EXPECT_EQ(object.wordA, 0u);
    EXPECT_EQ(object.host.id, -1);
    EXPECT_EQ(object.host.flags, 0u);
    EXPECT_EQ(object.owner.node, nullptr);
    EXPECT_EQ(object.owner.item, nullptr);
    EXPECT_EQ(object.previous, nullptr);
    EXPECT_EQ(object.z, 0.0f);

    KTreePoint point;
    EXPECT_EQ(point.kind, kItemRegionFragment);
    EXPECT_EQ(point.EndPoint(), (KIntPoint{0, 0}));
    EXPECT_EQ(point.piece.owned, 0);
    EXPECT_EQ(point.record, nullptr);
    EXPECT_EQ(point.RecordFlags(), 0u);
    EXPECT_EQ(point.next, nullptr);
}

TEST(TreeItemsTest, StoredPositionsTruncateAndSaturate) {
    const struct {
        float x, y;
        KIntPoint read;
    } cases[] = {
        {-7.9f, 7.9f, {-7, 7}},
        {2147483647.0f, -2147483648.0f, {INT_MAX, INT_MIN}},  // the float is 2^31: out of range
        {1e30f, -1e30f, {INT_MAX, INT_MIN}},
        {__builtin_nanf(""), __builtin_inff(), {0, INT_MAX}},
    };
    for (const auto& c : cases) {
        KSceneObject object;  // no host model yet: the stored position
        object.x = c.x, object.y = c.y;
        EXPECT_EQ(object.Position(), c.read) << c.x;
    }
    KTreePoint point;
    point.SetPosition(-300, 40000);
    int32_t x = 0, y = 0;
    point.GetPosition(&x, &y);
    EXPECT_EQ(x, -300);
    EXPECT_EQ(y, 40000);
}

}  // namespace
