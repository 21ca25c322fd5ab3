#include <string>
#include <thread>
#include <vector>

#include "CoreTestSupport.h"
#include "DataRoot.h"
#include "DebugLog.h"

namespace basrel_core_test {
namespace {

using DebugLogTest = DataRootTest;

TEST_F(DebugLogTest, OneLinePerCallInTheLogFile) {
    ASSERT_TRUE(g_SetFilePath("\\maps\\east"));  // the log stays at the root
    basrel::TakeCapturedLog();
    g_DebugLog("[D3DRender]Warning: Device create failed.");
    g_DebugLog("value %d and %s\n", 42, "text");
    g_DebugLog("%s", std::string(2000, 'x').c_str());
    std::vector<std::string> lines = basrel::TakeCapturedLog();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "[D3DRender]Warning: Device create failed.");
    EXPECT_EQ(lines[1], "value 42 and text");
    EXPECT_EQ(lines[2].size(), 2000u);
    EXPECT_EQ(ReadHostFile("Logs/Debug.log"),
              "[D3DRender]Warning: Device create failed.\nvalue 42 and text\n" + std::string(2000, 'x') + "\n");
}

TEST_F(DebugLogTest, FileSinkCanBeTurnedOff) {
    basrel::SetDebugLogToFile(false);
    g_DebugLog("not written");
    EXPECT_FALSE(HostFileExists("Logs"));
    EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u);
    basrel::StopDebugLogCapture();
    g_DebugLog("not kept");
    EXPECT_TRUE(basrel::TakeCapturedLog().empty());
}

TEST_F(DebugLogTest, ThreadsNeverMixTheirLines) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) g_DebugLog("thread %d line %d %s", t, i, std::string(100, char('a' + t)).c_str());
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::vector<std::string> lines = basrel::TakeCapturedLog();
    ASSERT_EQ(lines.size(), 200u);
    std::string file = ReadHostFile("Logs/Debug.log");
    size_t count = 0;
    for (size_t start = 0; start < file.size();) {
        size_t end = file.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        std::string line = file.substr(start, end - start);
        char letter = line.back();
        EXPECT_EQ(line.substr(line.size() - 100), std::string(100, letter)) << line;
        ++count;
        start = end + 1;
    }
    EXPECT_EQ(count, 200u);
}

}  // namespace
}  // namespace basrel_core_test
