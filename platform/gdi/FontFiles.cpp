#include "gdi/FontFiles.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <strings.h>

namespace lumiva::gdi {
namespace {

const char kCjkFile[] = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
const char kLatinFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char kFontRoot[] = "/usr/share/fonts";

// Chinese face names the client spells in Big5; every other non-ASCII name
// is taken as GBK.
const char* const kBig5Names[] = {
    "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9",              // 新細明體
    "\xB2\xD3\xA9\xFA\xC5\xE9",                      // 細明體
    "\xBC\xD0\xB7\xA2\xC5\xE9",                      // 標楷體
    "\xB7\x4C\xB3\x6E\xA5\xBF\xB6\xC2\xC5\xE9",      // 微軟正黑體
};

// The Chinese faces whose Latin letters are proportional rather than set
// in half-em cells.
const char* const kProportionalCjkNames[] = {
    "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9",              // 新細明體
    "\xB7\x4C\xB3\x6E\xA5\xBF\xB6\xC2\xC5\xE9",      // 微軟正黑體
    "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA",              // 微软雅黑
    "PMingLiU", "Microsoft YaHei", "Microsoft JhengHei", "WenQuanYi Micro Hei",
};

struct LatinAlias {
    const char* name;
    BYTE charSet;
};
// Latin spellings of the Chinese system faces.
const LatinAlias kCjkLatinNames[] = {
    {"SimHei", GB2312_CHARSET},           {"SimSun", GB2312_CHARSET},
    {"NSimSun", GB2312_CHARSET},          {"KaiTi", GB2312_CHARSET},
    {"FangSong", GB2312_CHARSET},         {"Microsoft YaHei", GB2312_CHARSET},
    {"MingLiU", CHINESEBIG5_CHARSET},     {"PMingLiU", CHINESEBIG5_CHARSET},
    {"DFKai-SB", CHINESEBIG5_CHARSET},    {"Microsoft JhengHei", CHINESEBIG5_CHARSET},
    {"WenQuanYi Micro Hei", GB2312_CHARSET},
};

bool IsCjkCharSet(BYTE charSet) {
    return charSet == SHIFTJIS_CHARSET || charSet == HANGUL_CHARSET || charSet == JOHAB_CHARSET ||
           charSet == GB2312_CHARSET || charSet == CHINESEBIG5_CHARSET;
}

// The face name up to its terminator, never past the field.
std::string FaceName(const LOGFONTA& description) {
    return std::string(description.lfFaceName, strnlen(description.lfFaceName, LF_FACESIZE));
}

bool HasHighBytes(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

struct FileTable {
    std::mutex lock;
    bool fixed = false;  // tests gave the paths: no search
    std::string cjk, latin;
    std::optional<std::string> foundCjk, foundLatin;
};

FileTable& Files() {
    static FileTable* table = new FileTable;  // outlives static destructors
    return *table;
}

bool IsFontFile(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    return strcasecmp(ext.c_str(), ".ttf") == 0 || strcasecmp(ext.c_str(), ".ttc") == 0 ||
           strcasecmp(ext.c_str(), ".otf") == 0;
}

// Walks the system font folder for a file of this name, else (when
// `anyFont`) for the first font file in name order, so the pick is stable.
std::string SearchFontRoot(const char* fileName, bool anyFont) {
    std::error_code error;
    std::string firstFont;
    std::filesystem::recursive_directory_iterator it(kFontRoot, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::filesystem::path& path = it->path();
        if (path.filename() == fileName) return path.string();
        if (anyFont && IsFontFile(path) && (firstFont.empty() || path.string() < firstFont))
            firstFont = path.string();
    }
    return firstFont;
}

std::string Locate(const char* standardPath, bool anyFont) {
    std::error_code error;
    if (std::filesystem::is_regular_file(standardPath, error)) return standardPath;
    return SearchFontRoot(std::filesystem::path(standardPath).filename().c_str(), anyFont);
}

std::string CjkFile(FileTable& files) {
    if (files.fixed) return files.cjk;
    if (!files.foundCjk) files.foundCjk = Locate(kCjkFile, false);
    return *files.foundCjk;
}

std::string LatinFile(FileTable& files) {
    if (files.fixed) return files.latin;
    if (!files.foundLatin) files.foundLatin = Locate(kLatinFile, true);
    return *files.foundLatin;
}

bool IsProportionalCjk(const std::string& name) {
    for (const char* proportional : kProportionalCjkNames)
        if (strcasecmp(name.c_str(), proportional) == 0) return true;
    return false;
}

FaceChoice ChooseCjkOrLatin(const LOGFONTA& description, const std::string& name) {
    for (const char* big5 : kBig5Names)
        if (name == big5) return {FaceKind::Cjk, CHINESEBIG5_CHARSET};
    for (const LatinAlias& alias : kCjkLatinNames)
        if (strcasecmp(name.c_str(), alias.name) == 0) return {FaceKind::Cjk, alias.charSet};
    BYTE requested = description.lfCharSet;
    bool explicitSet = requested != DEFAULT_CHARSET;
    // A Chinese client's non-ASCII face name is a Chinese face; a CJK
    // character set picks a font that has it whatever the name, as the
    // platform's font mapper does.
    if (HasHighBytes(name)) return {FaceKind::Cjk, explicitSet ? requested : BYTE(GB2312_CHARSET)};
    if (IsCjkCharSet(requested)) return {FaceKind::Cjk, requested};
    return {FaceKind::Latin, explicitSet ? requested : BYTE(ANSI_CHARSET)};
}

}  // namespace

FaceChoice ChooseFace(const LOGFONTA& description) {
    const std::string name = FaceName(description);
    FaceChoice choice = ChooseCjkOrLatin(description, name);
    choice.halfWidthCells = choice.kind == FaceKind::Cjk && !IsProportionalCjk(name);
    return choice;
}

std::string FontFileFor(FaceKind kind) {
    FileTable& files = Files();
    std::lock_guard<std::mutex> hold(files.lock);
    std::string first = kind == FaceKind::Cjk ? CjkFile(files) : LatinFile(files);
    if (!first.empty()) return first;
    return kind == FaceKind::Cjk ? LatinFile(files) : CjkFile(files);
}

std::string FallbackFileFor(FaceKind kind) {
    if (kind == FaceKind::Cjk) return {};
    FileTable& files = Files();
    std::lock_guard<std::mutex> hold(files.lock);
    std::string cjk = CjkFile(files);
    return cjk == LatinFile(files) ? std::string() : cjk;
}

void SetFontFiles(const std::string& cjkPath, const std::string& latinPath) {
    FileTable& files = Files();
    std::lock_guard<std::mutex> hold(files.lock);
    files.fixed = true;
    files.cjk = cjkPath;
    files.latin = latinPath;
}

void RestoreSystemFontFiles() {
    FileTable& files = Files();
    std::lock_guard<std::mutex> hold(files.lock);
    files.fixed = false;
    files.cjk.clear();
    files.latin.clear();
}

}  // namespace lumiva::gdi
