// Bound-effect ini files: a set read from one and written back to it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "effects/KBindEffectSet.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KIniFile.h"

namespace {

constexpr const char* kTotal = "Total";
constexpr const char* kAbsent = "NO";
// Values are read whole up to this length, so that AddEffect refuses an
// overlong name instead of meeting one cut short.
constexpr size_t kValueSize = 1024;

struct EffectSection {
    char path[kValueSize];
    char name[kValueSize];
    char socket[kValueSize];
    char mode[kValueSize];
    char scale[kValueSize];
    char angle[kValueSize];
};

void ReadKey(const KIniFile& ini, const char* section, const char* key, char* value) {
    ini.GetString(section, key, kAbsent, value, int(kValueSize));
}

bool IsBetweenSockets(int mode) { return mode == 3 || mode == 4; }

bool WriteKey(const std::string& file, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value ? value : "", file.c_str()) != 0;
}

}  // namespace

int KBindEffectSet::LoadBindEffects(const char* path) {
    if (!path) return 0;
    std::snprintf(iniPath, sizeof iniPath, "%s", path);
    KIniFile ini;
    if (!ini.Load(path)) return 0;
    int total = -1;
    ini.GetInteger(kTotal, "TotalEffectNum", -1, &total);
    ini.GetInteger(kTotal, "UseBladeLight", 0, &useBladeLight);
    if (total < 0 || total > kMaxBindEffects) {
        g_DebugLog("[BindEffect]%s refused: TotalEffectNum %d", path, total);
        return 0;
    }
    for (int i = 1; i <= total; ++i) {
        char section[32];
        std::snprintf(section, sizeof section, "Effect%d", i);
        EffectSection keys;
        ReadKey(ini, section, "Name", keys.name);
        if (std::strcmp(keys.name, kAbsent) == 0) continue;
        ReadKey(ini, section, "Path", keys.path);
        ReadKey(ini, section, "SocketName", keys.socket);
        ReadKey(ini, section, "BindMode", keys.mode);
        ReadKey(ini, section, "Scale", keys.scale);
        ReadKey(ini, section, "Angle", keys.angle);
        const std::string file = std::string(keys.path) + keys.name;
        const int mode = std::atoi(keys.mode);
        if (FAILED(AddEffect(file.c_str(), keys.socket, mode, float(std::atof(keys.scale)),
                             float(std::atof(keys.angle))))) {
            g_DebugLog("[BindEffect]%s: %s skipped (socket name or path too long)", path, section);
            continue;
        }
        if (!IsBetweenSockets(mode)) continue;
        char next[kValueSize];
        ReadKey(ini, section, "NextSocketName", next);
        SetNextSocket(keys.socket, next, mode);
    }
    return 1;
}

int KBindEffectSet::SaveBindEffects() {
    if (effectCount < 0 || !iniPath[0]) return 0;
    std::string file;
    if (!basrel::ResolveForWriting(iniPath, file)) {
        g_DebugLog("[BindEffect]%s cannot be written", iniPath);
        return 0;
    }
    DeleteFileA(file.c_str());
    if (effectCount == 0) return 1;
    char text[64];
    std::snprintf(text, sizeof text, "%d", effectCount);
    bool written = WriteKey(file, kTotal, "TotalEffectNum", text);
    for (size_t i = 0; i < effects.size(); ++i) {
        const KBindEffect& effect = *effects[i];
        char section[32];
        std::snprintf(section, sizeof section, "Effect%zu", i + 1);
        written = WriteKey(file, section, "Path", effect.GetFolder()) && written;
        written = WriteKey(file, section, "Name", effect.GetName()) && written;
        written = WriteKey(file, section, "SocketName", effect.GetSocketName()) && written;
        std::snprintf(text, sizeof text, "%d", effect.GetBindMode());
        written = WriteKey(file, section, "BindMode", text) && written;
        std::snprintf(text, sizeof text, "%.2f", double(effect.GetScale()));
        written = WriteKey(file, section, "Scale", text) && written;
        std::snprintf(text, sizeof text, "%f", double(effect.GetAngle()));
        written = WriteKey(file, section, "Angle", text) && written;
        if (effect.GetNextSocketName())
            written = WriteKey(file, section, "NextSocketName", effect.GetNextSocketName()) && written;
    }
    return written ? 1 : 0;
}
