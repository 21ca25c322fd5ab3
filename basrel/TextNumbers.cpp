#include "TextNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace basrel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int DigitValue(char c, int base) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    return digit < base ? digit : -1;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool ParseInteger32(std::string_view text, int& value) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    uint64_t magnitude = 0;
    for (char c : text) {
        int digit = DigitValue(c, base);
        if (digit < 0) return false;
        magnitude = magnitude * uint64_t(base) + uint64_t(digit);
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    if (negative && magnitude > 0x80000000ull) return false;
    uint32_t bits = negative ? uint32_t(0) - uint32_t(magnitude) : uint32_t(magnitude);
    value = int(int32_t(bits));
    return true;
}

bool ParseFloat(std::string_view text, float& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    float parsed = 0.0f;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool ParseIntegerList(std::string_view text, int* values, int count) {
    for (int i = 0; i < count; ++i) {
        size_t comma = text.find(',');
        bool last = i + 1 == count;
        if (last != (comma == std::string_view::npos)) return false;
        if (!ParseInteger32(text.substr(0, comma), values[i])) return false;
        if (!last) text.remove_prefix(comma + 1);
    }
    return true;
}

}  // namespace basrel
