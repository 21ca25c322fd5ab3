// Sprite files carrying a whole image in their first frame, and textures
// made from bytes a caller put into a record.
#include "SprWriter.h"
#include "TextureManagerFixture.h"
#include "d3d9/Control.h"
#include "textures/TextureManagerSprImage.h"

namespace texmgr_test {
namespace {

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(uint32_t(value) >> (8 * i));
}

TEST(SpriteFileNames, EndingInDotSprInAnyCase) {
    EXPECT_TRUE(IsSpriteFileName("a.spr"));
    EXPECT_TRUE(IsSpriteFileName("\\x\\B.SPR"));
    EXPECT_TRUE(IsSpriteFileName(".Spr"));
    EXPECT_FALSE(IsSpriteFileName("aspr"));
    EXPECT_FALSE(IsSpriteFileName("a.spr.dds"));
    EXPECT_FALSE(IsSpriteFileName("a.sp"));
    EXPECT_FALSE(IsSpriteFileName(""));
}

TEST(EmbeddedImage, FollowsTheFrameTableAndTheFirstFrameHead) {
    std::vector<uint8_t> file = FlatSprite(0xFFFF0000, 8, 4, 20, 10);
    KEmbeddedImage image;
    ASSERT_TRUE(LocateEmbeddedImage(file.data(), file.size(), &image));
    EXPECT_EQ(image.offset, 32u + 8 + 8);
    EXPECT_EQ(image.length, file.size() - image.offset);
    EXPECT_EQ(image.width, 20);
    EXPECT_EQ(image.height, 10);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 48, file.begin() + 52), (std::vector<uint8_t>{'D', 'D', 'S', ' '}));
}

TEST_F(TextureManagerTest, SpriteTextureTakesTheSpriteSizeAndTheImagesFigures) {
    CreateDevice();
    WriteDataFile("\\effects\\glow.spr", FlatSprite(0xFF00FF00, 16, 8, 32, 16));
    uint64_t usedBefore = lumiva::d3d9::UsedTextureMemory();
    KTextureRecord* record = Manager().LoadTexture("\\Effects\\Glow.SPR", nullptr, 0, 1, 0);
    ASSERT_NE(record, nullptr);
    ASSERT_TRUE(record->loaded);
    D3DSURFACE_DESC desc = LevelDesc(record->texture);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(record->width, 16) << "the embedded image's own size";
    EXPECT_EQ(record->height, 8);
    EXPECT_EQ(FirstTexel(record->texture), 0xFF00FF00u);
    EXPECT_EQ(record->bytes, 32u * 16 * 4);
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory() - usedBefore, record->bytes);
}

TEST_F(TextureManagerTest, MalformedEmbeddedImagesAreRefused) {
    CreateDevice();
    const std::vector<uint8_t> good = FlatSprite(0xFF00FF00, 16, 8, 16, 8);
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"image cut short", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    cases.push_back({"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 20)});
    std::vector<uint8_t> bytes = good;
    PutU16(bytes, 12, 0);
    cases.push_back({"no frames", bytes});
    bytes = good;
    PutU16(bytes, 12, 0xFFFF);
    cases.push_back({"frame table past the end", bytes});
    bytes = good;
    PutI32(bytes, 36, 8);
    cases.push_back({"empty image", bytes});
    bytes = good;
    PutI32(bytes, 36, -int32_t(good.size() - 40));
    cases.push_back({"negative length", bytes});
    bytes = good;
    PutI32(bytes, 36, 0x7FFFFFFF);
    cases.push_back({"length past the end", bytes});

    uint64_t usedBefore = lumiva::d3d9::UsedTextureMemory();
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string name = "\\effects\\bad" + std::to_string(index++) + ".spr";
        WriteDataFile(name, c.bytes);
        TakeLog();
        KTextureRecord* record = Manager().LoadTexture(name.c_str(), nullptr, 0, 1, 0);
        ASSERT_NE(record, nullptr);
        EXPECT_FALSE(record->loaded);
        EXPECT_EQ(record->texture, nullptr);
        EXPECT_TRUE(record->fileData.empty());
        EXPECT_EQ(TakeLog().size(), 1u);
    }
    EXPECT_EQ(Manager().GetLoadedCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), usedBefore);
}

TEST_F(TextureManagerTest, CreateTextureFromMemoryTakesTheRecordsBytes) {
    CreateDevice();
    auto* record = new KTextureRecord;
    ASSERT_TRUE(record->SetName("\\mesh\\stage0.dds"));
    EXPECT_FALSE(Manager().CreateTextureFromMemory(record)) << "no bytes";

    record->fileData = FlatDds(0xFFFF0000, 8, 8);
    ASSERT_TRUE(Manager().CreateTextureFromMemory(record));
    EXPECT_TRUE(record->loaded);
    EXPECT_TRUE(record->fileData.empty());
    EXPECT_EQ(FirstTexel(record->texture), 0xFFFF0000u);

    // Made again over its live texture: the old one is given back.
    uint64_t used = lumiva::d3d9::UsedTextureMemory();
    record->fileData = FlatDds(0xFF0000FF, 8, 8);
    ASSERT_TRUE(Manager().CreateTextureFromMemory(record));
    EXPECT_EQ(FirstTexel(record->texture), 0xFF0000FFu);
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), used);
    EXPECT_EQ(Manager().GetLoadedCount(), 1u);
    EXPECT_EQ(Manager().GetTotalBytes(), 8u * 8 * 4);
    EXPECT_TRUE(Manager().ReleaseTexture(record));
    EXPECT_EQ(Manager().GetLoadedCount(), 0u);
}

}  // namespace
}  // namespace texmgr_test
