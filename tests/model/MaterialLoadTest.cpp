// Reading material files: records, options, stages and their textures, and
// the files that are refused whole.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

#include "MaterialFileWriter.h"
#include "ModelFixture.h"
#include "scene/KMaterial.h"
#include "textures/TextureManager.h"

namespace model_test::material_load_test {
namespace {

constexpr const char* kMaterialPath = "\\model\\hero\\hero.mtl";
constexpr const char* kSkinPath = "\\model\\hero\\texture\\skin.dds";

mtlfile::Record TexturedRecord(const std::string& texture) {
    mtlfile::Record record;
    mtlfile::Stage stage;
    stage.secondName = "second";
    stage.textureName = texture;
    record.stages.push_back(stage);
    return record;
}

class MaterialLoadTest : public ModelTest {
protected:
    HRESULT LoadFile(const std::vector<uint8_t>& bytes) {
        WriteModuleFile(kMaterialPath, bytes);
        material.SetDevice(device);
        return material.Load(kMaterialPath);
    }
    HRESULT LoadRecords(std::vector<mtlfile::Record> records) {
        mtlfile::File file;
        file.records = std::move(records);
        return LoadFile(mtlfile::Write(file));
    }

    KMaterial material;
};

TEST_F(MaterialLoadTest, RecordsKeepColoursOptionsAndStages) {
    mtlfile::Record first = TexturedRecord("art\\skin.dds");
    auto set = [](float (&colour)[4], std::array<float, 4> values) { std::copy(values.begin(), values.end(), colour); };
    set(first.ambient, {0.1f, 0.2f, 0.3f, 0.4f});
    set(first.diffuse, {0.5f, 0.6f, 0.7f, 0.8f});
    set(first.specular, {0.9f, 1.0f, 0.0f, 0.1f});
    set(first.emissive, {0.2f, 0.4f, 0.6f, 0.8f});
    first.power = 7.5f;
    first.options = {mtlfile::BlendOption(D3DBLEND_ONE, D3DBLEND_ZERO)};
    mtlfile::Stage second;
    second.textureName = "glow.dds";
    second.options = {mtlfile::TexCoordOption(1)};
    first.stages.push_back(second);
    first.stages.push_back(mtlfile::Stage{});
    mtlfile::Record hidden;
    hidden.flags = kMaterialNotDrawn;
    WriteModuleFile(kSkinPath, FlatDds(0xFFFF0000));
    ASSERT_EQ(LoadRecords({first, hidden}), 0);

    ASSERT_EQ(material.recordCount, 2u);
    EXPECT_EQ(material.fileName, kMaterialPath);
    const KMaterialRecord& r = material.records[0];
    EXPECT_EQ(r.material.Ambient.g, 0.2f);
    EXPECT_EQ(r.material.Diffuse.r, 0.5f);
    EXPECT_EQ(r.material.Specular.g, 1.0f);
    EXPECT_EQ(r.material.Emissive.a, 0.8f);
    EXPECT_EQ(r.material.Power, 7.5f);
    EXPECT_EQ(material.records[1].flags, kMaterialNotDrawn);

    // The file's option, then clockwise culling.
    ASSERT_EQ(r.optionCount, 2u);
    EXPECT_EQ(r.options[0].type, DWORD(kOptionBlend));
    EXPECT_EQ(std::get<KBlendOption>(r.options[0].data).sourceBlend, DWORD(D3DBLEND_ONE));
    EXPECT_EQ(r.options[1].type, DWORD(kOptionCull));
    EXPECT_EQ(std::get<KCullOption>(r.options[1].data).cullMode, DWORD(D3DCULL_CW));
    EXPECT_EQ(std::get<KCullOption>(r.options[1].data).savedCullMode, DWORD(D3DCULL_CW));
    EXPECT_EQ(material.records[1].optionCount, 1u);

    // Stages without options of their own: texture x factor on stage 0,
    // texture x current on the others, doubled; the factor mid grey.
    const KStageStatesOption expected[2] = {
        {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR, 0xFF7F7F7F, {}},
        {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, 0xFF7F7F7F, {}},
    };
    for (int s : {0, 2}) {
        ASSERT_EQ(r.stageOptionCounts[s], 1u) << s;
        auto option = r.stageOptions[s][0];
        ASSERT_NE(option.StageStates(), nullptr);
        EXPECT_EQ(std::memcmp(option.StageStates(), &expected[s ? 1 : 0], sizeof(KStageStatesOption)), 0) << s;
    }
    ASSERT_EQ(r.stageOptionCounts[1], 1u);
    EXPECT_EQ(r.stageOptions[1][0].type, DWORD(kOptionTexCoord));

    EXPECT_EQ(r.stageTextureNames[0], "art\\skin.dds");
    EXPECT_EQ(r.stageTextureNames[1], "glow.dds");
    EXPECT_TRUE(r.stageTextureNames[2].empty());
    // Stage 0 only, from the material's folder.
    ASSERT_NE(r.stageTextures[0], nullptr);
    EXPECT_STREQ(r.stageTextures[0]->name, "\\model\\hero\\texture\\skin.dds");
    EXPECT_TRUE(r.stageTextures[0]->loaded);
    EXPECT_EQ(r.stageTextures[1], nullptr);
    EXPECT_EQ(r.stageOptionCounts[3], 0u);
}

TEST_F(MaterialLoadTest, NamesAreCutToTheirField) {
    mtlfile::Record record = TexturedRecord(std::string(256, 'n'));
    record.stages[0].secondName = std::string(20, 's');
    ASSERT_EQ(LoadRecords({record}), 0);
    EXPECT_EQ(material.records[0].stageTextureNames[0], std::string(255, 'n'));
}

TEST_F(MaterialLoadTest, LoadReplacesAndFreeRecordsGivesTexturesBack) {
    WriteModuleFile(kSkinPath, FlatDds(0xFFFF0000));
    ASSERT_EQ(LoadRecords({TexturedRecord("art\\skin.dds"), TexturedRecord("art\\skin.dds")}), 0);
    EXPECT_EQ(material.records[0].stageTextures[0], material.records[1].stageTextures[0]);
    EXPECT_EQ(material.records[0].stageTextures[0]->refCount, 2);
    ASSERT_EQ(LoadRecords({mtlfile::Record{}}), 0);
    EXPECT_EQ(material.recordCount, 1u);
    EXPECT_EQ(g_pTextureManager->FindTexture(kSkinPath), nullptr);

    ASSERT_EQ(LoadRecords({TexturedRecord("art\\skin.dds")}), 0);
    material.FreeRecords();
    EXPECT_EQ(material.recordCount, 0u);
    EXPECT_TRUE(material.records.empty());
    EXPECT_EQ(g_pTextureManager->FindTexture(kSkinPath), nullptr);
}

TEST_F(MaterialLoadTest, PrepareTexturesOnceAndSkipsATextureThatCouldNotBeHad) {
    // A name whose path does not fit a texture record gets no record.
    ASSERT_EQ(LoadRecords({TexturedRecord(std::string(250, 'x') + ".dds"), mtlfile::Record{}}), 0);
    EXPECT_EQ(material.records[0].stageTextures[0], nullptr);
    EXPECT_EQ(material.PrepareTextures(), 0);
    EXPECT_TRUE(material.texturesPrepared);
    EXPECT_EQ(material.PrepareTextures(), 0);
}

TEST_F(MaterialLoadTest, SetDeviceRefusesNull) {
    EXPECT_EQ(material.SetDevice(nullptr), 1);
    EXPECT_EQ(material.SetDevice(device), 0);
    EXPECT_EQ(material.device, device);
}

using Refusal = FileRefusal<mtlfile::File>;

mtlfile::File GoodFile() {
    mtlfile::File file;
    mtlfile::Record record = TexturedRecord("art\\skin.dds");
    record.options = {mtlfile::CullOption(D3DCULL_NONE)};
    record.stages[0].options = {mtlfile::StageStatesOption(4, 2, 0, 4, 2, 0, 0)};
    file.records = {record, TexturedRecord("art\\skin.dds")};
    return file;
}

const Refusal kRefusals[] = {
    {"tag letters in reading order", [](mtlfile::File& f) { f.tag = 0x4C54414D; }},
    {"nine stages", [](mtlfile::File& f) { f.records[1].stages.resize(9); }},
    {"unknown record option", [](mtlfile::File& f) { f.records[0].options.push_back({102, {0, 0}}); }},
    {"unknown stage option", [](mtlfile::File& f) { f.records[1].stages[0].options = {{7, {}}}; }},
    {"record count past the end", [](mtlfile::File& f) { f.recordCount = 0x10000000; }},
    {"record count one too many", [](mtlfile::File& f) { f.recordCount = 3; }},
    {"option count past the end", [](mtlfile::File& f) { f.records[0].optionCount = 0x40000000; }},
    {"stage option count past the end", [](mtlfile::File& f) { f.records[0].stages[0].optionCount = 2; }},
    {"stage count past the end", [](mtlfile::File& f) { f.records[1].stageCount = 2; }},
    {"no trailing value", [](mtlfile::File& f) { f.trailing = false; }},
};

class MaterialRefusalTest : public MaterialLoadTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MaterialRefusalTest, RefusedWholeWithOneLogLine) {
    WriteModuleFile(kSkinPath, FlatDds(0xFFFF0000));
    mtlfile::File file = GoodFile();
    GetParam().spoil(file);
    ASSERT_EQ(LoadFile(mtlfile::Write(file)), E_FAIL);
    EXPECT_EQ(material.recordCount, 0u);
    EXPECT_TRUE(material.records.empty());
    EXPECT_TRUE(material.fileName.empty());
    EXPECT_EQ(LogLinesNaming(kMaterialPath).size(), 1u);
    // Textures taken for the records read so far went back.
    EXPECT_EQ(g_pTextureManager->FindTexture(kSkinPath), nullptr);
    EXPECT_EQ(material.Apply(0xFFFFFFFF, 0, 1.0f, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, MaterialRefusalTest, ::testing::ValuesIn(kRefusals), CaseName<Refusal>);

TEST_F(MaterialLoadTest, EveryCutOfTheFileIsRefused) {
    const std::vector<uint8_t> whole = mtlfile::Write(GoodFile());
    for (size_t cut = 0; cut < whole.size(); cut += 3) {
        KMaterial cutMaterial;
        cutMaterial.SetDevice(device);
        WriteModuleFile(kMaterialPath, std::vector<uint8_t>(whole.begin(), whole.begin() + cut));
        ASSERT_EQ(cutMaterial.Load(kMaterialPath), E_FAIL) << cut;
        ASSERT_EQ(cutMaterial.recordCount, 0u) << cut;
    }
    EXPECT_EQ(LoadFile(whole), 0);
}

TEST_F(MaterialLoadTest, MissingFileLeavesTheSetEmpty) {
    ASSERT_EQ(LoadRecords({mtlfile::Record{}}), 0);
    EXPECT_EQ(material.Load("\\model\\none.mtl"), E_FAIL);
    EXPECT_EQ(material.recordCount, 0u);
    EXPECT_TRUE(LogLinesNaming("").empty());
}

}  // namespace
}  // namespace model_test::material_load_test
