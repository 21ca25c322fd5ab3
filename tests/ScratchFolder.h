// A fresh, empty folder for one test's files, under $LUMIVA_TEST_TMP (tests
// run as parallel processes, so every test gets its own).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// The new folder's path, or an empty string when it cannot be made.
inline std::string MakeScratchFolder(const std::string& prefix) {
    const char* base = std::getenv("LUMIVA_TEST_TMP");
    const std::string folder = base && *base ? base : "/tmp";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string pattern = folder + "/" + prefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}
