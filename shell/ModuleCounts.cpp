#include "shell/ModuleCounts.h"

#include "d3d9/Control.h"
#include "effects/K3DEffectNode.h"
#include "effects/K3DEffectSetCache.h"
#include "effects/KDebugMeshSet.h"
#include "effects/KLightningCache.h"
#include "place/ScenePlace.h"
#include "scene/KModelManager.h"
#include "scene/ModelShellSlots.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/ShellGlobals.h"
#include "textures/NamedTexturePool.h"
#include "textures/TextureManager.h"

namespace {

void GatherDevice(ModuleCounts& counts) {
    counts.liveDevices = lumiva::d3d9::LiveDeviceCount();
    counts.liveResources = lumiva::d3d9::LiveResourceCount();
    counts.textureMemory = lumiva::d3d9::UsedTextureMemory();
}

void GatherModels(ModuleCounts& counts) {
    counts.liveModels = size_t(g_LiveModels);
    if (!g_pModelManager) return;
    counts.modelRecords = g_pModelManager->modelMap.Size();
    counts.meshRecords = g_pModelManager->meshMap.Size();
    counts.materialRecords = g_pModelManager->materialMap.Size();
    counts.animationRecords = g_pModelManager->animationMap.Size();
}

void GatherEffects(ModuleCounts& counts) {
    counts.liveEffectNodes = size_t(g_LiveEffectNodes);
    counts.effectSets = EffectSetCache().Size();
    counts.lightningLive = LightningCache().LiveCount();
    counts.lightningCached = LightningCache().CachedCount();
    counts.debugMeshLists = DebugMeshSet().ListCount();
}

void GatherShell(ModuleCounts& counts) {
    counts.callLog = neighbours::CallLog().size();
    const KDrawShell* shell = g_pDrawShell;
    if (!shell) return;
    counts.imageCacheEntries = shell->imageCache.Entries().size();
    counts.ribbonTemplates = shell->ribbonMaps[0].size();
    counts.ribbonsActive = shell->ribbonMaps[1].size();
    counts.targetRecords = shell->targetRecords.size();
    counts.lights = shell->lights.size();
    counts.glowLights = shell->lightGlow.glowLights.size();
}

}  // namespace

ModuleCounts GatherModuleCounts() {
    ModuleCounts counts;
    GatherDevice(counts);
    if (g_pTextureManager) counts.textureRecords = g_pTextureManager->RecordCount();
    counts.namedTextures = NamedTexturePool().Count();
    GatherModels(counts);
    GatherEffects(counts);
    GatherShell(counts);
    if (const KScenePlace* place = ScenePlacePointer()) counts.placeFlatObjects = place->FlatObjects().size();
    return counts;
}

std::vector<std::string> CountDifferences(const ModuleCounts& before, const ModuleCounts& after) {
    std::vector<std::string> differences;
    auto note = [&](const char* name, uint64_t a, uint64_t b) {
        if (a != b) differences.push_back(std::string(name) + ": " + std::to_string(a) + " -> " + std::to_string(b));
    };
#define LUMIVA_COUNT(field) note(#field, uint64_t(before.field), uint64_t(after.field))
    LUMIVA_COUNT(liveDevices);
    LUMIVA_COUNT(liveResources);
    LUMIVA_COUNT(textureMemory);
    LUMIVA_COUNT(textureRecords);
    LUMIVA_COUNT(imageCacheEntries);
    LUMIVA_COUNT(namedTextures);
    LUMIVA_COUNT(liveModels);
    LUMIVA_COUNT(modelRecords);
    LUMIVA_COUNT(meshRecords);
    LUMIVA_COUNT(materialRecords);
    LUMIVA_COUNT(animationRecords);
    LUMIVA_COUNT(liveEffectNodes);
    LUMIVA_COUNT(effectSets);
    LUMIVA_COUNT(lightningLive);
    LUMIVA_COUNT(lightningCached);
    LUMIVA_COUNT(debugMeshLists);
    LUMIVA_COUNT(ribbonTemplates);
    LUMIVA_COUNT(ribbonsActive);
    LUMIVA_COUNT(placeFlatObjects);
    LUMIVA_COUNT(targetRecords);
    LUMIVA_COUNT(lights);
    LUMIVA_COUNT(glowLights);
    LUMIVA_COUNT(callLog);
#undef LUMIVA_COUNT
    return differences;
}
