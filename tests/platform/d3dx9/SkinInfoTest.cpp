// Skin information and its conversions into blended meshes: influences,
// bone combinations, the blended vertices checked by skinning them on the
// CPU, and the converted meshes drawn by the device's vertex blending.
#include <array>
#include <map>

#include "MeshTestKit.h"

using namespace lumiva::d3d9;

namespace {

constexpr DWORD kEmpty = 0xFFFFFFFF;
constexpr DWORD kSkinFvf = 0x252;  // XYZ | NORMAL | DIFFUSE | TEX2, as skinned model meshes are built

struct SkinVertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR color;
    float u0, v0, u1, v1;
};
static_assert(sizeof(SkinVertex) == 44);

using Weights = std::map<DWORD, float>;  // bone -> weight

// A palette matrix from where it sends x and y: x' = ax x + bx y + cx,
// y' = ay x + by y + cy, z kept. Quarter and half turns with whole moves
// keep every product exact.
D3DXMATRIX Planar(float ax, float bx, float cx, float ay, float by, float cy) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = ax;
    m._21 = bx;
    m._41 = cx;
    m._12 = ay;
    m._22 = by;
    m._42 = cy;
    return m;
}

// Each keeps the fixtures' points (x 8 to 40, y 8 to 24) inside 64 x 48.
const std::array<D3DXMATRIX, 5> kPalette = {
    Planar(1, 0, 8, 0, 1, 8),      // a move
    Planar(0, 1, 16, -1, 0, 48),   // a quarter turn
    Planar(-1, 0, 56, 0, -1, 40),  // a half turn
    Planar(0, -1, 48, 1, 0, -4),   // the other quarter turn
    Planar(1, 0, 16, 0, 1, 16),    // another move
};

using Point = std::array<float, 3>;

Point PositionOf(const SkinVertex& v) { return {v.x, v.y, v.z}; }

D3DXVECTOR3 Transformed(const Point& p, const D3DXMATRIX& m) {
    return D3DXVECTOR3(p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41,
                       p[0] * m._12 + p[1] * m._22 + p[2] * m._32 + m._42,
                       p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43);
}

D3DXVECTOR3 Skinned(const Point& p, const std::vector<std::pair<DWORD, float>>& influences) {
    D3DXVECTOR3 sum(0, 0, 0);
    for (auto [bone, weight] : influences) {
        if (bone >= kPalette.size()) {
            ADD_FAILURE() << "bone " << bone;
            continue;
        }
        const D3DXVECTOR3 moved = Transformed(p, kPalette[bone]);
        sum.x += weight * moved.x;
        sum.y += weight * moved.y;
        sum.z += weight * moved.z;
    }
    return sum;
}

// Two rows of five vertices (y 8 and 24, x 8 to 40), four quads of two
// triangles between them, with distinct colours and coordinates.
struct Fixture {
    std::vector<SkinVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<DWORD> attributes;
    std::vector<Weights> weights;  // per vertex
    DWORD bones = 0;
};

Fixture Strip(std::vector<Weights> weights, std::vector<DWORD> quadAttributes, DWORD bones) {
    Fixture f;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 5; ++column) {
            const float x = 8.0f + 8.0f * column, y = row ? 24.0f : 8.0f;
            const auto n = uint8_t(row * 5 + column);
            f.vertices.push_back(SkinVertex{x, y, 0.5f, 0, 0, -1, 0xFF000000u | (0x30u + n * 20) << 16 | (0xF0u - n * 20) << 8 | 0x80u,
                                            float(column), float(row), float(n), 1.0f});
        }
    for (uint32_t q = 0; q < 4; ++q) {
        for (uint32_t corner : {q, q + 1, q + 6, q, q + 6, q + 5}) f.indices.push_back(corner);
        f.attributes.push_back(quadAttributes[q]);
        f.attributes.push_back(quadAttributes[q]);
    }
    f.weights = std::move(weights);
    f.bones = bones;
    return f;
}

// Up to four influences per vertex, weights powers of two; quads 0 and 2
// have attribute 1, quads 1 and 3 attribute 0.
Fixture FourBones() {
    return Strip({{{0, 1.0f}},
                  {{0, 0.5f}, {1, 0.5f}},
                  {{1, 0.5f}, {2, 0.25f}, {3, 0.25f}},
                  {{0, 0.5f}, {1, 0.25f}, {2, 0.125f}, {3, 0.125f}},
                  {{3, 1.0f}},
                  {{0, 0.75f}, {1, 0.25f}},
                  {{1, 1.0f}},
                  {{2, 0.5f}, {3, 0.5f}},
                  {{0, 0.25f}, {1, 0.25f}, {2, 0.25f}, {3, 0.25f}},
                  {{2, 1.0f}}},
                 {1, 0, 1, 0}, 4);
}

// Column c follows bone c alone: each quad needs two bones, the strip five.
Fixture Chain() {
    std::vector<Weights> weights;
    for (DWORD row = 0; row < 2; ++row)
        for (DWORD column = 0; column < 5; ++column) weights.push_back({{column, 1.0f}});
    return Strip(weights, {0, 0, 0, 0}, 5);
}

struct Converted {
    Held<ID3DXMesh> mesh;
    Held<ID3DXBuffer> table;
    Held<ID3DXBuffer> vertexRemap;
    std::vector<DWORD> faceRemap;
    DWORD blendCount = 0;
    DWORD combinations = 0;
    DWORD slots = 0;  // BoneId entries of each combination

    const D3DXBONECOMBINATION& Combination(DWORD c) const {
        return static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer())[c];
    }
    DWORD SourceOf(DWORD vertex) const { return static_cast<const DWORD*>(vertexRemap->GetBufferPointer())[vertex]; }
    DWORD CombinationOf(DWORD vertex) const {
        for (DWORD c = 0; c < combinations; ++c)
            if (vertex >= Combination(c).VertexStart && vertex < Combination(c).VertexStart + Combination(c).VertexCount)
                return c;
        ADD_FAILURE() << "vertex " << vertex << " is in no combination";
        return 0;
    }
};

class SkinInfoTest : public MeshDeviceTest {
protected:
    void TearDown() override {
        m_skin.reset();
        m_source.reset();
        MeshDeviceTest::TearDown();
    }

    void Load(const Fixture& fixture) {
        m_fixture = fixture;
        m_source = MakeMesh(m_device, kSkinFvf, fixture.vertices, fixture.indices, fixture.attributes);
        ID3DXSkinInfo* skin = nullptr;
        ASSERT_EQ(D3DXCreateSkinInfoFVF(DWORD(fixture.vertices.size()), kSkinFvf, fixture.bones, &skin), D3D_OK);
        m_skin.reset(skin);
        for (DWORD b = 0; b < fixture.bones; ++b) {
            std::vector<DWORD> vertices;
            std::vector<float> weights;
            for (DWORD v = 0; v < fixture.weights.size(); ++v) {
                const auto found = fixture.weights[v].find(b);
                if (found == fixture.weights[v].end()) continue;
                vertices.push_back(v);
                weights.push_back(found->second);
            }
            ASSERT_EQ(m_skin->SetBoneInfluence(b, DWORD(vertices.size()), vertices.data(), weights.data()), D3D_OK);
        }
    }

    Converted Convert(bool indexed, DWORD paletteSize = 0, DWORD options = D3DXMESH_MANAGED) {
        Converted out;
        out.faceRemap.resize(m_source->GetNumFaces());
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* table = nullptr;
        ID3DXBuffer* remap = nullptr;
        const HRESULT hr =
            indexed ? m_skin->ConvertToIndexedBlendedMesh(m_source.get(), options, paletteSize, nullptr, nullptr,
                                                          out.faceRemap.data(), &remap, &out.blendCount,
                                                          &out.combinations, &table, &mesh)
                    : m_skin->ConvertToBlendedMesh(m_source.get(), options, nullptr, nullptr, out.faceRemap.data(),
                                                   &remap, &out.blendCount, &out.combinations, &table, &mesh);
        EXPECT_EQ(hr, D3D_OK);
        out.mesh.reset(mesh);
        out.table.reset(table);
        out.vertexRemap.reset(remap);
        out.slots = indexed ? paletteSize : out.blendCount;
        return out;
    }

    std::vector<std::pair<DWORD, float>> SourceInfluences(DWORD vertex) const {
        std::vector<std::pair<DWORD, float>> out(m_fixture.weights[vertex].begin(), m_fixture.weights[vertex].end());
        return out;
    }

    // Bone and weight of each blend slot of a converted vertex, the implied
    // last weight included, read as the device reads them.
    static std::vector<std::pair<DWORD, float>> Decode(const Converted& c, bool indexed, DWORD vertex) {
        const UINT stride = c.mesh->GetNumBytesPerVertex();
        std::vector<uint8_t> bytes(stride);
        void* data = nullptr;
        c.mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
        std::memcpy(bytes.data(), static_cast<uint8_t*>(data) + size_t(vertex) * stride, stride);
        c.mesh->UnlockVertexBuffer();
        const D3DXBONECOMBINATION& combination = c.Combination(c.CombinationOf(vertex));
        const DWORD explicitWeights = c.blendCount - 1;
        float weights[4] = {};
        std::memcpy(weights, bytes.data() + 12, explicitWeights * 4);
        std::vector<std::pair<DWORD, float>> out;
        float left = 1.0f;
        if (indexed) {
            const uint8_t* slots = bytes.data() + 12 + explicitWeights * 4;
            for (DWORD i = 0; i < c.blendCount; ++i) {
                const float w = i < explicitWeights ? weights[i] : left;
                left -= w;
                if (w != 0.0f) out.emplace_back(combination.BoneId[slots[i]], w);
            }
            return out;
        }
        DWORD used = 0;
        while (used < c.blendCount && combination.BoneId[used] != kEmpty) ++used;
        for (DWORD k = 0; k < used; ++k) {
            const float w = k + 1 < used ? weights[k] : left;
            left -= w;
            if (w != 0.0f) out.emplace_back(combination.BoneId[k], w);
        }
        return out;
    }

    // Every converted vertex skins to where its source vertex skins, keeps
    // the source's other elements, and every face keeps its corners.
    void ExpectSameSkinning(const Converted& c, bool indexed) {
        const UINT stride = c.mesh->GetNumBytesPerVertex();
        std::vector<uint8_t> all(size_t(c.mesh->GetNumVertices()) * stride);
        void* data = nullptr;
        c.mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
        std::memcpy(all.data(), data, all.size());
        c.mesh->UnlockVertexBuffer();
        for (DWORD v = 0; v < c.mesh->GetNumVertices(); ++v) {
            SCOPED_TRACE(testing::Message() << "vertex " << v);
            const DWORD source = c.SourceOf(v);
            const SkinVertex& original = m_fixture.vertices[source];
            Point position;
            std::memcpy(position.data(), all.data() + size_t(v) * stride, sizeof position);
            const D3DXVECTOR3 got = Skinned(position, Decode(c, indexed, v));
            const D3DXVECTOR3 want = Skinned(PositionOf(original), SourceInfluences(source));
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.y, want.y);
            EXPECT_EQ(got.z, want.z);
            EXPECT_EQ(std::memcmp(all.data() + size_t(v) * stride + stride - 32, &original.nx, 32), 0);
        }
        const std::vector<uint32_t> indices = ReadIndices(c.mesh.get());
        for (DWORD f = 0; f < c.mesh->GetNumFaces(); ++f)
            for (DWORD k = 0; k < 3; ++k)
                EXPECT_EQ(c.SourceOf(indices[f * 3 + k]), m_fixture.indices[c.faceRemap[f] * 3 + k]) << f;
    }

    static std::vector<DWORD> BoneIds(const Converted& c, DWORD combination, DWORD slots) {
        const DWORD* ids = c.Combination(combination).BoneId;
        return std::vector<DWORD>(ids, ids + slots);
    }

    Fixture m_fixture;
    Held<ID3DXMesh> m_source;
    Held<ID3DXSkinInfo> m_skin;
};

// --- Influences ---

TEST_F(SkinInfoTest, InfluencesAreCheckedBeforeTheyAreKept) {
    ID3DXSkinInfo* raw = nullptr;
    ASSERT_EQ(D3DXCreateSkinInfoFVF(4, kSkinFvf, 2, &raw), D3D_OK);
    Held<ID3DXSkinInfo> skin(raw);
    const DWORD kept[2] = {0, 3};
    const float keptWeights[2] = {0.25f, 0.75f};
    ASSERT_EQ(skin->SetBoneInfluence(1, 2, kept, keptWeights), D3D_OK);
    struct Case {
        const char* name;
        DWORD bone;
        DWORD vertex;
        float weight;
    } const cases[] = {
        {"bone past the count", 2, 0, 1.0f},
        {"vertex at the count", 1, 4, 1.0f},
        {"vertex far past the count", 1, 0x10000, 1.0f},
        {"not a number", 1, 0, std::numeric_limits<float>::quiet_NaN()},
        {"infinite", 1, 0, std::numeric_limits<float>::infinity()},
        {"minus infinite", 1, 0, -std::numeric_limits<float>::infinity()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DWORD vertices[2] = {1, c.vertex};
        const float weights[2] = {0.5f, c.weight};
        EXPECT_EQ(skin->SetBoneInfluence(c.bone, 2, vertices, weights), D3DERR_INVALIDCALL);
    }
    EXPECT_EQ(skin->SetBoneInfluence(1, 1, nullptr, keptWeights), D3DERR_INVALIDCALL);
    EXPECT_EQ(skin->SetBoneVertexInfluence(1, 0, std::numeric_limits<float>::infinity()), D3DERR_INVALIDCALL);
    // What was set stays.
    ASSERT_EQ(skin->GetNumBoneInfluences(1), 2u);
    DWORD vertices[2] = {};
    float weights[2] = {};
    ASSERT_EQ(skin->GetBoneInfluence(1, vertices, weights), D3D_OK);
    EXPECT_EQ(vertices[1], 3u);
    EXPECT_EQ(weights[1], 0.75f);
    DWORD index = 0;
    EXPECT_EQ(skin->FindBoneVertexInfluenceIndex(1, 3, &index), D3D_OK);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(skin->FindBoneVertexInfluenceIndex(1, 2, &index), D3DERR_NOTFOUND);
    EXPECT_EQ(skin->SetBoneInfluence(0, 0, nullptr, nullptr), D3D_OK);  // no influences at all is fine
}

TEST_F(SkinInfoTest, NamesAndOffsetsAreCopies) {
    ID3DXSkinInfo* raw = nullptr;
    ASSERT_EQ(D3DXCreateSkinInfoFVF(4, kSkinFvf, 2, &raw), D3D_OK);
    Held<ID3DXSkinInfo> skin(raw);
    char name[] = "Bip01 Spine";
    ASSERT_EQ(skin->SetBoneName(1, name), D3D_OK);
    name[0] = 'X';
    EXPECT_STREQ(skin->GetBoneName(1), "Bip01 Spine");
    EXPECT_EQ(skin->GetBoneName(0), nullptr);
    EXPECT_EQ(skin->GetBoneName(2), nullptr);
    EXPECT_EQ(skin->SetBoneName(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_TRUE(D3DXMatrixIsIdentity(skin->GetBoneOffsetMatrix(0)));
    ASSERT_EQ(skin->SetBoneOffsetMatrix(1, &kPalette[1]), D3D_OK);
    EXPECT_EQ(std::memcmp(skin->GetBoneOffsetMatrix(1), &kPalette[1], sizeof(D3DXMATRIX)), 0);
    EXPECT_EQ(skin->GetBoneOffsetMatrix(2), nullptr);
    EXPECT_EQ(skin->GetNumBones(), 2u);
    EXPECT_EQ(skin->GetFVF(), kSkinFvf);
    EXPECT_EQ(D3DXCreateSkinInfoFVF(4, D3DFVF_XYZB5, 2, &raw), D3DERR_INVALIDCALL);
}

TEST_F(SkinInfoTest, MostInfluencesPerVertexAndPerFace) {
    Load(FourBones());
    DWORD most = 0;
    ASSERT_EQ(m_skin->GetMaxVertexInfluences(&most), D3D_OK);
    EXPECT_EQ(most, 4u);
    IDirect3DIndexBuffer9* ib = nullptr;
    m_source->GetIndexBuffer(&ib);
    Held<IDirect3DIndexBuffer9> indices(ib);
    ASSERT_EQ(m_skin->GetMaxFaceInfluences(ib, 2, &most), D3D_OK);  // quad 0: bones 0 and 1
    EXPECT_EQ(most, 2u);
    ASSERT_EQ(m_skin->GetMaxFaceInfluences(ib, 8, &most), D3D_OK);
    EXPECT_EQ(most, 4u);
    EXPECT_EQ(m_skin->GetMaxFaceInfluences(ib, 9, &most), D3DERR_INVALIDCALL);  // past the buffer
}

// --- Conversions ---

TEST_F(SkinInfoTest, IndexedConversionOfFourBones) {
    Load(FourBones());
    const Converted c = Convert(true, 30);
    ASSERT_TRUE(c.mesh);
    EXPECT_EQ(c.blendCount, 4u);
    EXPECT_EQ(c.mesh->GetFVF(), DWORD(D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_DIFFUSE |
                                      D3DFVF_TEX2));
    ASSERT_EQ(c.combinations, 2u);
    // Attribute 0 first (quads 1 and 3), then attribute 1 (quads 0 and 2);
    // each has every bone, in the order its faces name them.
    const D3DXATTRIBUTERANGE ranges[2] = {{0, 0, 4, 0, 8}, {1, 4, 4, 8, 8}};
    for (DWORD i = 0; i < 2; ++i) {
        const D3DXBONECOMBINATION& got = c.Combination(i);
        EXPECT_EQ((D3DXATTRIBUTERANGE{got.AttribId, got.FaceStart, got.FaceCount, got.VertexStart, got.VertexCount}),
                  ranges[i]);
    }
    std::vector<DWORD> palette(30, kEmpty);
    palette[0] = 0, palette[1] = 1, palette[2] = 2, palette[3] = 3;
    EXPECT_EQ(BoneIds(c, 0, 30), palette);
    EXPECT_EQ(BoneIds(c, 1, 30), palette);
    EXPECT_EQ(c.faceRemap, (std::vector<DWORD>{2, 3, 6, 7, 0, 1, 4, 5}));
    EXPECT_EQ(ReadAttributes(c.mesh.get()), (std::vector<DWORD>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(ReadTable(c.mesh.get()), (std::vector<D3DXATTRIBUTERANGE>{{0, 0, 4, 0, 8}, {1, 4, 4, 8, 8}}));
    ExpectSameSkinning(c, true);
}

TEST_F(SkinInfoTest, BlendedConversionOfFourBones) {
    Load(FourBones());
    const Converted c = Convert(false);
    ASSERT_TRUE(c.mesh);
    EXPECT_EQ(c.blendCount, 4u);  // the most bones a face needs
    EXPECT_EQ(c.mesh->GetFVF(), DWORD(D3DFVF_XYZB3 | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2));
    ASSERT_EQ(c.combinations, 2u);
    EXPECT_EQ(BoneIds(c, 0, 4), (std::vector<DWORD>{0, 1, 2, 3}));
    EXPECT_EQ(BoneIds(c, 1, 4), (std::vector<DWORD>{0, 1, 2, 3}));
    EXPECT_EQ(ReadAttributes(c.mesh.get()), (std::vector<DWORD>{0, 0, 0, 0, 1, 1, 1, 1}));
    ExpectSameSkinning(c, false);
}

TEST_F(SkinInfoTest, APaletteSmallerThanTheBonesSplitsCombinations) {
    Load(Chain());
    struct Case {
        DWORD palette;
        std::vector<std::vector<DWORD>> bones;
    } const cases[] = {
        {2, {{0, 1}, {1, 2}, {2, 3}, {3, 4}}},
        {3, {{0, 1, 2}, {2, 3, 4}}},
        {5, {{0, 1, 2, 3, 4}}},
    };
    for (const Case& expected : cases) {
        SCOPED_TRACE(expected.palette);
        const Converted c = Convert(true, expected.palette);
        ASSERT_TRUE(c.mesh);
        EXPECT_EQ(c.blendCount, 1u);
        EXPECT_EQ(c.mesh->GetFVF(), DWORD(D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_DIFFUSE |
                                          D3DFVF_TEX2));
        ASSERT_EQ(c.combinations, expected.bones.size());
        for (DWORD i = 0; i < c.combinations; ++i) {
            std::vector<DWORD> ids = expected.bones[i];
            ids.resize(expected.palette, kEmpty);
            EXPECT_EQ(BoneIds(c, i, expected.palette), ids);
            EXPECT_EQ(c.Combination(i).AttribId, 0u);
        }
        // A column shared by two combinations is copied into both.
        EXPECT_EQ(c.mesh->GetNumVertices(), 10u + 2 * (c.combinations - 1));
        ExpectSameSkinning(c, true);
    }
    const Converted blended = Convert(false);
    EXPECT_EQ(blended.blendCount, 2u);
    EXPECT_EQ(blended.combinations, 4u);
    EXPECT_EQ(BoneIds(blended, 3, 2), (std::vector<DWORD>{3, 4}));
    ExpectSameSkinning(blended, false);
}

// Past four influences a vertex keeps the four largest, scaled back to one.
TEST_F(SkinInfoTest, AVertexKeepsItsFourLargestInfluences) {
    Fixture f = Chain();
    f.weights[7] = {{0, 0.05f}, {1, 0.4f}, {2, 0.3f}, {3, 0.15f}, {4, 0.1f}};
    Load(f);
    const Converted c = Convert(true, 30);
    EXPECT_EQ(c.blendCount, 4u);
    for (DWORD v = 0; v < c.mesh->GetNumVertices(); ++v) {
        if (c.SourceOf(v) != 7) continue;
        const auto slots = Decode(c, true, v);
        ASSERT_EQ(slots.size(), 4u);
        const std::pair<DWORD, float> want[4] = {{1, 0.4f / 0.95f}, {2, 0.3f / 0.95f}, {3, 0.15f / 0.95f},
                                                 {4, 0.1f / 0.95f}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(slots[i].first, want[i].first);
            EXPECT_NEAR(slots[i].second, want[i].second, 1e-6);
        }
    }
}

// Past four bones a blended face keeps the four with the largest weight
// over its corners; a corner that loses a bone is scaled back to one.
TEST_F(SkinInfoTest, ABlendedFaceKeepsItsFourHeaviestBones) {
    Fixture f = Strip({{{0, 0.5f}, {1, 0.5f}},
                       {{2, 0.5f}, {3, 0.5f}},
                       {{4, 1.0f}},
                       {{4, 1.0f}},
                       {{4, 1.0f}},
                       {{0, 1.0f}},
                       {{4, 1.0f}},
                       {{4, 1.0f}},
                       {{4, 1.0f}},
                       {{4, 1.0f}}},
                      {0, 0, 0, 0}, 5);
    Load(f);
    IDirect3DIndexBuffer9* ib = nullptr;
    m_source->GetIndexBuffer(&ib);
    Held<IDirect3DIndexBuffer9> indices(ib);
    DWORD most = 0;
    ASSERT_EQ(m_skin->GetMaxFaceInfluences(ib, 1, &most), D3D_OK);
    EXPECT_EQ(most, 5u);  // face 0: vertices 0, 1, 6
    const Converted c = Convert(false);
    EXPECT_EQ(c.blendCount, 4u);
    // Bone 4 weighs 1 over the face, bones 0 to 3 half each: bone 3, the
    // highest of the ties, goes, and vertex 1 is left with bone 2 alone.
    EXPECT_EQ(BoneIds(c, 0, 4), (std::vector<DWORD>{0, 1, 2, 4}));
    bool seen = false;
    for (DWORD v = 0; v < c.mesh->GetNumVertices(); ++v) {
        if (c.SourceOf(v) != 1 || c.CombinationOf(v) != 0) continue;
        seen = true;
        EXPECT_EQ(Decode(c, false, v), (std::vector<std::pair<DWORD, float>>{{2, 1.0f}}));
    }
    EXPECT_TRUE(seen);
}

TEST_F(SkinInfoTest, ConversionsKeepTheCreationOptionsAndCloneForSoftware) {
    Load(FourBones());
    const Converted c = Convert(true, 30, 0x4000220);  // managed, vertex-cache optimised
    EXPECT_EQ(c.mesh->GetOptions(), DWORD(D3DXMESH_MANAGED));
    ID3DXMesh* raw = nullptr;
    ASSERT_EQ(c.mesh->CloneMeshFVF(c.mesh->GetOptions() | D3DXMESH_SOFTWAREPROCESSING, c.mesh->GetFVF(), m_device,
                                   &raw),
              D3D_OK);
    Held<ID3DXMesh> software(raw);
    EXPECT_EQ(software->GetOptions(), DWORD(D3DXMESH_MANAGED | D3DXMESH_SOFTWAREPROCESSING));
    EXPECT_EQ(ReadTable(software.get()), ReadTable(c.mesh.get()));
    IDirect3DVertexBuffer9* vb = nullptr;
    software->GetVertexBuffer(&vb);
    D3DVERTEXBUFFER_DESC desc{};
    vb->GetDesc(&desc);
    vb->Release();
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_SOFTWAREPROCESSING));
}

TEST_F(SkinInfoTest, AdjacencyFollowsTheFacesIntoTheResult) {
    Load(FourBones());
    std::vector<DWORD> in(24), out(24, 0xDEAD);
    ASSERT_EQ(m_source->GenerateAdjacency(0.0f, in.data()), D3D_OK);
    ID3DXMesh* raw = nullptr;
    DWORD blend = 0, count = 0;
    ID3DXBuffer* table = nullptr;
    ASSERT_EQ(m_skin->ConvertToIndexedBlendedMesh(m_source.get(), D3DXMESH_MANAGED, 30, in.data(), out.data(), nullptr,
                                                  nullptr, &blend, &count, &table, &raw),
              D3D_OK);
    Held<ID3DXMesh> mesh(raw);
    Held<ID3DXBuffer> held(table);
    std::vector<DWORD> own(24);
    ASSERT_EQ(mesh->GenerateAdjacency(0.0f, own.data()), D3D_OK);  // copies sit where their sources did
    EXPECT_EQ(out, own);
}

TEST_F(SkinInfoTest, ConversionsRefuseMismatchedOrDamagedMeshes) {
    Fixture damaged = FourBones();
    damaged.indices[5] = 10;  // past the ten vertices
    Load(damaged);
    ID3DXMesh* raw = nullptr;
    DWORD blend = 0, count = 0;
    EXPECT_EQ(m_skin->ConvertToIndexedBlendedMesh(m_source.get(), D3DXMESH_MANAGED, 30, nullptr, nullptr, nullptr,
                                                  nullptr, &blend, &count, nullptr, &raw),
              D3DXERR_INVALIDMESH);
    EXPECT_EQ(m_skin->ConvertToBlendedMesh(m_source.get(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, &blend,
                                           &count, nullptr, &raw),
              D3DXERR_INVALIDMESH);
    EXPECT_EQ(raw, nullptr);

    Load(FourBones());
    EXPECT_EQ(m_skin->ConvertToIndexedBlendedMesh(m_source.get(), D3DXMESH_MANAGED, 0, nullptr, nullptr, nullptr,
                                                  nullptr, &blend, &count, nullptr, &raw),
              D3DERR_INVALIDCALL);  // no palette
    std::vector<DWORD> adjacency(24, 0);
    adjacency[3] = 8;  // no face 8
    EXPECT_EQ(m_skin->ConvertToBlendedMesh(m_source.get(), D3DXMESH_MANAGED, adjacency.data(), nullptr, nullptr,
                                           nullptr, &blend, &count, nullptr, &raw),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(m_skin->ConvertToBlendedMesh(m_source.get(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, &blend,
                                           &count, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    ID3DXSkinInfo* other = nullptr;
    ASSERT_EQ(D3DXCreateSkinInfoFVF(9, kSkinFvf, 4, &other), D3D_OK);  // one vertex short
    Held<ID3DXSkinInfo> held(other);
    EXPECT_EQ(other->ConvertToBlendedMesh(m_source.get(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, &blend,
                                          &count, nullptr, &raw),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(raw, nullptr);
}

// --- Drawn by the device's vertex blending ---

class SkinDrawTest : public SkinInfoTest {
protected:
    void SetUp() override {
        SkinInfoTest::SetUp();
        D3DXMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, 64.0f, 48.0f, 0.0f, 0.0f, 1.0f);
        m_device->SetTransform(D3DTS_VIEW, &identity);
        m_device->SetTransform(D3DTS_PROJECTION, &projection);
    }

    // The source skinned on the CPU, drawn face by face in the converted
    // mesh's face order so overlaps resolve alike.
    lumiva::d3d9::Image DrawCpuSkinned(const Converted& c) {
        struct Plain {
            float x, y, z;
            D3DCOLOR color;
        };
        std::vector<Plain> triangles;
        for (DWORD f : c.faceRemap)
            for (DWORD k = 0; k < 3; ++k) {
                const DWORD v = m_fixture.indices[f * 3 + k];
                const D3DXVECTOR3 p = Skinned(PositionOf(m_fixture.vertices[v]), SourceInfluences(v));
                triangles.push_back(Plain{p.x, p.y, p.z, m_fixture.vertices[v].color});
            }
        BeginFrame();
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        m_device->SetTransform(D3DTS_WORLD, &identity);
        m_device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(c.faceRemap.size()), triangles.data(),
                                            sizeof(Plain)),
                  D3D_OK);
        return EndFrame();
    }

    lumiva::d3d9::Image DrawIndexed(const Converted& c) {
        BeginFrame();
        m_device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
        m_device->SetRenderState(D3DRS_VERTEXBLEND, c.blendCount == 1 ? DWORD(D3DVBF_0WEIGHTS) : c.blendCount - 1);
        for (DWORD i = 0; i < c.combinations; ++i) {
            for (DWORD slot = 0; slot < c.slots; ++slot) {
                const DWORD bone = c.Combination(i).BoneId[slot];
                if (bone != kEmpty) m_device->SetTransform(D3DTS_WORLDMATRIX(slot), &kPalette[bone]);
            }
            EXPECT_EQ(c.mesh->DrawSubset(i), D3D_OK);
        }
        m_device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
        m_device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
        return EndFrame();
    }

    lumiva::d3d9::Image DrawBlended(const Converted& c) {
        BeginFrame();
        for (DWORD i = 0; i < c.combinations; ++i) {
            DWORD last = 0;
            for (DWORD slot = 0; slot < c.blendCount; ++slot) {
                const DWORD bone = c.Combination(i).BoneId[slot];
                if (bone == kEmpty) continue;
                last = slot;
                m_device->SetTransform(D3DTS_WORLDMATRIX(slot), &kPalette[bone]);
            }
            m_device->SetRenderState(D3DRS_VERTEXBLEND, last);
            EXPECT_EQ(c.mesh->DrawSubset(i), D3D_OK);
        }
        m_device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
        return EndFrame();
    }

    static int Lit(const lumiva::d3d9::Image& image) {
        int count = 0;
        for (D3DCOLOR pixel : image.pixels) count += (pixel & 0xFFFFFF) != 0;
        return count;
    }
};

TEST_F(SkinDrawTest, IndexedAndBlendedDrawsMatchTheCpuSkinnedMesh) {
    struct Case {
        const char* name;
        Fixture fixture;
        DWORD palette;  // room for the bones of any face: nothing is dropped
    };
    for (const Case& c : {Case{"four bones", FourBones(), 4}, Case{"chain", Chain(), 3}}) {
        SCOPED_TRACE(c.name);
        Load(c.fixture);
        const Converted indexed = Convert(true, c.palette);
        const lumiva::d3d9::Image reference = DrawCpuSkinned(indexed);
        EXPECT_GT(Lit(reference), 200);
        EXPECT_EQ(DrawIndexed(indexed).pixels, reference.pixels);
        const Converted blended = Convert(false);
        const lumiva::d3d9::Image blendedReference = DrawCpuSkinned(blended);
        EXPECT_EQ(DrawBlended(blended).pixels, blendedReference.pixels);
    }
}

}  // namespace
