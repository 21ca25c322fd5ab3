// The named texture pool: textures keyed by the name as spelt, in the pool
// the caller names, in the file's own format.
#include "TextureManagerFixture.h"
#include "textures/NamedTexturePool.h"

namespace texmgr_test {
namespace {

TEST_F(TextureManagerTest, PoolSharesATexturePerNameAndCountsLaterRequests) {
    CreateDevice();
    WriteDataFile("\\ui\\mask.dds", FlatDds(0xFFFFFFFF, 8, 8));
    KNamedTexturePool& pool = NamedTexturePool();
    EXPECT_EQ(pool.Find("\\ui\\mask.dds"), nullptr) << "empty pool";

    IDirect3DTexture9* first = pool.Load("\\ui\\mask.dds", D3DPOOL_SYSTEMMEM);
    ASSERT_NE(first, nullptr);
    KNamedTextureEntry* entry = pool.Find("\\ui\\mask.dds");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->extraUsers, 0);
    EXPECT_EQ(entry->name, "\\ui\\mask.dds");

    EXPECT_EQ(pool.Load("\\ui\\mask.dds", D3DPOOL_MANAGED), first);
    EXPECT_EQ(entry->extraUsers, 1);

    D3DSURFACE_DESC desc = LevelDesc(first);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(desc.Format, D3DFMT_DXT5) << "the file's own format";
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(first->GetLevelCount(), 1u);
    EXPECT_EQ(FirstTexel(first), 0xFFFFFFFFu);
    EXPECT_EQ(pool.Find(nullptr), nullptr);
}

TEST_F(TextureManagerTest, PoolNamesDifferingInCaseAreDifferentEntries) {
    CreateDevice();
    WriteDataFile("\\ui\\mask.dds", FlatDds(0xFFFFFFFF, 8, 8));
    KNamedTexturePool& pool = NamedTexturePool();
    IDirect3DTexture9* lower = pool.Load("\\ui\\mask.dds", D3DPOOL_SYSTEMMEM);
    IDirect3DTexture9* upper = pool.Load("\\UI\\Mask.DDS", D3DPOOL_SYSTEMMEM);
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(lower, upper);
    EXPECT_EQ(pool.Find("\\ui\\mask.dds")->extraUsers, 0);
    EXPECT_EQ(pool.Find("\\UI\\Mask.DDS")->extraUsers, 0);
}

TEST_F(TextureManagerTest, PoolAddsNoEntryForFilesThatDoNotLoad) {
    CreateDevice();
    WriteDataFile("\\ui\\bad.dds", {'b', 'a', 'd'});
    WriteDataFile("\\ui\\empty.dds", {});
    KNamedTexturePool& pool = NamedTexturePool();
    for (const char* name : {"\\ui\\missing.dds", "\\ui\\bad.dds", "\\ui\\empty.dds", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(pool.Load(name, D3DPOOL_SYSTEMMEM), nullptr);
        EXPECT_EQ(pool.Find(name), nullptr);
    }
    EXPECT_EQ(pool.Load(nullptr, D3DPOOL_SYSTEMMEM), nullptr);
}

TEST_F(TextureManagerTest, PoolNeedsTheModuleDevice) {
    WriteDataFile("\\ui\\mask.dds", FlatDds(0xFFFFFFFF, 8, 8));
    EXPECT_EQ(NamedTexturePool().Load("\\ui\\mask.dds", D3DPOOL_SYSTEMMEM), nullptr);
    EXPECT_EQ(NamedTexturePool().Find("\\ui\\mask.dds"), nullptr);
}

}  // namespace
}  // namespace texmgr_test
