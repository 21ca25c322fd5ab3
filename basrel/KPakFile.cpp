#include "KPakFile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "DataRoot.h"
#include "DebugLog.h"
#include "PakPreloads.h"

namespace {

constexpr uint32_t kSeekFailed = 0xFFFFFFFF;
// Largest size whose every position 0..size stays below kSeekFailed.
constexpr uint64_t kLargestFile = 0xFFFFFFFEull;

bool HostFileSize(FILE* file, uint64_t& size) {
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    off_t end = ftello(file);
    if (end < 0 || fseeko(file, 0, SEEK_SET) != 0) return false;
    size = uint64_t(end);
    return true;
}

}  // namespace

struct KPakFile::Impl {
    basrel::PakBytes memory;  // a preloaded copy, when the file has one
    FILE* file = nullptr;
    uint32_t size = 0;
    uint32_t position = 0;
    uint64_t filePosition = 0;  // where the host file's own cursor stands

    uint32_t ReadFromFile(void* buffer, uint32_t count) {
        if (filePosition != position) {
            if (fseeko(file, off_t(position), SEEK_SET) != 0) return 0;
            filePosition = position;
        }
        size_t got = std::fread(buffer, 1, count, file);
        filePosition += got;
        return uint32_t(got);
    }
};

KPakFile::KPakFile() : m_pImpl(new Impl) {}

KPakFile::~KPakFile() {
    Close();
    delete m_pImpl;
}

int KPakFile::Open(const char* fileName) {
    Close();
    std::string key;
    if (basrel::PreloadKey(fileName, key)) {
        if (basrel::PakBytes copy = basrel::FindPreload(key)) {
            m_pImpl->memory = std::move(copy);
            m_pImpl->size = uint32_t(m_pImpl->memory->size());
            return 1;
        }
    }
    std::string hostPath;
    if (!basrel::ResolveExisting(fileName, hostPath)) {
        g_DebugLog("[Basrel]KPakFile: cannot find %s", fileName ? fileName : "(null)");
        return 0;
    }
    FILE* file = std::fopen(hostPath.c_str(), "rb");
    if (file == nullptr) {
        g_DebugLog("[Basrel]KPakFile: cannot open %s", fileName);
        return 0;
    }
    uint64_t size = 0;
    if (!HostFileSize(file, size) || size > kLargestFile) {
        g_DebugLog("[Basrel]KPakFile: %s is too large to read", fileName);
        std::fclose(file);
        return 0;
    }
    m_pImpl->file = file;
    m_pImpl->size = uint32_t(size);
    return 1;
}

void KPakFile::Close() {
    if (m_pImpl->file) std::fclose(m_pImpl->file);
    m_pImpl->file = nullptr;
    m_pImpl->memory.reset();
    m_pImpl->size = 0;
    m_pImpl->position = 0;
    m_pImpl->filePosition = 0;
}

bool KPakFile::IsOpen() const { return m_pImpl->file != nullptr || m_pImpl->memory != nullptr; }

uint32_t KPakFile::Size() const { return m_pImpl->size; }

uint32_t KPakFile::Tell() const { return m_pImpl->position; }

uint32_t KPakFile::Read(void* buffer, uint32_t count) {
    if (buffer == nullptr || !IsOpen() || m_pImpl->position >= m_pImpl->size) return 0;
    uint32_t left = m_pImpl->size - m_pImpl->position;
    if (count > left) count = left;
    uint32_t got;
    if (m_pImpl->memory) {
        std::memcpy(buffer, m_pImpl->memory->data() + m_pImpl->position, count);
        got = count;
    } else {
        got = m_pImpl->ReadFromFile(buffer, count);
    }
    m_pImpl->position += got;
    return got;
}

uint32_t KPakFile::Seek(int32_t offset, int origin) {
    if (!IsOpen()) return kSeekFailed;
    int64_t base;
    switch (origin) {
        case 0: base = 0; break;
        case 1: base = m_pImpl->position; break;
        case 2: base = m_pImpl->size; break;
        default: return kSeekFailed;
    }
    int64_t target = base + int64_t(offset);
    if (target < 0 || target > int64_t(m_pImpl->size)) return kSeekFailed;
    m_pImpl->position = uint32_t(target);
    return m_pImpl->position;
}

int KPakFile::PreLoadingToMemory(const char* fileName, int flag) {
    std::string key;
    if (!basrel::PreloadKey(fileName, key)) {
        g_DebugLog("[Basrel]KPakFile: cannot preload %s", fileName ? fileName : "(null)");
        return 0;
    }
    if (basrel::FindPreload(key)) return 1;
    KPakFile file;
    if (!file.Open(fileName)) return 0;
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    try {
        bytes->resize(file.Size());
    } catch (const std::bad_alloc&) {
        g_DebugLog("[Basrel]KPakFile: no memory to preload %s", fileName);
        return 0;
    }
    if (file.Read(bytes->data(), file.Size()) != file.Size()) {
        g_DebugLog("[Basrel]KPakFile: %s read short while preloading", fileName);
        return 0;
    }
    basrel::StorePreload(key, flag, std::move(bytes));
    return 1;
}

void KPakFile::ReleasePreLoadings(int flag) { basrel::ReleasePreloads(flag); }

bool ReadWholeFile(const char* fileName, uint32_t maxBytes, std::vector<uint8_t>& bytes) {
    KPakFile file;
    if (!file.Open(fileName)) return false;
    if (file.Size() > maxBytes) {
        g_DebugLog("[Basrel]%s is larger than %u bytes", fileName, maxBytes);
        return false;
    }
    std::vector<uint8_t> data(file.Size());
    if (file.Read(data.data(), file.Size()) != file.Size()) {
        g_DebugLog("[Basrel]%s read short", fileName);
        return false;
    }
    bytes.swap(data);
    return true;
}
