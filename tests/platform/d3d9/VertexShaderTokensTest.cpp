// CreateVertexShader decodes the tokens once and refuses streams that break
// the vs.1.x rules; a comment may hold any word, the end token included.
#include <cstring>
#include <vector>

#include "DeviceFixture.h"
#include "d3d9/raster/ShaderProgram.h"

namespace {

// vs.1.1; dcl_position v0; dcl_texcoord1 v3; mov a0.x, v0.x;
// m4x3 r0.xyz, v0, c[a0.x + 5]; mad oPos, -r0.xyzz, c1.w, v3
const std::vector<DWORD> kValid = {
    0xFFFE0101, 0x0000001F, 0x80000000, 0x900F0000, 0x0000001F, 0x80010005, 0x900F0003,
    0x00000001, 0xB0010000, 0x90000000, 0x00000015, 0x80070000, 0x90E40000, 0xA0E42005,
    0x00000004, 0xC00F0000, 0x81A40000, 0xA0FF0001, 0x90E40003, 0x0000FFFF};
// Where each instruction's tokens start.
constexpr size_t kMov = 7, kM4x3 = 10, kMad = 14;

class VertexShaderTokens : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
    }
    HRESULT Create(const std::vector<DWORD>& tokens) {
        IDirect3DVertexShader9* shader = nullptr;
        const HRESULT hr = device_->CreateVertexShader(tokens.data(), &shader);
        EXPECT_EQ(SUCCEEDED(hr), shader != nullptr);
        if (shader) shader->Release();
        return hr;
    }
};

TEST_F(VertexShaderTokens, RefusesStreamsThatBreakTheRules) {
    ASSERT_EQ(Create(kValid), D3D_OK);
    const struct {
        const char* name;
        size_t at;
        DWORD value;
    } cases[] = {
        {"vs 2.0", 0, 0xFFFE0200},
        {"pixel shader version", 0, 0xFFFF0101},
        {"unsupported instruction", kMov, D3DSIO_LRP},
        {"wrong instruction length", kMov, 0x03000001},
        {"instruction controls", kMov, 0x00010001},
        {"parameter without its high bit", kMov + 1, 0x30010000},
        {"a0 written beyond x", kMov + 1, 0xB0030000},
        {"empty write mask", kM4x3 + 1, 0x80000000},
        {"temporary past r11", kM4x3 + 1, 0x8007000C},
        {"matrix rows swizzled", kM4x3 + 3, 0xA0002005},
        {"saturated destination", kMad + 1, 0xC01F0000},
        {"position never written", kMad + 1, 0x800F0001},
        {"relative temporary", kMad + 2, 0x81A42000},
        {"unknown source modifier", kMad + 2, 0x8BA40000},
        {"unwritten temporary component", kMad + 2, 0x81FF0000},
        {"second constant", kMad + 4, 0xA0E40002},
        {"undeclared input", kMad + 4, 0x90E40004},
        {"constant written", kMad + 1, 0xA00F0000},
        {"input declared twice", 6, 0x900F0000},
        {"relative read before a0 is set", kMov + 1, 0x80010001},
    };
    for (const auto& c : cases) {
        std::vector<DWORD> tokens = kValid;
        tokens[c.at] = c.value;
        EXPECT_EQ(Create(tokens), D3DERR_INVALIDCALL) << c.name;
    }
    // The exact length in the length field is allowed.
    std::vector<DWORD> counted = kValid;
    counted[kMov] = 0x02000001;
    EXPECT_EQ(Create(counted), D3D_OK);
    EXPECT_EQ(device_->CreateVertexShader(nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(VertexShaderTokens, DeclarationsComeFirstAndOnce) {
    // mov r0, c0 ahead of the declarations.
    std::vector<DWORD> late = {0xFFFE0101, 0x00000001, 0x800F0000, 0xA0E40000};
    late.insert(late.end(), kValid.begin() + 1, kValid.end());
    EXPECT_EQ(Create(late), D3DERR_INVALIDCALL);
    // A usage given to two registers.
    std::vector<DWORD> twice = kValid;
    twice[5] = 0x80000000;
    EXPECT_EQ(Create(twice), D3DERR_INVALIDCALL);
}

TEST_F(VertexShaderTokens, CommentsAreSkippedWholeAndKeptInTheFunction) {
    std::vector<DWORD> commented = kValid;
    const DWORD comment[] = {D3DSHADER_COMMENT(2), 0x0000FFFF, 0x12345678};
    commented.insert(commented.begin() + 1, std::begin(comment), std::end(comment));
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(device_->CreateVertexShader(commented.data(), &shader), D3D_OK);
    UINT size = 0;
    ASSERT_EQ(shader->GetFunction(nullptr, &size), D3D_OK);
    EXPECT_EQ(size, commented.size() * sizeof(DWORD));
    std::vector<DWORD> function(commented.size());
    ASSERT_EQ(shader->GetFunction(function.data(), &size), D3D_OK);
    EXPECT_EQ(function, commented);
    shader->Release();

    // A comment or stream that runs past the words given is refused.
    raster::VertexProgram program;
    size_t length = 0;
    EXPECT_TRUE(raster::DecodeVertexProgram(commented.data(), commented.size(), program, length));
    EXPECT_EQ(length, commented.size());
    EXPECT_FALSE(raster::DecodeVertexProgram(commented.data(), commented.size() - 1, program, length));
    EXPECT_TRUE(program.code.empty());
    const DWORD runaway[] = {0xFFFE0101, D3DSHADER_COMMENT(5), 0, 0x0000FFFF};
    EXPECT_FALSE(raster::DecodeVertexProgram(runaway, std::size(runaway), program, length));
}

// def c#, x, y, z, w: a whole constant register and four floats, which
// the program keeps; the float words may hold any bits, the end token's too.
TEST_F(VertexShaderTokens, DefinitionsAreKeptWithTheirBits) {
    std::vector<DWORD> defined = kValid;
    const DWORD def[] = {D3DSIO_DEF, 0xA00F0007, 0x3F800000, 0x0000FFFF, 0xC0490FDB, 0x7F7FFFFF};
    defined.insert(defined.begin() + 1, std::begin(def), std::end(def));  // ahead of the declarations
    ASSERT_EQ(Create(defined), D3D_OK);
    raster::VertexProgram program;
    size_t length = 0;
    ASSERT_TRUE(raster::DecodeVertexProgram(defined.data(), defined.size(), program, length));
    EXPECT_EQ(length, defined.size());
    ASSERT_EQ(program.definitions.size(), 1u);
    EXPECT_EQ(program.definitions[0].index, 7);
    EXPECT_EQ(std::memcmp(program.definitions[0].value, &def[2], 16), 0);
    EXPECT_EQ(program.code.size(), 3u);  // a definition takes no instruction slot

    const struct {
        const char* name;
        size_t at;
        DWORD value;
    } cases[] = {
        {"part of the register", 2, 0xA0070007},
        {"a temporary", 2, 0x800F0007},
        {"relative", 2, 0xA00F2007},
        {"past c255", 2, 0xA00F0100},
        {"wrong length", 1, 0x04000051},
        {"controls", 1, 0x00010051},
    };
    for (const auto& c : cases) {
        std::vector<DWORD> tokens = defined;
        tokens[c.at] = c.value;
        EXPECT_EQ(Create(tokens), D3DERR_INVALIDCALL) << c.name;
    }
    // Cut short: the stream ends inside the values.
    const DWORD cut[] = {0xFFFE0101, D3DSIO_DEF, 0xA00F0000, 0, 0};
    EXPECT_FALSE(raster::DecodeVertexProgram(cut, std::size(cut), program, length));
}

TEST_F(VertexShaderTokens, VersionsAboveTheCapsAreRefused) {
    device_->Release();
    device_ = nullptr;
    lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
    adapter.halCaps.VertexShaderVersion = D3DVS_VERSION(1, 0);
    lumiva::d3d9::SetAdapters({adapter});
    CreateDevice();
    EXPECT_EQ(Create(kValid), D3DERR_INVALIDCALL);
    std::vector<DWORD> older = kValid;
    older[0] = D3DVS_VERSION(1, 0);
    EXPECT_EQ(Create(older), D3D_OK);
}

}  // namespace
