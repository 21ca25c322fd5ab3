// The shell's turning static-mesh pass (type 23), its particle-system
// factory with the two presets, and the shrinking of the place's ground
// pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "JpegWriter.h"
#include "draw2d/render/VertexBuilders.h"
#include "effects/KParticleSystem.h"
#include "effects/KStaticMesh.h"
#include "effects/SceneEffectsFixture.h"
#include "lumiva/PrimitiveRecords.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"
#include "textures/KImageTexture.h"
#include "textures/PictureServices.h"

namespace scene_effects_test {
namespace {

// A clock reading at which the turn is a whole number of turns.
constexpr uint64_t kFacingMs = 100531;  // 16 turns: 100.531 rad
constexpr float kPi = 3.1415927f;

bool Finite(const D3DMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m.m[r][c])) return false;
    return true;
}

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class TimedPassTest : public SceneEffectsTest {
protected:
    // A grey upright square of `size` units standing on y = 0, facing the
    // pass's eye.
    KStaticMesh* Square(float size) {
        KStaticMesh* mesh = m_shell->CreateStaticMesh(8, 8);
        const float h = size / 2;
        const KMeshVertex v[4] = {{-h, 0, 0, 0, 1}, {-h, size, 0, 0, 0}, {h, size, 0, 1, 0}, {h, 0, 0, 1, 1}};
        const WORD indices[6] = {0, 2, 1, 0, 3, 2};
        const std::vector<uint8_t> jpeg = EncodeJpeg(std::vector<uint8_t>(16 * 16 * 3, 0x80), 16, 16);
        EXPECT_TRUE(mesh->SetTexture(jpeg.data(), int32_t(jpeg.size())));
        EXPECT_TRUE(mesh->SetVertices(v, sizeof v));
        EXPECT_TRUE(mesh->SetIndices(indices, sizeof indices));
        return mesh;
    }
    void Draw(KStaticMesh* mesh, int x, int y, float width, float height) {
        KPrimMesh record{};
        record.mesh = mesh;
        record.x = x;
        record.y = y;
        record.width = width;
        record.height = height;
        m_shell->DrawPrimitives(1, &record, PRIM_TURNING_MESH, 0, 0, -1, -1.0f);
    }
    // Grey pixels of the back buffer's row 240 (the square's middle).
    std::vector<int> GreyColumns() {
        const auto image = BackBuffer();
        std::vector<int> columns;
        for (UINT x = 0; x < image.width; ++x)
            if (std::abs(int(image.At(x, 240) & 0xFF) - 0x80) < 8) columns.push_back(int(x));
        return columns;
    }
    void ClearAll() { Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0); }
};

// A 40-unit square in a 200 x 150 rectangle at (100, 100): scaled by 0.25
// for the rectangle and fitted by 2.25 (90 / 40), it covers 144 pixels
// around (200, 240); a sixth of a turn later it shows half as wide.
TEST_F(TimedPassTest, ATurningMeshFillsItsRectangle) {
    KStaticMesh* mesh = Square(40);
    Device()->SetRenderState(D3DRS_LIGHTING, FALSE);
    lumiva::win32::SetClock(kFacingMs);
    ClearAll();
    Draw(mesh, 100, 100, 200, 150);
    auto columns = GreyColumns();
    ASSERT_FALSE(columns.empty());
    EXPECT_NEAR(columns.front(), 128, 1);
    EXPECT_NEAR(columns.back(), 271, 1);
    EXPECT_EQ(columns.size(), 144u);
    const auto image = BackBuffer();
    EXPECT_EQ(image.At(200, 165) & 0xFF, 0u);
    EXPECT_NE(image.At(200, 170) & 0xFF, 0u);

    lumiva::win32::AdvanceClock(uint64_t(1000 * kPi / 3));
    ClearAll();
    Draw(mesh, 100, 100, 200, 150);
    columns = GreyColumns();
    ASSERT_FALSE(columns.empty());
    EXPECT_NEAR(columns.front(), 164, 1);
    EXPECT_NEAR(columns.back(), 235, 1);
    Device()->SetTexture(0, nullptr);
    delete mesh;
}

TEST_F(TimedPassTest, TransformsAndDepthStatesAreGivenBack) {
    KStaticMesh* mesh = Square(40);
    D3DXMATRIX view, world, projection;
    D3DXMatrixTranslation(&view, 1, 2, 3);
    D3DXMatrixTranslation(&world, 4, 5, 6);
    D3DXMatrixTranslation(&projection, 7, 8, 9);
    Device()->SetTransform(D3DTS_VIEW, &view);
    Device()->SetTransform(D3DTS_WORLD, &world);
    Device()->SetTransform(D3DTS_PROJECTION, &projection);
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[4] = {
        {D3DRS_ZENABLE, FALSE}, {D3DRS_ZFUNC, D3DCMP_ALWAYS}, {D3DRS_ZWRITEENABLE, FALSE}, {D3DRS_AMBIENT, 0x123}};
    for (auto [state, value] : states) Device()->SetRenderState(state, value);
    Record();
    Draw(mesh, 0, 0, 400, 300);
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->renderStates[D3DRS_ZFUNC], DWORD(D3DCMP_LESS));
    EXPECT_EQ(draws[0].state->renderStates[D3DRS_AMBIENT], 0u);
    EXPECT_EQ(draws[0].state->renderStates[D3DRS_ZWRITEENABLE], 1u);
    for (auto [state, value] : states) EXPECT_EQ(RenderState(state), value) << state;
    D3DMATRIX after;
    Device()->GetTransform(D3DTS_VIEW, &after);
    EXPECT_TRUE(SameMatrix(after, view));
    Device()->GetTransform(D3DTS_WORLD, &after);
    EXPECT_TRUE(SameMatrix(after, world));
    Device()->GetTransform(D3DTS_PROJECTION, &after);
    EXPECT_TRUE(SameMatrix(after, projection));

    // Nothing at all without a mesh or an area.
    for (auto [w, h] : {std::pair{0.0f, 100.0f}, std::pair{100.0f, 0.0f}, std::pair{-5.0f, 100.0f}}) {
        Record();
        Draw(mesh, 0, 0, w, h);
        EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty()) << w << " " << h;
    }
    Record();
    m_shell->RenderTimedPass(nullptr, 0, 0, 100, 100);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
    Device()->SetTexture(0, nullptr);
    delete mesh;
}

// The projection's x scale tells the fit: 2 / 125 x (width / 800) x fit.
TEST_F(TimedPassTest, SmallMeshesAreFittedAndFlatOnesStayFinite) {
    struct Case {
        const char* name;
        std::vector<KMeshVertex> vertices;
        float fit;
    };
    const Case cases[] = {
        {"fits: smallest ratio", {{-10, 0, -5, 0, 0}, {10, 0, 5, 0, 0}, {0, 40, 0, 0, 0}}, 90.0f / 40.0f},
        {"too wide: no fit", {{-60, 0, 0, 0, 0}, {60, 0, 0, 0, 0}, {0, 10, 0, 0, 0}}, 1.0f},
        {"flat: depth takes no part", {{-10, 0, 0, 0, 0}, {10, 0, 0, 0, 0}, {0, 10, 0, 0, 0}}, 6.0f},
        {"a point: no fit", {{1, 1, 1, 0, 0}, {1, 1, 1, 0, 0}, {1, 1, 1, 0, 0}}, 1.0f},
    };
    const WORD indices[3] = {0, 1, 2};
    for (const Case& c : cases) {
        KStaticMesh* mesh = m_shell->CreateStaticMesh(8, 8);
        ASSERT_TRUE(mesh->SetVertices(c.vertices.data(), uint32_t(c.vertices.size() * sizeof(KMeshVertex))));
        ASSERT_TRUE(mesh->SetIndices(indices, sizeof indices));
        Record();
        Draw(mesh, 0, 0, 200, 150);
        const auto draws = Calls("DrawIndexedPrimitive");
        ASSERT_EQ(draws.size(), 1u) << c.name;
        EXPECT_NEAR(draws[0].state->projection._11, 2.0f / 125.0f * 0.25f * c.fit, 1e-6f) << c.name;
        EXPECT_TRUE(Finite(draws[0].state->view)) << c.name;
        EXPECT_TRUE(Finite(draws[0].state->projection)) << c.name;
        delete mesh;
    }
}

TEST_F(SceneEffectsTest, ParticleSystemsComeWithTheirPresets) {
    KParticleSystem* spread = m_shell->CreateParticleSystem(0);
    ASSERT_NE(spread, nullptr);
    EXPECT_EQ(spread->particleSize[0], 20.0f);
    EXPECT_EQ(spread->particleSize[1], 20.0f);
    auto* emitter = dynamic_cast<KSpreadEmitter*>(spread->emitter);
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->baseVelocity[0], 0.1f);
    EXPECT_EQ(emitter->baseVelocity[2], 0.0f);
    EXPECT_EQ(emitter->range.rateMin, 80u);
    EXPECT_EQ(emitter->range.rateMax, 100u);
    EXPECT_EQ(emitter->range.colour2[3], 1.0f);
    EXPECT_EQ(emitter->range.lifeMin, 500u);
    EXPECT_EQ(emitter->range.lifeMax, 800u);
    EXPECT_EQ(emitter->spread, 10);
    ASSERT_EQ(spread->affectors.size(), 1u);
    auto* fader = dynamic_cast<KColorFader*>(spread->affectors.front());
    ASSERT_NE(fader, nullptr);
    EXPECT_EQ(fader->target[3], 0.0f);
    EXPECT_EQ(fader->target[0], 1.0f);
    EXPECT_EQ(fader->duration, 500.0f);

    KParticleSystem* box = m_shell->CreateParticleSystem(1);
    auto* boxEmitter = dynamic_cast<KBoxEmitter*>(box->emitter);
    ASSERT_NE(boxEmitter, nullptr);
    EXPECT_EQ(boxEmitter->boxMin[0], -7.0f);
    EXPECT_EQ(boxEmitter->boxMax[1], 1.0f);
    EXPECT_EQ(boxEmitter->velocity[1], 0.04f);
    EXPECT_EQ(boxEmitter->range.lifeMin, 1000u);
    EXPECT_EQ(boxEmitter->range.lifeMax, 2000u);
    ASSERT_EQ(box->affectors.size(), 1u);
    EXPECT_EQ(dynamic_cast<KColorFader*>(box->affectors.front())->duration, 1000.0f);

    KParticleSystem* plain = m_shell->CreateParticleSystem(2);
    EXPECT_EQ(plain->emitter, nullptr);
    EXPECT_TRUE(plain->affectors.empty());
    EXPECT_EQ(plain->particleSize[0], 20.0f);

    for (KParticleSystem** holder : {&spread, &box, &plain}) {
        m_shell->ReleaseParticleSystem(holder);
        EXPECT_EQ(*holder, nullptr);
    }
    m_shell->ReleaseParticleSystem(&plain);  // already null
    m_shell->ReleaseParticleSystem(nullptr);
}

class PlaceGroundTest : public SceneEffectsTest {
protected:
    static std::string Name(int i) {
        char name[64];
        std::snprintf(name, sizeof name, "_*PlaceGround*_#~%d~#_", i);
        return name;
    }
    void MakeGround(int size) {
        for (int i = 0; i < 9; ++i)
            ASSERT_NE(m_shell->CreateImage(Name(i).c_str(), size, size, g_PlaceMapTarget.imageType, 0), 0u);
    }
    // Width of each ground picture (0 when absent).
    std::vector<int> Sizes() {
        std::vector<int> sizes;
        for (int i = 0; i < 9; ++i) {
            int width = 0;
            for (const KImageCacheEntry& entry : m_shell->imageCache.Entries())
                if (entry.name == Name(i) && entry.picture) width = entry.picture->GetWidth();
            sizes.push_back(width);
        }
        return sizes;
    }
};

TEST_F(PlaceGroundTest, HalvesUntilTheScaleIsTooSmall) {
    m_shell->SetUiScale(0.25f);
    MakeGround(128);
    EXPECT_TRUE(m_shell->ShrinkPlaceGround());
    EXPECT_EQ(m_shell->GetUiScale(), 0.125f);
    EXPECT_EQ(Sizes(), std::vector<int>(9, 64));
    EXPECT_FALSE(m_shell->ShrinkPlaceGround());
    EXPECT_EQ(m_shell->GetUiScale(), 0.125f);
}

// The picture objects' out-of-memory policy reaches the same operation.
TEST_F(PlaceGroundTest, ThePictureServicesShrinkThroughTheShell) {
    m_shell->SetUiScale(0.25f);
    MakeGround(128);
    EXPECT_TRUE(picture_services::ShrinkGroundPictures());
    EXPECT_EQ(m_shell->GetUiScale(), 0.125f);
    EXPECT_EQ(Sizes(), std::vector<int>(9, 64));
    EXPECT_FALSE(picture_services::ShrinkGroundPictures());
}

// The fourth picture cannot be made at 256: the retry halves again and
// makes all nine at 128, the one that failed too.
TEST_F(PlaceGroundTest, AFailedPictureIsMadeAgainAtTheNextSize) {
    m_shell->SetUiScale(1.0f);
    MakeGround(512);
    // A picture tries its texture twice.
    lumiva::d3d9::FailCreationAt(4, D3DERR_OUTOFVIDEOMEMORY, 2);
    EXPECT_TRUE(m_shell->ShrinkPlaceGround());
    EXPECT_EQ(m_shell->GetUiScale(), 0.25f);
    EXPECT_EQ(Sizes(), std::vector<int>(9, 128));
}

TEST_F(PlaceGroundTest, AMissingPictureEndsTheShrink) {
    m_shell->SetUiScale(1.0f);
    EXPECT_TRUE(m_shell->ShrinkPlaceGround());
    EXPECT_EQ(m_shell->GetUiScale(), 0.5f);
    EXPECT_EQ(Sizes(), std::vector<int>(9, 0));
}

}  // namespace
}  // namespace scene_effects_test
