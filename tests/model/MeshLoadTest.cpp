// Reading mesh files: what a plain and a skinned file leave in the mesh,
// the dummy rule, several blocks, and the files that are refused whole.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "MeshFileWriter.h"
#include "ModelFixture.h"
#include "scene/KMesh.h"
#include "support/VirtualSlot.h"
#include "textures/TextureManager.h"

namespace model_test::mesh_load_test {
namespace {

using meshfile::Block;

constexpr const char* kMeshPath = "\\model\\grid.mesh";

D3DXMATRIX ToMatrix(const meshfile::Matrix& m) { return D3DXMATRIX(m.data()); }

void ExpectNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-4f) << r << "," << c;
}

class MeshLoadTest : public ModelTest {
protected:
    HRESULT LoadBlocks(std::vector<Block> blocks) {
        meshfile::File file;
        file.blocks = std::move(blocks);
        return LoadFile(meshfile::Write(file));
    }
    HRESULT LoadFile(const std::vector<uint8_t>& bytes) {
        WriteModuleFile(kMeshPath, bytes);
        mesh.SetDevice(device);
        return mesh.Load(kMeshPath);
    }

    KMesh mesh;
};

TEST_F(MeshLoadTest, PlainFileKeepsPositionsBoxAndQuadOrigin) {
    Block block = meshfile::GridBlock(2, 1, 2);
    for (size_t i = 0; i < block.positions.size(); i += 3) block.positions[i] -= 3.0f;  // x from -3 to -1
    ASSERT_EQ(LoadBlocks({block}), 0);

    EXPECT_TRUE(mesh.loaded);
    EXPECT_TRUE(mesh.built);
    EXPECT_EQ(mesh.subsetCount, 2u);
    EXPECT_EQ(mesh.vertexCount, 6u);
    EXPECT_EQ(mesh.faceCount, 4u);
    EXPECT_EQ(mesh.keptPositions, block.positions);
    EXPECT_EQ(mesh.boxMin, D3DXVECTOR3(-3, 0, 0));
    EXPECT_EQ(mesh.boxMax, D3DXVECTOR3(-1, 0, 1));
    EXPECT_EQ(mesh.shadowQuad.origin, D3DXVECTOR3(-2, 0, 0.5f));
    // The build frees what the file gave.
    EXPECT_TRUE(mesh.positions.empty() && mesh.normals.empty() && mesh.faces.empty() && mesh.colours.empty());
    EXPECT_EQ(mesh.flags & kMeshHasSkeleton, 0u);
    EXPECT_EQ(mesh.boneCount, 0u);
    EXPECT_EQ(mesh.FindBoneIndex("bone0"), -1);
    EXPECT_EQ(mesh.FindBoneIndex(""), -1);
    EXPECT_EQ(mesh.FindBoneIndex(nullptr), -1);
    EXPECT_TRUE(LogLinesNaming("").empty());
}

TEST_F(MeshLoadTest, ArraysAnywhereInTheFileAndOptionalOnesAbsent) {
    Block block = meshfile::GridBlock(1, 1);
    block.layout[meshfile::kColours].omit = true;
    block.layout[meshfile::kTexture2].omit = true;
    block.layout[meshfile::kNormals].gapBefore = 40;
    block.layout[meshfile::kAttributes].gapBefore = 4;
    ASSERT_EQ(LoadBlocks({block}), 0);
    EXPECT_EQ(mesh.keptPositions, block.positions);
}

TEST_F(MeshLoadTest, SkinnedFileSetsBindPoseMapsAndDummies) {
    Block block = meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 2);
    block.bones[1].offset = meshfile::Identity();
    block.bones[1].offset[0] = 0.5f;  // a bone scaled by 2 in x in its bind pose
    block.bones[1].offset[5] = 0.25f;
    block.bones[1].offset[12] = -1.0f;
    block.bones[1].nameList = {"a", "b"};
    block.dummies[1].boneName = "bone1";
    block.dummies[1].matrix = meshfile::Identity();
    block.dummies[1].matrix[12] = 2.0f;
    ASSERT_EQ(LoadBlocks({block}), 0);

    EXPECT_EQ(mesh.flags & kMeshHasSkeleton, kMeshHasSkeleton);
    ASSERT_EQ(mesh.boneCount, 3u);
    for (int b = 0; b < 3; ++b) {
        D3DXMATRIX inverse;
        ASSERT_NE(D3DXMatrixInverse(&inverse, nullptr, &mesh.bones[b].offsetMatrix), nullptr);
        EXPECT_EQ(mesh.bones[b].currentMatrix, inverse) << b;
        EXPECT_EQ(mesh.FindBoneIndex(("bone" + std::to_string(b)).c_str()), b);
    }
    EXPECT_EQ(mesh.bones[1].influenceCount, 3u);  // vertices 1, 4, 7 of nine
    EXPECT_EQ(mesh.bones[1].vertexIndices, (std::vector<DWORD>{1, 4, 7}));
    EXPECT_TRUE(mesh.keptPositions.empty());

    ASSERT_EQ(mesh.dummyCount, 2u);
    EXPECT_EQ(mesh.dummyMap.at("dummy0"), 0);
    EXPECT_EQ(mesh.dummyMap.at("dummy1"), 1);
    EXPECT_EQ(mesh.dummyBones[0], 0);
    EXPECT_EQ(mesh.dummyBones[1], 1);
    // Bone 1's bind pose is scale (2, 4, 1) then x + 2: its rows have the
    // lengths 2, 4 and 1, which the rule takes out, leaving the move.
    const D3DXMATRIX expected(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2 + 2, 0, 0, 1);
    ExpectNear(mesh.dummies[1].worldMatrix, expected);
    // Bone 0 sits at the origin: dummy 0 keeps its bind-pose matrix.
    ExpectNear(mesh.dummies[0].worldMatrix, ToMatrix(block.dummies[0].matrix));
}

TEST_F(MeshLoadTest, DummyOnUnknownBoneStaysOutOfTheMap) {
    Block block = meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 1, 2);
    block.dummies[1].boneName = "nobody";
    ASSERT_EQ(LoadBlocks({block}), 0);
    EXPECT_EQ(mesh.dummyCount, 2u);
    EXPECT_EQ(mesh.dummyMap.count("dummy1"), 0u);
    EXPECT_EQ(mesh.dummyMap.count("dummy0"), 1u);
    EXPECT_EQ(mesh.dummyBones[1], -1);
    EXPECT_EQ(mesh.dummies[1].worldMatrix, D3DXMATRIX());
}

// Of two bones or two dummies with one name the first is found; a dummy on
// that name hangs from the first bone.
TEST_F(MeshLoadTest, DuplicateBoneAndDummyNamesFindTheFirst) {
    Block block = meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 3);
    block.bones[2].name = "bone1";
    block.dummies[2].name = "dummy1";
    block.dummies[0].boneName = "bone1";
    ASSERT_EQ(LoadBlocks({block}), 0);
    ASSERT_EQ(mesh.boneCount, 3u);
    EXPECT_EQ(mesh.FindBoneIndex("bone1"), 1);
    EXPECT_EQ(mesh.FindBoneIndex("bone2"), -1);
    EXPECT_EQ(mesh.dummyMap.at("dummy1"), 1);
    EXPECT_EQ(mesh.dummyMap.count("dummy2"), 0u);
    EXPECT_EQ(mesh.dummyBones[0], 1);
}

TEST_F(MeshLoadTest, BoneCountZeroStillReadsDummies) {
    Block block = meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 0, 3);
    ASSERT_EQ(LoadBlocks({block}), 0);
    EXPECT_EQ(mesh.flags & kMeshHasSkeleton, kMeshHasSkeleton);
    EXPECT_EQ(mesh.boneCount, 0u);
    EXPECT_EQ(mesh.dummyCount, 3u);
    EXPECT_TRUE(mesh.dummyMap.empty());
    EXPECT_EQ(mesh.FindBoneIndex("none"), -1);
}

TEST_F(MeshLoadTest, NamesAreCutToTheirField) {
    Block block = meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 1, 1);
    const std::string full(30, 'b');
    block.bones[0].name = full;  // no terminator in the file
    block.dummies[0].boneName = full;
    ASSERT_EQ(LoadBlocks({block}), 0);
    EXPECT_EQ(std::string(mesh.bones[0].name), full.substr(0, 29));
    EXPECT_EQ(mesh.FindBoneIndex(full.substr(0, 29).c_str()), 0);
    EXPECT_EQ(mesh.dummyBones[0], 0);
}

// The last block stays; nothing of an earlier one is left behind.
TEST_F(MeshLoadTest, OfTwoBlocksTheLastStays) {
    const Block skinned = meshfile::SkinnedBlock(meshfile::GridBlock(3, 3), 4, 2);
    const Block plain = meshfile::GridBlock(1, 1);
    ASSERT_EQ(LoadBlocks({skinned, plain}), 0);
    EXPECT_EQ(mesh.vertexCount, 4u);
    EXPECT_EQ(mesh.flags & kMeshHasSkeleton, 0u);
    EXPECT_EQ(mesh.boneCount, 0u);
    EXPECT_TRUE(mesh.bones.empty() && mesh.dummies.empty() && mesh.boneMap.empty() && mesh.dummyMap.empty());
    EXPECT_EQ(mesh.keptPositions, plain.positions);

    KMesh other;
    other.SetDevice(device);
    meshfile::File file;
    file.blocks = {meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 3, 1), meshfile::SkinnedBlock(plain, 1, 0)};
    WriteModuleFile("\\model\\two.mesh", meshfile::Write(file));
    ASSERT_EQ(other.Load("\\model\\two.mesh"), 0);
    EXPECT_EQ(other.boneCount, 1u);
    EXPECT_EQ(other.FindBoneIndex("bone2"), -1);
    EXPECT_EQ(other.dummyCount, 0u);
    EXPECT_EQ(other.dummyBones[0], -1);
}

TEST_F(MeshLoadTest, LoadingAgainForgetsTheLastFile) {
    ASSERT_EQ(LoadBlocks({meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 2, 1)}), 0);
    ASSERT_EQ(LoadBlocks({meshfile::GridBlock(1, 1)}), 0);
    EXPECT_EQ(mesh.FindBoneIndex("bone0"), -1);
    EXPECT_TRUE(mesh.dummyMap.empty());
    EXPECT_EQ(mesh.flags & kMeshHasSkeleton, 0u);
}

using Refusal = FileRefusal<meshfile::File>;

meshfile::File GoodFile() {
    meshfile::File file;
    file.blocks = {meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 2, 2)};
    return file;
}

Block& Only(meshfile::File& f) { return f.blocks[0]; }

const Refusal kRefusals[] = {
    {"tag letters in reading order", [](meshfile::File& f) { f.tag = 0x4853454D; }},
    {"no blocks", [](meshfile::File& f) { f.blockCount = 0; }},
    {"more blocks than written", [](meshfile::File& f) { f.blockCount = 2; }},
    {"positions past the end", [](meshfile::File& f) { Only(f).layout[meshfile::kPositions].offset = 0xFFFFFF00; }},
    {"normals past the end", [](meshfile::File& f) { Only(f).layout[meshfile::kNormals].offset = 0x7FFFFFFF; }},
    {"colours past the end", [](meshfile::File& f) { Only(f).layout[meshfile::kColours].offset = 0xFFFFFFFF; }},
    {"texture set 2 past the end", [](meshfile::File& f) { Only(f).layout[meshfile::kTexture2].offset = 1u << 31; }},
    {"faces past the end", [](meshfile::File& f) { Only(f).layout[meshfile::kFaces].offset = 0xFFFFFFF0; }},
    {"attributes past the end", [](meshfile::File& f) { Only(f).layout[meshfile::kAttributes].offset = 0x10000000; }},
    {"vertex count past the arrays", [](meshfile::File& f) { Only(f).vertexCount = 60000; }},
    {"face count past the arrays", [](meshfile::File& f) { Only(f).faceCount = 0x55555556; }},
    {"more than 65536 vertices", [](meshfile::File& f) { Only(f).vertexCount = 65537; }},
    {"more than 65536 subsets", [](meshfile::File& f) { Only(f).subsetCount = 65537; }},
    {"face index at the vertex count", [](meshfile::File& f) { Only(f).faces[4] = 9; }},
    {"no positions", [](meshfile::File& f) { Only(f).layout[meshfile::kPositions].omit = true; }},
    {"no normals", [](meshfile::File& f) { Only(f).layout[meshfile::kNormals].omit = true; }},
    {"no texture set 0", [](meshfile::File& f) { Only(f).layout[meshfile::kTexture0].omit = true; }},
    {"no faces", [](meshfile::File& f) { Only(f).layout[meshfile::kFaces].omit = true; }},
    {"no attributes", [](meshfile::File& f) { Only(f).layout[meshfile::kAttributes].omit = true; }},
    {"bone count past the end", [](meshfile::File& f) { Only(f).boneCount = 0x01000000; }},
    {"bone name list past the end", [](meshfile::File& f) { Only(f).bones[1].nameListCount = 0x08000000; }},
    {"influences past the end", [](meshfile::File& f) { Only(f).bones[0].influenceCount = 0x20000000; }},
    {"influence on a missing vertex", [](meshfile::File& f) { Only(f).bones[1].vertices[0] = 9; }},
    {"more than 32 dummies", [](meshfile::File& f) { Only(f).dummies.resize(33), Only(f).dummies[32].boneName = "bone0"; }},
    {"dummy count past the end", [](meshfile::File& f) { Only(f).dummyCount = 3; }},
};

class MeshRefusalTest : public MeshLoadTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MeshRefusalTest, RefusedWholeWithOneLogLine) {
    meshfile::File file = GoodFile();
    GetParam().spoil(file);
    ASSERT_EQ(LoadFile(meshfile::Write(file)), E_FAIL);
    EXPECT_FALSE(mesh.loaded);
    EXPECT_FALSE(mesh.built);
    EXPECT_TRUE(mesh.bones.empty() && mesh.dummies.empty() && mesh.boneMap.empty() && mesh.dummyMap.empty());
    EXPECT_TRUE(mesh.positions.empty() && mesh.faces.empty() && mesh.keptPositions.empty());
    EXPECT_EQ(mesh.boneCount + mesh.dummyCount, 0u);
    EXPECT_EQ(mesh.flags, 0u);
    EXPECT_EQ(mesh.shadowQuad.texture, nullptr);
    EXPECT_EQ(LogLinesNaming(kMeshPath).size(), 1u);
    EXPECT_EQ(mesh.Render(nullptr, 1.0f, nullptr, 0), E_FAIL);
}

INSTANTIATE_TEST_SUITE_P(Files, MeshRefusalTest, ::testing::ValuesIn(kRefusals), CaseName<Refusal>);

TEST_F(MeshLoadTest, EveryCutOfTheFileIsRefused) {
    const std::vector<uint8_t> whole = meshfile::Write(GoodFile());
    // The final field is never read.
    for (size_t cut = 0; cut + 4 < whole.size(); ++cut) {
        KMesh cutMesh;
        cutMesh.SetDevice(device);
        WriteModuleFile(kMeshPath, std::vector<uint8_t>(whole.begin(), whole.begin() + cut));
        ASSERT_EQ(cutMesh.Load(kMeshPath), E_FAIL) << cut;
        ASSERT_TRUE(cutMesh.bones.empty() && !cutMesh.loaded) << cut;
    }
    EXPECT_EQ(LoadFile(whole), 0);
}

TEST_F(MeshLoadTest, MissingFileIsRefusedQuietly) {
    mesh.SetDevice(device);
    EXPECT_EQ(mesh.Load("\\model\\none.mesh"), E_FAIL);
    EXPECT_TRUE(LogLinesNaming("").empty());
}

TEST_F(MeshLoadTest, SecondBuildAndBuildBeforeLoadFail) {
    EXPECT_EQ(mesh.BuildMesh(kMeshPath), E_FAIL);
    ASSERT_EQ(LoadBlocks({meshfile::GridBlock(1, 1)}), 0);
    const D3DXVECTOR3 box = mesh.boxMax;
    EXPECT_EQ(mesh.BuildMesh(kMeshPath), E_FAIL);
    EXPECT_TRUE(mesh.built);
    EXPECT_EQ(mesh.boxMax, box);
}

TEST_F(MeshLoadTest, DeviceAndShadowNameSetters) {
    EXPECT_EQ(mesh.SetDevice(nullptr), 1);
    EXPECT_EQ(mesh.device, nullptr);
    EXPECT_EQ(mesh.SetDevice(device), 0);
    EXPECT_EQ(mesh.SetShadowTextureName(nullptr), E_FAIL);
    EXPECT_EQ(mesh.SetShadowTextureName("\\Portrait\\common\\Blob.png"), 0);
    EXPECT_EQ(mesh.shadowQuad.textureName, "\\Portrait\\common\\Blob.png");
    EXPECT_EQ(mesh.Stub3(), 0);
}

// The quad's texture: the common shadow at the first build; a rebuild gives
// the old one back and takes the quad's own name, or the common shadow when
// it has none.
TEST_F(MeshLoadTest, ShadowTextureOnEachBuild) {
    WriteModuleFile("\\portrait\\common\\shadow.png", FlatDds(0xFF000000));
    ASSERT_EQ(LoadBlocks({meshfile::GridBlock(1, 1)}), 0);
    ASSERT_NE(mesh.shadowQuad.texture, nullptr);
    EXPECT_STREQ(mesh.shadowQuad.texture->name, "\\portrait\\common\\shadow.png");
    EXPECT_EQ(mesh.shadowQuad.texture->refCount, 1);

    ASSERT_EQ(mesh.Load(kMeshPath), 0);  // the retry after a failed conversion
    ASSERT_NE(mesh.shadowQuad.texture, nullptr);
    EXPECT_STREQ(mesh.shadowQuad.texture->name, "\\portrait\\common\\shadow.png");
    EXPECT_EQ(mesh.shadowQuad.texture->refCount, 1);

    ASSERT_EQ(mesh.SetShadowTextureName("\\portrait\\common\\blob.png"), 0);
    ASSERT_EQ(mesh.Load(kMeshPath), 0);
    ASSERT_NE(mesh.shadowQuad.texture, nullptr);
    EXPECT_STREQ(mesh.shadowQuad.texture->name, "\\portrait\\common\\blob.png");
    EXPECT_EQ(g_pTextureManager->FindTexture("\\portrait\\common\\shadow.png"), nullptr);

    ASSERT_EQ(mesh.SetShadowTextureName(""), 0);
    ASSERT_EQ(mesh.Load(kMeshPath), 0);
    EXPECT_STREQ(mesh.shadowQuad.texture->name, "\\portrait\\common\\shadow.png");
    EXPECT_EQ(g_pTextureManager->FindTexture("\\portrait\\common\\blob.png"), nullptr);
}

TEST_F(MeshLoadTest, DestroyingTheMeshGivesTheShadowTextureBack) {
    {
        KMesh scoped;
        scoped.SetDevice(device);
        WriteModuleFile(kMeshPath, meshfile::Write(meshfile::File{meshfile::kMeshTag, {}, {meshfile::GridBlock(1, 1)}}));
        ASSERT_EQ(scoped.Load(kMeshPath), 0);
        ASSERT_NE(scoped.shadowQuad.texture, nullptr);
    }
    EXPECT_EQ(g_pTextureManager->FindTexture("\\portrait\\common\\shadow.png"), nullptr);
}

// The shape model overrides Render and Load by slot.
TEST(MeshSlots, OperationsInOrder) {
    using test_support::SlotOf;
    EXPECT_EQ(SlotOf(&KMesh::Render), 0);
    EXPECT_EQ(SlotOf(&KMesh::Load), 1);
    EXPECT_EQ(SlotOf(&KMesh::BuildMesh), 2);
    EXPECT_EQ(SlotOf(&KMesh::Stub3), 3);
}

}  // namespace
}  // namespace model_test::mesh_load_test
