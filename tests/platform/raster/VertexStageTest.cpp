// The fixed-function vertex stage's short cuts against its general paths:
// one world matrix against the blend loop, plain float elements against the
// general element reader. Results must agree to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "RasterTestKit.h"
#include "d3d9/raster/VertexFetch.h"
#include "d3d9/raster/VertexProcessing.h"

namespace rastertest::vertex_stage_test {
namespace {

struct LitVtx {  // D3DFVF_XYZB1 | D3DFVF_NORMAL | D3DFVF_TEX1
    float x, y, z;
    float weight;
    float nx, ny, nz;
    float u, v;
};
constexpr uint32_t kLitFvf = D3DFVF_XYZB1 | D3DFVF_NORMAL | D3DFVF_TEX1;

// A turn about y, sheared a little so that no product of a transform is
// a zero that hides the order of its sums.
Matrix Turned(float yaw, float x, float y, float z) {
    Matrix m{};
    const float c = std::cos(yaw), s = std::sin(yaw);
    m.m[0][0] = c;
    m.m[0][1] = 0.2f;
    m.m[0][2] = -s;
    m.m[1][0] = -0.1f;
    m.m[1][1] = 1.3f;
    m.m[1][2] = 0.3f;
    m.m[2][1] = 0.15f;
    m.m[2][0] = s;
    m.m[2][2] = c;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    m.m[3][3] = 1;
    return m;
}

bool SameBits(const ClipVertex& a, const ClipVertex& b) {
    return std::memcmp(a.pos, b.pos, sizeof a.pos) == 0 && std::memcmp(a.attr, b.attr, sizeof a.attr) == 0;
}

// A lit, textured vertex through one world matrix equals the blend of two
// copies of that matrix weighted 1 and 0, over vertices of every side and
// with two lights, a point and a directional one. The second stage names a
// coordinate set the vertices lack and reads zeros.
TEST(VertexStage, OneWorldMatrixMatchesTheBlendLoop) {
    std::vector<LitVtx> vertices;
    for (int i = 0; i < 12; ++i) {
        const float a = 0.7f * float(i);
        vertices.push_back(LitVtx{std::cos(a) * 3.1f, std::sin(a) * 2.3f, 1.7f + 0.3f * float(i), 1.0f, std::cos(a),
                                  std::sin(a), -0.5f, 0.25f * float(i), 1.0f - 0.125f * float(i)});
    }
    D3DLIGHT9 lights[2]{};
    lights[0].Type = D3DLIGHT_DIRECTIONAL;
    lights[0].Diffuse = D3DCOLORVALUE{1.0f, 0.9f, 0.8f, 1.0f};
    lights[0].Direction = D3DVECTOR{0.3f, -0.5f, 1.0f};
    lights[1].Type = D3DLIGHT_POINT;
    lights[1].Diffuse = D3DCOLORVALUE{0.2f, 0.4f, 0.6f, 1.0f};
    lights[1].Ambient = D3DCOLORVALUE{0.1f, 0.1f, 0.1f, 1.0f};
    lights[1].Position = D3DVECTOR{1.0f, 2.0f, -3.0f};
    lights[1].Range = 100.0f;
    lights[1].Attenuation0 = 1.0f;
    lights[1].Attenuation1 = 0.05f;

    StateBlock s;
    SetDefaultStates(s);
    s.world[0] = s.world[1] = Turned(0.6f, 0.5f, -0.25f, 6.0f);
    s.view = Turned(-0.2f, 0.1f, 0.2f, 0.3f);
    s.projection.m[0][0] = 1.2f;
    s.projection.m[1][1] = 1.6f;
    s.projection.m[2][2] = 1.01f;
    s.projection.m[2][3] = 1.0f;
    s.projection.m[3][2] = -1.01f;
    s.projection.m[3][3] = 0.0f;
    s.lights = lights;
    s.lightCount = 2;
    s.material.Diffuse = D3DCOLORVALUE{0.9f, 0.8f, 0.7f, 0.6f};
    s.material.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
    s.render[D3DRS_LIGHTING] = TRUE;
    s.render[D3DRS_AMBIENT] = 0xFF303030;
    s.stage[1][D3DTSS_TEXCOORDINDEX] = 5;

    DrawCommand draw;
    draw.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(vertices.data()), vertices.size() * sizeof(LitVtx),
                                 sizeof(LitVtx)};
    draw.fvf = kLitFvf;
    draw.states = &s;
    for (uint32_t v = 0; v < vertices.size(); ++v) {
        SCOPED_TRACE(testing::Message() << "vertex " << v);
        VertexSetup once, loop;
        s.render[D3DRS_VERTEXBLEND] = D3DVBF_DISABLE;
        ASSERT_TRUE(BuildVertexSetup(draw, 2, once));
        s.render[D3DRS_VERTEXBLEND] = D3DVBF_1WEIGHTS;
        ASSERT_TRUE(BuildVertexSetup(draw, 2, loop));
        ClipVertex a, b;
        ASSERT_TRUE(ProcessVertex(once, v, a));
        ASSERT_TRUE(ProcessVertex(loop, v, b));
        for (double c : a.pos) ASSERT_NE(c, 0.0);  // no zero whose sign the loop's sums could change
        EXPECT_TRUE(SameBits(a, b));
        EXPECT_GT(a.attr[kDiffuseR], 0.0f);
        EXPECT_EQ(a.attr[kTexcoord0], vertices[v].u);
        EXPECT_EQ(a.attr[kTexcoord0 + 2], 0.0f);
        EXPECT_EQ(a.attr[kTexcoord0 + 3], 0.0f);

        // Camera-space position and normal too, which lighting rounds away.
        BlendTransforms transforms;
        transforms.Init(s, false);
        BlendInputs in{};
        std::memcpy(in.position, &vertices[v].x, 3 * sizeof(float));
        in.weights[0] = 1.0f;
        std::memcpy(in.normal, &vertices[v].nx, 3 * sizeof(float));
        TransformedVertex one, two;
        BlendVertex(transforms, 1, false, true, in, one);
        BlendVertex(transforms, 2, false, true, in, two);
        EXPECT_EQ(std::memcmp(one.clip, two.clip, sizeof one.clip), 0);
        EXPECT_EQ(std::memcmp(one.camera, two.camera, sizeof one.camera), 0);
        EXPECT_EQ(std::memcmp(one.normal, two.normal, sizeof one.normal), 0);
    }
}

// Plain float elements read as the general reader reads them, at the end
// of the stream and one byte past it, at every width.
TEST(VertexStage, FloatElementsReadAsTheGeneralReaderReadsThem) {
    const float data[6] = {1.5f, -2.0f, 3.25f, 4.0f, 5.0f, 6.0f};
    for (uint8_t type = D3DDECLTYPE_FLOAT1; type <= D3DDECLTYPE_FLOAT4; ++type) {
        const size_t bytes = 4 * size_t(type + 1);
        for (size_t size : {bytes + 4, bytes + 3}) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " stream of " << size << " bytes");
            const StreamView streams[kMaxStreams] = {
                StreamView{reinterpret_cast<const uint8_t*>(data), size, 4}};
            AttributeSlot slot;
            slot.present = true;
            slot.type = type;
            float quick[4] = {9, 9, 9, 9}, general[4] = {9, 9, 9, 9};
            const bool read = ReadElement(streams, slot, 1, quick);
            EXPECT_EQ(read, ReadConvertedElement(streams, slot, 1, general));
            EXPECT_EQ(read, size == bytes + 4);
            if (read) {
                EXPECT_EQ(std::memcmp(quick, general, sizeof quick), 0);
            }
        }
    }
    const StreamView none[kMaxStreams] = {};
    AttributeSlot slot;
    slot.present = true;
    slot.type = D3DDECLTYPE_FLOAT3;
    float out[4];
    EXPECT_FALSE(ReadElement(none, slot, 0, out));
}

}  // namespace
}  // namespace rastertest::vertex_stage_test
