// Which font file serves a logical font. Face names arrive as bytes in the
// client's code page (GBK or Big5); Chinese faces map to one CJK font and
// everything else to one Latin font.
#pragma once

#include <wingdi.h>

#include <string>

namespace lumiva::gdi {

enum class FaceKind { Latin, Cjk };

struct FaceChoice {
    FaceKind kind;
    BYTE charSet;  // the character set the font reports (DEFAULT resolved)
    // The Chinese system faces are set in cells: a single-byte character
    // takes half an em, a double-byte one a whole em. Clients lay text out
    // by those columns, so a substitute face must keep to them.
    bool halfWidthCells = false;
};

FaceChoice ChooseFace(const LOGFONTA& description);

// The file for a kind, or the other kind's file when that one is missing;
// empty when no font file can be found at all.
std::string FontFileFor(FaceKind kind);

// The file a Latin face falls back to for characters it lacks; may be empty.
std::string FallbackFileFor(FaceKind kind);

// Tests: fixed paths instead of the system's (empty = missing, no search).
void SetFontFiles(const std::string& cjkPath, const std::string& latinPath);
void RestoreSystemFontFiles();

}  // namespace lumiva::gdi
