#include <windows.h>

#include <string>

#include "HostGlobals.h"
#include "Win32TestFixture.h"

namespace {

using TextTest = Win32Test;

struct CharacterSetGuard {
    explicit CharacterSetGuard(int set) : saved(g_iCharacterSet) { g_iCharacterSet = set; }
    ~CharacterSetGuard() { g_iCharacterSet = saved; }
    int saved;
};

std::wstring Convert(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    if (n > 0) {
        EXPECT_EQ(MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), out.data(), n), n);
    }
    return out;
}

struct KnownText {
    const char* name;
    UINT codePage;
    int characterSet;  // for CP_ACP
    std::string bytes;
    std::wstring expected;
};

const KnownText kKnown[] = {
    {"GBK by number", 936, 1, "\xD6\xD0\xCE\xC4\xB8\xF6", L"\u4E2D\u6587\u4E2A"},
    {"GBK as ACP", CP_ACP, 0, "A\xD6\xD0" "b", L"A\u4E2Db"},
    {"Big5 by number", 950, 0, "\xA4\xA4\xA4\xE5\xAD\xD3", L"\u4E2D\u6587\u500B"},
    {"Big5 as ACP", CP_ACP, 1, "\xA7\x41 z", L"\u4F60 z"},
    {"UTF-8", CP_UTF8, 0, "\xE4\xB8\xAD\xF0\x9F\x98\x80", L"\u4E2D\U0001F600"},
    {"1252", 1252, 0, "\x80\xE9", L"\u20AC\u00E9"},
};

TEST_F(TextTest, KnownCharactersConvert) {
    for (const KnownText& k : kKnown) {
        CharacterSetGuard set(k.characterSet);
        EXPECT_EQ(Convert(k.codePage, k.bytes), k.expected) << k.name;
    }
}

TEST_F(TextTest, MinusOneMeansNulTerminatedAndCountsTheNul) {
    CharacterSetGuard set(0);
    const char* text = "\xD6\xD0x";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 3);
    wchar_t out[3] = {1, 1, 1};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, out, 3), 3);
    EXPECT_EQ(out[0], L'\u4E2D');
    EXPECT_EQ(out[1], L'x');
    EXPECT_EQ(out[2], L'\0');
}

TEST_F(TextTest, TooSmallABufferFails) {
    wchar_t out[2];
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", 3, out, 2), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(TextTest, BadArgumentsFail) {
    wchar_t out[4];
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", 0, out, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", -2, out, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, nullptr, 3, out, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", 3, out, -1), 0);
    EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", 3, out, 4), 0) << "unsupported code page";
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(TextTest, UnmappableBytesBecomeReplacementsUnlessStrict) {
    // A lead byte cut short at the end of the input.
    EXPECT_EQ(Convert(936, "a\xD6"), L"a?");
    EXPECT_EQ(Convert(CP_UTF8, "a\xFF" "b"), L"a\uFFFD" L"b");
    EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\xD6", 2, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(TextTest, LongTextConvertsWhole) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += "\xD6\xD0";
    std::wstring wide = Convert(936, bytes);
    ASSERT_EQ(wide.size(), 3000u);
    EXPECT_EQ(wide.back(), L'\u4E2D');
}

}  // namespace
