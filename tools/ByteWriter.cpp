#include "ByteWriter.h"

#include <cstring>
#include <filesystem>
#include <fstream>

void ByteWriter::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
}

void ByteWriter::Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}

void ByteWriter::Text(std::string_view text, size_t width) {
    size_t n = text.size() < width ? text.size() : width;
    Bytes(text.data(), n);
    Zeros(width - n);
}

void ByteWriter::PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4 && at + i < m_bytes.size(); ++i) m_bytes[at + i] = uint8_t(v >> (8 * i));
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
