// Packed-file layer: every data file the module reads comes through here.
// Names are resolved against the data root (see DataRoot.h): a backslash is a
// folder separator, a leading backslash is the root, case is ignored. Files
// are plain files under the root, or the in-memory copies that
// PreLoadingToMemory made. Sizes stop below 4 GiB: 0xFFFFFFFF is the error
// value of Seek, so a larger file is refused.
#pragma once

#include <cstdint>
#include <vector>

#include "BasrelApi.h"

class BASREL_API KPakFile {
public:
    KPakFile();
    ~KPakFile();
    KPakFile(const KPakFile&) = delete;
    KPakFile& operator=(const KPakFile&) = delete;

    // Nonzero on success. Closes what was open first.
    int Open(const char* fileName);
    void Close();
    // Length in bytes, 0 when closed.
    uint32_t Size() const;
    // Bytes actually read; a read past the end is short, never an error.
    uint32_t Read(void* buffer, uint32_t count);
    // origin 0 from the start, 1 from the current place, 2 from the end.
    // Returns the new position, or 0xFFFFFFFF (position unchanged) when the
    // target lies outside 0..Size(), the origin is unknown or nothing is open.
    uint32_t Seek(int32_t offset, int origin);
    // Current position, 0 when closed.
    uint32_t Tell() const;
    bool IsOpen() const;

    // Bring a file into memory ahead of use; later opens read the copy.
    // Safe from any thread. Nonzero when the copy exists afterwards. The
    // flag groups copies for ReleasePreLoadings (the module uses 1).
    static int PreLoadingToMemory(const char* fileName, int flag);
    // Drops every copy preloaded with this flag. Open files keep reading.
    static void ReleasePreLoadings(int flag);

private:
    struct Impl;
    Impl* m_pImpl;
};

// Reads a whole file through KPakFile. Refuses (false, one log line) a file
// that cannot be opened, is larger than maxBytes, or reads short.
BASREL_API bool ReadWholeFile(const char* fileName, uint32_t maxBytes, std::vector<uint8_t>& bytes);
