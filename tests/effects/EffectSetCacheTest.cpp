// The effect-set cache: one loaded set per file name, shared by its
// holders, deleted when the last holder gives it back, retried after a
// failed load.
#include <gtest/gtest.h>

#include "effects/EffectFileFixture.h"
#include "effects/K3DEffectSetCache.h"

namespace effect_file_test {
namespace {

class EffectSetCacheTest : public EffectFileTest {
protected:
    void SetUp() override {
        EffectFileTest::SetUp();
        UseFakeModels();
        a3e::File file = FileOfTypes({1, 6});
        file.elements[1].fileName = "orb";
        WriteEffect("fx/a.a3e", file);
        WriteEffect("fx/b.a3e", FileOfTypes({2}));
    }
    // A holder's steps, as effect nodes and instances take them.
    static K3DEffectSet* Hold(const char* name) {
        K3DEffectSet* set = AcquireEffectSet(name);
        if (set) set->AddUser();
        return set;
    }
    static void Drop(K3DEffectSet* set) {
        set->RemoveUser();
        EXPECT_EQ(ReleaseEffectSet(set), 1);
    }
};

TEST_F(EffectSetCacheTest, ASetWithOneHolderGoesWhenThatHolderGivesItBack) {
    K3DEffectSet* set = Hold("fx\\a.a3e");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->UserCount(), 1);
    EXPECT_EQ(EffectSetCache().Size(), 1u);
    EXPECT_EQ(models.Live(), 1);
    Drop(set);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    EXPECT_EQ(models.Live(), 0);  // the set's elements went with it
}

TEST_F(EffectSetCacheTest, HoldersOfOneNameShareOneSetUntilTheLastLetsGo) {
    K3DEffectSet* first = Hold("fx\\a.a3e");
    K3DEffectSet* second = Hold("fx\\a.a3e");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->UserCount(), 2);  // one count, raised once by each holder
    EXPECT_EQ(models.made, 1u);        // loaded once
    Drop(first);
    EXPECT_EQ(EffectSetCache().Size(), 1u);
    EXPECT_EQ(second->ElementCount(), 2);
    Drop(second);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    // Taken again, the file loads again.
    K3DEffectSet* again = Hold("fx\\a.a3e");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(models.made, 2u);
    Drop(again);
}

TEST_F(EffectSetCacheTest, NamesDifferingInCaseAreTwoSets) {
    K3DEffectSet* lower = Hold("fx\\a.a3e");
    K3DEffectSet* upper = Hold("FX\\A.A3E");
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(lower, upper);
    EXPECT_EQ(EffectSetCache().Size(), 2u);
    Drop(lower);
    Drop(upper);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
}

TEST_F(EffectSetCacheTest, AnEmptyNameGivesAFreshUncachedSetEachTime) {
    K3DEffectSet* a = Hold("");
    K3DEffectSet* b = Hold(nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->ElementCount(), 0);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    Drop(a);
    Drop(b);
}

TEST_F(EffectSetCacheTest, AFileThatCannotBeReadIsTriedAgainNextTime) {
    EXPECT_EQ(AcquireEffectSet("fx\\late.a3e"), nullptr);
    WriteDataFile("fx/late.a3e", std::vector<uint8_t>(100, 0));
    EXPECT_EQ(AcquireEffectSet("fx\\late.a3e"), nullptr);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    WriteEffect("fx/late.a3e", FileOfTypes({1}));
    K3DEffectSet* set = Hold("fx\\late.a3e");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->ElementCount(), 1);
    Drop(set);
}

TEST_F(EffectSetCacheTest, ARenamedSetsReleaseErasesTheEntryThatHoldsIt) {
    K3DEffectSet* renamed = Hold("fx\\a.a3e");
    ASSERT_NE(renamed, nullptr);
    renamed->SetName("fx\\elsewhere.a3e");
    EXPECT_EQ(AcquireEffectSet("fx\\a.a3e"), renamed);  // still found by its key
    Drop(renamed);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
    // Renamed to another cached set's name, its release leaves that set be.
    K3DEffectSet* a = Hold("fx\\a.a3e");
    K3DEffectSet* b = Hold("fx\\b.a3e");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->SetName("fx\\b.a3e");
    Drop(a);
    EXPECT_EQ(EffectSetCache().Size(), 1u);
    EXPECT_EQ(AcquireEffectSet("fx\\b.a3e"), b);
    K3DEffectSet* reloaded = Hold("fx\\a.a3e");
    EXPECT_NE(reloaded, b);
    Drop(reloaded);
    Drop(b);
    EXPECT_EQ(EffectSetCache().Size(), 0u);
}

TEST_F(EffectSetCacheTest, ReleasingNullOrAHeldSetChangesNothing) {
    EXPECT_EQ(ReleaseEffectSet(nullptr), 1);
    K3DEffectSet* set = Hold("fx\\b.a3e");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(ReleaseEffectSet(set), 1);  // still held
    EXPECT_EQ(AcquireEffectSet("fx\\b.a3e"), set);
    Drop(set);
}

}  // namespace
}  // namespace effect_file_test
