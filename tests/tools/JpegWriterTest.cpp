#include <gtest/gtest.h>

#include <stdexcept>

#include "JpegWriter.h"

namespace {

bool HasMarker(const std::vector<uint8_t>& jpeg, uint8_t marker) {
    for (size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return true;
    return false;
}

// Component count of the start-of-frame segment.
int Components(const std::vector<uint8_t>& jpeg) {
    for (size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return jpeg[i + 9];
    return 0;
}

TEST(JpegWriter, WritesCompleteFilesOfEachKind) {
    struct Case {
        JpegColour colour;
        bool progressive;
        int bytesPerPixel;
        uint8_t frameMarker;
        int components;
    };
    const Case cases[] = {{JpegColour::Rgb, false, 3, 0xC0, 3},
                          {JpegColour::Rgb, true, 3, 0xC2, 3},
                          {JpegColour::Grey, false, 1, 0xC0, 1},
                          {JpegColour::Cmyk, false, 4, 0xC0, 4}};
    for (const Case& c : cases) {
        JpegOptions options;
        options.colour = c.colour;
        options.progressive = c.progressive;
        std::vector<uint8_t> jpeg =
            EncodeJpeg(std::vector<uint8_t>(size_t(10) * 6 * c.bytesPerPixel, 90), 10, 6, options);
        ASSERT_GE(jpeg.size(), 4u);
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
        EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
        EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
        EXPECT_TRUE(HasMarker(jpeg, c.frameMarker)) << c.components;
        EXPECT_EQ(Components(jpeg), c.components);
    }
}

TEST(JpegWriter, QualityChangesTheSize) {
    std::vector<uint8_t> noise;
    for (int i = 0; i < 32 * 32 * 3; ++i) noise.push_back(uint8_t(i * 7919 % 251));
    JpegOptions low, high;
    low.quality = 10;
    high.quality = 100;
    EXPECT_LT(EncodeJpeg(noise, 32, 32, low).size(), EncodeJpeg(noise, 32, 32, high).size());
}

TEST(JpegWriter, BadInputThrows) {
    JpegOptions badQuality;
    badQuality.quality = 0;
    EXPECT_THROW(EncodeJpeg(std::vector<uint8_t>(12), 2, 2, badQuality), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg(std::vector<uint8_t>(11), 2, 2), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg({}, 0, 2), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg(std::vector<uint8_t>(3), 1, -1), std::invalid_argument);
}

}  // namespace
