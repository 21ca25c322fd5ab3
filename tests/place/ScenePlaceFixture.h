// The module's scene place over a created shell, with a map's settings
// files written by the map writers under the scratch data root.
#pragma once

#include <string>
#include <vector>

#include "MapWriter.h"
#include "OverlayFixture.h"
#include "PlaceOverlayWriter.h"
#include "place/ScenePlace.h"

namespace place_test {

class ScenePlaceTest : public overlay_test::OverlayTest {
protected:
    void SetUp() override;
    void TearDown() override;

    KScenePlace& Place() { return ScenePlace(); }
    // The map list and, for each entry, its ".wor" and mini-map picture.
    void WriteMapList(const std::vector<MapListEntry>& entries);
    void WriteMap(const std::string& folder, const WorSettings& settings);
    // Map id 7 in "List" at "\Maps\east" with these settings.
    void WriteEastMap(const WorSettings& settings = {});
    void WriteScroll(int mapId, const std::vector<ScrollSettingSection>& sections);
    bool InitAndLoad(int32_t mapId = 7);
};

}  // namespace place_test
