#include "BeamIniWriter.h"

#include <cstdio>
#include <utility>

namespace beamini {
namespace {

std::string Number(int value) { return std::to_string(value); }

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string Section(const char* name, const Pairs& pairs, const Edits& edits) {
    std::string out = std::string("[") + name + "]\n";
    for (const auto& [key, value] : pairs) {
        if (edits.omit.count(key)) continue;
        const auto replaced = edits.replace.find(key);
        out += key + "=" + (replaced != edits.replace.end() ? replaced->second : value) + "\n";
    }
    return out;
}

}  // namespace

std::string WriteChannelMagic(const ChannelMagic& f) {
    const Pairs pairs = {{"Segment", Number(f.segment)},
                         {"RefreshTime", Number(f.refreshTime)},
                         {"Width", Number(f.width)},
                         {"Shake", Number(f.shake)},
                         {"TexturePath", f.texturePath}};
    return Section("ChannelMagic", pairs, f.edits);
}

std::string WriteLightning(const Lightning& f) {
    const Pairs pairs = {{"Version", Number(f.version)},
                         {"Width", Number(f.width)},
                         {"Height", Number(f.height)},
                         {"SegLength", Number(f.segLength)},
                         {"LiveTime", Number(f.liveTime)},
                         {"RandomA", Number(f.randomA)},
                         {"RandomB", Number(f.randomB)},
                         {"RandomC", Number(f.randomC)},
                         {"DistanceLimit", Number(f.distanceLimit)},
                         {"Radius", Number(f.radius)},
                         {"SegementNumber", Number(f.segementNumber)},
                         {"CircleWidth", Number(f.circleWidth)},
                         {"CircleOffset", Number(f.circleOffset)},
                         {"LineLiveTime", Number(f.lineLiveTime)},
                         {"CircleLiveTime", Number(f.circleLiveTime)},
                         {"X1", Number(f.x1)},
                         {"X2", Number(f.x2)},
                         {"Y1", Number(f.y1)},
                         {"Y2", Number(f.y2)},
                         {"Z1", Number(f.z1)},
                         {"Z2", Number(f.z2)},
                         {"OverLimitDistance", Number(f.overLimitDistance)},
                         {"Reduce", Number(f.reduce)},
                         {"TextureName", f.textureName}};
    return Section("Lightning", pairs, f.edits);
}

std::string WriteLightningSet(const LightningSet& f) {
    Pairs pairs = {{"LightningNum", Number(f.count.value_or(int(f.files.size())))}};
    for (size_t i = 0; i < f.files.size(); ++i) pairs.emplace_back("Lightning_" + std::to_string(i), f.files[i]);
    return Section("LightningSet", pairs, f.edits);
}

}  // namespace beamini
