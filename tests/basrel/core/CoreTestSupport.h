// Shared fixture of the host-library core tests: a fresh data root in its own
// temporary folder, every library-wide object reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace basrel_core_test {

class DataRootTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file at a host path relative to the root ("Data/a.ini").
    void WriteHostFile(const std::string& relative, const std::string& bytes);
    void WriteHostFile(const std::string& relative, const std::vector<uint8_t>& bytes);
    std::string ReadHostFile(const std::string& relative) const;
    bool HostFileExists(const std::string& relative) const;

    std::string m_root;
};

}  // namespace basrel_core_test
