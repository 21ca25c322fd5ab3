#include "KIniFile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "DataRoot.h"
#include "DebugLog.h"
#include "KPakFile.h"
#include "PlainText.h"
#include "TextNumbers.h"

namespace {

// Settings files are small; anything larger is not one of them.
constexpr uint32_t kLargestIniFile = 16u << 20;

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return folded;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

struct Entry {
    std::string key;
    std::string value;
};

struct Section {
    std::string name;
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> index;  // folded key -> entry

    const Entry* Find(const char* key) const {
        auto it = index.find(Folded(key));
        return it == index.end() ? nullptr : &entries[it->second];
    }
    // Keeps the first value of a repeated key.
    void Add(std::string_view key, std::string_view value) {
        if (index.emplace(Folded(key), entries.size()).second) entries.push_back({std::string(key), std::string(value)});
    }
};

}  // namespace

struct KIniFile::Impl {
    std::vector<Section> sections;
    std::unordered_map<std::string, size_t> index;  // folded name -> section

    const Section* FindSection(const char* name) const {
        if (name == nullptr) return nullptr;
        auto it = index.find(Folded(name));
        return it == index.end() ? nullptr : &sections[it->second];
    }
    // Index of the named section, added when absent.
    size_t SectionIndex(std::string_view name) {
        auto [it, added] = index.emplace(Folded(name), sections.size());
        if (added) sections.push_back({std::string(name), {}, {}});
        return it->second;
    }
    const std::string* FindValue(const char* section, const char* key) const {
        if (key == nullptr) return nullptr;
        const Section* found = FindSection(section);
        if (found == nullptr) return nullptr;
        const Entry* entry = found->Find(key);
        return entry ? &entry->value : nullptr;
    }
    bool Parse(std::string_view text, std::string& error);
    std::string Text() const;
};

bool KIniFile::Impl::Parse(std::string_view text, std::string& error) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos) {
        error = "holds a NUL byte";
        return false;
    }
    // An index, not a pointer: adding a section moves the others.
    size_t current = SIZE_MAX;
    int lineNumber = 0;
    while (!text.empty()) {
        std::string_view line = basrel::TakeLine(text);
        ++lineNumber;
        line = basrel::TrimBlanks(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            if (close == std::string_view::npos) {
                error = "line " + std::to_string(lineNumber) + " opens a section without closing it";
                return false;
            }
            current = SectionIndex(basrel::TrimBlanks(line.substr(1, close - 1)));
            continue;
        }
        size_t equals = line.find('=');
        std::string_view key = equals == std::string_view::npos ? std::string_view() : basrel::TrimBlanks(line.substr(0, equals));
        if (key.empty()) {
            error = "line " + std::to_string(lineNumber) + " is not key=value";
            return false;
        }
        if (current == SIZE_MAX) current = SectionIndex("");
        sections[current].Add(key, basrel::TrimBlanks(line.substr(equals + 1)));
    }
    return true;
}

std::string KIniFile::Impl::Text() const {
    std::string text;
    for (const Section& section : sections) {
        if (section.name.empty() && section.entries.empty()) continue;
        if (!section.name.empty() || &section != &sections.front()) {
            if (!text.empty()) text += "\n";
            text += "[" + section.name + "]\n";
        }
        for (const Entry& entry : section.entries) text += entry.key + "=" + entry.value + "\n";
    }
    return text;
}

KIniFile::KIniFile() : m_pImpl(std::make_unique<Impl>()) {}

KIniFile::~KIniFile() = default;

void KIniFile::Clear() {
    m_pImpl->sections.clear();
    m_pImpl->index.clear();
}

int KIniFile::Load(const char* fileName) {
    Clear();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, kLargestIniFile, bytes)) return 0;
    std::string error;
    if (!m_pImpl->Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error)) {
        g_DebugLog("[Basrel]KIniFile: %s %s", fileName, error.c_str());
        Clear();
        return 0;
    }
    return 1;
}

int KIniFile::Save(const char* fileName) {
    std::string hostPath;
    if (!basrel::ResolveForWriting(fileName, hostPath)) {
        g_DebugLog("[Basrel]KIniFile: cannot write %s", fileName ? fileName : "(null)");
        return 0;
    }
    std::string text = m_pImpl->Text();
    std::string temporary = hostPath + ".saving";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0) written = false;
    if (!written || std::rename(temporary.c_str(), hostPath.c_str()) != 0) {
        unlink(temporary.c_str());
        g_DebugLog("[Basrel]KIniFile: writing %s failed", fileName);
        return 0;
    }
    return 1;
}

int KIniFile::IsSectionExist(const char* section) const { return m_pImpl->FindSection(section) ? 1 : 0; }

int KIniFile::GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                        int size) const {
    const std::string* value = m_pImpl->FindValue(section, key);
    // The default may live in the buffer itself.
    basrel::CopyToBuffer(value ? std::string_view(*value) : (defaultValue ? defaultValue : ""), buffer, size);
    return value ? 1 : 0;
}

namespace {

void LogBadValue(const char* section, const char* key, const std::string& value, const char* form) {
    g_DebugLog("[Basrel]KIniFile: [%s] %s=%s is not %s", section, key, value.c_str(), form);
}

// A present value that does not parse is logged; a missing one is not.
template <class Number>
bool ReadLoggedNumber(const std::string* text, const char* section, const char* key,
                      bool (*parse)(std::string_view, Number&), Number defaultValue, Number* value, const char* form) {
    const bool good = basrel::ReadNumber(text, parse, defaultValue, value);
    if (text && !good) LogBadValue(section, key, *text, form);
    return good;
}

bool ReadLoggedIntegers(const std::string* text, const char* section, const char* key, int* parsed, int count,
                        const char* form) {
    if (text == nullptr) return false;
    if (!basrel::ParseIntegerList(*text, parsed, count)) {
        LogBadValue(section, key, *text, form);
        return false;
    }
    return true;
}

}  // namespace

int KIniFile::GetInteger(const char* section, const char* key, int defaultValue, int* value) const {
    return ReadLoggedNumber(m_pImpl->FindValue(section, key), section, key, basrel::ParseInteger32, defaultValue,
                            value, "an integer") ? 1 : 0;
}

int KIniFile::GetFloat(const char* section, const char* key, float defaultValue, float* value) const {
    return ReadLoggedNumber(m_pImpl->FindValue(section, key), section, key, basrel::ParseFloat, defaultValue, value,
                            "a number") ? 1 : 0;
}

int KIniFile::GetInteger2(const char* section, const char* key, int* a, int* b) const {
    int parsed[2];
    if (!ReadLoggedIntegers(m_pImpl->FindValue(section, key), section, key, parsed, 2, "two integers")) return 0;
    if (a) *a = parsed[0];
    if (b) *b = parsed[1];
    return 1;
}

int KIniFile::GetRect(const char* section, const char* key, RECT* rect) const {
    int parsed[4];
    if (!ReadLoggedIntegers(m_pImpl->FindValue(section, key), section, key, parsed, 4, "four integers")) return 0;
    if (rect) {
        rect->left = parsed[0];
        rect->top = parsed[1];
        rect->right = parsed[2];
        rect->bottom = parsed[3];
    }
    return 1;
}

int KIniFile::WriteString(const char* section, const char* key, const char* value) {
    if (section == nullptr || key == nullptr || value == nullptr) return 0;
    std::string_view sectionName = basrel::TrimBlanks(section);
    std::string_view keyName = basrel::TrimBlanks(key);
    std::string_view text = basrel::TrimBlanks(value);
    if (keyName.empty() || keyName.front() == ';' || keyName.front() == '[' ||
        keyName.find('=') != std::string_view::npos || HasLineBreak(keyName) || HasLineBreak(text) ||
        sectionName.find(']') != std::string_view::npos || HasLineBreak(sectionName) ||
        keyName.find('\0') != std::string_view::npos) {
        return 0;
    }
    Section& target = m_pImpl->sections[m_pImpl->SectionIndex(sectionName)];
    auto it = target.index.find(Folded(keyName));
    if (it != target.index.end()) {
        target.entries[it->second].value = std::string(text);
    } else {
        target.Add(keyName, text);
    }
    return 1;
}

int KIniFile::WriteInteger(const char* section, const char* key, int value) {
    return WriteString(section, key, std::to_string(value).c_str());
}

int KIniFile::WriteFloat(const char* section, const char* key, float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return WriteString(section, key, text);
}
