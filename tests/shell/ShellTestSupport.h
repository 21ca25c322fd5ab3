// Shared fixture of the device-side shell tests: a fresh data root in its own
// temporary folder, the platform and every device-side global reset around
// each test, log lines captured.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell_test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files under the data root, by host path relative to it ("Logs/a.ini").
    void WriteDataFile(const std::string& relative, const std::string& text);
    std::string ReadDataFile(const std::string& relative) const;
    bool DataFileExists(const std::string& relative) const;
    // Log lines since the last call.
    std::vector<std::string> TakeLog();
    // The "[D3DRender]" lines among them.
    std::vector<std::string> TakeRenderLog();

    std::string m_root;
};

// The "key=value" lines of one section of an ini text, in file order.
std::vector<std::pair<std::string, std::string>> IniSectionEntries(const std::string& text, const std::string& section);

}  // namespace shell_test
