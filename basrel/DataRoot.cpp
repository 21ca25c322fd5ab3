#include "DataRoot.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "PlainText.h"

namespace {

struct RootState {
    std::mutex lock;
    std::string rootFolder;  // host folder, empty = working folder
    std::string filePath;    // normalized module path of the current folder
};

RootState& State() {
    static RootState state;
    return state;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (IsSeparator(c)) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string JoinComponents(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty()) joined += '\\';
        joined += part;
    }
    return joined;
}

// Applies "." and ".." to base + name; false when ".." climbs above the root.
bool Normalize(const std::string& base, const char* name, std::string& out) {
    std::vector<std::string> parts;
    if (!IsSeparator(name[0])) parts = SplitComponents(base);
    for (const std::string& part : SplitComponents(name)) {
        if (part == ".") continue;
        if (part == "..") {
            if (parts.empty()) return false;
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    out = JoinComponents(parts);
    return true;
}

enum class EntryKind { Missing, File, Folder, Other };

EntryKind KindOf(const std::string& hostPath) {
    struct stat info;
    if (stat(hostPath.c_str(), &info) != 0) return EntryKind::Missing;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    if (S_ISREG(info.st_mode)) return EntryKind::File;
    return EntryKind::Other;
}

// Entry of `folder` whose name matches `name` without regard to case and
// whose kind is acceptable. The exact spelling wins; among other spellings
// the smallest name in byte order, so the choice does not depend on the
// order the folder lists its entries.
bool FindEntry(const std::string& folder, const std::string& name, bool wantFolder, bool acceptAny,
               std::string& found) {
    auto acceptable = [&](EntryKind kind) {
        if (acceptAny) return kind != EntryKind::Missing;
        return wantFolder ? kind == EntryKind::Folder : kind == EntryKind::File;
    };
    if (acceptable(KindOf(folder + "/" + name))) {
        found = name;
        return true;
    }
    std::vector<std::string> matches;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (SameIgnoringCase(entry, name)) matches.push_back(entry);
    }
    std::sort(matches.begin(), matches.end());
    for (const std::string& entry : matches) {
        if (acceptable(KindOf(folder + "/" + entry))) {
            found = entry;
            return true;
        }
    }
    return false;
}

void Snapshot(std::string& root, std::string& filePath) {
    RootState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    root = state.rootFolder.empty() ? "." : state.rootFolder;
    filePath = state.filePath;
}

// Root folder plus the normalized components of the name.
bool Prepare(const char* name, std::string& root, std::vector<std::string>& parts) {
    if (name == nullptr || name[0] == '\0') return false;
    std::string filePath;
    Snapshot(root, filePath);
    std::string normalized;
    if (!Normalize(filePath, name, normalized)) return false;
    parts = SplitComponents(normalized);
    return true;
}

}  // namespace

void g_SetRootPath(const char* hostFolder) {
    std::string folder = hostFolder ? hostFolder : "";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    RootState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.rootFolder = folder;
    state.filePath.clear();
}

int g_SetFilePath(const char* path) {
    if (path == nullptr) return 0;
    RootState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    std::string normalized;
    if (!Normalize(state.filePath, path, normalized)) return 0;
    state.filePath = normalized;
    return 1;
}

void g_GetFilePath(char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    std::string root, filePath;
    Snapshot(root, filePath);
    basrel::CopyToBuffer("\\" + filePath, buffer, size);
}

int g_FileExists(const char* name) {
    std::string hostPath;
    return basrel::ResolveExisting(name, hostPath) ? 1 : 0;
}

namespace basrel {

std::string RootFolder() {
    std::string root, filePath;
    Snapshot(root, filePath);
    return root;
}

bool NormalizeModulePath(const char* name, std::string& modulePath) {
    if (name == nullptr || name[0] == '\0') return false;
    std::string root, filePath;
    Snapshot(root, filePath);
    return Normalize(filePath, name, modulePath);
}

bool ResolveExisting(const char* name, std::string& hostPath, bool wantFolder) {
    std::string root;
    std::vector<std::string> parts;
    if (!Prepare(name, root, parts)) return false;
    std::string path = root;
    if (parts.empty()) {
        if (!wantFolder || KindOf(path) != EntryKind::Folder) return false;
        hostPath = path;
        return true;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        std::string found;
        if (!FindEntry(path, parts[i], last ? wantFolder : true, false, found)) return false;
        path += "/" + found;
    }
    hostPath = path;
    return true;
}

bool ResolveForWriting(const char* name, std::string& hostPath) {
    std::string root;
    std::vector<std::string> parts;
    if (!Prepare(name, root, parts) || parts.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(root, ec);  // a host may name a root that is still to be made
    if (KindOf(root) != EntryKind::Folder) return false;
    std::string path = root;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        std::string found;
        if (FindEntry(path, parts[i], true, false, found)) {
            path += "/" + found;
            continue;
        }
        if (FindEntry(path, parts[i], false, true, found)) return false;  // a file in the way
        path += "/" + parts[i];
        if (mkdir(path.c_str(), 0755) != 0 && KindOf(path) != EntryKind::Folder) return false;
    }
    std::string found;
    if (FindEntry(path, parts.back(), false, true, found)) {
        if (KindOf(path + "/" + found) != EntryKind::File) return false;
        path += "/" + found;
    } else {
        path += "/" + parts.back();
    }
    hostPath = path;
    return true;
}

void ResetDataRoot() {
    RootState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.rootFolder.clear();
    state.filePath.clear();
}

}  // namespace basrel
