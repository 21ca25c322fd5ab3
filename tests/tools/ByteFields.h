// Little-endian fields read back from what a writer produced; out-of-range
// reads throw, so a short file fails its test instead of reading past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tools_test {

inline uint16_t U16At(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }
inline uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return U16At(b, at) | uint32_t(U16At(b, at + 2)) << 16;
}

}  // namespace tools_test
