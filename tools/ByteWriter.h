// Little-endian byte sink shared by every data-format writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ByteWriter {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }
    void I16(int16_t v) { U16(uint16_t(v)); }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void F32(float v);
    void Bytes(const void* data, size_t size);
    void Bytes(const std::vector<uint8_t>& data) { Bytes(data.data(), data.size()); }
    // Fixed-width text field, zero-padded (and cut) to width bytes.
    void Text(std::string_view text, size_t width);
    void Zeros(size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    // Overwrite a 32-bit value written earlier, for offsets known only later.
    void PatchU32(size_t at, uint32_t v);

    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& Data() const { return m_bytes; }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

// Writes bytes to a host path, creating missing folders. True on success.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
