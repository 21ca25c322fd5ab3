#include "scene/ModelFileBytes.h"

#include <cstring>

#include "KPakFile.h"
#include "lumiva/basrel/DebugLog.h"

bool ReadModelFile(const char* fileName, std::vector<uint8_t>* bytes) {
    KPakFile file;
    if (!fileName || !file.Open(fileName)) return false;
    std::vector<uint8_t> data(file.Size());
    if (file.Read(data.data(), uint32_t(data.size())) != data.size()) {
        LogRefusedModelFile(fileName, "short read");
        return false;
    }
    bytes->swap(data);
    return true;
}

void LogRefusedModelFile(const char* fileName, const char* why) {
    g_DebugLog("[Model]%s refused: %s", fileName ? fileName : "", why);
}

bool KFileCursor::Holds(uint64_t offset, uint64_t count, uint64_t each) const {
    if (offset > m_size) return false;
    const uint64_t room = m_size - offset;
    return each == 0 || count <= room / each;
}

bool KFileCursor::Seek(uint64_t at) {
    if (at > m_size) return false;
    m_at = at;
    return true;
}

bool KFileCursor::Skip(uint64_t count) {
    if (count > Left()) return false;
    m_at += count;
    return true;
}

bool KFileCursor::Bytes(void* out, uint64_t count) {
    if (count > Left()) return false;
    if (count) std::memcpy(out, m_data + m_at, size_t(count));
    m_at += count;
    return true;
}

bool KFileCursor::U32(uint32_t* out) {
    uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    *out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool KFileCursor::F32(float* out) {
    uint32_t bits;
    if (!U32(&bits)) return false;
    std::memcpy(out, &bits, sizeof bits);
    return true;
}

bool KFileCursor::Matrix(D3DXMATRIX* out) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!F32(&out->m[r][c])) return false;
    return true;
}

bool KFileCursor::Name(size_t width, char* out, size_t outSize) {
    if (width > Left() || outSize == 0) return false;
    const uint8_t* field = m_data + m_at;
    size_t n = 0;
    while (n < width && n + 1 < outSize && field[n] != 0) ++n;
    std::memcpy(out, field, n);
    out[n] = 0;
    m_at += width;
    return true;
}
