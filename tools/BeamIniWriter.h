// Writer of the ini files of channel beams ([ChannelMagic]), lightning
// definitions ([Lightning]) and lightning sets ([LightningSet]). Any key can
// be left out (`omit`) or written with a text of the caller's (`replace`),
// for files that lack a key or hold a malformed value.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "IniSectionText.h"

namespace beamini {

// What every file can have changed before it is written.
using Edits = initext::Edits;

struct ChannelMagic {
    int segment = 10;
    int refreshTime = 100;
    float width = 50.0f;
    float shake = 50.0f;
    std::string texturePath;
    Edits edits;
};

struct Lightning {
    int version = 0;
    float width = 10.0f;
    float height = 20.0f;
    float segLength = 20.0f;
    int liveTime = 100;
    int randomA = 4, randomB = 4, randomC = 4;
    float distanceLimit = 0.0f;
    float radius = 30.0f;
    int segementNumber = 8;
    float circleWidth = 10.0f;
    int circleOffset = 4;
    int lineLiveTime = 1000;
    int circleLiveTime = 500;
    int x1 = 10, x2 = 10, y1 = 10, y2 = 10, z1 = 10, z2 = 10;
    int overLimitDistance = 30;
    float reduce = 0.5f;
    std::string textureName = "bolt.bmp";
    Edits edits;
};

struct LightningSet {
    // Written as LightningNum; the number of files when not given.
    std::optional<int> count;
    std::vector<std::string> files;  // Lightning_0, Lightning_1, ...
    Edits edits;
};

std::string WriteChannelMagic(const ChannelMagic& file);
std::string WriteLightning(const Lightning& file);
std::string WriteLightningSet(const LightningSet& file);

}  // namespace beamini
