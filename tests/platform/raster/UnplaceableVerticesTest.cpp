// Vertices whose screen position is no number: corners at w = 0 inside the
// clip volume, and pre-transformed positions that are not finite. What they
// belong to is dropped whole; the rest of the draw goes on.
#include <limits>
#include <vector>

#include "support/SceneDevice.h"

namespace unplaceable_vertices_test {
namespace {

struct Vtx {
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr D3DCOLOR kGreen = 0xFF00FF00;

class UnplaceableVertices : public SceneDevice {
protected:
    void SetUp() override {
        SceneDevice::SetUp();
        MakeDevice();
        device_->SetFVF(kFvf);
    }
    // Clears to black, draws, and gives the back buffer's pixels.
    std::vector<D3DCOLOR> Draw(D3DPRIMITIVETYPE type, const std::vector<Vtx>& vertices, UINT count) {
        Clear();
        EXPECT_EQ(device_->DrawPrimitiveUP(type, count, vertices.data(), sizeof(Vtx)), D3D_OK);
        return BackBuffer().pixels;
    }
    static size_t Lit(const std::vector<D3DCOLOR>& pixels) {
        size_t lit = 0;
        for (D3DCOLOR p : pixels) lit += (p & 0xFFFFFFu) != 0;
        return lit;
    }
};

// A projection whose w is the vertex's z: a corner at z = 0 lies on every
// clip plane, inside the volume, and maps to no screen position at all.
D3DXMATRIX WIsZ() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._34 = 1.0f;
    m._44 = 0.0f;
    return m;
}

TEST_F(UnplaceableVertices, CornersAtWZeroAreDroppedAndTheRestDraws) {
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    SetMatrix(D3DTS_PROJECTION, WIsZ());
    struct SceneVtx {
        float x, y, z;
        D3DCOLOR color;
    };
    // The top-left quarter's triangle, at w = 1, drawn alone and after a
    // triangle, a line and a point with a corner at w = 0.
    const std::vector<SceneVtx> good = {{-1, 1, 1, kGreen}, {0, 1, 1, kGreen}, {-1, 0, 1, kGreen}};
    auto draw = [&](D3DPRIMITIVETYPE type, const std::vector<SceneVtx>& vertices, UINT count) {
        Clear();
        EXPECT_EQ(device_->DrawPrimitiveUP(type, count, vertices.data(), sizeof(SceneVtx)), D3D_OK);
        return BackBuffer().pixels;
    };
    const std::vector<D3DCOLOR> alone = draw(D3DPT_TRIANGLELIST, good, 1);
    ASSERT_EQ(alone[2 * kSize + 2] & 0xFFFFFFu, 0x00FF00u);
    std::vector<SceneVtx> list = {{0, 0, 0, kGreen}, {1, 0, 1, kGreen}, {0, -1, 1, kGreen}};
    list.insert(list.end(), good.begin(), good.end());
    EXPECT_EQ(draw(D3DPT_TRIANGLELIST, list, 2), alone);
    EXPECT_EQ(Lit(draw(D3DPT_LINELIST, {{0, 0, 0, kGreen}, {1, -1, 1, kGreen}}, 1)), 0u);
    EXPECT_EQ(Lit(draw(D3DPT_POINTLIST, {{0, 0, 0, kGreen}}, 1)), 0u);
}

TEST_F(UnplaceableVertices, PretransformedCornersThatAreNoNumbersDropTheirTriangleOnly) {
    const std::vector<Vtx> small = {{2, 2, 0, 1, kGreen}, {6, 2, 0, 1, kGreen}, {2, 6, 0, 1, kGreen}};
    const std::vector<D3DCOLOR> alone = Draw(D3DPT_TRIANGLELIST, small, 1);
    ASSERT_EQ(alone[3 * kSize + 3] & 0xFFFFFFu, 0x00FF00u);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        SCOPED_TRACE(bad);
        std::vector<Vtx> list = {{-1, -1, 0, 1, kGreen}, {bad, -1, 0, 1, kGreen}, {-1, 40, 0, 1, kGreen}};
        list.insert(list.end(), small.begin(), small.end());
        EXPECT_EQ(Draw(D3DPT_TRIANGLELIST, list, 2), alone);
    }
}

}  // namespace
}  // namespace unplaceable_vertices_test
