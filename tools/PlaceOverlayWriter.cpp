#include "PlaceOverlayWriter.h"

#include <cstdio>
#include <sstream>

namespace {

template <typename T>
void Key(std::ostringstream& text, const char* key, const std::optional<T>& value) {
    if (value) text << key << "=" << *value << "\n";
}

void Keys(std::ostringstream& text, const std::array<const char*, 4>& keys,
          const std::optional<std::array<int, 4>>& values) {
    if (!values) return;
    for (size_t i = 0; i < keys.size(); ++i) text << keys[i] << "=" << (*values)[i] << "\n";
}

}  // namespace

std::string WriteWeatherIni(const std::vector<WeatherSection>& sections) {
    std::ostringstream text;
    for (const WeatherSection& s : sections) {
        char name[32];
        std::snprintf(name, sizeof name, "Weather%.3d", s.id);
        text << "[" << name << "]\n";
        Key(text, "LifeTimeMin", s.lifeTimeMin);
        Key(text, "LifeTimeMax", s.lifeTimeMax);
        Key(text, "ParticleNum", s.particleNum);
        Key(text, "DownSpeed", s.downSpeed);
        Key(text, "WindSpeed", s.windSpeed);
        Key(text, "FlareTime", s.flareTime);
        Key(text, "LenRate", s.lenRate);
        Key(text, "RainSound", s.rainSound);
        for (size_t i = 0; i < s.flareSounds.size(); ++i)
            Key(text, ("FlareSound" + std::to_string(i + 1)).c_str(), s.flareSounds[i]);
    }
    return text.str();
}

std::string WriteScrollSettings(const std::vector<ScrollSettingSection>& sections) {
    std::ostringstream text;
    for (size_t n = 0; n < sections.size(); ++n) {
        const ScrollSettingSection& s = sections[n];
        text << "[" << n << "]\nType=" << s.type << "\n";
        Keys(text, {"AreaLeft", "AreaTop", "AreaRight", "AreaBottom"}, s.area);
        Keys(text, {"ViewAreaLeft", "ViewAreaTop", "ViewAreaRight", "ViewAreaBottom"}, s.viewArea);
        Keys(text, {"SceneCenterPointX", "SceneCenterPointY", "PicCenterPointX", "PicCenterPointY"}, s.centrePoints);
        Keys(text, {"PaintRectLeft", "PaintRectTop", "PaintRectRight", "PaintRectBottom"}, s.paintRect);
        Key(text, "Speed", s.speed);
        Key(text, "Rating", s.rating);
        Key(text, "Angle", s.angle);
        Key(text, "Count", s.count);
        if (s.type == 1 && !s.images.empty()) text << "Image=" << s.images.front() << "\n";
        if (s.type != 1)
            for (size_t i = 0; i < s.images.size(); ++i) text << "Image" << i << "=" << s.images[i] << "\n";
        for (const auto& [key, value] : s.extra) text << key << "=" << value << "\n";
    }
    return text.str();
}

std::string ScrollSettingsPath(int mapId) { return "\\Maps\\ScrollSetting\\" + std::to_string(mapId) + "_Scroll.ini"; }

std::string WriteMiniMapUiSettings(const MiniMapIconNames& n) {
    std::ostringstream text;
    text << "[Map]\n";
    const std::pair<const char*, const std::string*> keys[] = {
        {"SelfImg", &n.self},          {"TeamImg", &n.team},         {"FriendImg", &n.friends},
        {"PlayerImg", &n.player},      {"FightNpcImg", &n.fightNpc}, {"NormalImg", &n.normal},
        {"FightPlayerImg", &n.fightPlayer}, {"AcceptTask", &n.acceptTask}, {"FinishTask", &n.finishTask},
        {"CantFinishTask", &n.cantFinishTask}};
    for (const auto& [key, value] : keys)
        if (!value->empty()) text << key << "=" << *value << "\n";
    return text.str();
}

std::string MiniMapPicturePath(const std::string& folder) { return folder + "24.jpg"; }
