// D3DXAssembleShader: vs.1.1 text to the platform's tokens, and the texts it
// refuses with a line-numbered error.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "d3dx9.h"

namespace {

struct Assembled {
    HRESULT result = E_FAIL;
    std::vector<DWORD> tokens;
    std::string errors;
};

Assembled Assemble(const std::string& text, const D3DXMACRO* defines = nullptr) {
    Assembled out;
    ID3DXBuffer* tokens = nullptr;
    ID3DXBuffer* errors = nullptr;
    out.result = D3DXAssembleShader(text.c_str(), UINT(text.size()), defines, nullptr, 0, &tokens, &errors);
    if (tokens) {
        const DWORD* words = static_cast<const DWORD*>(tokens->GetBufferPointer());
        out.tokens.assign(words, words + tokens->GetBufferSize() / sizeof(DWORD));
        tokens->Release();
    }
    if (errors) {
        out.errors = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    return out;
}

// Every operand form the skinning shaders use, in one program.
const char kProgram[] =
    "vs.1.1\n"
    "dcl_position v0\n"
    "dcl_texcoord1 v3\n"
    "mov a0.x, v0.x\n"
    "m4x3 r0.xyz, v0, c[a0.x + 5]\n"
    "mad oPos, -r0.xyzz, c1.w, v3\n";

const std::vector<DWORD> kTokens = {
    0xFFFE0101,                          // vs.1.1
    0x0000001F, 0x80000000, 0x900F0000,  // dcl_position v0
    0x0000001F, 0x80010005, 0x900F0003,  // dcl_texcoord1 v3
    0x00000001, 0xB0010000, 0x90000000,  // mov a0.x, v0.xxxx
    0x00000015, 0x80070000, 0x90E40000, 0xA0E42005,  // m4x3 r0.xyz, v0, c[a0.x + 5]
    0x00000004, 0xC00F0000, 0x81A40000, 0xA0FF0001, 0x90E40003,  // mad oPos, -r0.xyzz, c1.wwww, v3
    0x0000FFFF};

TEST(ShaderAssembler, WritesTheTokensOfEachOperandForm) {
    const Assembled a = Assemble(kProgram);
    ASSERT_EQ(a.result, D3D_OK) << a.errors;
    EXPECT_EQ(a.tokens, kTokens);
    EXPECT_TRUE(a.errors.empty());
    EXPECT_EQ(D3DXGetShaderVersion(a.tokens.data()), D3DVS_VERSION(1, 1));
    EXPECT_EQ(D3DXGetShaderSize(a.tokens.data()), kTokens.size() * sizeof(DWORD));
    // A comment is stepped over whole, end token and all.
    std::vector<DWORD> commented = kTokens;
    const DWORD comment[] = {D3DSHADER_COMMENT(2), 0x0000FFFF, 0};
    commented.insert(commented.begin() + 1, std::begin(comment), std::end(comment));
    EXPECT_EQ(D3DXGetShaderSize(commented.data()), commented.size() * sizeof(DWORD));
}

// vs_1_1's def and its remaining instructions: def writes its four floats'
// bits and takes no slot; exp, expp, log and logp read one component.
TEST(ShaderAssembler, WritesDefAndTheRestOfVs11) {
    const Assembled a = Assemble(
        "vs.1.1\n"
        "def c2, 1.5, -2, 0.25, 1e3\n"
        "dcl_position v0\n"
        "exp r0, v0.x\n"
        "expp r1, v0.y\n"
        "log r2, v0\n"
        "logp r3, v0\n"
        "lit r4, v0\n"
        "dst r5, v0, r4\n"
        "mov r6.x, r5\n"
        "lit r6.x, r7\n"  // x is always 1: nothing is read
        "mov oPos, v0\n");
    ASSERT_EQ(a.result, D3D_OK) << a.errors;
    const std::vector<DWORD> expected = {
        0xFFFE0101,
        0x00000051, 0xA00F0002, 0x3FC00000, 0xC0000000, 0x3E800000, 0x447A0000,  // def c2
        0x0000001F, 0x80000000, 0x900F0000,                                      // dcl_position v0
        0x0000000E, 0x800F0000, 0x90000000,                                      // exp r0, v0.xxxx
        0x0000004E, 0x800F0001, 0x90550000,                                      // expp r1, v0.yyyy
        0x0000000F, 0x800F0002, 0x90E40000,                                      // log r2, v0
        0x0000004F, 0x800F0003, 0x90E40000,                                      // logp r3, v0
        0x00000010, 0x800F0004, 0x90E40000,                                      // lit r4, v0
        0x00000011, 0x800F0005, 0x90E40000, 0x80E40004,                          // dst r5, v0, r4
        0x00000001, 0x80010006, 0x80E40005,                                      // mov r6.x, r5
        0x00000010, 0x80010006, 0x80E40007,                                      // lit r6.x, r7
        0x00000001, 0xC00F0000, 0x90E40000,                                      // mov oPos, v0
        0x0000FFFF};
    EXPECT_EQ(a.tokens, expected);
    // A def's value may hold the end token's bits: the size steps over them.
    std::vector<DWORD> endInValue = expected;
    endInValue[5] = 0x0000FFFF;
    EXPECT_EQ(D3DXGetShaderSize(endInValue.data()), expected.size() * sizeof(DWORD));
    // The definitions take no instruction slot: 128 instructions still fit.
    std::string full = "vs.1.1\ndcl_position v0\n";
    for (int i = 0; i < 4; ++i) full += "def c" + std::to_string(i) + ", 0, 0, 0, 0\n";
    for (int i = 0; i < 127; ++i) full += "mov r0, v0\n";
    EXPECT_EQ(Assemble(full + "mov oPos, v0\n").result, D3D_OK);
}

TEST(ShaderAssembler, CommentsCaseSpacingAndDefinesDoNotChangeTheTokens) {
    const std::string text =
        "; the same program\n"
        "  VS_1_1   // underscore form\n"
        "\n"
        "dcl_position v0 /* a block\n"
        "   comment over lines */\n"
        "DCL_TEXCOORD1 V3\n"
        "MOV A0.X, V0.X\n"
        "m4x3 r0.xyz , v0 , c[ 5 + a0.x ]\r\n"
        "mad\toPos, -r0.rgbb, c1.a, TEXCOORD\n";
    const D3DXMACRO defines[] = {{"TEXCOORD", "v3"}, {nullptr, nullptr}};
    const Assembled a = Assemble(text, defines);
    ASSERT_EQ(a.result, D3D_OK) << a.errors;
    EXPECT_EQ(a.tokens, kTokens);
}

TEST(ShaderAssembler, RefusesBadTextsWithTheLineOfTheFault) {
    const std::string head = "vs.1.1\ndcl_position v0\n";
    const std::string tail = "mov oPos, v0\n";
    const struct {
        std::string text;
        const char* fault;  // expected at the start of the error text
    } cases[] = {
        {"dcl_position v0\nmov oPos, v0\n", "(1): error: the first line must be the version"},
        {"vs.2.0\n" + tail, "(1): error: the first line must be the version"},
        {"", "(1): error: no version line"},
        {head + "lrp r0, v0, v0, v0\n" + tail, "(3): error: unknown instruction 'lrp'"},
        {head + "def c0, 1, 2, 3\n" + tail, "(3): error: def takes a constant register and four numbers"},
        {head + "def r0, 1, 2, 3, 4\n" + tail, "(3): error: def names a constant register"},
        {head + "def c[a0.x], 1, 2, 3, 4\n" + tail, "(3): error: def names a constant register"},
        {head + "def c0, 1, 2, x, 4\n" + tail, "(3): error: bad number 'x' in def"},
        {head + "def c0, 1, 2, 1e99, 4\n" + tail, "(3): error: bad number '1e99' in def"},
        {head + "def c0, 1, 2, 3, 4,\n" + tail, "(3): error: def takes a constant register and four numbers"},
        {head + "lit r0, r1\n" + tail, "(3): error: r1 is read before it is written"},
        {head + "mov r1.xy, v0\nlit r0, r1\n" + tail, "(4): error: r1 is read before it is written"},
        {head + "mov r1.xyz, v0\ndst r0, v0, r1\n" + tail, "(4): error: r1 is read before it is written"},
        {head + "exp r0, r1.x\n" + tail, "(3): error: r1 is read before it is written"},
        {head + "mov r0\n" + tail, "(3): error: expected 2 operands, found 1"},
        {head + "mov r12, v0\n" + tail, "(3): error: unknown register 'r12'"},
        {head + "mov r0, c256\n" + tail, "(3): error: unknown register 'c256'"},
        {head + "mov oT8, v0\n" + tail, "(3): error: unknown register 'ot8'"},
        {head + "mov r0.yx, v0\n" + tail, "(3): error: bad write mask .yx"},
        {head + "mov r0.xx, v0\n" + tail, "(3): error: bad write mask .xx"},
        {head + "mov r0, v0.xq\n" + tail, "(3): error: bad swizzle .xq"},
        {head + "mov v0, v0\n" + tail, "(3): error: v0 cannot be written"},
        {head + "mov c0, v0\n" + tail, "(3): error: c0 cannot be written"},
        {head + "mov r0, oPos\n" + tail, "(3): error: oPos cannot be read"},
        {head + "mov a0.y, v0.x\n" + tail, "(3): error: a0 takes only .x"},
        {head + "add a0.x, v0.x, v0.x\n" + tail, "(3): error: only mov writes a0"},
        {head + "mov r0, -a0.x\n" + tail, "(3): error: a0 cannot be read"},
        {head + "mov r0, c[a0.x - 1]\n" + tail, "(3): error: bad relative address"},
        {head + "mov r0, c[a0.y + 1]\n" + tail, "(3): error: bad constant"},
        {head + "mov r0, c[a0.x + 1]\n" + tail, "(3): error: a0 is used before it is written"},
        {head + "mov r0, v1\n" + tail, "(3): error: v1 is read but not declared"},
        {head + "mov r0.xy, v0\nmov r1, r0\n" + tail, "(4): error: r0 is read before it is written"},
        {head + "mov r0.xy, v0\nmov r1.xy, r0\nmov r2, r0.zzzz\n" + tail, "(5): error: r0 is read before"},
        {head + "add r0, c0, c1\n" + tail, "(3): error: an instruction reads one constant register"},
        {head + "m4x3 r0.xyzw, v0, c0\n" + tail, "(3): error: m4x3 writes exactly .xyz"},
        {head + "m4x4 oPos, v0, c0.x\n", "(3): error: the matrix of m4x4 takes no modifier"},
        {head + tail + "dcl_normal v1\n", "(4): error: declarations must come before the instructions"},
        {head + "dcl_normal v0\n" + tail, "(3): error: v0 is declared twice"},
        {head + "dcl_position v1\n" + tail, "(3): error: dcl_position is declared twice"},
        {head + "dcl_colour v1\n" + tail, "(3): error: unknown usage dcl_colour"},
        {head + "dcl_texcoord16 v1\n" + tail, "(3): error: usage index out of range"},
        {head + "dcl_position c1\n" + tail, "(3): error: dcl names an input register"},
        {head + "mov r0, v0\n", "(3): error: oPos is never written"},
        {head + "/* open\n" + tail, "(3): error: comment not closed"},
        {"#define X v0\n" + head + tail, "(1): error: preprocessor lines are not supported"},
    };
    for (const auto& c : cases) {
        const Assembled a = Assemble(c.text);
        EXPECT_EQ(a.result, D3DXERR_INVALIDDATA) << c.text;
        EXPECT_TRUE(a.tokens.empty()) << c.text;
        EXPECT_EQ(a.errors.rfind(c.fault, 0), 0u) << c.text << "gave: " << a.errors;
    }
}

TEST(ShaderAssembler, ReportsEveryFaultAndCountsInstructions) {
    const Assembled a = Assemble("vs.1.1\nfoo\nmov r0, v9\nmov oPos, c0\n");
    EXPECT_EQ(a.errors, "(2): error: unknown instruction 'foo'\n(3): error: v9 is read but not declared\n");
    std::string longest = "vs.1.1\n";
    for (int i = 0; i < 128; ++i) longest += "mov oPos, c0\n";
    EXPECT_EQ(Assemble(longest).result, D3D_OK);
    EXPECT_EQ(Assemble(longest + "mov oPos, c0\n").errors, "(130): error: more than 128 instructions\n");
}

TEST(ShaderAssembler, RefusesMissingArguments) {
    ID3DXBuffer* tokens = reinterpret_cast<ID3DXBuffer*>(1);
    EXPECT_EQ(D3DXAssembleShader(nullptr, 4, nullptr, nullptr, 0, &tokens, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(tokens, nullptr);
    EXPECT_EQ(D3DXAssembleShader(kProgram, UINT(std::strlen(kProgram)), nullptr, nullptr, 0, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    // The length bounds the text: cut before the last line, oPos is never written.
    const UINT cut = UINT(std::strstr(kProgram, "mad") - kProgram);
    EXPECT_EQ(D3DXAssembleShader(kProgram, cut, nullptr, nullptr, 0, &tokens, nullptr), D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXGetShaderSize(nullptr), 0u);
    EXPECT_EQ(D3DXGetShaderVersion(nullptr), 0u);
}

}  // namespace
