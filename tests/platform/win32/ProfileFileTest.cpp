#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Win32TestFixture.h"

namespace {

namespace fs = std::filesystem;

class ProfileFileTest : public Win32Test {
protected:
    void SetUp() override {
        Win32Test::SetUp();
        const char* root = std::getenv("LUMIVA_TEST_TMP");
        fs::path base = root ? fs::path(root) : fs::temp_directory_path();
        fs::create_directories(base);
        std::string pattern = (base / "win32-profile-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "Logs");
    }
    void TearDown() override {
        fs::remove_all(dir_);
        Win32Test::TearDown();
    }
    std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    // The name as module code passes it: folders joined by backslashes.
    std::string WindowsName(const char* leaf) { return dir_.string() + "\\Logs\\" + leaf; }

    fs::path dir_;
};

TEST_F(ProfileFileTest, CreatesFileSectionAndKey) {
    ASSERT_TRUE(WritePrivateProfileStringA("Effect", "Count", "3", WindowsName("bound.ini").c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Effect", "Name", "glow", WindowsName("bound.ini").c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Other", "A", "1", WindowsName("bound.ini").c_str()));
    EXPECT_EQ(Read(dir_ / "Logs" / "bound.ini"), "[Effect]\r\nCount=3\r\nName=glow\r\n[Other]\r\nA=1\r\n");
}

TEST_F(ProfileFileTest, ReplacesTheFirstKeyIgnoringCaseAndKeepsTheRest) {
    fs::path p = dir_ / "Logs" / "a.ini";
    Write(p, "; note\n[main]\nwidth = 800\nWIDTH=1\n\n[Next]\nwidth=5\n");
    ASSERT_TRUE(WritePrivateProfileStringA("MAIN", "Width", "1024", p.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("main", "height", "768", p.c_str()));
    EXPECT_EQ(Read(p), "; note\n[main]\nWidth=1024\nWIDTH=1\nheight=768\n\n[Next]\nwidth=5\n");
}

TEST_F(ProfileFileTest, NullValueDeletesTheKeyAndNullKeyTheSection) {
    fs::path p = dir_ / "Logs" / "b.ini";
    Write(p, "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("a", "x", nullptr, p.c_str()));
    EXPECT_EQ(Read(p), "[a]\r\ny=2\r\n[b]\r\nz=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("A", nullptr, nullptr, p.c_str()));
    EXPECT_EQ(Read(p), "[b]\r\nz=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("gone", "k", nullptr, (dir_ / "none.ini").c_str()));
    EXPECT_FALSE(fs::exists(dir_ / "none.ini")) << "deleting from nothing creates nothing";
}

TEST_F(ProfileFileTest, MissingFolderOrArgumentsFail) {
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", (dir_ / "no" / "such.ini").c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", (dir_ / "x.ini").c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", nullptr));
}

TEST_F(ProfileFileTest, DeleteFileTakesBackslashNames) {
    Write(dir_ / "Logs" / "old.ini", "x");
    EXPECT_TRUE(DeleteFileA(WindowsName("old.ini").c_str()));
    EXPECT_FALSE(fs::exists(dir_ / "Logs" / "old.ini"));
    EXPECT_FALSE(DeleteFileA(WindowsName("old.ini").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA((dir_ / "Logs").c_str())) << "folders are not files";
}

}  // namespace
