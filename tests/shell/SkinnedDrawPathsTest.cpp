// One four-bone mesh drawn by every skinning path of the device: the
// four-weight skinning shader, indexed blending, non-indexed blending and
// software processing on a mixed device, each against the mesh skinned on
// the CPU and drawn plain. Bones turn by quarter turns and move by whole
// units and weights are powers of two, so every path computes the same
// numbers exactly and the pictures agree pixel for pixel.
#include <vector>

#include "support/SceneDevice.h"
#include "support/SkinningContract.h"

namespace {

constexpr int kGrid = 5;  // vertices a side
constexpr int kBones = 4;

// Slot j of a vertex: bone `bones[j]` with weight `weights[j]` (the last
// weight is what the others leave).
using SkinVertex = skinning_contract::Vertex;

// The same vertex for non-indexed blending: weights by bone number.
struct BlendVertex {
    float x, y, z;
    float weights[3];
    float u, v;
};

struct PlainVertex {
    float x, y, z;
    float u, v;
};

using skinning_contract::QuarterTurn;

const D3DXMATRIX kBoneMatrices[kBones] = {QuarterTurn(0, 0, 0), QuarterTurn(1, 1, 0), QuarterTurn(0, 0, -1),
                                          QuarterTurn(2, 1, 1)};

// Halves x and y and maps z 0 to depth 0.5: all exact.
D3DXMATRIX Projection() {
    D3DXMATRIX p;
    D3DXMatrixScaling(&p, 0.5f, 0.5f, 0.5f);
    p._43 = 0.5f;
    return p;
}

// The world moves the mesh by a whole unit; the bones' offsets are in the
// bone matrices already.
D3DXMATRIX World() {
    D3DXMATRIX w;
    D3DXMatrixTranslation(&w, -1.0f, 0.0f, 0.0f);
    return w;
}

// Weights per bone of each of a few patterns, all powers of two.
const float kPatterns[][kBones] = {{1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {0.25f, 0.25f, 0.5f, 0}, {0.25f, 0.25f, 0.25f, 0.25f},
                                   {0, 0.5f, 0.25f, 0.25f}, {0, 0, 0.5f, 0.5f}, {0.125f, 0.375f, 0.25f, 0.25f}};

struct Mesh {
    std::vector<SkinVertex> skin;
    std::vector<BlendVertex> blend;
    std::vector<PlainVertex> plain;  // skinned on the CPU
    std::vector<WORD> indices;
};

Mesh BuildMesh() {
    Mesh mesh;
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i) {
            const int n = j * kGrid + i;
            const float x = float(i) - 2.0f, y = float(j) - 2.0f, u = float(i) / 4.0f, v = float(j) / 4.0f;
            const float* perBone = kPatterns[n % std::size(kPatterns)];
            // Slot order differs from bone order, and by vertex.
            const uint8_t order[4] = {uint8_t((n + 2) % 4), uint8_t(n % 4), uint8_t((n + 3) % 4), uint8_t((n + 1) % 4)};
            SkinVertex s{x, y, 0, {}, {order[0], order[1], order[2], order[3]}, u, v};
            for (int k = 0; k < 3; ++k) s.weights[k] = perBone[order[k]];
            mesh.skin.push_back(s);
            mesh.blend.push_back(BlendVertex{x, y, 0, {perBone[0], perBone[1], perBone[2]}, u, v});
            float skinned[3] = {};
            for (int b = 0; b < kBones; ++b) {
                const D3DXMATRIX& m = kBoneMatrices[b];
                for (int c = 0; c < 3; ++c) skinned[c] += perBone[b] * (x * m.m[0][c] + y * m.m[1][c] + m.m[3][c]);
            }
            mesh.plain.push_back(PlainVertex{skinned[0], skinned[1], skinned[2], u, v});
        }
    for (int j = 0; j + 1 < kGrid; ++j)
        for (int i = 0; i + 1 < kGrid; ++i) {
            const WORD a = WORD(j * kGrid + i), b = WORD(a + 1), c = WORD(a + kGrid), d = WORD(c + 1);
            mesh.indices.insert(mesh.indices.end(), {a, b, c, c, b, d});
        }
    return mesh;
}

class SkinnedDrawPaths : public SceneDevice {
protected:
    void SetUp() override {
        SceneDevice::SetUp();
        // Indexed blending in hardware needs an index limit; the mixed device
        // switches to software on request.
        MakeDevice(D3DCREATE_MIXED_VERTEXPROCESSING, [](D3DCAPS9& caps) { caps.MaxVertexBlendMatrixIndex = 11; });
        mesh_ = BuildMesh();
        std::vector<D3DCOLOR> texels;
        for (int t = 0; t < 16; ++t) texels.push_back(0xFF202020u + D3DCOLOR(t * 0x0C0B07u));
        device_->SetTexture(0, Texture(4, 4, {texels}));
        SetMatrix(D3DTS_VIEW, *D3DXMatrixIdentity(&identity_));
        SetMatrix(D3DTS_PROJECTION, Projection());
    }

    void TearDown() override {
        device_->SetTexture(0, nullptr);
        device_->SetStreamSource(0, nullptr, 0, 0);
        device_->SetIndices(nullptr);
        device_->SetVertexShader(nullptr);
        device_->SetVertexDeclaration(nullptr);
        SceneDevice::TearDown();
    }

    template <class Vertex>
    lumiva::d3d9::Image Draw(const std::vector<Vertex>& vertices, DWORD usage = 0) {
        Clear();
        device_->SetStreamSource(0, Vertices(vertices, usage), 0, sizeof(Vertex));
        device_->SetIndices(Indices(mesh_.indices, usage));
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(vertices.size()), 0,
                                                UINT(mesh_.indices.size() / 3)),
                  D3D_OK);
        return BackBuffer();
    }

    void SetBlendMatrices() {
        for (int b = 0; b < kBones; ++b) SetMatrix(D3DTS_WORLDMATRIX(b), kBoneMatrices[b] * World());
    }

    Mesh mesh_;
    D3DXMATRIX identity_;
};

TEST_F(SkinnedDrawPaths, EveryPathDrawsTheCpuSkinnedMesh) {
    // Reference: skinned here, drawn with the world alone.
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    SetMatrix(D3DTS_WORLD, World());
    const lumiva::d3d9::Image reference = Draw(mesh_.plain);
    int lit = 0;
    for (D3DCOLOR c : reference.pixels) lit += (c & 0xFFFFFF) != 0;
    ASSERT_GT(lit, 250);  // the mesh covers a good part of the target

    // The four-weight shader with the wrapper's register contract.
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(device_->CreateVertexShader(skinning_contract::Tokens(4).data(), &shader), D3D_OK);
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(skinning_contract::kElements, &declaration), D3D_OK);
    const std::vector<float> constants =
        skinning_contract::Constants(World() * identity_ * Projection(), kBoneMatrices, kBones);
    ASSERT_EQ(device_->SetVertexShaderConstantF(0, constants.data(), UINT(constants.size() / 4)), D3D_OK);
    device_->SetVertexDeclaration(declaration);
    device_->SetVertexShader(shader);
    EXPECT_EQ(Draw(mesh_.skin).pixels, reference.pixels) << "shader";
    device_->SetVertexShader(nullptr);
    device_->SetVertexDeclaration(nullptr);
    declaration->Release();
    shader->Release();

    // Indexed blending: the slots name their bones.
    SetBlendMatrices();
    device_->SetFVF(D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX1);
    device_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_3WEIGHTS);
    device_->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
    EXPECT_EQ(Draw(mesh_.skin).pixels, reference.pixels) << "indexed blending";

    // Non-indexed blending: weight i goes to world matrix i.
    device_->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    device_->SetFVF(D3DFVF_XYZB3 | D3DFVF_TEX1);
    EXPECT_EQ(Draw(mesh_.blend).pixels, reference.pixels) << "blending";

    // Software processing, with buffers made for it.
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(TRUE), D3D_OK);
    EXPECT_EQ(Draw(mesh_.blend, D3DUSAGE_SOFTWAREPROCESSING).pixels, reference.pixels) << "software";
}

}  // namespace
