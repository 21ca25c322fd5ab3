#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "CoreTestSupport.h"
#include "DebugLog.h"
#include "KPakFile.h"
#include "PakPreloads.h"

namespace basrel_core_test {
namespace {

constexpr uint32_t kFail = 0xFFFFFFFF;

using KPakFileTest = DataRootTest;

TEST_F(KPakFileTest, SeekReturnsTheNewPositionOrFailsInPlace) {
    WriteHostFile("ten.bin", "0123456789");
    KPakFile file;
    ASSERT_TRUE(file.Open("ten.bin"));
    struct Case {
        int32_t offset;
        int origin;
        uint32_t result;
        uint32_t after;
    };
    // Each case starts from position 4.
    const Case cases[] = {
        {0, 0, 0, 0},       {10, 0, 10, 10},    {11, 0, kFail, 4},  {-1, 0, kFail, 4},
        {3, 1, 7, 7},       {-4, 1, 0, 0},      {-5, 1, kFail, 4},  {6, 1, 10, 10},
        {7, 1, kFail, 4},   {0, 2, 10, 10},     {-10, 2, 0, 0},     {-11, 2, kFail, 4},
        {1, 2, kFail, 4},   {0, 3, kFail, 4},   {0, -1, kFail, 4},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(file.Seek(4, 0), 4u);
        EXPECT_EQ(file.Seek(c.offset, c.origin), c.result) << c.offset << " from " << c.origin;
        EXPECT_EQ(file.Tell(), c.after) << c.offset << " from " << c.origin;
    }
}

TEST_F(KPakFileTest, ReadsAreShortAtTheEnd) {
    WriteHostFile("ten.bin", "0123456789");
    KPakFile file;
    ASSERT_TRUE(file.Open("TEN.BIN"));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file.Seek(8, 0), 8u);
    EXPECT_EQ(file.Read(buffer, 16), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(file.Tell(), 10u);
    EXPECT_EQ(file.Read(buffer, 1), 0u);
    EXPECT_EQ(file.Read(nullptr, 1), 0u);
    // Reading back and forth keeps the host cursor in step.
    EXPECT_EQ(file.Seek(-7, 2), 3u);
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "345");
}

TEST_F(KPakFileTest, ClosedFilesReadNothing) {
    WriteHostFile("a.bin", "abc");
    KPakFile file;
    EXPECT_FALSE(file.IsOpen());
    char byte;
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_EQ(file.Read(&byte, 1), 0u);
    EXPECT_EQ(file.Seek(0, 0), kFail);
    ASSERT_TRUE(file.Open("a.bin"));
    EXPECT_EQ(file.Size(), 3u);
    file.Close();
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_EQ(file.Tell(), 0u);
    EXPECT_EQ(file.Read(&byte, 1), 0u);
}

TEST_F(KPakFileTest, EmptyFileOpens) {
    WriteHostFile("empty.bin", "");
    KPakFile file;
    ASSERT_TRUE(file.Open("empty.bin"));
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_EQ(file.Seek(0, 2), 0u);
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), 0u);
}

TEST_F(KPakFileTest, MissingFileFailsWithOneLogLine) {
    basrel::TakeCapturedLog();
    KPakFile file;
    EXPECT_FALSE(file.Open("\\nowhere\\x.bin"));
    EXPECT_FALSE(file.IsOpen());
    std::vector<std::string> lines = basrel::TakeCapturedLog();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\\nowhere\\x.bin"), std::string::npos);
}

TEST_F(KPakFileTest, PreloadedCopyServesLaterOpens) {
    WriteHostFile("Maps/East/Region.dat", "preloaded");
    ASSERT_TRUE(KPakFile::PreLoadingToMemory("\\maps\\east\\region.dat", 1));
    EXPECT_EQ(basrel::PreloadCount(), 1u);
    EXPECT_TRUE(KPakFile::PreLoadingToMemory("\\MAPS\\EAST\\REGION.DAT", 1));  // same copy
    EXPECT_EQ(basrel::PreloadCount(), 1u);

    WriteHostFile("Maps/East/Region.dat", "changed on disk");
    KPakFile file;
    ASSERT_TRUE(file.Open("maps\\East\\region.DAT"));
    EXPECT_EQ(file.Size(), 9u);
    char buffer[16] = {};
    EXPECT_EQ(file.Seek(-6, 2), 3u);
    EXPECT_EQ(file.Read(buffer, 16), 6u);
    EXPECT_EQ(std::string(buffer, 6), "loaded");

    // Releasing keeps an open file readable and sends new opens to the disk.
    KPakFile::ReleasePreLoadings(1);
    EXPECT_EQ(basrel::PreloadCount(), 0u);
    EXPECT_EQ(file.Seek(0, 0), 0u);
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "pre");
    KPakFile fresh;
    ASSERT_TRUE(fresh.Open("\\maps\\east\\region.dat"));
    EXPECT_EQ(fresh.Size(), 15u);
}

TEST_F(KPakFileTest, ReleaseDropsOnlyItsOwnFlag) {
    WriteHostFile("a.bin", "a");
    WriteHostFile("b.bin", "b");
    ASSERT_TRUE(KPakFile::PreLoadingToMemory("a.bin", 1));
    ASSERT_TRUE(KPakFile::PreLoadingToMemory("b.bin", 2));
    KPakFile::ReleasePreLoadings(1);
    EXPECT_EQ(basrel::PreloadCount(), 1u);
    EXPECT_FALSE(KPakFile::PreLoadingToMemory("missing.bin", 1));
    EXPECT_FALSE(KPakFile::PreLoadingToMemory("..\\outside.bin", 1));
}

TEST_F(KPakFileTest, PreloadedFileOpensAfterItLeavesTheDisk) {
    WriteHostFile("gone.bin", "kept");
    ASSERT_TRUE(KPakFile::PreLoadingToMemory("gone.bin", 1));
    ASSERT_EQ(std::remove((m_root + "/gone.bin").c_str()), 0);
    KPakFile file;
    ASSERT_TRUE(file.Open("\\gone.bin"));
    EXPECT_EQ(file.Size(), 4u);
}

TEST_F(KPakFileTest, PreloadingFromManyThreadsKeepsOneCopyEach) {
    constexpr int kFiles = 8;
    for (int i = 0; i < kFiles; ++i) WriteHostFile("f" + std::to_string(i) + ".bin", std::string(100 + i, char('a' + i)));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int round = 0; round < 20; ++round) {
                for (int i = 0; i < kFiles; ++i) {
                    std::string name = "F" + std::to_string(i) + ".BIN";
                    EXPECT_TRUE(KPakFile::PreLoadingToMemory(name.c_str(), 1));
                    KPakFile file;
                    EXPECT_TRUE(file.Open(name.c_str()));
                    EXPECT_EQ(file.Size(), uint32_t(100 + i));
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(basrel::PreloadCount(), size_t(kFiles));
}

TEST_F(KPakFileTest, ReadWholeFileRefusesOversizedFiles) {
    WriteHostFile("big.txt", std::string(100, 'x'));
    std::vector<uint8_t> bytes;
    basrel::TakeCapturedLog();
    EXPECT_FALSE(ReadWholeFile("big.txt", 99, bytes));
    EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u);
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(ReadWholeFile("big.txt", 100, bytes));
    EXPECT_EQ(bytes.size(), 100u);
}

}  // namespace
}  // namespace basrel_core_test
