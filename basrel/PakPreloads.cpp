#include "PakPreloads.h"

#include <map>
#include <mutex>

#include "DataRoot.h"

namespace {

struct Preload {
    int flag;
    basrel::PakBytes bytes;
};

struct PreloadStore {
    std::mutex lock;
    std::map<std::string, Preload> files;
};

PreloadStore& Store() {
    static PreloadStore store;
    return store;
}

}  // namespace

namespace basrel {

bool PreloadKey(const char* name, std::string& key) {
    if (!NormalizeModulePath(name, key)) return false;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return true;
}

PakBytes FindPreload(const std::string& key) {
    PreloadStore& store = Store();
    std::lock_guard<std::mutex> guard(store.lock);
    auto it = store.files.find(key);
    return it == store.files.end() ? nullptr : it->second.bytes;
}

void StorePreload(const std::string& key, int flag, PakBytes bytes) {
    PreloadStore& store = Store();
    std::lock_guard<std::mutex> guard(store.lock);
    store.files.emplace(key, Preload{flag, std::move(bytes)});
}

void ReleasePreloads(int flag) {
    PreloadStore& store = Store();
    std::lock_guard<std::mutex> guard(store.lock);
    std::erase_if(store.files, [flag](const auto& entry) { return entry.second.flag == flag; });
}

size_t PreloadCount() {
    PreloadStore& store = Store();
    std::lock_guard<std::mutex> guard(store.lock);
    return store.files.size();
}

void ResetPreloads() {
    PreloadStore& store = Store();
    std::lock_guard<std::mutex> guard(store.lock);
    store.files.clear();
}

}  // namespace basrel
