// Ribbons: the slots' results and refusals, the first draw at the head,
// shifting, the four edge cases, alpha and texture coordinates, the states
// a draw sets and gives back, and the references templates and active
// copies hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "draw2d/render/VertexBuilders.h"
#include "effects/KRibbon.h"
#include "effects/SceneEffectsFixture.h"
#include "textures/TextureManager.h"

namespace scene_effects_test {
namespace {

constexpr DWORD kNone = 0xFFFFFFFF;
constexpr char kTrail[] = "fx\\trail.jpg";

class RibbonTest : public SceneEffectsTest {
protected:
    KRibbonMap& Templates() { return m_shell->ribbonMaps[0]; }
    KRibbonMap& Active() { return m_shell->ribbonMaps[1]; }

    // A started ribbon of n points; its id.
    DWORD Start(DWORD n, DWORD interval = 50, float width = 10.0f, DWORD additive = 0) {
        const DWORD id = m_shell->CreateRibbon(n, interval, width, 2.0f, kTrail, additive, 0xFF204060, 0);
        EXPECT_NE(id, kNone);
        EXPECT_EQ(m_shell->UpdateRibbon(id, 1), Now());
        return id;
    }
    // Users of the texture record named `name` (0 when there is none).
    static int Users(const std::string& name) {
        KTextureRecord* record = g_pTextureManager->FindTexture(name.c_str());
        if (!record) return 0;
        const int users = record->refCount - 1;
        g_pTextureManager->ReleaseTexture(record);
        return users;
    }
    std::vector<KSceneVertex> Vertices(DWORD id) {
        const KRibbon& r = Active().at(id);
        return Read<KSceneVertex>(r.vertexBuffer, 2 * r.pointCount);
    }
};

TEST_F(RibbonTest, CreationRefusesMissingNamesCountsAndBuffers) {
    WriteGreyJpeg("fx/trail.jpg", 8, 8);
    struct Case {
        const char* name;
        DWORD n;
        UINT failingCreation;
        bool messageBox;
    };
    const Case cases[] = {
        {nullptr, 4, 0, true},
        {kTrail, 0, 0, true},
        {kTrail, 0x05555556, 0, true},  // 48 N passes 32 bits
        {"fx\\none.jpg", 4, 1, false},  // the buffer cannot be made
    };
    const UINT live = lumiva::d3d9::LiveResourceCount();
    for (const Case& c : cases) {
        if (c.failingCreation) lumiva::d3d9::FailCreationAt(c.failingCreation);
        const size_t boxes = lumiva::win32::RecordedMessageBoxes().size();
        EXPECT_EQ(m_shell->CreateRibbon(c.n, 10, 1.0f, 0.0f, c.name, 0, 0, 0), kNone) << c.n;
        const auto shown = lumiva::win32::RecordedMessageBoxes();
        ASSERT_EQ(shown.size(), boxes + (c.messageBox ? 1 : 0));
        if (c.messageBox) {
            EXPECT_EQ(shown.back().text, "A ribbon needs a texture name and at least one segment.");
            EXPECT_EQ(shown.back().caption, "Ribbon");
            EXPECT_EQ(shown.back().type, UINT(MB_OK));
        }
    }
    EXPECT_TRUE(Templates().empty());
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);  // the refused buffer gave its texture back
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

TEST_F(RibbonTest, IdsAreTheClockAndStartEndReportWhatTheyDid) {
    const DWORD first = m_shell->CreateRibbon(3, 10, 1.0f, 0.0f, kTrail, 0, 0, 0);
    EXPECT_EQ(first, Now());
    const DWORD again = m_shell->CreateRibbon(7, 10, 1.0f, 0.0f, kTrail, 0, 0, 0);  // the same ms
    EXPECT_EQ(again, first);
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(Templates().at(first).pointCount, 7u);
    D3DVERTEXBUFFER_DESC desc{};
    Templates().at(first).vertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 7u * 48u);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.FVF, 0x142u);

    EXPECT_EQ(m_shell->UpdateRibbon(first + 1, 1), 0u);  // no template
    EXPECT_EQ(m_shell->UpdateRibbon(first, 0), 0u);      // never started
    Advance(5);
    EXPECT_EQ(m_shell->UpdateRibbon(first, 1), Now());
    EXPECT_EQ(Active().at(first).enabled, 1u);
    EXPECT_EQ(Templates().at(first).enabled, 0u);
    EXPECT_EQ(m_shell->UpdateRibbon(first, 0), kNone);
    EXPECT_EQ(m_shell->UpdateRibbon(first, 0), 0u);
    EXPECT_TRUE(Active().empty());
    EXPECT_FLOAT_EQ(Distance2D(0, 0, 99, 3, 4), 5.0f);
    EXPECT_FLOAT_EQ(Distance2D(2, 2, 0, 2, 2), 1.0f);
}

TEST_F(RibbonTest, TheFirstDrawStartsAtTheHeadAndLaterDrawsShiftAtTheInterval) {
    const DWORD id = Start(4, 50);
    m_shell->DrawRibbons(id, 10, 20, 30);
    KRibbon& r = Active().at(id);
    EXPECT_EQ(r.lastShiftTime, Now());  // no shift on the first draw
    for (const D3DXVECTOR3& p : r.points) EXPECT_EQ(p, D3DXVECTOR3(10, 20, 30));
    const auto first = Vertices(id);
    for (int i = 0; i < 6; ++i) {  // zero length: every edge at the head
        EXPECT_FLOAT_EQ(first[i].x, 10.0f);
        EXPECT_FLOAT_EQ(first[i].y, 20.0f);
        EXPECT_FLOAT_EQ(first[i].z, 32.0f);  // the head's z + the height offset
    }

    Advance(50);  // not past the interval
    m_shell->DrawRibbons(id, 100, 20, 0);
    EXPECT_EQ(r.points[0], D3DXVECTOR3(10, 20, 30));
    Advance(1);
    m_shell->DrawRibbons(id, 100, 20, 0);
    EXPECT_EQ(r.points[0], D3DXVECTOR3(100, 20, 0));
    EXPECT_EQ(r.points[1], D3DXVECTOR3(10, 20, 30));
    EXPECT_EQ(r.points[3], D3DXVECTOR3(10, 20, 30));
    EXPECT_EQ(r.lastShiftTime, Now());
    for (int shift = 0; shift < 3; ++shift) {  // a still head collapses the ribbon
        Advance(51);
        m_shell->DrawRibbons(id, 100, 20, 0);
    }
    for (const D3DXVECTOR3& p : r.points) EXPECT_EQ(p, D3DXVECTOR3(100, 20, 0));

    // Restarting gives a fresh copy that starts again from its head.
    m_shell->UpdateRibbon(id, 1);
    m_shell->DrawRibbons(id, -5, -5, 0);
    EXPECT_EQ(Active().at(id).points[3], D3DXVECTOR3(-5, -5, 0));
}

TEST_F(RibbonTest, EdgesLieAcrossTheLineInEachOfTheFourCases) {
    struct Case {
        D3DXVECTOR2 a, b;
        float e1x, e1y, e2x, e2y;  // around b
    };
    // Width 10 along a 3-4-5 line: hx = 4 x 5 / 5 = 4, hy = 3.
    const Case cases[] = {
        {{0, 4}, {3, 0}, 3 - 4, 0 - 3, 3 + 4, 0 + 3},   // b below and right
        {{3, 4}, {0, 0}, 0 - 4, 0 + 3, 0 + 4, 0 - 3},   // below and left
        {{0, 0}, {3, 4}, 3 - 4, 4 + 3, 3 + 4, 4 - 3},   // above and right
        {{3, 0}, {0, 4}, 0 - 4, 4 - 3, 0 + 4, 4 + 3},   // above and left
    };
    for (const Case& c : cases) {
        const DWORD id = Start(3, 1000);
        KRibbon& r = Active().at(id);
        m_shell->DrawRibbons(id, 0, 0, 0);
        r.points = {D3DXVECTOR3(c.a.x, c.a.y, 0), D3DXVECTOR3(c.b.x, c.b.y, 0), D3DXVECTOR3(c.b.x, c.b.y, 0)};
        m_shell->DrawRibbons(id, 0, 0, 7);
        const auto v = Vertices(id);
        EXPECT_FLOAT_EQ(v[1].x, c.e1x);
        EXPECT_FLOAT_EQ(v[1].y, c.e1y);
        EXPECT_FLOAT_EQ(v[0].x, c.e2x);
        EXPECT_FLOAT_EQ(v[0].y, c.e2y);
        EXPECT_FLOAT_EQ(v[0].z, 9.0f);
        m_shell->UpdateRibbon(id, 0);
        Advance(1);
    }
}

TEST_F(RibbonTest, AlphaFadesToTheTailAndCoordinatesRunAlongAndAcross) {
    const DWORD id = Start(4);
    m_shell->DrawRibbons(id, 0, 0, 0);
    const auto v = Vertices(id);
    const DWORD alpha[4] = {255, 255 - 63, 255 - 127, 255 - 191};
    for (int i = 0; i < 4; ++i) {
        for (int side = 0; side < 2; ++side) {
            const KSceneVertex& vertex = v[2 * i + side];
            EXPECT_EQ(vertex.colour, alpha[i] << 24 | 0xFFFFFF) << i;
            EXPECT_FLOAT_EQ(vertex.u, float(side));
            EXPECT_FLOAT_EQ(vertex.v, float(i) / 3.0f);
        }
    }
}

TEST_F(RibbonTest, ADrawSetsItsStatesAndGivesThemBack) {
    const DWORD id = Start(5, 50, 10.0f, 1);
    IDirect3DDevice9* device = Device();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 1, 2, 3);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    const DWORD before[] = {RenderState(D3DRS_SRCBLEND),     RenderState(D3DRS_DESTBLEND),
                            RenderState(D3DRS_ALPHABLENDENABLE), StageState(D3DTSS_COLOROP),
                            StageState(D3DTSS_COLORARG2),    StageState(D3DTSS_ALPHAOP)};
    Record();
    m_shell->DrawRibbons(id, 0, 0, 0);
    const auto draws = Calls("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLESTRIP, 0, 6}));
    const lumiva::d3d9::DeviceState& at = *draws[0].state;
    EXPECT_EQ(at.renderStates[D3DRS_SRCBLEND], DWORD(D3DBLEND_ONE));
    EXPECT_EQ(at.renderStates[D3DRS_DESTBLEND], DWORD(D3DBLEND_ONE));
    EXPECT_EQ(at.renderStates[D3DRS_TEXTUREFACTOR], 0xFF204060u);
    EXPECT_EQ(at.renderStates[D3DRS_CULLMODE], DWORD(D3DCULL_NONE));
    EXPECT_EQ(at.renderStates[D3DRS_ALPHABLENDENABLE], DWORD(TRUE));
    EXPECT_EQ(at.StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE4X));
    EXPECT_EQ(at.StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(at.StageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(at.fvf, 0x142u);

    const DWORD after[] = {RenderState(D3DRS_SRCBLEND),     RenderState(D3DRS_DESTBLEND),
                           RenderState(D3DRS_ALPHABLENDENABLE), StageState(D3DTSS_COLOROP),
                           StageState(D3DTSS_COLORARG2),    StageState(D3DTSS_ALPHAOP)};
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x12345678u);
    D3DXMATRIX kept;
    device->GetTransform(D3DTS_WORLD, &kept);
    EXPECT_EQ(kept, world);
}

TEST_F(RibbonTest, ShortDisabledOrUnknownRibbonsDrawNothing) {
    const DWORD two = Start(2);
    Advance(1);
    const DWORD one = Start(1);
    Record();
    m_shell->DrawRibbons(two, 0, 0, 0);
    m_shell->DrawRibbons(one, 0, 0, 0);
    m_shell->DrawRibbons(0, 0, 0, 0);
    m_shell->DrawRibbons(12345, 0, 0, 0);
    Active().at(two).enabled = 0;
    m_shell->DrawRibbons(two, 0, 0, 0);
    EXPECT_TRUE(Calls("DrawPrimitive").empty());
}

TEST_F(RibbonTest, TemplatesAndCopiesEachGiveBackTheirOwnReferences) {
    WriteGreyJpeg("fx/trail.jpg", 8, 8);
    const DWORD id = Start(4);
    const DWORD other = Start(3);  // same id: replaces the template, not the copy
    ASSERT_EQ(other, id);
    KRibbon& copy = Active().at(id);
    EXPECT_EQ(copy.vertexBuffer, Templates().at(id).vertexBuffer);
    ASSERT_NE(copy.texture, nullptr);
    const std::string name = copy.texture->name;
    EXPECT_EQ(Users(name), 2);

    m_shell->UpdateRibbon(id, 0);  // the template keeps its buffer and texture
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    EXPECT_EQ(Read<KSceneVertex>(Templates().at(id).vertexBuffer, 1).size(), 1u);
    EXPECT_EQ(Users(name), 1);

    m_shell->UpdateRibbon(id, 1);
    m_shell->InvalidateDeviceObjects();
    EXPECT_EQ(Active().at(id).vertexBuffer, nullptr);
    EXPECT_EQ(Templates().at(id).texture, nullptr);
    EXPECT_EQ(Users(name), 0);  // every reference dropped
    m_shell->InvalidateDeviceObjects();  // a second release releases nothing
    m_shell->RestoreDeviceObjects();
    EXPECT_NE(Active().at(id).vertexBuffer, nullptr);
    EXPECT_NE(Active().at(id).texture, nullptr);
    EXPECT_NE(Templates().at(id).vertexBuffer, nullptr);
    EXPECT_EQ(Users(name), 2);
    Record();
    m_shell->DrawRibbons(id, 0, 0, 0);
    EXPECT_EQ(Calls("DrawPrimitive").size(), 1u);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

}  // namespace
}  // namespace scene_effects_test
