#include "ScenePlaceFixture.h"

#include "place/PakPreload.h"
#include "place/RegionLoaderHooks.h"
#include "place/RegionPack.h"
#include "place/ScenePlaceHost.h"

namespace place_test {

namespace {

// "\Maps\east" as a path under the data root.
std::string HostPath(const std::string& modulePath) {
    std::string path = modulePath.substr(modulePath[0] == '\\' ? 1 : 0);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

}  // namespace

void ScenePlaceTest::SetUp() {
    OverlayTest::SetUp();
    ResetRegionPackForTests();
    ResetPakPreloadForTests();
    ResetScenePlaceForTests();
    // These tests drive the window by hand: the loader takes nothing.
    HoldRegionLoader(true);
}

void ScenePlaceTest::TearDown() {
    ResetScenePlaceForTests();
    HoldRegionLoader(false);
    SetRegionLoaderHook({});
    SetScenePlaceHost(nullptr);
    ResetPakPreloadForTests();
    ResetRegionPackForTests();
    OverlayTest::TearDown();
}

void ScenePlaceTest::WriteMapList(const std::vector<MapListEntry>& entries) {
    WriteDataFile(HostPath(kMapListPath), ::WriteMapList(entries));
}

void ScenePlaceTest::WriteMap(const std::string& folder, const WorSettings& settings) {
    WriteDataFile(HostPath(folder + ".wor"), WriteWorSettings(settings));
}

void ScenePlaceTest::WriteEastMap(const WorSettings& settings) {
    MapListEntry entry;
    entry.key = 7;
    entry.folder = "east";
    WriteMapList({entry});
    WriteMap("\\Maps\\east", settings);
}

void ScenePlaceTest::WriteScroll(int mapId, const std::vector<ScrollSettingSection>& sections) {
    WriteDataFile(HostPath(ScrollSettingsPath(mapId)), WriteScrollSettings(sections));
}

bool ScenePlaceTest::InitAndLoad(int32_t mapId) { return Place().Init(nullptr) && Place().LoadMap(mapId, 0, 0); }

}  // namespace place_test
