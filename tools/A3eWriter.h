// Writer of ".a3e" effect files: a header of 256 bytes, a 144-byte record per
// element, then each element's key tracks (six key counts, then for each
// track with keys its values and then its times).
//
// Everything is written as given, at any version, so tests can make bad
// files: the element count comes from the elements unless overridden, each
// track's count from its keys unless overridden, and nothing is checked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace a3e {

constexpr uint32_t kMagic = 0x65643361;  // "a3de"

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct Element {
    uint8_t type = 1;
    int8_t brightness = 0;
    uint16_t reserved = 0;
    std::string name;  // 32 bytes, cut or zero-padded
    Vec3 pivot;
    std::array<float, 3> dimension{};
    std::array<int32_t, 2> segments{};
    std::string fileName;  // 64 bytes, cut or zero-padded
    int32_t mappingMode = 1;
    float animSpeed = 1.0f;
    int32_t frameOffset = 0;
};

template <class V>
struct Key {
    V value{};
    int32_t time = 0;
};

enum Track { kPosition, kRotation, kColor, kScale, kVisible, kOffset };

struct Tracks {
    std::vector<Key<Vec3>> position;
    std::vector<Key<float>> rotation;
    std::vector<Key<uint32_t>> color;  // ARGB
    std::vector<Key<Vec3>> scale;
    std::vector<Key<int32_t>> visible;
    std::vector<Key<Vec3>> offset;
    // A count written in place of the track's own (its keys are written
    // all the same), by Track.
    std::array<std::optional<uint32_t>, 6> countOverride;
};

struct File {
    uint32_t magic = kMagic;
    uint32_t version = 6;
    std::optional<uint32_t> elementCount;  // elements.size() when unset
    int32_t duration = 1000;
    float spinSpeed = 0.0f;
    Vec3 scale{1.0f, 1.0f, 1.0f};
    int32_t additive = 0;
    int32_t extraValue = 0;
    std::vector<Element> elements;
    std::vector<Tracks> tracks;  // one block each, in order
};

std::vector<uint8_t> WriteA3e(const File& file);

}  // namespace a3e
