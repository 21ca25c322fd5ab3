#include "LineBreak.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "HostGlobals.h"

namespace {

const char kAsciiClosers[] = "!),.:;?]}";

// Each table holds the characters of the header's list that the code page has,
// as (lead << 8 | trail), sorted for binary search.
const uint16_t kGbkClosers[] = {
    0xA1A2, 0xA1A3, 0xA1AD, 0xA1AF, 0xA1B1, 0xA1B3, 0xA1B5, 0xA1B7, 0xA1B9, 0xA1BB, 0xA1BD,
    0xA1BF, 0xA3A1, 0xA3A5, 0xA3A9, 0xA3AC, 0xA3AE, 0xA3BA, 0xA3BB, 0xA3BF, 0xA3DD, 0xA3FD,
    0xA845, 0xA96F, 0xA970, 0xA971, 0xA972, 0xA973, 0xA974, 0xA975, 0xA977, 0xA979, 0xA97B,
};

const uint16_t kBig5Closers[] = {
    0xA141, 0xA142, 0xA143, 0xA144, 0xA146, 0xA147, 0xA148, 0xA149, 0xA14B, 0xA14C, 0xA14D,
    0xA14E, 0xA14F, 0xA151, 0xA152, 0xA153, 0xA154, 0xA15E, 0xA162, 0xA166, 0xA16A, 0xA16E,
    0xA172, 0xA176, 0xA17A, 0xA17E, 0xA1A2, 0xA1A4, 0xA1A6, 0xA1A8, 0xA248,
};

constexpr uint16_t kGbkIdeographicSpace = 0xA1A1;
constexpr uint16_t kBig5IdeographicSpace = 0xA140;

bool UsesBig5() { return g_iCharacterSet == 1; }

template <size_t N>
bool Holds(const uint16_t (&table)[N], uint16_t code) {
    return std::binary_search(std::begin(table), std::end(table), code);
}

uint16_t PairCode(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// Bytes taken by one of the layout's inline codes that starts with b.
int InlineCodeLength(uint8_t b) {
    switch (b) {
        case 2: case 4: case 7: return 4;
        case 6: case 16: return 3;
        default: return 1;
    }
}

}  // namespace

int TIsCharacterNotAlowAtLineHead(const char* character) {
    if (character == nullptr) return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(character);
    if (p[0] == 0) return 0;
    if (p[0] < 0x80) return std::strchr(kAsciiClosers, p[0]) != nullptr ? 1 : 0;
    if (p[0] < 0x81 || p[1] == 0) return 0;
    uint16_t code = PairCode(p);
    return (UsesBig5() ? Holds(kBig5Closers, code) : Holds(kGbkClosers, code)) ? 1 : 0;
}

const char* TGetSecondVisibleCharacterThisLine(const char* text, int position, int length) {
    if (text == nullptr || position < 0 || position >= length) return nullptr;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    uint16_t ideographicSpace = UsesBig5() ? kBig5IdeographicSpace : kGbkIdeographicSpace;
    int seen = 0;
    int i = position;
    while (i < length) {
        uint8_t b = bytes[i];
        int size = 1;
        bool visible = false;
        if (b == '\n') return nullptr;
        if (b >= 0x81 && i + 1 < length) {
            size = 2;
            visible = PairCode(bytes + i) != ideographicSpace;
        } else if (b >= 0x21 && b <= 0x7E) {
            visible = true;
        } else if (b < 0x20) {
            size = InlineCodeLength(b);
        }
        if (visible && ++seen == 2) return text + i;
        i += size;
    }
    return nullptr;
}
