#include <iconv.h>

#include <set>
#include <string>

#include "CoreTestSupport.h"
#include "HostGlobals.h"
#include "LineBreak.h"

namespace basrel_core_test {
namespace {

// Converts with the C library's iconv, independently of the rule tables.
bool Convert(const char* from, const char* to, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return false;
    char buffer[64];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (result == size_t(-1) || srcLeft != 0) return false;
    out.assign(buffer, sizeof buffer - dstLeft);
    return true;
}

// The closing punctuation of the rule set, as UTF-8.
const char* const kClosers[] = {"、", "。", "，", "．", "：", "；", "？", "！", "）", "］", "｝",
                                "〉", "》", "」", "』", "】", "〕", "〗", "’", "”", "…", "‥",
                                "％", "﹐", "﹑", "﹒", "﹔", "﹕", "﹖", "﹗", "﹚", "﹜", "﹞"};
// Opening and ordinary characters that may start a line.
const char* const kStarters[] = {"（", "《", "「", "『", "【", "“", "‘", "中", "文", "Ａ", "１", "　"};

struct CodePage {
    int characterSet;
    const char* iconvName;
};
const CodePage kCodePages[] = {{0, "GBK"}, {1, "BIG5"}};

class LineBreakTest : public DataRootTest {};

TEST_F(LineBreakTest, AsciiClosersMayNotStartALine) {
    for (int set : {0, 1}) {
        g_iCharacterSet = set;
        for (char c : std::string("!),.:;?]}")) {
            char text[2] = {c, 0};
            EXPECT_TRUE(TIsCharacterNotAlowAtLineHead(text)) << c;
        }
        for (char c : std::string("([{\"'aZ09 -%")) {
            char text[2] = {c, 0};
            EXPECT_FALSE(TIsCharacterNotAlowAtLineHead(text)) << c;
        }
    }
    EXPECT_FALSE(TIsCharacterNotAlowAtLineHead(nullptr));
    EXPECT_FALSE(TIsCharacterNotAlowAtLineHead(""));
    EXPECT_FALSE(TIsCharacterNotAlowAtLineHead("\xA1"));  // a lead byte alone
}

TEST_F(LineBreakTest, FullWidthClosersFollowTheCharacterSet) {
    for (const CodePage& page : kCodePages) {
        g_iCharacterSet = page.characterSet;
        for (const char* closer : kClosers) {
            std::string bytes;
            if (!Convert("UTF-8", page.iconvName, closer, bytes)) continue;  // not in this code page
            EXPECT_TRUE(TIsCharacterNotAlowAtLineHead(bytes.c_str())) << page.iconvName << " " << closer;
        }
        for (const char* starter : kStarters) {
            std::string bytes;
            ASSERT_TRUE(Convert("UTF-8", page.iconvName, starter, bytes)) << starter;
            EXPECT_FALSE(TIsCharacterNotAlowAtLineHead(bytes.c_str())) << page.iconvName << " " << starter;
        }
    }
}

TEST_F(LineBreakTest, NoOtherDoubleByteCharacterIsRejected) {
    std::set<std::string> closers(std::begin(kClosers), std::end(kClosers));
    for (const CodePage& page : kCodePages) {
        g_iCharacterSet = page.characterSet;
        int rejected = 0;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                char text[3] = {char(lead), char(trail), 0};
                if (!TIsCharacterNotAlowAtLineHead(text)) continue;
                ++rejected;
                std::string utf8;
                ASSERT_TRUE(Convert(page.iconvName, "UTF-8", std::string(text, 2), utf8))
                    << page.iconvName << " " << std::hex << lead << trail;
                EXPECT_TRUE(closers.count(utf8)) << page.iconvName << " " << utf8;
            }
        }
        EXPECT_EQ(rejected, page.characterSet == 0 ? 33 : 31) << page.iconvName;
    }
}

TEST_F(LineBreakTest, SameBytesDifferByCodePage) {
    // The same two bytes mean different things in the two code pages.
    g_iCharacterSet = 0;
    EXPECT_TRUE(TIsCharacterNotAlowAtLineHead("\xA3\xAC"));  // GBK full-width comma
    g_iCharacterSet = 1;
    EXPECT_FALSE(TIsCharacterNotAlowAtLineHead("\xA3\xAC"));
    EXPECT_TRUE(TIsCharacterNotAlowAtLineHead("\xA1\x41"));  // Big5 full-width comma
}

TEST_F(LineBreakTest, SecondVisibleCharacterOfTheLine) {
    struct Case {
        const char* name;
        std::string text;
        int position;
        int expected;  // byte offset of the result, -1 for null
    };
    const Case cases[] = {
        {"two single bytes", "ab", 0, 1},
        {"from the middle", "abcd", 1, 2},
        {"double-byte first", "\xD6\xD0\xCE\xC4", 0, 2},
        {"spaces skipped", "a  b", 0, 3},
        {"ideographic space skipped", "a\xA1\xA1" "b", 0, 3},
        {"colour code skipped whole", std::string("a\x02,,,b", 6), 0, 5},
        {"picture code skipped whole", std::string("a\x06,,b", 5), 0, 4},
        {"one-byte code", std::string("a\x03" "b", 3), 0, 2},
        {"newline ends the line", "a\nb", 0, -1},
        {"text ends first", "a", 0, -1},
        {"only spaces after", "a   ", 0, -1},
        {"lead byte at the end", "a\xD6", 0, -1},
        {"position at the end", "ab", 2, -1},
        {"negative position", "ab", -1, -1},
    };
    g_iCharacterSet = 0;
    for (const Case& c : cases) {
        const char* result = TGetSecondVisibleCharacterThisLine(c.text.c_str(), c.position, int(c.text.size()));
        int offset = result ? int(result - c.text.c_str()) : -1;
        EXPECT_EQ(offset, c.expected) << c.name;
    }
    EXPECT_EQ(TGetSecondVisibleCharacterThisLine(nullptr, 0, 4), nullptr);
    // The length bounds the walk even when the text goes on.
    EXPECT_EQ(TGetSecondVisibleCharacterThisLine("abc", 0, 1), nullptr);
    // A code cut by the length ends the walk.
    EXPECT_EQ(TGetSecondVisibleCharacterThisLine("a\x02xyz", 0, 3), nullptr);
}

TEST_F(LineBreakTest, LayoutKeepsAClosingCommaWithItsCharacter) {
    // "中文，" in GBK: asked after the first character, the second visible
    // character from there is the comma, which may not start a line.
    g_iCharacterSet = 0;
    std::string text;
    ASSERT_TRUE(Convert("UTF-8", "GBK", "中文，好", text));
    const char* second = TGetSecondVisibleCharacterThisLine(text.c_str(), 2, int(text.size()));
    ASSERT_EQ(second, text.c_str() + 4);
    EXPECT_TRUE(TIsCharacterNotAlowAtLineHead(second));
    g_iCharacterSet = 1;
    ASSERT_TRUE(Convert("UTF-8", "BIG5", "中文，好", text));
    second = TGetSecondVisibleCharacterThisLine(text.c_str(), 2, int(text.size()));
    ASSERT_EQ(second, text.c_str() + 4);
    EXPECT_TRUE(TIsCharacterNotAlowAtLineHead(second));
}

}  // namespace
}  // namespace basrel_core_test
