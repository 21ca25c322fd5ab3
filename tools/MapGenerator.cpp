#include "MapGenerator.h"

#include "MapWriter.h"
#include "SprWriter.h"

namespace {

constexpr int kRegionWidth = 512;
constexpr int kRegionHeight = 1024;

std::string Picture(const GeneratedMapFields& map, const char* kind, int n) {
    return map.folder + "\\" + kind + "_" + std::to_string(n) + ".spr";
}

GroundSectionFields Ground(const GeneratedMapFields& map, int32_t rx, int32_t ry) {
    GroundSectionFields ground;
    for (int i = 0; i < map.tiles; ++i) {
        GroundTileFields tile;
        tile.cellX = uint16_t(i % 16);
        tile.cellY = uint16_t(i / 16 % 32);
        tile.frame = uint16_t(i % 3);
        tile.name = i == 0 ? GeneratedRegionName(map, rx, ry) : Picture(map, "tile", i % 25);
        ground.tiles.push_back(tile);
    }
    const int32_t x0 = rx * kRegionWidth, y0 = ry * kRegionHeight;
    for (int i = 0; i < map.groundRecords; ++i) {
        GroundRecordFields r;
        // Every fifth one hangs over the right or lower edge.
        r.x = x0 + (i % 5 == 0 ? kRegionWidth - 40 : (i * 97) % 400);
        r.y = y0 + (i % 5 == 1 ? kRegionHeight - 60 : (i * 211) % 900);
        r.width = uint16_t(64 + i % 4 * 32);
        r.height = uint16_t(32 + i % 3 * 16);
        r.name = Picture(map, "ground", i % 12);
        r.layer = uint8_t(i % 3);
        r.order = int16_t(i % 7);
        r.kind = 4;
        ground.records.push_back(r);
    }
    return ground;
}

// Points stand on their foot (x, y); lines, segments and flat objects
// stand on their base line from (x, y) to (end x, end y). A picture of h
// pixels covers 2h units up the ground.
void SetPictureCorners(RegionObjectFields& o) {
    const int32_t right = o.endX != o.x ? o.endX : o.x + o.width;
    const int32_t rightY = o.endX != o.x ? o.endY : o.y;
    const int32_t up = 2 * o.height;
    const int32_t corners[4][3] = {{o.x, o.y - up, 0}, {right, rightY - up, 0}, {right, rightY, 0}, {o.x, o.y, 0}};
    for (int axis = 0; axis < 3; ++axis) {
        o.topLeft[axis] = corners[0][axis];
        o.topRight[axis] = corners[1][axis];
        o.bottomRight[axis] = corners[2][axis];
        o.bottomLeft[axis] = corners[3][axis];
    }
}

// One-colour sprites for every name the generator uses.
bool WritePictures(const std::string& root, const GeneratedMapFields& map) {
    bool ok = true;
    auto write = [&](const std::string& name, uint16_t w, uint16_t h, uint32_t argb, int frames) {
        const SprPixels frame{w, h, 0, 0, std::vector<uint32_t>(size_t(w) * h, argb)};
        SprSpriteInfo info{w, h};
        info.word18 = 100;
        ok &= WriteDataFile(root, name, WriteSpr(info, std::vector<SprPixels>(size_t(frames), frame)));
    };
    for (int i = 0; i < 25; ++i) write(Picture(map, "tile", i), 32, 32, 0xFF203020u + uint32_t(i) * 0x040404u, 3);
    for (int i = 0; i < 12; ++i) write(Picture(map, "ground", i), 64, 48, 0xFF604020u + uint32_t(i) * 0x080408u, 3);
    for (int i = 0; i < 40; ++i) write(Picture(map, "object", i), 64, 96, 0xFF8080A0u + uint32_t(i) * 0x020302u, 2);
    for (int32_t ry = map.top; ry < map.top + map.height; ++ry)
        for (int32_t rx = map.left; rx < map.left + map.width; ++rx)
            write(GeneratedRegionName(map, rx, ry), 64, 64, 0xFF304828u + uint32_t((rx + ry) % 4) * 0x080808u, 1);
    return ok;
}

ObjectSectionFields Objects(const GeneratedMapFields& map, int32_t rx, int32_t ry) {
    ObjectSectionFields section;
    const int n = map.objects;
    section.flats = uint16_t(n / 6);
    section.lines = uint16_t(n / 6);
    section.segments = uint16_t(n / 3);
    section.points = uint16_t(n - section.flats - section.lines - section.segments);
    const int32_t x0 = rx * kRegionWidth, y0 = ry * kRegionHeight;
    for (int i = 0; i < n; ++i) {
        RegionObjectFields o;
        o.name = Picture(map, "object", i % 40);
        o.x = x0 + (i * 37) % kRegionWidth;
        o.y = y0 + (i * 53) % kRegionHeight;
        o.endX = o.x + (i < section.points ? 0 : 48);
        o.endY = o.y + (i < section.points ? 0 : 8);
        o.depth = i % 5;
        o.width = 64;
        o.height = 96;
        SetPictureCorners(o);
        o.frameInterval = uint16_t(i % 4 == 0 ? 100 : 0);
        o.keyA = float(i % 3) * 0.5f;
        o.keyB = float(y0 + i * 40);
        section.objects.push_back(o);
    }
    for (int i = 0; i < map.lights; ++i) {
        RegionLightFields l;
        l.x = x0 + (i * 61) % kRegionWidth;
        l.y = y0 + (i * 131) % kRegionHeight;
        l.colour = 0xFF000000u | uint32_t(i * 0x102030);
        l.radius1 = 64 + i;
        l.radius2 = 128 - i;
        section.lights.push_back(l);
    }
    return section;
}

}  // namespace

uint32_t GeneratedCell(int32_t rx, int32_t ry, int column, int row) {
    return (uint32_t(ry) & 0xFFF) << 20 | (uint32_t(rx) & 0xFFF) << 8 | uint32_t((column * 7 + row * 3) % 5);
}

std::vector<uint32_t> GeneratedGrid(int32_t rx, int32_t ry) {
    std::vector<uint32_t> cells(kObstacleCells);
    for (int column = 0; column < 16; ++column)
        for (int row = 0; row < 32; ++row) cells[size_t(column * 32 + row)] = GeneratedCell(rx, ry, column, row);
    return cells;
}

std::string GeneratedRegionName(const GeneratedMapFields& map, int32_t rx, int32_t ry) {
    return map.folder + "\\region_" + std::to_string(rx) + "_" + std::to_string(ry) + ".spr";
}

std::vector<uint8_t> GenerateRegionFile(const GeneratedMapFields& map, int32_t rx, int32_t ry) {
    RegionFileFields fields;
    fields.cells = GeneratedGrid(rx, ry);
    fields.ground = Ground(map, rx, ry);
    fields.objects = Objects(map, rx, ry);
    return BuildRegionFile(fields);
}

bool WriteGeneratedMap(const std::string& root, const GeneratedMapFields& map) {
    bool ok = true;
    const std::string underMaps = map.folder.rfind("\\Maps\\", 0) == 0 ? map.folder.substr(6) : map.folder;
    ok &= WriteDataText(root, kMapListPath, WriteMapList({{"List", map.mapId, underMaps, std::nullopt}}));
    WorSettings settings;
    settings.rect = {map.left, map.top, map.left + map.width - 1, map.top + map.height - 1};
    ok &= WriteDataText(root, map.folder + ".wor", WriteWorSettings(settings));
    RegionPackFields pack;
    pack.xMin = uint16_t(map.left);
    pack.xMax = uint16_t(map.left + map.width - 1);
    pack.yMin = uint16_t(map.top);
    pack.yMax = uint16_t(map.top + map.height - 1);
    for (int32_t ry = map.top; ry < map.top + map.height; ++ry) {
        for (int32_t rx = map.left; rx < map.left + map.width; ++rx) {
            std::vector<uint8_t> file = GenerateRegionFile(map, rx, ry);
            if (map.looseFiles) ok &= WriteDataFile(root, RegionFilePath(map.folder, rx, ry), file);
            if (map.pack) pack.blobs[{rx, ry}] = std::move(file);
        }
    }
    if (map.pack) ok &= WriteDataFile(root, RegionPackPath(map.folder), WriteRegionPack(pack));
    if (map.pictures) ok &= WritePictures(root, map);
    return ok;
}
