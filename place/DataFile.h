// What the region readers read from: a region's blob in a packed cache
// (KMemFile) or a loose file through the pak layer (KPakDataFile).
#pragma once

#include <cstdint>

class KPakFile;

class KDataFile {
public:
    virtual ~KDataFile() = default;
    // Bytes copied; fewer at the end, 0 for a null buffer.
    virtual uint32_t Read(void* buffer, uint32_t length) = 0;
    // origin 0 from the start, 1 from the position, 2 from the end. The new
    // position; a memory file clamps it to 0..Size(), the pak layer answers
    // 0xFFFFFFFF and stays.
    virtual uint32_t Seek(int32_t offset, int origin) = 0;
    virtual uint32_t Tell() = 0;
    virtual uint32_t Size() = 0;

protected:
    KDataFile() = default;
    KDataFile(const KDataFile&) = delete;
    KDataFile& operator=(const KDataFile&) = delete;
};

// An open KPakFile seen as a KDataFile; the caller keeps the file.
class KPakDataFile final : public KDataFile {
public:
    explicit KPakDataFile(KPakFile& file) : m_file(file) {}
    uint32_t Read(void* buffer, uint32_t length) override;
    uint32_t Seek(int32_t offset, int origin) override;
    uint32_t Tell() override;
    uint32_t Size() override;

private:
    KPakFile& m_file;
};
