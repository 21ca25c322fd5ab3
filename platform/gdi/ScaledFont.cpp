#include "gdi/ScaledFont.h"

#include <ft2build.h>
#include FT_DRIVER_H
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "gdi/FontFiles.h"
#include "gdi/GlyphBitmap.h"

namespace lumiva::gdi {
namespace {

// Sizes beyond this many pixels are clamped: the platform draws them, but a
// glyph bitmap of a larger em is no use to a game and costs a lot.
const int64_t kMaxPixels = 2048;
const int64_t kDefaultCellPixels = 16;
const FT_Fixed kItalicShear = 0x0366A;  // about 12 degrees

void* Allocate(FT_Memory, long size) { return std::malloc(size_t(size)); }
void Free(FT_Memory, void* block) { std::free(block); }
void* Reallocate(FT_Memory, long, long size, void* block) { return std::realloc(block, size_t(size)); }

// One FreeType library for the process; it outlives every face, so it is
// never torn down. Built by hand rather than by FT_Init_FreeType, which
// would take hinting settings from the environment: the same input must
// give the same bits everywhere.
FT_Library Library() {
    static FT_Library library = [] {
        static FT_MemoryRec_ memory{nullptr, Allocate, Free, Reallocate};
        FT_Library created = nullptr;
        if (FT_New_Library(&memory, &created) != 0) return FT_Library(nullptr);
        FT_Add_Default_Modules(created);
        FT_UInt interpreter = TT_INTERPRETER_VERSION_40;
        FT_Property_Set(created, "truetype", "interpreter-version", &interpreter);
        return created;
    }();
    return library;
}

int64_t RoundDiv(int64_t numerator, int64_t denominator) {
    return (numerator + denominator / 2) / denominator;
}

int64_t CeilDiv(int64_t numerator, int64_t denominator) {
    return (numerator + denominator - 1) / denominator;
}

struct VerticalUnits {
    int64_t ascent, descent, lineGap;
};

// The face's clipping box (the platform's cell), with the leading the
// typographic box asks for beyond it.
VerticalUnits CellUnits(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    int64_t hheaAscent = hhea ? hhea->Ascender : face->ascender;
    int64_t hheaDescent = hhea ? -int64_t(hhea->Descender) : -int64_t(face->descender);
    int64_t gap = hhea ? hhea->Line_Gap : 0;
    VerticalUnits units{hheaAscent, hheaDescent, 0};
    if (os2 && os2->version != 0xFFFF && int64_t(os2->usWinAscent) + os2->usWinDescent > 0)
        units = {os2->usWinAscent, os2->usWinDescent, 0};
    if (units.ascent + units.descent <= 0) units = {face->units_per_EM * 4 / 5, face->units_per_EM / 5, 0};
    units.lineGap = std::max<int64_t>(0, gap - ((units.ascent + units.descent) - (hheaAscent + hheaDescent)));
    return units;
}

int64_t AverageWidthUnits(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0) return os2->xAvgCharWidth;
    return std::max<int64_t>(1, face->units_per_EM / 2);
}

int64_t MaxAdvanceUnits(FT_Face face) {
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    int64_t units = hhea ? hhea->advance_Width_Max : face->max_advance_width;
    return units > 0 ? units : face->units_per_EM;
}

FT_Fixed ToFixed(const FIXED& value) { return FT_Fixed(int32_t(value.value) * 65536 + value.fract); }

bool IsIdentity(const FT_Matrix& m) { return m.xx == 0x10000 && m.yy == 0x10000 && m.xy == 0 && m.yx == 0; }

FT_Matrix ToMatrix(const MAT2& m) {
    // Row vectors: x' = x*M11 + y*M21, y' = x*M12 + y*M22.
    return FT_Matrix{ToFixed(m.eM11), ToFixed(m.eM21), ToFixed(m.eM12), ToFixed(m.eM22)};
}

LONG RoundPixels(FT_Pos value) { return LONG((value + 32) >> 6); }

// Sets a glyph in a half-em cell (ASCII: the only single-byte characters
// of the Chinese code pages) or a whole-em cell: wider glyphs are squeezed,
// narrower ones centred on whole pixels.
void FitToCell(FT_Outline* outline, FT_Vector* advance, FT_Pos emX, bool halfWidth) {
    const FT_Pos cell = halfWidth ? emX / 2 : emX;
    if (advance->x > cell) {
        FT_Matrix squeeze{FT_DivFix(cell, advance->x), 0, 0, 0x10000};
        FT_Outline_Transform(outline, &squeeze);
    } else if (advance->x < cell) {
        FT_Outline_Translate(outline, ((cell - advance->x) / 2) & ~63, 0);
    }
    advance->x = cell;
}

CoverageView ViewOf(const FT_Bitmap& bitmap) {
    const BYTE* top = bitmap.buffer;
    if (bitmap.pitch < 0 && bitmap.rows > 0) top += size_t(bitmap.rows - 1) * size_t(-bitmap.pitch);
    return CoverageView{top, long(bitmap.pitch), bitmap.width, bitmap.rows,
                        bitmap.pixel_mode == FT_PIXEL_MODE_MONO};
}

}  // namespace

// One FreeType face at a fixed size.
class ScaledFace {
public:
    ~ScaledFace() {
        if (face) FT_Done_Face(face);
    }
    static std::unique_ptr<ScaledFace> Open(const std::string& file) {
        FT_Library library = Library();
        if (!library || file.empty()) return nullptr;
        auto opened = std::make_unique<ScaledFace>();
        if (FT_New_Face(library, file.c_str(), 0, &opened->face) != 0) {
            opened->face = nullptr;
            return nullptr;
        }
        if (!FT_IS_SCALABLE(opened->face) || opened->face->units_per_EM == 0) return nullptr;
        return opened;
    }
    bool SetSize(long emX, long emY) { return FT_Set_Char_Size(face, emX, emY, 72, 72) == 0; }

    FT_Face face = nullptr;
};

ScaledFont::~ScaledFont() = default;

std::unique_ptr<ScaledFont> ScaledFont::Create(const LOGFONTA& description) {
    FaceChoice choice = ChooseFace(description);
    std::unique_ptr<ScaledFont> font(new ScaledFont());
    font->file_ = FontFileFor(choice.kind);
    font->face_ = ScaledFace::Open(font->file_);
    if (!font->face_) return nullptr;
    if (font->file_ != FontFileFor(FaceKind::Cjk)) font->fallbackFile_ = FallbackFileFor(FaceKind::Latin);

    FT_Face face = font->face_->face;
    const int64_t unitsPerEm = face->units_per_EM;
    const VerticalUnits cell = CellUnits(face);
    const int64_t cellUnits = cell.ascent + cell.descent;

    // Negative heights name the em, positive ones the whole cell.
    int64_t requested = description.lfHeight;
    int64_t emY, ascent, descent;
    if (requested < 0) {
        int64_t em = std::min(-requested, kMaxPixels);
        emY = em * 64;
        ascent = RoundDiv(cell.ascent * em, unitsPerEm);
        descent = RoundDiv(cell.descent * em, unitsPerEm);
    } else {
        int64_t cellPixels = requested == 0 ? kDefaultCellPixels : std::min(requested, kMaxPixels);
        emY = std::max<int64_t>(64, RoundDiv(cellPixels * 64 * unitsPerEm, cellUnits));
        ascent = RoundDiv(cell.ascent * cellPixels, cellUnits);
        descent = cellPixels - ascent;
    }

    const int64_t averageUnits = AverageWidthUnits(face);
    int64_t width = std::min<int64_t>(std::llabs(int64_t(description.lfWidth)), kMaxPixels);
    int64_t emX = width ? std::clamp<int64_t>(RoundDiv(width * unitsPerEm * 64, averageUnits), 64, kMaxPixels * 64)
                        : emY;
    font->emX_ = long(emX);
    font->emY_ = long(emY);
    if (!font->face_->SetSize(font->emX_, font->emY_)) return nullptr;

    int64_t boldPixels = 0;
    if (description.lfWeight >= FW_SEMIBOLD) {
        font->boldStrength_ = long(std::max<int64_t>(64, emY / 24));
        boldPixels = (font->boldStrength_ + 32) / 64;
    }
    font->italic_ = description.lfItalic != 0;
    font->halfWidthCells_ = choice.halfWidthCells;

    TEXTMETRICA& tm = font->metrics_;
    tm.tmAscent = LONG(ascent);
    tm.tmDescent = LONG(descent);
    tm.tmHeight = LONG(ascent + descent);
    tm.tmInternalLeading = LONG(std::max<int64_t>(0, ascent + descent - RoundDiv(emY, 64)));
    tm.tmExternalLeading = LONG(RoundDiv(cell.lineGap * emY, unitsPerEm * 64));
    const int64_t averagePixels = choice.halfWidthCells ? RoundDiv(emX / 2, 64)
                                                        : RoundDiv(averageUnits * emX, unitsPerEm * 64);
    const int64_t maxPixels = choice.halfWidthCells ? CeilDiv(emX, 64)
                                                    : CeilDiv(MaxAdvanceUnits(face) * emX, unitsPerEm * 64);
    tm.tmAveCharWidth = LONG((width ? width : averagePixels) + boldPixels);
    tm.tmMaxCharWidth = LONG(maxPixels + boldPixels);
    tm.tmWeight = description.lfWeight == FW_DONTCARE ? FW_NORMAL : description.lfWeight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x1E;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = description.lfItalic ? 0xFF : 0;
    tm.tmUnderlined = description.lfUnderline ? 0xFF : 0;
    tm.tmStruckOut = description.lfStrikeOut ? 0xFF : 0;
    tm.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE | (FT_IS_FIXED_WIDTH(face) || choice.halfWidthCells ? 0 : TMPF_FIXED_PITCH) |
                          (choice.kind == FaceKind::Latin ? FF_SWISS : FF_DONTCARE);
    tm.tmCharSet = choice.charSet;
    return font;
}

std::string ScaledFont::FamilyName() const {
    const char* name = face_->face->family_name;
    return name ? name : "";
}

// A Latin face borrows the CJK face's glyphs for characters it lacks, so a
// Chinese character never comes out as an empty box while a CJK font exists.
ScaledFace* ScaledFont::FaceFor(UINT character, bool byIndex, unsigned* index) {
    if (byIndex) {
        *index = character;
        return face_.get();
    }
    *index = FT_Get_Char_Index(face_->face, character);
    if (*index != 0 || fallbackFile_.empty()) return face_.get();
    if (!fallbackTried_) {
        fallbackTried_ = true;
        fallback_ = ScaledFace::Open(fallbackFile_);
        if (fallback_ && !fallback_->SetSize(emX_, emY_)) fallback_.reset();
    }
    if (fallback_) {
        unsigned borrowed = FT_Get_Char_Index(fallback_->face, character);
        if (borrowed != 0) {
            *index = borrowed;
            return fallback_.get();
        }
    }
    return face_.get();  // its .notdef box
}

DWORD ScaledFont::GlyphOutline(UINT character, UINT format, GLYPHMETRICS* glyph, DWORD bufferSize, void* buffer,
                               const MAT2& matrix) {
    const UINT layout = format & ~UINT(GGO_GLYPH_INDEX | GGO_UNHINTED);
    if (layout != GGO_METRICS && !IsBitmapLayout(layout)) return GDI_ERROR;
    const bool mono = layout == GGO_BITMAP;

    unsigned index = 0;
    ScaledFace* source = FaceFor(character, (format & GGO_GLYPH_INDEX) != 0, &index);
    FT_Face face = source->face;
    if (index >= FT_UInt(face->num_glyphs)) return GDI_ERROR;
    FT_Int32 flags = FT_LOAD_NO_BITMAP;
    if (format & GGO_UNHINTED)
        flags |= FT_LOAD_NO_HINTING;
    else
        flags |= mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
    if (FT_Load_Glyph(face, index, flags) != 0) return GDI_ERROR;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return GDI_ERROR;

    FT_Vector advance{slot->advance.x, slot->advance.y};
    if (halfWidthCells_) {
        const bool byIndex = (format & GGO_GLYPH_INDEX) != 0;
        const bool halfWidth = byIndex ? advance.x * 4 <= emX_ * 3 : character < 0x80;
        FitToCell(&slot->outline, &advance, emX_, halfWidth);
    }
    if (boldStrength_) {
        // Widen to the right only, keeping the left bearing, and give the
        // advance the whole pixels the stroke grew by.
        FT_Outline_EmboldenXY(&slot->outline, boldStrength_, 0);
        FT_Outline_Translate(&slot->outline, boldStrength_ / 2, 0);
        advance.x += (boldStrength_ + 32) & ~63;
    }
    if (italic_) {
        FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
    }
    FT_Matrix transform = ToMatrix(matrix);
    if (!IsIdentity(transform)) {
        FT_Outline_Transform(&slot->outline, &transform);
        FT_Vector_Transform(&advance, &transform);
    }
    // An outline without contours (a space) has no black box; the mono
    // renderer would still hand back one empty pixel.
    const bool noOutline = slot->outline.n_contours == 0;
    if (!noOutline && FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return GDI_ERROR;
    const FT_Bitmap& bitmap = slot->bitmap;
    const bool blank = noOutline || bitmap.width == 0 || bitmap.rows == 0;
    if (!blank && bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return GDI_ERROR;

    GLYPHMETRICS metrics{};
    metrics.gmBlackBoxX = blank ? 1 : bitmap.width;
    metrics.gmBlackBoxY = blank ? 1 : bitmap.rows;
    metrics.gmptGlyphOrigin.x = blank ? 0 : slot->bitmap_left;
    metrics.gmptGlyphOrigin.y = blank ? 0 : slot->bitmap_top;
    metrics.gmCellIncX = short(RoundPixels(advance.x));
    metrics.gmCellIncY = short(RoundPixels(advance.y));
    *glyph = metrics;

    if (layout == GGO_METRICS) return 1;
    if (blank) return 0;
    const DWORD needed = GlyphBitmapSize(layout, bitmap.width, bitmap.rows);
    if (!buffer || bufferSize == 0) return needed;
    if (bufferSize < needed) return GDI_ERROR;
    PackGlyphBitmap(ViewOf(bitmap), layout, static_cast<BYTE*>(buffer));
    return needed;
}

}  // namespace lumiva::gdi
