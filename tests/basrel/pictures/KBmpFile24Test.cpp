// Screenshots saved as 24-bit BMP files under the data root.
#include <gtest/gtest.h>

#include "KBmpFile24.h"
#include "PictureTestSupport.h"

namespace basrel_pictures_test {
namespace {

using KBmpFile24Test = PictureTest;

// 3 x 2 pixels, rows 20 bytes apart (two unused pixels of padding each).
std::vector<uint32_t> SmallPicture() {
    return {0xFF102030u, 0x00405060u, 0x80708090u, 0xDEADBEEF, 0xDEADBEEF,
            0xFFA0B0C0u, 0xFFD0E0F0u, 0x01020304u, 0xDEADBEEF, 0xDEADBEEF};
}

TEST_F(KBmpFile24Test, WritesABottomUpFileFieldByField) {
    std::vector<uint32_t> pixels = SmallPicture();
    ASSERT_TRUE(KBmpFile24::SaveBuffer32("\\Shots\\First.bmp", pixels.data(), 20, 3, 2));
    std::vector<uint8_t> file = ReadHostFile("Shots/First.bmp");
    const uint32_t rowBytes = 12;  // 9 rounded up to 4
    ASSERT_EQ(file.size(), 54 + rowBytes * 2);

    EXPECT_EQ(U16At(file, 0), 0x4D42);  // "BM"
    EXPECT_EQ(U32At(file, 2), file.size());
    EXPECT_EQ(U16At(file, 6), 0);
    EXPECT_EQ(U16At(file, 8), 0);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), 3u);
    EXPECT_EQ(U32At(file, 22), 2u);
    EXPECT_EQ(U16At(file, 26), 1);
    EXPECT_EQ(U16At(file, 28), 24);
    EXPECT_EQ(U32At(file, 30), 0u);
    EXPECT_EQ(U32At(file, 34), 0u);
    EXPECT_EQ(U32At(file, 38), 2880u);
    EXPECT_EQ(U32At(file, 42), 2880u);
    EXPECT_EQ(U32At(file, 46), 0u);
    EXPECT_EQ(U32At(file, 50), 0u);

    // Last picture row first; blue, green, red; alpha dropped; zero padding.
    const std::vector<uint8_t> rows = {
        0xC0, 0xB0, 0xA0, 0xF0, 0xE0, 0xD0, 0x04, 0x03, 0x02, 0, 0, 0,
        0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0x90, 0x80, 0x70, 0, 0, 0,
    };
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.end()), rows);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(KBmpFile24Test, RowsArePaddedToFourBytes) {
    struct Case {
        int width;
        uint32_t rowBytes;
    };
    for (Case c : {Case{1, 4}, Case{4, 12}, Case{5, 16}, Case{301, 904}}) {
        std::vector<uint32_t> pixels(size_t(c.width) * 3, 0xFF808080u);
        ASSERT_TRUE(KBmpFile24::SaveBuffer32("w.bmp", pixels.data(), c.width * 4, c.width, 3));
        std::vector<uint8_t> file = ReadHostFile("w.bmp");
        EXPECT_EQ(file.size(), 54 + c.rowBytes * 3) << c.width;
        EXPECT_EQ(U32At(file, 2), file.size()) << c.width;
    }
}

TEST_F(KBmpFile24Test, RefusesBadArgumentsWithOneLogLineAndNoFile) {
    std::vector<uint32_t> pixels = SmallPicture();
    struct Case {
        const char* what;
        const char* name;
        const void* pixels;
        int pitch, width, height;
    };
    const Case cases[] = {
        {"no name", nullptr, pixels.data(), 20, 3, 2},
        {"empty name", "", pixels.data(), 20, 3, 2},
        {"no pixels", "bad.bmp", nullptr, 20, 3, 2},
        {"zero width", "bad.bmp", pixels.data(), 20, 0, 2},
        {"negative height", "bad.bmp", pixels.data(), 20, 3, -2},
        {"pitch short of a row", "bad.bmp", pixels.data(), 11, 3, 2},
        {"negative pitch", "bad.bmp", pixels.data(), -20, 3, 2},
        {"name leaving the root", "..\\bad.bmp", pixels.data(), 20, 3, 2},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(KBmpFile24::SaveBuffer32(c.name, c.pixels, c.pitch, c.width, c.height)) << c.what;
        EXPECT_EQ(TakeLog().size(), 1u) << c.what;
        EXPECT_FALSE(HostFileExists("bad.bmp")) << c.what;
    }
}

TEST_F(KBmpFile24Test, ReplacesAnExistingFileMatchedWithoutRegardToCase) {
    WriteHostFile("shots/old.BMP", std::vector<uint8_t>(500, 7));
    std::vector<uint32_t> pixels(4, 0xFF000000u);
    ASSERT_TRUE(KBmpFile24::SaveBuffer32("\\SHOTS\\Old.bmp", pixels.data(), 8, 2, 2));
    EXPECT_EQ(ReadHostFile("shots/old.BMP").size(), 54u + 8 * 2);
}

}  // namespace
}  // namespace basrel_pictures_test
