// Building the Direct3D mesh from the file's arrays, and the shadow quad's
// texture.
#include "scene/KMesh.h"
#include "scene/ModelFileBytes.h"
#include "textures/TextureManager.h"

HRESULT KMesh::BuildMesh(const char* fileName) {
    if (!loaded || built) return E_FAIL;
    if (positions.empty() || normals.empty() || textureSets[0].empty() || faces.empty() || faceAttributes.empty())
        return FailBuild(E_FAIL);
    if (const HRESULT filled = FillMesh(); FAILED(filled)) return FailBuild(filled);
    const bool skeleton = (flags & kMeshHasSkeleton) != 0;
    if (skeleton)
        std::vector<float>().swap(positions);
    else
        keptPositions.swap(positions);
    FreeFileArrays();
    if (skeleton) {
        const HRESULT skinned = SetupSkinning();
        if (FAILED(skinned)) {
            LogRefusedModelFile(fileName, "skinning set-up failed");
            return skinned;
        }
    }
    TakeShadowTexture();
    built = 1;
    return 0;
}

HRESULT KMesh::FailBuild(HRESULT result) {
    FreeFileArrays();
    return result;
}

// A rebuild gives the old texture back first; a quad without a name of its
// own takes the common shadow.
void KMesh::TakeShadowTexture() {
    if (!g_pTextureManager) return;
    const bool hadTexture = shadowQuad.texture != nullptr;
    if (hadTexture) g_pTextureManager->ReleaseTexture(shadowQuad.texture);
    shadowQuad.texture = nullptr;
    const std::string& own = shadowQuad.textureName;
    const char* name = hadTexture && !own.empty() ? own.c_str() : kDefaultShadowTexture;
    shadowQuad.texture = g_pTextureManager->LoadTexture(name, nullptr, 0, 0, 0);
}
