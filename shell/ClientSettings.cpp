#include "shell/ClientSettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "lumiva/basrel/KIniFile.h"
#include "shell/NeighbourServices.h"

int g_ShowDebugInfo = 0;
KCoolSettings g_CoolSettings;

namespace {

float g_SceneBrightness = 1.0f;

constexpr int kMaxFieldLength = 15;

// Copies one field up to `stop` (or the end when stop is 0). False when the
// field is longer than 15 characters or, for a comma field, the text ends
// before the comma.
bool ReadField(const char*& cursor, char stop, char (&field)[kMaxFieldLength + 1]) {
    int length = 0;
    while (*cursor != stop) {
        if (*cursor == '\0') return false;
        if (length == kMaxFieldLength) return false;
        field[length++] = *cursor++;
    }
    field[length] = '\0';
    if (stop) ++cursor;
    return true;
}

DWORD Channel(const char* field) { return static_cast<DWORD>(std::atoi(field)) & 255; }

}  // namespace

DWORD ParseColorString(const char* text) {
    if (!text) return 0;
    DWORD result = 0xFF000000;
    const char* cursor = text;
    char field[kMaxFieldLength + 1];
    if (!ReadField(cursor, ',', field)) return result;
    result += Channel(field) << 16;
    if (!ReadField(cursor, ',', field)) return result;
    result += Channel(field) << 8;
    if (!ReadField(cursor, '\0', field)) return result;
    return result + Channel(field);
}

void KSparkTable::Load() {
    KIniFile ini;
    if (!ini.Load("\\ui\\setting.ini")) return;
    int interval = kDefaultSparkInterval;
    ini.GetInteger("sparkIntrval", "Value", kDefaultSparkInterval, &interval);
    SetInterval(interval);
    for (int i = 0;; ++i) {
        char section[32];
        std::snprintf(section, sizeof section, "spark%d", i);
        if (!ini.IsSectionExist(section)) break;
        std::vector<DWORD> colours;
        for (int j = 0; j < kMaxSparkColours; ++j) {
            char key[32];
            char text[32];
            std::snprintf(key, sizeof key, "color%d", j);
            if (!ini.GetString(section, key, "", text, sizeof text)) break;
            colours.push_back(ParseColorString(text));
        }
        if (colours.empty()) continue;
        KSparkRecord& record = m_records[i];
        record.count = static_cast<uint8_t>(colours.size());
        record.colours = std::move(colours);
        record.timer = std::make_unique<KTimer>();
    }
}

DWORD KSparkTable::GetColor(int sparkId) {
    auto found = m_records.find(sparkId);
    if (found == m_records.end()) return 0xFFFFFFFF;
    KSparkRecord& record = found->second;
    const int64_t elapsed = static_cast<int64_t>(record.timer->GetElapse());
    int32_t step = static_cast<int32_t>(elapsed / m_interval);
    if (step < 0 || step >= record.count) {
        step = 0;
        record.timer->Start();
    }
    return record.colours[static_cast<size_t>(step)];
}

void KSparkTable::Release() { m_records.clear(); }

const KSparkRecord* KSparkTable::Find(int sparkId) const {
    auto found = m_records.find(sparkId);
    return found == m_records.end() ? nullptr : &found->second;
}

float ReadUiScale() {
    KIniFile ini;
    if (!ini.Load("\\Config.ini")) return 1.0f;
    int pt = 1;
    ini.GetInteger("Client", "PT", 1, &pt);
    if (pt == 1) return 1.0f;
    if (pt == 2) return 0.5f;
    return 0.25f;
}

void LoadDebugAndBrightness() {
    KIniFile ini;
    if (ini.Load("\\config.ini")) ini.GetInteger("Client", "ShowDebugInfo", 0, &g_ShowDebugInfo);
    g_SceneBrightness = 1.0f;
    if (ini.Load("\\settings\\game.ini")) {
        char text[100];
        ini.GetString("scale", "scenebright", "1.0", text, sizeof text);
        const float value = static_cast<float>(std::atof(text));
        SetSceneBrightness(value > 0.0f && value <= 1.0f ? value : 1.0f);
    }
}

float GetSceneBrightness() { return g_SceneBrightness; }

void SetSceneBrightness(float value) { g_SceneBrightness = std::isfinite(value) ? value : 1.0f; }

void ReadCoolSettings() {
    KIniFile ini;
    ini.Load("settings\\gamesetting.ini");
    ini.GetInteger("Cool", "Interval", 0, &g_CoolSettings.interval);
    ini.GetInteger("Cool", "LimitNum", 0, &g_CoolSettings.limitNum);
    ini.GetInteger("Cool", "Width", 0, &g_CoolSettings.width);
    ini.GetInteger("Cool", "Height", 0, &g_CoolSettings.height);
    char texture[260];
    ini.GetString("Cool", "Texture", "", texture, sizeof texture);
    // A reload must not leak the record the previous read took.
    ReleaseCoolTexture();
    g_CoolSettings.texture = neighbours::TextureManagerLoadTexture(texture, nullptr, 0, 1, 0);
}

void ReleaseCoolTexture() {
    if (g_CoolSettings.texture) neighbours::TextureManagerReleaseTexture(g_CoolSettings.texture);
    g_CoolSettings.texture = nullptr;
}

void ResetClientSettings() {
    g_ShowDebugInfo = 0;
    g_SceneBrightness = 1.0f;
    g_CoolSettings = KCoolSettings{};
}
