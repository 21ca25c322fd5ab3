#include <cmath>

#include "effects/BeamFixture.h"
#include "effects/KChannelMagic.h"
#include "shell/KDrawShell.h"
#include "textures/TextureManager.h"
#include "win32/Control.h"

namespace beam_test {
namespace {

class ChannelMagic : public BeamTest {
protected:
    void SetUp() override {
        BeamTest::SetUp();
        beam = m_shell->CreateChannelMagic();
        ASSERT_NE(beam, nullptr);
    }
    void TearDown() override {
        m_shell->ReleaseChannelMagic(beam);
        BeamTest::TearDown();
    }

    // Writes the file as fx\beam.ini and loads it into the beam.
    void Load(const beamini::ChannelMagic& file) {
        WriteModuleFile("fx\\beam.ini", beamini::WriteChannelMagic(file));
        beam->Load("fx\\beam.ini");
    }
    // Draws handed to the device since the recording started.
    static size_t DrawCount() { return Calls("DrawPrimitiveUP").size(); }

    KChannelMagic* beam = nullptr;
};

TEST_F(ChannelMagic, SegmentsGivePairsAlongTheBeamEndingShortOfTheEnd) {
    struct Case {
        int segment;
        size_t pairs;
    };
    // Segment 12 sums t in single precision to just below 1: one pair more.
    // Out-of-range segments are clamped to 1..1000.
    for (const Case c : {Case{10, 10}, Case{12, 13}, Case{1, 1}, Case{0, 1}, Case{-5, 1}, Case{2000000, 1001}}) {
        SCOPED_TRACE(c.segment);
        beamini::ChannelMagic file;
        file.segment = c.segment;
        Load(file);
        g_ChannelMagicClock = 0;
        beam->SetEndPoints(0, 0, 0, 100, 0, 0);
        beam->Render();
        ASSERT_EQ(beam->Strip().size(), 2 * c.pairs);
        float t = 0.0f;
        for (size_t i = 0; i < c.pairs; ++i) {
            EXPECT_EQ(beam->Strip()[2 * i].u, t);
            EXPECT_EQ(beam->Strip()[2 * i + 1].u, t);
            t = float(double(t) + 1.0 / double(beam->segment));
        }
    }
    beamini::ChannelMagic file;
    file.segment = 10;
    Load(file);
    g_ChannelMagicClock = 0;
    beam->Render();
    EXPECT_FLOAT_EQ(beam->Strip()[18].u, 0.9f);
}

TEST_F(ChannelMagic, PairsLieAcrossTheBeamAtTheWidthWithTheirOwnJitter) {
    beamini::ChannelMagic file;
    file.width = 5.0f;
    file.shake = 10.0f;
    file.segment = 2;
    Load(file);
    lumiva::win32::InstallScriptedRandom({3, 7, 12, 25});
    beam->SetEndPoints(0, 0, 50, 10, 0, 50);  // side = (0, -1, 0)
    beam->Render();
    const auto& s = beam->Strip();
    ASSERT_EQ(s.size(), 4u);
    struct Expected {
        float x, y, z, u, v;
    };
    const Expected expected[4] = {{0, -5, 50 + 3 - 5, 0, 0},
                                  {0, 5, 50 + 7 - 5, 0, 1},
                                  {5, -5, 50 + 2 - 5, 0.5f, 0},
                                  {5, 5, 50 + 5 - 5, 0.5f, 1}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(s[i].x, expected[i].x);
        EXPECT_FLOAT_EQ(s[i].y, expected[i].y);
        EXPECT_FLOAT_EQ(s[i].z, expected[i].z);
        EXPECT_FLOAT_EQ(s[i].u, expected[i].u);
        EXPECT_EQ(s[i].v, expected[i].v);
        EXPECT_EQ(s[i].colour, 0xFFFFFFFFu);
    }
}

TEST_F(ChannelMagic, AVerticalBeamHasNoSideAndShakeBelowOneNoJitter) {
    beamini::ChannelMagic file;
    file.shake = 0.5f;
    file.segment = 4;
    Load(file);
    lumiva::win32::InstallScriptedRandom({9});
    beam->SetEndPoints(3, 4, 0, 3, 4, 40);
    beam->Render();
    ASSERT_EQ(beam->Strip().size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(beam->Strip()[i].x, 3.0f);
        EXPECT_EQ(beam->Strip()[i].y, 4.0f);
        EXPECT_FLOAT_EQ(beam->Strip()[i].z, 10.0f * float(i / 2));
    }
}

TEST_F(ChannelMagic, LoadReadsEveryKeyWithItsDefault) {
    beamini::ChannelMagic file;
    file.segment = 7;
    file.refreshTime = 40;
    file.width = 3.5f;
    file.shake = 8.0f;
    Load(file);
    EXPECT_EQ(beam->segment, 7);
    EXPECT_EQ(beam->refreshTime, 40);
    EXPECT_EQ(beam->width, 3.5f);
    EXPECT_EQ(beam->shake, 8.0f);
    EXPECT_EQ(beam->texture, nullptr);

    beamini::ChannelMagic bare;
    bare.edits.omit = {"Segment", "RefreshTime", "Width", "Shake", "TexturePath"};
    Load(bare);
    EXPECT_EQ(beam->segment, 10);
    EXPECT_EQ(beam->refreshTime, 100);  // not the construction value 0
    EXPECT_EQ(beam->width, 50.0f);
    EXPECT_EQ(beam->shake, 50.0f);
}

TEST_F(ChannelMagic, AnUnreadableFileOrNullPathKeepsTheConstructionValues) {
    beam->Load(nullptr);
    beam->Load("fx\\missing.ini");
    WriteModuleFile("fx\\broken.ini", "[ChannelMagic\nSegment=3\n");
    beam->Load("fx\\broken.ini");
    EXPECT_EQ(beam->segment, 10);
    EXPECT_EQ(beam->refreshTime, 0);
    EXPECT_EQ(beam->width, 50.0f);
    EXPECT_EQ(beam->shake, 50.0f);
    // Refresh time 0: every Render draws.
    BeginDraw();
    Record();
    for (int frame = 0; frame < 3; ++frame) beam->Render();
    EXPECT_EQ(DrawCount(), 3u);
}

TEST_F(ChannelMagic, RefreshTimeDecidesOnWhichFramesItDraws) {
    beamini::ChannelMagic file;
    file.refreshTime = 100;
    Load(file);
    beam->SetEndPoints(0, 0, 0, 50, 0, 0);
    BeginDraw();
    std::vector<int> drawnFrames;
    for (int frame = 0; frame < 30; ++frame) {
        Record();
        beam->Render();
        if (DrawCount() == 1) drawnFrames.push_back(frame);
        lumiva::win32::AdvanceClock(16);
    }
    // 7 frames of 16 ms are the first to reach 100 ms after a rebuild.
    EXPECT_EQ(drawnFrames, (std::vector<int>{0, 7, 14, 21, 28}));
}

TEST_F(ChannelMagic, AStripOfOnePairAsksForNoTriangles) {
    for (int segment : {1, 0, -3}) {
        beamini::ChannelMagic file;
        file.segment = segment;
        Load(file);
        g_ChannelMagicClock = 0;
        BeginDraw();
        Record();
        beam->Render();
        EXPECT_EQ(beam->Strip().size(), 2u);
        EXPECT_TRUE(Calls("DrawPrimitiveUP").empty());
        EXPECT_EQ(g_ChannelMagicClock, 100000u);  // rebuilt all the same
    }
}

TEST_F(ChannelMagic, OfTwoBeamsInOneFrameOnlyTheFirstDraws) {
    beamini::ChannelMagic file;
    file.refreshTime = 50;
    Load(file);
    KChannelMagic* second = m_shell->CreateChannelMagic();
    second->Load("fx\\beam.ini");
    BeginDraw();
    Record();
    beam->Render();
    second->Render();
    EXPECT_EQ(DrawCount(), 1u);
    EXPECT_FALSE(beam->Strip().empty());
    EXPECT_TRUE(second->Strip().empty());
    lumiva::win32::AdvanceClock(50);
    Record();
    second->Render();
    beam->Render();
    EXPECT_EQ(DrawCount(), 1u);
    EXPECT_FALSE(second->Strip().empty());
    m_shell->ReleaseChannelMagic(second);
}

TEST_F(ChannelMagic, DrawsInIdentityWorldAndGivesWorldAndStatesBack) {
    Load(beamini::ChannelMagic{});
    beam->SetEndPoints(0, 0, 50, 20, 0, 50);
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 5, 6, 7);
    Device()->SetTransform(D3DTS_WORLD, &moved);
    Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Device()->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    BeginDraw();
    Record();
    beam->Render();
    const auto draws = Calls("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(MatricesNear(identity, WorldAt(draws[0])));
    EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(draws[0].args[1], 18u);
    EXPECT_EQ(draws[0].args[3], 24u);
    EXPECT_EQ(draws[0].state->fvf, 0x142u);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(draws[0].state->textures[0], nullptr);
    EXPECT_TRUE(MatricesNear(moved, CurrentWorld()));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));

    // Not due: the world it set comes back too, and nothing is drawn.
    Record();
    beam->Render();
    EXPECT_TRUE(Calls("DrawPrimitiveUP").empty());
    EXPECT_TRUE(MatricesNear(moved, CurrentWorld()));
}

TEST_F(ChannelMagic, ATexturedBeamShowsItsTextureAcrossItsWidth) {
    WriteModuleFile("fx\\red.dds", FlatDds(0xFFFF0000));
    beamini::ChannelMagic file;
    file.texturePath = "fx\\red.dds";
    file.width = 5.0f;
    file.shake = 0.5f;
    Load(file);
    ASSERT_NE(beam->texture, nullptr);
    beam->SetEndPoints(-10, 0, 50, 10, 0, 50);
    BeginDraw();
    Device()->SetRenderState(D3DRS_LIGHTING, FALSE);
    beam->Render();
    EXPECT_EQ(PixelAt(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(PixelAt(-9, 4) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(PixelAt(0, 7) & 0xFFFFFF, 0u);    // beyond the width
    EXPECT_EQ(PixelAt(9.5f, 0) & 0xFFFFFF, 0u);  // the last step stops short
}

TEST_F(ChannelMagic, ASecondLoadGivesBackTheTextureItHeld) {
    WriteModuleFile("fx\\red.dds", FlatDds(0xFFFF0000));
    WriteModuleFile("fx\\blue.dds", FlatDds(0xFF0000FF));
    beamini::ChannelMagic file;
    file.texturePath = "fx\\red.dds";
    Load(file);
    KTextureRecord* red = beam->texture;
    ASSERT_NE(red, nullptr);
    file.texturePath = "fx\\blue.dds";
    Load(file);
    EXPECT_NE(beam->texture, nullptr);
    EXPECT_EQ(g_pTextureManager->FindTexture("fx\\red.dds"), nullptr);
    file.texturePath = "";
    Load(file);
    EXPECT_EQ(beam->texture, nullptr);
    EXPECT_EQ(g_pTextureManager->FindTexture("fx\\blue.dds"), nullptr);
}

}  // namespace
}  // namespace beam_test
