// The reader over coded text: runs, codes, the column limit and line-head
// rules, bounds at the end of the text, and measuring.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TextTestSupport.h"
#include "draw2d/text/KTextCursor.h"
#include "draw2d/text/TextShellOperations.h"

namespace {

using text_test::Encode;

class PictureSizes : public ITextImageHandler {
public:
    std::map<uint16_t, std::pair<int32_t, int32_t>> sizes;
    int32_t GetPictureSize(uint16_t id, int32_t* w, int32_t* h) override {
        auto found = sizes.find(id);
        if (found == sizes.end()) return -1;
        *w = found->second.first;
        *h = found->second.second;
        return 0;
    }
    int32_t DrawPicture(uint16_t, int32_t, int32_t, uint32_t) override { return 0; }
    int32_t DrawPictureF(uint16_t, float, float, uint32_t) override { return 0; }
};

using RunList = std::vector<std::pair<int32_t, int>>;

struct Token {
    int32_t run;
    int32_t runStart;
    KTextToken leading;
    KTextToken ending;
};

class TextCursorTest : public ::testing::Test {
protected:
    void SetUp() override { shell_.SetTextImageHandler(&pictures_); }

    void Start(const std::string& text, int32_t limit) {
        text_ = text;
        cursor_ = KTextCursor{};
        cursor_.shell = &shell_;
        cursor_.Init(text_.data(), int32_t(text_.size()), limit);
    }
    Token Next(int32_t size = 12) {
        Token t{};
        t.run = NextTextToken(cursor_, &t.runStart, &t.leading, &t.ending, size);
        return t;
    }
    // Runs until the end token: each run's columns and ending code.
    RunList Runs(int guard = 100) {
        RunList runs;
        for (int i = 0; i < guard; ++i) {
            Token t = Next();
            runs.push_back({t.run, t.ending.code});
            if (t.ending.code == kCodeEnd) return runs;
        }
        ADD_FAILURE() << "no end token";
        return runs;
    }

    std::string text_;
    KTextCursor cursor_;
    TextShellStandIn shell_;
    PictureSizes pictures_;
};


TEST_F(TextCursorTest, WidthHundredAtSizeTwelveHoldsSixteenColumns) {
    Start(std::string(20, 'a'), 100 * 2 / 12);
    EXPECT_EQ(cursor_.maxColumns, 16);
    EXPECT_EQ(Runs(), (RunList{{16, 10}, {4, 255}}));
    std::string chinese;
    for (int i = 0; i < 10; ++i) chinese += Encode("中");
    Start(chinese, 16);
    EXPECT_EQ(Runs(), (RunList{{16, 10}, {4, 255}}));
    Start("a" + chinese, 16);
    EXPECT_EQ(Runs(), (RunList{{15, 10}, {6, 255}})) << "a double-byte character that passes the limit moves down";
    Start(std::string(16, 'a'), 16);
    EXPECT_EQ(cursor_.maxColumns, 0) << "a limit not below the length is no limit";
    EXPECT_EQ(Runs(), (RunList{{16, 255}}));
}

TEST_F(TextCursorTest, LineHeadRuleBreaksEarly) {
    Start("abcdefghijklmN,pqrst", 16);
    EXPECT_EQ(Runs(), (RunList{{13, 10}, {7, 255}}));
    Start("abcdefghijklmNopqrst", 16);
    EXPECT_EQ(Runs(), (RunList{{16, 10}, {4, 255}}));
    Start("abcdefghijklmN" + Encode("。") + "pqrst", 16);
    EXPECT_EQ(Runs()[0].first, 13) << "full-width stops may not start a line either";
}

TEST_F(TextCursorTest, NewlinesAndWrapsBeforeThem) {
    Start("ab\ncd", 0);
    Token t = Next();
    EXPECT_EQ(t.run, 2);
    EXPECT_EQ(t.ending.code, kCodeLineBreak);
    EXPECT_EQ(cursor_.position, 3);
    Start(std::string(16, 'a') + "\nb" + std::string(20, 'c'), 16);
    t = Next();
    EXPECT_EQ(t.run, 16);
    EXPECT_EQ(cursor_.position, 17) << "the newline right after a wrap is skipped";
    EXPECT_EQ(Next().run, 16);
}

TEST_F(TextCursorTest, ColourCodesLeadOrEndRuns) {
    Start("\x02\xFF\x10\x20" "ab\x03" "cd", 0);
    Token t = Next();
    EXPECT_EQ(t.leading.code, kCodeColour);
    EXPECT_EQ(t.leading.Rgb(), 0xFF1020u);
    EXPECT_EQ(t.runStart, 4);
    EXPECT_EQ(t.run, 2);
    EXPECT_EQ(t.ending.code, kCodeColourBack);
    t = Next();
    EXPECT_EQ(t.runStart, 7);
    EXPECT_EQ(t.run, 2);
    EXPECT_EQ(t.ending.code, kCodeEnd);
    EXPECT_EQ(cursor_.position, 0) << "the end rewinds the cursor";

    shell_.SetSparkColor(0x0105, 0xFF405060u);
    Start(std::string("\x10\x05\x01" "a\x07\x01\x02\x03", 8) + "b\x08\x11", 0);
    t = Next();
    EXPECT_EQ(t.leading.code, kCodeSpark);
    EXPECT_EQ(t.leading.Rgb(), 0x405060u);
    EXPECT_EQ(t.ending.code, kCodeUnderline);
    EXPECT_EQ(t.ending.Rgb(), 0x010203u);
    t = Next();
    EXPECT_EQ(t.run, 1);
    EXPECT_EQ(t.ending.code, kCodeUnderlineOff);
    t = Next();
    EXPECT_EQ(t.leading.code, kCodeSparkBack);
    EXPECT_EQ(t.run, 0);
    EXPECT_EQ(t.ending.code, kCodeEnd);
}

TEST_F(TextCursorTest, PicturesEndRunsAndTakeColumns) {
    pictures_.sizes[7] = {30, 40};
    Start(std::string("ab\x06\x07\x00", 5), 0);
    Token t = Next();
    EXPECT_EQ(t.run, 2);
    EXPECT_EQ(t.ending.code, kCodePicture);
    EXPECT_EQ(t.ending.PictureId(), 7);
    EXPECT_EQ(cursor_.column, 2 + 5) << "30 pixels at size 12 is 5 columns";
    EXPECT_EQ(Next().ending.code, kCodeEnd) << "the end comes on the next call";

    Start(std::string("ab\x06\x09\x00" "c", 6), 0);
    Next();
    EXPECT_EQ(cursor_.column, 2) << "an unknown picture takes no room";
    EXPECT_EQ(cursor_.position, 5);

    Start(std::string("abcdef\x06\x07\x00" "gh", 11), 8);
    EXPECT_EQ(Runs(), (RunList{{6, 10}, {0, 6}, {2, 255}})) << "a picture past the limit moves down";
}

TEST_F(TextCursorTest, ItemsWiderThanALineStillTakeOne) {
    Start(Encode("中文字"), 1);
    EXPECT_EQ(Runs(), (RunList{{2, 10}, {2, 10}, {2, 255}}));
    pictures_.sizes[1] = {120, 12};
    Start(std::string("\x06\x01\x00\x06\x01\x00" "abcdef", 12), 4);
    // The second picture moves down; a character after a full line still
    // joins it before the line ends.
    EXPECT_EQ(Runs(), (RunList{{0, 6}, {0, 10}, {0, 6}, {1, 10}, {4, 10}, {1, 255}}));
}

TEST_F(TextCursorTest, CutOffCodesAndLeadBytesAtTheEnd) {
    const std::pair<std::string, RunList> cases[] = {
        {std::string("ab\x02\x01", 4), {{2, 255}}},
        {std::string("ab\x04", 3), {{2, 255}}},
        {std::string("ab\x07\x01\x02", 5), {{2, 255}}},
        {std::string("ab\x10\x01", 4), {{2, 255}}},
        {std::string("ab\x06\x01", 4), {{2, 255}}},
        {std::string("ab\xD6", 3), {{3, 255}}},
    };
    for (const auto& [text, runs] : cases) {
        Start(text, 0);
        EXPECT_EQ(Runs(), runs) << testing::PrintToString(text);
    }
}

TEST_F(TextCursorTest, MeasureAndRows) {
    Start("x" + Encode("中"), 0);
    EXPECT_EQ(MeasureText(cursor_, 12), 18);
    EXPECT_EQ(GetTextExtent(shell_, 12, (Encode("中") + "x").c_str(), 3, 100), 18);
    pictures_.sizes[2] = {25, 40};
    const std::string withPicture = std::string("ab\x06\x02\x00" "cd\nef", 10);
    EXPECT_EQ(GetTextExtent(shell_, 12, withPicture.c_str(), int32_t(withPicture.size()), 500), 12 + 25 + 12 + 12)
        << "lines do not restart the sum";
    EXPECT_EQ(GetTextExtent(shell_, 0, "ab", 2, 100), 0) << "id 0 is refused";

    Start(withPicture, 0);
    int32_t rows = 0, height = 0;
    MeasureLineRows(cursor_, &rows, &height, 12, 0);
    EXPECT_EQ(height, 40);
    EXPECT_EQ(rows, 3) << "40 / 12 = 3, remainder 4 < 6";
    EXPECT_EQ(cursor_.position, 0) << "measuring leaves the cursor";
    MeasureLineRows(cursor_, &rows, &height, 12, 1);
    EXPECT_EQ(rows, 1) << "pictures ignored";
    pictures_.sizes[2] = {25, 42};
    MeasureLineRows(cursor_, &rows, &height, 12, 0);
    EXPECT_EQ(rows, 4) << "remainder 6 reaches half a size";
}

TEST_F(TextCursorTest, PictureWidthsAtTheEndsOfTheRangeSaturate) {
    // A handler may report any width: sums stop at the ends of the range.
    const std::string one = std::string("ab\x06\x01\x00" "c", 6);
    const std::string two = std::string("\x06\x01\x00\x06\x01\x00", 6);
    const struct {
        int32_t width;
        const std::string* text;
        int32_t extent;
    } cases[] = {{INT_MAX, &one, INT_MAX}, {INT_MAX, &two, INT_MAX}, {INT_MIN, &two, INT_MIN},
                 {INT_MIN, &one, INT_MIN + 18}};
    for (const auto& c : cases) {
        pictures_.sizes[1] = {c.width, 16};
        EXPECT_EQ(GetTextExtent(shell_, 12, c.text->c_str(), int32_t(c.text->size()), 500), c.extent) << c.width;
    }
    // Within a column limit, a picture wider than any line breaks the line
    // before it at size 1, where its columns pass the int range.
    pictures_.sizes[1] = {INT_MAX, 16};
    Start(one, 4);
    EXPECT_EQ(Next(1).ending.code, kCodeLineBreak);
    // A picture as tall as the range is that many rows at size 1.
    pictures_.sizes[1] = {16, INT_MAX};
    Start(one, 0);
    int32_t rows = 0, height = 0;
    MeasureLineRows(cursor_, &rows, &height, 1, 0);
    EXPECT_EQ(rows, INT_MAX);
    EXPECT_EQ(height, INT_MAX);
    // Characters after such a picture count on from the end of the range.
    for (int32_t width : {INT_MAX, INT_MIN}) {
        pictures_.sizes[1] = {width, 16};
        Start(std::string("\x06\x01\x00" "cd", 5), 0);
        EXPECT_EQ(Next(1).ending.code, kCodePicture) << width;
        const Token last = Next(1);
        EXPECT_EQ(last.run, 2) << width;
        EXPECT_EQ(last.ending.code, kCodeEnd) << width;
    }
}

TEST_F(TextCursorTest, SkipLinesCarriesColours) {
    const std::string text = std::string("\x02\x10\x20\x30" "a\n\x04\x01\x01\x01" "b\x02\x40\x50\x60" "c\x03\nd\n", 20);
    Start(text, 0);
    KTextToken colour, gradient;
    int32_t overflow = -1;
    EXPECT_EQ(SkipLines(cursor_, 0, &colour, &gradient, &overflow, 12, 0), 0);
    EXPECT_EQ(SkipLines(cursor_, 1, &colour, &gradient, &overflow, 12, 0), 6);
    EXPECT_EQ(colour.code, kCodeColour);
    EXPECT_EQ(colour.Rgb(), 0x102030u);
    EXPECT_EQ(gradient.code, 0);
    EXPECT_EQ(SkipLines(cursor_, 2, &colour, &gradient, &overflow, 12, 0), 18);
    EXPECT_EQ(colour.code, kCodeColour);
    EXPECT_EQ(colour.Rgb(), 0x102030u) << "3 turned it back to the remembered colour";
    EXPECT_EQ(gradient.code, kCodeGradient);
    EXPECT_EQ(gradient.Rgb(), 0x010101u);
    EXPECT_EQ(overflow, 0);
    EXPECT_EQ(SkipLines(cursor_, 4, &colour, &gradient, &overflow, 12, 0), -1);
    EXPECT_EQ(colour.code, 0);
    EXPECT_EQ(cursor_.position, 0);

    pictures_.sizes[3] = {10, 40};
    const std::string tall = std::string("a\x06\x03\x00\nb", 6);
    Start(tall, 0);
    EXPECT_EQ(SkipLines(cursor_, 1, &colour, &gradient, &overflow, 12, 0), 0) << "a 3-row line outlasts one row";
    EXPECT_EQ(overflow, 2);
    EXPECT_EQ(SkipLines(cursor_, 3, &colour, &gradient, &overflow, 12, 0), 5);
}

}  // namespace
