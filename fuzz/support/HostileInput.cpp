#include "support/HostileInput.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace lumiva::fuzz {
namespace {

constexpr int32_t kEdgeInts[] = {INT_MIN, INT_MIN + 1, -65536, -32769, -32768, -1, 0, 1, 32767, 32768, 65535, 65536,
                                 INT_MAX / 2 + 1, INT_MAX - 1, INT_MAX, INT_MIN / 2};

constexpr float kEdgeFloats[] = {std::numeric_limits<float>::quiet_NaN(),
                                 -std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::lowest(),
                                 std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(),
                                 -0.0f,
                                 2147483648.0f,
                                 -2147483904.0f,
                                 1e20f,
                                 -1e20f,
                                 1e-20f,
                                 16777217.0f,
                                 4294967296.0f};

}  // namespace

int32_t HostileInput::Int() {
    const uint8_t kind = Byte();
    if (kind < 64) return kEdgeInts[kind % std::size(kEdgeInts)];
    if (kind < 96) return Value<int32_t>();
    return int32_t(Byte()) - 64;
}

float HostileInput::Float() {
    const uint8_t kind = Byte();
    if (kind < 64) return kEdgeFloats[kind % std::size(kEdgeFloats)];
    if (kind < 96) return Value<float>();
    return float(int32_t(Byte()) - 64) + float(kind % 4) * 0.25f;
}

std::vector<uint8_t> HostileInput::Bytes(size_t most) {
    const size_t count = std::min(most, m_size - std::min(m_at, m_size));
    std::vector<uint8_t> bytes(m_data + m_at, m_data + m_at + count);
    m_at += count;
    return bytes;
}

std::string HostileInput::String(size_t most) {
    const std::vector<uint8_t> bytes = Bytes(most);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace lumiva::fuzz
