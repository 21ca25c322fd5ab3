// Writer of a model's extras files: weapon-trail settings, effect lists
// (numbered bound-effect files a model picks from by its update argument)
// and bound-effect files (effects bound to the sockets of a model). Any key
// can be left out (`omit`) or written with a text of the caller's
// (`replace`), for files that lack a key or hold a malformed value.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "IniSectionText.h"

namespace bindini {

using Edits = initext::Edits;

// Alpha, red, green, blue as the file lists them.
struct Colour {
    int alpha = 255, red = 255, green = 255, blue = 255;
};

struct TrailSettings {
    std::string section = "TEST_TYPE";
    int liveTime = 300;
    int maxQueueElemNum = 64;
    Colour colour1;
    Colour colour2;
    float spreadFactor = 0.0f;
    std::string textureName = "fx\\trail.dds";
    Edits edits;
};

struct EffectList {
    // Written as EffectNum; the number of paths when not given.
    std::optional<int> count;
    std::vector<std::string> paths;  // Effect1, Effect2, ...; empty: "Path="
    Edits edits;
};

struct BindEffect {
    std::string path;  // folder, with its trailing backslash
    std::string name;  // file name within the folder
    std::string socket;
    int bindMode = 2;
    float scale = 1.0f;
    float angle = 0.0f;
    std::optional<std::string> nextSocket;
    Edits edits;
};

struct BindEffectFile {
    // Written as TotalEffectNum; the number of effects when not given.
    std::optional<int> total;
    std::optional<int> useBladeLight;
    std::vector<BindEffect> effects;  // Effect1, Effect2, ...
    Edits edits;                      // of [Total]
};

std::string WriteTrailSettings(const TrailSettings& file);
std::string WriteEffectList(const EffectList& file);
std::string WriteBindEffectFile(const BindEffectFile& file);

}  // namespace bindini
