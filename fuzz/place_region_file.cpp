// A region file from hostile bytes, read both ways the place reads it: as
// the loose file of region (10, 10) and as the pack blob of region
// (11, 10). The map's pre-scan runs over both, the two regions exchange
// their ground, their tiles are walked, queries run over them, and they
// are freed. Whatever the bytes, nothing reads outside what it holds.
#include <cstdlib>
#include <memory>
#include <string>

#include "MapGenerator.h"
#include "MapWriter.h"
#include "PakPreloads.h"
#include "place/ActiveWindow.h"
#include "place/GroundTileWalker.h"
#include "place/PakPreload.h"
#include "place/RegionPack.h"
#include "place/RegionPrescan.h"
#include "place/RegionReader.h"
#include "place/SceneRegion.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

constexpr const char* kFolder = "\\Maps\\fuzz";

void Check(bool promise) {
    if (!promise) std::abort();
}

void Serve(const std::string& name, const Bytes& bytes) {
    std::string key;
    Check(basrel::PreloadKey(name.c_str(), key));
    basrel::StorePreload(key, 1, std::make_shared<const std::vector<uint8_t>>(bytes));
}

void CheckRegion(const KSceneRegion& region) {
    Check(region.state == kRegionLoaded);
    Check(region.objectHeader.count == 0 || region.objects);
    Check(region.objectHeader.lightCount == 0 || region.lights);
    Check(region.groundRecordCount == 0 || region.groundRecords);
    uint64_t grouped = uint64_t(region.objectHeader.lines) + region.objectHeader.segments + region.objectHeader.points;
    Check(region.objectHeader.flats <= region.objectHeader.count);
    Check(grouped <= region.TreePointCount());
    uint32_t tiles = 0;
    KGroundTileWalker walker(region);
    for (KGroundTile tile; walker.Next(tile);) Check(++tiles <= region.groundTileCount);
    for (uint32_t i = 0; i < region.objectHeader.count; ++i) Check(region.objects[i].name[127] == 0);
}

}  // namespace

LUMIVA_FUZZ_SEEDS(place_region_file) {
    GeneratedMapFields map;
    map.folder = kFolder;
    map.tiles = 6, map.groundRecords = 4, map.objects = 7, map.lights = 2;
    RegionFileLayout nine;
    nine.sections.resize(9);
    nine.sections[0].bytes = WriteObstacleSection(GeneratedGrid(10, 10));
    nine.sections[8] = {{1, 2, 3}, 0xFFFFFFF0u, std::nullopt};
    GroundSectionFields ground;
    ground.tiles = {{1, 2, 3, "a.spr", std::nullopt}, {4, 5, 6, "b", 90}};
    ground.records = {{5600, 10300, "reach.jpg", 64, 16, 0, 0, 1, 2}};
    ObjectSectionFields objects;
    objects.objects.resize(3);
    objects.flats = 1, objects.points = 2;
    objects.lights.resize(1);
    return {
        {"generated", GenerateRegionFile(map, 10, 10)},
        {"nine-sections", WriteRegionFile(nine)},
        {"ground-and-objects", BuildRegionFile({std::nullopt, ground, objects})},
        {"empty-table", WriteRegionFile({})},
        {"cut", Truncated(GenerateRegionFile(map, 10, 10), 300)},
    };
}

LUMIVA_FUZZ_TARGET(place_region_file, data, size) {
    basrel::ResetPreloads();
    ResetRegionPackForTests();
    ClearPakPreloadQueue();
    const Bytes file(data, data + size);
    RegionPackFields pack{11, 11, 10, 10, {{{11, 10}, file}}, {}};
    Serve(RegionFilePath(kFolder, 10, 10), file);
    Serve(RegionPackPath(kFolder), WriteRegionPack(pack));
    WorSettings settings;
    settings.rect = {10, 10, 11, 10};
    Serve(std::string(kFolder) + ".wor", Text(WriteWorSettings(settings)));

    InstallRegionPack(LoadRegionPack(RegionPackPath(kFolder).c_str()));
    Check(HasRegionPack());
    PrescanRegions(kFolder);
    Check(QueuedPakPreloads().size() <= size);
    ClearPakPreloadQueue();

    auto loose = std::make_unique<KSceneRegion>();
    auto packed = std::make_unique<KSceneRegion>();
    loose->SetRegionIndices(10, 10);
    packed->SetRegionIndices(11, 10);
    Check(ReadRegionFile(*loose, kFolder));
    Check(ReadRegionFile(*packed, kFolder));
    CheckRegion(*loose);
    CheckRegion(*packed);
    for (int i = 0; i < kGridCells; ++i) Check(loose->workingGrid[i] == packed->workingGrid[i]);
    Check(loose->objectHeader.count == packed->objectHeader.count);

    const uint32_t before = loose->groundRecordCount;
    ShareNeighbourGround(*loose, packed.get());
    ShareNeighbourGround(*packed, loose.get());
    const uint32_t shared = loose->groundRecordCount - before;
    ShareNeighbourGround(*loose, packed.get());  // once per direction
    Check(loose->groundRecordCount == before + shared && shared <= packed->groundRecordCount);
    uint32_t copies = 0;
    for (uint32_t i = 0; i < loose->groundRecordCount; ++i) copies += loose->groundRecords[i].kind == 7;
    Check(copies == shared);

    KActiveWindow window;
    window.centreX = 10, window.centreY = 10;
    window.slots[KActiveWindow::SlotOf(0, 0)] = loose.get();
    window.slots[KActiveWindow::SlotOf(1, 0)] = packed.get();
    for (int32_t x : {5119, 5120, 5631, 5632, 6143, 6144})
        for (int32_t y : {10239, 10240, 11263, 11264}) Check(window.GetObstacle(x, y) <= 15);
    SetRegionObjectSelectBit(*loose, int32_t(loose->objectHeader.count) - 1, true);

    loose->FreeRegion();
    packed->FreeRegion();
    ReleaseRegionPack();
}
