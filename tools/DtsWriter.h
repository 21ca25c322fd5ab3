// Writer of .dts shape files: a shape description to bytes at any version.
//
// The outer stream holds the header, the memory buffer, the sequences and
// the material list; the memory buffer interleaves a 32-bit, a 16-bit and an
// 8-bit stream (laid out one after the other, each padded to a word), with
// guard points after each group of tables. Fields a version does not carry
// are left out; fields it carries in another form (key-frame ranges, flag
// bytes, combined key counts) are written in that form.
//
// Records and counts are written as given, so tests can make bad files:
// every count comes from its table unless overridden, and nothing is
// checked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dts {

struct Vec2 {
    float x = 0, y = 0;
};
struct Vec3 {
    float x = 0, y = 0, z = 0;
};
// Components times 32767.
struct Quat16 {
    int16_t x = 0, y = 0, z = 0, w = 32767;
};

struct Node {
    int32_t name = 0;
    int32_t parent = -1;
};
struct Object {
    int32_t name = 0;
    int32_t meshCount = 0;
    int32_t firstMesh = 0;
    int32_t node = -1;
};
struct Decal {
    int32_t name = 0;
    int32_t meshCount = 0;
    int32_t firstMesh = 0;
    int32_t object = -1;
};
struct IflMaterial {
    uint32_t kept[3] = {};
    int32_t firstFrame = 0;
    int32_t frameCount = 0;
};
struct SubShape {
    int32_t firstNode = 0, firstObject = 0, firstDecal = 0;
    int32_t nodeCount = 0, objectCount = 0, decalCount = 0;
};
struct Detail {
    int32_t name = 0;
    int32_t subShape = -1;
    int32_t objectDetailLevel = 0;
    float size = 0;
    uint32_t kept[2] = {};
};
struct ObjectState {
    float visibility = 1;
    uint32_t frame = 0;
    uint32_t materialFrame = 0;
};
struct Trigger {
    uint32_t state = 0;
    float position = 0;
};

// A stored set: an ignored word, then the words (bit b of word b / 32 is
// member b).
struct Set {
    uint32_t ignored = 0;
    std::vector<uint32_t> words;
    static Set Of(std::initializer_list<uint32_t> members);
};

struct Sequence {
    uint32_t name = 0;
    // Version 22 and up as a word; below 22 only bits 8, 16 and 32 survive,
    // as three bytes.
    uint32_t flags = 0;
    uint32_t keyFrames = 0;
    // Below version 17 the count is stored as first and last (first +
    // keyFrames unless given).
    uint32_t firstKeyFrame = 0;
    std::optional<uint32_t> lastKeyFrame;
    float duration = 1;
    uint32_t priority = 0;
    uint32_t unused[2] = {};
    // Rotation, translation, scale, object state, decal state. Versions 17
    // to 21 store the rotation, object-state and decal-state bases only.
    uint32_t bases[5] = {};
    uint32_t firstTrigger = 0;
    uint32_t triggerCount = 0;
    float iflTimeOffset = 0;
    Set rotation, translation, scale, visibility, frame, materialFrame, decal, ifl;
    // Below version 17, the two sets written and discarded.
    Set oldFirst, oldSecond;
};

struct Material {
    std::string name;  // written with its length byte; may hold a folder
    uint32_t flags = 0;
    int32_t first = 0, second = -1, third = -1;
    float firstFactor = 1, secondFactor = 1;
};

struct Primitive {
    uint16_t start = 0;
    uint16_t count = 0;
    uint32_t material = 0;
};

// Type 0 standard, 1 skinned, 2 decal, 3 sorted; any other type writes only
// its type word.
struct Mesh {
    uint32_t type = 0;
    // Standard record (types 0, 1, 3).
    uint32_t frameCount = 1;
    uint32_t materialFrameCount = 1;
    int32_t parent = -1;  // with a parent no vertex arrays are written
    float bounds[6] = {};
    Vec3 centre;
    int32_t radius = 0;
    std::vector<Vec3> vertices;
    std::vector<Vec2> texCoords;
    std::vector<Vec3> normals;
    // Version 22 and up; one zero byte per vertex unless given.
    std::optional<std::vector<uint8_t>> encodedNormals;
    std::vector<Primitive> primitives;
    std::vector<uint16_t> indices;
    std::vector<uint16_t> mergeIndices;
    uint32_t verticesPerFrame = 0;
    uint32_t flags = 0;
    // Skinned record, after the standard one.
    std::vector<Vec3> initialVertices;
    std::vector<Vec3> initialNormals;
    std::vector<std::array<float, 16>> boneTransforms;
    std::vector<int32_t> weightVertices;
    std::vector<int32_t> weightBones;
    std::vector<float> weights;
    std::vector<int32_t> boneNodes;
    // Decal record (its primitives and indices are the fields above).
    std::vector<uint32_t> startFrames;
    std::vector<std::array<float, 4>> texGenFirst, texGenSecond;  // one each per start frame
    uint32_t materialIndex = 0;
};

// Counts and header words to write instead of the true ones.
struct Overrides {
    std::optional<uint32_t> bufferWords, start16, start8;
    std::optional<uint32_t> sequenceCount, materialCount;
    std::optional<uint32_t> nodes, objects, decals, subShapes, iflMaterials;
    // Below version 22: the combined count (nodes + key-frame rotations).
    std::optional<uint32_t> keyedCount;
    std::optional<uint32_t> rotations, translations;
    std::optional<uint32_t> objectStates, decalStates, triggers, details, meshes, names;
    // The guard of this number (0 first) is written one too high.
    int badGuard = -1;
    // A set word count to write for every set instead of the true one.
    std::optional<uint32_t> setWordCount;
};

struct Shape {
    uint32_t version = 24;
    uint32_t versionHighBits = 0;  // ORed into the version word
    float radius = 0, tubeRadius = 0;
    Vec3 centre;
    float bounds[6] = {};
    int32_t smallestVisibleSize = 0;
    int32_t smallestVisibleDetail = 0;
    std::vector<Node> nodes;
    std::vector<Object> objects;
    std::vector<Decal> decals;
    std::vector<IflMaterial> iflMaterials;
    std::vector<SubShape> subShapes;
    std::vector<Quat16> defaultRotations;  // one per node
    std::vector<Vec3> defaultTranslations;
    std::vector<Quat16> rotations;
    std::vector<Vec3> translations;  // below 22 as many as rotations
    std::vector<float> uniformScales;
    std::vector<Vec3> alignedScales;
    std::vector<Vec3> arbitraryScaleFactors;
    std::vector<Quat16> arbitraryScaleRotations;  // as many as the factors
    std::vector<Vec3> extraTranslations;
    std::vector<Quat16> extraRotations;  // as many as the translations
    std::vector<ObjectState> objectStates;
    std::vector<uint32_t> decalStates;
    std::vector<Trigger> triggers;
    std::vector<Detail> details;
    std::vector<Mesh> meshes;  // version 16 and up
    uint32_t skins = 0;  // below version 23
    std::vector<uint32_t> oldWords;  // below version 16, skipped by readers
    std::vector<std::string> names;
    std::vector<Sequence> sequences;
    uint8_t materialListVersion = 1;
    std::vector<Material> materials;
    Overrides overrides;
};

std::vector<uint8_t> WriteDts(const Shape& shape);

// Bits of a primitive's material word.
constexpr uint32_t kNoMaterial = 1u << 28;
constexpr uint32_t kStrip = 1u << 30;
constexpr uint32_t kFan = 1u << 31;

}  // namespace dts
