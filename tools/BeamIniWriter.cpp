#include "BeamIniWriter.h"

#include <cstdio>
#include <utility>

namespace beamini {
namespace {

using initext::Number;
using initext::Pairs;
using initext::Section;

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
