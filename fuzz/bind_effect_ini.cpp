// A model's extras files: the input holds a weapon-trail file, an effect
// list and a bound-effect file, split at the first two NULs. The model
// (a writer's mesh with two dummies) loads all three, runs its weapon
// trail for a few frames and draws its bound effects, from the file alone
// and through the list, under a stepping clock on the shell's device.
#include <cstring>
#include <memory>
#include <string>

#include "A3eWriter.h"
#include "BindEffectIniWriter.h"
#include "PakPreloads.h"
#include "effects/KBindEffectSet.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "shell/KDrawShell.h"
#include "support/FuzzShell.h"
#include "support/FuzzTarget.h"
#include "support/ModelFiles.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

constexpr const char* kTrailName = "fz\\trail.ini";
constexpr const char* kListName = "fz\\list.ini";
constexpr const char* kBindName = "fz\\bind.ini";
constexpr const char* kEffectName = "fz\\quad.a3e";
constexpr int kTrailFrames = 8;

void AlsoServe(const char* name, const Bytes& bytes) {
    std::string key;
    if (!basrel::PreloadKey(name, key)) std::abort();
    basrel::StorePreload(key, 1, std::make_shared<const std::vector<uint8_t>>(bytes));
}

Bytes QuadEffect() {
    a3e::File file;
    a3e::Element quad;
    quad.type = 2;
    quad.dimension = {4, 4, 0};
    file.elements = {quad};
    file.tracks.resize(1);
    file.duration = 100;
    return a3e::WriteA3e(file);
}

Bytes Input(const std::string& trail, const std::string& list, const std::string& bind) {
    Bytes bytes(trail.begin(), trail.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), list.begin(), list.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), bind.begin(), bind.end());
    return bytes;
}

// The next part of the input up to a NUL (or its end).
Bytes NextPart(const uint8_t** data, const uint8_t* end) {
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(*data, 0, size_t(end - *data)));
    const uint8_t* stop = split ? split : end;
    Bytes part(*data, stop);
    *data = split ? split + 1 : end;
    return part;
}

bindini::BindEffect Effect(const char* socket, int mode, const char* next = nullptr) {
    bindini::BindEffect e;
    e.path = "fz\\";
    e.name = "quad.a3e";
    e.socket = socket;
    e.bindMode = mode;
    if (next) e.nextSocket = next;
    return e;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(bind_effect_ini) {
    bindini::TrailSettings trail;
    trail.spreadFactor = 0.5f;
    trail.maxQueueElemNum = 8;
    bindini::EffectList list;
    list.paths = {kBindName, "", kBindName};
    bindini::BindEffectFile bind;
    bind.useBladeLight = 1;
    bind.effects = {Effect("dummy0", 1), Effect("dummy1", 2), Effect("dummy0", 3, "dummy1"),
                    Effect("dummy1", 4, "dummy0")};
    // As SaveBindEffects writes it: renumbered, the scale to two places.
    bindini::BindEffectFile saved;
    saved.effects = {Effect("dummy1", 3, "dummy0")};
    saved.effects[0].edits.replace = {{"Scale", "1.50"}, {"Angle", "30.000000"}};
    bindini::TrailSettings partial = trail;
    partial.edits.omit = {"SpreadFactor"};
    bindini::BindEffectFile huge;
    huge.total = 1024;
    huge.effects = {Effect(std::string(40, 's').c_str(), 2)};
    bindini::EffectList tooMany;
    tooMany.count = 33;
    return {{"all-modes", Input(bindini::WriteTrailSettings(trail), bindini::WriteEffectList(list),
                                bindini::WriteBindEffectFile(bind))},
            {"saved-form", Input(bindini::WriteTrailSettings(partial), bindini::WriteEffectList(list),
                                 bindini::WriteBindEffectFile(saved))},
            {"refused-counts", Input(bindini::WriteTrailSettings(trail), bindini::WriteEffectList(tooMany),
                                     bindini::WriteBindEffectFile(huge))},
            {"empty", Input("", "", "")}};
}

LUMIVA_FUZZ_TARGET(bind_effect_ini, data, size) {
    const uint8_t* at = data;
    const uint8_t* end = data + size;
    const Bytes trail = NextPart(&at, end);
    const Bytes list = NextPart(&at, end);
    const Bytes bind = NextPart(&at, end);

    static KMesh& mesh = SmallSkinnedMesh();
    ShellScope scope;
    lumiva::win32::InstallManualClock(100000);
    ServeFile(kTrailName, trail.data(), trail.size());
    AlsoServe(kListName, list);
    AlsoServe(kBindName, bind);
    static const Bytes effect = QuadEffect();
    AlsoServe(kEffectName, effect);

    auto model = std::make_unique<KModel>();
    model->SetDevice(scope.Shell()->GetDevice());
    model->mesh = &mesh;
    model->LoadTrailSettings(kTrailName, "TEST_TYPE");
    // The sample mesh names its dummies otherwise: use them as the blade's.
    model->trailDummies[0] = 0;
    model->trailDummies[1] = 1;
    model->SetTrailEnabled(1);
    for (int frame = 0; frame < kTrailFrames; ++frame) {
        model->UpdateTrail();
        lumiva::win32::AdvanceClock(40);
    }
    model->LoadBindEffectFile(kBindName);
    model->UpdateBindEffects();
    model->LoadEffectList(kListName, 1);
    model->UpdateBindEffects();
    model->RemoveBindEffect("dummy0");
    model->SetBindEffectSocket("dummy1", "dummy0", 4);
    lumiva::win32::AdvanceClock(500);
    model->UpdateBindEffects();
    model->mesh = nullptr;
    model.reset();
}
