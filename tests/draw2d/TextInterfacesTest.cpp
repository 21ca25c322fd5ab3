// Operation order of the interfaces the host reaches by slot, the text box
// record's layout, and the bitmap font writer's refusals.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "AsfFontWriter.h"
#include "draw2d/text/KFont.h"
#include "lumiva/TextHostRecords.h"
#include "support/VirtualSlot.h"

namespace {

using test_support::SlotOf;

TEST(TextInterfaces, FontOperationsInSlotOrder) {
    EXPECT_EQ(SlotOf(&KFont::AttachDevice), 0);
    EXPECT_EQ(SlotOf(&KFont::CreateFontFace), 1);
    EXPECT_EQ(SlotOf(&KFont::ReleaseFontFace), 2);
    EXPECT_EQ(SlotOf(&KFont::SetGradientColor), 3);
    EXPECT_EQ(SlotOf(&KFont::GetFontSize), 4);
    EXPECT_EQ(SlotOf(&KFont::SetFontSize), 5);
    EXPECT_EQ(SlotOf(&KFont::DrawString), 6);
    EXPECT_EQ(SlotOf(&KFont::AddRef), 7);
    EXPECT_EQ(SlotOf(&KFont::Release), 8);
}

TEST(TextInterfaces, ImageHandlerInSlotOrder) {
    EXPECT_EQ(SlotOf(&ITextImageHandler::GetPictureSize), 0);
    EXPECT_EQ(SlotOf(&ITextImageHandler::DrawPicture), 1);
    EXPECT_EQ(SlotOf(&ITextImageHandler::DrawPictureF), 2);
}

TEST(TextInterfaces, TextRectFields) {
    EXPECT_EQ(offsetof(KTextRect, z), 8u);
    EXPECT_EQ(offsetof(KTextRect, fx), 12u);
    EXPECT_EQ(offsetof(KTextRect, maxLines), 26u);
    EXPECT_EQ(offsetof(KTextRect, gradient), 32u);
    EXPECT_EQ(sizeof(KTextRect), 44u);
}

TEST(AsfFontWriter, RunsAndRefusals) {
    EXPECT_EQ(EncodeAsfGlyphRuns(std::vector<uint8_t>(40, 3), 40, 1),
              (std::vector<uint8_t>{3 << 5 | 31, 3 << 5 | 9})) << "runs stop at 31";
    EXPECT_EQ(EncodeAsfGlyphRuns({1, 1, 1, 1}, 2, 2), (std::vector<uint8_t>{1 << 5 | 2, 1 << 5 | 2}))
        << "runs never cross a row";
    EXPECT_THROW(EncodeAsfGlyphRuns({8}, 1, 1), std::invalid_argument);
    EXPECT_THROW(EncodeAsfGlyphRuns({1, 1}, 1, 1), std::invalid_argument);
    EXPECT_THROW(EncodeAsfGlyphRuns({}, 0, 1), std::invalid_argument);
    EXPECT_THROW(AsfCodeOfGlyph(126 * 190), std::invalid_argument);
    const std::vector<uint8_t> file = WriteAsfFont({1, 1, {{7}, {0}}});
    const std::vector<uint8_t> expected = {0x41, 0x53, 0x46, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0,
                                           0,    0,    0,    0, 1, 0, 0, 0, 7 << 5 | 1, 1};
    EXPECT_EQ(file, expected);
}

}  // namespace
