// The map's scroll settings ("\Maps\ScrollSetting\<id>_Scroll.ini"): one
// record per section, sorted by type into three lists that drive the
// background and the two scroll layers as the focus moves.
#include <cstdio>

#include "lumiva/basrel/KIniFile.h"
#include "place/ScenePlace.h"
#include "place/ScrollSettingUpdate.h"
#include "shell/D3DShell.h"

namespace {

constexpr size_t kImageNameSize = 128;

bool LoadScrollIni(KIniFile& ini, int32_t mapId) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "\\Maps\\ScrollSetting\\%d_Scroll.ini", mapId);
    return ini.Load(path) != 0;
}

bool IsLargeScreen() { return g_ScreenWidth == 1024 && g_ScreenHeight == 768; }

// One key, then at 1024 x 768 its "1024" form with the first value (or
// largeDefault) as default.
class ScrollSectionReader {
public:
    ScrollSectionReader(const KIniFile& ini, const char* section) : m_ini(ini), m_section(section) {}

    int32_t Read(const char* key, int fallback) const { return Read(key, fallback, nullptr); }
    int32_t Read(const char* key, int fallback, const int* largeDefault) const {
        int value = fallback;
        m_ini.GetInteger(m_section, key, fallback, &value);
        if (IsLargeScreen()) {
            char largeKey[64];
            std::snprintf(largeKey, sizeof largeKey, "%s1024", key);
            const int largeFallback = largeDefault ? *largeDefault : value;
            m_ini.GetInteger(m_section, largeKey, largeFallback, &value);
        }
        return value;
    }

private:
    const KIniFile& m_ini;
    const char* m_section;
};

KScrollSetting ReadScrollSetting(const KIniFile& ini, const char* section, int32_t number, int type) {
    const ScrollSectionReader read(ini, section);
    KScrollSetting s{};
    s.section = number;
    s.areaLeft = read.Read("AreaLeft", 0);
    s.areaTop = read.Read("AreaTop", 0);
    s.areaRight = read.Read("AreaRight", 0);
    s.areaBottom = read.Read("AreaBottom", 0);
    static constexpr int kLargeRight = 1024;
    static constexpr int kLargeBottom = 768;
    s.paintLeft = read.Read("PaintRectLeft", 0);
    s.paintTop = read.Read("PaintRectTop", 0);
    s.paintRight = read.Read("PaintRectRight", 800, &kLargeRight);
    s.paintBottom = read.Read("PaintRectBottom", 600, &kLargeBottom);
    if (type == 1) {
        static constexpr const char* kCentreKeys[4] = {"SceneCenterPointX", "SceneCenterPointY", "PicCenterPointX",
                                                        "PicCenterPointY"};
        for (int i = 0; i < 4; ++i) s.centre[i] = read.Read(kCentreKeys[i], 0);
        s.speedOrRating = read.Read("Rating", 2);
    } else {
        static constexpr const char* kViewKeys[4] = {"ViewAreaLeft", "ViewAreaTop", "ViewAreaRight",
                                                     "ViewAreaBottom"};
        for (int i = 0; i < 4; ++i) s.centre[i] = read.Read(kViewKeys[i], 0);
        s.speedOrRating = read.Read("Speed", 2);
        s.count = read.Read("Count", 1);
        s.angle = read.Read("Angle", 0);
        // The view area is in region units like the area.
        s.centre[0] = int32_t(uint32_t(s.centre[0]) * uint32_t(kRegionWidth));
        s.centre[1] = int32_t(uint32_t(s.centre[1]) * uint32_t(kRegionHeight));
        s.centre[2] = int32_t(uint32_t(s.centre[2]) * uint32_t(kRegionWidth));
        s.centre[3] = int32_t(uint32_t(s.centre[3]) * uint32_t(kRegionHeight));
    }
    s.areaLeft = int32_t(uint32_t(s.areaLeft) * uint32_t(kRegionWidth));
    s.areaTop = int32_t(uint32_t(s.areaTop) * uint32_t(kRegionHeight));
    s.areaRight = int32_t(uint32_t(s.areaRight) * uint32_t(kRegionWidth));
    s.areaBottom = int32_t(uint32_t(s.areaBottom) * uint32_t(kRegionHeight));
    return s;
}

}  // namespace

void KScenePlace::LoadScrollSettings() {
    for (auto& list : m_scrollLists) list.clear();
    for (KScrollLayer& layer : m_scrollLayers) {
        layer.SetEnabled(false);
        layer.ClearLayer();
    }
    m_background.Release();
    KIniFile ini;
    if (!LoadScrollIni(ini, m_shownMapId)) return;
    for (int32_t n = 0;; ++n) {
        char section[16];
        std::snprintf(section, sizeof section, "%d", n);
        int type = 0;
        ini.GetInteger(section, "Type", 0, &type);
        if (type < 1 || type > 3) break;
        m_scrollLists[type - 1].push_back(ReadScrollSetting(ini, section, n, type));
    }
}

int KScenePlace::LoadScrollImages(const KScrollSetting& setting) {
    KIniFile ini;
    if (!LoadScrollIni(ini, m_shownMapId)) return 0;
    char section[16];
    std::snprintf(section, sizeof section, "%d", setting.section);
    int type = 0;
    ini.GetInteger(section, "Type", 0, &type);
    char name[kImageNameSize] = {};
    if (type == 1) {
        m_background.Release();
        ini.GetString(section, "Image", "", name, sizeof name);
        if (IsLargeScreen()) ini.GetString(section, "Image1024", name, name, sizeof name);
        return name[0] && m_background.LoadPicture(name) ? 1 : 0;
    }
    if (type != 2 && type != 3) return 0;
    KScrollLayer& layer = m_scrollLayers[type - 2];
    layer.ClearLayer();
    for (int i = 0;; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "%s%d", "Image", i);
        if (!ini.GetString(section, key, "", name, sizeof name) || !name[0]) break;
        layer.AddPicture(name);
    }
    return layer.PictureCount();
}

void KScenePlace::BuildScrollLayers(int32_t focusX, int32_t focusY) {
    const ScrollImageLoader load = [this](const KScrollSetting& setting) { return LoadScrollImages(setting); };
    for (KScrollSetting& s : m_scrollLists[0]) UpdateBackgroundSetting(s, m_background, focusX, focusY, load);
    for (KScrollSetting& s : m_scrollLists[2]) UpdateDriftSetting(s, m_scrollLayers[1], focusX, focusY, load);
    for (KScrollSetting& s : m_scrollLists[1]) UpdateFallSetting(s, m_scrollLayers[0], focusX, focusY, load);
}
