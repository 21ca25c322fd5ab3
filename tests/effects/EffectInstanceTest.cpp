// Effect instances: the textured and wireframe passes and their colours,
// the states they give back, picking and selecting elements under the
// device's camera, element matrices and key snapping.
#include <gtest/gtest.h>

#include <algorithm>

#include "effects/EffectNodeFixture.h"
#include "support/VirtualSlot.h"
#include "win32/Control.h"

namespace effect_node_test {
namespace {

constexpr DWORD kWire = 0xFF00FF00;
constexpr DWORD kSelected = 0xFF0000FF;
constexpr DWORD kHidden = 0xFFFF0000;

// Ground quads of 20 x 20 (type 1) at the given heights, in order.
a3e::File GroundQuadsAt(std::initializer_list<D3DXVECTOR3> pivots) {
    a3e::File file;
    for (const D3DXVECTOR3& p : pivots) {
        file.elements.push_back(effect_file_test::WriterElement(1, "quad", 20, 20));
        file.elements.back().pivot = {p.x, p.y, p.z};
        file.tracks.emplace_back();
    }
    return file;
}

DWORD IdAt(K3DEffectInstance* instance, int index) { return instance->GetEffectSet()->GetElement(index)->Id(); }

class EffectInstanceTest : public EffectNodeTest {
protected:
    // An upright 32 x 16 quad at (0, 0, 10), seen by the fixture's camera.
    K3DEffectInstance* UprightQuad(int visible = 1, uint32_t color = 0xFFFFFFFF) {
        a3e::Tracks t;
        t.position = {{{0, 0, 10}, 0}};
        t.visible = {{visible, 0}};
        t.color = {{color, 0}};
        K3DEffectInstance* instance = MakeInstance(OneElement(2, 32, 16, t));
        instance->SetWireColor(kWire);
        instance->SetSelectedWireColor(kSelected);
        instance->SetHiddenWireColor(kHidden);
        return instance;
    }
    // Colours other than black on the target, each once.
    static std::vector<DWORD> Colours(const lumiva::d3d9::Image& image) {
        std::vector<DWORD> found;
        for (D3DCOLOR p : image.pixels) {
            const DWORD rgb = p & 0xFFFFFF;
            if (rgb && std::find(found.begin(), found.end(), rgb) == found.end()) found.push_back(rgb);
        }
        return found;
    }
};

TEST_F(EffectInstanceTest, TheFlagsChooseTheTexturedAndTheWireframePasses) {
    struct Case {
        DWORD flags;
        std::vector<DWORD> fvfs;
    };
    const Case cases[] = {{0, {}}, {1, {0x142}}, {2, {0x42}}, {3, {0x142, 0x42}}};
    K3DEffectInstance* instance = UprightQuad();
    for (const Case& c : cases) {
        Record();
        instance->Render(0, c.flags);
        std::vector<DWORD> fvfs;
        for (const RecordedCall& draw : Draws()) {
            fvfs.push_back(draw.state->fvf);
            EXPECT_EQ(draw.args[1], 2u);
            EXPECT_EQ(draw.args[3], 24u) << "the wireframe reads the same vertices";
            const bool wire = draw.state->fvf == 0x42;
            EXPECT_EQ(draw.state->RenderState(D3DRS_FILLMODE), DWORD(wire ? D3DFILL_WIREFRAME : D3DFILL_SOLID));
            EXPECT_EQ(draw.state->RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
            if (wire) {
                EXPECT_EQ(draw.state->textures[0], nullptr);
            }
        }
        EXPECT_EQ(fvfs, c.fvfs) << c.flags;
        EXPECT_EQ(RenderState(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID)) << c.flags;
    }
    Release(instance);
}

TEST_F(EffectInstanceTest, WireframesShowInTheWireColourOfTheElementsState) {
    struct Case {
        const char* what;
        int visible;
        uint32_t color;
        bool selected;
        DWORD wire;
    };
    const Case cases[] = {
        {"shown", 1, 0xFFFFFFFF, false, kWire},
        {"hidden by its track", 0, 0xFFFFFFFF, false, kHidden},
        {"fully transparent", 1, 0x00FFFFFF, false, kHidden},
        {"selected, even hidden", 0, 0xFFFFFFFF, true, kSelected},
    };
    for (const Case& c : cases) {
        K3DEffectInstance* instance = UprightQuad(c.visible, c.color);
        instance->GetEffectSet()->GetElement(0)->SetSelected(c.selected ? 1 : 0);
        const auto wireOnly = DrawOnTarget([&] { instance->Render(0, kEffectRenderWireframe); });
        EXPECT_EQ(Colours(wireOnly), std::vector<DWORD>{c.wire & 0xFFFFFF}) << c.what;
        // Hidden elements keep only their wireframe; shown ones fill the
        // quad as well. Untextured, the stage passes the vertex colour (the
        // element's white), not the texture factor of 127 x 2.
        Record();
        const auto both = DrawOnTarget([&] { instance->Render(0, kEffectRenderTextured | kEffectRenderWireframe); });
        const bool filled = c.visible != 0;
        EXPECT_EQ(Draws().size(), filled ? 2u : 1u) << c.what;
        EXPECT_EQ(both.At(20, 30) & 0xFFFFFF, filled && (c.color >> 24) != 0 ? 0xFFFFFFu : 0u) << c.what;
        Release(instance);
    }
}

TEST_F(EffectInstanceTest, AdditiveSetsBlendOntoWhatIsThereExceptInTheirWireframe) {
    a3e::File file = OneElement(2, 4, 4);
    file.additive = 1;
    K3DEffectInstance* instance = MakeInstance(file);
    Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Record();
    instance->Render(0, kEffectRenderTextured | kEffectRenderWireframe);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(draws[1].state->RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    Release(instance);
}

TEST_F(EffectInstanceTest, RenderGivesBackTheStatesItSaves) {
    const D3DRENDERSTATETYPE render[] = {D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ALPHABLENDENABLE, D3DRS_ZENABLE,
                                         D3DRS_ZWRITEENABLE};
    const DWORD renderBefore[] = {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, FALSE, FALSE, TRUE};
    const D3DTEXTURESTAGESTATETYPE stage[] = {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_COLOROP,
                                              D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2, D3DTSS_ALPHAOP};
    const DWORD stageBefore[] = {D3DTA_CURRENT, D3DTA_SPECULAR, D3DTOP_ADD, D3DTA_CURRENT, D3DTA_SPECULAR,
                                 D3DTOP_SELECTARG2};
    for (int i = 0; i < 5; ++i) Device()->SetRenderState(render[i], renderBefore[i]);
    for (int i = 0; i < 6; ++i) Device()->SetTextureStageState(0, stage[i], stageBefore[i]);
    Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    Device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    K3DEffectInstance* instance = UprightQuad();
    Record();
    instance->Render(0, kEffectRenderTextured | kEffectRenderWireframe);
    const lumiva::d3d9::DeviceState& at = *Draws()[0].state;
    EXPECT_EQ(at.RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(at.RenderState(D3DRS_ZENABLE), DWORD(TRUE));
    EXPECT_EQ(at.RenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    EXPECT_EQ(at.SamplerState(0, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(RenderState(render[i]), renderBefore[i]) << render[i];
    for (int i = 0; i < 6; ++i) EXPECT_EQ(StageState(stage[i]), stageBefore[i]) << stage[i];
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));
    // The device's world transform is the one the elements were drawn under.
    D3DXMATRIX world;
    Device()->GetTransform(D3DTS_WORLD, &world);
    D3DXMATRIX identity;
    EXPECT_EQ(world, *D3DXMatrixIdentity(&identity));
    Release(instance);
}

TEST_F(EffectInstanceTest, ElementsDrawUnderTheDevicesWorldTransform) {
    K3DEffectInstance* instance = UprightQuad();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 5, 0, 0);
    Device()->SetTransform(D3DTS_WORLD, &world);
    Record();
    instance->Render(0, kEffectRenderTextured);
    D3DXMATRIX expected;
    D3DXMatrixTranslation(&expected, 5, 0, 10);
    EXPECT_TRUE(MatricesNear(expected, WorldAt(Draws()[0])));
    Release(instance);
}

// With the identity view the pick ray of screen point (x, y) in a 100 x 100
// viewport starts at (x - 50, 0, y - 50) and runs up along y, so it meets a
// ground quad at the quad's height.
class EffectInstancePickTest : public EffectNodeTest {
protected:
    static constexpr int kSize = 100;
    int Pick(K3DEffectInstance* instance, int x = 50, int y = 50, int time = 0) {
        return instance->PickByRay(0, 0, x, y, time, kSize, kSize);
    }
};

TEST_F(EffectInstancePickTest, TheNearerOfOverlappingElementsIsPickedAndTheEarlierAtEqualDistance) {
    struct Case {
        const char* what;
        std::initializer_list<D3DXVECTOR3> pivots;
        int x, y;
        int picked;  // index, -1 for none
    };
    const Case cases[] = {
        {"nearer second", {{0, 7, 0}, {0, 3, 0}}, 50, 50, 1},
        {"nearer first", {{0, 3, 0}, {0, 7, 0}}, 50, 50, 0},
        {"equal", {{0, 5, 0}, {0, 5, 0}}, 50, 50, 0},
        {"only the second under the point", {{0, 3, 0}, {30, 7, 0}}, 85, 50, 1},
        {"behind the camera counts too", {{0, 3, 0}, {0, -2, 0}}, 50, 50, 1},
        {"nothing under the point", {{0, 3, 0}}, 95, 95, -1},
    };
    for (const Case& c : cases) {
        K3DEffectInstance* instance = MakeInstance(GroundQuadsAt(c.pivots));
        const int expected = c.picked < 0 ? -1 : int(IdAt(instance, c.picked));
        EXPECT_EQ(Pick(instance, c.x, c.y), expected) << c.what;
        Release(instance);
    }
}

TEST_F(EffectInstancePickTest, TheNearestFaceOfADomeCounts) {
    // A dome of radius 10 over the ray is met just below its apex.
    for (const float quadHeight : {20.0f, 5.0f}) {
        a3e::File file = GroundQuadsAt({{0, quadHeight, 0}});
        file.elements.insert(file.elements.begin(), effect_file_test::WriterElement(3, "dome", 10));
        file.elements.front().segments = {4, 8};
        file.tracks.emplace_back();
        K3DEffectInstance* instance = MakeInstance(file);
        EXPECT_EQ(Pick(instance), int(IdAt(instance, quadHeight > 10 ? 0 : 1))) << quadHeight;
        Release(instance);
    }
}

TEST_F(EffectInstancePickTest, ElementsWithoutGeometryAreNeverPicked) {
    a3e::File file = GroundQuadsAt({{0, 3, 0}});
    for (uint8_t type : {7, 4, 3, 6}) {
        file.elements.insert(file.elements.begin(), effect_file_test::WriterElement(type, "none", 10, 10, 10));
        file.tracks.emplace_back();
    }
    K3DEffectInstance* instance = MakeInstance(file);
    EXPECT_EQ(Pick(instance), int(IdAt(instance, 4)));
    std::vector<DWORD> ids;
    EXPECT_FALSE(instance->SelectInVolume(&ids, 0, 0, RECT{45, 45, 55, 55}, true, 0, kSize, kSize));
    EXPECT_TRUE(instance->SelectInVolume(&ids, 0, 0, RECT{0, 0, 100, 100}, true, 0, kSize, kSize));
    EXPECT_EQ(ids, std::vector<DWORD>{IdAt(instance, 4)});
    Release(instance);
}

TEST_F(EffectInstancePickTest, PickingAModelMovesItAndMeetsItsOutline) {
    // Looking along +z: the ray of (50, 48) starts at (0, 2, 0) inside the
    // model's box (-1, 0, -2)..(1, 3, 2) and meets its far side.
    D3DXMATRIX view;
    D3DXMatrixRotationX(&view, -3.1415927f / 2);
    Device()->SetTransform(D3DTS_VIEW, &view);
    a3e::Tracks t;
    t.rotation = {{0.25f, 0}};
    a3e::File file = OneElement(6, 0, 0, t);
    file.elements[0].fileName = "orb";
    file.spinSpeed = 1.0f;
    K3DEffectInstance* instance = MakeInstance(file);
    models.calls.clear();
    EXPECT_EQ(Pick(instance, 50, 48, 0), int(IdAt(instance, 0)));
    const std::vector<std::string> moved = {"SetScale 1 1 1", "SetPosition 0 0 0 0", "SetHeading 0.25 0 0 0 1",
                                            "SetModelMatrix"};
    EXPECT_EQ(models.calls, moved);
    EXPECT_EQ(Pick(instance, 50, 10, 0), -1);  // above the box
    Release(instance);
}

TEST_F(EffectInstancePickTest, SelectionTakesElementsInsideTheRectangle) {
    // Quad 0 spans x -10..10 and quad 1 x 5..25 (z -10..10 both); the
    // rectangle (39, 39)-(61, 61) spans x and z -11..11.
    K3DEffectInstance* instance = MakeInstance(GroundQuadsAt({{0, 0, 0}, {15, 0, 0}}));
    const RECT rect{39, 39, 61, 61};
    std::vector<DWORD> all, any;
    EXPECT_TRUE(instance->SelectInVolume(&all, 0, 0, rect, true, 0, kSize, kSize));
    EXPECT_EQ(all, std::vector<DWORD>{IdAt(instance, 0)});
    EXPECT_TRUE(instance->SelectInVolume(&any, 0, 0, rect, false, 0, kSize, kSize));
    EXPECT_EQ(any, (std::vector<DWORD>{IdAt(instance, 0), IdAt(instance, 1)}));
    std::vector<DWORD> none = {42};
    EXPECT_FALSE(instance->SelectInVolume(&none, 0, 0, RECT{90, 90, 99, 99}, false, 0, kSize, kSize));
    EXPECT_EQ(none, std::vector<DWORD>{42}) << "appended to, never cleared";
    EXPECT_FALSE(instance->SelectInVolume(nullptr, 0, 0, rect, false, 0, kSize, kSize));
    Release(instance);
}

TEST_F(EffectInstanceTest, ElementMatricesComeFromTheTracksUnderTheDevicesWorld) {
    a3e::Tracks t;
    t.position = {{{10, 0, 0}, 0}};
    t.rotation = {{0.5f, 0}};
    t.scale = {{{2, 3, 4}, 0}};
    t.offset = {{{0, 1, 0}, 0}};
    a3e::File file = OneElement(1, 4, 4, t);
    file.elements[0].pivot = {1, 2, 3};
    file.elements.push_back(effect_file_test::WriterElement(6, "model"));
    file.tracks.push_back(t);
    file.spinSpeed = 1.0f;
    K3DEffectInstance* instance = MakeInstance(file);
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0, 0, 7);
    Device()->SetTransform(D3DTS_WORLD, &world);
    models.calls.clear();

    D3DXMATRIX expected, step;
    D3DXMatrixScaling(&expected, 2, 1, 3);  // a ground quad: x and z
    expected *= *D3DXMatrixRotationY(&step, 0.5f);
    expected._41 = 11, expected._42 = 3, expected._43 = 3;
    expected *= *D3DXMatrixRotationY(&step, 0.5f);  // 500 ms at 1 rad/s
    expected *= world;
    EXPECT_TRUE(MatricesNear(expected, instance->GetElementMatrix(500, IdAt(instance, 0))));
    // A model element's matrix carries no scale.
    D3DXMatrixRotationY(&expected, 0.5f);
    expected._41 = 10, expected._42 = 1;
    expected *= *D3DXMatrixRotationY(&step, 0.5f);
    expected *= world;
    EXPECT_TRUE(MatricesNear(expected, instance->GetElementMatrix(500, IdAt(instance, 1))));
    EXPECT_TRUE(models.calls.empty()) << "the model is not touched";
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(instance->GetElementMatrix(500, 9999), identity);
    Release(instance);
}

TEST_F(EffectInstanceTest, KeyTimesSnapToTheNearestStep) {
    a3e::Tracks t;
    t.position = {{{0, 0, 0}, -149}, {{0, 0, 0}, 0}, {{0, 0, 0}, 49}, {{0, 0, 0}, 50}, {{0, 0, 0}, 149}};
    t.color = {{0, 150}, {0, 2147483647}};
    t.visible = {{1, 151}};
    K3DEffectInstance* instance = MakeInstance(OneElement(2, 4, 4, t));
    K3DEffectKeyTracks* tracks = instance->GetEffectSet()->GetElementTracks(0);
    for (int step : {0, -5}) {
        instance->QuantizeKeyTimes(step);
        EXPECT_EQ(tracks->position.times, (std::vector<int32_t>{-149, 0, 49, 50, 149})) << step;
    }
    instance->QuantizeKeyTimes(100);
    EXPECT_EQ(tracks->position.times, (std::vector<int32_t>{-149, 0, 0, 100, 100}));
    // Past the largest time the step rounds down.
    EXPECT_EQ(tracks->color.times, (std::vector<int32_t>{200, 2147483600}));
    EXPECT_EQ(tracks->visible.times, std::vector<int32_t>{200});
    Release(instance);
}

// A model element whose box (-10, -10, -10)..(10, 10, 10) outlines a
// square around the middle of the target.
class EffectInstanceModelTest : public EffectInstanceTest {
protected:
    K3DEffectInstance* ModelInstance(bool selected, int additive = 0) {
        models.files.boundsMin = {-10, -10, -10};
        models.files.boundsMax = {10, 10, 10};
        a3e::Tracks t;
        t.position = {{{0, 0, 30}, 0}};
        t.color = {{0xFF808080u, 0}};
        t.visible = {{0, 0}};
        a3e::File file = OneElement(6, 0, 0, t);
        file.elements[0].fileName = "orb";
        file.elements[0].segments = {2, 0};
        file.elements[0].animSpeed = 0.0f;
        file.additive = additive;
        K3DEffectInstance* instance = MakeInstance(file);
        instance->GetEffectSet()->GetElement(0)->SetSelected(selected ? 1 : 0);
        return instance;
    }
};

TEST_F(EffectInstanceModelTest, ASelectedModelsOutlineTakesRandomColours) {
    lumiva::win32::InstallScriptedRandom({10, 20, 300});
    K3DEffectInstance* selected = ModelInstance(true);
    const auto image = DrawOnTarget([&] { selected->Render(0, kEffectRenderWireframe); });
    // Each channel rand() % 255: 10, 20, 300 % 255 = 45.
    EXPECT_EQ(Colours(image), std::vector<DWORD>{0x0A142D});
    Release(selected);
    K3DEffectInstance* plain = ModelInstance(false);
    EXPECT_EQ(Colours(DrawOnTarget([&] { plain->Render(0, kEffectRenderWireframe); })), std::vector<DWORD>{0xFFFFFF});
    Record();
    plain->Render(0, kEffectRenderTextured);
    EXPECT_TRUE(Draws().empty()) << "no outline without the wireframe pass";
    Release(plain);
}

TEST_F(EffectInstanceModelTest, TheModelDrawsWhateverTheFlagsAndItsVisibleTrack) {
    K3DEffectInstance* instance = ModelInstance(false, 1);
    for (DWORD flags : {0u, 1u, 2u}) {
        models.calls.clear();
        instance->Render(400, flags);
        const std::vector<std::string> expected = {"SetScale 1 1 1",     "SetModelMatrix",   "SetAnimationMode 2",
                                                   "SetPaused 0",        "SetAnimationPosition", "SetColor ff808080",
                                                   "SetAlpha",           "SetGlobalFlag 1",  "UpdateSceneNode 0"};
        EXPECT_EQ(models.calls, expected) << flags;
        EXPECT_FLOAT_EQ(models.alpha, 1.0f);
        EXPECT_FLOAT_EQ(models.animationPosition, 0.4f) << "400 ms of the 1000 ms set";
    }
    Release(instance);
}

// Editing tools call instances by slot; the deleting destructor comes last.
TEST(EffectInstanceSlots, OperationsInOrder) {
    using test_support::SlotOf;
    const long slots[] = {
        SlotOf(&K3DEffectInstance::GetEffectSet),      SlotOf(&K3DEffectInstance::GetEvaluator),
        SlotOf(&K3DEffectInstance::Render),            SlotOf(&K3DEffectInstance::PickByRay),
        SlotOf(&K3DEffectInstance::SelectInVolume),    SlotOf(&K3DEffectInstance::SetWireColor),
        SlotOf(&K3DEffectInstance::SetSelectedWireColor), SlotOf(&K3DEffectInstance::SetHiddenWireColor),
        SlotOf(&K3DEffectInstance::EmptySlot8),        SlotOf(&K3DEffectInstance::EmptySlot9),
        SlotOf(&K3DEffectInstance::GetElementMatrix),  SlotOf(&K3DEffectInstance::QuantizeKeyTimes),
    };
    for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i) << "operation " << i;
}

// The host's handle is the node's first base.
TEST(EffectNodeLayout, TheHandleIsTheNodesFirstBase) {
    K3DEffectNode node(nullptr);
    EXPECT_EQ(static_cast<void*>(static_cast<IK3DEffectNode*>(&node)), static_cast<void*>(&node));
    EXPECT_EQ(SceneNodeOfEffect(&node), static_cast<K3DSceneNode*>(&node));
    EXPECT_FALSE(node.Update()) << "a node without a set plays nothing";
    EXPECT_EQ(node.GetDuration(nullptr), 0u);
}

}  // namespace
}  // namespace effect_node_test
