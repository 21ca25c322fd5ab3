// Pre-transformed vertices a caller computed from bad numbers: positions
// that are not numbers or endless. What they belong to is dropped whole; the
// rest of the draw goes on. Positions far out but finite are clipped.
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

const float kBadPositions[] = {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};

TEST_F(UnplaceableVertices, TrianglesWithACornerOffTheGridAreDroppedAndTheNextDraws) {
    const std::vector<Vtx> small = {{2, 2, 0, 1, kGreen}, {6, 2, 0, 1, kGreen}, {2, 6, 0, 1, kGreen}};
    const std::vector<D3DCOLOR> alone = Draw(D3DPT_TRIANGLELIST, small, 1);
    ASSERT_EQ(alone[3 * kSize + 3] & 0xFFFFFFu, 0x00FF00u);
    for (float bad : kBadPositions) {
        for (int axis = 0; axis < 2; ++axis) {
            SCOPED_TRACE(testing::Message() << bad << " axis " << axis);
            // A triangle over the whole target with one bad corner, then the
            // small one in the same list.
            std::vector<Vtx> list = {{-1, -1, 0, 1, kGreen}, {40, -1, 0, 1, kGreen}, {-1, 40, 0, 1, kGreen}};
            list.insert(list.end(), small.begin(), small.end());
            (axis ? list[1].y : list[1].x) = bad;
            EXPECT_EQ(Draw(D3DPT_TRIANGLELIST, list, 2), alone);
            // As a strip: the bad corner is in the first two triangles.
            const std::vector<Vtx> strip = {list[0], list[1], list[2], {40, 40, 0, 1, kGreen}};
            EXPECT_EQ(Lit(Draw(D3DPT_TRIANGLESTRIP, strip, 2)), 0u);
        }
    }
}

TEST_F(UnplaceableVertices, LinesAndPointsOffTheGridAreDropped) {
    const std::vector<Vtx> goodLine = {{1.5f, 4.5f, 0, 1, kGreen}, {4.5f, 4.5f, 0, 1, kGreen}};
    const std::vector<Vtx> goodPoint = {{5.5f, 5.5f, 0, 1, kGreen}};
    const std::vector<D3DCOLOR> lineAlone = Draw(D3DPT_LINELIST, goodLine, 1);
    const std::vector<D3DCOLOR> pointAlone = Draw(D3DPT_POINTLIST, goodPoint, 1);
    ASSERT_EQ(lineAlone[4 * kSize + 2] & 0xFFFFFFu, 0x00FF00u);
    ASSERT_EQ(pointAlone[5 * kSize + 5] & 0xFFFFFFu, 0x00FF00u);
    for (float bad : kBadPositions) {
        SCOPED_TRACE(bad);
        const std::vector<Vtx> lines = {{1.5f, 1.5f, 0, 1, kGreen}, {bad, 1.5f, 0, 1, kGreen}, goodLine[0],
                                        goodLine[1]};
        EXPECT_EQ(Draw(D3DPT_LINELIST, lines, 2), lineAlone);
        const std::vector<Vtx> points = {{bad, bad, 0, 1, kGreen}, goodPoint[0]};
        EXPECT_EQ(Draw(D3DPT_POINTLIST, points, 2), pointAlone);
    }
}

TEST_F(UnplaceableVertices, CornersFarOutButFiniteAreClippedAndDraw) {
    for (float far : {1e6f, 3e6f, 1e9f}) {
        const std::vector<Vtx> wide = {{-1, -1, 0, 1, kGreen}, {far, -1, 0, 1, kGreen}, {-1, far, 0, 1, kGreen}};
        EXPECT_EQ(Lit(Draw(D3DPT_TRIANGLELIST, wide, 1)), size_t(kSize) * kSize) << far;
    }
}

}  // namespace
}  // namespace unplaceable_vertices_test
