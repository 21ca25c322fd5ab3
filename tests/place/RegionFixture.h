// Region files on a scratch data root, written by the map writers, and a
// host that records what the place tells it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "MapGenerator.h"
#include "MapWriter.h"
#include "place/SceneRegion.h"
#include "support/QuietPlaceHost.h"

namespace place_test {

constexpr const char* kMapFolder = "\\Maps\\test";

// Answers FindRegionId from a table (-1 when absent) and notes every call.
class RecordingHost final : public test_support::QuietPlaceHost {
public:
    std::map<uint32_t, int32_t> ids;  // region key to host id
    std::vector<std::string> calls;
    std::vector<KSceneRegion*> attached;

    int32_t FindRegionId(int32_t zero, uint32_t key) override;
    void AttachRegion(int32_t zero, int32_t id, KSceneRegion* region) override;
    void DetachRegion(int32_t zero, int32_t id) override;
};

class RegionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteFile(const std::string& modulePath, const std::vector<uint8_t>& bytes);
    void WriteRegion(int rx, int ry, const std::vector<uint8_t>& bytes);
    void WriteRegion(int rx, int ry, const RegionFileFields& fields) { WriteRegion(rx, ry, BuildRegionFile(fields)); }
    // A requested region with grids full of 0xABABABAB, so a read must set them.
    void Request(KSceneRegion& region, int rx, int ry);
    // Request and read through ReadRegionFile.
    bool Read(KSceneRegion& region, int rx, int ry, const char* folder = kMapFolder);
    // Log lines that start with "[Scene]", taken.
    std::vector<std::string> SceneLog();

public:
    const std::string& Root() const { return m_root; }

protected:

    std::string m_root;
};

// A section 0 whose every cell is `value`.
std::vector<uint32_t> FilledGrid(uint32_t value);

}  // namespace place_test
