#include "ShellTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScratchFolder.h"
#include "ByteWriter.h"
#include "basrel/BasrelReset.h"
#include "basrel/DataRoot.h"
#include "basrel/DebugLog.h"
#include "d3d9/Control.h"
#include "ddraw/Control.h"
#include "shell/D3DShellStartup.h"
#include "win32/Control.h"

namespace shell_test {

void ShellTest::SetUp() {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    lumiva::win32::SetMessageBoxLog([](const std::string&) {});
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    ResetDirect3DForTests();
    m_root = MakeScratchFolder("shell");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    basrel::StartDebugLogCapture();
}

void ShellTest::TearDown() {
    ResetDirect3DForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    lumiva::win32::ResetForTests();
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void ShellTest::WriteDataFile(const std::string& relative, const std::string& text) {
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + relative, std::vector<uint8_t>(text.begin(), text.end()))) << relative;
}

std::string ShellTest::ReadDataFile(const std::string& relative) const {
    std::ifstream in(m_root + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ShellTest::DataFileExists(const std::string& relative) const {
    return std::filesystem::exists(m_root + "/" + relative);
}

std::vector<std::string> ShellTest::TakeLog() { return basrel::TakeCapturedLog(); }

std::vector<std::string> ShellTest::TakeRenderLog() {
    std::vector<std::string> lines;
    for (std::string& line : TakeLog())
        if (line.rfind("[D3DRender]", 0) == 0) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::pair<std::string, std::string>> IniSectionEntries(const std::string& text,
                                                                   const std::string& section) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos)
            entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return entries;
}

}  // namespace shell_test
