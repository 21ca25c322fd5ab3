// Text boxes: colour, gradient, underline and picture codes, tall lines,
// skipped and limited lines, and hit tests on fixed layouts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TextTestSupport.h"
#include "draw2d/text/TextShellOperations.h"

namespace {

using text_test::CapturedQuads;
using text_test::Encode;
using text_test::TextTest;

struct DrawnPicture {
    uint16_t id;
    float x, y;
    uint32_t colour;
    bool operator==(const DrawnPicture&) const = default;
};

class Pictures : public ITextImageHandler {
public:
    std::map<uint16_t, std::pair<int32_t, int32_t>> sizes;
    std::vector<DrawnPicture> drawn;
    int32_t GetPictureSize(uint16_t id, int32_t* w, int32_t* h) override {
        auto found = sizes.find(id);
        if (found == sizes.end()) return -1;
        *w = found->second.first;
        *h = found->second.second;
        return 0;
    }
    int32_t DrawPicture(uint16_t id, int32_t x, int32_t y, uint32_t colour) override {
        drawn.push_back({id, float(x), float(y), colour});
        return 0;
    }
    int32_t DrawPictureF(uint16_t id, float x, float y, uint32_t colour) override {
        drawn.push_back({id, x, y, colour});
        return 0;
    }
};

struct Line {
    float x0, y0, x1, y1;
    uint32_t colour;
};

class LineKeeper : public TextShellStandIn {
public:
    std::vector<Line> lines;
    void DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) override {
        lines.push_back({x0, y0, x1, y1, colour});
    }
};

class TextBoxTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        CreateDevice();
        MakeAsfFont("a.asf", 12, 12, 10);
        box_.SetDevice(device_);
        ASSERT_TRUE(fonts_->CreateFont(box_, "a.asf", 0, 12));
        box_.SetTextImageHandler(&pictures_);
        CaptureQuads();
        record_ = KTextRect{};
        record_.x = 10;
        record_.y = 20;
        record_.z = kScreenZ;
        record_.maxLines = 10;
        record_.colour = 0xFFFFFFFFu;
        record_.gradient = 0x00000000u;
    }
    int32_t Output(const std::string& text, int32_t width = 200) {
        CapturedQuads() = {};
        return OutputTextInRect(*fonts_, box_, 12, &record_, text.data(), int32_t(text.size()), width);
    }
    int32_t Hit(const std::string& text, int32_t x, int32_t y, int32_t width = 200) {
        return HitTestText(*fonts_, box_, x, y, 12, &record_, text.data(), int32_t(text.size()), width);
    }
    // (left, top, top colour) of each quad, pixel-centred.
    std::vector<std::tuple<float, float, uint32_t>> Quads() const {
        std::vector<std::tuple<float, float, uint32_t>> out;
        for (const auto& q : CapturedQuads().quads) out.emplace_back(q.Left() + 0.5f, q.Top() + 0.5f, q.v[0].colour);
        return out;
    }

    LineKeeper box_;
    Pictures pictures_;
    KTextRect record_{};
};

// A literal with its zero bytes.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

using QuadList = std::vector<std::tuple<float, float, uint32_t>>;

TEST_F(TextBoxTest, ColourCodesColourTheirRuns) {
    EXPECT_EQ(Output("a\x02\x10\x20\x30" "b\x03" "c"), 1);
    EXPECT_EQ(Quads(), (QuadList{{10, 20, 0xFFFFFFFFu}, {16, 20, 0xFF102030u}, {22, 20, 0xFFFFFFFFu}}));
    record_.colour = 0x80FFFFFFu;
    Output(Bytes("\x10\x03\x00" "ab\x11" "c"));
    EXPECT_EQ(Quads(), (QuadList{{10, 20, 0x80FFFFFFu}, {16, 20, 0x80FFFFFFu}, {22, 20, 0x80FFFFFFu}}))
        << "an unknown spark colour is white; the alpha is kept";
    box_.SetSparkColor(3, 0xFF00FF00u);
    Output(Bytes("\x10\x03\x00" "ab\x11" "c"));
    EXPECT_EQ(std::get<2>(Quads()[0]), 0x8000FF00u);
    EXPECT_EQ(std::get<2>(Quads()[2]), 0x80FFFFFFu);
}

TEST_F(TextBoxTest, GradientCodesSetTheLowerEdge) {
    Output(Bytes("a\x04\x00\x00\xFF" "b\x05" "c"));
    const auto& quads = CapturedQuads().quads;
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_EQ(quads[0].v[5].colour, 0xFFFFFFFFu) << "0xFF000000 at the start draws one colour";
    EXPECT_EQ(quads[1].v[5].colour, 0xFF0000FFu);
    EXPECT_EQ(quads[2].v[5].colour, 0xFFFFFFFFu);
}

TEST_F(TextBoxTest, LinesBreakAtTheWidthAndStopAtTheMaximum) {
    EXPECT_EQ(Output("abcdefgh", 24), 2) << "width 24 at size 12 holds 4 columns";
    EXPECT_EQ(Quads(), (QuadList{{10, 20, ~0u}, {16, 20, ~0u}, {22, 20, ~0u}, {28, 20, ~0u}, {10, 32, ~0u},
                                 {16, 32, ~0u}, {22, 32, ~0u}, {28, 32, ~0u}}));
    record_.maxLines = 1;
    EXPECT_EQ(Output("ab\ncd\nef"), 1);
    EXPECT_EQ(Quads().size(), 2u);
    record_.maxLines = 5;
    record_.firstLine = 1;
    EXPECT_EQ(Output("ab\ncd\nef"), 2);
    EXPECT_EQ(Quads(), (QuadList{{10, 20, ~0u}, {16, 20, ~0u}, {10, 32, ~0u}, {16, 32, ~0u}}));
    record_.firstLine = 3;
    EXPECT_EQ(Output("ab\ncd\nef"), 0);
    record_.maxLines = 0;
    record_.firstLine = 0;
    EXPECT_EQ(Output("ab"), 0);
    EXPECT_TRUE(Quads().empty());
}

TEST_F(TextBoxTest, ATallPictureLineCountsItsRows) {
    pictures_.sizes[5] = {30, 40};
    const std::string text = std::string("ab\x06\x05\x00" "c\nd", 9);
    EXPECT_EQ(Output(text), 4) << "40 / 12 = 3 rows, then one";
    // Placement other: the line moves down by (3 - 1) * 12 / 2 = 12 before drawing.
    ASSERT_EQ(Quads().size(), 4u);
    EXPECT_EQ(Quads()[0], std::make_tuple(10.0f, 32.0f, ~0u));
    EXPECT_EQ(Quads()[2], std::make_tuple(52.0f, 32.0f, ~0u)) << "the picture's 30 pixels come between";
    EXPECT_EQ(Quads()[3], std::make_tuple(10.0f, 56.0f, ~0u)) << "the next line is three rows down";
    ASSERT_EQ(pictures_.drawn.size(), 1u);
    EXPECT_EQ(pictures_.drawn[0], (DrawnPicture{5, 22, 32 - 14, 0xFFFFFFFFu})) << "centred on the text row";

    record_.placement = 1;
    Output(text);
    EXPECT_EQ(std::get<1>(Quads()[0]), 34.0f) << "(40 - 12) / 2 down";
    EXPECT_EQ(std::get<1>(Quads()[3]), 56.0f);
    record_.placement = 2;
    Output(text);
    EXPECT_EQ(std::get<1>(Quads()[0]), 30.0f) << "24 - 14 down";
    EXPECT_EQ(std::get<1>(Quads()[3]), 56.0f);
    record_.ignorePictures = 1;
    EXPECT_EQ(Output(text), 2);
}

TEST_F(TextBoxTest, ExFormMovesByExactHalves) {
    pictures_.sizes[5] = {12, 41};  // 3 rows, 29 pixels taller than the size
    const std::string text = std::string("a\x06\x05\x00" "b", 5);
    record_.placement = 1;
    record_.fx = 10;
    record_.fy = 20;
    CapturedQuads() = {};
    EXPECT_EQ(OutputTextInRectEx(*fonts_, box_, 12, &record_, text.data(), 5, 200), 3);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Top() + 0.5f, 34.5f);
    ASSERT_EQ(pictures_.drawn.size(), 1u);
    EXPECT_FLOAT_EQ(pictures_.drawn[0].x, 16.0f);
    EXPECT_FLOAT_EQ(pictures_.drawn[0].y, 34.5f - 14.5f);
    Output(text);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Top() + 0.5f, 34.0f) << "the integer form halves by division";
}

TEST_F(TextBoxTest, UnderlineFollowsItsCode) {
    Output("a\x07\x11\x22\x33" "bc\x08" "d");
    ASSERT_EQ(box_.lines.size(), 1u);
    const Line& line = box_.lines[0];
    EXPECT_EQ(line.x0, 16.0f);
    EXPECT_EQ(line.x1, 28.0f);
    EXPECT_EQ(line.y0, 32.0f);
    EXPECT_EQ(line.colour, 0xFF112233u);
}

TEST_F(TextBoxTest, ExFormUsesFloatPoints) {
    record_.fx = 10.25f;
    record_.fy = 20.5f;
    record_.z = 7;
    record_.fz = 3;
    box_.SetProjection([](float x, float y, float z, float* sx, float* sy, float* sz) {
        *sx = x + 100;
        *sy = y + 200;
        *sz = z;
    });
    CapturedQuads() = {};
    const std::string text = "ab";
    EXPECT_EQ(OutputTextInRectEx(*fonts_, box_, 12, &record_, text.data(), 2, 200), 1);
    EXPECT_EQ(record_.x, 110);
    EXPECT_EQ(record_.y, 220);
    EXPECT_EQ(record_.z, 3);
    EXPECT_FLOAT_EQ(record_.fx, 110.25f);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Left(), 109.75f);
    EXPECT_FLOAT_EQ(CapturedQuads().quads[0].Top(), 220.0f);
}

TEST_F(TextBoxTest, RefusalsDrawNothing) {
    const std::string text = "ab";
    EXPECT_EQ(OutputTextInRect(*fonts_, box_, 12, nullptr, text.data(), 2, 100), 0);
    EXPECT_EQ(OutputTextInRect(*fonts_, box_, 12, &record_, nullptr, 2, 100), 0);
    EXPECT_EQ(OutputTextInRect(*fonts_, box_, 12, &record_, "", 0, 100), 0);
    EXPECT_EQ(OutputTextInRect(*fonts_, box_, 13, &record_, text.data(), 2, 100), 0);
    EXPECT_EQ(OutputTextInRect(*fonts_, box_, 0, &record_, text.data(), 2, 100), 0);
    EXPECT_EQ(HitTestText(*fonts_, box_, 0, 0, 0, &record_, text.data(), 2, 100), -1);
    EXPECT_EQ(HitTestText(*fonts_, box_, 0, 0, 13, &record_, text.data(), 2, 100), -1);
    EXPECT_EQ(HitTestText(*fonts_, box_, 0, 0, 12, nullptr, text.data(), 2, 100), -1);
    box_.SetDeviceLost(true);
    EXPECT_EQ(OutputTextInRect(*fonts_, box_, 12, &record_, text.data(), 2, 100), 0);
    EXPECT_EQ(HitTestText(*fonts_, box_, 0, 0, 12, &record_, text.data(), 2, 100), -1);
    EXPECT_TRUE(CapturedQuads().quads.empty());
}

TEST_F(TextBoxTest, HitTestOnFixedLayouts) {
    record_.x = 0;
    record_.y = 0;
    const std::string plain = "abcd\nefgh";
    const std::pair<std::pair<int, int>, int32_t> plainCases[] = {
        {{-5, 3}, 0}, {{0, 3}, 0},  {{7, 3}, 1},   {{13, 3}, 2},  {{23, 3}, 4},
        {{7, 15}, 6}, {{0, 15}, 5}, {{100, 3}, 5}, {{100, 15}, 0},
    };
    for (const auto& [point, offset] : plainCases) {
        EXPECT_EQ(Hit(plain, point.first, point.second), offset) << point.first << "," << point.second;
    }
    const std::string chinese = Encode("中文字");
    EXPECT_EQ(Hit(chinese, 3, 3), 0) << "inside the first character";
    EXPECT_EQ(Hit(chinese, 9, 3), 2) << "past its middle";
    EXPECT_EQ(Hit(chinese, 15, 3), 2) << "never inside a character";
    const std::string coded = "\x02\x01\x02\x03" "abcd";
    EXPECT_EQ(Hit(coded, 0, 3), 0) << "the leading code's own offset";
    EXPECT_EQ(Hit(coded, 7, 3), 5) << "counted from the run, not inside the code";
    pictures_.sizes[9] = {24, 12};
    const std::string picture = std::string("ab\x06\x09\x00" "cd", 7);
    EXPECT_EQ(Hit(picture, 20, 3), 2) << "over the picture: its code";
    EXPECT_EQ(Hit(picture, 43, 3), 6);
    EXPECT_EQ(pictures_.drawn.back().colour, 0xFFFFFFFFu);
}

}  // namespace
