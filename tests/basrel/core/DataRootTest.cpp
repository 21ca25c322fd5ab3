#include <string>

#include "CoreTestSupport.h"
#include "DataRoot.h"
#include "KPakFile.h"

namespace basrel_core_test {
namespace {

class DataRootPaths : public DataRootTest {
protected:
    std::string Resolve(const char* name) {
        std::string host;
        if (!basrel::ResolveExisting(name, host)) return "<none>";
        return host.substr(m_root.size());
    }
};

TEST_F(DataRootPaths, BackslashNamesMatchWithoutRegardToCase) {
    WriteHostFile("Data/Settings/Game.INI", "x");
    g_SetRootPath((m_root + "/Data").c_str());
    EXPECT_EQ(Resolve("\\settings\\game.ini"), "/Data/Settings/Game.INI");
    EXPECT_EQ(Resolve("SETTINGS\\GAME.ini"), "/Data/Settings/Game.INI");
    EXPECT_EQ(Resolve("/settings/game.ini"), "/Data/Settings/Game.INI");
    EXPECT_EQ(Resolve("\\\\settings\\\\.\\game.ini"), "/Data/Settings/Game.INI");
    EXPECT_TRUE(g_FileExists("\\settings\\game.ini"));
    KPakFile file;
    EXPECT_TRUE(file.Open("\\settings\\game.ini"));
    EXPECT_EQ(file.Size(), 1u);
}

TEST_F(DataRootPaths, MissingNamesAndFoldersAreNotFiles) {
    WriteHostFile("maps/east/a.wor", "x");
    EXPECT_EQ(Resolve("\\maps\\east\\b.wor"), "<none>");
    EXPECT_EQ(Resolve("\\maps\\east"), "<none>");  // a folder is not a file
    EXPECT_FALSE(g_FileExists("\\maps"));
    EXPECT_FALSE(g_FileExists(""));
    EXPECT_FALSE(g_FileExists(nullptr));
    std::string host;
    EXPECT_TRUE(basrel::ResolveExisting("\\MAPS\\East", host, true));
    EXPECT_EQ(host, m_root + "/maps/east");
}

TEST_F(DataRootPaths, ExactSpellingWinsOverOtherCases) {
    WriteHostFile("pic.JPG", "upper");
    WriteHostFile("pic.jpg", "lower");
    WriteHostFile("Pic.jpg", "mixed");
    EXPECT_EQ(Resolve("pic.jpg"), "/pic.jpg");
    EXPECT_EQ(Resolve("Pic.jpg"), "/Pic.jpg");
    // No exact match: the smallest spelling in byte order, every time.
    EXPECT_EQ(Resolve("PIC.jpg"), "/Pic.jpg");
}

TEST_F(DataRootPaths, RelativeNamesResolveAgainstTheFilePath) {
    WriteHostFile("Maps/East/region.dat", "r");
    WriteHostFile("Maps/common.ini", "c");
    char buffer[64];
    g_GetFilePath(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "\\");

    ASSERT_TRUE(g_SetFilePath("\\maps\\east"));
    g_GetFilePath(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "\\maps\\east");
    EXPECT_EQ(Resolve("region.dat"), "/Maps/East/region.dat");
    EXPECT_EQ(Resolve("..\\common.ini"), "/Maps/common.ini");
    EXPECT_EQ(Resolve("\\maps\\common.ini"), "/Maps/common.ini");

    ASSERT_TRUE(g_SetFilePath(".."));  // relative to the current path
    g_GetFilePath(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "\\maps");

    g_GetFilePath(buffer, 4);  // cut, still terminated
    EXPECT_STREQ(buffer, "\\ma");

    g_SetRootPath(m_root.c_str());  // a new root starts at its top again
    g_GetFilePath(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "\\");
}

TEST_F(DataRootPaths, NoPathEscapesTheRoot) {
    WriteHostFile("inside/a.txt", "a");
    WriteHostFile("secret.txt", "s");
    g_SetRootPath((m_root + "/inside").c_str());
    const char* escapes[] = {"..\\secret.txt", "\\..\\secret.txt", "a\\..\\..\\secret.txt", "../secret.txt"};
    for (const char* name : escapes) {
        EXPECT_EQ(Resolve(name), "<none>") << name;
        std::string host;
        EXPECT_FALSE(basrel::ResolveForWriting(name, host)) << name;
        KPakFile file;
        EXPECT_FALSE(file.Open(name)) << name;
    }
    EXPECT_EQ(Resolve("x\\..\\a.txt"), "/inside/a.txt");
    EXPECT_FALSE(g_SetFilePath("\\.."));
    char buffer[16];
    g_GetFilePath(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "\\");
}

TEST_F(DataRootPaths, WritingCreatesFoldersAndReusesExistingSpelling) {
    WriteHostFile("LOGS/Old.log", "o");
    std::string host;
    ASSERT_TRUE(basrel::ResolveForWriting("logs\\old.LOG", host));
    EXPECT_EQ(host, m_root + "/LOGS/Old.log");
    ASSERT_TRUE(basrel::ResolveForWriting("\\logs\\Shots\\Day1\\shot.bmp", host));
    EXPECT_EQ(host, m_root + "/LOGS/Shots/Day1/shot.bmp");
    EXPECT_TRUE(HostFileExists("LOGS/Shots/Day1"));
    EXPECT_FALSE(basrel::ResolveForWriting("\\logs", host));  // a folder
    EXPECT_FALSE(basrel::ResolveForWriting("\\", host));
    EXPECT_FALSE(basrel::ResolveForWriting("logs\\old.log\\x.txt", host));  // a file in the way

    g_SetRootPath((m_root + "/new/root").c_str());
    ASSERT_TRUE(basrel::ResolveForWriting("Logs\\a.log", host));
    EXPECT_TRUE(HostFileExists("new/root/Logs"));
}

}  // namespace
}  // namespace basrel_core_test
