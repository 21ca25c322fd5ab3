// Whole model files (meshes, materials, animations) read through the pak
// layer, and a cursor over their bytes that checks every read against the
// end in 64-bit arithmetic, so no count, length or offset from a file can
// reach past it.
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// False for a file that cannot be opened or reads short (logged).
bool ReadModelFile(const char* fileName, std::vector<uint8_t>* bytes);
// The one line a refused file leaves in the log.
void LogRefusedModelFile(const char* fileName, const char* why);

class KFileCursor {
public:
    KFileCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint64_t Position() const { return m_at; }
    uint64_t Left() const { return m_size - m_at; }
    // count records of `each` bytes fit in what is left.
    bool Fits(uint64_t count, uint64_t each) const { return each == 0 || count <= Left() / each; }
    // An array of count x each bytes at `offset` lies inside the file.
    bool Holds(uint64_t offset, uint64_t count, uint64_t each) const;

    bool Seek(uint64_t at);
    bool Skip(uint64_t count);
    bool Bytes(void* out, uint64_t count);
    bool U32(uint32_t* out);
    bool F32(float* out);
    bool Matrix(D3DXMATRIX* out);
    // A zero-terminated text in a field of `width` bytes, copied into
    // out[outSize] and always terminated there.
    bool Name(size_t width, char* out, size_t outSize);

private:
    const uint8_t* m_data;
    uint64_t m_size;
    uint64_t m_at = 0;
};
