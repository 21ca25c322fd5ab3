#include "RegionFixture.h"

#include <cstring>
#include <filesystem>

#include "ScratchFolder.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "place/PakPreload.h"
#include "place/RegionPack.h"
#include "place/RegionReader.h"
#include "place/ScenePlaceHost.h"
#include "win32/Control.h"

namespace place_test {

int32_t RecordingHost::FindRegionId(int32_t zero, uint32_t key) {
    calls.push_back("FindRegionId " + std::to_string(zero) + " " + std::to_string(key));
    const auto it = ids.find(key);
    return it == ids.end() ? -1 : it->second;
}

void RecordingHost::AttachRegion(int32_t zero, int32_t id, KSceneRegion* region) {
    calls.push_back("AttachRegion " + std::to_string(zero) + " " + std::to_string(id));
    attached.push_back(region);
}

void RecordingHost::DetachRegion(int32_t zero, int32_t id) {
    calls.push_back("DetachRegion " + std::to_string(zero) + " " + std::to_string(id));
}

void RegionTest::SetUp() {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    ResetRegionPackForTests();
    ResetPakPreloadForTests();
    SetScenePlaceHost(nullptr);
    m_root = MakeScratchFolder("regions");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    basrel::StartDebugLogCapture();
}

void RegionTest::TearDown() {
    SetScenePlaceHost(nullptr);
    ResetPakPreloadForTests();
    ResetRegionPackForTests();
    lumiva::win32::ResetForTests();
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void RegionTest::WriteFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteDataFile(m_root, modulePath, bytes));
}

void RegionTest::WriteRegion(int rx, int ry, const std::vector<uint8_t>& bytes) {
    WriteFile(RegionFilePath(kMapFolder, rx, ry), bytes);
}

void RegionTest::Request(KSceneRegion& region, int rx, int ry) {
    std::memset(region.workingGrid, 0xAB, sizeof region.workingGrid);
    std::memset(region.pristineGrid, 0xAB, sizeof region.pristineGrid);
    region.SetRegionIndices(rx, ry);
}

bool RegionTest::Read(KSceneRegion& region, int rx, int ry, const char* folder) {
    Request(region, rx, ry);
    return ReadRegionFile(region, folder);
}

std::vector<std::string> RegionTest::SceneLog() {
    std::vector<std::string> lines;
    for (std::string& line : basrel::TakeCapturedLog())
        if (line.rfind("[Scene]", 0) == 0) lines.push_back(std::move(line));
    return lines;
}

std::vector<uint32_t> FilledGrid(uint32_t value) { return std::vector<uint32_t>(kObstacleCells, value); }

}  // namespace place_test
