#include "CoreTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScratchFolder.h"
#include "BasrelReset.h"
#include "ByteWriter.h"
#include "DataRoot.h"
#include "DebugLog.h"
#include "win32/Control.h"

namespace basrel_core_test {

void DataRootTest::SetUp() {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    m_root = MakeScratchFolder("basrel-core");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    basrel::StartDebugLogCapture();
}

void DataRootTest::TearDown() {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void DataRootTest::WriteHostFile(const std::string& relative, const std::string& bytes) {
    WriteHostFile(relative, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void DataRootTest::WriteHostFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + relative, bytes)) << relative;
}

std::string DataRootTest::ReadHostFile(const std::string& relative) const {
    std::ifstream in(m_root + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool DataRootTest::HostFileExists(const std::string& relative) const {
    return std::filesystem::exists(m_root + "/" + relative);
}

}  // namespace basrel_core_test
