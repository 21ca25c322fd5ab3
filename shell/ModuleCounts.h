// The sizes of every cache, manager and object list the module keeps, read
// together so a long-running check can tell whether any of them grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ModuleCounts {
    // Device side.
    size_t liveDevices = 0;
    size_t liveResources = 0;
    uint64_t textureMemory = 0;
    // Textures and pictures.
    size_t textureRecords = 0;
    size_t imageCacheEntries = 0;
    size_t namedTextures = 0;
    // Models.
    size_t liveModels = 0;
    size_t modelRecords = 0;
    size_t meshRecords = 0;
    size_t materialRecords = 0;
    size_t animationRecords = 0;
    // Effects and scene objects.
    size_t liveEffectNodes = 0;
    size_t effectSets = 0;
    size_t lightningLive = 0;
    size_t lightningCached = 0;
    size_t debugMeshLists = 0;
    size_t ribbonTemplates = 0;
    size_t ribbonsActive = 0;
    // The place's scene objects of the regions it holds; they follow the
    // focus, and none are left once the map is unloaded.
    size_t placeFlatObjects = 0;
    // The shell's own lists.
    size_t targetRecords = 0;
    size_t lights = 0;
    size_t glowLights = 0;
    size_t callLog = 0;

    bool operator==(const ModuleCounts&) const = default;
};

ModuleCounts GatherModuleCounts();

// "name: before -> after" for each count that differs.
std::vector<std::string> CountDifferences(const ModuleCounts& before, const ModuleCounts& after);
