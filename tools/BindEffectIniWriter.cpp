#include "BindEffectIniWriter.h"

#include <cstdio>
#include <utility>

namespace bindini {
namespace {

using initext::Number;
using initext::Pairs;
using initext::Section;

void AddColour(Pairs& pairs, const std::string& prefix, const Colour& c) {
    pairs.emplace_back(prefix + "Alpha", Number(c.alpha));
    pairs.emplace_back(prefix + "Red", Number(c.red));
    pairs.emplace_back(prefix + "Green", Number(c.green));
    pairs.emplace_back(prefix + "Blue", Number(c.blue));
}

}  // namespace

std::string WriteTrailSettings(const TrailSettings& f) {
    Pairs pairs = {{"LiveTime", Number(f.liveTime)}, {"MaxQueueElemNum", Number(f.maxQueueElemNum)}};
    AddColour(pairs, "DiffuseColor1", f.colour1);
    AddColour(pairs, "DiffuseColor2", f.colour2);
    pairs.emplace_back("SpreadFactor", Number(f.spreadFactor));
    pairs.emplace_back("TextureName", f.textureName);
    return Section(f.section, pairs, f.edits);
}

std::string WriteEffectList(const EffectList& f) {
    std::string out = Section("Effect", {{"EffectNum", Number(f.count.value_or(int(f.paths.size())))}}, f.edits);
    for (size_t i = 0; i < f.paths.size(); ++i)
        out += Section("Effect" + std::to_string(i + 1), {{"Path", f.paths[i]}}, {});
    return out;
}

std::string WriteBindEffectFile(const BindEffectFile& f) {
    Pairs total = {{"TotalEffectNum", Number(f.total.value_or(int(f.effects.size())))}};
    if (f.useBladeLight) total.emplace_back("UseBladeLight", Number(*f.useBladeLight));
    std::string out = Section("Total", total, f.edits);
    for (size_t i = 0; i < f.effects.size(); ++i) {
        const BindEffect& e = f.effects[i];
        Pairs pairs = {{"Path", e.path},           {"Name", e.name},           {"SocketName", e.socket},
                       {"BindMode", Number(e.bindMode)}, {"Scale", Number(e.scale)}, {"Angle", Number(e.angle)}};
        if (e.nextSocket) pairs.emplace_back("NextSocketName", *e.nextSocket);
        out += Section("Effect" + std::to_string(i + 1), pairs, e.edits);
    }
    return out;
}

}  // namespace bindini
