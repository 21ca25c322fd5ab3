// The map pictures the mini-map shows: the loaded map's own or another
// map's, named through the map list.
#include <cstdio>

#include "lumiva/basrel/KIniFile.h"
#include "place/ScenePlace.h"

namespace {

constexpr size_t kPictureListSize = 128;

bool LoadFolderWor(KIniFile& ini, const char* folder) {
    char path[MAX_PATH];
    if (std::snprintf(path, sizeof path, "%s.wor", folder) >= int(sizeof path)) return false;
    return ini.Load(path) != 0;
}

}  // namespace

bool KScenePlace::LoadMapPicture(int32_t mapId, int32_t mode, int32_t subId) {
    char name[kPictureListSize], folder[kPictureListSize];
    KIniFile wor;
    if (!LoadMapList(mapId, name, sizeof name, folder, sizeof folder, mode, subId) || !LoadFolderWor(wor, folder))
        return false;
    m_pictureIsCurrent = false;
    m_shownMapId = mapId;
    m_map.LoadMap(&wor, folder);
    return true;
}

bool KScenePlace::LoadCurrentMapPicture() {
    KIniFile wor;
    if (!LoadFolderWor(wor, m_folder)) return false;
    m_shownMapId = m_mapId;
    m_map.LoadMap(&wor, m_folder);
    m_pictureIsCurrent = true;
    return true;
}

bool KScenePlace::ShowMapPicture(int32_t mapId, bool isCurrent) {
    char name[kPictureListSize], folder[kPictureListSize];
    KIniFile wor;
    if (!LoadMapList(mapId, name, sizeof name, folder, sizeof folder, 0, 0) || !LoadFolderWor(wor, folder))
        return false;
    m_shownMapId = m_mapId;
    m_map.LoadMap(&wor, folder);
    m_map.BuildPicture();
    int32_t bounds[4] = {};
    if (m_map.GetView(bounds)) {
        m_focusOffsetX = (bounds[0] + bounds[2]) / 2;
        m_focusOffsetY = (bounds[1] + bounds[3]) / 2;
        m_map.SetCentre(m_focusOffsetX, m_focusOffsetY, true);
    }
    m_pictureIsCurrent = isCurrent;
    return true;
}
