#include "place/RegionPack.h"

#include <algorithm>
#include <new>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KMutex.h"
#include "lumiva/basrel/KPakFile.h"
#include "place/ByteCursor.h"
#include "place/RegionLoaderHooks.h"

namespace {

constexpr uint32_t kBoundsBytes = 8;

KRegionPack* g_loadedPack = nullptr;  // guarded by RegionPackMutex()

bool IndexInRange(uint16_t v) { return v >= KRegionPack::kLowestIndex && v <= KRegionPack::kHighestIndex; }

}  // namespace

KMutex& RegionPackMutex() {
    static KMutex mutex;
    return mutex;
}

// --- KRegionPack ---

void KRegionPack::AddRef() {
    KAutoMutex lock(RegionPackMutex());
    ++m_refCount;
}

void KRegionPack::Release() {
    KAutoMutex lock(RegionPackMutex());
    if (--m_refCount == 0) delete this;
}

int32_t KRegionPack::RefCount() const {
    KAutoMutex lock(RegionPackMutex());
    return m_refCount;
}

bool KRegionPack::Contains(int32_t rx, int32_t ry) const {
    return rx >= m_xMin && rx <= m_xMax && ry >= m_yMin && ry <= m_yMax;
}

KMemFile* KRegionPack::OpenRegion(int32_t rx, int32_t ry) {
    if (!Contains(rx, ry)) return nullptr;
    const size_t column = size_t(rx - m_xMin), row = size_t(ry - m_yMin);
    return new KMemFile(this, m_blobColumns[column][row].get(), m_sizeColumns[column][row]);
}

KRegionPack* LoadRegionPack(const char* path) {
    KPakFile file;
    if (!path || !file.Open(path)) return nullptr;
    const uint64_t fileSize = file.Size();

    uint8_t boundBytes[kBoundsBytes];
    if (file.Read(boundBytes, kBoundsBytes) != kBoundsBytes) {
        g_DebugLog("[Scene]Region pack %s: no bounds", path);
        return nullptr;
    }
    const uint16_t xMin = LoadU16(boundBytes), xMax = LoadU16(boundBytes + 2);
    const uint16_t yMin = LoadU16(boundBytes + 4), yMax = LoadU16(boundBytes + 6);
    if (!IndexInRange(xMin) || !IndexInRange(xMax) || !IndexInRange(yMin) || !IndexInRange(yMax) || xMin > xMax ||
        yMin > yMax) {
        g_DebugLog("[Scene]Region pack %s: bounds %u..%u, %u..%u outside 10..190", path, xMin, xMax, yMin, yMax);
        return nullptr;
    }
    const size_t width = size_t(xMax - xMin + 1), height = size_t(yMax - yMin + 1);
    const uint64_t tableBytes = uint64_t(width) * height * 4;
    if (kBoundsBytes + tableBytes > fileSize) {
        g_DebugLog("[Scene]Region pack %s: size table past the end", path);
        return nullptr;
    }
    std::vector<uint8_t> table(static_cast<size_t>(tableBytes));
    if (file.Read(table.data(), uint32_t(tableBytes)) != tableBytes) {
        g_DebugLog("[Scene]Region pack %s: short size table", path);
        return nullptr;
    }
    uint64_t blobBytes = 0;
    for (size_t i = 0; i < width * height; ++i) blobBytes += LoadU32(&table[i * 4]);
    if (blobBytes > fileSize - kBoundsBytes - tableBytes) {
        g_DebugLog("[Scene]Region pack %s: blobs of %llu bytes past the end", path, (unsigned long long)blobBytes);
        return nullptr;
    }

    KRegionPack* pack = new KRegionPack();
    pack->m_xMin = xMin, pack->m_xMax = xMax, pack->m_yMin = yMin, pack->m_yMax = yMax;
    pack->m_blobColumns.resize(width);
    pack->m_sizeColumns.resize(width);
    for (size_t x = 0; x < width; ++x) {
        pack->m_blobColumns[x].resize(height);
        pack->m_sizeColumns[x].assign(height, 0);
        for (size_t y = 0; y < height; ++y) {
            const uint32_t size = LoadU32(&table[(x * height + y) * 4]);
            if (size == 0) continue;
            uint8_t* blob = new (std::nothrow) uint8_t[size];
            if (!blob || file.Read(blob, size) != size) {
                delete[] blob;
                g_DebugLog("[Scene]Region pack %s: short blob", path);
                pack->Release();
                return nullptr;
            }
            pack->m_blobColumns[x][y].reset(blob);
            pack->m_sizeColumns[x][y] = size;
        }
    }
    return pack;
}

// --- KMemFile ---

KMemFile::KMemFile(KRegionPack* pack, const uint8_t* data, uint32_t size)
    : m_pack(pack), m_data(data), m_size(data ? size : 0) {
    if (m_pack) m_pack->AddRef();
}

KMemFile::~KMemFile() {
    KAutoMutex lock(RegionPackMutex());
    if (m_pack) m_pack->Release();
}

uint32_t KMemFile::Read(void* buffer, uint32_t length) {
    if (!buffer || length == 0) return 0;
    const uint32_t count = std::min(length, m_size - m_position);
    if (count) std::memcpy(buffer, m_data + m_position, count);
    m_position += count;
    return count;
}

uint32_t KMemFile::Seek(int32_t offset, int origin) {
    int64_t base;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = m_position; break;
    case 2: base = m_size; break;
    default: return m_position;
    }
    m_position = uint32_t(std::clamp<int64_t>(base + offset, 0, m_size));
    return m_position;
}

// --- The loaded pack ---

void InstallRegionPack(KRegionPack* pack) {
    KAutoMutex lock(RegionPackMutex());
    KRegionPack* old = g_loadedPack;
    g_loadedPack = pack;
    if (old) old->Release();
}

void ReleaseRegionPack() { InstallRegionPack(nullptr); }

bool HasRegionPack() {
    KAutoMutex lock(RegionPackMutex());
    return g_loadedPack != nullptr;
}

KMemFile* OpenRegionData(int32_t rx, int32_t ry) {
    RunRegionLoaderHook(RegionLoaderStep::OpenPacked, rx, ry);
    KAutoMutex lock(RegionPackMutex());
    return g_loadedPack ? g_loadedPack->OpenRegion(rx, ry) : nullptr;
}

void ResetRegionPackForTests() { ReleaseRegionPack(); }
