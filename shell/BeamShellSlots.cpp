// The shell's factories of lightning definitions, lightning sets and
// channel beams.
#include "effects/KChannelMagic.h"
#include "effects/KLightning.h"
#include "effects/KLightningCache.h"
#include "effects/KLightningSet.h"
#include "lumiva/basrel/DebugLog.h"
#include "shell/KDrawShell.h"

/* 71 */ KLightning* KDrawShell::LoadLightning(const char* fileName) {
    return LightningCache().LoadLightning(fileName);
}

/* 72 */ void KDrawShell::UnloadLightning(const char* fileName) { LightningCache().UnloadLightning(fileName); }

/* 73 */ KLightningSet* KDrawShell::CreateLightningSet(const char* fileName) {
    auto* set = new KLightningSet();
    if (set->Load(fileName)) return set;
    delete set;
    return nullptr;
}

/* 74 */ void KDrawShell::ReleaseLightningSet(KLightningSet* set) {
    if (!set) return;
    if (!LiveObjects<KLightningSet>().Holds(set)) {
        g_DebugLog("[Scene]ReleaseLightningSet: not a lightning set of this module");
        return;
    }
    delete set;
}

/* 125 */ KChannelMagic* KDrawShell::CreateChannelMagic() { return new KChannelMagic(); }

/* 126 */ void KDrawShell::ReleaseChannelMagic(KChannelMagic* magic) {
    if (!magic) return;
    if (!LiveObjects<KChannelMagic>().Holds(magic)) {
        g_DebugLog("[Scene]ReleaseChannelMagic: not a beam of this module");
        return;
    }
    delete magic;
}
