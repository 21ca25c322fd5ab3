// Sprites of each kind written by the tools and read back through the
// host's sprite API.
#include <gtest/gtest.h>

#include <cstring>

#include "DxtBlocks.h"
#include "KPakFile.h"
#include "PictureTestSupport.h"
#include "SprFile.h"
#include "SprLayout.h"
#include "SprWriter.h"

namespace basrel_pictures_test {
namespace {

// The decoder the picture objects apply to run-length frames, giving
// palette colours with each run's alpha.
std::vector<uint32_t> DecodeRuns(const uint8_t* data, uint32_t width, uint32_t height,
                                 const std::vector<uint32_t>& palette) {
    std::vector<uint32_t> out(size_t(width) * height, 0xDEADBEEF);
    size_t written = 0;
    int64_t left = width;
    uint32_t rows = 0;
    while (rows < height) {
        uint32_t count = data[0], alpha = data[1];
        data += 2;
        for (uint32_t i = 0; i < count; ++i) out.at(written++) = alpha == 0 ? 0 : alpha << 24 | palette.at(data[i]);
        if (alpha != 0) data += count;
        left -= count;
        if (left <= 0) {
            left += width;
            ++rows;
        }
    }
    EXPECT_EQ(written, out.size());
    return out;
}

SprPixels Frame(uint16_t width, uint16_t height, uint16_t offsetX, uint16_t offsetY,
                uint32_t (*pixel)(uint32_t x, uint32_t y)) {
    SprPixels frame{width, height, offsetX, offsetY, {}};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) frame.argb.push_back(pixel(x, y));
    return frame;
}

// Transparent border, half-transparent band, a few colours.
uint32_t Badge(uint32_t x, uint32_t y) {
    if (x == 0 || y == 0) return 0;
    if (y == 2) return 0x80000000u | (x * 40) << 8;
    return 0xFF000000u | ((x + y) % 3 == 0 ? 0xFF0000u : 0x0000FFu);
}

// Long opaque and transparent spans, so runs reach 255 and cross rows.
uint32_t Stripes(uint32_t x, uint32_t y) { return (y * 7 + x) % 300 < 260 ? 0xFF00FF00u : 0; }

std::vector<uint32_t> ReadPalette(const SPRHEAD* header, uint32_t colours) {
    const BYTE* p = reinterpret_cast<const BYTE*>(header) + SPR_HEADER_SIZE;
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < colours; ++i, p += 3) palette.push_back(uint32_t(p[0]) << 16 | p[1] << 8 | p[2]);
    return palette;
}

class SprFileTest : public PictureTest {
protected:
    SPRHEAD* Open(const std::vector<uint8_t>& bytes, const char* name = "spr\\test.spr") {
        WriteHostFile("spr/test.spr", bytes);
        return SprGetHeader(&m_file, name);
    }
    void TearDown() override {
        m_file.Close();
        PictureTest::TearDown();
    }
    KPakFile m_file;
};

TEST_F(SprFileTest, RunLengthSpriteRoundTrips) {
    SprSpriteInfo info{40, 30, 20, 25, 8, 3};
    std::vector<SprPixels> frames = {Frame(9, 6, 3, 4, Badge), Frame(5, 4, 0, 1, Badge)};
    std::vector<uint8_t> file = WriteSpr(info, frames);
    SPRHEAD* header = Open(file, "\\SPR\\Test.SPR");
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(m_file.IsOpen());
    EXPECT_EQ(SprGetHeaderBlockSize(header), file.size());
    EXPECT_EQ(std::memcmp(header->Bytes, file.data(), file.size()), 0);

    SprHeaderFields f = SprGetHeaderFields(header);
    EXPECT_EQ(f.kind, SPR_KIND_RLE);
    EXPECT_EQ(f.width, 40);
    EXPECT_EQ(f.height, 30);
    EXPECT_EQ(f.centerX, 20);
    EXPECT_EQ(f.centerY, 25);
    EXPECT_EQ(f.frameCount, 2);
    EXPECT_EQ(f.word16, 8);
    EXPECT_EQ(f.word18, 3);
    std::vector<uint32_t> palette = BuildSprPalette(frames);
    ASSERT_EQ(f.colorCount, palette.size());
    EXPECT_EQ(ReadPalette(header, f.colorCount), palette);

    for (int i = 0; i < 2; ++i) {
        SPRFRAME* frame = SprGetFrame(header, i);
        ASSERT_NE(frame, nullptr) << i;
        EXPECT_EQ(frame->Width, frames[i].width);
        EXPECT_EQ(frame->Height, frames[i].height);
        EXPECT_EQ(frame->OffsetX, frames[i].offsetX);
        EXPECT_EQ(frame->OffsetY, frames[i].offsetY);
        EXPECT_EQ(DecodeRuns(SprFrameData(frame), frame->Width, frame->Height, palette), frames[i].argb) << i;
        SprReleaseFrame(frame);
    }
    SprReleaseHeader(header);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(SprFileTest, TableOffsetsCountFromTheFrameAreaAndFramesFollowInOrder) {
    std::vector<SprPixels> frames = {Frame(9, 6, 0, 0, Badge), Frame(5, 4, 0, 0, Badge), Frame(2, 2, 0, 0, Badge)};
    std::vector<uint8_t> file = WriteSpr({}, frames);
    SprHeaderFields f;
    ASSERT_EQ(SprParseHeader(file.data(), file.size(), &f), nullptr);
    size_t table = SPR_HEADER_SIZE + f.colorCount * 3, area = table + 3 * SPR_TABLE_ENTRY_SIZE;
    EXPECT_EQ(SprTableOffset(f), table);
    EXPECT_EQ(SprFrameAreaOffset(f), area);
    uint32_t expected = 0;
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(U32At(file, table + 8 * i), expected) << i;
        uint32_t length = U32At(file, table + 8 * i + 4);
        EXPECT_EQ(U16At(file, area + expected), frames[i].width) << i;
        expected += length;
    }
    EXPECT_EQ(area + expected, file.size());
}

TEST_F(SprFileTest, RunsThatPassRowEndsAndReach255Decode) {
    std::vector<SprPixels> frames = {Frame(100, 9, 0, 0, Stripes), Frame(300, 2, 0, 0, Stripes)};
    SprRleOptions crossing;
    crossing.runsCrossRows = true;
    for (SprRleOptions options : {SprRleOptions{}, crossing}) {
        SPRHEAD* header = Open(WriteSpr({}, frames, options));
        ASSERT_NE(header, nullptr);
        std::vector<uint32_t> palette = ReadPalette(header, SprGetHeaderFields(header).colorCount);
        for (int i = 0; i < 2; ++i) {
            SPRFRAME* frame = SprGetFrame(header, i);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(DecodeRuns(SprFrameData(frame), frame->Width, frame->Height, palette), frames[i].argb)
                << "frame " << i << " crossing " << options.runsCrossRows;
            SprReleaseFrame(frame);
        }
        SprReleaseHeader(header);
    }
    // With crossing allowed the first run of frame 0 spans into row 1.
    std::vector<uint8_t> runs = EncodeSprRuns(frames[0], BuildSprPalette(frames), true);
    EXPECT_GT(runs[0], 100);
}

TEST_F(SprFileTest, NegativeTableLengthsStandForTheirMagnitude) {
    std::vector<SprPixels> frames = {Frame(9, 6, 1, 2, Badge), Frame(5, 4, 3, 4, Badge)};
    SprRleOptions options;
    options.negativeLengths = true;
    std::vector<uint8_t> plain = WriteSpr({}, frames), negated = WriteSpr({}, frames, options);
    SPRHEAD* header = Open(negated);
    ASSERT_NE(header, nullptr);
    SprHeaderFields f = SprGetHeaderFields(header);
    size_t table = SprTableOffset(f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_LT(int32_t(U32At(negated, table + 8 * i + 4)), 0);
        SPRFRAME* frame = SprGetFrame(header, i);
        ASSERT_NE(frame, nullptr);
        size_t at = SprFrameAreaOffset(f) + U32At(plain, table + 8 * i);
        uint32_t length = U32At(plain, table + 8 * i + 4);
        EXPECT_EQ(std::memcmp(SprFrameData(frame), &plain[at + 8], length - 8), 0);
        SprReleaseFrame(frame);
    }
    // A caller may turn the lengths positive in the block; frames still read.
    BYTE* entry = reinterpret_cast<BYTE*>(header) + table + 4;  // the block, not the 32-byte header array
    int32_t length;
    std::memcpy(&length, entry, 4);
    length = -length;
    std::memcpy(entry, &length, 4);
    SPRFRAME* frame = SprGetFrame(header, 0);
    EXPECT_NE(frame, nullptr);
    SprReleaseFrame(frame);
    SprReleaseHeader(header);
}

TEST_F(SprFileTest, FileStaysOpenForStreamReading) {
    std::vector<SprPixels> frames = {Frame(9, 6, 0, 0, Badge)};
    std::vector<uint8_t> file = WriteSpr({}, frames);
    SPRHEAD* header = Open(file);
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(m_file.Seek(32, 0), 32u);
    std::vector<uint8_t> rest(file.size() - 32);
    EXPECT_EQ(m_file.Read(rest.data(), uint32_t(rest.size())), rest.size());
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), file.begin() + 32));
    SprReleaseHeader(header);
}

TEST_F(SprFileTest, FramesStillReadFromTheBlockOnceTheFileIsGone) {
    std::vector<SprPixels> frames = {Frame(9, 6, 0, 0, Badge), Frame(5, 4, 0, 0, Badge)};
    SPRHEAD* header = Open(WriteSpr({}, frames));
    ASSERT_NE(header, nullptr);
    m_file.Close();
    WriteHostFile("spr/test.spr", {});
    std::vector<uint32_t> palette = ReadPalette(header, SprGetHeaderFields(header).colorCount);
    for (int i : {1, 0, 1}) {
        SPRFRAME* frame = SprGetFrame(header, i);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(DecodeRuns(SprFrameData(frame), frame->Width, frame->Height, palette), frames[i].argb) << i;
        SprReleaseFrame(frame);
    }
    SprReleaseHeader(header);
}

TEST_F(SprFileTest, Dxt5SpriteRoundTrips) {
    auto quarters = [](uint32_t x, uint32_t y) -> uint32_t {
        return x < 4 ? (y < 4 ? 0xFFFF0000u : 0x80000000u) : (y < 4 ? 0x0000FF00u : 0xFFFFFFFFu);
    };
    std::vector<SprPixels> frames = {Frame(8, 6, 2, 3, quarters), Frame(4, 4, 0, 0, quarters)};
    std::vector<uint8_t> file = WriteSds2({16, 16, 8, 8, 1, 1}, frames);
    SPRHEAD* header = Open(file);
    ASSERT_NE(header, nullptr);
    SprHeaderFields f = SprGetHeaderFields(header);
    EXPECT_EQ(f.kind, SPR_KIND_DXT5);
    EXPECT_EQ(f.colorCount, 0);
    EXPECT_EQ(SprTableOffset(f), SPR_HEADER_SIZE);
    for (int i = 0; i < 2; ++i) {
        SPRFRAME* frame = SprGetFrame(header, i);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->Width, frames[i].width);
        EXPECT_EQ(frame->Height, frames[i].height);
        EXPECT_EQ(frame->OffsetX, frames[i].offsetX);
        const BYTE* data = SprFrameData(frame);
        EXPECT_EQ(std::memcmp(data, "DDS ", 4), 0);
        EXPECT_EQ(std::memcmp(data + 84, "DXT5", 4), 0);
        EXPECT_EQ(DecodeDxt5(data + SPR_DDS_HEADER_SIZE, frame->Width, frame->Height), frames[i].argb) << i;
        SprReleaseFrame(frame);
    }
    SprReleaseHeader(header);
}

TEST_F(SprFileTest, PackedSpriteKeepsRecordsAndTilesPointAtTheirImages) {
    std::vector<uint8_t> imageA = {1, 2, 3, 4, 5}, imageB = {9, 8, 7}, imageC = {42};
    std::vector<SdsFrame> frames = {
        {300, 200, 5, 6, {{imageA, 256, 256, 0, 0, 256, 200}, {imageB, 64, 256, 256, 0, 44, 200}}},
        {10, 10, 0, 0, {{imageC, 16, 16, 0, 0, 10, 10}}},
    };
    std::vector<uint8_t> file = WriteSds0({320, 240, 160, 230, 4, 2}, frames);
    SPRHEAD* header = Open(file);
    ASSERT_NE(header, nullptr);
    SprHeaderFields f = SprGetHeaderFields(header);
    EXPECT_EQ(f.kind, SPR_KIND_PACKED);
    EXPECT_EQ(f.width, 320);
    EXPECT_EQ(f.height, 240);
    EXPECT_EQ(f.centerX, 160);
    EXPECT_EQ(f.centerY, 230);
    EXPECT_EQ(f.frameCount, 2);
    EXPECT_EQ(f.word16, 4);
    EXPECT_EQ(f.word18, 2);
    ASSERT_EQ(SprGetHeaderBlockSize(header), 32u + 2 * 153);
    EXPECT_EQ(std::memcmp(header->Bytes, file.data(), 32 + 2 * 153), 0);

    const size_t record1 = 32 + 153;
    EXPECT_EQ(file[32], 2);
    EXPECT_EQ(U16At(file, 33), 300);
    EXPECT_EQ(U16At(file, 37), 5);
    EXPECT_EQ(file[record1], 1);
    struct TileCase {
        size_t tile;
        const std::vector<uint8_t>* image;
        uint16_t x, width;
    };
    const TileCase tiles[] = {
        {32 + 9, &imageA, 0, 256}, {32 + 9 + 36, &imageB, 256, 44}, {record1 + 9, &imageC, 0, 10}};
    for (const TileCase& t : tiles) {
        uint32_t offset = U32At(file, t.tile), length = U32At(file, t.tile + 4);
        ASSERT_EQ(length, t.image->size());
        EXPECT_TRUE(std::equal(t.image->begin(), t.image->end(), file.begin() + offset));
        EXPECT_EQ(U16At(file, t.tile + 12), t.x);
        EXPECT_EQ(U16At(file, t.tile + 16), t.width);
        EXPECT_EQ(U32At(file, t.tile + 20), 0u);
    }
    EXPECT_EQ(SprGetFrame(header, 0), nullptr);
    EXPECT_EQ(TakeLog().size(), 1u);
    SprReleaseHeader(header);
}

TEST_F(SprFileTest, BadFrameIndexesAndForeignHeadersGiveNull) {
    SPRHEAD* header = Open(WriteSpr({}, {Frame(3, 3, 0, 0, Badge)}));
    ASSERT_NE(header, nullptr);
    TakeLog();
    for (int index : {-1, 1, 65535, 1 << 30}) {
        EXPECT_EQ(SprGetFrame(header, index), nullptr) << index;
        EXPECT_EQ(TakeLog().size(), 1u) << index;
    }
    EXPECT_EQ(SprGetFrame(nullptr, 0), nullptr);
    EXPECT_EQ(TakeLog().size(), 1u);
    SprReleaseHeader(header);
    SprReleaseHeader(nullptr);
    SprReleaseFrame(nullptr);
    EXPECT_EQ(SprGetHeaderBlockSize(nullptr), 0u);
    EXPECT_EQ(SprGetHeaderFields(nullptr).kind, 0u);
}

TEST_F(SprFileTest, ATableEntryChangedAfterOpeningIsCheckedAgain) {
    std::vector<uint8_t> file = WriteSpr({}, {Frame(9, 6, 0, 0, Badge), Frame(5, 4, 0, 0, Badge)});
    SPRHEAD* header = Open(file);
    ASSERT_NE(header, nullptr);
    size_t table = SprTableOffset(SprGetHeaderFields(header));
    TakeLog();
    const uint32_t lengths[] = {0x7FFFFFFF, 4, 0x80000000u};
    for (uint32_t length : lengths) {
        std::memcpy(reinterpret_cast<BYTE*>(header) + table + 12, &length, 4);
        EXPECT_EQ(SprGetFrame(header, 1), nullptr) << length;
        EXPECT_EQ(TakeLog().size(), 1u);
    }
    SprReleaseHeader(header);
}

}  // namespace
}  // namespace basrel_pictures_test
