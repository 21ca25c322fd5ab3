#include "MeshFileWriter.h"

#include "ByteWriter.h"

namespace meshfile {
namespace {

constexpr size_t kNameSize = 30;
constexpr size_t kTagAt = 84;
constexpr size_t kBlockCountAt = 140;

void WriteMatrix(ByteWriter& out, const Matrix& m) {
    for (float v : m) out.F32(v);
}

// The array's bytes when it is written at all.
bool ArrayBytes(const Block& block, int index, ByteWriter* out) {
    if (block.layout[index].omit) return false;
    auto floats = [out](const std::vector<float>& values) {
        for (float v : values) out->F32(v);
        return !values.empty();
    };
    auto words = [out](const std::vector<uint32_t>& values) {
        for (uint32_t v : values) out->U32(v);
        return !values.empty();
    };
    switch (index) {
        case kPositions: return floats(block.positions);
        case kNormals: return floats(block.normals);
        case kColours: return words(block.colours);
        case kTexture0:
        case kTexture1:
        case kTexture2: return floats(block.textures[index - kTexture0]);
        case kFaces: return words(block.faces);
        default: return words(block.attributes);
    }
}

void WriteBone(ByteWriter& out, const Bone& bone) {
    out.Text(bone.name, kNameSize);
    out.Text(bone.secondName, kNameSize);
    out.U32(bone.nameListCount.value_or(uint32_t(bone.nameList.size())));
    for (const std::string& name : bone.nameList) out.Text(name, kNameSize);
    WriteMatrix(out, bone.offset);
    WriteMatrix(out, bone.second);
    out.U32(bone.influenceCount.value_or(uint32_t(bone.vertices.size())));
    for (uint32_t v : bone.vertices) out.U32(v);
    for (float w : bone.weights) out.F32(w);
}

void WriteSkeleton(ByteWriter& out, const Block& block) {
    out.U32(block.boneCount.value_or(uint32_t(block.bones.size())));
    for (const Bone& bone : block.bones) WriteBone(out, bone);
    out.U32(block.dummyCount.value_or(uint32_t(block.dummies.size())));
    for (const Dummy& dummy : block.dummies) {
        out.Text(dummy.name, kNameSize);
        out.Text(dummy.boneName, kNameSize);
        WriteMatrix(out, dummy.matrix);
    }
}

void WriteBlock(ByteWriter& out, const Block& block) {
    const size_t header = out.Size();
    out.U32(block.vertexCount.value_or(uint32_t(block.positions.size() / 3)));
    out.U32(block.faceCount.value_or(uint32_t(block.faces.size() / 3)));
    out.U32(block.subsetCount);
    out.Zeros(4 * kArrayCount);
    out.U32(block.skinned);
    for (int i = 0; i < kArrayCount; ++i) {
        ByteWriter data;
        const bool present = ArrayBytes(block, i, &data);
        const ArrayLayout& layout = block.layout[i];
        if (present) {
            out.Zeros(layout.gapBefore);
            const uint32_t offset = uint32_t(out.Size());
            out.Bytes(data.Data());
            out.U32(0);
            out.PatchU32(header + 12 + 4 * size_t(i), layout.offset.value_or(offset));
        } else if (layout.offset) {
            out.PatchU32(header + 12 + 4 * size_t(i), *layout.offset);
        }
    }
    if (block.skinned) WriteSkeleton(out, block);
}

}  // namespace

Matrix Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

std::vector<uint8_t> Write(const File& file) {
    ByteWriter out;
    out.Zeros(kFileHeaderSize);
    out.PatchU32(kTagAt, file.tag);
    out.PatchU32(kBlockCountAt, file.blockCount.value_or(uint32_t(file.blocks.size())));
    for (const Block& block : file.blocks) WriteBlock(out, block);
    out.U32(0);
    return out.Take();
}

Block GridBlock(uint32_t columns, uint32_t rows, uint32_t subsets) {
    Block block;
    block.subsetCount = subsets;
    for (uint32_t z = 0; z <= rows; ++z) {
        for (uint32_t x = 0; x <= columns; ++x) {
            block.positions.insert(block.positions.end(), {float(x), 0.0f, float(z)});
            block.normals.insert(block.normals.end(), {0.0f, 1.0f, 0.0f});
            block.colours.push_back(0xFF808080);
            const float u = float(x) / float(columns), v = float(z) / float(rows);
            for (auto& set : block.textures) set.insert(set.end(), {u, v, 0.5f});
        }
    }
    const uint32_t stride = columns + 1;
    for (uint32_t z = 0; z < rows; ++z) {
        for (uint32_t x = 0; x < columns; ++x) {
            const uint32_t a = z * stride + x, b = a + 1, c = a + stride, d = c + 1;
            block.faces.insert(block.faces.end(), {a, c, b, b, c, d});
        }
    }
    const uint64_t faces = uint64_t(columns) * rows * 2;
    for (uint64_t f = 0; f < faces; ++f) block.attributes.push_back(uint32_t(f * subsets / faces));
    return block;
}

Block SkinnedBlock(Block block, uint32_t bones, uint32_t dummies) {
    block.skinned = 1;
    const uint32_t vertices = uint32_t(block.positions.size() / 3);
    for (uint32_t i = 0; i < bones; ++i) {
        Bone bone;
        bone.name = "bone" + std::to_string(i);
        bone.secondName = "second" + std::to_string(i);
        bone.offset = Identity();
        bone.offset[12] = -float(i);
        for (uint32_t v = i; v < vertices; v += bones) {
            bone.vertices.push_back(v);
            bone.weights.push_back(1.0f);
        }
        block.bones.push_back(bone);
    }
    for (uint32_t d = 0; d < dummies; ++d) {
        Dummy dummy;
        dummy.name = "dummy" + std::to_string(d);
        dummy.boneName = bones ? "bone" + std::to_string(d % bones) : "none";
        dummy.matrix[13] = 1.0f;
        block.dummies.push_back(dummy);
    }
    return block;
}

Block BlendedSkinBlock(Block block, uint32_t bones, uint32_t influences, uint32_t dummies) {
    block = SkinnedBlock(std::move(block), bones, dummies);
    if (bones == 0) return block;
    for (Bone& bone : block.bones) {
        bone.vertices.clear();
        bone.weights.clear();
    }
    const uint32_t vertices = uint32_t(block.positions.size() / 3);
    for (uint32_t v = 0; v < vertices; ++v) {
        const uint32_t count = influences == 0 ? 1 + v % 4 : influences;
        float weight = 1.0f;
        for (uint32_t k = 0; k < count; ++k) {
            if (k + 1 < count) weight /= 2;  // the last takes what the others leave
            Bone& bone = block.bones[(uint64_t(v) * bones / vertices + k) % bones];
            bone.vertices.push_back(v);
            bone.weights.push_back(weight);
        }
    }
    return block;
}

}  // namespace meshfile
