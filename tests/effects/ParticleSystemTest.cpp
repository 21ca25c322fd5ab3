// The particle system: emission thresholds and batches, box and spread
// emission, death and motion, the affectors, the grown buffers, the draw's
// call and states, its pixels, and buffer failures.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>

#include "effects/KParticleSystem.h"
#include "effects/SceneEffectsFixture.h"

namespace scene_effects_test {
namespace {

using lumiva::win32::InstallScriptedRandom;

KEmissionRange Range(uint32_t rateMin, uint32_t rateMax, uint32_t lifeMin, uint32_t lifeMax) {
    return KEmissionRange{rateMin, rateMax, {1, 1, 1, 1}, {1, 1, 1, 1}, lifeMin, lifeMax};
}

std::unique_ptr<KBoxEmitter> Box(float lo, float hi, uint32_t rate, uint32_t life = 1000) {
    const float minimum[3] = {lo, lo, lo}, maximum[3] = {hi, hi, hi}, velocity[3] = {0, 0, 0};
    return std::make_unique<KBoxEmitter>(minimum, maximum, velocity, Range(rate, rate, life, life), 0);
}

// A system whose box emitter at the origin makes one still particle of the
// given life at the first Render after `rate`'s interval.
KParticleSystem* OneParticleSystem(KParticleSystem& system, uint32_t life) {
    const float size[2] = {20, 20};
    system.SetParticleSize(size);
    system.SetEmitter(system.CreateBoxEmitter(0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 1, 1, 1, 1, 1, 1, 1, 1, life, life, 0));
    return &system;
}

using ParticleTest = SceneEffectsTest;

TEST_F(ParticleTest, EmissionWaitsUntilTheIntervalIsPassedAndCapsBatches) {
    struct Case {
        uint32_t rate;
        uint32_t elapsed;
        uint32_t expected;
    };
    const Case cases[] = {
        {10, 100, 0},            // accumulated equals the interval
        {10, 101, 1},            // passes it
        {10, 149, 1},            // round(1.49)
        {10, 150, 2},            // round(1.5)
        {10, 10000, 20},         // a long pause: 100 wanted, 2 x rateMax given
        {100000, 1000, 16250},   // never more than the system can hold
        {0, 4000000000u, 0},     // both rates 0: an infinite interval
        {UINT_MAX, UINT_MAX, 16250},
    };
    for (const Case& c : cases) {
        auto emitter = Box(0, 1, c.rate);
        KParticle* first = nullptr;
        EXPECT_EQ(emitter->Emit(Now(), c.elapsed, &first), c.expected) << c.rate << " " << c.elapsed;
        EXPECT_EQ(first != nullptr, c.expected > 0);
        if (c.expected) {
            EXPECT_EQ(emitter->accumulated, 0u);  // the remainder is dropped
        }
    }
    auto emitter = Box(0, 1, 10);
    KParticle* first = nullptr;
    EXPECT_EQ(emitter->Emit(Now(), 100, &first), 0u);
    EXPECT_EQ(emitter->Emit(Now(), 1, &first), 1u);  // 101 accumulated
}

TEST_F(ParticleTest, RatesAndLivesAreDrawnBetweenTheirBounds) {
    // rate 10 + 5 % 10 = 15 (interval 66.7); life 100 + 7 % 50; colour t = 0.25
    InstallScriptedRandom({5, 0, 0, 0, 7, 25});
    const float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0}, v[3] = {1, 2, 3};
    KEmissionRange range{10, 20, {0, 0, 0, 0}, {1, 0.5f, 1, 1}, 100, 150};
    KBoxEmitter emitter(lo, hi, v, range, 0);
    KParticle* p = nullptr;
    ASSERT_EQ(emitter.Emit(5000, 70, &p), 1u);
    EXPECT_EQ(p->birthTime, 5000u);
    EXPECT_EQ(p->deathTime, 5107u);
    EXPECT_FLOAT_EQ(p->colour[0], 0.25f);
    EXPECT_FLOAT_EQ(p->colour[1], 0.125f);
    EXPECT_FLOAT_EQ(p->startColour[3], 0.25f);
    EXPECT_FLOAT_EQ(p->velocity[2], 3.0f);
    EXPECT_FLOAT_EQ(p->startVelocity[1], 2.0f);
}

TEST_F(ParticleTest, BoxEmissionLiesOnWholeUnitsFromTheMinimumCorner) {
    InstallScriptedRandom({5, 3, 20, 50});
    const float lo[3] = {-7, 0, -7}, hi[3] = {7, 1, 7}, v[3] = {0, 0.04f, 0};
    KEmissionRange range{10, 10, {0, 0, 0, 0}, {1, 1, 1, 1}, 1000, 1000};
    KBoxEmitter emitter(lo, hi, v, range, 0);
    KParticle* p = nullptr;
    ASSERT_EQ(emitter.Emit(1, 101, &p), 1u);
    EXPECT_FLOAT_EQ(p->position[0], -2.0f);  // 5 mod 14 - 7
    EXPECT_FLOAT_EQ(p->position[1], 0.0f);   // an extent of 1 gives 0
    EXPECT_FLOAT_EQ(p->position[2], -1.0f);  // 20 mod 14 - 7
    EXPECT_FLOAT_EQ(p->colour[0], 0.5f);

    // A flat box puts particles on its corner, never at NaN.
    auto flat = Box(2, 2, 10);
    ASSERT_EQ(flat->Emit(1, 101, &p), 1u);
    for (float coordinate : p->position) EXPECT_EQ(coordinate, 2.0f);

    float out[3] = {};
    const float velocity[3] = {4, 5, 6};
    EXPECT_EQ(emitter.SetVector(1, velocity), 0);
    EXPECT_EQ(emitter.GetVelocity(out), out);
    EXPECT_FLOAT_EQ(out[1], 0.04f);  // index 1 changes nothing
    emitter.SetVector(0, velocity);
    emitter.GetVelocity(out);
    EXPECT_FLOAT_EQ(out[2], 6.0f);
}

TEST_F(ParticleTest, SpreadEmissionTurnsTheBaseVelocityAboutXThenY) {
    const float base[3] = {0, 1, 0};
    const KEmissionRange range = Range(10, 10, 500, 500);
    KParticle* p = nullptr;

    KSpreadEmitter straight(base, range, 0);
    ASSERT_EQ(straight.Emit(7, 101, &p), 1u);
    EXPECT_FLOAT_EQ(p->velocity[1], 1.0f);
    EXPECT_EQ(p->deathTime, 507u);

    // a1 = 0 mod 180 - 90 = -90 degrees about x: (0, 1, 0) -> (0, 0, -1);
    // a2 = 90 mod 180 - 90 = 0.
    InstallScriptedRandom({0, 90, 0});
    KSpreadEmitter turned(base, range, 90);
    ASSERT_EQ(turned.Emit(7, 101, &p), 1u);
    EXPECT_NEAR(p->velocity[1], 0.0f, 1e-6f);
    EXPECT_NEAR(p->velocity[2], -1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(p->startVelocity[2], p->velocity[2]);
    EXPECT_FLOAT_EQ(p->position[0], 0.0f);

    // The extreme spreads draw without overflow.
    for (int32_t spread : {INT_MIN, INT_MAX, -1}) {
        KSpreadEmitter wide(base, range, spread);
        ASSERT_EQ(wide.Emit(7, 101, &p), 1u);
        EXPECT_TRUE(std::isfinite(p->velocity[0]) && std::isfinite(p->velocity[2]));
    }
}

TEST_F(ParticleTest, DeathAtNowMovesAndTheNextUpdateRemoves) {
    KParticleSystem system;
    OneParticleSystem(system, 200);
    system.emitter->SetVelocity(0.5f, 0, 0);
    Advance(101);
    system.UpdateParticles();  // born now, moved by 0.5 x 101
    ASSERT_EQ(system.particles.size(), 1u);
    EXPECT_FLOAT_EQ(system.particles[0].position[0], 50.5f);
    system.SetEmitter(nullptr);
    Advance(200);  // death time equals now: still moved
    system.UpdateParticles();
    ASSERT_EQ(system.particles.size(), 1u);
    EXPECT_FLOAT_EQ(system.particles[0].position[0], 150.5f);
    Advance(1);
    system.UpdateParticles();
    EXPECT_TRUE(system.particles.empty());
}

TEST_F(ParticleTest, AJumpOfTheSystemMovesLivingParticlesBackEveryUpdate) {
    KParticleSystem system;
    OneParticleSystem(system, 100000);
    system.SetPosition(30, 60, 0);
    Advance(101);
    system.UpdateParticles();
    system.SetEmitter(nullptr);
    ASSERT_EQ(system.particles.size(), 1u);
    EXPECT_FLOAT_EQ(system.particles[0].birthOffset[0], 1.0f);
    EXPECT_FLOAT_EQ(system.particles[0].position[0], 0.0f);  // still system: no offset
    system.SetPosition(60, 60, -90);  // D = (30, 0, -90)
    for (int update = 1; update <= 3; ++update) {
        Advance(10);
        system.UpdateParticles();
        EXPECT_FLOAT_EQ(system.particles[0].position[0], -1.0f * float(update));
        EXPECT_FLOAT_EQ(system.particles[0].position[1], 0.0f);
        EXPECT_FLOAT_EQ(system.particles[0].position[2], 3.0f * float(update));
    }
}

TEST_F(ParticleTest, FaderEndsOnTheTargetAndBlenderMovesTheVelocity) {
    KParticle p{};
    p.birthTime = 1000;
    p.deathTime = 2000;
    for (float& c : p.startColour) c = 1.0f;
    for (float& c : p.colour) c = 1.0f;
    p.startVelocity[0] = 2.0f;

    const float clear[4] = {1, 1, 1, 0};
    KColorFader fader(clear, 100);
    fader.Apply(1899, &p, 1);  // 101 left: not yet
    EXPECT_FLOAT_EQ(p.colour[3], 1.0f);
    fader.Apply(1950, &p, 1);
    EXPECT_FLOAT_EQ(p.colour[3], 0.5f);
    fader.Apply(2000, &p, 1);
    EXPECT_FLOAT_EQ(p.colour[3], 0.0f);
    EXPECT_FLOAT_EQ(p.colour[0], 1.0f);

    KColorFader instant(clear, 0);  // fades over 1 ms
    EXPECT_FLOAT_EQ(instant.duration, 1.0f);
    p.colour[3] = 1.0f;
    instant.Apply(1999, &p, 1);
    EXPECT_FLOAT_EQ(p.colour[3], 1.0f);

    KVectorBlender blender(0, 4, 0, 100);
    blender.Apply(1025, &p, 1);
    EXPECT_FLOAT_EQ(p.velocity[0], 1.5f);
    EXPECT_FLOAT_EQ(p.velocity[1], 1.0f);
    blender.Apply(5000, &p, 1);  // clamped to the target
    EXPECT_FLOAT_EQ(p.velocity[1], 4.0f);
    blender.Apply(900, &p, 1);   // before birth the unsigned age is large: clamped too
    EXPECT_FLOAT_EQ(p.velocity[1], 4.0f);

    KVectorBlender zero(0, 4, 0, 0);  // acts as 1 ms, never divides by zero
    zero.Apply(1000, &p, 1);
    EXPECT_FLOAT_EQ(p.velocity[1], 0.0f);
    zero.Apply(1001, &p, 1);
    EXPECT_FLOAT_EQ(p.velocity[1], 4.0f);
}

TEST_F(ParticleTest, BuffersGrowWithHeadroomAndHoldCoordinatesAndIndices) {
    KParticleSystem system;
    OneParticleSystem(system, 100000);
    Advance(101);
    system.Render();
    ASSERT_NE(system.vertexBuffer, nullptr);
    D3DVERTEXBUFFER_DESC vd{};
    system.vertexBuffer->GetDesc(&vd);
    EXPECT_EQ(vd.Size, (4u + 256u) * 36u);
    EXPECT_EQ(vd.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(vd.Usage & D3DUSAGE_DYNAMIC, DWORD(D3DUSAGE_DYNAMIC));
    EXPECT_EQ(vd.FVF, 0x152u);
    D3DINDEXBUFFER_DESC id{};
    system.indexBuffer->GetDesc(&id);
    EXPECT_EQ(id.Size, (1u + 64u) * 6u * 2u);
    EXPECT_EQ(id.Format, D3DFMT_INDEX16);

    const auto indices = Read<WORD>(system.indexBuffer, 12);
    EXPECT_EQ(indices, (std::vector<WORD>{0, 2, 1, 0, 3, 2, 4, 6, 5, 4, 7, 6}));
    const auto vertices = Read<KParticleVertex>(system.vertexBuffer, 8);
    const float uv[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(vertices[i].u, uv[i % 4][0]);
        EXPECT_EQ(vertices[i].v, uv[i % 4][1]);
    }
    // The one quad: right (10, 0, 0), down (0, -10, 0), normal (0, 0, -1).
    EXPECT_FLOAT_EQ(vertices[0].x, 10.0f);
    EXPECT_FLOAT_EQ(vertices[0].y, -10.0f);
    EXPECT_FLOAT_EQ(vertices[1].y, 10.0f);
    EXPECT_FLOAT_EQ(vertices[2].x, -10.0f);
    EXPECT_FLOAT_EQ(vertices[3].y, -10.0f);
    EXPECT_FLOAT_EQ(vertices[0].nz, -1.0f);
    EXPECT_EQ(vertices[0].colour, 0xFFFFFFFFu);

    // 65 quads fit the first buffers; the 66th grows them to 4n + 256.
    KParticle extra = system.particles[0];
    system.SetEmitter(nullptr);
    IDirect3DVertexBuffer9* first = system.vertexBuffer;
    system.particles.assign(65, extra);
    EXPECT_TRUE(system.GrowBuffers());
    EXPECT_EQ(system.vertexBuffer, first);
    system.particles.assign(66, extra);
    EXPECT_TRUE(system.GrowBuffers());
    system.vertexBuffer->GetDesc(&vd);
    EXPECT_EQ(vd.Size, (4u * 66u + 256u) * 36u);
    EXPECT_EQ(Read<WORD>(system.indexBuffer, 6, 6 * 129), (std::vector<WORD>{516, 518, 517, 516, 519, 518}));
    system.ReleaseResources();
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

TEST_F(ParticleTest, OneIndexedDrawWithAdditiveBlendingLightsTheCentre) {
    KParticleSystem system;
    OneParticleSystem(system, 100000);
    system.AddAffector(system.CreateColorFader(1, 1, 1, 0, 10));
    system.AddAffector(nullptr);
    ClearScreen(0xFF000000);
    Advance(101);
    Record();
    EXPECT_TRUE(system.Render());
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2}));
    EXPECT_EQ(Sets("SetTextureStageState", D3DTSS_ALPHAOP), std::vector<DWORD>{D3DTOP_MODULATE});
    EXPECT_EQ(Sets("SetTextureStageState", D3DTSS_ALPHAARG1), std::vector<DWORD>{D3DTA_DIFFUSE});
    EXPECT_EQ(Sets("SetTextureStageState", D3DTSS_ALPHAARG2), std::vector<DWORD>{D3DTA_TEXTURE});
    EXPECT_EQ(Sets("SetRenderState", D3DRS_SRCBLEND), std::vector<DWORD>{D3DBLEND_SRCALPHA});
    EXPECT_EQ(Sets("SetRenderState", D3DRS_DESTBLEND), std::vector<DWORD>{D3DBLEND_ONE});
    EXPECT_EQ(Sets("SetRenderState", D3DRS_CULLMODE), std::vector<DWORD>{D3DCULL_NONE});
    EXPECT_EQ(Sets("SetRenderState", D3DRS_LIGHTING), std::vector<DWORD>{FALSE});
    EXPECT_EQ(Sets("SetSamplerState", D3DSAMP_MAGFILTER), std::vector<DWORD>{D3DTEXF_LINEAR});
    EXPECT_EQ(Calls("SetFVF").back().args[0], 0x152u);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));  // nothing restored

    // 20 units at 2500 under a 7.5-degree view: about 24 x 18 pixels.
    const auto image = BackBuffer();
    EXPECT_EQ(image.At(400, 300), 0xFFFFFFFFu);
    EXPECT_EQ(image.At(400 + 20, 300 + 15) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.At(400 + 30, 300) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.At(400, 300 + 22) & 0xFFFFFF, 0u);

    // The fader takes the particle to transparent: it adds nothing.
    ClearScreen(0xFF000000);
    system.SetEmitter(nullptr);
    Advance(100000);
    system.Render();
    EXPECT_EQ(BackBuffer().At(400, 300) & 0xFFFFFF, 0u);
    system.ReleaseResources();
}

TEST_F(ParticleTest, TheSystemMovesItsQuadsByItsPosition) {
    KParticleSystem system;
    OneParticleSystem(system, 100000);
    system.SetPosition(100, 0, 0);  // about 244 pixels right
    ClearScreen(0xFF000000);
    Advance(101);
    system.Render();
    const auto image = BackBuffer();
    EXPECT_EQ(image.At(400, 300) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.At(644, 300) & 0xFFFFFF, 0xFFFFFFu);
    system.ReleaseResources();
}

TEST_F(ParticleTest, FailedBuffersKeepTheOldOnesAndSkipTheDraw) {
    KParticleSystem system;
    OneParticleSystem(system, 100000);
    Advance(101);
    Record();
    for (UINT failing : {1u, 2u}) {  // the vertex buffer, then the index buffer
        lumiva::d3d9::FailCreationAt(failing);
        system.Render();
        EXPECT_EQ(system.vertexBuffer, nullptr);
        EXPECT_EQ(system.indexBuffer, nullptr);
    }
    lumiva::d3d9::FailBufferLockAt(1);
    system.Render();
    EXPECT_EQ(system.vertexBuffer, nullptr);
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());

    system.Render();
    ASSERT_NE(system.vertexBuffer, nullptr);
    IDirect3DVertexBuffer9* kept = system.vertexBuffer;
    KParticle one = system.particles[0];
    system.SetEmitter(nullptr);
    system.particles.assign(100, one);
    lumiva::d3d9::FailCreationAt(1);
    lumiva::d3d9::ClearRecording();
    system.Render();
    EXPECT_EQ(system.vertexBuffer, kept);
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
    lumiva::d3d9::FailBufferLockAt(1);  // the frame's own lock
    system.particles.assign(1, one);
    system.Render();
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
    system.Render();
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
    system.ReleaseResources();
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

TEST_F(ParticleTest, AnEmptiedListDrawsNothingAndKeepsTheBuffers) {
    KParticleSystem system;
    OneParticleSystem(system, 50);
    Advance(101);
    system.Render();
    system.SetEmitter(nullptr);
    Advance(100);
    Record();
    system.Render();
    EXPECT_TRUE(system.particles.empty());
    EXPECT_NE(system.vertexBuffer, nullptr);
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
    system.ReleaseResources();
}

TEST_F(ParticleTest, TheSystemOwnsItsTextureAndReleasesItsResources) {
    KParticleSystem system;
    IDirect3DTexture9 *a = nullptr, *b = nullptr;
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &a, nullptr), D3D_OK);
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
    a->AddRef();
    b->AddRef();
    system.SetTexture(a);
    system.SetTexture(a);
    system.SetTexture(nullptr);
    EXPECT_EQ(system.texture, a);
    system.SetTexture(b);  // a is released
    EXPECT_EQ(a->Release(), 0u);
    OneParticleSystem(system, 100000);
    system.AddAffector(system.CreateVectorBlender(0, 1, 0, 10));
    Advance(101);
    system.Render();
    system.ReleaseResources();
    EXPECT_EQ(system.emitter, nullptr);
    EXPECT_TRUE(system.affectors.empty());
    EXPECT_EQ(system.texture, nullptr);
    EXPECT_EQ(system.vertexBuffer, nullptr);
    EXPECT_EQ(system.particles.size(), 1u);  // emitted particles stay
    Device()->SetTexture(0, nullptr);  // the draw bound it
    EXPECT_EQ(b->Release(), 0u);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    EXPECT_EQ(system.EmptySlot12(), 0);
}

}  // namespace
}  // namespace scene_effects_test
