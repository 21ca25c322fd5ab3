// Writer of material files: the tag, a skipped value, the record count, the
// records (four colours of four reals in the order ambient, diffuse,
// specular, emissive; the power; the flags; the record options; the stages,
// each a skipped value, a 20-byte second name, a 256-byte texture name and
// its options), and a trailing value. An option is its type followed by its
// data words. Little-endian, reals single precision.
//
// Counts come from the data unless overridden, and nothing is checked, so
// tests can write broken files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mtlfile {

constexpr uint32_t kMaterialTag = 0x4D41544C;

struct Option {
    uint32_t type = 0;
    std::vector<uint32_t> words;  // the data block, written after the type
};

// Options with their saved values zero.
Option CullOption(uint32_t cullMode);
Option BlendOption(uint32_t sourceBlend, uint32_t destinationBlend);
Option StageStatesOption(uint32_t colorOp, uint32_t colorArg1, uint32_t colorArg2, uint32_t alphaOp,
                         uint32_t alphaArg1, uint32_t alphaArg2, uint32_t textureFactor);
Option TexCoordOption(uint32_t index);
// Scale, yaw-pitch-roll (radians), translation; the nine unused reals zero.
Option TexTransformOption(const float scale[3], const float yawPitchRoll[3], const float translation[3]);

struct Stage {
    uint32_t skipped = 0;
    std::string secondName;   // 20 bytes
    std::string textureName;  // 256 bytes
    std::vector<Option> options;
    std::optional<uint32_t> optionCount;
};

struct Record {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {1, 1, 1, 1};
    float specular[4] = {0, 0, 0, 1};
    float emissive[4] = {0, 0, 0, 1};
    float power = 0;
    uint32_t flags = 0;
    std::vector<Option> options;
    std::optional<uint32_t> optionCount;
    std::vector<Stage> stages;
    std::optional<uint32_t> stageCount;
};

struct File {
    uint32_t tag = kMaterialTag;
    uint32_t skipped = 0;
    std::vector<Record> records;
    std::optional<uint32_t> recordCount;
    bool trailing = true;
};

std::vector<uint8_t> Write(const File& file);

}  // namespace mtlfile
