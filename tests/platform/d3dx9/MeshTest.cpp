// D3DX meshes: vertex formats as declarations, creation and its buffers,
// subsets drawn by attribute, adjacency, optimising and cloning.
#include "MeshTestKit.h"

using namespace lumiva::d3d9;

namespace mesh_test {
namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

uint64_t PointerArg(const void* object) { return reinterpret_cast<uintptr_t>(object); }

struct Point3 {  // D3DFVF_XYZ
    float x, y, z;
};

// --- Vertex formats ---

struct FvfCase {
    const char* name;
    DWORD fvf;
    UINT size;
    std::vector<D3DVERTEXELEMENT9> elements;
};

TEST(D3dxVertexFormat, DeclaratorListsElementsInVertexOrder) {
    const FvfCase cases[] = {
        {"mesh file layout", 0x252, 44,
         {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
          {0, 24, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
          {0, 28, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
          {0, 36, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 1}}},
        {"indexed blend, four weights", D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, 48,
         {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_BLENDWEIGHT, 0},
          {0, 24, D3DDECLTYPE_UBYTE4, 0, D3DDECLUSAGE_BLENDINDICES, 0},
          {0, 28, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
          {0, 40, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0}}},
        {"indices only, as a colour", D3DFVF_XYZB1 | D3DFVF_LASTBETA_D3DCOLOR, 16,
         {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_BLENDINDICES, 0}}},
        {"two plain weights", D3DFVF_XYZB2, 20,
         {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_BLENDWEIGHT, 0}}},
        {"screen space, three coordinates",
         D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), 36,
         {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
          {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
          {0, 20, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 1},
          {0, 24, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TEXCOORD, 0}}},
        {"homogeneous with point size", D3DFVF_XYZW | D3DFVF_PSIZE, 20,
         {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
          {0, 16, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_PSIZE, 0}}},
    };
    for (const FvfCase& c : cases) {
        SCOPED_TRACE(c.name);
        D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
        ASSERT_EQ(D3DXDeclaratorFromFVF(c.fvf, declaration), D3D_OK);
        for (size_t i = 0; i < c.elements.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(std::memcmp(&declaration[i], &c.elements[i], sizeof(D3DVERTEXELEMENT9)), 0);
        }
        EXPECT_EQ(declaration[c.elements.size()].Stream, 0xFF);  // the end marker
        EXPECT_EQ(declaration[c.elements.size()].Type, D3DDECLTYPE_UNUSED);
        EXPECT_EQ(D3DXGetFVFVertexSize(c.fvf), c.size);
    }
}

TEST(D3dxVertexFormat, RefusesCodesNoDeclarationDescribes) {
    const DWORD refused[] = {
        D3DFVF_XYZB5,                                                   // five weights
        D3DFVF_XYZ | D3DFVF_LASTBETA_UBYTE4,                            // index beta without betas
        D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR,
        D3DFVF_XYZ | (9 << D3DFVF_TEXCOUNT_SHIFT),                      // nine coordinate sets
        D3DFVF_XYZ | 0x2000,                                            // reserved
        D3DFVF_XYZ | D3DFVF_RESERVED0,
        D3DFVF_XYZRHW | 0x4000,                                         // no such position
    };
    for (DWORD fvf : refused) {
        SCOPED_TRACE(fvf);
        D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
        EXPECT_EQ(D3DXDeclaratorFromFVF(fvf, declaration), D3DERR_INVALIDCALL);
        EXPECT_EQ(D3DXGetFVFVertexSize(fvf), 0u);
    }
}

// --- Creation and buffers ---

class MeshTest : public MeshDeviceTest {};

struct PlacementCase {
    const char* name;
    DWORD options;
    D3DPOOL vertexPool;
    DWORD vertexUsage;
    D3DPOOL indexPool;
    DWORD indexUsage;
    D3DFORMAT indexFormat;
};

TEST_F(MeshTest, OptionsPlaceTheBuffers) {
    const PlacementCase cases[] = {
        {"managed", D3DXMESH_MANAGED, D3DPOOL_MANAGED, 0, D3DPOOL_MANAGED, 0, D3DFMT_INDEX16},
        {"system memory, 32-bit", D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, D3DPOOL_SYSTEMMEM, 0, D3DPOOL_SYSTEMMEM, 0,
         D3DFMT_INDEX32},
        {"default pool, write-only and dynamic", D3DXMESH_WRITEONLY | D3DXMESH_DYNAMIC, D3DPOOL_DEFAULT,
         D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
         D3DFMT_INDEX16},
        {"software processing", D3DXMESH_MANAGED | D3DXMESH_SOFTWAREPROCESSING, D3DPOOL_MANAGED,
         D3DUSAGE_SOFTWAREPROCESSING, D3DPOOL_MANAGED, D3DUSAGE_SOFTWAREPROCESSING, D3DFMT_INDEX16},
        {"split pools", D3DXMESH_VB_SYSTEMMEM | D3DXMESH_IB_MANAGED | D3DXMESH_VB_WRITEONLY, D3DPOOL_SYSTEMMEM,
         D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED, 0, D3DFMT_INDEX16},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        ID3DXMesh* raw = nullptr;
        ASSERT_EQ(D3DXCreateMeshFVF(3, 5, c.options, 0x252, m_device, &raw), D3D_OK);
        Held<ID3DXMesh> mesh(raw);
        EXPECT_EQ(mesh->GetNumFaces(), 3u);
        EXPECT_EQ(mesh->GetNumVertices(), 5u);
        EXPECT_EQ(mesh->GetFVF(), 0x252u);
        EXPECT_EQ(mesh->GetNumBytesPerVertex(), 44u);
        EXPECT_EQ(mesh->GetOptions(), c.options);
        IDirect3DVertexBuffer9* vb = nullptr;
        ASSERT_EQ(mesh->GetVertexBuffer(&vb), D3D_OK);
        D3DVERTEXBUFFER_DESC vd{};
        vb->GetDesc(&vd);
        EXPECT_EQ(vd.Pool, c.vertexPool);
        EXPECT_EQ(vd.Usage, c.vertexUsage);
        EXPECT_EQ(vd.Size, 5u * 44);
        EXPECT_EQ(vd.FVF, 0x252u);
        EXPECT_GE(vb->Release(), 1u);  // the mesh keeps its own reference
        IDirect3DIndexBuffer9* ib = nullptr;
        ASSERT_EQ(mesh->GetIndexBuffer(&ib), D3D_OK);
        D3DINDEXBUFFER_DESC id{};
        ib->GetDesc(&id);
        EXPECT_EQ(id.Pool, c.indexPool);
        EXPECT_EQ(id.Usage, c.indexUsage);
        EXPECT_EQ(id.Format, c.indexFormat);
        EXPECT_EQ(id.Size, 9u * (c.indexFormat == D3DFMT_INDEX32 ? 4 : 2));
        EXPECT_GE(ib->Release(), 1u);
        EXPECT_EQ(ReadAttributes(mesh.get()), std::vector<DWORD>(3, 0));
    }
}

TEST_F(MeshTest, OptimisationFlagsBesideTheOptionsAreNotKept) {
    ID3DXMesh* raw = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED | D3DXMESHOPT_VERTEXCACHE, D3DFVF_XYZ,
                                m_device, &raw),
              D3D_OK);
    Held<ID3DXMesh> mesh(raw);
    EXPECT_EQ(mesh->GetOptions(), D3DXMESH_MANAGED);
}

TEST_F(MeshTest, CreationRefusesWhatNoMeshCanHold) {
    struct Case {
        const char* name;
        DWORD faces, vertices, options, fvf;
    } const cases[] = {
        {"no faces", 0, 3, D3DXMESH_MANAGED, D3DFVF_XYZ},
        {"no vertices", 1, 0, D3DXMESH_MANAGED, D3DFVF_XYZ},
        {"bad format", 1, 3, D3DXMESH_MANAGED, D3DFVF_XYZB5},
        {"no elements", 1, 3, D3DXMESH_MANAGED, 0},
        {"too many vertices for 16-bit indices", 1, 65536, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ},
        {"buffer past 4 GiB", 1, 0x20000000, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, D3DFVF_XYZ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
        EXPECT_EQ(D3DXCreateMeshFVF(c.faces, c.vertices, c.options, c.fvf, m_device, &mesh), D3DERR_INVALIDCALL);
        EXPECT_EQ(mesh, nullptr);
    }
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, nullptr, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, m_device, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(D3DXCreateMeshFVF(1, 65536, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, D3DFVF_XYZ, m_device, &mesh), D3D_OK);
    mesh->Release();
}

TEST_F(MeshTest, AFailedBufferLeavesNothingBehind) {
    const UINT before = LiveResourceCount();
    for (UINT failing : {1u, 2u}) {
        SCOPED_TRACE(failing);
        FailCreationAt(failing);
        ID3DXMesh* mesh = nullptr;
        EXPECT_EQ(D3DXCreateMeshFVF(2, 4, D3DXMESH_MANAGED, D3DFVF_XYZ, m_device, &mesh), D3DERR_OUTOFVIDEOMEMORY);
        EXPECT_EQ(mesh, nullptr);
        EXPECT_EQ(LiveResourceCount(), before);
    }
}

TEST_F(MeshTest, AttributeLocksBalance) {
    Held<ID3DXMesh> mesh = MakeMesh<Point3>(m_device, D3DFVF_XYZ, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, {7});
    EXPECT_EQ(ReadAttributes(mesh.get()), std::vector<DWORD>{7});
    EXPECT_EQ(mesh->UnlockAttributeBuffer(), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->LockAttributeBuffer(0, nullptr), D3DERR_INVALIDCALL);
}

// --- DrawSubset ---

std::vector<ScreenVertex> Squares(std::initializer_list<float> lefts) {
    std::vector<ScreenVertex> vertices;
    for (float x : lefts) {
        for (auto [dx, dy] : {std::pair{0.0f, 0.0f}, {8.0f, 0.0f}, {8.0f, 8.0f}, {0.0f, 8.0f}})
            vertices.push_back(ScreenVertex{x + dx, 4.0f + dy, 0.5f, 1.0f, 0xFFFFFFFF});
    }
    return vertices;
}

std::vector<uint32_t> SquareFaces(std::initializer_list<uint32_t> squares) {
    std::vector<uint32_t> indices;
    for (uint32_t s : squares)
        for (uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(s * 4 + corner);
    return indices;
}

std::vector<std::string> Filled(std::initializer_list<int> lefts) {
    std::vector<std::string> rows(16, std::string(48, '.'));
    for (int y = 4; y < 12; ++y)
        for (int left : lefts) rows[y].replace(size_t(left), 8, 8, '#');
    return rows;
}

std::vector<std::string> Top(const std::vector<std::string>& rows) {
    std::vector<std::string> top;
    for (size_t y = 0; y < 16; ++y) top.push_back(rows[y].substr(0, 48));
    return top;
}

// Squares at x 20, 4 and 36 in face order, attributes 1, 0, 1.
class DrawSubsetTest : public MeshDeviceTest {
protected:
    void SetUp() override {
        MeshDeviceTest::SetUp();
        m_mesh = MakeMesh(m_device, kScreenFvf, Squares({20, 4, 36}), SquareFaces({0, 1, 2}), {1, 1, 0, 0, 1, 1});
        ASSERT_TRUE(m_mesh);
    }
    void TearDown() override {
        m_mesh.reset();
        MeshDeviceTest::TearDown();
    }

    std::vector<RecordedCall> DrawRecorded(DWORD subset, lumiva::d3d9::Image* image) {
        BeginFrame();
        ClearRecording();
        EnableRecording(true);
        EXPECT_EQ(m_mesh->DrawSubset(subset), D3D_OK);
        EnableRecording(false);
        *image = EndFrame();
        return RecordedCalls();
    }

    Held<ID3DXMesh> m_mesh;
};

std::vector<std::string> Names(const std::vector<RecordedCall>& calls) {
    std::vector<std::string> names;
    for (const RecordedCall& call : calls) names.push_back(call.name);
    return names;
}

TEST_F(DrawSubsetTest, WithoutATableEachRunOfTheSubsetIsOneDraw) {
    lumiva::d3d9::Image image;
    const std::vector<RecordedCall> calls = DrawRecorded(1, &image);
    EXPECT_EQ(Names(calls), (std::vector<std::string>{"SetFVF", "SetStreamSource", "SetIndices",
                                                      "DrawIndexedPrimitive", "DrawIndexedPrimitive",
                                                      "Mesh::DrawSubset"}));
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    m_mesh->GetVertexBuffer(&vb);
    m_mesh->GetIndexBuffer(&ib);
    EXPECT_EQ(calls[0].args, std::vector<uint64_t>{kScreenFvf});
    EXPECT_EQ(calls[1].args, (std::vector<uint64_t>{0, PointerArg(vb), 0, sizeof(ScreenVertex)}));
    EXPECT_EQ(calls[2].args, std::vector<uint64_t>{PointerArg(ib)});
    EXPECT_EQ(calls[3].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 12, 0, 2}));
    EXPECT_EQ(calls[4].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 12, 12, 2}));
    EXPECT_EQ(calls[5].args, (std::vector<uint64_t>{PointerArg(m_mesh.get()), 1}));
    EXPECT_EQ(calls[5].result, D3D_OK);
    ASSERT_TRUE(calls[3].state);
    EXPECT_EQ(calls[3].state->fvf, kScreenFvf);
    EXPECT_EQ(calls[3].state->indices, ib);
    vb->Release();
    ib->Release();
    EXPECT_EQ(Top(Mask(image, 0xFF000000)), Filled({20, 36}));
}

TEST_F(DrawSubsetTest, WithATableEachRangeOfTheSubsetIsOneDraw) {
    ASSERT_EQ(m_mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    lumiva::d3d9::Image image;
    std::vector<RecordedCall> calls = DrawRecorded(1, &image);
    std::erase_if(calls, [](const RecordedCall& c) { return c.name != "DrawIndexedPrimitive"; });
    ASSERT_EQ(calls.size(), 1u);
    // Faces 2 to 5 after sorting; their vertices were renumbered 4 to 11.
    EXPECT_EQ(calls[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 4, 8, 6, 4}));
    EXPECT_EQ(Top(Mask(image, 0xFF000000)), Filled({20, 36}));

    calls = DrawRecorded(0, &image);
    EXPECT_EQ(Top(Mask(image, 0xFF000000)), Filled({4}));
}

TEST_F(DrawSubsetTest, AnAbsentSubsetDrawsNothing) {
    lumiva::d3d9::Image image;
    const std::vector<RecordedCall> calls = DrawRecorded(5, &image);
    EXPECT_EQ(Names(calls), (std::vector<std::string>{"SetFVF", "SetStreamSource", "SetIndices", "Mesh::DrawSubset"}));
    EXPECT_EQ(Top(Mask(image, 0xFF000000)), Filled({}));
}

TEST_F(DrawSubsetTest, AFailingDrawIsTheResult) {
    m_device->EndScene();  // draws need a scene
    ClearRecording();
    EnableRecording(true);
    EXPECT_EQ(m_mesh->DrawSubset(1), D3DERR_INVALIDCALL);
    EnableRecording(false);
    const std::vector<RecordedCall> calls = RecordedCallsNamed("Mesh::DrawSubset");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].result, D3DERR_INVALIDCALL);
}

// --- Adjacency ---

// Two unit squares side by side, two triangles each, each square with its
// own four vertices: the shared edge is shared by position only.
std::vector<Point3> TwoQuads(float rightShift = 0.0f) {
    return {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0},
            {1 + rightShift, 0, 0}, {1 + rightShift, 1, 0}, {2, 1, 0}, {2, 0, 0}};
}
const std::vector<uint32_t> kTwoQuadFaces = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
const std::vector<DWORD> kTwoQuadAdjacency = {kNone, kNone, 1, 0, 2, kNone, 1, kNone, 3, 2, kNone, kNone};

std::vector<DWORD> AdjacencyOf(ID3DXMesh* mesh, float epsilon) {
    std::vector<DWORD> adjacency(size_t(mesh->GetNumFaces()) * 3, 0xDEAD);
    EXPECT_EQ(mesh->GenerateAdjacency(epsilon, adjacency.data()), D3D_OK);
    return adjacency;
}

TEST_F(MeshTest, AdjacencyOfTwoQuadsJoinsVerticesByPosition) {
    for (DWORD options : {D3DXMESH_MANAGED, D3DXMESH_MANAGED | D3DXMESH_32BIT}) {
        SCOPED_TRACE(options);
        Held<ID3DXMesh> mesh = MakeMesh(m_device, D3DFVF_XYZ, TwoQuads(), kTwoQuadFaces, {0, 0, 0, 0}, options);
        EXPECT_EQ(AdjacencyOf(mesh.get(), 0.0f), kTwoQuadAdjacency);
    }
}

TEST_F(MeshTest, AdjacencyEpsilonJoinsNearVerticesOnly) {
    Held<ID3DXMesh> mesh = MakeMesh(m_device, D3DFVF_XYZ, TwoQuads(1e-4f), kTwoQuadFaces, {0, 0, 0, 0});
    std::vector<DWORD> apart = kTwoQuadAdjacency;
    apart[4] = kNone;  // face 1 across the shared edge
    apart[6] = kNone;  // face 2 across it
    EXPECT_EQ(AdjacencyOf(mesh.get(), 0.0f), apart);
    EXPECT_EQ(AdjacencyOf(mesh.get(), 1e-5f), apart);
    EXPECT_EQ(AdjacencyOf(mesh.get(), 1e-3f), kTwoQuadAdjacency);
    EXPECT_EQ(mesh->GenerateAdjacency(-1.0f, apart.data()), D3DERR_INVALIDCALL);
}

TEST_F(MeshTest, PointRepresentativesGiveTheSameAdjacency) {
    Held<ID3DXMesh> mesh = MakeMesh(m_device, D3DFVF_XYZ, TwoQuads(0.5f), kTwoQuadFaces, {0, 0, 0, 0});
    const DWORD reps[8] = {0, 1, 2, 3, 3, 2, 6, 7};  // the right square's left edge is the left one's right
    std::vector<DWORD> adjacency(12);
    ASSERT_EQ(mesh->ConvertPointRepsToAdjacency(reps, adjacency.data()), D3D_OK);
    EXPECT_EQ(adjacency, kTwoQuadAdjacency);
    const DWORD outside[8] = {0, 1, 2, 3, 8, 2, 6, 7};
    EXPECT_EQ(mesh->ConvertPointRepsToAdjacency(outside, adjacency.data()), D3DERR_INVALIDCALL);
}

// A face index at or past the vertex count (a 16-bit index truncated from a
// larger one, say) is refused by everything that reads faces.
TEST_F(MeshTest, FaceIndicesPastTheVerticesAreRefused) {
    std::vector<uint32_t> faces = kTwoQuadFaces;
    faces[11] = 8;
    Held<ID3DXMesh> mesh = MakeMesh(m_device, D3DFVF_XYZ, TwoQuads(), faces, {0, 0, 0, 0});
    std::vector<DWORD> adjacency(12);
    EXPECT_EQ(mesh->GenerateAdjacency(0.0f, adjacency.data()), D3DXERR_INVALIDMESH);
    EXPECT_EQ(mesh->ConvertPointRepsToAdjacency(nullptr, adjacency.data()), D3DXERR_INVALIDMESH);
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3DXERR_INVALIDMESH);
    EXPECT_EQ(ReadIndices(mesh.get()), faces);  // untouched
}

// --- Optimising ---

// Five triangles with vertices of their own (x is the vertex number) and one
// vertex no face uses; attributes 2, 0, 2, 1, 0.
class OptimizeTest : public MeshDeviceTest {
protected:
    void SetUp() override {
        MeshDeviceTest::SetUp();
        std::vector<Point3> vertices;
        for (int v = 0; v < 16; ++v) vertices.push_back(Point3{float(v), 0, 0});
        std::vector<uint32_t> faces;
        for (uint32_t v = 0; v < 15; ++v) faces.push_back(v);
        m_mesh = MakeMesh(m_device, D3DFVF_XYZ, vertices, faces, {2, 0, 2, 1, 0});
        ASSERT_TRUE(m_mesh);
    }
    void TearDown() override {
        m_mesh.reset();
        MeshDeviceTest::TearDown();
    }
    std::vector<float> VertexNumbers() {
        std::vector<float> numbers;
        for (const Point3& p : ReadVertices<Point3>(m_mesh.get())) numbers.push_back(p.x);
        return numbers;
    }
    Held<ID3DXMesh> m_mesh;
};

TEST_F(OptimizeTest, AttributeSortBuildsTheTableAndGroupsVertices) {
    DWORD faceRemap[5] = {};
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(m_mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_COMPACT, nullptr, nullptr, faceRemap,
                                      &vertexRemap),
              D3D_OK);
    Held<ID3DXBuffer> remap(vertexRemap);
    EXPECT_EQ(std::vector<DWORD>(faceRemap, faceRemap + 5), (std::vector<DWORD>{1, 4, 3, 0, 2}));
    EXPECT_EQ(ReadTable(m_mesh.get()), (std::vector<D3DXATTRIBUTERANGE>{{0, 0, 2, 0, 6}, {1, 2, 1, 6, 3},
                                                                       {2, 3, 2, 9, 6}}));
    EXPECT_EQ(ReadAttributes(m_mesh.get()), (std::vector<DWORD>{0, 0, 1, 2, 2}));
    const std::vector<float> order = {3, 4, 5, 12, 13, 14, 9, 10, 11, 0, 1, 2, 6, 7, 8};
    EXPECT_EQ(m_mesh->GetNumVertices(), 15u);  // the unused vertex is gone
    EXPECT_EQ(VertexNumbers(), order);
    ASSERT_EQ(remap->GetBufferSize(), 15u * sizeof(DWORD));
    const DWORD* fromOld = static_cast<const DWORD*>(remap->GetBufferPointer());
    for (size_t v = 0; v < order.size(); ++v) EXPECT_EQ(float(fromOld[v]), order[v]);
    std::vector<uint32_t> sequential(15);
    for (uint32_t i = 0; i < 15; ++i) sequential[i] = i;
    EXPECT_EQ(ReadIndices(m_mesh.get()), sequential);
}

TEST_F(OptimizeTest, WithoutCompactingUnusedVerticesStayAtTheEnd) {
    ASSERT_EQ(m_mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(VertexNumbers(), (std::vector<float>{3, 4, 5, 12, 13, 14, 9, 10, 11, 0, 1, 2, 6, 7, 8, 15}));
}

TEST_F(OptimizeTest, IgnoringVerticesSpansTheirOriginalNumbers) {
    ASSERT_EQ(m_mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_IGNOREVERTS, nullptr, nullptr, nullptr,
                                      nullptr),
              D3D_OK);
    EXPECT_EQ(ReadTable(m_mesh.get()), (std::vector<D3DXATTRIBUTERANGE>{{0, 0, 2, 3, 12}, {1, 2, 1, 9, 3},
                                                                       {2, 3, 2, 0, 9}}));
    EXPECT_EQ(m_mesh->GetNumVertices(), 16u);
}

TEST_F(OptimizeTest, CompactingAloneKeepsTheFaceOrder) {
    ASSERT_EQ(m_mesh->OptimizeInplace(D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(ReadAttributes(m_mesh.get()), (std::vector<DWORD>{2, 0, 2, 1, 0}));
    EXPECT_EQ(m_mesh->GetNumVertices(), 15u);
    EXPECT_TRUE(ReadTable(m_mesh.get()).empty());
}

TEST_F(MeshTest, OptimisingRenumbersTheAdjacency) {
    Held<ID3DXMesh> mesh = MakeMesh(m_device, D3DFVF_XYZ, TwoQuads(), kTwoQuadFaces, {1, 0, 1, 0});
    std::vector<DWORD> out(12);
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, kTwoQuadAdjacency.data(), out.data(), nullptr, nullptr),
              D3D_OK);
    // New faces 0 to 3 are old faces 1, 3, 0, 2.
    const std::vector<DWORD> renumbered = {2, 3, kNone, 3, kNone, kNone, kNone, kNone, 0, 0, kNone, 1};
    EXPECT_EQ(out, renumbered);
    EXPECT_EQ(AdjacencyOf(mesh.get(), 0.0f), renumbered);  // the same as the mesh's own now
    const std::vector<DWORD> broken = {kNone, kNone, 4, 0, 2, kNone, 1, kNone, 3, 2, kNone, kNone};
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, broken.data(), out.data(), nullptr, nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(MeshTest, OptimizeLeavesTheSourceAlone) {
    Held<ID3DXMesh> mesh = MakeMesh(m_device, D3DFVF_XYZ, TwoQuads(), kTwoQuadFaces, {1, 0, 1, 0});
    ID3DXMesh* raw = nullptr;
    ASSERT_EQ(mesh->Optimize(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr, &raw), D3D_OK);
    Held<ID3DXMesh> sorted(raw);
    EXPECT_EQ(ReadAttributes(sorted.get()), (std::vector<DWORD>{0, 0, 1, 1}));
    EXPECT_EQ(ReadAttributes(mesh.get()), (std::vector<DWORD>{1, 0, 1, 0}));
    EXPECT_TRUE(ReadTable(mesh.get()).empty());
}

// --- Cloning ---

struct ColouredPoint {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
    float x, y, z;
    D3DCOLOR color;
};
struct LitPoint {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z, nx, ny, nz;
    D3DCOLOR color;
    float u, v;
};

TEST_F(MeshTest, CloneConvertsVerticesByElement) {
    Held<ID3DXMesh> mesh = MakeMesh<ColouredPoint>(
        m_device, D3DFVF_XYZ | D3DFVF_DIFFUSE, {{1, 2, 3, 0xFF112233}, {4, 5, 6, 0x80445566}, {7, 8, 9, 0x01020304}},
        {0, 1, 2}, {3});
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const DWORD litFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    ID3DXMesh* raw = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_32BIT | D3DXMESH_SOFTWAREPROCESSING, litFvf, m_device,
                                 &raw),
              D3D_OK);
    Held<ID3DXMesh> lit(raw);
    const std::vector<LitPoint> vertices = ReadVertices<LitPoint>(lit.get());
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[1].x, 4.0f);
    EXPECT_EQ(vertices[1].z, 6.0f);
    EXPECT_EQ(vertices[1].color, 0x80445566u);
    EXPECT_EQ(vertices[1].ny, 0.0f);  // elements without a source are zero
    EXPECT_EQ(vertices[1].u, 0.0f);
    EXPECT_EQ(ReadIndices(lit.get()), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(ReadAttributes(lit.get()), std::vector<DWORD>{3});
    EXPECT_EQ(ReadTable(lit.get()), (std::vector<D3DXATTRIBUTERANGE>{{3, 0, 1, 0, 3}}));
    IDirect3DVertexBuffer9* vb = nullptr;
    lit->GetVertexBuffer(&vb);
    D3DVERTEXBUFFER_DESC desc{};
    vb->GetDesc(&desc);
    vb->Release();
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_SOFTWAREPROCESSING));

    // And back: the colour survives the trip, the normal is dropped.
    ASSERT_EQ(lit->CloneMeshFVF(D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_DIFFUSE, m_device, &raw), D3D_OK);
    Held<ID3DXMesh> back(raw);
    EXPECT_EQ(ReadVertices<ColouredPoint>(back.get())[2].color, 0x01020304u);
    EXPECT_EQ(back->GetOptions(), D3DXMESH_SYSTEMMEM);
}

TEST_F(MeshTest, CloneWidensAPointToFourComponents) {
    Held<ID3DXMesh> mesh = MakeMesh<Point3>(m_device, D3DFVF_XYZ, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {0, 1, 2}, {0});
    ID3DXMesh* raw = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZW, m_device, &raw), D3D_OK);
    Held<ID3DXMesh> wide(raw);
    struct Point4 {
        float x, y, z, w;
    };
    const Point4 p = ReadVertices<Point4>(wide.get())[2];
    EXPECT_EQ(p.x, 7.0f);
    EXPECT_EQ(p.z, 9.0f);
    EXPECT_EQ(p.w, 1.0f);
    EXPECT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZB5, m_device, &raw), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ, nullptr, &raw), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace mesh_test
