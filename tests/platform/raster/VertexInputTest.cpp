// Vertex input: FVF codes and declarations, strides, blending, transforms
// and index handling.
#include <gtest/gtest.h>

#include "RasterTestKit.h"
#include "d3d9/raster/VertexLayout.h"

namespace rastertest::vertex_input_test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

TEST(VertexInput, FvfSizes) {
    struct Case {
        uint32_t fvf;
        uint32_t size;
    } cases[] = {
        {0x144, 28},
        {0x142, 24},
        {0x44, 20},
        {0x102, 20},
        {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR, 24},
        {D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL, 12 + 8 + 4 + 12},
        {D3DFVF_XYZB2 | D3DFVF_LASTBETA_D3DCOLOR, 12 + 4 + 4},
        {D3DFVF_XYZB5, 12 + 20},
        {D3DFVF_XYZ | D3DFVF_TEX8, 12 + 64},
        {D3DFVF_XYZRHW | D3DFVF_TEX2 | (3u << 16) | (2u << 18), 16 + 4 + 16},  // 1 and 4 coordinates
        {D3DFVF_XYZ | D3DFVF_TEX1 | (1u << 16), 12 + 12},                         // 3 coordinates
        {D3DFVF_XYZW | D3DFVF_PSIZE, 20},
        {0, 0},                              // no position
        {D3DFVF_XYZ | 0xF00, 0},             // fifteen coordinate sets
    };
    for (const Case& c : cases) EXPECT_EQ(FvfVertexSize(c.fvf), c.size) << std::hex << c.fvf;
}

TEST(VertexInput, StrideAboveTheVertexSizeAndBelowIt) {
    struct Padded {
        ScreenVtx v;
        uint32_t padding[3];
    };
    std::vector<Padded> padded;
    for (const ScreenVtx& v : Quad(0, 0, 4, 4, 0xFF112233)) padded.push_back({v, {0xDEADBEEF, 0, 0}});
    StateBlock s = States2D();
    Target t;
    DrawCommand d;
    d.primitiveType = D3DPT_TRIANGLESTRIP;
    d.primitiveCount = 2;
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(padded.data()), padded.size() * sizeof(Padded),
                              sizeof(Padded)};
    d.fvf = kScreenFvf;
    d.target = t.view;
    d.states = &s;
    EXPECT_EQ(Draw(d), DrawResult::kDrawn);
    EXPECT_EQ(t.At(3, 3), 0xFF112233u);
    d.streams[0].stride = 24;  // below the 28 bytes of the format
    EXPECT_EQ(Draw(d), DrawResult::kInvalidLayout);
}

TEST(VertexInput, SingleCoordinateSetsAndSecondSets) {
    // Set 0 has one coordinate (u; v reads as 0), set 1 has two; stage 0 reads set 1.
    struct Vtx {
        float x, y, z, rhw;
        float u0;
        float u1, v1;
    };
    const Texture tex = Texture::Argb(2, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF});
    const std::vector<Vtx> v = {{0, 0, 0, 1, 0.75f, 0.75f, 0.75f},
                                {16, 0, 0, 1, 0.75f, 0.75f, 0.75f},
                                {0, 16, 0, 1, 0.75f, 0.75f, 0.75f}};
    for (uint32_t set : {0u, 1u}) {
        StateBlock s = States2D();
        s.stage[0][D3DTSS_TEXCOORDINDEX] = set;
        Target t;
        DrawUp(s, t.view, D3DFVF_XYZRHW | D3DFVF_TEX2 | (3u << 16), D3DPT_TRIANGLELIST, 1, v, &tex.view);
        EXPECT_EQ(t.At(1, 1), set == 0 ? 0xFF00FF00u : 0xFFFFFFFFu) << set;
    }
}

TEST(VertexInput, TransformsAndViewportPlaceAPoint) {
    StateBlock s = States2D();
    s.viewport = Viewport{4, 2, 8, 8, 0, 1};
    s.world[0].m[3][0] = 0.25f;  // translate x
    s.view.m[3][0] = 0.25f;
    struct Vtx {
        float x, y, z;
        uint32_t c;
    };
    Target t;
    // x: 0 -> 0.5 in clip space -> 4 + 1.5 * 4 = 10; y: 0 -> 2 + 4 = 6.
    DrawUp(s, t.view, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_POINTLIST, 1, std::vector<Vtx>{{0, 0, 0.5f, kWhite}});
    EXPECT_EQ(t.At(10, 6), kWhite);
    int drawn = 0;
    for (const std::string& row : t.Mask(kBlack)) drawn += int(std::count(row.begin(), row.end(), '#'));
    EXPECT_EQ(drawn, 1);
}

TEST(VertexInput, VertexBlendingWeighsWorldMatrices) {
    struct Vtx {
        float x, y, z;
        float weight;
        uint8_t indices[4];
        uint32_t c;
    };
    // Index bytes 2, 0, 3, 0: as UBYTE4 the first index is 2; as a D3DCOLOR
    // the first is the red byte (the third), 3.
    const std::vector<Vtx> v = {{0, 0, 0.5f, 0.5f, {2, 0, 3, 0}, kWhite}};
    const uint32_t ubyte4 = D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_DIFFUSE;
    const uint32_t colour = D3DFVF_XYZB2 | D3DFVF_LASTBETA_D3DCOLOR | D3DFVF_DIFFUSE;
    // Screen x = (clip x + 1) * 8.
    struct Case {
        uint32_t fvf, blend;
        bool indexed;
        int expectedX;
    } cases[] = {
        {ubyte4, D3DVBF_DISABLE, false, 12},   // world 0 only: x + 0.5
        {ubyte4, D3DVBF_DISABLE, true, 12},    // indices unused without blending
        {ubyte4, D3DVBF_1WEIGHTS, false, 10},  // half world 0, half world 1 (identity): x + 0.25
        {ubyte4, D3DVBF_1WEIGHTS, true, 6},    // half world 2 (x - 1), half world 0 (x + 0.5): x - 0.25
        {ubyte4, D3DVBF_0WEIGHTS, true, 0},    // all of world 2: x - 1
        {colour, D3DVBF_0WEIGHTS, true, 14},   // all of world 3: x + 0.75
        {colour, D3DVBF_1WEIGHTS, true, 13},   // half world 3, half world 0 (the green byte): x + 0.625
    };
    for (const Case& c : cases) {
        StateBlock s = States2D();
        s.world[0].m[3][0] = 0.5f;
        s.world[2].m[3][0] = -1.0f;
        s.world[3].m[3][0] = 0.75f;
        s.render[D3DRS_VERTEXBLEND] = c.blend;
        s.render[D3DRS_INDEXEDVERTEXBLENDENABLE] = c.indexed;
        Target t;
        DrawUp(s, t.view, c.fvf, D3DPT_POINTLIST, 1, v);
        EXPECT_EQ(t.At(c.expectedX, 8), kWhite) << std::hex << c.fvf << " blend " << c.blend << " indexed " << c.indexed;
    }
}

TEST(VertexInput, DeclarationAcrossTwoStreams) {
    const std::vector<float> positions = {0, 0, 0, 1, 8, 0, 0, 1, 0, 8, 0, 1};
    const std::vector<uint32_t> colours = {0, 0xFF445566, 0, 0xFF445566, 0, 0xFF445566};  // stride 8, offset 4
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                      {1, 4, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                      {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};
    StateBlock s = States2D();
    Target t;
    DrawCommand d;
    d.primitiveType = D3DPT_TRIANGLELIST;
    d.primitiveCount = 1;
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(positions.data()), positions.size() * 4, 16};
    d.streams[1] = StreamView{reinterpret_cast<const uint8_t*>(colours.data()), colours.size() * 4, 8};
    d.declaration = elements;
    d.target = t.view;
    d.states = &s;
    EXPECT_EQ(Draw(d), DrawResult::kDrawn);
    EXPECT_EQ(t.At(1, 1), 0xFF445566u);
    d.streams[1] = StreamView{};  // a stream the declaration reads is missing
    EXPECT_EQ(Draw(d), DrawResult::kInvalidLayout);
}

TEST(VertexInput, IndicesOutsideTheDataSkipTheirPrimitives) {
    const std::vector<PlainVtx> v = {{0, 0, 0, 1, kWhite}, {8, 0, 0, 1, kWhite}, {0, 8, 0, 1, kWhite},
                                     {8, 8, 0, 1, 0xFFFF0000}};
    // Triangle 0 reads vertex 70000 (beyond the data); triangle 1 is fine;
    // triangle 2 gets base -5 added to small indices in a second draw.
    const std::vector<uint32_t> indices = {0, 70000, 2, 1, 3, 2};
    StateBlock s = States2D();
    Target t;
    DrawCommand d;
    d.primitiveType = D3DPT_TRIANGLELIST;
    d.primitiveCount = 2;
    d.indexed = true;
    d.indices = IndexView{reinterpret_cast<const uint8_t*>(indices.data()), indices.size() * 4, 4};
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(v.data()), v.size() * sizeof(PlainVtx), sizeof(PlainVtx)};
    d.fvf = kPlainFvf;
    d.target = t.view;
    d.states = &s;
    EXPECT_EQ(Draw(d), DrawResult::kDrawn);
    EXPECT_EQ(t.At(1, 1), kBlack);
    EXPECT_NE(t.At(6, 6), kBlack);  // the second triangle
    Target t2;
    d.target = t2.view;
    d.baseVertexIndex = -5;
    d.startIndex = 3;
    d.primitiveCount = 1;
    EXPECT_EQ(Draw(d), DrawResult::kDrawn);
    EXPECT_EQ(t2.Mask(kBlack), std::vector<std::string>(16, std::string(16, '.')));
    d.primitiveCount = 1000;  // more than the index data holds
    d.baseVertexIndex = 0;
    EXPECT_EQ(Draw(d), DrawResult::kDrawn);
}

}  // namespace
}  // namespace rastertest::vertex_input_test

namespace rastertest::vertex_input_test {
namespace {

TEST(VertexInput, CameraSpacePositionGeneratesCoordinates) {
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    const Texture tex = Texture::Argb(2, 1, {red, blue});
    StateBlock s = States2D();
    s.stage[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACEPOSITION;
    s.stage[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
    s.sampler[0][D3DSAMP_ADDRESSU] = s.sampler[0][D3DSAMP_ADDRESSV] = D3DTADDRESS_CLAMP;
    struct Vtx {
        float x, y, z;
    };
    // u is the camera-space x: texel 1 from x = 0.5, which is screen column 12.
    Target t;
    DrawUp(s, t.view, D3DFVF_XYZ, D3DPT_TRIANGLELIST, 1,
           std::vector<Vtx>{{-1, 1, 0.5f}, {3, 1, 0.5f}, {-1, -3, 0.5f}}, &tex.view);
    EXPECT_EQ(t.At(11, 4), red);
    EXPECT_EQ(t.At(12, 4), blue);
}

TEST(VertexInput, TextureTransformOfTwoCoordinatesTakesTheThirdRow) {
    // (u, v) enters the matrix as (u, v, 1, 0): the translation of a 2D
    // transform sits in the third row.
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    const Texture tex = Texture::Argb(2, 1, {red, blue});
    StateBlock s = States2D();
    s.stage[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
    s.texture[0].m[2][0] = 0.5f;
    s.texture[0].m[3][0] = 100.0f;  // the fourth row is not reached
    struct Vtx {
        float x, y, z;
        float u, v;
    };
    Target t;
    DrawUp(s, t.view, D3DFVF_XYZ | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
           std::vector<Vtx>{{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}},
           &tex.view);
    EXPECT_EQ(t.At(1, 4), blue);   // u 0.06 + 0.5
    EXPECT_EQ(t.At(9, 4), red);    // u 0.56 + 0.5 wraps to 0.06
}

}  // namespace
}  // namespace rastertest::vertex_input_test
