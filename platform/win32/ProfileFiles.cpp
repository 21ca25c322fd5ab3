// WritePrivateProfileStringA and DeleteFileA on host paths. A backslash in
// a name is a folder separator.
#include <unistd.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::string HostPath(const char* name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string Trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// A file's lines without their line breaks, and which break it uses.
struct IniText {
    std::vector<std::string> lines;
    std::string newline = "\r\n";  // the platform writes CR LF
};

bool ReadIni(const std::string& path, IniText& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string all = buffer.str();
    if (all.find('\n') != std::string::npos && all.find("\r\n") == std::string::npos) text.newline = "\n";
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool WriteIni(const std::string& path, const IniText& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const std::string& line : text.lines) out << line << text.newline;
    out.flush();
    return bool(out);
}

// The section name of a "[name]" line, or false for other lines.
bool SectionHeader(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyOf(const std::string& line, std::string& key) {
    std::string t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    return true;
}

// Lines [begin, end) of the first section with this name: the header at
// begin, its body up to the next header.
bool FindSection(const IniText& text, const std::string& section, size_t& begin, size_t& end) {
    std::string name;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        if (!SectionHeader(text.lines[i], name) || !SameName(name, section)) continue;
        begin = i;
        end = i + 1;
        while (end < text.lines.size() && !SectionHeader(text.lines[end], name)) ++end;
        return true;
    }
    return false;
}

void SetKey(IniText& text, const std::string& section, const std::string& key, const char* value) {
    size_t begin, end;
    if (!FindSection(text, section, begin, end)) {
        if (!value) return;
        text.lines.push_back("[" + section + "]");
        text.lines.push_back(key + "=" + value);
        return;
    }
    std::string name;
    for (size_t i = begin + 1; i < end; ++i) {
        if (!KeyOf(text.lines[i], name) || !SameName(name, key)) continue;
        if (value)
            text.lines[i] = key + "=" + value;
        else
            text.lines.erase(text.lines.begin() + long(i));
        return;
    }
    if (!value) return;
    // After the section's last non-blank line.
    size_t at = end;
    while (at > begin + 1 && Trim(text.lines[at - 1]).empty()) --at;
    text.lines.insert(text.lines.begin() + long(at), key + "=" + value);
}

void DeleteSection(IniText& text, const std::string& section) {
    size_t begin, end;
    if (FindSection(text, section, begin, end)) text.lines.erase(text.lines.begin() + long(begin), text.lines.begin() + long(end));
}

}  // namespace

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (!section || !fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = HostPath(fileName);
    IniText text;
    bool existed = ReadIni(path, text);
    if (!existed && (!key || !value)) return TRUE;  // nothing to delete
    if (key)
        SetKey(text, section, key, value);
    else
        DeleteSection(text, section);
    if (!WriteIni(path, text)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = HostPath(fileName);
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (S_ISDIR(info.st_mode) || unlink(path.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
