// Bound effects: the set's operations, its ini file both ways, where each
// bind mode puts the effect node, the drawing of a one-quad effect on a
// dummy (looping after its duration), and the model's side: its own set,
// the effect list and the update of its bound effects.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "BindEffectIniWriter.h"
#include "MeshFileWriter.h"
#include "effects/BindRotation.h"
#include "effects/EffectNodeFixture.h"
#include "effects/KBindEffectSet.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/KIniFile.h"
#include "scene/K3DSceneNode.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "scene/KModelManager.h"
#include "scene/KModelProxy.h"
#include "shell/KDrawShell.h"
#include "win32/Control.h"

namespace effect_node_test {
namespace {

constexpr const char* kEffect = "fx\\quad.a3e";
constexpr int32_t kDuration = 1000;

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

D3DXVECTOR3 Position(K3DEffectNode* node) {
    D3DXVECTOR3 p;
    node->GetPosition(&p.x, &p.y, &p.z, 0, 1);
    return p;
}

::testing::AssertionResult VectorsNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual) {
    const D3DXVECTOR3 d = expected - actual;
    if (std::fabs(d.x) < 1e-4f && std::fabs(d.y) < 1e-4f && std::fabs(d.z) < 1e-4f)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
                                         << ") got (" << actual.x << ", " << actual.y << ", " << actual.z << ")";
}

D3DXVECTOR3 Unit(D3DXVECTOR3 v) {
    D3DXVec3Normalize(&v, &v);
    return v;
}

std::string IniValue(const std::string& path, const char* section, const char* key) {
    KIniFile ini;
    if (!ini.Load(path.c_str())) return "<no file>";
    char value[300];
    return ini.GetString(section, key, "<absent>", value, int(sizeof value)) ? value : "<absent>";
}

class BindEffectTest : public EffectNodeTest {
protected:
    void SetUp() override {
        EffectNodeTest::SetUp();
        meshfile::File mesh;
        mesh.blocks.push_back(meshfile::SkinnedBlock(meshfile::GridBlock(1, 1), 1, 2));
        WriteDataFile("model/bound.mesh", meshfile::Write(mesh));
        WriteFlatSprite("fx/flat.spr", 8, 8, 0xFFFFFFFF);
        a3e::File quad = OneElement(2, 32, 16, {}, kDuration);
        quad.elements[0].fileName = "\\fx\\flat.spr";
        WriteEffect("fx/quad.a3e", quad);
        handle = m_shell->CreateModel("\\model\\bound.mesh");
        ASSERT_NE(handle, nullptr);
        model = handle->GetModel();
        ASSERT_NE(model->mesh, nullptr);
        ASSERT_EQ(model->FindBone("dummy1"), 1);
        D3DXMatrixIdentity(&model->worldMatrix);
        PlaceDummy(0, Translation(0, 0, 0));
        PlaceDummy(1, Translation(0, 0, 0));
    }
    void TearDown() override {
        if (handle) m_shell->ReleaseModel(handle);
        // The models go while the effect-set cache they hold sets of stands.
        ResetModelManagerForTests();
        EffectNodeTest::TearDown();
    }
    void PlaceDummy(int index, const D3DXMATRIX& world) { model->mesh->dummies[size_t(index)].worldMatrix = world; }
    // A set of the model, the way the model makes one.
    std::unique_ptr<KBindEffectSet> NewSet() {
        auto set = std::make_unique<KBindEffectSet>(2);
        EXPECT_EQ(set->Init(Device(), model), 0);
        return set;
    }
    static K3DEffectNode* NodeOf(const KBindEffect* effect) {
        return effect && effect->GetNode() ? dynamic_cast<K3DEffectNode*>(SceneNodeOfEffect(effect->GetNode()))
                                           : nullptr;
    }
    void WriteBindFile(const std::string& relative, const bindini::BindEffectFile& file) {
        WriteDataFile(relative, bindini::WriteBindEffectFile(file));
    }
    static bindini::BindEffect Quad(const std::string& socket, int mode = 2) {
        bindini::BindEffect e;
        e.path = "fx\\";
        e.name = "quad.a3e";
        e.socket = socket;
        e.bindMode = mode;
        return e;
    }
    std::string HostPath(const char* modulePath) {
        std::string path;
        EXPECT_TRUE(basrel::ResolveForWriting(modulePath, path));
        return path;
    }

    KModelProxy* handle = nullptr;
    KModel* model = nullptr;
};

TEST_F(BindEffectTest, SetKeepsOneEffectASocketInInsertionOrder) {
    auto set = NewSet();
    EXPECT_EQ(set->AddEffect(kEffect, "dummy0", 2, 1.0f, 0.0f), 0);
    EXPECT_EQ(set->AddEffect(kEffect, "dummy1", 3, 2.0f, 0.0f), 0);
    KBindEffect* first = set->GetEffect(0);
    // A second effect at an occupied socket takes the place of the first.
    EXPECT_EQ(set->AddEffect("fx\\other.a3e", "dummy0", 4, 3.0f, 45.0f), 0);
    EXPECT_EQ(set->GetEffectCount(), 2);
    EXPECT_EQ(set->GetEffect(0), first);
    EXPECT_EQ(first->GetBindMode(), 4);
    EXPECT_EQ(first->GetScale(), 3.0f);
    EXPECT_EQ(first->GetAngle(), 45.0f);
    // The file gives no node: the effect stays and draws nothing.
    EXPECT_EQ(first->GetNode(), nullptr);
    EXPECT_EQ(first->UpdateTimed(), E_FAIL);

    EXPECT_EQ(set->FindEffect("dummy1"), 1);
    EXPECT_EQ(set->FindEffect("Dummy1"), -1);
    EXPECT_EQ(set->FindEffect(nullptr), -1);
    EXPECT_EQ(set->GetEffect(2), nullptr);
    EXPECT_EQ(set->GetEffect(-1), nullptr);
    EXPECT_EQ(set->SetNextSocket("dummy9", "dummy1", 3), E_FAIL);
    EXPECT_EQ(set->SetNextSocket("dummy1", "dummy0", 4), 0);
    EXPECT_EQ(set->GetEffect(1)->GetBindMode(), 4);
    EXPECT_STREQ(set->GetEffect(1)->GetNextSocketName(), "dummy0");

    EXPECT_EQ(set->RemoveEffect("dummy9"), E_FAIL);
    EXPECT_EQ(set->RemoveEffect("dummy0"), 0);
    EXPECT_EQ(set->GetEffectCount(), 1);
    EXPECT_EQ(set->FindEffect("dummy1"), 0);
    set->RemoveAllEffects();
    EXPECT_EQ(set->GetEffectCount(), 0);
    EXPECT_EQ(g_LiveEffectNodes, 0);
}

TEST_F(BindEffectTest, RefusalsLeaveTheSetAsItWas) {
    KBindEffectSet set;
    EXPECT_EQ(set.Init(nullptr, model), E_FAIL);
    EXPECT_EQ(set.Init(Device(), model), 0);
    const std::string longest(29, 's'), overlong(30, 's');
    EXPECT_EQ(set.AddEffect(kEffect, overlong.c_str(), 2, 1, 0), E_FAIL);
    EXPECT_EQ(set.AddEffect((std::string(256, 'p') + "\\a.a3e").c_str(), "dummy0", 2, 1, 0), E_FAIL);
    EXPECT_EQ(set.AddEffect(nullptr, "dummy0", 2, 1, 0), E_FAIL);
    EXPECT_EQ(set.AddEffect(kEffect, nullptr, 2, 1, 0), E_FAIL);
    EXPECT_EQ(set.GetEffectCount(), 0);
    EXPECT_EQ(set.AddEffect(kEffect, longest.c_str(), 2, 1, 0), 0);
    EXPECT_STREQ(set.GetEffect(0)->GetSocketName(), longest.c_str());
    KBindEffect effect;
    EXPECT_EQ(effect.SetSocket(nullptr, "dummy0"), E_FAIL);
}

TEST_F(BindEffectTest, IniFileLoadsSkippingUnnamedSectionsAndSavesRenumbered) {
    bindini::BindEffectFile file;
    file.useBladeLight = 1;
    // An effect file without an extension.
    WriteEffect("fx/spark", OneElement(2, 4, 4));
    bindini::BindEffect second = Quad("dummy1", 3);
    second.name = "spark";
    second.nextSocket = "dummy0";
    second.scale = 1.5f;
    second.angle = 30.0f;
    bindini::BindEffect skipped = Quad("dummy0");
    skipped.edits.omit = {"Name"};
    file.effects = {Quad("dummy0", 1), skipped, second};
    WriteBindFile("bind/hero.ini", file);

    auto set = NewSet();
    EXPECT_EQ(set->LoadBindEffects("\\bind\\hero.ini"), 1);
    ASSERT_EQ(set->GetEffectCount(), 2);
    EXPECT_EQ(set->useBladeLight, 1);
    EXPECT_EQ(set->GetEffect(0)->GetBindMode(), 1);
    EXPECT_NE(set->GetEffect(0)->GetNode(), nullptr);
    EXPECT_STREQ(set->GetEffect(1)->GetSocketName(), "dummy1");
    EXPECT_STREQ(set->GetEffect(1)->GetNextSocketName(), "dummy0");
    EXPECT_EQ(set->GetEffect(1)->GetScale(), 1.5f);

    EXPECT_EQ(set->SaveBindEffects(), 1);
    const std::string saved = "\\bind\\hero.ini";
    EXPECT_EQ(IniValue(saved, "Total", "TotalEffectNum"), "2");
    EXPECT_EQ(IniValue(saved, "Total", "UseBladeLight"), "<absent>");
    EXPECT_EQ(IniValue(saved, "Effect1", "Path"), "fx\\");
    EXPECT_EQ(IniValue(saved, "Effect1", "Name"), "quad.a3e");
    EXPECT_EQ(IniValue(saved, "Effect1", "NextSocketName"), "<absent>");
    EXPECT_EQ(IniValue(saved, "Effect2", "Name"), "spark.a3e");
    EXPECT_EQ(IniValue(saved, "Effect2", "SocketName"), "dummy1");
    EXPECT_EQ(IniValue(saved, "Effect2", "BindMode"), "3");
    EXPECT_EQ(IniValue(saved, "Effect2", "Scale"), "1.50");
    EXPECT_EQ(IniValue(saved, "Effect2", "Angle"), "30.000000");
    EXPECT_EQ(IniValue(saved, "Effect2", "NextSocketName"), "dummy0");
    EXPECT_EQ(IniValue(saved, "Effect3", "Name"), "<absent>");

    // The saved file loads back to the same effects.
    auto again = NewSet();
    EXPECT_EQ(again->LoadBindEffects("\\bind\\hero.ini"), 1);
    ASSERT_EQ(again->GetEffectCount(), 2);
    EXPECT_STREQ(again->GetEffect(1)->GetNextSocketName(), "dummy0");
    EXPECT_EQ(again->GetEffect(1)->GetAngle(), 30.0f);
}

TEST_F(BindEffectTest, BadIniFilesAddNothing) {
    struct Case {
        const char* name;
        std::string text;
        int result;
        int added;
    };
    bindini::BindEffectFile longSocket;
    longSocket.effects = {Quad(std::string(30, 'x')), Quad("dummy1"), Quad("dummy0")};
    longSocket.effects[2].path = std::string(300, 'p') + "\\";
    longSocket.effects[2].name = "";
    bindini::BindEffectFile noTotal;
    noTotal.effects = {Quad("dummy0")};
    noTotal.edits.omit = {"TotalEffectNum"};
    bindini::BindEffectFile bigTotal = noTotal, negative = noTotal, most = noTotal;
    bigTotal.edits = {}, negative.edits = {}, most.edits = {};
    bigTotal.total = 1025;
    negative.total = -1;
    most.total = 1024;
    const Case cases[] = {
        {"missing file", "", 0, 0},
        {"no total", bindini::WriteBindEffectFile(noTotal), 0, 0},
        {"total above 1024", bindini::WriteBindEffectFile(bigTotal), 0, 0},
        {"negative total", bindini::WriteBindEffectFile(negative), 0, 0},
        {"1024 with one section", bindini::WriteBindEffectFile(most), 1, 1},
        {"socket name or path too long", bindini::WriteBindEffectFile(longSocket), 1, 1},
        {"not an ini file", "[Total\nTotalEffectNum=1\n", 0, 0},
    };
    for (const Case& c : cases) {
        if (!c.text.empty()) WriteDataFile("bind/bad.ini", c.text);
        auto set = NewSet();
        EXPECT_EQ(set->LoadBindEffects(c.text.empty() ? "\\bind\\none.ini" : "\\bind\\bad.ini"), c.result)
            << c.name;
        EXPECT_EQ(set->GetEffectCount(), c.added) << c.name;
    }
}

TEST_F(BindEffectTest, SavingWithoutEffectsDeletesTheFileAndWithoutAFileDoesNothing) {
    WriteBindFile("bind/empty.ini", bindini::BindEffectFile{});
    auto set = NewSet();
    EXPECT_EQ(set->LoadBindEffects("\\bind\\empty.ini"), 1);
    EXPECT_EQ(set->SaveBindEffects(), 1);
    EXPECT_FALSE(g_FileExists("\\bind\\empty.ini"));

    auto unloaded = NewSet();
    unloaded->AddEffect(kEffect, "dummy0", 2, 1, 0);
    EXPECT_EQ(unloaded->SaveBindEffects(), 0);
}

// Where each mode puts the node: dummy0 turned by 0.5 rad about x at
// (1, 2, 3), dummy1 at (1, 6, 3), the model moved by (10, 0, 0).
class BindPlacementTest : public BindEffectTest {
protected:
    void SetUp() override {
        BindEffectTest::SetUp();
        D3DXMATRIX turn;
        D3DXMatrixRotationX(&turn, 0.5f);
        socket = turn * Translation(1, 2, 3);
        PlaceDummy(0, socket);
        PlaceDummy(1, Translation(1, 6, 3));
        model->worldMatrix = Translation(10, 0, 0);
    }
    // The nodes go back to the shell while it stands.
    void TearDown() override {
        set.reset();
        BindEffectTest::TearDown();
    }
    // One effect at dummy0 with the mode and next socket, placed once.
    K3DEffectNode* Placed(int mode, const char* next = "dummy1", float scale = 2.0f) {
        set = NewSet();
        set->AddEffect(kEffect, "dummy0", mode, scale, 0.0f);
        if (next) set->SetNextSocket("dummy0", next, mode);
        set->GetEffect(0)->Update();
        return NodeOf(set->GetEffect(0));
    }
    D3DXMATRIX socket;
    std::unique_ptr<KBindEffectSet> set;
};

TEST_F(BindPlacementTest, ModesOneAndTwoStandAtTheSocket) {
    K3DEffectNode* node = Placed(1, nullptr);
    ASSERT_NE(node, nullptr);
    D3DXMATRIX turn = socket * Translation(10, 0, 0);
    turn._41 = turn._42 = turn._43 = 0.0f;
    EXPECT_TRUE(VectorsNear({11, 2, 3}, Position(node)));
    EXPECT_TRUE(VectorsNear(Unit({turn._31, turn._32, turn._33}), node->Direction()));
    EXPECT_TRUE(MatricesNear(turn, g_BindRotation));
    EXPECT_TRUE(VectorsNear({2, 2, 2}, node->NodeScale()));

    ResetBindRotationForTests();
    node = Placed(2, nullptr);
    EXPECT_TRUE(VectorsNear({11, 2, 3}, Position(node)));
    EXPECT_TRUE(VectorsNear({0, 0, 1}, node->Direction()));
    D3DXMATRIX identity;
    EXPECT_TRUE(MatricesNear(*D3DXMatrixIdentity(&identity), g_BindRotation));
}

// Modes 3 and 4 stand halfway between the sockets (both through the
// model's world matrix), pointing from the second to the first.
TEST_F(BindPlacementTest, ModesThreeAndFourStandBetweenTheSockets) {
    K3DEffectNode* node = Placed(3);
    EXPECT_TRUE(VectorsNear({11, 4, 3}, Position(node)));
    EXPECT_TRUE(VectorsNear({0, -1, 0}, node->Direction()));
    EXPECT_TRUE(VectorsNear({2, 2, 2}, node->NodeScale()));

    // 40.78 units apart: f = 1, the scale follows the up axis alone.
    PlaceDummy(0, Translation(1, 2, 3));
    PlaceDummy(1, Translation(1, 42.78f, 3));
    node = Placed(4);
    EXPECT_TRUE(VectorsNear({11, 22.39f, 3}, Position(node)));
    const D3DXVECTOR3 v = Unit({11, 23.39f, 3});  // (0, 1, 0) through the halfway placement
    EXPECT_TRUE(VectorsNear(2.0f * v, node->NodeScale()));
    // Twice as far apart: twice the stretch.
    PlaceDummy(1, Translation(1, 83.56f, 3));
    node = Placed(4);
    const D3DXVECTOR3 w = Unit({11, 43.78f, 3});
    EXPECT_TRUE(VectorsNear(4.0f * w, node->NodeScale()));
}

TEST_F(BindPlacementTest, AMissingSocketOrModeLeavesThePlacement) {
    // A second socket that is no dummy: placed as mode 2.
    K3DEffectNode* node = Placed(3, "nothere");
    EXPECT_TRUE(VectorsNear({11, 2, 3}, Position(node)));
    EXPECT_TRUE(VectorsNear({0, 0, 1}, node->Direction()));
    // Modes 0 and 5 set only the scale.
    for (int mode : {0, 5}) {
        node = Placed(mode, nullptr, 3.0f);
        EXPECT_TRUE(VectorsNear({0, 0, 0}, Position(node))) << mode;
        EXPECT_TRUE(VectorsNear({0, 1, 0}, node->Direction())) << mode;
        EXPECT_TRUE(VectorsNear({3, 3, 3}, node->NodeScale())) << mode;
    }
    // A socket that is no dummy stays at the last lookup: identity at first.
    set = NewSet();
    set->AddEffect(kEffect, "dummy0", 2, 1.0f, 0.0f);
    KBindEffect* effect = set->GetEffect(0);
    effect->SetSocket(model, "hand");
    effect->Update();
    EXPECT_TRUE(VectorsNear({10, 0, 0}, Position(NodeOf(effect))));
    effect->SetSocket(model, "dummy0");
    effect->Update();
    effect->SetSocket(model, "hand");
    model->worldMatrix = Translation(20, 0, 0);
    effect->Update();
    EXPECT_TRUE(VectorsNear({21, 2, 3}, Position(NodeOf(effect))));
}

// A mode-2 effect draws by its own direction even after a mode-1 effect
// left another socket's turn in the bind rotation.
TEST_F(BindPlacementTest, OnlyModeOneDrawsByTheBindRotation) {
    auto world = [&](bool afterTurnedSocket) {
        set = NewSet();
        if (afterTurnedSocket) set->AddEffect(kEffect, "dummy0", 1, 1.0f, 0.0f);
        set->AddEffect(kEffect, "dummy1", 2, 1.0f, 0.0f);
        g_UseBindRotation = 1;
        Record();
        set->UpdateAll();
        const auto draws = Draws();
        g_UseBindRotation = 0;
        return draws.empty() ? D3DXMATRIX() : WorldAt(draws.back());
    };
    const D3DXMATRIX alone = world(false);
    EXPECT_TRUE(MatricesNear(alone, world(true)));
}

TEST_F(BindEffectTest, AQuadOnADummyDrawsWhereTheDummyIsAndLoops) {
    PlaceDummy(0, Translation(0, 0, 10));
    ASSERT_EQ(model->AddBindEffect(kEffect, "dummy0", 1, 1.0f, 0.0f), 0);
    auto covered = [&] {
        const auto image = DrawOnTarget([&] { model->UpdateBindEffects(); });
        int lit = 0;
        for (UINT y = 0; y < kTargetSize; ++y)
            for (UINT x = 0; x < kTargetSize; ++x) {
                const bool inside = x >= 16 && x < 48 && y >= 24 && y < 40;
                const bool on = (image.At(x, y) & 0xFF) > 0x80;
                EXPECT_EQ(on, inside) << x << "," << y;
                lit += on;
            }
        return lit;
    };
    EXPECT_EQ(covered(), 32 * 16);
    KBindEffect* effect = model->currentBindEffects->GetEffect(0);
    const DWORD start = effect->startTime;
    lumiva::win32::AdvanceClock(kDuration - 1);
    EXPECT_EQ(covered(), 32 * 16);
    EXPECT_EQ(effect->startTime, start);
    // Past its duration the node would stop drawing: the effect starts over.
    lumiva::win32::AdvanceClock(kDuration);
    EXPECT_EQ(covered(), 32 * 16);
    EXPECT_EQ(effect->startTime, start + 2 * kDuration - 1);
    EXPECT_EQ(effect->duration, DWORD(kDuration));
}

TEST_F(BindEffectTest, UpdatingClearsTheWorldOffsetAndTheRotationFlag) {
    ASSERT_EQ(model->AddBindEffect(kEffect, "dummy0", 2, 1.0f, 0.0f), 0);
    D3DXMATRIX before = Translation(1, 2, 3);
    Device()->SetTransform(D3DTS_WORLD, &before);
    m_shell->worldOffsetSet = 1;
    Record();
    model->UpdateBindEffects();
    EXPECT_EQ(Draws().size(), 1u);
    EXPECT_EQ(m_shell->HasWorldOffset(), 0);
    EXPECT_EQ(g_UseBindRotation, 0);
    D3DXMATRIX after;
    Device()->GetTransform(D3DTS_WORLD, &after);
    EXPECT_TRUE(MatricesNear(before, after));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));

    model->SetBindFlag(0);
    Record();
    model->UpdateBindEffects();
    EXPECT_TRUE(Draws().empty());
}

TEST_F(BindEffectTest, ModelOperationsWithoutMeshSocketOrSet) {
    KModelProxy* empty = m_shell->CreateModel("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetModel()->AddBindEffect(kEffect, "dummy0", 2, 1, 0), E_FAIL);
    EXPECT_EQ(empty->GetModel()->LoadBindEffectFile("\\bind\\a.ini"), 0);
    m_shell->ReleaseModel(empty);

    // Without a current set nothing is removed and no socket is set.
    EXPECT_EQ(model->SetBindEffectSocket("dummy0", "dummy1", 3), E_FAIL);
    EXPECT_EQ(model->RemoveBindEffect("dummy0"), 0);
    model->RemoveAllBindEffects();
    EXPECT_EQ(model->currentBindEffects, nullptr);

    EXPECT_EQ(model->AddBindEffect(kEffect, "hand", 2, 1, 0), E_FAIL);
    EXPECT_EQ(model->AddBindEffect(kEffect, "dummy0", 2, 1, 0), 0);
    EXPECT_EQ(model->SetBindEffectSocket("hand", "dummy1", 3), E_FAIL);
    EXPECT_EQ(model->SetBindEffectSocket("dummy0", "dummy1", 3), 0);
    EXPECT_STREQ(model->currentBindEffects->GetEffect(0)->GetNextSocketName(), "dummy1");
    EXPECT_EQ(model->RemoveBindEffect("dummy0"), 0);
    EXPECT_EQ(model->currentBindEffects->GetEffectCount(), 0);
}

// A set made outside an effect list is the model's: current while the list
// is empty, freed when another replaces it or with the model.
TEST_F(BindEffectTest, TheModelsOwnSetStaysCurrentUntilReplaced) {
    WriteBindFile("bind/one.ini", [] {
        bindini::BindEffectFile f;
        f.effects = {Quad("dummy0")};
        return f;
    }());
    WriteBindFile("bind/none.ini", bindini::BindEffectFile{});
    EXPECT_EQ(model->LoadBindEffectFile(nullptr), 0);
    // A file that cannot be read leaves no set.
    EXPECT_EQ(model->LoadBindEffectFile("\\bind\\missing.ini"), 0);
    EXPECT_EQ(model->currentBindEffects, nullptr);
    EXPECT_EQ(model->ownBindEffects, nullptr);

    EXPECT_EQ(model->LoadBindEffectFile("\\bind\\one.ini"), 1);
    KBindEffectSet* own = model->currentBindEffects;
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(model->ownBindEffects, own);
    EXPECT_EQ(g_LiveEffectNodes, 1);
    handle->UpdateTree(0);
    EXPECT_EQ(model->currentBindEffects, own);
    handle->UpdateTree(3);
    EXPECT_EQ(model->currentBindEffects, own);
    // A second file adds to the current set.
    EXPECT_EQ(model->LoadBindEffectFile("\\bind\\none.ini"), 1);
    EXPECT_EQ(model->currentBindEffects, own);

    // Freed with the model, which the manager frees once it is given back.
    m_shell->ReleaseModel(handle);
    handle = nullptr;
    ResetModelManagerForTests();
    EXPECT_EQ(g_LiveEffectNodes, 0);
}

TEST_F(BindEffectTest, EffectListsSelectReplaceAndKeepTheirSets) {
    WriteBindFile("bind/one.ini", [] {
        bindini::BindEffectFile f;
        f.effects = {Quad("dummy0")};
        return f;
    }());
    WriteBindFile("bind/two.ini", [] {
        bindini::BindEffectFile f;
        f.effects = {Quad("dummy0"), Quad("dummy1")};
        f.useBladeLight = 1;
        return f;
    }());
    bindini::EffectList list;
    list.paths = {"\\bind\\one.ini", "", "\\bind\\two.ini", "\\bind\\missing.ini", std::string(260, 'p')};
    WriteDataFile("bind/list.ini", bindini::WriteEffectList(list));
    for (int count : {0, 33, -1}) {
        bindini::EffectList bad = list;
        bad.count = count;
        WriteDataFile("bind/bad.ini", bindini::WriteEffectList(bad));
        EXPECT_EQ(model->LoadEffectList("\\bind\\bad.ini", 1), 0) << count;
    }
    EXPECT_EQ(model->LoadEffectList("\\bind\\nothere.ini", 1), 0);
    EXPECT_TRUE(model->effectList.empty());

    EXPECT_EQ(model->LoadEffectList("\\bind\\list.ini", 3), 1);
    ASSERT_EQ(model->effectList.size(), 5u);
    EXPECT_NE(model->effectList[0], nullptr);
    EXPECT_EQ(model->effectList[1], nullptr);
    EXPECT_EQ(model->effectList[3], nullptr);
    EXPECT_EQ(model->effectList[4], nullptr);
    EXPECT_EQ(model->currentBindEffects, model->effectList[2]);
    EXPECT_EQ(model->currentBindEffects->useBladeLight, 1);
    EXPECT_EQ(g_LiveEffectNodes, 3);
    handle->UpdateTree(1);
    EXPECT_EQ(model->currentBindEffects, model->effectList[0]);
    handle->UpdateTree(5);
    EXPECT_EQ(model->currentBindEffects, nullptr);

    // An emptied entry that a failed load meets is kept, not deleted.
    handle->UpdateTree(1);
    model->RemoveAllBindEffects();
    EXPECT_EQ(model->LoadBindEffectFile("\\bind\\missing.ini"), 0);
    EXPECT_NE(model->effectList[0], nullptr);
    handle->UpdateTree(1);
    model->UpdateBindEffects();

    // A new list frees the sets of the old one.
    list.paths = {"\\bind\\one.ini"};
    WriteDataFile("bind/list.ini", bindini::WriteEffectList(list));
    EXPECT_EQ(model->LoadEffectList("\\bind\\list.ini", 0), 1);
    EXPECT_EQ(model->currentBindEffects, nullptr);
    EXPECT_EQ(g_LiveEffectNodes, 1);
}

}  // namespace
}  // namespace effect_node_test
