// Writer of mesh files: a 144-byte header (tag at 84, block count at 140),
// then blocks of a 48-byte header, the present arrays in table order (each
// followed by a 4-byte field) and, for a skinned block, the skeleton: bones
// of variable length, then the dummies of 124 bytes. One more 4-byte field
// ends the file. Little-endian, reals single precision, names 30 bytes.
//
// Counts and offsets come from the data unless overridden, and nothing is
// checked, so tests can write broken files.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace meshfile {

constexpr uint32_t kMeshTag = 0x4D455348;
constexpr size_t kFileHeaderSize = 144;
constexpr size_t kBlockHeaderSize = 48;
constexpr size_t kDummyRecordSize = 124;

using Matrix = std::array<float, 16>;  // row order, translation in the fourth row
Matrix Identity();

// The eight arrays in the order of the block header.
enum ArrayIndex { kPositions, kNormals, kColours, kTexture0, kTexture1, kTexture2, kFaces, kAttributes, kArrayCount };

struct ArrayLayout {
    bool omit = false;          // leave the array out even when it has data
    uint32_t gapBefore = 0;     // zero bytes written before the array
    std::optional<uint32_t> offset;  // header value written instead of the real offset
};

struct Bone {
    std::string name;
    std::string secondName;
    std::vector<std::string> nameList;
    std::optional<uint32_t> nameListCount;  // else nameList.size()
    Matrix offset = Identity();
    Matrix second = Identity();
    std::vector<uint32_t> vertices;
    std::vector<float> weights;
    std::optional<uint32_t> influenceCount;  // else vertices.size()
};

struct Dummy {
    std::string name;
    std::string boneName;
    Matrix matrix = Identity();
};

struct Block {
    std::vector<float> positions;  // 3 a vertex
    std::vector<float> normals;    // 3 a vertex
    std::vector<uint32_t> colours;
    std::vector<float> textures[3];  // u, v and an unused third real a vertex
    std::vector<uint32_t> faces;       // 3 a triangle
    std::vector<uint32_t> attributes;  // 1 a triangle
    uint32_t subsetCount = 1;
    std::optional<uint32_t> vertexCount;  // else positions.size() / 3
    std::optional<uint32_t> faceCount;    // else faces.size() / 3
    ArrayLayout layout[kArrayCount];

    uint32_t skinned = 0;
    std::vector<Bone> bones;
    std::optional<uint32_t> boneCount;
    std::vector<Dummy> dummies;
    std::optional<uint32_t> dummyCount;
};

struct File {
    uint32_t tag = kMeshTag;
    std::optional<uint32_t> blockCount;  // else blocks.size()
    std::vector<Block> blocks;
};

std::vector<uint8_t> Write(const File& file);

// --- Samples for tests, fuzz seeds and benchmarks ---

// A flat grid on y = 0 of columns x rows quads (two triangles each), one
// unit apart from (0, 0, 0) along x and z, normals up, u = x / columns,
// v = z / rows; the faces fall into `subsets` bands of equal length in
// face order, band i with attribute i.
Block GridBlock(uint32_t columns, uint32_t rows, uint32_t subsets = 1);
// The block with a skeleton: bone i "bone<i>" with its offset matrix the
// inverse of a translation by (i, 0, 0) (bind pose at x = i) and every
// vertex on bone (vertex % bones) with weight 1; dummies "dummy<d>" on
// bone (d % bones), each at the translation (0, 1, 0) in model space.
Block SkinnedBlock(Block block, uint32_t bones, uint32_t dummies);
// The same skeleton with vertex v of n on `influences` bones
// (v * bones / n + k) % bones, k from 0 (1 to 4 by turns, 1 + v % 4, for
// 0), weighing 1/2, 1/4, ... and the last what the others leave: runs of
// vertices in file order share their bones, as the parts of a body do.
// Repeated bones (fewer bones than influences) add up.
Block BlendedSkinBlock(Block block, uint32_t bones, uint32_t influences, uint32_t dummies = 0);

}  // namespace meshfile
