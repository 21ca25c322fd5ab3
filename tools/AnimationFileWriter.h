// Writer of animation files: the tag, a skipped value, the track count, the
// tracks and a trailing value. A track is its type and 30-byte name, then
//   type 10: bone count, frame count, interval; the bone names; the bone
//            matrices bone-major (bone k, frame f at k x frames + f);
//   types 1, 2: a skipped value, vertex count, frame count, interval; the
//            vertex numbers; the keys vertex-major;
//   any other type: nothing more.
// Little-endian, reals single precision, matrices in row order.
//
// Counts come from the data unless overridden, and nothing is checked, so
// tests can write broken files.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace animfile {

constexpr uint32_t kAnimationTag = 0x414E494D;
constexpr uint32_t kSkeletal = 10;
constexpr uint32_t kVertexPositions = 1;
constexpr uint32_t kVertexOffsets = 2;

using Matrix = std::array<float, 16>;
using Position = std::array<float, 3>;

struct Track {
    uint32_t type = kSkeletal;
    std::string name;
    uint32_t frameCount = 0;
    float interval = 100.0f;  // ms a frame
    // Skeletal.
    std::vector<std::string> boneNames;
    std::vector<Matrix> matrices;  // boneNames.size() x frameCount, bone-major
    std::optional<uint32_t> boneCount;
    // Vertex tracks.
    uint32_t skipped = 0;
    std::vector<uint32_t> vertices;
    std::vector<Position> keys;  // vertices.size() x frameCount, vertex-major
    std::optional<uint32_t> vertexCount;
};

struct File {
    uint32_t tag = kAnimationTag;
    uint32_t skipped = 0;
    std::vector<Track> tracks;
    std::optional<uint32_t> trackCount;
    bool trailing = true;
};

std::vector<uint8_t> Write(const File& file);

Matrix Translation(float x, float y, float z);
Matrix Scaling(float x, float y, float z);

}  // namespace animfile
