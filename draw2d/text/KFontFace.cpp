#include "draw2d/text/KFontFace.h"

#include <wingdi.h>

#include <algorithm>
#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/HostGlobals.h"
#include "lumiva/basrel/KPakFile.h"

namespace {

constexpr uint32_t kAsfHeaderBytes = 16;

// GetGlyphOutlineW asks for these once per call; one copy serves every face.
const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Character-set face names, as bytes in their own code page.
const char kBig5FaceName[] = "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9";
const char kGbkFaceName[] = "\xBA\xDA\xCC\xE5";

// A gray level outside 1..64 would make every pixel of the black box full.
int UsableGrayLevel(int grayLevel) { return (grayLevel < 1 || grayLevel > 64) ? 64 : grayLevel; }

}  // namespace

int AsfGlyphIndex(uint16_t code) {
    const int lead = code & 0xFF;
    const int trail = code >> 8;
    if (lead < 0x81 || lead > 0xFE) return -1;
    if (trail < 0x40 || trail > 0xFE || trail == 0x7F) return -1;
    return (lead - 0x81) * kAsfGlyphsPerRow + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
}

KFontFace::~KFontFace() { Release(); }

void KFontFace::Release() {
    m_offsets.clear();
    m_offsets.shrink_to_fit();
    m_glyphBytes.clear();
    m_glyphBytes.shrink_to_fit();
    m_outline.clear();
    m_glyphByteCount = 0;
    m_glyphCount = 0;
    if (m_hAsciiFont) DeleteObject(m_hAsciiFont);
    if (m_hFont) DeleteObject(m_hFont);
    m_hAsciiFont = nullptr;
    m_hFont = nullptr;
}

void KFontFace::GetCellSize(int* width, int* height) const {
    if (width) *width = m_cellWidth;
    if (height) *height = m_cellHeight;
}

bool KFontFace::LoadAsfFont(const char* fileName) {
    Release();
    m_cellWidth = m_cellHeight = 0;
    if (!fileName) return false;
    KPakFile file;
    if (!file.Open(fileName)) {
        g_DebugLog("Font file %s cannot be opened", fileName);
        return false;
    }
    uint8_t header[kAsfHeaderBytes];
    if (file.Read(header, kAsfHeaderBytes) != kAsfHeaderBytes || ReadU32(header) != kAsfMagic) {
        g_DebugLog("Font file %s has no font header", fileName);
        return false;
    }
    const uint32_t dataSize = ReadU32(header + 4);
    const uint32_t count = ReadU32(header + 8);
    const int cellWidth = ReadU16(header + 12);
    const int cellHeight = ReadU16(header + 14);
    const uint64_t needed = uint64_t(kAsfHeaderBytes) + uint64_t(count) * 4 + dataSize;
    if (dataSize == 0 || count == 0 || cellWidth == 0 || cellHeight == 0 || needed > file.Size()) {
        g_DebugLog("Font file %s: bad header (data %u, glyphs %u, cell %dx%d, file %u bytes)", fileName, dataSize,
                   count, cellWidth, cellHeight, file.Size());
        return false;
    }
    std::vector<uint8_t> offsetBytes(size_t(count) * 4);
    m_glyphBytes.assign(dataSize, 0);
    if (file.Read(offsetBytes.data(), uint32_t(offsetBytes.size())) != offsetBytes.size() ||
        file.Read(m_glyphBytes.data(), dataSize) != dataSize) {
        g_DebugLog("Font file %s reads short", fileName);
        Release();
        return false;
    }
    m_offsets.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        m_offsets[i] = ReadU32(offsetBytes.data() + size_t(i) * 4);
        if (m_offsets[i] >= dataSize) {
            g_DebugLog("Font file %s: glyph %u starts at %u, past the %u bytes of glyph data", fileName, i,
                       m_offsets[i], dataSize);
            Release();
            return false;
        }
    }
    m_glyphByteCount = dataSize;
    m_glyphCount = count;
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    return true;
}

bool KFontFace::CreateGdiFonts(const LOGFONTA* description, int grayLevel, uint8_t mono) {
    Release();
    m_cellWidth = m_cellHeight = 0;
    if (!description) return false;
    m_grayLevel = UsableGrayLevel(grayLevel);
    m_mono = mono;
    LOGFONTA request = *description;
    if (!mono) request.lfWeight = FW_SEMIBOLD;
    m_hFont = CreateFontIndirectA(&request);
    if (!m_hFont) return false;
    const char* charsetFace = g_iCharacterSet == 1 ? kBig5FaceName : kGbkFaceName;
    std::memset(request.lfFaceName, 0, sizeof request.lfFaceName);
    std::memcpy(request.lfFaceName, charsetFace, std::strlen(charsetFace));
    m_hAsciiFont = CreateFontIndirectA(&request);
    if (!m_hAsciiFont) {
        Release();
        return false;
    }
    HWND window = g_GetMainHWnd();
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, m_hFont);
    TEXTMETRICA metrics{};
    const BOOL measured = GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    if (!measured) {
        Release();
        return false;
    }
    m_cellWidth = metrics.tmMaxCharWidth + 2;
    m_cellHeight = metrics.tmHeight + 2;
    m_glyphBytes.assign(size_t(m_cellWidth) * size_t(m_cellHeight), 0);
    m_glyphByteCount = uint32_t(m_glyphBytes.size());
    return true;
}

const uint8_t* KFontFace::GetGlyph(uint16_t code, uint8_t* isGdi, uint32_t* runBytes) {
    if (m_hFont || m_hAsciiFont) {
        if (isGdi) *isGdi = 1;
        return GetGdiGlyph(code);
    }
    const int index = AsfGlyphIndex(code);
    if (index < 0 || uint32_t(index) >= m_glyphCount) return nullptr;
    if (isGdi) *isGdi = 0;
    const uint32_t offset = m_offsets[size_t(index)];
    if (runBytes) *runBytes = m_glyphByteCount - offset;
    return m_glyphBytes.data() + offset;
}

const uint8_t* KFontFace::GetGdiGlyph(uint16_t code) {
    if (!m_hFont || !m_hAsciiFont || m_glyphBytes.empty()) return nullptr;
    const bool ascii = code < 128;
    const UINT format = m_mono ? GGO_BITMAP : GGO_GRAY8_BITMAP;
    HFONT font = (m_mono || !ascii) ? m_hFont : m_hAsciiFont;
    HWND window = g_GetMainHWnd();
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    GLYPHMETRICS glyph{};
    std::fill(m_glyphBytes.begin(), m_glyphBytes.end(), 0);
    const DWORD size = GetGlyphOutlineW(dc, code, format, &glyph, 0, nullptr, &kIdentity);
    if (size != 0 && size != GDI_ERROR) {
        m_outline.assign(size, 0);
        if (GetGlyphOutlineW(dc, code, format, &glyph, size, m_outline.data(), &kIdentity) != GDI_ERROR) {
            PlaceGlyphBitmap(metrics, glyph, format, ascii);
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return m_glyphBytes.data();
}

// Copies the black box into the cell-sized coverage bitmap; what falls
// outside the cell is dropped rather than written into the next row.
void KFontFace::PlaceGlyphBitmap(const TEXTMETRICA& metrics, const GLYPHMETRICS& glyph, UINT format, bool ascii) {
    const int width = int(glyph.gmBlackBoxX);
    const int height = int(glyph.gmBlackBoxY);
    const size_t rowBytes = format == GGO_BITMAP ? ((size_t(width) + 7) / 8 + 3) & ~size_t(3)
                                                 : (size_t(width) + 3) & ~size_t(3);
    const int left = glyph.gmptGlyphOrigin.x;
    const int top = metrics.tmAscent - glyph.gmptGlyphOrigin.y;
    const int fullLevel = ascii ? 64 : m_grayLevel;
    for (int row = 0; row < height; ++row) {
        const int y = top + row;
        if (y < 0 || y >= m_cellHeight) continue;
        if (rowBytes * size_t(row + 1) > m_outline.size()) break;
        const uint8_t* source = m_outline.data() + rowBytes * size_t(row);
        for (int column = 0; column < width; ++column) {
            const int x = left + column;
            if (x < 0 || x >= m_cellWidth) continue;
            uint8_t coverage = 0;
            if (format == GGO_BITMAP) {
                coverage = (source[column / 8] & (0x80 >> (column % 8))) ? 255 : 0;
            } else {
                const int level = source[column];
                coverage = level >= fullLevel ? 255 : uint8_t(level * 255 / fullLevel);
            }
            m_glyphBytes[size_t(y) * size_t(m_cellWidth) + size_t(x)] = coverage;
        }
    }
}
