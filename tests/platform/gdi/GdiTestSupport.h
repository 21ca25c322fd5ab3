// Shared helpers of the GDI stand-in tests.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>
#include <wingdi.h>

#include <cstring>
#include <string>
#include <vector>

#include "gdi/Control.h"

namespace gdi_test {

// UTF-8 text as bytes of a code page ("GBK", "BIG5"), as the client holds it.
inline std::string Encode(const std::string& utf8, const char* codePage) {
    iconv_t converter = iconv_open(codePage, "UTF-8");
    if (converter == iconv_t(-1)) return {};
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* cursor = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(converter, &in, &inLeft, &cursor, &outLeft);
    iconv_close(converter);
    if (result == size_t(-1)) return {};
    out.resize(out.size() - outLeft);
    return out;
}

inline LOGFONTA Description(const std::string& face, LONG height, LONG weight = FW_NORMAL, LONG width = 0) {
    LOGFONTA description{};
    description.lfHeight = height;
    description.lfWidth = width;
    description.lfWeight = weight;
    description.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(description.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return description;
}

inline MAT2 Identity() {
    MAT2 m{};
    m.eM11.value = 1;
    m.eM22.value = 1;
    return m;
}

struct Glyph {
    DWORD result = 0;
    DWORD sizeQuery = 0;
    GLYPHMETRICS metrics{};
    std::vector<BYTE> bits;
};

// Asks for the size, then fetches the bitmap into a buffer of that size.
inline Glyph FetchGlyph(HDC dc, UINT character, UINT format) {
    Glyph glyph;
    MAT2 identity = Identity();
    glyph.sizeQuery = GetGlyphOutlineW(dc, character, format, &glyph.metrics, 0, nullptr, &identity);
    if (glyph.sizeQuery == GDI_ERROR || glyph.sizeQuery == 0 || format == GGO_METRICS) {
        glyph.result = glyph.sizeQuery;
        return glyph;
    }
    glyph.bits.assign(glyph.sizeQuery, 0xCD);
    glyph.result = GetGlyphOutlineW(dc, character, format, &glyph.metrics, DWORD(glyph.bits.size()),
                                    glyph.bits.data(), &identity);
    return glyph;
}

// A DC with a font selected, released at the end of the test.
class FontDC {
public:
    explicit FontDC(const LOGFONTA& description) {
        font = CreateFontIndirectA(&description);
        dc = GetDC(nullptr);
        if (font) SelectObject(dc, font);
    }
    ~FontDC() {
        ReleaseDC(nullptr, dc);
        if (font) DeleteObject(font);
    }
    TEXTMETRICA Metrics() const {
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(dc, &tm));
        return tm;
    }
    FontDC(const FontDC&) = delete;
    FontDC& operator=(const FontDC&) = delete;

    HFONT font = nullptr;
    HDC dc = nullptr;
};

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { lumiva::gdi::ResetForTests(); }
    void TearDown() override { lumiva::gdi::ResetForTests(); }
};

const char kCjkFont[] = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
const char kLatinFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

}  // namespace gdi_test
