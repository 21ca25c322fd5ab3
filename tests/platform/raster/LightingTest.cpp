// Fixed-function lighting of single points, whose pixel shows the lit vertex
// colour unblended: light types, ambient, emissive, specular, the material
// sources, and normals through the inverse transpose of the world matrices.
// Expected colours are worked out by hand from the lighting sum.
#include <gtest/gtest.h>

#include <cmath>

#include "RasterTestKit.h"

namespace rastertest::lighting_test {
namespace {

constexpr uint32_t kBackground = 0x00C0FFEEu;

struct LitVtx {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse, specular;
};
constexpr uint32_t kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR;

// A point in front of the eye at the origin, facing it.
constexpr LitVtx kFacing = {0, 0, 0.5f, 0, 0, -1, 0xC0804020u, 0x00102030u};

D3DCOLORVALUE Rgba(float r, float g, float b, float a = 0.0f) { return D3DCOLORVALUE{r, g, b, a}; }

D3DLIGHT9 Directional(float x, float y, float z) {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = Rgba(1, 1, 1);
    l.Direction = D3DVECTOR{x, y, z};
    return l;
}

D3DLIGHT9 Point(float x, float y, float z, float range, float a0, float a1, float a2) {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = Rgba(1, 1, 1);
    l.Position = D3DVECTOR{x, y, z};
    l.Range = range;
    l.Attenuation0 = a0;
    l.Attenuation1 = a1;
    l.Attenuation2 = a2;
    return l;
}

// Lighting on, every colour from the material, everything else black: the
// stage shows the lit diffuse.
struct Lit {
    StateBlock states = States2D();
    std::vector<D3DLIGHT9> lights;
    Lit() {
        states.render[D3DRS_LIGHTING] = 1;
        states.render[D3DRS_AMBIENT] = 0;
        states.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
        states.stage[0][D3DTSS_COLORARG1] = D3DTA_DIFFUSE;
        states.stage[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
        states.stage[0][D3DTSS_ALPHAARG1] = D3DTA_DIFFUSE;
        states.render[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_MATERIAL;
        states.render[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_MATERIAL;
        // Halves and fulls of these never land on .5.
        states.material.Diffuse = Rgba(0.8f, 0.4f, 0.75f, 0.6f);
    }
    Lit& With(const D3DLIGHT9& light) {
        lights.push_back(light);
        return *this;
    }

    // The one pixel the point lights.
    template <class Vertex>
    uint32_t Draw(const Vertex& v, uint32_t fvf = kLitFvf) {
        states.lights = lights.data();
        states.lightCount = uint32_t(lights.size());
        Target t(16, kBackground);
        DrawUp(states, t.view, fvf, D3DPT_POINTLIST, 1, std::vector<Vertex>{v});
        uint32_t found = kBackground;
        int count = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (t.At(x, y) != kBackground) found = t.At(x, y), ++count;
        EXPECT_EQ(count, 1);
        return found;
    }
};

TEST(Lighting, DirectionalLightFollowsTheAngleToTheNormal) {
    // At 60 degrees from the normal: half the diffuse (0.4, 0.2, 0.375),
    // alpha the material's 0.6.
    EXPECT_EQ(Lit().With(Directional(0, -0.8660254f, 0.5f)).Draw(kFacing), 0x99663360u);
    // Head on: all of it.
    EXPECT_EQ(Lit().With(Directional(0, 0, 1)).Draw(kFacing), 0x99CC66BFu);
    // From behind the surface: nothing.
    EXPECT_EQ(Lit().With(Directional(0, 0, -1)).Draw(kFacing), 0x99000000u);
    // Two lights add and the sum clamps.
    EXPECT_EQ(Lit().With(Directional(0, 0, 1)).With(Directional(0, -0.8660254f, 0.5f)).Draw(kFacing), 0x99FF99FFu);
}

TEST(Lighting, AmbientAndEmissiveNeedNoLightFacingTheSurface) {
    Lit global;
    global.states.render[D3DRS_AMBIENT] = 0xFF404040;  // 64/255 times the material ambient
    global.states.material.Ambient = Rgba(1.0f, 0.5f, 0.25f);
    EXPECT_EQ(global.Draw(kFacing), 0x99402010u);

    Lit perLight;  // the light's ambient, though the light is behind
    perLight.states.material.Ambient = Rgba(1.0f, 0.5f, 0.3f);
    D3DLIGHT9 behind = Directional(0, 0, -1);
    behind.Ambient = Rgba(0.4f, 0.4f, 0.4f);
    EXPECT_EQ(perLight.With(behind).Draw(kFacing), 0x9966331Fu);

    Lit emissive;
    emissive.states.material.Emissive = Rgba(0.2f, 0.4f, 0.6f);
    EXPECT_EQ(emissive.With(Directional(0, 0, -1)).Draw(kFacing), 0x99336699u);
}

TEST(Lighting, LightingOffKeepsVertexColoursAndNoLightIsBlack) {
    Lit off;
    off.states.render[D3DRS_LIGHTING] = 0;
    EXPECT_EQ(off.Draw(kFacing), 0xC0804020u);
    Lit dark;
    dark.states.material = D3DMATERIAL9{};
    EXPECT_EQ(dark.Draw(kFacing), 0x00000000u);
}

TEST(Lighting, PointLightsAttenuateAndEndAtTheirRange) {
    // Two units in front of the point: 1 / (1 + 0.25 * 2 * 2) is a half.
    EXPECT_EQ(Lit().With(Point(0, 0, -1.5f, 10, 1, 0, 0.25f)).Draw(kFacing), 0x99663360u);
    EXPECT_EQ(Lit().With(Point(0, 0, -1.5f, 10, 0, 1, 0)).Draw(kFacing), 0x99663360u);
    EXPECT_EQ(Lit().With(Point(0, 0, -1.5f, 1.9f, 1, 0, 0)).Draw(kFacing), 0x99000000u);
    // Beside the point, at 90 degrees: no diffuse.
    EXPECT_EQ(Lit().With(Point(2, 0, 0.5f, 10, 1, 0, 0)).Draw(kFacing), 0x99000000u);
}

TEST(Lighting, SpotLightsFadeBetweenTheirCones) {
    // The spot shines along +z from two units before the points' plane;
    // cos(theta / 2) = 0.8, cos(phi / 2) = 0.6. Each point's normal faces
    // the light, so only the cone dims it. x is scaled by 1/4 to stay on screen.
    D3DLIGHT9 spot = Point(0, 0, -1.5f, 10, 1, 0, 0);
    spot.Type = D3DLIGHT_SPOT;
    spot.Direction = D3DVECTOR{0, 0, 1};
    spot.Theta = 2.0f * std::acos(0.8f);
    spot.Phi = 2.0f * std::acos(0.6f);
    spot.Falloff = 1.0f;
    struct Case {
        float x, nx, nz;
        uint32_t expected;
    } cases[] = {
        {1, -0.4472136f, -0.8944272f, 0x99CC66BFu},  // rho 0.894: inside the inner cone
        {2, -0.7071068f, -0.7071068f, 0x996D3766u},  // rho 0.707: (0.707 - 0.6) / 0.2 = 0.536
        {3, -0.8320503f, -0.5547002f, 0x99000000u},  // rho 0.555: outside the outer cone
    };
    for (const Case& c : cases) {
        Lit lit;
        lit.states.projection.m[0][0] = 0.25f;
        const LitVtx v = {c.x, 0, 0.5f, c.nx, 0, c.nz, 0, 0};
        EXPECT_EQ(lit.With(spot).Draw(v), c.expected) << c.x;
    }
}

TEST(Lighting, SpecularOnlyWithSpecularEnableAndByThePower) {
    D3DLIGHT9 headOn = Directional(0, 0, 1), tilted = Directional(0, -0.8660254f, 0.5f);
    headOn.Specular = tilted.Specular = Rgba(1, 1, 1);
    auto shiny = [](bool enabled) {
        Lit lit;
        lit.states.material.Diffuse = Rgba(0, 0, 0, 0.6f);
        lit.states.material.Specular = Rgba(0.2f, 0.4f, 0.6f);
        lit.states.material.Power = 10.0f;
        lit.states.render[D3DRS_SPECULARENABLE] = enabled;
        return lit;
    };
    // The half vector of a head-on light is the normal: all of the specular.
    EXPECT_EQ(shiny(true).With(headOn).Draw(kFacing), 0x99336699u);
    EXPECT_EQ(shiny(false).With(headOn).Draw(kFacing), 0x99000000u);
    // At 60 degrees the half vector is 30 degrees off: 0.866^10 = 0.237.
    EXPECT_EQ(shiny(true).With(tilted).Draw(kFacing), 0x990C1824u);
}

TEST(Lighting, MaterialSourcesTakeVertexColoursUnderColorVertex) {
    D3DLIGHT9 headOn = Directional(0, 0, 1);
    headOn.Specular = Rgba(1, 1, 1);
    struct Case {
        const char* name;
        bool colourVertex;
        uint32_t diffuse, ambient, specular, emissive;
        bool light;
        uint32_t expected;
    } cases[] = {
        // The vertex diffuse, alpha included.
        {"diffuse from colour 1", true, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, true,
         0xC0804020u},
        {"diffuse from colour 2", true, D3DMCS_COLOR2, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, true,
         0x00102030u},
        {"diffuse from the material", true, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL,
         true, 0x99CC66BFu},
        {"colour vertex off", false, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, true,
         0x99CC66BFu},
        // White global ambient times the vertex specular.
        {"ambient from colour 2", true, D3DMCS_MATERIAL, D3DMCS_COLOR2, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false,
         0x99102030u},
        {"emissive from colour 1", true, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR1, false,
         0x99804020u},
    };
    for (const Case& c : cases) {
        Lit lit;
        lit.states.render[D3DRS_COLORVERTEX] = c.colourVertex;
        lit.states.render[D3DRS_DIFFUSEMATERIALSOURCE] = c.diffuse;
        lit.states.render[D3DRS_AMBIENTMATERIALSOURCE] = c.ambient;
        lit.states.render[D3DRS_SPECULARMATERIALSOURCE] = c.specular;
        lit.states.render[D3DRS_EMISSIVEMATERIALSOURCE] = c.emissive;
        if (!c.light) {
            lit.states.material.Diffuse = Rgba(0, 0, 0, 0.6f);
            lit.states.render[D3DRS_AMBIENT] = 0xFFFFFFFF;
        }
        if (c.light) lit.With(headOn);
        EXPECT_EQ(lit.Draw(kFacing), c.expected) << c.name;
    }
    // Specular from the vertex diffuse, added to a black diffuse.
    Lit shiny;
    shiny.states.material.Diffuse = Rgba(0, 0, 0, 0.6f);
    shiny.states.render[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_MATERIAL;
    shiny.states.render[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR1;
    shiny.states.render[D3DRS_SPECULARENABLE] = 1;
    EXPECT_EQ(shiny.With(headOn).Draw(kFacing), 0x99804020u);
    // A vertex without the named colour lights with the material's.
    struct Plain {
        float x, y, z, nx, ny, nz;
    };
    Lit plain;
    plain.states.render[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR2;
    EXPECT_EQ(plain.With(headOn).Draw(Plain{0, 0, 0.5f, 0, 0, -1}, D3DFVF_XYZ | D3DFVF_NORMAL), 0x99CC66BFu);
}

TEST(Lighting, NormalsGoThroughTheInverseTransposeOfTheWorld) {
    // World x stretched by 2: the normal (1, 0, -1) becomes (0.5, 0, -1),
    // and the light along -x meets it at 0.5 (the stretch itself would give 2).
    const LitVtx slanted = {0, 0, 0.5f, 1, 0, -1, 0, 0};
    Lit stretched;
    stretched.states.world[0].m[0][0] = 2.0f;
    EXPECT_EQ(stretched.With(Directional(-1, 0, 0)).Draw(slanted), 0x99663360u);
    // Normalised: 0.5 / 1.118 = 0.447.
    Lit normalised;
    normalised.states.world[0].m[0][0] = 2.0f;
    normalised.states.render[D3DRS_NORMALIZENORMALS] = 1;
    EXPECT_EQ(normalised.With(Directional(-1, 0, 0)).Draw(slanted), 0x995B2E56u);

    // Blended: a quarter through x stretched by 4 (0.25), three quarters
    // through the identity: 0.8125.
    struct Blended {
        float x, y, z, weight, nx, ny, nz;
    };
    Lit blended;
    blended.states.world[0].m[0][0] = 4.0f;
    blended.states.render[D3DRS_VERTEXBLEND] = D3DVBF_1WEIGHTS;
    EXPECT_EQ(blended.With(Directional(-1, 0, 0))
                  .Draw(Blended{0, 0, 0.5f, 0.25f, 1, 0, -1}, D3DFVF_XYZB1 | D3DFVF_NORMAL),
              0x99A6539Bu);
}

// Direct3D 9 transforms normals by the inverse transpose of world x view;
// a world that cannot be inverted leaves them as they come, so a flattened
// quad still lights (it did not go black).
TEST(Lighting, SingularWorldLeavesNormalsUntransformed) {
    auto drawQuad = [](const Matrix& world) {
        Lit lit;
        lit.states.world[0] = world;
        lit.With(Directional(0, 0, 1));
        lit.states.lights = lit.lights.data();
        lit.states.lightCount = 1;
        const std::vector<LitVtx> quad = {{-0.5f, 0.5f, 0, 0, 0, -1, 0, 0},
                                          {0.5f, 0.5f, 0, 0, 0, -1, 0, 0},
                                          {-0.5f, -0.5f, 0, 0, 0, -1, 0, 0},
                                          {0.5f, -0.5f, 0, 0, 0, -1, 0, 0}};
        Target t(16, kBackground);
        DrawUp(lit.states, t.view, kLitFvf, D3DPT_TRIANGLESTRIP, 2, quad);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pixels.push_back(t.At(x, y));
        return pixels;
    };
    const Matrix identity = Lit().states.world[0];
    const std::vector<uint32_t> underIdentity = drawQuad(identity);
    ASSERT_EQ(underIdentity[8 * 16 + 8], 0x99CC66BFu);  // head on: all the diffuse
    Matrix flattened = identity;  // z scaled to nothing
    flattened.m[2][2] = 0.0f;
    Matrix folded = flattened;  // z folded onto x: still no inverse
    folded.m[2][0] = 1.0f;
    for (const Matrix& world : {flattened, folded}) EXPECT_EQ(drawQuad(world), underIdentity);
}

TEST(Lighting, LightsAndNormalsMeetInCameraSpace) {
    // A quarter turn of the view about z moves the light and the normal
    // alike: a light shining straight at the surface still lights it fully.
    const LitVtx down = {0, 0, 0.5f, 0, -1, 0, 0, 0};
    for (bool point : {false, true}) {
        Lit lit;
        lit.states.view.m[0][0] = lit.states.view.m[1][1] = 0.0f;
        lit.states.view.m[0][1] = 1.0f;
        lit.states.view.m[1][0] = -1.0f;
        lit.With(point ? Point(0, -2, 0.5f, 10, 1, 0, 0) : Directional(0, 1, 0));
        EXPECT_EQ(lit.Draw(down), 0x99CC66BFu) << point;
    }
}

TEST(Lighting, GeneratedNormalCoordinatesUseTheInverseTranspose) {
    // u from the camera-space normal's x: x stretched by 4 makes it 0.25
    // (texel 1 of 4); normalised it is 0.243 (texel 0).
    const Texture tex = Texture::Argb(4, 1, {0xFF000011, 0xFF000022, 0xFF000033, 0xFF000044});
    struct Vtx {
        float x, y, z, nx, ny, nz;
    };
    for (bool normalise : {false, true}) {
        StateBlock s = States2D();
        s.world[0].m[0][0] = 4.0f;
        s.render[D3DRS_NORMALIZENORMALS] = normalise;
        s.stage[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACENORMAL;
        s.stage[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
        s.stage[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
        Target t;
        DrawUp(s, t.view, D3DFVF_XYZ | D3DFVF_NORMAL, D3DPT_POINTLIST, 1, std::vector<Vtx>{{0, 0, 0.5f, 1, 0, -1}},
               &tex.view);
        EXPECT_EQ(t.At(8, 8), normalise ? 0xFF000011u : 0xFF000022u);
    }
}

}  // namespace
}  // namespace rastertest::lighting_test
