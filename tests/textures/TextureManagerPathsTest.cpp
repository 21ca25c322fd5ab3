// Which file LoadTexture opens for a name: the folder rules, lower-casing,
// the name remap and names too long for a record.
#include <string>

#include "TextureManagerFixture.h"

namespace texmgr_test {
namespace {

struct PathCase {
    const char* fileName;
    const char* folder;
    bool fullPath;
    const char* expected;  // null: no path
};

TEST(TexturePathRules, FolderCommonAndFullPath) {
    const PathCase cases[] = {
        {"Models\\Hero\\Skin.DDS", "\\Model\\Hero\\", false, "\\Model\\Hero\\texture\\Skin.DDS"},
        {"a/b/Face.dds", nullptr, false, "\\portrait\\common\\Face.dds"},
        {"a\\b/c.dds", nullptr, false, "\\portrait\\common\\c.dds"},
        {"a/b\\c.dds", "\\f\\", false, "\\f\\texture\\c.dds"},
        {"Face.dds", nullptr, false, nullptr},
        {"Face.dds", "\\f\\", false, nullptr},
        {"\\Face.dds", nullptr, false, nullptr},
        {"/Face.dds", "\\f\\", false, nullptr},
        {"Face.dds", nullptr, true, "Face.dds"},
        {"\\Effects\\Beam.DDS", "\\ignored\\", true, "\\Effects\\Beam.DDS"},
        {"x\\", nullptr, false, "\\portrait\\common\\"},
    };
    for (const PathCase& c : cases) {
        std::string path;
        bool made = BuildTexturePath(c.fileName, c.folder, c.fullPath, &path);
        SCOPED_TRACE(c.fileName);
        ASSERT_EQ(made, c.expected != nullptr);
        if (made) {
            EXPECT_EQ(path, c.expected);
        }
    }
}

TEST(TexturePathRules, PathsThatOverrunTheRecordNameAreRefused) {
    std::string path;
    std::string longest(255, 'a');
    EXPECT_TRUE(BuildTexturePath(longest.c_str(), nullptr, true, &path));
    std::string tooLong(256, 'a');
    EXPECT_FALSE(BuildTexturePath(tooLong.c_str(), nullptr, true, &path));
    // The folder rule can overrun with a short name and a long folder.
    std::string folder = "\\" + std::string(240, 'f') + "\\";
    EXPECT_FALSE(BuildTexturePath("x\\skin.dds", folder.c_str(), false, &path));
    EXPECT_FALSE(BuildTexturePath(nullptr, nullptr, true, &path));
}

TEST_F(TextureManagerTest, EachFolderRuleOpensItsFileLowerCased) {
    CreateDevice();
    WriteDataFile("\\model\\hero\\texture\\skin.dds", FlatDds(0xFFFF0000, 8, 8));
    WriteDataFile("\\portrait\\common\\face.dds", FlatDds(0xFF00FF00, 8, 8));
    WriteDataFile("\\effects\\beam.dds", FlatDds(0xFF0000FF, 8, 8));
    struct LoadCase {
        const char* fileName;
        const char* folder;
        BYTE fullPath;
        const char* name;
        uint32_t colour;
    };
    const LoadCase cases[] = {
        {"Old\\Dir\\SKIN.DDS", "\\Model\\Hero\\", 0, "\\model\\hero\\texture\\skin.dds", 0xFFFF0000},
        {"Other/Face.Dds", nullptr, 0, "\\portrait\\common\\face.dds", 0xFF00FF00},
        {"\\Effects\\Beam.DDS", nullptr, 1, "\\effects\\beam.dds", 0xFF0000FF},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.fileName);
        KTextureRecord* record = Manager().LoadTexture(c.fileName, c.folder, 0, c.fullPath, 0);
        ASSERT_NE(record, nullptr);
        EXPECT_STREQ(record->name, c.name);
        ASSERT_TRUE(record->loaded);
        EXPECT_EQ(FirstTexel(record->texture), c.colour);
    }
    EXPECT_EQ(Manager().GetLoadedCount(), 3u);
}

TEST_F(TextureManagerTest, NamesWithoutRecordGiveNull) {
    CreateDevice();
    EXPECT_EQ(Manager().LoadTexture("Face.dds", nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(Manager().LoadTexture("\\Face.dds", nullptr, 0, 0, 0), nullptr);
    // A miss needs a dot.
    EXPECT_EQ(Manager().LoadTexture("\\effects\\beam", nullptr, 0, 1, 0), nullptr);
    EXPECT_EQ(Manager().LoadTexture(nullptr, nullptr, 0, 1, 0), nullptr);
    std::string tooLong = "\\" + std::string(251, 'a') + ".dds";
    TakeLog();
    EXPECT_EQ(Manager().LoadTexture(tooLong.c_str(), nullptr, 0, 1, 0), nullptr);
    EXPECT_EQ(TakeLog().size(), 1u);
    EXPECT_EQ(Manager().FindTexture(tooLong.substr(0, 255).c_str()), nullptr);
}

TEST_F(TextureManagerTest, WithoutDeviceNothingLoads) {
    WriteDataFile("\\effects\\beam.dds", FlatDds(0xFF0000FF, 8, 8));
    EXPECT_EQ(Manager().LoadTexture("\\effects\\beam.dds", nullptr, 0, 1, 0), nullptr);
    EXPECT_EQ(Manager().CreateEmptyTexture(0, 8, 8), nullptr);
    EXPECT_FALSE(Manager().SetTexture(0, nullptr, 0));
}

TEST_F(TextureManagerTest, RemappedNamesReplaceThePath) {
    CreateDevice();
    WriteDataFile("\\effects\\other.dds", FlatDds(0xFF00FF00, 8, 8));
    g_TextureNameRemap["\\effects\\beam.dds"] = "\\effects\\other.dds";
    KTextureRecord* record = Manager().LoadTexture("\\Effects\\BEAM.dds", nullptr, 0, 1, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->name, "\\effects\\other.dds");
    EXPECT_EQ(FirstTexel(record->texture), 0xFF00FF00u);

    g_TextureNameRemap["\\effects\\long.dds"] = "\\" + std::string(300, 'x') + ".dds";
    EXPECT_EQ(Manager().LoadTexture("\\effects\\long.dds", nullptr, 0, 1, 0), nullptr);
    EXPECT_FALSE(TakeLog().empty());
}

}  // namespace
}  // namespace texmgr_test
