// Arithmetic on integers a host hands over. They may take any 32-bit value,
// so sums, differences and products are formed in 64 bits and saturate to
// the 32-bit range: a result that fits is the plain one, and one that does
// not stays at the far end instead of wrapping round to the other side.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace host_int {

constexpr int32_t Saturate(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

constexpr int32_t Add(int64_t a, int64_t b) { return Saturate(a + b); }
constexpr int32_t Sub(int64_t a, int64_t b) { return Saturate(a - b); }
constexpr int32_t Mul(int64_t a, int64_t b) {
    // Both factors come from 32-bit values here, so the product fits 64 bits.
    return Saturate(a * b);
}

// Float to int toward zero, saturated; NaN gives 0.
inline int32_t Truncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The same for 64-bit results (times in ms kept as floats); NaN gives 0.
inline int64_t Truncate64(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

}  // namespace host_int
