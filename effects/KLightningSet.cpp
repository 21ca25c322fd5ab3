#include "effects/KLightningSet.h"

#include <cstdio>

#include "lumiva/basrel/KIniFile.h"
#include "effects/KLightning.h"
#include "effects/KLightningCache.h"

namespace {

constexpr const char* kLightningSetSection = "LightningSet";
constexpr int kFileNameSize = 256;

}  // namespace

KLightningSet::~KLightningSet() {
    for (KLightning* lightning : m_definitions) LightningCache().ReleaseLightning(lightning);
}

void KLightningSet::DropAll() {
    for (KLightning* lightning : m_definitions) LightningCache().DropLightningUser(lightning);
    m_definitions.clear();
}

bool KLightningSet::Load(const char* path) {
    KIniFile ini;
    if (!path || !ini.Load(path)) return false;
    if (!ini.GetInteger(kLightningSetSection, "LightningNum", 0, &count)) return false;
    for (int i = 0; i < count; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "%s_%d", "Lightning", i);
        char fileName[kFileNameSize] = {};
        KLightning* lightning = nullptr;
        if (ini.GetString(kLightningSetSection, key, "", fileName, sizeof fileName))
            lightning = LightningCache().GetOrLoadLightning(fileName);
        if (!lightning) {
            DropAll();
            return false;
        }
        m_definitions.push_back(lightning);
    }
    return true;
}

void KLightningSet::SetStart(float x, float y, float z) {
    start[0] = x, start[1] = y, start[2] = z;
    for (KLightning* lightning : m_definitions) lightning->SetStart(x, y, z);
}

void KLightningSet::SetEnd(float x, float y, float z) {
    end[0] = x, end[1] = y, end[2] = z;
    for (KLightning* lightning : m_definitions) lightning->SetEnd(x, y, z);
}

void KLightningSet::Reset() {
    for (KLightning* lightning : m_definitions) lightning->startTime = 0;
}

void KLightningSet::Draw() {
    for (KLightning* lightning : m_definitions) lightning->Render();
}
