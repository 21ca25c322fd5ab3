// The vertex-shader stage: inputs bound by their dcl usage, the address
// register, relative reads, output defaults and which oT a stage reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include <d3dx9.h>

#include "RasterTestKit.h"
#include "d3d9/raster/VertexProcessing.h"

namespace rastertest::vertex_shader_test {
namespace {

raster::VertexProgram Program(const char* text) {
    ID3DXBuffer* tokens = nullptr;
    raster::VertexProgram program;
    EXPECT_EQ(D3DXAssembleShader(text, UINT(std::strlen(text)), nullptr, nullptr, 0, &tokens, nullptr), D3D_OK)
        << text;
    if (!tokens) return program;
    size_t length = 0;
    EXPECT_TRUE(raster::DecodeVertexProgram(static_cast<const uint32_t*>(tokens->GetBufferPointer()),
                                            tokens->GetBufferSize() / 4, program, length));
    tokens->Release();
    return program;
}

// Position (float4), one colour and a two-coordinate set.
struct Vtx {
    float x, y, z, w;
    uint32_t colour;
    float u, v;
};
const VertexElement kElements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                   {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                   {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                   {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};

// Runs a program on one vertex; `constants` registers from c0.
ClipVertex RunShader(const char* text, const Vtx& vertex, const std::vector<float>& constants = {},
               uint32_t constantCount = 96, const StateBlock* states = nullptr, int stages = 1) {
    const raster::VertexProgram program = Program(text);
    StateBlock defaults;
    SetDefaultStates(defaults);
    std::vector<float> file(256 * 4, 0.0f);
    std::copy(constants.begin(), constants.end(), file.begin());
    DrawCommand draw;
    draw.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(&vertex), sizeof vertex, sizeof vertex};
    draw.declaration = kElements;
    draw.states = states ? states : &defaults;
    draw.vertexProgram = &program;
    draw.shaderConstants = reinterpret_cast<const float(*)[4]>(file.data());
    draw.shaderConstantCount = constantCount;
    raster::VertexSetup setup;
    ClipVertex out;
    EXPECT_TRUE(raster::BuildVertexSetup(draw, stages, setup));
    EXPECT_TRUE(raster::ProcessVertex(setup, 0, out));
    return out;
}

TEST(VertexShader, MovToTheAddressRegisterRoundsDown) {
    // c[i] = (i, 0, 0, 1): oPos.x shows which register a0.x + 4 reached.
    std::vector<float> constants;
    for (int i = 0; i < 12; ++i) constants.insert(constants.end(), {float(i), 0.0f, 0.0f, 1.0f});
    const char* text =
        "vs.1.1\n"
        "dcl_position v0\n"
        "mov a0.x, v0.x\n"
        "mov oPos, c[a0.x + 4]\n";
    const struct {
        float x;
        double reached;
    } cases[] = {{-2.4f, 1}, {1.6f, 5}, {0.0f, 4}, {-0.0001f, 3}, {3.0f, 7}, {-4.0f, 0}};
    for (const auto& c : cases) EXPECT_EQ(RunShader(text, Vtx{c.x, 0, 0, 1, 0, 0, 0}, constants).pos[0], c.reached) << c.x;
}

// vs_1_1's lit, dst, exp, expp, log and logp as Direct3D 9 documents them:
// lit clamps its power to +-127.9961 and needs positive dot products; the
// scalar ones read the last component of the swizzle; expp and logp give
// their z at partial precision (the mantissa's lowest eight bits dropped).
TEST(VertexShader, Vs11InstructionsGiveTheirDocumentedResults) {
    const struct {
        const char* instruction;
        std::vector<float> constants;  // c0, c1
        double expected[4];
        bool exact;  // else within 1e-5 of it
    } cases[] = {
        {"lit r0, c0", {0.5f, 0.25f, 9, 2}, {1, 0.5, 0.0625, 1}, true},
        {"lit r0, c0", {-0.5f, 0.8f, 9, 2}, {1, 0, 0, 1}, true},   // facing away: no y, no z
        {"lit r0, c0", {0.5f, -0.2f, 9, 2}, {1, 0.5, 0, 1}, true},  // no highlight
        {"lit r0, c0", {1, 0.99f, 9, 200}, {1, 1, 0.27626249, 1}, false},   // 0.99 ^ 127.9961, not ^ 200
        {"lit r0, c0", {1, 0.99f, 9, -200}, {1, 1, 3.6197457, 1}, false},   // 0.99 ^ -127.9961
        {"lit r0, c0.wzyx", {2, 9, 0.25f, 0.5f}, {1, 0.5, 0.0625, 1}, true},
        {"mov r1, c1\ndst r0, c0, r1", {9, 2, 3, 9, 9, 4, 9, 5}, {1, 8, 3, 5}, true},
        {"exp r0, c0", {9, 9, 9, 3}, {8, 8, 8, 8}, true},
        {"exp r0, c0.x", {2.5f, 9, 9, 9}, {5.656854, 5.656854, 5.656854, 5.656854}, false},
        {"expp r0, c0", {9, 9, 9, 2.5f}, {4, 0.5, 5.65673828125, 1}, true},
        {"expp r0, c0", {9, 9, 9, -1.5f}, {0.25, 0.5, 0.353546142578125, 1}, true},
        {"log r0, c0", {9, 9, 9, 8}, {3, 3, 3, 3}, true},
        {"log r0, c0", {9, 9, 9, -0.25f}, {-2, -2, -2, -2}, true},  // of the magnitude
        {"log r0, c0", {9, 9, 9, 0}, {-FLT_MAX, -FLT_MAX, -FLT_MAX, -FLT_MAX}, true},
        {"logp r0, c0", {9, 9, 9, -10}, {3, 1.25, 3.3218994140625, 1}, true},
        {"logp r0, c0", {9, 9, 9, 0}, {-FLT_MAX, 1, -FLT_MAX, 1}, true},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("vs.1.1\ndcl_position v0\n") + c.instruction + "\nmov oPos, r0\n";
        const ClipVertex out = RunShader(text.c_str(), Vtx{0, 0, 0, 1, 0, 0, 0}, c.constants);
        for (int k = 0; k < 4; ++k) {
            if (c.exact) EXPECT_EQ(out.pos[k], c.expected[k]) << c.instruction << " component " << k;
            else EXPECT_NEAR(out.pos[k], c.expected[k], 1e-5 * std::max(1.0, std::fabs(c.expected[k])))
                     << c.instruction << " component " << k;
        }
    }
}

// def c# gives the shader its own constant: it replaces what the draw set
// in that register, also for relative reads, and reaches past the draw's
// constant count; registers it does not define keep the draw's.
TEST(VertexShader, DefinedConstantsReplaceTheDrawsInTheirRegisters) {
    const char* text =
        "vs.1.1\n"
        "def c1, 0.25, 0.5, 0.75, 1\n"
        "dcl_position v0\n"
        "def c100, 16, 32, 64, 128\n"
        "mov a0.x, v0.x\n"
        "mov r0, c1\n"
        "add oPos, r0, c[a0.x + 2]\n";
    std::vector<float> constants(8 * 4, 0.0f);
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 4; ++k) constants[size_t(i) * 4 + size_t(k)] = float(i);  // c[i] = (i, i, i, i)
    const struct {
        float x;
        double expected[4];
    } cases[] = {
        {0, {2.25, 2.5, 2.75, 3}},                  // c1 defined, c2 the draw's
        {-1, {0.5, 1, 1.5, 2}},                     // c[a0.x + 2] = c1, defined
        {98, {16.25, 32.5, 64.75, 129}},            // c100 past the draw's 96
        {97, {0.25, 0.5, 0.75, 1}},                 // c99: past the count, not defined
    };
    for (const auto& c : cases) {
        const ClipVertex out = RunShader(text, Vtx{c.x, 0, 0, 1, 0, 0, 0}, constants);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(out.pos[k], c.expected[k]) << c.x << " component " << k;
    }
}

TEST(VertexShader, RelativeReadsOutsideTheConstantsReadZero) {
    std::vector<float> constants(256 * 4, 7.0f);
    const char* text =
        "vs.1.1\n"
        "dcl_position v0\n"
        "mov a0.x, v0.x\n"
        "mov oPos, c[a0.x + 2]\n";
    const struct {
        float x;
        uint32_t count;
        double expected;
    } cases[] = {{0, 96, 7}, {93, 96, 7}, {94, 96, 0}, {-2, 96, 7}, {-3, 96, 0}, {1e9f, 96, 0}, {200, 256, 7}};
    for (const auto& c : cases) {
        const ClipVertex out = RunShader(text, Vtx{c.x, 0, 0, 1, 0, 0, 0}, constants, c.count);
        for (double p : out.pos) EXPECT_EQ(p, c.expected) << c.x << " of " << c.count;
    }
}

TEST(VertexShader, MissingInputComponentsReadZeroZeroZeroOne) {
    // A two-coordinate set read whole, and a normal the vertex lacks.
    const Vtx vertex = {0, 0, 0, 1, 0, 0.25f, 0.5f};
    const ClipVertex set = RunShader("vs.1.1\ndcl_texcoord v1\nmov oPos, v1\n", vertex);
    EXPECT_EQ(set.pos[0], 0.25);
    EXPECT_EQ(set.pos[1], 0.5);
    EXPECT_EQ(set.pos[2], 0.0);
    EXPECT_EQ(set.pos[3], 1.0);
    const ClipVertex absent = RunShader("vs.1.1\ndcl_normal v3\nmov oPos, v3\n", vertex);
    EXPECT_EQ(absent.pos[0], 0.0);
    EXPECT_EQ(absent.pos[2], 0.0);
    EXPECT_EQ(absent.pos[3], 1.0);
}

TEST(VertexShader, ColourOutputsDefaultAndSaturate) {
    const Vtx vertex = {0, 0, 0, 1, 0x80402010, 0, 0};
    const ClipVertex unwritten = RunShader("vs.1.1\ndcl_position v0\nmov oPos, v0\n", vertex);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(unwritten.attr[kDiffuseR + c], 255.0f) << c;  // oD0 white
        EXPECT_EQ(unwritten.attr[kSpecularR + c], 0.0f) << c;   // oD1 black
    }
    // The colour input arrives as r, g, b, a in 0 to 1; outputs clamp.
    const ClipVertex written = RunShader(
        "vs.1.1\ndcl_position v0\ndcl_color v2\nmov oPos, v0\nmov oD0, v2\nadd oD1, v2, v2.wwww\nmov oD1.x, -v2\n",
        vertex);
    EXPECT_FLOAT_EQ(written.attr[kDiffuseR + 0], 64.0f);
    EXPECT_FLOAT_EQ(written.attr[kDiffuseR + 3], 128.0f);
    EXPECT_EQ(written.attr[kSpecularR + 0], 0.0f);    // -0.25 clamps up
    EXPECT_EQ(written.attr[kSpecularR + 3], 255.0f);  // 1.004 clamps down
}

TEST(VertexShader, EachStageReadsTheOutputItsIndexNames) {
    const char* text =
        "vs.1.1\n"
        "dcl_position v0\n"
        "mov oPos, v0\n"
        "mov oT0, c0\n"
        "mov oT2, c2\n";
    const std::vector<float> constants = {0.125f, 0.25f, 0, 1, 0, 0, 0, 0, 0.5f, 0.75f, 0, 1};
    StateBlock states;
    SetDefaultStates(states);
    states.stage[0][D3DTSS_TEXCOORDINDEX] = 2;
    states.stage[1][D3DTSS_TEXCOORDINDEX] = 0;
    states.stage[2][D3DTSS_TEXCOORDINDEX] = 1;  // never written: (0, 0)
    // Texture transforms belong to the fixed pipeline.
    states.stage[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
    states.texture[0].m[0][0] = 4.0f;
    const ClipVertex out = RunShader(text, Vtx{0, 0, 0, 1, 0, 0, 0}, constants, 96, &states, 3);
    EXPECT_EQ(out.attr[kTexcoord0 + 0], 0.5f);
    EXPECT_EQ(out.attr[kTexcoord0 + 1], 0.75f);
    EXPECT_EQ(out.attr[kTexcoord0 + 2], 0.125f);
    EXPECT_EQ(out.attr[kTexcoord0 + 3], 0.25f);
    EXPECT_EQ(out.attr[kTexcoord0 + 4], 0.0f);
    EXPECT_EQ(out.attr[kTexcoord0 + 5], 0.0f);
}

TEST(VertexShader, ShaderPositionsAreClipSpaceAndGetClipped) {
    // The shader's oPos goes through the viewport as any transformed vertex:
    // no world, view or projection, and the near plane still clips.
    StateBlock s = States2D();
    s.world[0].m[3][0] = 100.0f;  // ignored
    const raster::VertexProgram program = Program("vs.1.1\ndcl_position v0\ndcl_color v1\nmov oPos, v0\nmov oD0, v1\n");
    const std::vector<Vtx> quad = {{-1, 1, 0.5f, 1, 0xFF336699, 0, 0},
                                   {1, 1, 0.5f, 1, 0xFF336699, 0, 0},
                                   {-1, 0, 0.5f, 1, 0xFF336699, 0, 0},
                                   {1, 0, -0.5f, 1, 0xFF336699, 0, 0}};  // behind the near plane
    Target t;
    DrawCommand d;
    d.primitiveType = D3DPT_TRIANGLESTRIP;
    d.primitiveCount = 2;
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(quad.data()), quad.size() * sizeof(Vtx), sizeof(Vtx)};
    d.declaration = kElements;
    d.target = t.view;
    d.states = &s;
    d.vertexProgram = &program;
    EXPECT_EQ(Draw(d), DrawResult::kDrawn);
    EXPECT_EQ(t.At(1, 1), 0xFF336699u);   // top half, first triangle
    EXPECT_EQ(t.At(14, 7), 0xFF000000u);  // where the clipped corner reached
    EXPECT_EQ(t.At(8, 12), 0xFF000000u);  // below y = 0
}

}  // namespace
}  // namespace rastertest::vertex_shader_test
