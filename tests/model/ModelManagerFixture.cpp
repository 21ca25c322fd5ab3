#include "ModelManagerFixture.h"

#include <filesystem>

#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"

namespace model_test {

void ModelManagerTest::SetUp() {
    ModelTest::SetUp();
    ASSERT_EQ(g_pModelManager->SetDevice(device), 0);
}

void ModelManagerTest::WriteMesh(const std::string& path) {
    meshfile::File file;
    file.blocks.push_back(meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 2));
    WriteModuleFile(path, meshfile::Write(file));
}

void ModelManagerTest::WriteMaterial(const std::string& path) {
    mtlfile::File file;
    mtlfile::Record record;
    mtlfile::Stage stage;
    stage.textureName = "art\\skin.dds";
    record.stages.push_back(stage);
    file.records.push_back(record);
    WriteModuleFile(path, mtlfile::Write(file));
}

void ModelManagerTest::WriteAnimation(const std::string& path, const std::vector<std::string>& trackNames,
                                      const std::vector<std::string>& boneNames, uint32_t frames) {
    animfile::File file;
    for (const std::string& name : trackNames) {
        animfile::Track track;
        track.name = name;
        track.frameCount = frames;
        track.interval = 100.0f;
        track.boneNames = boneNames;
        for (size_t b = 0; b < boneNames.size(); ++b)
            for (uint32_t f = 0; f < frames; ++f) track.matrices.push_back(animfile::Translation(float(f), 0, 0));
        file.tracks.push_back(track);
    }
    WriteModuleFile(path, animfile::Write(file));
}

void ModelManagerTest::RemoveModuleFile(const std::string& path) {
    std::string relative = path;
    for (char& c : relative)
        if (c == '\\') c = '/';
    while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
    std::error_code ec;
    ASSERT_TRUE(std::filesystem::remove(m_root + "/" + relative, ec)) << relative;
}

KModel* ModelManagerTest::NewModel() {
    KModel* model = nullptr;
    EXPECT_EQ(g_pModelManager->CreateEmptyModel(&model), 0);
    EXPECT_NE(model, nullptr);
    return model;
}

std::vector<size_t> ModelManagerTest::MapSizes() {
    KModelManager& m = *g_pModelManager;
    return {m.meshMap.Size(), m.materialMap.Size(), m.animationMap.Size(), m.modelMap.Size()};
}

}  // namespace model_test
