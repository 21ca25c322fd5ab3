// Loading a map: the map list resolves an id to a folder under "\Maps",
// the folder's ".wor" settings give the lights and switches, and the place
// gets its region pool, ground and scene pictures ready for the regions to
// stream in.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KIniFile.h"
#include "place/PakPreload.h"
#include "place/RegionPack.h"
#include "place/RegionPrescan.h"
#include "place/ScenePlace.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr const char* kMapsRoot = "\\Maps";
constexpr size_t kMapListValueSize = 128;

const char* MapListSection(int32_t mode) {
    switch (mode) {
        case 0: return "List";
        case 1: return "MissionMapList";
        case 2: return "PrivateMapList";
        default: return nullptr;
    }
}

bool LoadWor(KIniFile& ini, const char* folder) {
    char path[MAX_PATH];
    if (std::snprintf(path, sizeof path, "%s.wor", folder) >= int(sizeof path)) return false;
    return ini.Load(path) != 0;
}

// A [LIGHT] value as (A, R, G, B); the default when the key is missing.
struct LightValue {
    int a, r, g, b;
};

LightValue ReadLight(const KIniFile& wor, const char* key, LightValue fallback) {
    RECT rect{fallback.a, fallback.r, fallback.g, fallback.b};
    wor.GetRect("LIGHT", key, &rect);
    return {int(rect.left), int(rect.top), int(rect.right), int(rect.bottom)};
}

constexpr LightValue kDefaultSceneLight{255, 10, 15, 35};
constexpr LightValue kDefaultPlayerLight{255, 255, 255, 255};
constexpr LightValue kDefaultInDoor{255, 64, 64, 64};
struct DayLightKey {
    const char* key;
    LightValue fallback;
};
constexpr DayLightKey kDayLightKeys[KDayLightTable::kDayColours] = {
    {"MidLight", {255, 10, 15, 35}}, {"Dawn", {255, 22, 28, 55}}, {"Morning", {255, 55, 49, 57}},
    {"Forenoon", {255, 68, 64, 60}}, {"Noon", {255, 93, 88, 85}}, {"Dusk", {255, 100, 74, 35}},
    {"Evening", {255, 35, 47, 60}},
};

constexpr float kSmallestUiScale = 0.125f;
constexpr float kLargestUiScale = 16.0f;
constexpr int kGroundPictureSide = 512;

}  // namespace

bool KScenePlace::LoadMapList(int32_t mapId, char* name, size_t nameSize, char* folder, size_t folderSize,
                              int32_t mode, int32_t subId) {
    if (folderSize) folder[0] = 0;
    const char* section = MapListSection(mode);
    if (!section) return false;
    KIniFile list;
    if (!list.Load("\\settings\\MapList.ini")) return false;
    char key[32];
    std::snprintf(key, sizeof key, "%d", mode == 0 ? mapId : subId);
    char value[kMapListValueSize + 1] = {};
    if (!list.GetString(section, key, "", value, sizeof value) || !value[0]) return false;

    char nameKey[48];
    std::snprintf(nameKey, sizeof nameKey, "%s_name", key);
    char mapName[kMapListValueSize + 1] = {};
    if (!list.GetString(section, nameKey, "", mapName, sizeof mapName)) {
        const char* slash = std::strrchr(value, '\\');
        std::snprintf(mapName, sizeof mapName, "%s", slash ? slash + 1 : value);
    }
    if (nameSize) std::snprintf(name, nameSize, "%s", mapName);

    // The folder is the settings path less ".wor"; one that does not fit
    // is refused rather than cut to a different folder.
    char path[MAX_PATH];
    const int length = std::snprintf(path, sizeof path, "%s\\%s", kMapsRoot, value);
    if (length < 0 || size_t(length) >= folderSize || size_t(length) >= sizeof path) return false;
    KIniFile wor;
    if (!LoadWor(wor, path)) return false;
    std::memcpy(folder, path, size_t(length) + 1);
    return true;
}

bool KScenePlace::LoadMap(int32_t mapId, int32_t mode, int32_t subId) {
    if (!m_inited) return false;
    UnloadMap();
    if (!LoadMapList(mapId, m_name, sizeof m_name, m_folder, sizeof m_folder, mode, subId) ||
        !LoadCurrentMapPicture()) {
        ClearLoadedMap();
        return false;
    }
    m_mapId = mapId;
    m_shownMapId = mapId;
    if (!LoadMapSettings()) return false;
    char packPath[MAX_PATH];
    std::snprintf(packPath, sizeof packPath, "%s_c.dat", m_folder);
    InstallRegionPack(LoadRegionPack(packPath));
    FinishMapLoad();
    PrescanRegions(m_folder);
    StartPakPreloadThread();
    return true;
}

bool KScenePlace::LoadMapFromFolder(const char* folder) {
    if (!m_inited) return false;
    UnloadMap();
    // A longer folder would be cut to one that names another map.
    if (!folder || !folder[0] || std::strlen(folder) >= sizeof m_folder) return false;
    std::memcpy(m_folder, folder, std::strlen(folder) + 1);
    if (!LoadCurrentMapPicture()) {
        ClearLoadedMap();
        return false;
    }
    if (!LoadMapSettings()) return false;
    FinishMapLoad();
    return true;
}

// The ".wor" keys, the pool reset and the pictures. A failure leaves no map.
bool KScenePlace::LoadMapSettings() {
    KIniFile wor;
    LoadWor(wor, m_folder);
    ReadWorSettings(wor);
    ResetRegionPool();
    if (!CreateGroundPictures()) {
        ClearLoadedMap();
        return false;
    }
    CreateScenePicture();
    return true;
}

void KScenePlace::FinishMapLoad() {
    LoadScrollSettings();
    MarkMapLoaded();
}

void KScenePlace::ReadWorSettings(const KIniFile& wor) {
    int inDoor = 0, isLight = 0;
    wor.GetInteger("MAIN", "IsInDoor", 0, &inDoor);
    m_inDoor = inDoor != 0;
    m_tree.SetIndoor(m_inDoor);
    wor.GetInteger("MAIN", "IsLight", 0, &isLight);
    if (KShellServices* shell = ShellServices()) shell->SetOption(0, isLight > 0 ? 1 : 0);
    EnableLightGrid(isLight > 0);
    ReadLightSettings(wor);
    wor.GetInteger("MAIN", "ModelLight", 0, &m_modelLight);
    wor.GetInteger("MAIN", "Perspective", 1, &m_perspective);
}

void KScenePlace::ReadLightSettings(const KIniFile& wor) {
    if (m_inDoor) {
        const LightValue inDoor = ReadLight(wor, "InDoor", kDefaultInDoor);
        SetDayLightColor(-1, uint8_t(inDoor.r), uint8_t(inDoor.g), uint8_t(inDoor.b));
        return;
    }
    const LightValue scene = ReadLight(wor, "SceneLight", kDefaultSceneLight);
    SetDayLightColor(KDayLightTable::kSceneEntry, uint8_t(scene.r), uint8_t(scene.g), uint8_t(scene.b));
    const LightValue player = ReadLight(wor, "PlayerLight", kDefaultPlayerLight);
    m_playerLight = uint32_t(player.a) << 24 | uint32_t(player.r & 0xFF) << 16 | uint32_t(player.g & 0xFF) << 8 |
                    uint32_t(player.b & 0xFF);
    m_tree.SetPlayerLightColour(m_playerLight);
    for (int i = 0; i < KDayLightTable::kDayColours; ++i) {
        const LightValue day = ReadLight(wor, kDayLightKeys[i].key, kDayLightKeys[i].fallback);
        SetDayLightColor(i, uint8_t(day.r), uint8_t(day.g), uint8_t(day.b));
    }
}

// Pool records take indices no real region has, so the first focus
// requests every region of its window.
void KScenePlace::ResetRegionPool() {
    m_centreX = -3;
    m_centreY = -3;
    m_moveX = m_moveY = 0;
    m_focusStale = true;
    PlaceLock objects(&m_objectsLock);
    PlaceLock table(&m_tableLock);
    ++m_mapStamp;
    m_requestedSinceLoad = false;
    for (int i = 0; i < kRegionPoolSize; ++i) {
        m_pool[i].SetRegionIndices(-(i % 7), -(i / 7));
        m_pool[i].state = kRegionRequested;
    }
    // None of them is loaded: a focus near the origin keeps some of these
    // records, which must then be read, not taken as loaded.
    m_requestIndex = 0;
}

int32_t KScenePlace::PictureImageType() const { return int32_t(g_PlaceMapTarget.imageType); }

bool KScenePlace::CreateGroundPictures() {
    KShellServices* shell = ShellServices();
    if (!shell || m_ground[0].picture.fileName[0]) return true;
    const int32_t type = PictureImageType();
    for (;;) {
        shell->SetTextureRelease(-1);
        const float scale = shell->GetUiScale();
        // Checked before the conversion: the shell's scale is the host's.
        const bool sane = scale > 0.0f && scale <= kLargestUiScale;
        const int side = sane ? int(float(kGroundPictureSide) * scale) : 0;
        int made = 0;
        for (; sane && made < kGroundPictureCount; ++made) {
            KPlaceGroundPicture& ground = m_ground[made];
            std::snprintf(ground.picture.fileName, sizeof ground.picture.fileName, "_*PlaceGround*_#~%d~#_", made);
            ground.picture.blendMode = 1;
            ground.picture.imageType = int16_t(type);
            ground.picture.fileId = shell->CreateImage(ground.picture.fileName, side, side, type, 0);
            if (!ground.picture.fileId) break;
        }
        if (made == kGroundPictureCount) return true;
        for (int i = 0; i < kGroundPictureCount; ++i) {
            char name[sizeof m_ground[i].picture.fileName];
            std::snprintf(name, sizeof name, "_*PlaceGround*_#~%d~#_", i);
            shell->RemoveImage(name);
            m_ground[i].picture.fileName[0] = 0;
            m_ground[i].picture.fileId = 0;
        }
        const float halved = scale / 2;
        shell->SetUiScale(halved);
        // Also ends for a scale that is not a number or infinite.
        if (!(halved > kSmallestUiScale) || !std::isfinite(halved)) {
            g_DebugLog("place: no ground pictures even at UI scale %g\n", double(halved));
            return false;
        }
    }
}

void KScenePlace::CreateScenePicture() {
    KPrimPicture& scene = m_scenePicture;
    scene.ax = 53872;
    scene.ay = 97635;
    scene.az = 1;
    scene.bx = 53872 + 800;
    scene.by = 97635 + 1200;
    scene.bz = 1;
    scene.blendMode = 1;
    scene.imageType = int16_t(PictureImageType());
    std::snprintf(scene.fileName, sizeof scene.fileName, "%s", "_*PlaceScene*_");
    if (ShellServices()) m_sceneImage = ShellServices()->CreateImage(scene.fileName, 1024, 1024, scene.imageType, 0);
}
