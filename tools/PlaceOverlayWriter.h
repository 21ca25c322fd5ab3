// Writers of the files behind a map's overlays: the weather settings
// (sections "Weather%.3d"), a map's scroll settings file (sections "0",
// "1", ... with a Type of 1 background, 2 falling, 3 drifting sprites), the
// [Map] section of the UI settings that names the mini-map's icon pictures,
// and the path of a map folder's mini-map picture (JPEG, see JpegWriter.h).
// A key left unset is not written, so readers' defaults can be tested.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

constexpr const char* kWeatherIniPath = "\\settings\\Weather\\Weather.ini";
constexpr const char* kUiSettingsPath = "\\Ui\\Setting.ini";

struct WeatherSection {
    int id = 0;  // the section is "Weather" and three digits
    std::optional<int> lifeTimeMin, lifeTimeMax;
    std::optional<int> particleNum;
    std::optional<double> downSpeed, windSpeed;
    std::optional<int> flareTime;
    std::optional<int> lenRate;
    std::optional<std::string> rainSound;
    std::array<std::optional<std::string>, 3> flareSounds;
};

std::string WriteWeatherIni(const std::vector<WeatherSection>& sections);

struct ScrollSettingSection {
    int type = 1;
    // Region units (the reader multiplies x by 512 and y by 1024).
    std::optional<std::array<int, 4>> area;          // AreaLeft, AreaTop, AreaRight, AreaBottom
    std::optional<std::array<int, 4>> viewArea;      // types 2, 3
    std::optional<std::array<int, 4>> centrePoints;  // type 1: SceneCenterPointX, Y, PicCenterPointX, Y
    std::optional<std::array<int, 4>> paintRect;     // pixels
    std::optional<int> speed, rating, angle, count;
    // Type 1: the one "Image"; types 2 and 3: "Image0", "Image1", ...
    std::vector<std::string> images;
    // Anything else, written as given (e.g. "AreaLeft1024", "Image1024").
    std::vector<std::pair<std::string, std::string>> extra;
};

// Sections are numbered from 0 in the given order.
std::string WriteScrollSettings(const std::vector<ScrollSettingSection>& sections);
// "\Maps\ScrollSetting\<id>_Scroll.ini"
std::string ScrollSettingsPath(int mapId);

struct MiniMapIconNames {
    std::string self, team, friends, player, fightNpc, normal, fightPlayer;
    std::string acceptTask, finishTask, cantFinishTask;
};

std::string WriteMiniMapUiSettings(const MiniMapIconNames& names);
// The mini-map picture of a map folder ("\Maps\east" gives "\Maps\east24.jpg").
std::string MiniMapPicturePath(const std::string& folder);
