// Fixture of the model manager and model tests: the model fixture's device
// handed to the manager, and model files written by the tools/ writers: a
// skinned grid mesh with bones "bone0".."bone2" and dummies "dummy0" and
// "dummy1", a one-record material and an animation of named tracks.
#pragma once

#include <string>
#include <vector>

#include "AnimationFileWriter.h"
#include "ModelFixture.h"
#include "scene/KModel.h"
#include "scene/KModelManager.h"

namespace model_test {

class ModelManagerTest : public ModelTest {
protected:
    void SetUp() override;

    // Files under the data root by module path.
    void WriteMesh(const std::string& path);
    void WriteMaterial(const std::string& path);
    // Skeletal tracks over the given bone names, `frames` frames 100 ms
    // apart; no names: a file without tracks.
    void WriteAnimation(const std::string& path, const std::vector<std::string>& trackNames,
                        const std::vector<std::string>& boneNames = {"bone0", "bone1"}, uint32_t frames = 10);
    void RemoveModuleFile(const std::string& path);

    // A new model from the manager; fails the test when none comes.
    KModel* NewModel();
    // The manager's own loads into the model.
    HRESULT LoadMesh(KModel* model, const char* name) { return g_pModelManager->LoadModel(model->ownRecord, name); }
    HRESULT LoadMaterial(KModel* model, const char* name) {
        return g_pModelManager->LoadMaterial(model->ownRecord, name);
    }
    HRESULT LoadAnimation(KModel* model, const char* name) {
        return g_pModelManager->LoadAnimation(model->ownRecord, name);
    }

    static KMeshRecord* MeshRecord(const char* name) { return g_pModelManager->meshMap.Peek(name); }
    static KMaterialSetRecord* MaterialRecord(const char* name) { return g_pModelManager->materialMap.Peek(name); }
    static KAnimationRecord* AnimationRecord(const char* name) { return g_pModelManager->animationMap.Peek(name); }
    // Records in the four maps: mesh, material, animation, model.
    static std::vector<size_t> MapSizes();

    KModelManager& manager = *g_pModelManager;
};

}  // namespace model_test
