// Transformed geometry through the device as the 3D subsystems draw it:
// depth between intersecting triangles, perspective texturing, mip levels,
// culling by the screen winding, the materials' alpha test at 10, and a lit
// draw with its lights in the recorded state.
#include <algorithm>
#include <cmath>
#include <vector>

#include "support/SceneDevice.h"

namespace scene3d_test {
namespace {

constexpr D3DCOLOR kBlack = 0xFF000000u;

struct ColourVertex {
    float x, y, z;
    D3DCOLOR colour;
};
struct TexturedVertex {
    float x, y, z;
    float u, v;
};

// Eye at the origin looking along +z, 90 degrees each way: the target's
// column of a point is (x / z + 1) * 16, its row (1 - y / z) * 16.
D3DXMATRIX Perspective() {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, D3DX_PI / 2, 1.0f, 1.0f, 100.0f);
    return p;
}

class Scene3D : public SceneDevice {
protected:
    void SetUp() override {
        SceneDevice::SetUp();
        MakeDevice();
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        SetMatrix(D3DTS_PROJECTION, Perspective());
    }
    void TearDown() override {
        if (device_) device_->SetTexture(0, nullptr);
        SceneDevice::TearDown();
    }

    template <class Vertex>
    void DrawStrip(DWORD fvf, const std::vector<Vertex>& strip) {
        device_->SetFVF(fvf);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(strip.size() - 2), strip.data(), sizeof(Vertex)),
                  D3D_OK);
    }

    // A 32x32 texture of which each level is one colour.
    IDirect3DTexture9* LevelColouredTexture() {
        static const D3DCOLOR kLevels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
        std::vector<std::vector<D3DCOLOR>> levels;
        for (int l = 0; l < 6; ++l) levels.emplace_back(size_t(1024 >> (2 * l)), kLevels[l]);
        return Texture(32, 32, levels);
    }
};

TEST_F(Scene3D, IntersectingTrianglesSplitOnTheComputedLine) {
    // A wall at z = 5 and a slanted one, z = 5 + (x - 2) / 8: they cross at
    // x = 2, which lands on column (2 / 5 + 1) * 16 = 22.4.
    const std::vector<ColourVertex> wall = {
        {-20, 20, 5, 0xFFFF0000}, {20, 20, 5, 0xFFFF0000}, {-20, -20, 5, 0xFFFF0000}, {20, -20, 5, 0xFFFF0000}};
    const auto slant = [](float x, float y) { return ColourVertex{x, y, 5.0f + (x - 2.0f) / 8.0f, 0xFF0000FF}; };
    const std::vector<ColourVertex> slanted = {slant(-20, 20), slant(20, 20), slant(-20, -20), slant(20, -20)};
    const double line = (2.0 / 5.0 + 1.0) * 16.0;
    for (bool wallFirst : {true, false}) {
        Clear();
        DrawStrip(D3DFVF_XYZ | D3DFVF_DIFFUSE, wallFirst ? wall : slanted);
        DrawStrip(D3DFVF_XYZ | D3DFVF_DIFFUSE, wallFirst ? slanted : wall);
        const lumiva::d3d9::Image image = BackBuffer();
        for (UINT y = 0; y < kSize; ++y)
            for (UINT x = 0; x < kSize; ++x)
                EXPECT_EQ(image.At(x, y) | kBlack, double(x) < line ? 0xFF0000FFu : 0xFFFF0000u)
                    << x << "," << y << (wallFirst ? " wall first" : " slant first");
    }
}

TEST_F(Scene3D, FloorIsTexturedInPerspective) {
    // A floor at y = -4 under the eye: pixel row py sees z = 64 / (py - 16),
    // column px sees x = z (px / 16 - 1). Eight by eight checks, five units
    // across and two deep.
    std::vector<D3DCOLOR> checks;
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) checks.push_back((i + j) % 2 ? 0xFFFFFFFF : 0xFF404040);
    device_->SetTexture(0, Texture(8, 8, {checks}));
    const std::vector<TexturedVertex> floor = {
        {-20, -4, 18, 0, 1}, {20, -4, 18, 1, 1}, {-20, -4, 2, 0, 0}, {20, -4, 2, 1, 0}};
    DrawStrip(D3DFVF_XYZ | D3DFVF_TEX1, floor);
    const lumiva::d3d9::Image image = BackBuffer();
    int checked = 0;
    for (UINT py = 17; py < kSize; ++py)
        for (UINT px = 0; px < kSize; ++px) {
            const double z = 64.0 / (double(py) - 16.0);
            const double x = z * (double(px) / 16.0 - 1.0);
            const double i = (x + 20.0) / 40.0 * 8.0, j = (z - 2.0) / 16.0 * 8.0;
            // Pixels on a check's edge may go either way.
            const auto onEdge = [](double t) { return std::fabs(t - std::round(t)) < 0.05; };
            if (z < 2.0 || z > 18.0 || onEdge(i) || onEdge(j)) continue;
            const bool light = (int(std::floor(i)) + int(std::floor(j))) % 2;
            EXPECT_EQ(image.At(px, py) | kBlack, light ? 0xFFFFFFFFu : 0xFF404040u) << px << "," << py;
            ++checked;
        }
    EXPECT_GT(checked, 250);
}

TEST_F(Scene3D, MipLevelsFollowTheScreenSize) {
    device_->SetTexture(0, LevelColouredTexture());
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    // Without perspective: x and y scaled to the viewport, so one unit is
    // half the target. The whole texture over 32, 16, 8 and 4 pixels.
    D3DXMATRIX flat;
    D3DXMatrixIdentity(&flat);
    SetMatrix(D3DTS_PROJECTION, flat);
    const struct {
        float size;  // in units
        D3DCOLOR expected;
    } cases[] = {{2.0f, 0xFFFF0000}, {1.0f, 0xFF00FF00}, {0.5f, 0xFF0000FF}, {0.25f, 0xFFFFFF00}};
    for (const auto& c : cases) {
        Clear();
        const float h = c.size / 2;
        DrawStrip(D3DFVF_XYZ | D3DFVF_TEX1,
                  std::vector<TexturedVertex>{{-h, h, 0.5f, 0, 0}, {h, h, 0.5f, 1, 0}, {-h, -h, 0.5f, 0, 1},
                                              {h, -h, 0.5f, 1, 1}});
        EXPECT_EQ(Pixel(16, 16), c.expected) << c.size;
    }
    // A receding floor: the level never falls going up the screen, and
    // several show.
    SetMatrix(D3DTS_PROJECTION, Perspective());
    Clear();
    DrawStrip(D3DFVF_XYZ | D3DFVF_TEX1, std::vector<TexturedVertex>{{-20, -4, 60, 0, 8},
                                                                    {20, -4, 60, 8, 8},
                                                                    {-20, -4, 2, 0, 0},
                                                                    {20, -4, 2, 8, 0}});
    static const D3DCOLOR kOrder[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    int last = 0, seen = 1;
    for (UINT py = kSize - 1; py > 17; --py) {
        const D3DCOLOR c = Pixel(16, py);
        const int level = int(std::find(std::begin(kOrder), std::end(kOrder), c) - std::begin(kOrder));
        ASSERT_LT(level, 6) << py;
        EXPECT_GE(level, last) << py;
        seen += level != last;
        last = level;
    }
    EXPECT_GE(seen, 3);
}

TEST_F(Scene3D, CullingFollowsTheWindingOnScreen) {
    // Clockwise on screen as given; a mirrored world turns it anticlockwise.
    const std::vector<ColourVertex> clockwise = {
        {-1, 1, 2, 0xFFFFFFFF}, {1, 1, 2, 0xFFFFFFFF}, {-1, -1, 2, 0xFFFFFFFF}};
    const struct {
        DWORD mode;
        bool mirrored;
        bool drawn;
    } cases[] = {
        {D3DCULL_NONE, false, true}, {D3DCULL_NONE, true, true}, {D3DCULL_CCW, false, true},
        {D3DCULL_CCW, true, false},  {D3DCULL_CW, false, false}, {D3DCULL_CW, true, true},
    };
    for (const auto& c : cases) {
        Clear();
        D3DXMATRIX world;
        D3DXMatrixScaling(&world, c.mirrored ? -1.0f : 1.0f, 1.0f, 1.0f);
        SetMatrix(D3DTS_WORLD, world);
        device_->SetRenderState(D3DRS_CULLMODE, c.mode);
        device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise.data(), sizeof(ColourVertex)), D3D_OK);
        // The corner nearest (-1, 1) before mirroring, or (1, 1) after.
        EXPECT_EQ(Pixel(c.mirrored ? 22 : 9, 9), c.drawn ? 0xFFFFFFFFu : kBlack) << c.mode << " " << c.mirrored;
    }
}

TEST_F(Scene3D, AlphaTestAtTenKeepsTenAndAboveAndWritesNoDepthForTheRest) {
    // Four texel columns of alpha 9, 10, 11 and 255 in front; a green wall
    // behind shows through where the test rejected.
    device_->SetTexture(0, Texture(4, 1, {{0x09FF0000, 0x0AFF0000, 0x0BFF0000, 0xFFFF0000}}));
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device_->SetRenderState(D3DRS_ALPHAREF, 10);
    device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    DrawStrip(D3DFVF_XYZ | D3DFVF_TEX1, std::vector<TexturedVertex>{{-4, 4, 4, 0, 0},
                                                                    {4, 4, 4, 1, 0},
                                                                    {-4, -4, 4, 0, 1},
                                                                    {4, -4, 4, 1, 1}});
    device_->SetTexture(0, nullptr);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    DrawStrip(D3DFVF_XYZ | D3DFVF_DIFFUSE, std::vector<ColourVertex>{{-9, 9, 8, 0xFF00FF00},
                                                                     {9, 9, 8, 0xFF00FF00},
                                                                     {-9, -9, 8, 0xFF00FF00},
                                                                     {9, -9, 8, 0xFF00FF00}});
    // The front quad spans columns 0 to 31, eight to a texel.
    EXPECT_EQ(Pixel(4, 16), 0xFF00FF00u);
    EXPECT_EQ(Pixel(12, 16), 0xFFFF0000u);
    EXPECT_EQ(Pixel(20, 16), 0xFFFF0000u);
    EXPECT_EQ(Pixel(28, 16), 0xFFFF0000u);
}

TEST_F(Scene3D, LitDrawReadsTheDevicesLightsAndMaterial) {
    // A directional light at 60 degrees to the surface normal gives half the
    // material's diffuse over ambient 0.
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
    light.Direction = D3DVECTOR{0, -0.8660254f, 0.5f};
    D3DMATERIAL9 material{};
    material.Diffuse = D3DCOLORVALUE{0.8f, 0.4f, 0.3f, 1};
    ASSERT_EQ(device_->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device_->LightEnable(0, TRUE), D3D_OK);
    ASSERT_EQ(device_->SetMaterial(&material), D3D_OK);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0);
    struct Lit {
        float x, y, z, nx, ny, nz;
    };
    const std::vector<Lit> quad = {
        {-4, 4, 4, 0, 0, -1}, {4, 4, 4, 0, 0, -1}, {-4, -4, 4, 0, 0, -1}, {4, -4, 4, 0, 0, -1}};
    lumiva::d3d9::EnableRecording(true);
    DrawStrip(D3DFVF_XYZ | D3DFVF_NORMAL, quad);
    lumiva::d3d9::EnableRecording(false);
    EXPECT_EQ(Pixel(16, 16), 0xFF663326u);  // 102, 51, 38.25: the vertex has no colour, so the material's
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    const lumiva::d3d9::DeviceState& state = *draws[0].state;
    ASSERT_EQ(state.lights.count(0), 1u);
    EXPECT_TRUE(state.lights.at(0).enabled);
    EXPECT_EQ(state.material.Diffuse.r, 0.8f);
    EXPECT_EQ(state.renderStates[D3DRS_LIGHTING], DWORD(TRUE));
    // Disabled, the light is gone: black.
    device_->LightEnable(0, FALSE);
    Clear();
    DrawStrip(D3DFVF_XYZ | D3DFVF_NORMAL, quad);
    EXPECT_EQ(Pixel(16, 16), kBlack);
}

}  // namespace
}  // namespace scene3d_test
