// The ground tile walk over bytes that may lie about their lengths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ByteWriter.h"
#include "place/GroundTileWalker.h"

namespace {

struct Tile {
    uint16_t x, y, frame;
    std::string name;
    int declared = -1;  // written name length; -1 the name's
};

std::vector<uint8_t> Tiles(const std::vector<Tile>& tiles) {
    ByteWriter out;
    for (const Tile& t : tiles) {
        out.U16(t.x), out.U16(t.y), out.U16(t.frame);
        out.U16(uint16_t(t.declared < 0 ? t.name.size() : size_t(t.declared)));
        out.Bytes(t.name.data(), t.name.size());
    }
    return out.Take();
}

std::vector<std::string> Walk(const std::vector<uint8_t>& bytes, uint32_t count) {
    std::vector<std::string> seen;
    KGroundTileWalker walker(bytes.data(), bytes.size(), count);
    for (KGroundTile tile; walker.Next(tile);)
        seen.push_back(std::to_string(tile.cellX) + "," + std::to_string(tile.cellY) + "," +
                       std::to_string(tile.frame) + ":" + tile.name);
    EXPECT_FALSE(walker.Next(*std::make_unique<KGroundTile>()));  // stays at the end
    return seen;
}

TEST(GroundTileWalkerTest, WalksCheckedTiles) {
    const std::string longest(127, 'n');
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t count;
        std::vector<std::string> seen;
    };
    std::vector<uint8_t> headCut = Tiles({{1, 2, 3, "a"}, {4, 5, 6, "b"}});
    headCut.resize(headCut.size() - 3);
    const Case cases[] = {
        {"two tiles", Tiles({{1, 2, 3, "a.spr"}, {4, 5, 6, "b"}}), 2, {"1,2,3:a.spr", "4,5,6:b"}},
        {"count stops first", Tiles({{1, 2, 3, "a"}, {4, 5, 6, "b"}}), 1, {"1,2,3:a"}},
        {"bytes stop first", Tiles({{1, 2, 3, "a"}}), 9, {"1,2,3:a"}},
        {"head cut", headCut, 2, {"1,2,3:a"}},
        {"name past the bytes ends the walk", Tiles({{1, 1, 1, "a"}, {2, 2, 2, "bc", 40}, {3, 3, 3, "d"}}), 3,
         {"1,1,1:a"}},
        {"127 bytes is the longest name", Tiles({{7, 7, 7, longest}}), 1, {"7,7,7:" + longest}},
        {"a longer name is skipped", Tiles({{1, 1, 1, std::string(128, 'x')}, {2, 2, 2, "y"}}), 2, {"2,2,2:y"}},
        {"empty name", Tiles({{0, 0, 0, ""}}), 1, {"0,0,0:"}},
        {"no bytes", {}, 5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Walk(c.bytes, c.count), c.seen);
    }
    KGroundTileWalker none(nullptr, 100, 100);
    KGroundTile tile;
    EXPECT_FALSE(none.Next(tile));
}

}  // namespace
