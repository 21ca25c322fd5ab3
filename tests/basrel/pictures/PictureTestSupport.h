// Shared fixture of the picture-service tests: a fresh data root in its own
// temporary folder, the host library reset and its log captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace basrel_pictures_test {

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file at a host path relative to the root ("spr/a.spr").
    void WriteHostFile(const std::string& relative, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> ReadHostFile(const std::string& relative) const;
    bool HostFileExists(const std::string& relative) const;
    // Log lines since the last call.
    std::vector<std::string> TakeLog();

    std::string m_root;
};

// Reads little-endian values out of a byte vector.
uint16_t U16At(const std::vector<uint8_t>& bytes, size_t at);
uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at);
void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value);
void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value);
// The first size bytes of a file, as a file cut short.
std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size);

}  // namespace basrel_pictures_test
