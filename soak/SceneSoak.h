// The soak's whole-scene part: the demo's client scene (the place with its
// map and loader threads, models, effects, particles, lightning, a beam, a
// ribbon) with a second particle system, a lightning set and an effect
// instance, through device losses and out-of-memory creations.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct SceneSoakWorld {
    // Stand-ins, host library and module back to their start.
    std::function<void()> start;
    // Nothing of the device may outlive the shell.
    std::function<void(const char* part, int index)> expectNothingLeft;
    // Reports a failure (the soak's exit status follows them).
    std::function<void(const std::string& what)> fail;
};

// Loss cycles over the scene: lost frames, failing resets and out-of-memory
// at one of the next creations; the device must be back within a few
// frames each time, and the live resources must not grow.
void SceneLossCycles(const SceneSoakWorld& world, const std::string& data, int cycles, uint32_t seed);
// Out of video memory at each creation of the scene's set-up and first
// frames in turn (every `stride`-th one): the shell and scene go back clean.
void SceneCreationShortages(const SceneSoakWorld& world, const std::string& data, int stride);
