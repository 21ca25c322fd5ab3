#include "PictureTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ScratchFolder.h"
#include "BasrelReset.h"
#include "ByteWriter.h"
#include "DataRoot.h"
#include "DebugLog.h"

namespace basrel_pictures_test {

void PictureTest::SetUp() {
    BasrelResetForTests();
    m_root = MakeScratchFolder("basrel-pictures");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    basrel::SetDebugLogToFile(false);
    basrel::StartDebugLogCapture();
}

void PictureTest::TearDown() {
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void PictureTest::WriteHostFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + relative, bytes)) << relative;
}

std::vector<uint8_t> PictureTest::ReadHostFile(const std::string& relative) const {
    std::ifstream in(m_root + "/" + relative, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PictureTest::HostFileExists(const std::string& relative) const {
    return std::filesystem::exists(m_root + "/" + relative);
}

std::vector<std::string> PictureTest::TakeLog() { return basrel::TakeCapturedLog(); }

uint16_t U16At(const std::vector<uint8_t>& bytes, size_t at) { return uint16_t(bytes.at(at) | bytes.at(at + 1) << 8); }

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
    return U16At(bytes, at) | uint32_t(U16At(bytes, at + 2)) << 16;
}

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes.at(at) = uint8_t(value);
    bytes.at(at + 1) = uint8_t(value >> 8);
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    PutU16(bytes, at, uint16_t(value));
    PutU16(bytes, at + 2, uint16_t(value >> 16));
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

}  // namespace basrel_pictures_test
