// Text .X files through D3DXLoadMeshFromX: frames, polygons, normals,
// texture coordinates and materials into one mesh, and damaged files
// refused with one log line.
#include <functional>

#include "ByteWriter.h"
#include "DebugLog.h"
#include "MeshTestKit.h"
#include "XFileWriter.h"

using namespace lumiva::d3d9;

namespace xfile_mesh_test {
namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

struct LoadedVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1
    float x, y, z, nx, ny, nz, u, v;
};
struct NormalVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL
    float x, y, z, nx, ny, nz;
};

std::array<float, 16> Translation(float x, float y, float z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// Frame "Root", moved by (16, 8): one mesh of two 16 x 16 panels side by
// side, the left one a single four-cornered polygon in a red textured
// material, the right one two triangles in a half-transparent green one.
XFileScene TwoMaterialScene() {
    XFileMesh panels;
    panels.name = "Panels";
    panels.positions = {{0, 0, 0.5f}, {0, 16, 0.5f}, {16, 16, 0.5f}, {16, 0, 0.5f},
                        {24, 0, 0.5f}, {24, 16, 0.5f}, {40, 16, 0.5f}, {40, 0, 0.5f}};
    panels.faces = {{0, 1, 2, 3}, {4, 5, 6}, {4, 6, 7}};
    panels.normals = {{0, 0, -1}};
    panels.normalFaces = {{0, 0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    panels.texcoords = {{0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}};
    XFileMaterial red;
    red.diffuse = {1, 0, 0, 1};
    red.power = 8;
    red.specular = {0.5f, 0.5f, 0.5f};
    red.emissive = {0, 0, 0.25f};
    red.texture = "red.png";
    XFileMaterial green;
    green.diffuse = {0, 1, 0, 0.5f};
    panels.materials = {red, green};
    panels.faceMaterials = {0, 1, 1};
    XFileFrame root;
    root.name = "Root";
    root.transform = Translation(16, 8, 0);
    root.meshes = {panels};
    XFileScene scene;
    scene.withHeader = true;
    scene.frames = {root};
    return scene;
}

struct Loaded {
    HRESULT result = E_FAIL;
    Held<ID3DXMesh> mesh;
    Held<ID3DXBuffer> adjacency;
    Held<ID3DXBuffer> materials;
    Held<ID3DXBuffer> effects;
    DWORD materialCount = 0;

    const D3DXMATERIAL& Material(DWORD i) const {
        return static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())[i];
    }
    std::vector<DWORD> Adjacency() const {
        const DWORD* words = static_cast<const DWORD*>(adjacency->GetBufferPointer());
        return std::vector<DWORD>(words, words + adjacency->GetBufferSize() / 4);
    }
};

class XFileMeshTest : public MeshDeviceTest {
protected:
    void SetUp() override {
        MeshDeviceTest::SetUp();
        UseScratchRoot();
        basrel::StartDebugLogCapture();
    }

    // The text in a buffer of its exact size, so a read past it shows.
    Loaded LoadText(const std::string& text) {
        std::vector<char> bytes(text.begin(), text.end());
        bytes.reserve(1);
        Loaded out;
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer *adjacency = nullptr, *materials = nullptr, *effects = nullptr;
        out.result = D3DXLoadMeshFromXInMemory(bytes.data(), DWORD(bytes.size()), D3DXMESH_MANAGED, m_device,
                                               &adjacency, &materials, &effects, &out.materialCount, &mesh);
        out.mesh.reset(mesh);
        out.adjacency.reset(adjacency);
        out.materials.reset(materials);
        out.effects.reset(effects);
        return out;
    }

    Loaded LoadFile(const std::string& hostPath, const char* moduleName, const std::string& text) {
        EXPECT_TRUE(WriteFileBytes(m_scratch + hostPath, std::vector<uint8_t>(text.begin(), text.end())));
        Loaded out;
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer *adjacency = nullptr, *materials = nullptr;
        out.result = D3DXLoadMeshFromXA(moduleName, D3DXMESH_MANAGED, m_device, &adjacency, &materials, nullptr,
                                        &out.materialCount, &mesh);
        out.mesh.reset(mesh);
        out.adjacency.reset(adjacency);
        out.materials.reset(materials);
        return out;
    }

    // Loading the text fails with one of results, leaves every output
    // empty, holds no device resource and logs exactly one line.
    void ExpectRefused(const std::string& text, std::initializer_list<HRESULT> results = {D3DXERR_INVALIDDATA}) {
        basrel::TakeCapturedLog();
        const UINT resources = LiveResourceCount();
        const Loaded loaded = LoadText(text);
        EXPECT_NE(std::find(results.begin(), results.end(), loaded.result), results.end()) << loaded.result;
        EXPECT_FALSE(loaded.mesh);
        EXPECT_FALSE(loaded.adjacency);
        EXPECT_FALSE(loaded.materials);
        EXPECT_FALSE(loaded.effects);
        EXPECT_EQ(LiveResourceCount(), resources);
        const std::vector<std::string> log = basrel::TakeCapturedLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].rfind("[D3DX]memory: ", 0), 0u) << log[0];
    }
};

TEST_F(XFileMeshTest, TwoMaterialFileLoadsThroughThePakLayer) {
    const Loaded x = LoadFile("/Models/Mesh.X", "\\models\\mesh.x", WriteXFileText(TwoMaterialScene()));
    ASSERT_EQ(x.result, D3D_OK);
    EXPECT_EQ(x.materialCount, 2u);
    EXPECT_EQ(x.mesh->GetNumFaces(), 4u);  // the polygon becomes two triangles
    EXPECT_EQ(x.mesh->GetNumVertices(), 8u);
    EXPECT_EQ(x.mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(x.mesh->GetOptions(), D3DXMESH_MANAGED);
    EXPECT_EQ(ReadIndices(x.mesh.get()), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
    EXPECT_EQ(ReadAttributes(x.mesh.get()), (std::vector<DWORD>{0, 0, 1, 1}));
    const std::vector<LoadedVertex> vertices = ReadVertices<LoadedVertex>(x.mesh.get());
    EXPECT_EQ(vertices[2].x, 32.0f);  // moved by the frame
    EXPECT_EQ(vertices[2].y, 24.0f);
    EXPECT_EQ(vertices[2].z, 0.5f);
    EXPECT_EQ(vertices[2].nz, -1.0f);
    EXPECT_EQ(vertices[2].u, 1.0f);
    EXPECT_EQ(vertices[2].v, 0.0f);

    const D3DXMATERIAL& red = x.Material(0);
    EXPECT_EQ(red.MatD3D.Diffuse.r, 1.0f);
    EXPECT_EQ(red.MatD3D.Diffuse.g, 0.0f);
    EXPECT_EQ(red.MatD3D.Diffuse.a, 1.0f);
    EXPECT_EQ(red.MatD3D.Ambient.r, 0.0f);  // the file has none
    EXPECT_EQ(red.MatD3D.Power, 8.0f);
    EXPECT_EQ(red.MatD3D.Specular.g, 0.5f);
    EXPECT_EQ(red.MatD3D.Emissive.b, 0.25f);
    EXPECT_STREQ(red.pTextureFilename, "red.png");
    const D3DXMATERIAL& green = x.Material(1);
    EXPECT_EQ(green.MatD3D.Diffuse.g, 1.0f);
    EXPECT_EQ(green.MatD3D.Diffuse.a, 0.5f);
    EXPECT_EQ(green.pTextureFilename, nullptr);

    EXPECT_EQ(x.Adjacency(), (std::vector<DWORD>{kNone, kNone, 1, 0, kNone, kNone, kNone, kNone, 3, 2, kNone, kNone}));
    EXPECT_TRUE(basrel::TakeCapturedLog().empty());
}

TEST_F(XFileMeshTest, TwoMaterialFileSortsIntoRangesAndDrawsEach) {
    Loaded x = LoadText(WriteXFileText(TwoMaterialScene()));
    ASSERT_EQ(x.result, D3D_OK);
    ASSERT_EQ(x.mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT,
                                      static_cast<DWORD*>(x.adjacency->GetBufferPointer()), nullptr, nullptr, nullptr),
              D3D_OK);
    const std::vector<D3DXATTRIBUTERANGE> ranges = ReadTable(x.mesh.get());
    EXPECT_EQ(ranges, (std::vector<D3DXATTRIBUTERANGE>{{0, 0, 2, 0, 4}, {1, 2, 2, 4, 4}}));

    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, 64.0f, 48.0f, 0.0f, 0.0f, 1.0f);
    BeginFrame();
    m_device->SetTransform(D3DTS_WORLD, &identity);
    m_device->SetTransform(D3DTS_VIEW, &identity);
    m_device->SetTransform(D3DTS_PROJECTION, &projection);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    const D3DCOLOR colours[2] = {0xFFFF0000, 0xFF00FF00};
    for (const D3DXATTRIBUTERANGE& range : ranges) {
        m_device->SetRenderState(D3DRS_TEXTUREFACTOR, colours[range.AttribId]);
        EXPECT_EQ(x.mesh->DrawSubset(range.AttribId), D3D_OK);
    }
    const lumiva::d3d9::Image image = EndFrame();
    for (UINT py = 0; py < 48; ++py)
        for (UINT px = 0; px < 64; ++px) {
            const bool inY = py >= 8 && py < 24;
            const D3DCOLOR want = inY && px >= 16 && px < 32   ? 0xFF0000u
                                  : inY && px >= 40 && px < 56 ? 0x00FF00u
                                                               : 0u;
            ASSERT_EQ(image.At(px, py) & 0xFFFFFF, want) << px << "," << py;
        }
}

// Two triangles sharing a diagonal name different normals at its ends:
// those two vertices get a copy each, which adjacency still joins.
TEST_F(XFileMeshTest, CornersWithOtherNormalsSplitTheirVertex) {
    XFileMesh square;
    square.positions = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    square.faces = {{0, 1, 2}, {0, 2, 3}};
    square.normals = {{0, 0, -1}, {1, 0, 0}};
    square.normalFaces = {{0, 0, 0}, {1, 1, 1}};
    XFileScene scene;
    scene.meshes = {square};
    Loaded x = LoadText(WriteXFileText(scene));
    ASSERT_EQ(x.result, D3D_OK);
    EXPECT_EQ(x.mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
    ASSERT_EQ(x.mesh->GetNumVertices(), 6u);
    EXPECT_EQ(ReadIndices(x.mesh.get()), (std::vector<uint32_t>{0, 1, 2, 4, 5, 3}));
    const std::vector<NormalVertex> v = ReadVertices<NormalVertex>(x.mesh.get());
    EXPECT_EQ(v[0].nz, -1.0f);  // the first normal keeps the vertex's number
    EXPECT_EQ(v[3].nx, 1.0f);
    EXPECT_EQ(v[4].x, 0.0f);  // copy of vertex 0
    EXPECT_EQ(v[4].nx, 1.0f);
    EXPECT_EQ(v[5].x, 1.0f);  // copy of vertex 2
    EXPECT_EQ(v[5].y, 1.0f);
    EXPECT_EQ(v[5].nx, 1.0f);
    EXPECT_EQ(x.Adjacency(), (std::vector<DWORD>{kNone, kNone, 1, 0, kNone, kNone}));
    EXPECT_EQ(x.materialCount, 1u);  // a mesh without a list gets one white material
    EXPECT_EQ(x.Material(0).MatD3D.Diffuse.b, 1.0f);
    EXPECT_EQ(x.Material(0).MatD3D.Diffuse.a, 1.0f);
}

// Frames apply innermost first; meshes merge in file order, each with its
// own materials, and a polygon becomes a fan from its first corner.
TEST_F(XFileMeshTest, NestedFramesAndSeveralMeshesMerge) {
    XFileMesh pointer;  // one triangle with a normal along x
    pointer.positions = {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}};
    pointer.faces = {{0, 1, 2}};
    pointer.normals = {{1, 0, 0}};
    pointer.normalFaces = {{0, 0, 0}};
    XFileFrame inner;
    inner.transform = std::array<float, 16>{0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};  // quarter turn, twice the size
    inner.meshes = {pointer};
    XFileFrame outer;
    outer.transform = Translation(10, 0, 0);
    outer.children = {inner};
    XFileMesh pentagon;
    pentagon.positions = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}};
    pentagon.faces = {{0, 1, 2, 3, 4}};
    XFileMaterial blue;
    blue.diffuse = {0, 0, 1, 1};
    pentagon.materials = {blue, blue};
    pentagon.faceMaterials = {1};
    XFileScene scene;
    scene.frames = {outer};
    scene.meshes = {pentagon};  // written ahead of the frames
    Loaded x = LoadText(WriteXFileText(scene));
    ASSERT_EQ(x.result, D3D_OK);
    EXPECT_EQ(x.materialCount, 3u);  // the pentagon's two, then the pointer's white one
    EXPECT_EQ(x.Material(1).MatD3D.Diffuse.b, 1.0f);
    EXPECT_EQ(ReadAttributes(x.mesh.get()), (std::vector<DWORD>{1, 1, 1, 2}));
    EXPECT_EQ(ReadIndices(x.mesh.get()), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 5, 6, 7}));
    const std::vector<NormalVertex> v = ReadVertices<NormalVertex>(x.mesh.get());
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[2].nx, 0.0f);  // the pentagon has no normals
    EXPECT_EQ(v[5].x, 10.0f);  // (1, 0, 0) turned to (0, 2, 0), then moved
    EXPECT_EQ(v[5].y, 2.0f);
    EXPECT_EQ(v[7].z, 2.0f);
    EXPECT_FLOAT_EQ(v[5].nx, 0.0f);  // the normal turns with the frame and stays unit
    EXPECT_FLOAT_EQ(v[5].ny, 1.0f);
}

TEST_F(XFileMeshTest, NamedMaterialsCommentsAndShortMaterialLists) {
    XFileMesh strip = XFileSquare(0, 0, 1, 1, 0);
    strip.faces.push_back({0, 1, 3});
    strip.normalFaces.push_back({0, 0, 0});
    XFileMaterial shared;
    shared.name = "Shared";
    shared.byReference = true;
    shared.diffuse = {0.25f, 0.5f, 0.75f, 1};
    shared.texture = "tiles\\stone.dds";
    XFileMaterial plain;
    strip.materials = {plain, shared};
    strip.faceMaterials = {0, 1};  // the third face takes the last one
    XFileScene scene;
    scene.meshes = {strip};
    std::string text = WriteXFileText(scene);
    text.insert(text.find("Mesh"), "// a comment { with a brace\n# another }\n");
    Loaded x = LoadText(text);
    ASSERT_EQ(x.result, D3D_OK);
    ASSERT_EQ(x.materialCount, 2u);
    EXPECT_EQ(x.Material(1).MatD3D.Diffuse.g, 0.5f);
    EXPECT_STREQ(x.Material(1).pTextureFilename, "tiles\\stone.dds");
    EXPECT_EQ(ReadAttributes(x.mesh.get()), (std::vector<DWORD>{0, 1, 1}));
    const D3DXEFFECTINSTANCE* effects = static_cast<const D3DXEFFECTINSTANCE*>(x.effects->GetBufferPointer());
    ASSERT_EQ(x.effects->GetBufferSize(), 2 * sizeof(D3DXEFFECTINSTANCE));
    EXPECT_EQ(effects[1].pEffectFilename, nullptr);
}

TEST_F(XFileMeshTest, FilesWithoutFacesOrThatAreMissing) {
    XFileScene empty;
    empty.withHeader = true;
    empty.frames = {XFileFrame{"Nothing", Translation(1, 2, 3), {}, {}}};
    ExpectRefused(WriteXFileText(empty), {D3DXERR_LOADEDMESHHASNODATA});

    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXLoadMeshFromXA("\\models\\absent.x", D3DXMESH_MANAGED, m_device, nullptr, nullptr, nullptr, nullptr,
                                 &mesh),
              D3DERR_NOTFOUND);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(D3DXLoadMeshFromXA("\\models\\absent.x", D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &mesh),
              D3DERR_INVALIDCALL);
}

TEST_F(XFileMeshTest, ADamagedFileNamesItselfInItsLogLine) {
    std::string text = WriteXFileText(TwoMaterialScene());
    text.replace(text.find("0,\n"), 2, "2,");  // the first face's material, past the two there are
    const Loaded x = LoadFile("/Models/Bad.X", "\\models\\bad.x", text);
    EXPECT_EQ(x.result, D3DXERR_INVALIDDATA);
    const std::vector<std::string> log = basrel::TakeCapturedLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("[D3DX]\\models\\bad.x: line ", 0), 0u) << log[0];
    EXPECT_NE(log[0].find("material 2 is not below the material count 2"), std::string::npos) << log[0];
}

// Every damage of the two-material file, made by the writer or by editing
// its text.
TEST_F(XFileMeshTest, DamagedFilesAreRefused) {
    const auto edited = [](std::function<void(XFileScene&)> change) {
        XFileScene scene = TwoMaterialScene();
        change(scene);
        return WriteXFileText(scene);
    };
    const auto mesh = [](XFileScene& s) -> XFileMesh& { return s.frames[0].meshes[0]; };
    const auto replaced = [](const std::string& from, const std::string& to) {
        std::string text = WriteXFileText(TwoMaterialScene());
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    std::string deep = "xof 0303txt 0032\n";
    for (int i = 0; i < 100; ++i) deep += "Frame {\n";
    deep += WriteXFileText(XFileScene{false, {XFileSquare(0, 0, 1, 1, 0)}, {}}).substr(17);
    for (int i = 0; i < 100; ++i) deep += "}\n";

    const std::pair<const char*, std::string> cases[] = {
        {"more vertices claimed than given", edited([&](XFileScene& s) { mesh(s).vertexCountOverride = 9; })},
        {"more faces claimed than given", edited([&](XFileScene& s) { mesh(s).faceCountOverride = 4; })},
        {"fewer faces claimed than given", edited([&](XFileScene& s) { mesh(s).faceCountOverride = 2; })},
        {"a count of 2^32", edited([&](XFileScene& s) { mesh(s).vertexCountOverride = 0x100000000ull; })},
        {"a count past 64 bits", replaced("8;\n", "99999999999999999999;\n")},
        {"a negative count", replaced("8;\n", "-1;\n")},
        {"a face index past the vertices", edited([&](XFileScene& s) { mesh(s).faces[2][2] = 8; })},
        {"a face of two corners", edited([&](XFileScene& s) { mesh(s).faces[1] = {4, 5}; })},
        {"a polygon of 2^32 - 1 corners", replaced("4;0,1,2,3;", "4294967295;0,1,2,3;")},
        {"a face material past the materials", edited([&](XFileScene& s) { mesh(s).faceMaterials[2] = 2; })},
        {"more materials claimed than given", edited([&](XFileScene& s) { mesh(s).materialCountOverride = 3; })},
        {"fewer materials claimed than given", edited([&](XFileScene& s) { mesh(s).materialCountOverride = 1; })},
        {"more face materials than faces", edited([&](XFileScene& s) { mesh(s).faceMaterials.push_back(0); })},
        {"normal faces not matching the faces", edited([&](XFileScene& s) { mesh(s).normalFaces.pop_back(); })},
        {"a normal face of other corners", edited([&](XFileScene& s) { mesh(s).normalFaces[0] = {0, 0, 0}; })},
        {"a normal index past the normals", edited([&](XFileScene& s) { mesh(s).normalFaces[1] = {0, 1, 0}; })},
        {"texture coordinates not one per vertex", edited([&](XFileScene& s) { mesh(s).texcoords.pop_back(); })},
        {"an unknown material reference", replaced("Material {", "{ Nowhere }\nMaterial {")},
        {"an unterminated string", replaced("\"red.png\";", "\"red.png;")},
        {"a number too large for a float", replaced("0.5;", "1e999;")},
        {"a closing brace too many", WriteXFileText(TwoMaterialScene()) + "}\n"},
        {"a name where the brace belongs", replaced("Mesh Panels {", "Mesh Panels Extra {")},
        {"a brace missing inside", replaced("MeshNormals {", "MeshNormals")},
        {"binary", replaced("txt ", "bin ")},
        {"compressed", replaced("txt ", "tzip")},
        {"an unknown float size", replaced("0032", "0016")},
        {"not an .X file", "xaf 0303txt 0032\nMesh {}\n"},
        {"frames nested a hundred deep", deep},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        ExpectRefused(text);
    }
}

// Every cut of the file short of its last brace is refused, never read
// past its end: as damaged, or as holding no mesh when it falls between the
// objects ahead of the frame.
TEST_F(XFileMeshTest, EveryTruncationIsRefused) {
    const std::string text = WriteXFileText(TwoMaterialScene());
    const size_t frame = text.find("Frame Root");
    const size_t lastBrace = text.rfind('}');
    for (size_t length = 0; length <= lastBrace; ++length) {
        SCOPED_TRACE(length);
        if (length > frame)
            ExpectRefused(text.substr(0, length));
        else
            ExpectRefused(text.substr(0, length), {D3DXERR_INVALIDDATA, D3DXERR_LOADEDMESHHASNODATA});
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace xfile_mesh_test
