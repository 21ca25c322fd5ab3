// Pipeline state: what a Set stores, a Get returns; defaults; refusals.
#include <algorithm>
#include <iterator>
#include <cstring>
#include <vector>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace {

class DeviceStatesTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
    }
    static D3DMATRIX Numbered(float base) {
        D3DMATRIX m;
        for (int i = 0; i < 16; ++i) (&m._11)[i] = base + static_cast<float>(i);
        return m;
    }
};

// Every render state the module sets, with a value other than its default.
TEST_F(DeviceStatesTest, RenderStatesRoundTrip) {
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
        {D3DRS_ZENABLE, D3DZB_FALSE}, {D3DRS_FILLMODE, D3DFILL_WIREFRAME}, {D3DRS_SHADEMODE, D3DSHADE_FLAT},
        {D3DRS_ZWRITEENABLE, FALSE}, {D3DRS_ALPHATESTENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_ZFUNC, D3DCMP_LESS},
        {D3DRS_ALPHAREF, 10}, {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL}, {D3DRS_DITHERENABLE, TRUE},
        {D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_FOGENABLE, TRUE}, {D3DRS_SPECULARENABLE, TRUE},
        {D3DRS_FOGTABLEMODE, D3DFOG_LINEAR}, {D3DRS_TEXTUREFACTOR, 0x80FF0000}, {D3DRS_CLIPPING, FALSE},
        {D3DRS_LIGHTING, FALSE}, {D3DRS_AMBIENT, 0x80808080}, {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR},
        {D3DRS_COLORVERTEX, FALSE}, {D3DRS_NORMALIZENORMALS, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL}, {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1}, {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_VERTEXBLEND, D3DVBF_0WEIGHTS}, {D3DRS_MULTISAMPLEANTIALIAS, FALSE},
        {D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE}, {D3DRS_COLORWRITEENABLE, 0x7}, {D3DRS_BLENDOP, D3DBLENDOP_MAX},
        {D3DRS_STENCILENABLE, TRUE}, {D3DRS_STENCILFUNC, D3DCMP_EQUAL}, {D3DRS_STENCILREF, 3},
        {D3DRS_SCISSORTESTENABLE, TRUE}, {D3DRS_BLENDOPALPHA, D3DBLENDOP_SUBTRACT},
    };
    for (const auto& [state, value] : states) {
        DWORD before = 0;
        ASSERT_EQ(device_->GetRenderState(state, &before), D3D_OK) << state;
        EXPECT_NE(before, value) << "test value equals the default of state " << state;
        ASSERT_EQ(device_->SetRenderState(state, value), D3D_OK) << state;
        DWORD after = 0;
        ASSERT_EQ(device_->GetRenderState(state, &after), D3D_OK);
        EXPECT_EQ(after, value) << state;
    }
}

TEST_F(DeviceStatesTest, DefaultsAreThePlatforms) {
    DWORD value;
    const std::pair<D3DRENDERSTATETYPE, DWORD> defaults[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},  // the device has an automatic depth buffer
        {D3DRS_CULLMODE, D3DCULL_CCW},     {D3DRS_LIGHTING, TRUE},          {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},  {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS}, {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
        {D3DRS_COLORWRITEENABLE, 0xF},     {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    };
    for (const auto& [state, expected] : defaults) {
        ASSERT_EQ(device_->GetRenderState(state, &value), D3D_OK);
        EXPECT_EQ(value, expected) << state;
    }
    device_->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
    device_->GetTextureStageState(1, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_DISABLE));
    device_->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_SELECTARG1));
    device_->GetTextureStageState(5, D3DTSS_TEXCOORDINDEX, &value);
    EXPECT_EQ(value, 5u);
    device_->GetSamplerState(3, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
    device_->GetSamplerState(3, D3DSAMP_MAGFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
    D3DVIEWPORT9 viewport;
    device_->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, kWidth);
    EXPECT_EQ(viewport.Height, kHeight);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
}

TEST_F(DeviceStatesTest, StageAndSamplerStatesRoundTripOnEveryStage) {
    const D3DTEXTURESTAGESTATETYPE stageStates[] = {
        D3DTSS_COLOROP,  D3DTSS_COLORARG1, D3DTSS_COLORARG2,     D3DTSS_ALPHAOP,
        D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2, D3DTSS_TEXCOORDINDEX, D3DTSS_TEXTURETRANSFORMFLAGS,
        D3DTSS_RESULTARG, D3DTSS_CONSTANT};
    const D3DSAMPLERSTATETYPE samplerStates[] = {D3DSAMP_ADDRESSU,  D3DSAMP_ADDRESSV,  D3DSAMP_MAGFILTER,
                                                 D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER, D3DSAMP_BORDERCOLOR};
    for (DWORD stage = 0; stage < 8; ++stage) {
        for (D3DTEXTURESTAGESTATETYPE type : stageStates) {
            const DWORD value = 0x100 + stage * 16 + type;
            ASSERT_EQ(device_->SetTextureStageState(stage, type, value), D3D_OK);
            DWORD read = 0;
            ASSERT_EQ(device_->GetTextureStageState(stage, type, &read), D3D_OK);
            EXPECT_EQ(read, value);
        }
        for (D3DSAMPLERSTATETYPE type : samplerStates) {
            const DWORD value = 0x200 + stage * 16 + type;
            ASSERT_EQ(device_->SetSamplerState(stage, type, value), D3D_OK);
            DWORD read = 0;
            ASSERT_EQ(device_->GetSamplerState(stage, type, &read), D3D_OK);
            EXPECT_EQ(read, value);
        }
    }
}

TEST_F(DeviceStatesTest, OutOfRangeStatesAndStagesAreRefused) {
    DWORD value = 0;
    EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(0), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(210), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(100000), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetRenderState(D3DRS_LIGHTING, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetTextureStageState(0, D3DTSS_COLOROP, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetSamplerState(16, D3DSAMP_MAGFILTER, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(14), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetSamplerState(0, D3DSAMP_MAGFILTER, nullptr), D3DERR_INVALIDCALL);
    // Refused sets leave the state as it was.
    device_->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
}

TEST_F(DeviceStatesTest, TransformsRoundTripPerSlot) {
    std::vector<D3DTRANSFORMSTATETYPE> slots = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD, D3DTS_WORLDMATRIX(255)};
    for (int i = 0; i < 8; ++i) slots.push_back(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + i));
    float base = 1.0f;
    for (D3DTRANSFORMSTATETYPE slot : slots) {
        const D3DMATRIX m = Numbered(base += 100.0f);
        ASSERT_EQ(device_->SetTransform(slot, &m), D3D_OK) << slot;
    }
    base = 1.0f;
    for (D3DTRANSFORMSTATETYPE slot : slots) {
        const D3DMATRIX expected = Numbered(base += 100.0f);
        D3DMATRIX read;
        ASSERT_EQ(device_->GetTransform(slot, &read), D3D_OK);
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << slot;
    }
    D3DMATRIX m = Numbered(0);
    EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTransform(D3DTS_WORLDMATRIX(256), &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(DeviceStatesTest, MultiplyTransformAppliesTheGivenMatrixFirst) {
    D3DMATRIX scale{};
    scale._11 = 2.0f;
    scale._22 = scale._33 = scale._44 = 1.0f;
    D3DMATRIX translate{};
    translate._11 = translate._22 = translate._33 = translate._44 = 1.0f;
    translate._41 = 5.0f;
    device_->SetTransform(D3DTS_WORLD, &translate);
    ASSERT_EQ(device_->MultiplyTransform(D3DTS_WORLD, &scale), D3D_OK);
    D3DMATRIX result;
    device_->GetTransform(D3DTS_WORLD, &result);
    // scale * translate: x is doubled, then moved by 5.
    EXPECT_EQ(result._11, 2.0f);
    EXPECT_EQ(result._41, 5.0f);
}

// Direct3D 9 takes a viewport that reaches past the target (the raster clips
// to the target); one that starts off the target describes no region on it.
TEST_F(DeviceStatesTest, ViewportMayReachPastTheTarget) {
    const D3DVIEWPORT9 accepted[] = {{4, 2, 32, 16, 0.25f, 0.75f},
                                     {0, 0, kWidth, kHeight, 0.0f, 1.0f},
                                     {40, 0, 32, 16, 0.0f, 1.0f},                  // past the right edge
                                     {0, 0, 4 * kWidth, 4 * kHeight, 0.0f, 1.0f},  // larger than the target
                                     {kWidth - 1, kHeight - 1, 8, 8, 0.0f, 1.0f}};
    for (const D3DVIEWPORT9& v : accepted) {
        ASSERT_EQ(device_->SetViewport(&v), D3D_OK) << v.X << "," << v.Y << " " << v.Width << "x" << v.Height;
        D3DVIEWPORT9 read;
        device_->GetViewport(&read);
        EXPECT_EQ(std::memcmp(&read, &v, sizeof read), 0);
    }
    const D3DVIEWPORT9 refused[] = {{kWidth, 0, 8, 8, 0.0f, 1.0f},      // starts off the target
                                    {0, kHeight, 8, 8, 0.0f, 1.0f},
                                    {0, 0, 0, 16, 0.0f, 1.0f},          // empty
                                    {0, 0, 8, 8, 0.0f, 1.5f},           // depth out of range
                                    {0, 0, 0xFFFFFFFFu, 8, 0.0f, 1.0f},  // beyond any screen coordinate
                                    {4, 0, 0xFFFFFFFCu, 8, 0.0f, 1.0f}};
    for (const D3DVIEWPORT9& v : refused)
        EXPECT_EQ(device_->SetViewport(&v), D3DERR_INVALIDCALL) << v.X << "," << v.Y << " " << v.Width;
    EXPECT_EQ(device_->SetViewport(nullptr), D3DERR_INVALIDCALL);
}

TEST_F(DeviceStatesTest, MaterialAndLightsRoundTrip) {
    D3DMATERIAL9 material{};
    material.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    material.Power = 8.0f;
    ASSERT_EQ(device_->SetMaterial(&material), D3D_OK);
    D3DMATERIAL9 readMaterial;
    device_->GetMaterial(&readMaterial);
    EXPECT_EQ(std::memcmp(&readMaterial, &material, sizeof material), 0);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    light.Position = {200.0f, 200.0f, 100.0f};
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    D3DLIGHT9 read;
    EXPECT_EQ(device_->GetLight(3, &read), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->SetLight(3, &light), D3D_OK);
    ASSERT_EQ(device_->GetLight(3, &read), D3D_OK);
    EXPECT_EQ(std::memcmp(&read, &light, sizeof light), 0);
    BOOL enabled = TRUE;
    ASSERT_EQ(device_->GetLightEnable(3, &enabled), D3D_OK);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(device_->LightEnable(3, TRUE), D3D_OK);
    device_->GetLightEnable(3, &enabled);
    EXPECT_TRUE(enabled);

    // Enabling a light never set gives it the default directional light.
    ASSERT_EQ(device_->LightEnable(9, TRUE), D3D_OK);
    ASSERT_EQ(device_->GetLight(9, &read), D3D_OK);
    EXPECT_EQ(read.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(read.Direction.z, 1.0f);

    light.Type = static_cast<D3DLIGHTTYPE>(7);
    EXPECT_EQ(device_->SetLight(4, &light), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetLight(4, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetMaterial(nullptr), D3DERR_INVALIDCALL);
}

TEST_F(DeviceStatesTest, TexturesPerStageHoldAReference) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetTexture(7, texture), D3D_OK);
    IDirect3DBaseTexture9* read = nullptr;
    ASSERT_EQ(device_->GetTexture(7, &read), D3D_OK);
    EXPECT_EQ(read, texture);
    EXPECT_EQ(read->Release(), 2u);  // the caller's and the device's
    device_->GetTexture(6, &read);
    EXPECT_EQ(read, nullptr);
    EXPECT_EQ(device_->SetTexture(16, texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetTexture(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 1u);  // still bound
    EXPECT_EQ(device_->SetTexture(7, nullptr), D3D_OK);
    EXPECT_TRUE(OverReleases().empty());
}

TEST_F(DeviceStatesTest, SystemMemoryTexturesCannotBeBound) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &texture, nullptr), D3D_OK);
    EXPECT_EQ(device_->SetTexture(0, texture), D3DERR_INVALIDCALL);
    texture->Release();
}

// Direct3D 9 keeps the FVF and the declaration in step: after SetFVF,
// GetVertexDeclaration describes the format; after a declaration an FVF can
// express, GetFVF gives that FVF, else 0.
TEST_F(DeviceStatesTest, FvfAndDeclarationFollowEachOther) {
    ASSERT_EQ(device_->SetFVF(0x144), D3D_OK);
    DWORD fvf = 0;
    device_->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0x144u);
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    D3DVERTEXELEMENT9 copy[4];
    UINT count = 4;
    ASSERT_EQ(declaration->GetDeclaration(copy, &count), D3D_OK);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(copy[1].Offset, 12);
    EXPECT_EQ(copy[2].Stream, 0xFF);
    ASSERT_EQ(device_->SetVertexDeclaration(declaration), D3D_OK);
    device_->GetFVF(&fvf);
    EXPECT_EQ(fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_DIFFUSE));
    IDirect3DVertexDeclaration9* read = nullptr;
    device_->GetVertexDeclaration(&read);
    EXPECT_EQ(read, declaration);
    read->Release();

    // After SetFVF the declaration handed out is a new one equal to the format's.
    device_->SetFVF(0x142);
    EXPECT_EQ(declaration->Release(), 0u);
    read = nullptr;
    ASSERT_EQ(device_->GetVertexDeclaration(&read), D3D_OK);
    ASSERT_NE(read, nullptr);
    count = 4;
    ASSERT_EQ(read->GetDeclaration(copy, &count), D3D_OK);
    const D3DVERTEXELEMENT9 described[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    ASSERT_EQ(count, 4u);
    EXPECT_EQ(std::memcmp(copy, described, sizeof described), 0);
    EXPECT_EQ(read->Release(), 0u);
    device_->SetFVF(0);
    ASSERT_EQ(device_->GetVertexDeclaration(&read), D3D_OK);
    EXPECT_EQ(read, nullptr);

    const D3DVERTEXELEMENT9 unterminated[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, 99, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0}};
    EXPECT_EQ(device_->CreateVertexDeclaration(unterminated, &declaration), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateVertexDeclaration(nullptr, &declaration), D3DERR_INVALIDCALL);
}

// Only a declaration laid out exactly as an FVF would be has that FVF.
TEST_F(DeviceStatesTest, DeclarationsAnFvfCannotExpressGiveFvfZero) {
    constexpr BYTE kDefault = D3DDECLMETHOD_DEFAULT;
    const struct {
        const char* name;
        std::vector<D3DVERTEXELEMENT9> elements;
        DWORD fvf;
    } cases[] = {
        {"screen, colour, two sets of 2 and 3",
         {{0, 0, D3DDECLTYPE_FLOAT4, kDefault, D3DDECLUSAGE_POSITIONT, 0},
          {0, 16, D3DDECLTYPE_D3DCOLOR, kDefault, D3DDECLUSAGE_COLOR, 0},
          {0, 20, D3DDECLTYPE_FLOAT2, kDefault, D3DDECLUSAGE_TEXCOORD, 0},
          {0, 28, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_TEXCOORD, 1}},
         D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1)},
        {"blended: two weights and ubyte4 indices, a normal",
         {{0, 0, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_FLOAT2, kDefault, D3DDECLUSAGE_BLENDWEIGHT, 0},
          {0, 20, D3DDECLTYPE_UBYTE4, kDefault, D3DDECLUSAGE_BLENDINDICES, 0},
          {0, 24, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_NORMAL, 0}},
         D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL},
        {"a gap before the colour",
         {{0, 0, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_POSITION, 0},
          {0, 16, D3DDECLTYPE_D3DCOLOR, kDefault, D3DDECLUSAGE_COLOR, 0}},
         0},
        {"colour before the normal",
         {{0, 0, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_D3DCOLOR, kDefault, D3DDECLUSAGE_COLOR, 0},
          {0, 16, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_NORMAL, 0}},
         0},
        {"a second stream",
         {{0, 0, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_POSITION, 0},
          {1, 0, D3DDECLTYPE_D3DCOLOR, kDefault, D3DDECLUSAGE_COLOR, 0}},
         0},
        {"a tangent", 
         {{0, 0, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_TANGENT, 0}},
         0},
        {"texture set 1 without set 0",
         {{0, 0, D3DDECLTYPE_FLOAT3, kDefault, D3DDECLUSAGE_POSITION, 0},
          {0, 12, D3DDECLTYPE_FLOAT2, kDefault, D3DDECLUSAGE_TEXCOORD, 1}},
         0},
    };
    for (const auto& c : cases) {
        std::vector<D3DVERTEXELEMENT9> terminated = c.elements;
        terminated.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
        IDirect3DVertexDeclaration9* declaration = nullptr;
        ASSERT_EQ(device_->CreateVertexDeclaration(terminated.data(), &declaration), D3D_OK) << c.name;
        device_->SetFVF(0x144);
        ASSERT_EQ(device_->SetVertexDeclaration(declaration), D3D_OK);
        DWORD fvf = 0xDEAD;
        device_->GetFVF(&fvf);
        EXPECT_EQ(fvf, c.fvf) << c.name;
        device_->SetVertexDeclaration(nullptr);
        EXPECT_EQ(declaration->Release(), 0u);
    }
}

TEST_F(DeviceStatesTest, StreamsAndIndicesRoundTrip) {
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(280, 0, 0x144, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(60, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(1, vertices, 56, 28), D3D_OK);
    ASSERT_EQ(device_->SetIndices(indices), D3D_OK);
    IDirect3DVertexBuffer9* readVertices = nullptr;
    UINT offset = 0, stride = 0;
    ASSERT_EQ(device_->GetStreamSource(1, &readVertices, &offset, &stride), D3D_OK);
    EXPECT_EQ(readVertices, vertices);
    EXPECT_EQ(offset, 56u);
    EXPECT_EQ(stride, 28u);
    readVertices->Release();
    IDirect3DIndexBuffer9* readIndices = nullptr;
    device_->GetIndices(&readIndices);
    EXPECT_EQ(readIndices, indices);
    readIndices->Release();
    EXPECT_EQ(device_->SetStreamSource(16, vertices, 0, 28), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetStreamSource(0, vertices, 281, 28), D3DERR_INVALIDCALL);
    device_->SetStreamSource(1, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
}

TEST_F(DeviceStatesTest, ShaderSlotsAndConstantsAreStored) {
    // dcl_position v0; mov oPos, v0
    const DWORD program[] = {D3DVS_VERSION(1, 1), D3DSIO_DCL, 0x80000000, 0x900F0000,
                             D3DSIO_MOV,          0xC00F0000, 0x90E40000, D3DVS_END()};
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(device_->CreateVertexShader(program, &shader), D3D_OK);
    UINT size = 0;
    ASSERT_EQ(shader->GetFunction(nullptr, &size), D3D_OK);
    EXPECT_EQ(size, sizeof program);
    ASSERT_EQ(device_->SetVertexShader(shader), D3D_OK);
    IDirect3DVertexShader9* read = nullptr;
    device_->GetVertexShader(&read);
    EXPECT_EQ(read, shader);
    read->Release();
    DWORD tooNew[std::size(program)];
    std::copy(std::begin(program), std::end(program), tooNew);
    tooNew[0] = D3DVS_VERSION(3, 0);
    IDirect3DVertexShader9* refused = nullptr;
    EXPECT_EQ(device_->CreateVertexShader(tooNew, &refused), D3DERR_INVALIDCALL);

    const float constants[8] = {1, 0, 0, 765.01f, 1, 2, 3, 4};
    ASSERT_EQ(device_->SetVertexShaderConstantF(0, constants, 2), D3D_OK);
    float readBack[8] = {};
    ASSERT_EQ(device_->GetVertexShaderConstantF(0, readBack, 2), D3D_OK);
    EXPECT_EQ(std::memcmp(readBack, constants, sizeof constants), 0);
    EXPECT_EQ(device_->SetVertexShaderConstantF(255, constants, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShaderConstantF(0, nullptr, 1), D3DERR_INVALIDCALL);
    device_->SetVertexShader(nullptr);
    EXPECT_EQ(shader->Release(), 0u);
}

TEST_F(DeviceStatesTest, SoftwareVertexProcessingSwitchesOnlyOnMixedDevices) {
    EXPECT_FALSE(device_->GetSoftwareVertexProcessing());
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(TRUE), D3D_OK);
    EXPECT_TRUE(device_->GetSoftwareVertexProcessing());
    device_->Release();
    device_ = nullptr;
    CreateDevice(WindowedParameters(), D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_TRUE(device_->GetSoftwareVertexProcessing());
    EXPECT_EQ(device_->SetSoftwareVertexProcessing(FALSE), D3DERR_INVALIDCALL);
    EXPECT_TRUE(device_->GetSoftwareVertexProcessing());
}

TEST_F(DeviceStatesTest, GammaRampRoundTripsAndStartsAsIdentity) {
    D3DGAMMARAMP ramp;
    device_->GetGammaRamp(0, &ramp);
    EXPECT_EQ(ramp.red[0], 0);
    EXPECT_EQ(ramp.green[128], 128 * 257);
    EXPECT_EQ(ramp.blue[255], 65535);
    for (int i = 0; i < 256; ++i) {
        ramp.red[i] = static_cast<WORD>(std::min(65535, 356 * i));
        ramp.green[i] = static_cast<WORD>(156 * i);
        ramp.blue[i] = static_cast<WORD>(i * 256);
    }
    device_->SetGammaRamp(0, D3DSGR_NO_CALIBRATION, &ramp);
    D3DGAMMARAMP read;
    device_->GetGammaRamp(0, &read);
    EXPECT_EQ(std::memcmp(&read, &ramp, sizeof ramp), 0);
    device_->SetGammaRamp(0, D3DSGR_CALIBRATE, nullptr);  // ignored
    device_->GetGammaRamp(0, &read);
    EXPECT_EQ(read.red[200], 65535);
}

TEST_F(DeviceStatesTest, ScissorClipPlanesAndDialogMode) {
    const RECT scissor{1, 2, 30, 40};
    ASSERT_EQ(device_->SetScissorRect(&scissor), D3D_OK);
    RECT read{};
    device_->GetScissorRect(&read);
    EXPECT_EQ(read.right, 30);
    const float plane[4] = {1, 2, 3, 4};
    ASSERT_EQ(device_->SetClipPlane(5, plane), D3D_OK);
    float readPlane[4] = {};
    device_->GetClipPlane(5, readPlane);
    EXPECT_EQ(readPlane[3], 4.0f);
    EXPECT_EQ(device_->SetClipPlane(6, plane), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetDialogBoxMode(TRUE), D3D_OK);
    EXPECT_EQ(device_->SetDialogBoxMode(FALSE), D3D_OK);
}

}  // namespace
