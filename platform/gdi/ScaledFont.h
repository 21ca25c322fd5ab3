// A realised logical font: a FreeType face at the logical font's size,
// width and style, answering the text-metric and glyph-outline calls.
#pragma once

#include <wingdi.h>

#include <memory>
#include <string>

namespace lumiva::gdi {

class ScaledFace;

class ScaledFont {
public:
    // Null when no font file can be opened for the description.
    static std::unique_ptr<ScaledFont> Create(const LOGFONTA& description);
    ~ScaledFont();

    const TEXTMETRICA& Metrics() const { return metrics_; }
    const std::string& File() const { return file_; }
    std::string FamilyName() const;

    // The GetGlyphOutlineW contract: with no buffer the size a bitmap needs;
    // with one, that size after filling it; 0 for a blank glyph's bitmap;
    // GDI_ERROR for a layout not served or a buffer too small.
    DWORD GlyphOutline(UINT character, UINT format, GLYPHMETRICS* glyph, DWORD bufferSize, void* buffer,
                       const MAT2& matrix);

private:
    ScaledFont() = default;
    ScaledFace* FaceFor(UINT character, bool byIndex, unsigned* index);

    std::string file_;
    std::string fallbackFile_;
    bool fallbackTried_ = false;
    std::unique_ptr<ScaledFace> face_;
    std::unique_ptr<ScaledFace> fallback_;  // CJK characters for a Latin face
    long emX_ = 0, emY_ = 0;                // 26.6 pixels
    long boldStrength_ = 0;                 // 26.6 pixels of horizontal emboldening
    bool italic_ = false;
    bool halfWidthCells_ = false;  // see FaceChoice
    TEXTMETRICA metrics_{};
};

}  // namespace lumiva::gdi
