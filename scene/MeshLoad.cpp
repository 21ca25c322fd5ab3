// Reading a mesh file: the header, each block's arrays and skeleton (each
// block replaces what the one before it set; the last stays), then the
// bones' bind pose, the name maps and the dummies placed on their bones.
#include <cstring>

#include "scene/KMesh.h"
#include "scene/ModelFileBytes.h"

namespace {

constexpr uint32_t kMeshTag = 0x4D455348;
constexpr uint64_t kTagAt = 84;
constexpr uint64_t kBlockCountAt = 140;
constexpr uint64_t kFirstBlockAt = 144;
constexpr uint64_t kBlockHeaderSize = 48;
// Name, second name, list count, two matrices, influence count.
constexpr uint64_t kBoneMinBytes = 196;
constexpr uint64_t kDummyBytes = 124;
constexpr uint64_t kMeshMatrixBytes = 64;

enum Array { kPositions, kNormals, kColours, kTexture0, kTexture1, kTexture2, kFaces, kAttributes, kArrayCount };

struct BlockHeader {
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    uint32_t subsetCount = 0;
    uint32_t offsets[kArrayCount] = {};
    uint32_t skinned = 0;
};

// Items and bytes an item of each array.
uint64_t ArrayItems(const BlockHeader& h, int array) {
    return array >= kFaces ? h.faceCount : h.vertexCount;
}
uint64_t ItemBytes(int array) { return array == kColours || array == kAttributes ? 4 : 12; }

bool ReadFloats(KFileCursor& file, uint64_t count, std::vector<float>* out) {
    out->resize(size_t(count));
    for (float& v : *out)
        if (!file.F32(&v)) return false;
    return true;
}

bool ReadWords(KFileCursor& file, uint64_t count, std::vector<DWORD>* out) {
    out->resize(size_t(count));
    for (DWORD& v : *out)
        if (!file.U32(&v)) return false;
    return true;
}

bool ReadArray(KFileCursor& file, KMesh& mesh, int array, uint64_t words) {
    switch (array) {
        case kPositions: return ReadFloats(file, words, &mesh.positions);
        case kNormals: return ReadFloats(file, words, &mesh.normals);
        case kColours: return ReadWords(file, words, &mesh.colours);
        case kTexture0:
        case kTexture1:
        case kTexture2: return ReadFloats(file, words, &mesh.textureSets[array - kTexture0]);
        case kFaces: return ReadWords(file, words, &mesh.faces);
        default: return ReadWords(file, words, &mesh.faceAttributes);
    }
}

const char* ReadBlockHeader(KFileCursor& file, BlockHeader* h) {
    if (!file.U32(&h->vertexCount) || !file.U32(&h->faceCount) || !file.U32(&h->subsetCount)) return "cut short";
    for (uint32_t& offset : h->offsets)
        if (!file.U32(&offset)) return "cut short";
    if (!file.U32(&h->skinned)) return "cut short";
    if (h->vertexCount > kMaxMeshVertices) return "more than 65536 vertices";
    if (h->subsetCount > kMaxMeshSubsets) return "more than 65536 subsets";
    return nullptr;
}

// Reads the present arrays; *end is where the last one's trailing field ends.
const char* ReadArrays(KFileCursor& file, const BlockHeader& h, KMesh& mesh, uint64_t* end) {
    for (int a = 0; a < kArrayCount; ++a) {
        const uint64_t offset = h.offsets[a];
        if (offset == 0) continue;
        const uint64_t items = ArrayItems(h, a), each = ItemBytes(a);
        if (!file.Holds(offset, items, each) || !file.Seek(offset)) return "array past the end";
        if (!ReadArray(file, mesh, a, items * each / 4)) return "array past the end";
        *end = offset + items * each + 4;
    }
    for (DWORD index : mesh.faces)
        if (index >= h.vertexCount) return "face index past the vertices";
    return nullptr;
}

const char* ReadBone(KFileCursor& file, DWORD vertices, KMeshBone* bone) {
    uint32_t names = 0;
    if (!file.Name(kMeshNameSize, bone->name, sizeof bone->name) || !file.Skip(kMeshNameSize) || !file.U32(&names))
        return "cut short";
    if (!file.Fits(names, kMeshNameSize) || !file.Skip(uint64_t(names) * kMeshNameSize)) return "bone names past the end";
    if (!file.Matrix(&bone->offsetMatrix) || !file.Skip(kMeshMatrixBytes) || !file.U32(&bone->influenceCount))
        return "cut short";
    if (!file.Fits(bone->influenceCount, 8)) return "influences past the end";
    bone->vertexIndices.resize(bone->influenceCount);
    bone->weights.resize(bone->influenceCount);
    for (DWORD& v : bone->vertexIndices)
        if (!file.U32(&v) || v >= vertices) return "influence past the vertices";
    for (float& w : bone->weights)
        if (!file.F32(&w)) return "cut short";
    return nullptr;
}

const char* ReadSkeleton(KFileCursor& file, KMesh& mesh) {
    uint32_t boneCount = 0, dummyCount = 0;
    if (!file.U32(&boneCount)) return "cut short";
    if (!file.Fits(boneCount, kBoneMinBytes)) return "bone count past the end";
    mesh.bones.resize(boneCount);
    for (KMeshBone& bone : mesh.bones)
        if (const char* why = ReadBone(file, mesh.vertexCount, &bone)) return why;
    if (!file.U32(&dummyCount)) return "cut short";
    if (dummyCount > kMaxMeshDummies) return "more than 32 dummies";
    if (!file.Fits(dummyCount, kDummyBytes)) return "dummy count past the end";
    mesh.dummies.resize(dummyCount);
    for (KMeshDummy& dummy : mesh.dummies)
        if (!file.Name(kMeshNameSize, dummy.name, sizeof dummy.name) ||
            !file.Name(kMeshNameSize, dummy.boneName, sizeof dummy.boneName) || !file.Matrix(&dummy.localMatrix))
            return "cut short";
    mesh.flags |= kMeshHasSkeleton;
    return nullptr;
}

// One block into the mesh, over whatever the block before it set. `more`:
// another block follows, which must start past this one's header.
const char* ReadBlock(KFileCursor& file, KMesh& mesh, bool more) {
    const uint64_t start = file.Position();
    BlockHeader h;
    if (const char* why = ReadBlockHeader(file, &h)) return why;
    mesh.Clear();
    mesh.vertexCount = h.vertexCount;
    mesh.faceCount = h.faceCount;
    mesh.subsetCount = h.subsetCount;
    uint64_t end = start + kBlockHeaderSize;
    if (const char* why = ReadArrays(file, h, mesh, &end)) return why;
    if (!h.skinned && !more) return nullptr;
    if (!file.Seek(end)) return "skeleton or next block past the end";
    if (h.skinned)
        if (const char* why = ReadSkeleton(file, mesh)) return why;
    if (more && file.Position() < start + kBlockHeaderSize) return "next block inside this one";
    return nullptr;
}

const char* ReadMeshFile(KFileCursor& file, KMesh& mesh) {
    uint32_t tag = 0, blocks = 0;
    if (!file.Seek(kTagAt) || !file.U32(&tag) || tag != kMeshTag) return "not a mesh file";
    if (!file.Seek(kBlockCountAt) || !file.U32(&blocks)) return "cut short";
    if (blocks == 0) return "no blocks";
    if (!file.Seek(kFirstBlockAt)) return "cut short";
    for (uint32_t b = 0; b < blocks; ++b)
        if (const char* why = ReadBlock(file, mesh, b + 1 < blocks)) return why;
    if (mesh.positions.empty() || mesh.normals.empty() || mesh.textureSets[0].empty() || mesh.faces.empty() ||
        mesh.faceAttributes.empty())
        return "an array the mesh needs is missing";
    return nullptr;
}

}  // namespace

HRESULT KMesh::Load(const char* fileName) {
    loaded = built = 0;
    Clear();
    std::vector<uint8_t> bytes;
    if (!ReadModelFile(fileName, &bytes)) return E_FAIL;
    KFileCursor file(bytes.data(), bytes.size());
    if (const char* why = ReadMeshFile(file, *this)) {
        Clear();
        LogRefusedModelFile(fileName, why);
        return E_FAIL;
    }
    InstallSkeleton();
    loaded = 1;
    return BuildMesh(fileName);
}

void KMesh::InstallSkeleton() {
    if (!(flags & kMeshHasSkeleton)) return;
    boneCount = DWORD(bones.size());
    for (int b = 0; b < int(boneCount); ++b) {
        KMeshBone& bone = bones[size_t(b)];
        D3DXMatrixInverse(&bone.currentMatrix, nullptr, &bone.offsetMatrix);
        boneMap.emplace(bone.name, b);
    }
    for (int32_t& entry : dummyBones) entry = -1;
    dummyCount = DWORD(dummies.size());
    for (int d = 0; d < int(dummyCount); ++d) {
        const int bone = FindBoneIndex(dummies[size_t(d)].boneName);
        if (bone < 0) continue;
        dummyBones[d] = bone;
        UpdateDummy(d, bone);
        dummyMap.emplace(dummies[size_t(d)].name, d);
    }
}
