#include "KStringMap.h"

#include <string_view>
#include <vector>

#include "DataRoot.h"
#include "DebugLog.h"
#include "KPakFile.h"
#include "PlainText.h"
#include "TextNumbers.h"

KStringMap g_cStringMap;

namespace {

constexpr uint32_t kLargestTableFile = 4u << 20;

struct BuiltInText {
    int number;
    const char* text;
};

// Wording is ours; the numbers are the ones the module asks for.
const BuiltInText kBuiltInTexts[] = {
    {1, "This video card only takes textures whose sides are powers of two; some pictures may look coarse."},
    {2, "There is not enough video memory to create the drawing device. Close other programs or choose a smaller screen."},
    {3, "The drawing device could not be created."},
    {5, "The desktop must use 16 or 32 bits per pixel."},
    {6, "On this 32-bit desktop, drawing targets fall back to R5G6B5 textures; some effects lose their transparency."},
    {7, "On this 32-bit desktop, drawing targets fall back to X8R8G8B8 textures; some effects lose their transparency."},
    {8, "On this 32-bit desktop, the video card offers no texture format to draw into."},
    {9, "On this 32-bit desktop, the video card offers no texture format for pictures."},
    {10, "On this 16-bit desktop, drawing targets fall back to R5G6B5 textures; some effects lose their transparency."},
    {11, "On this 16-bit desktop, drawing targets fall back to X8R8G8B8 textures; some effects lose their transparency."},
    {12, "On this 16-bit desktop, the video card offers no texture format to draw into."},
    {13, "On this 16-bit desktop, the video card offers no texture format for pictures."},
    {14, "The video settings file Logs\\Configure.ini could not be saved."},
    {15, "The video settings file Logs\\Configure.ini lacks a setting. Delete it to have it written again."},
    {16, "Fatal error"},
    {17, "The drawing device is missing; the program has to close."},
    {25, "No usable drawing device was found."},
    {26, "No display mode fits the chosen screen size."},
    {27, "The drawing device could not be created."},
    {28, "Font table: no free entry for this font id.\n"},
    {29, "Font table: no loaded font has the shared id.\n"},
    {30, "Font table: the font could not be made.\n"},
    {31, "Font table: cannot create the font face "},
    {32, "Texture memory used: %d.%03d MB"},
    {33, "There is not enough video memory for the screen picture."},
    {34, "A ribbon needs a texture name and at least one segment."},
    {35, "Ribbon"},
    {44, "Lumiva"},
    {48, "Scene pictures need the X8R8G8B8 or R5G6B5 texture format; the program has to close."},
};

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case '\\': out += '\\'; break;
            default: return false;
        }
    }
    return true;
}

// Parses the whole file before anything changes; false names the bad line.
bool ParseTable(std::string_view text, std::map<int, std::string>& texts, int& badLine) {
    int lineNumber = 0;
    while (!text.empty()) {
        std::string_view line = basrel::TakeLine(text);
        ++lineNumber;
        if (basrel::TrimBlanks(line).empty() || basrel::TrimBlanks(line).front() == ';') continue;
        size_t equals = line.find('=');
        int number = -1;
        std::string unescaped;
        if (equals == std::string_view::npos || !basrel::ParseInteger32(line.substr(0, equals), number) ||
            number < 0 || !Unescape(line.substr(equals + 1), unescaped) || unescaped.find('\0') != std::string::npos) {
            badLine = lineNumber;
            return false;
        }
        texts.emplace(number, std::move(unescaped));
    }
    return true;
}

}  // namespace

const char* KStringMap::Keep(std::string text) {
    m_texts.push_back(std::move(text));
    return m_texts.back().c_str();
}

void KStringMap::EnsureLoaded() {
    if (m_loaded) return;
    m_loaded = true;
    for (const BuiltInText& builtIn : kBuiltInTexts) m_table[builtIn.number] = builtIn.text;
    if (g_FileExists(BASREL_STRING_TABLE_FILE)) Load(BASREL_STRING_TABLE_FILE);
}

const char* KStringMap::GetString(int n) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    EnsureLoaded();
    auto it = m_table.find(n);
    return it == m_table.end() ? "" : it->second;
}

int KStringMap::Load(const char* fileName) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    EnsureLoaded();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, kLargestTableFile, bytes)) return 0;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::map<int, std::string> texts;
    int badLine = 0;
    if (!ParseTable(text, texts, badLine)) {
        g_DebugLog("[Basrel]KStringMap: %s line %d is not number=text", fileName, badLine);
        return 0;
    }
    for (auto& [number, value] : texts) m_table[number] = Keep(std::move(value));
    return 1;
}

void KStringMap::ResetForTests() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_loaded = false;
    m_table.clear();
    m_texts.clear();
}
