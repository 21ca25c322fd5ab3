// How an effect node draws its elements: the texture factor (shared with
// effect instances), the world matrix of each element, the strips of each
// type, the states it sets and gives back, addressing, pictures and their
// frames, model elements, and the pixels of a drawn quad.
#include <gtest/gtest.h>

#include <cmath>

#include "SprWriter.h"
#include "effects/BindRotation.h"
#include "effects/EffectNodeFixture.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "textures/ImageCache.h"
#include "textures/KSprImage.h"
#include "win32/Control.h"

namespace effect_node_test {
namespace {

using lumiva::win32::AdvanceClock;
constexpr float kPi = 3.1415927f;

a3e::Tracks ColorTracks(uint32_t argb) {
    a3e::Tracks t;
    t.color = {{argb, 0}};
    return t;
}

TEST_F(EffectNodeTest, NodesAndInstancesTintByTheSameTextureFactor) {
    struct Case {
        uint32_t color;
        int8_t brightness;
        DWORD factor;
    };
    const Case cases[] = {
        {0xFFFFFFFF, 10, 0xFF898989},    // white: grey 10 + 127
        {0xFF808080, 10, 0xFF545454},    // 128 / 2 + 20
        {0xFFFFFFFF, -128, 0xFFFFFFFF},  // the grey wraps
        {0xFFFFFFFF, 0, 0xFF7F7F7F},
        {0x80FFFFFF, 0, 0xFF7F7F7F},     // the factor is always opaque
        {0xFFFF00FF, 10, 0xFF931493},    // not white: each channel on its own
        {0xFF102040, -20, 0xFF000000},   // clamped at 0
        {0xFFFEFEFE, 127, 0xFFFFFFFF},   // and at 255
    };
    for (const Case& c : cases) {
        a3e::File file = OneElement(2, 4, 4, ColorTracks(c.color));
        file.elements[0].brightness = c.brightness;
        K3DEffectNode* node = MakeNode(file);
        K3DEffectInstance* instance = MakeInstance(file, "b.a3e");
        ASSERT_TRUE(node && instance);
        Record();
        ASSERT_TRUE(node->Update());
        instance->Render(0, kEffectRenderTextured);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), 2u);
        for (const RecordedCall& draw : draws) {
            EXPECT_EQ(draw.state->RenderState(D3DRS_TEXTUREFACTOR), c.factor)
                << std::hex << c.color << " " << int(c.brightness);
            EXPECT_EQ(draw.state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE2X));
            EXPECT_EQ(draw.state->StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TFACTOR));
            EXPECT_EQ(draw.state->StageState(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
        }
        Release(node);
        Release(instance);
    }
}

// A type-2 element with every part of the matrix in play: pivot (1, 2, 3),
// position (10, 0, 0), offset (0, 1, 0), yaw 0.5, scale (2, 3, 1), a spin
// of 2 rad/s read at 250 ms, set scale 1.5, node scale (2, 1, 1) and node
// position (100, 0, 50).
class EffectNodeMatrixTest : public EffectNodeTest {
protected:
    K3DEffectNode* PlacedNode() {
        a3e::Tracks t;
        t.position = {{{10, 0, 0}, 0}};
        t.rotation = {{0.5f, 0}};
        t.scale = {{{2, 3, 1}, 0}};
        t.offset = {{{0, 1, 0}, 0}};
        a3e::File file = OneElement(2, 4, 4, t);
        file.elements[0].pivot = {1, 2, 3};
        file.spinSpeed = 2.0f;
        file.scale = {1.5f, 1.5f, 1.5f};
        K3DEffectNode* node = MakeNode(file);
        node->SetScale(2, 1, 1);
        node->SetPosition(100, 0, 50, 0);
        node->SetStartOffset(250);
        return node;
    }
    // The matrix of that element for a given orientation, step by step.
    static D3DXMATRIX Expected(const D3DXMATRIX& orientation) {
        D3DXMATRIX m, step;
        D3DXMatrixScaling(&m, 2, 3, 1);
        m *= *D3DXMatrixRotationY(&step, 0.5f);
        m._41 = 11, m._42 = 3, m._43 = 3;
        m *= *D3DXMatrixRotationY(&step, 0.5f);  // 250 ms x 2 rad/s
        m *= orientation;
        m *= *D3DXMatrixScaling(&step, 3, 1.5f, 1.5f);
        m._41 += 100, m._43 += 50;
        return m;
    }
    D3DXMATRIX DrawnWorld(K3DEffectNode* node) {
        Record();
        EXPECT_TRUE(node->Update());
        const auto draws = Draws();
        if (draws.size() != 1) {
            ADD_FAILURE() << draws.size() << " draws";
            return {};
        }
        return WorldAt(draws[0]);
    }
};

D3DXMATRIX Rotation(char axis, float angle) {
    D3DXMATRIX m;
    if (axis == 'x') return *D3DXMatrixRotationX(&m, angle);
    if (axis == 'y') return *D3DXMatrixRotationY(&m, angle);
    if (axis == 'z') return *D3DXMatrixRotationZ(&m, angle);
    return *D3DXMatrixIdentity(&m);
}

TEST_F(EffectNodeMatrixTest, TheWorldMatrixStandsTheElementAlongTheDirectionTurnedTowardTheCamera) {
    struct Case {
        const char* what;
        D3DXVECTOR3 direction;
        D3DXVECTOR3 eye;  // the view origin is (0, 0, 0)
        D3DXMATRIX orientation;
    };
    const Case cases[] = {
        {"up, camera on +x", {0, 1, 0}, {5, 0, 0}, Rotation('y', kPi / 2)},
        {"up, camera on -x", {0, 1, 0}, {-5, 0, 0}, Rotation('y', -kPi / 2)},
        {"up, camera in front", {0, 1, 0}, {0, 2, 5}, Rotation('-', 0)},
        {"along x, camera above", {1, 0, 0}, {0, 5, 0}, Rotation('z', -kPi / 2) * Rotation('x', -kPi / 2)},
        {"down, camera on +x", {0, -1, 0}, {5, 0, 0}, Rotation('x', kPi) * Rotation('y', -kPi / 2)},
        {"zero acts as up", {0, 0, 0}, {5, 0, 0}, Rotation('y', kPi / 2)},
        {"camera along the direction: no turn", {0, 1, 0}, {0, 7, 0}, Rotation('-', 0)},
    };
    for (const Case& c : cases) {
        K3DEffectNode* node = PlacedNode();
        node->SetDirection(c.direction.x, c.direction.y, c.direction.z);
        SetEye(c.eye);
        const D3DXMATRIX world = DrawnWorld(node);
        EXPECT_TRUE(IsFinite(world)) << c.what;
        EXPECT_TRUE(MatricesNear(Expected(c.orientation), world, 2e-4f)) << c.what;
        Release(node);
    }
}

TEST_F(EffectNodeMatrixTest, WhileBindRotationIsOnTheBoundMatrixTakesTheOrientationsPlace) {
    K3DEffectNode* node = PlacedNode();
    node->SetDirection(1, 0, 0);
    SetEye({0, 5, 0});
    g_UseBindRotation = 1;
    g_BindRotation = Rotation('x', 0.3f);
    g_BindRotation._42 = 4;  // the bound matrix is taken whole
    EXPECT_TRUE(MatricesNear(Expected(g_BindRotation), DrawnWorld(node), 2e-4f));
    g_UseBindRotation = 0;
    EXPECT_TRUE(MatricesNear(Expected(Rotation('z', -kPi / 2) * Rotation('x', -kPi / 2)), DrawnWorld(node), 2e-4f));
    Release(node);
}

TEST_F(EffectNodeTest, EachTypeDrawsItsStripsAndUnbuiltElementsDrawNothing) {
    struct Case {
        uint8_t type;
        int32_t n, m;
        std::vector<uint64_t> primitives;
        std::vector<uint64_t> firstVertices;
    };
    const Case cases[] = {
        {1, 0, 0, {2}, {0}},
        {2, 0, 0, {2}, {0}},
        {5, 0, 0, {2}, {0}},
        {4, 4, 0, {8}, {0}},
        {3, 2, 3, {3, 3, 3}, {0, 5, 10}},
        {3, 1, 1, {1}, {0}},
        {4, 0, 0, {}, {}},  // no sides
        {3, 2, 0, {}, {}},  // no rings around
        {6, 1, 0, {}, {}},  // a model element without a model
        {7, 1, 1, {}, {}},  // no such type
        {0, 1, 1, {}, {}},
    };
    for (const Case& c : cases) {
        a3e::File file = OneElement(c.type, 4, 4);
        file.elements[0].segments = {c.n, c.m};
        K3DEffectNode* node = MakeNode(file);
        ASSERT_NE(node, nullptr);
        Record();
        EXPECT_TRUE(node->Update()) << int(c.type);
        std::vector<uint64_t> primitives, firstVertices;
        const auto draws = Draws();
        for (const RecordedCall& draw : draws) {
            EXPECT_EQ(draw.args[0], uint64_t(D3DPT_TRIANGLESTRIP));
            EXPECT_EQ(draw.args[3], 24u);
            EXPECT_EQ(draw.state->fvf, 0x142u);
            EXPECT_EQ(draw.state->RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
            primitives.push_back(draw.args[1]);
            firstVertices.push_back((draw.args[2] - draws[0].args[2]) / 24);
        }
        EXPECT_EQ(primitives, c.primitives) << int(c.type) << " " << c.n << " " << c.m;
        EXPECT_EQ(firstVertices, c.firstVertices) << int(c.type);
        Release(node);
    }
}

TEST_F(EffectNodeTest, HiddenElementsDrawNothingAndTheOthersStillDraw) {
    a3e::File file = OneElement(2, 4, 4);
    file.elements.push_back(effect_file_test::WriterElement(1, "shown", 4, 4));
    file.tracks[0].visible = {{0, 0}};
    file.tracks.emplace_back();
    K3DEffectNode* node = MakeNode(file);
    Record();
    EXPECT_TRUE(node->Update());
    ASSERT_EQ(Draws().size(), 1u);
    Release(node);
}

TEST_F(EffectNodeTest, UpdateGivesBackTheFourteenStatesItSaves) {
    struct Saved {
        char kind;  // 'r' render, 's' stage 0, 'p' sampler 0
        DWORD type, before, during;
    };
    const Saved saved[] = {
        {'r', D3DRS_SRCBLEND, D3DBLEND_ZERO, D3DBLEND_SRCALPHA},
        {'r', D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCALPHA},
        {'r', D3DRS_ALPHABLENDENABLE, FALSE, TRUE},
        {'r', D3DRS_TEXTUREFACTOR, 0x12345678, 0xFF7F7F7F},
        {'s', D3DTSS_COLORARG1, D3DTA_CURRENT, D3DTA_TEXTURE},
        {'s', D3DTSS_COLORARG2, D3DTA_SPECULAR, D3DTA_TFACTOR},
        {'s', D3DTSS_COLOROP, D3DTOP_ADD, D3DTOP_MODULATE2X},
        {'s', D3DTSS_ALPHAARG1, D3DTA_CURRENT, D3DTA_TEXTURE},
        {'s', D3DTSS_ALPHAARG2, D3DTA_SPECULAR, D3DTA_DIFFUSE},
        {'s', D3DTSS_ALPHAOP, D3DTOP_SELECTARG2, D3DTOP_MODULATE},
        {'r', D3DRS_ZENABLE, FALSE, TRUE},
        {'r', D3DRS_ZWRITEENABLE, TRUE, FALSE},
        {'p', D3DSAMP_MAGFILTER, D3DTEXF_POINT, D3DTEXF_LINEAR},
        {'p', D3DSAMP_MINFILTER, D3DTEXF_POINT, D3DTEXF_LINEAR},
    };
    const auto read = [&](const Saved& s, const lumiva::d3d9::DeviceState* state) {
        if (state) {
            if (s.kind == 'r') return state->RenderState(D3DRENDERSTATETYPE(s.type));
            if (s.kind == 's') return state->StageState(0, D3DTEXTURESTAGESTATETYPE(s.type));
            return state->SamplerState(0, D3DSAMPLERSTATETYPE(s.type));
        }
        if (s.kind == 'r') return RenderState(D3DRENDERSTATETYPE(s.type));
        if (s.kind == 's') return StageState(D3DTEXTURESTAGESTATETYPE(s.type));
        return SamplerState(D3DSAMPLERSTATETYPE(s.type));
    };
    for (const Saved& s : saved) {
        if (s.kind == 'r') Device()->SetRenderState(D3DRENDERSTATETYPE(s.type), s.before);
        if (s.kind == 's') Device()->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(s.type), s.before);
        if (s.kind == 'p') Device()->SetSamplerState(0, D3DSAMPLERSTATETYPE(s.type), s.before);
    }
    K3DEffectNode* node = MakeNode(OneElement(2, 4, 4));
    Record();
    ASSERT_TRUE(node->Update());
    ASSERT_EQ(Draws().size(), 1u);
    const lumiva::d3d9::DeviceState* at = Draws()[0].state.get();
    for (const Saved& s : saved) {
        EXPECT_EQ(read(s, at), s.during) << s.kind << s.type;
        EXPECT_EQ(read(s, nullptr), s.before) << s.kind << s.type;
    }
    // Culling is left off.
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    Release(node);
}

TEST_F(EffectNodeTest, AdditiveSetsBlendOntoWhatIsThere) {
    a3e::File file = OneElement(2, 4, 4);
    file.additive = 1;
    K3DEffectNode* node = MakeNode(file);
    Record();
    ASSERT_TRUE(node->Update());
    EXPECT_EQ(Draws()[0].state->RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(Draws()[0].state->RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    Release(node);
}

TEST_F(EffectNodeTest, ASetWithAnExtraValueDrawsOverEverythingAndGivesTheDepthStatesBack) {
    a3e::File file = OneElement(2, 4, 4);
    file.extraValue = 1;
    K3DEffectNode* node = MakeNode(file);
    Device()->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Device()->SetRenderState(D3DRS_ZENABLE, FALSE);
    Record();
    ASSERT_TRUE(node->Update());
    const lumiva::d3d9::DeviceState& at = *Draws()[0].state;
    EXPECT_EQ(at.RenderState(D3DRS_ZFUNC), DWORD(D3DCMP_ALWAYS));
    EXPECT_EQ(at.RenderState(D3DRS_ZENABLE), DWORD(TRUE));
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(FALSE));
    // Without it the depth function is not touched.
    file.extraValue = 0;
    K3DEffectNode* plain = MakeNode(file, "b.a3e");
    Record();
    ASSERT_TRUE(plain->Update());
    EXPECT_EQ(Draws()[0].state->RenderState(D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
    EXPECT_TRUE(Sets("SetRenderState", D3DRS_ZFUNC).empty());
    Release(node);
    Release(plain);
}

TEST_F(EffectNodeTest, AddressingChangesOnlyWhenTheMappingModeAsksForTheOtherKind) {
    a3e::File file;
    for (int32_t mode : {1, 3, 3, 2, 4, 3, 5}) {
        file.elements.push_back(effect_file_test::WriterElement(2, "e", 4, 4));
        file.elements.back().mappingMode = mode;
        file.tracks.emplace_back();
    }
    K3DEffectNode* node = MakeNode(file);
    Record();
    ASSERT_TRUE(node->Update());
    const std::vector<DWORD> expected = {D3DTADDRESS_MIRROR, D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR};
    EXPECT_EQ(Sets("SetSamplerState", D3DSAMP_ADDRESSU), expected);
    EXPECT_EQ(Sets("SetSamplerState", D3DSAMP_ADDRESSV), expected);
    EXPECT_EQ(node->AddressMemo(), 1);
    // The memo outlives the Update: the first element now asks for wrap.
    Record();
    ASSERT_TRUE(node->Update());
    EXPECT_EQ(Sets("SetSamplerState", D3DSAMP_ADDRESSU),
              (std::vector<DWORD>{D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR}));
    Release(node);
}

// A four-frame sprite of 100 ms frames, each frame its own colour.
class EffectNodePictureTest : public EffectNodeTest {
protected:
    void SetUp() override {
        EffectNodeTest::SetUp();
        std::vector<SprPixels> frames;
        for (uint32_t f = 0; f < 4; ++f)
            frames.push_back({8, 8, 0, 0, std::vector<uint32_t>(64, 0xFF000000u | (0x40u << (f * 6)))});
        SprSpriteInfo info{8, 8};
        info.word18 = 100;
        WriteDataFile("fx/four.spr", WriteSpr(info, frames));
    }
    a3e::File PictureFile(float animSpeed, int32_t frameOffset, int32_t duration = 1000) {
        a3e::File file = OneElement(2, 4, 4, {}, duration);
        file.elements[0].fileName = "\\fx\\four.spr";
        file.elements[0].animSpeed = animSpeed;
        file.elements[0].frameOffset = frameOffset;
        return file;
    }
    static IDirect3DTexture9* FrameTexture(int frame) {
        auto* sprite =
            dynamic_cast<KSprImage*>(g_pImageCache->GetImage("\\fx\\four.spr", nullptr, nullptr, 0, 1, 0, 1, 0, 0));
        return sprite ? sprite->GetTileTexture(frame, 0) : nullptr;
    }
    static uint64_t TextureAtDraw() {
        const auto draws = Draws();
        return draws.empty() ? 0 : uint64_t(uintptr_t(draws[0].state->textures[0]));
    }
};

TEST_F(EffectNodePictureTest, TheFrameFollowsTheEffectTimeAtTheElementsSpeed) {
    struct Case {
        float animSpeed;
        int32_t frameOffset;
        int32_t duration;
        int nodeFrame;
        int instanceFrame;
    };
    // All read 250 ms into the effect. Nodes stretch the frames over the
    // duration at a speed of exactly -1, instances at any speed not above 0.
    const Case cases[] = {
        {1.0f, 0, 1000, 2, 2},   // 250 / 100
        {1.0f, 3, 1000, 1, 1},   // two frames on from the offset, wrapped
        {2.0f, 0, 1000, 1, 1},   // frames of 200 ms
        {-1.0f, 0, 1000, 1, 1},  // a quarter of the duration: a quarter of the frames
        {-1.0f, 0, 250, 3, 3},   // the whole duration: the last frame
        {0.0f, 0, 1000, 0, 1},
    };
    for (const Case& c : cases) {
        const a3e::File file = PictureFile(c.animSpeed, c.frameOffset, c.duration);
        K3DEffectNode* node = MakeNode(file);
        K3DEffectInstance* instance = MakeInstance(file, "b.a3e");
        ASSERT_NE(node->Set()->GetElement(0)->FrameTimer(), nullptr);
        node->SetStartOffset(250);
        Record();
        ASSERT_TRUE(node->Update());
        ASSERT_NE(FrameTexture(c.nodeFrame), nullptr);
        EXPECT_EQ(TextureAtDraw(), uint64_t(uintptr_t(FrameTexture(c.nodeFrame))))
            << c.animSpeed << " " << c.frameOffset << " " << c.duration;
        Record();
        instance->Render(250, kEffectRenderTextured);
        EXPECT_EQ(TextureAtDraw(), uint64_t(uintptr_t(FrameTexture(c.instanceFrame))))
            << "instance " << c.animSpeed << " " << c.frameOffset << " " << c.duration;
        Release(node);
        Release(instance);
    }
}

TEST_F(EffectNodePictureTest, ASetWithoutLengthShowsTheFirstFrame) {
    K3DEffectNode* node = MakeNode(PictureFile(-1.0f, 0, 0));
    Record();
    ASSERT_TRUE(node->Update());
    EXPECT_EQ(TextureAtDraw(), uint64_t(uintptr_t(FrameTexture(0))));
    Release(node);
}

TEST_F(EffectNodePictureTest, ElementsWithoutAPictureDrawUntextured) {
    a3e::File file = PictureFile(1.0f, 0);
    file.elements.push_back(effect_file_test::WriterElement(2, "plain", 4, 4));
    file.tracks.emplace_back();
    K3DEffectNode* node = MakeNode(file);
    Record();
    ASSERT_TRUE(node->Update());
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_NE(draws[0].state->textures[0], nullptr);
    EXPECT_EQ(draws[1].state->textures[0], nullptr);
    Release(node);
}

// A 32 x 16 upright quad at (0, 0, 10) under the orthographic camera covers
// pixels 16..47 across and 24..39 down, in the picture's colour times the
// factor times 2.
TEST_F(EffectNodeTest, AnUprightQuadCoversItsRectangleInThePicturesColourTimesTwiceTheFactor) {
    // Sprite textures keep four bits a channel: these colours pass unchanged.
    WriteFlatSprite("fx/flat.spr", 8, 8, 0xFF6644AA);
    a3e::File file = OneElement(2, 32, 16);
    file.elements[0].fileName = "\\fx\\flat.spr";
    file.elements[0].brightness = 10;  // factor 137
    K3DEffectNode* node = MakeNode(file);
    node->SetPosition(0, 0, 10, 0);
    const auto image = DrawOnTarget([&] { EXPECT_TRUE(node->Update()); });
    ASSERT_EQ(image.width, kTargetSize);
    const auto expectedChannel = [](int texel) { return std::min(255.0, texel * 137.0 * 2.0 / 255.0); };
    for (UINT y = 0; y < kTargetSize; ++y) {
        for (UINT x = 0; x < kTargetSize; ++x) {
            const D3DCOLOR pixel = image.At(x, y);
            const bool inside = x >= 16 && x < 48 && y >= 24 && y < 40;
            if (!inside) {
                ASSERT_EQ(pixel & 0xFFFFFF, 0u) << x << "," << y;
                continue;
            }
            const int channels[3] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
            const int texels[3] = {0x66, 0x44, 0xAA};
            for (int i = 0; i < 3; ++i)
                ASSERT_NEAR(channels[i], expectedChannel(texels[i]), 1.0) << x << "," << y << " channel " << i;
        }
    }
    Release(node);
}

// Without a picture the stage (texture x factor x 2) has no texture and
// passes the vertex colour: the element's own colour, whatever its
// brightness makes of the factor.
TEST_F(EffectNodeTest, AnUprightQuadWithoutAPictureShowsTheElementsColourNotTheFactor) {
    a3e::File file = OneElement(2, 32, 16, ColorTracks(0xFF408020));
    file.elements[0].brightness = 20;  // factor 0x486838
    K3DEffectNode* node = MakeNode(file);
    node->SetPosition(0, 0, 10, 0);
    Record();
    const auto image = DrawOnTarget([&] { EXPECT_TRUE(node->Update()); });
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->textures[0], nullptr);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_TEXTUREFACTOR), 0xFF486838u);
    EXPECT_EQ(image.At(20, 30) & 0xFFFFFF, 0x408020u);
    EXPECT_EQ(image.At(47, 39) & 0xFFFFFF, 0x408020u);
    EXPECT_EQ(image.At(48, 30) & 0xFFFFFF, 0u);
    Release(node);
}

// Model elements draw through the shell's model records.
class EffectNodeModelTest : public WithCallLog<EffectNodeTest> {
protected:
    K3DEffectNode* ModelNode(uint32_t color, int additive = 0, float animSpeed = 0.0f, int32_t duration = 1000) {
        a3e::File file = OneElement(6, 0, 0, ColorTracks(color), duration);
        file.elements[0].fileName = "orb";
        file.elements[0].segments = {3, 0};
        file.elements[0].animSpeed = animSpeed;
        file.additive = additive;
        return MakeNode(file);
    }
    static std::vector<std::string> ModelDraws() {
        std::vector<std::string> draws;
        for (const std::string& line : neighbours::CallLog())
            if (line.rfind("KModel::", 0) == 0) draws.push_back(line);
        return draws;
    }
};

TEST_F(EffectNodeModelTest, AModelDrawsThroughAModelRecordNearlyOpaqueWithTheBlendFlagPutBack) {
    K3DEffectNode* node = ModelNode(0xFF336699, 1);
    ASSERT_NE(node->Set()->GetElement(0)->Model(), nullptr);
    element_model::PutModelBlendFlag(0);
    models.calls.clear();
    neighbours::CallLog().clear();
    Record();
    ASSERT_TRUE(node->Update());
    EXPECT_EQ(ModelDraws(), std::vector<std::string>{"KModel::Update transform 0"});
    EXPECT_FLOAT_EQ(models.alpha, 0.99f);
    EXPECT_EQ(element_model::ModelBlendFlag(), 0) << "put back after the draw";
    const std::vector<std::string> expected = {"SetModelMatrix", "SetAnimationMode 3", "SetPaused 0",
                                               "SetAnimationPosition", "SetColor ff336699", "SetAlpha",
                                               "SetGlobalFlag 1"};
    EXPECT_EQ(models.calls, expected);
    EXPECT_TRUE(Draws().empty()) << "no strips for a model";
    Release(node);
}

TEST_F(EffectNodeModelTest, TheModelTakesTheElementMatrixAndDrawsWhateverItsVisibleTrack) {
    a3e::File file = OneElement(6, 0, 0);
    file.elements[0].fileName = "orb";
    file.tracks[0].visible = {{0, 0}};
    file.tracks[0].position = {{{4, 5, 6}, 0}};
    K3DEffectNode* node = MakeNode(file);
    SetEye({0, 0, 5});
    neighbours::CallLog().clear();
    ASSERT_TRUE(node->Update());
    EXPECT_EQ(ModelDraws().size(), 1u);
    D3DXMATRIX expected;
    D3DXMatrixTranslation(&expected, 4, 5, 6);
    EXPECT_TRUE(MatricesNear(expected, models.matrix));
    Release(node);
}

TEST_F(EffectNodeModelTest, TranslucentModelsKeepTheirAlpha) {
    K3DEffectNode* node = ModelNode(0x80FFFFFF);
    ASSERT_TRUE(node->Update());
    EXPECT_FLOAT_EQ(models.alpha, float(128.0 / 255.0));
    Release(node);
}

TEST_F(EffectNodeModelTest, TheAnimationPositionFollowsTheEffectTime) {
    struct Case {
        float animSpeed;
        float length;
        int32_t duration;
        float position;
    };
    // All read 250 ms into the effect.
    const Case cases[] = {
        {2.0f, 1000.0f, 1000, 0.5f},  // 250 x 2 of a 1000 ms animation
        {0.0f, 1000.0f, 500, 0.5f},   // without a speed: the fraction of the set
        {2.0f, 0.0f, 1000, 0.0f},     // an animation without length
        {-1.0f, 1000.0f, 0, 0.0f},    // a set without length (already over at 250 ms)
    };
    for (const Case& c : cases) {
        K3DEffectNode* node = ModelNode(0xFFFFFFFF, 0, c.animSpeed, c.duration);
        models.animationLength = c.length;
        models.animationPosition = -1.0f;
        node->SetStartOffset(c.duration == 0 ? 0 : 250);
        ASSERT_TRUE(node->Update());
        EXPECT_FLOAT_EQ(models.animationPosition, c.position) << c.animSpeed << " " << c.length << " " << c.duration;
        Release(node);
    }
}

}  // namespace
}  // namespace effect_node_test
