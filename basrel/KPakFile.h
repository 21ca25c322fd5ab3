// Packed-file layer: every data file the module reads comes through here.
// Names are resolved against the data root (see DataRoot.h): a backslash is a
// folder separator, a leading backslash is the root, case is ignored.
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

    // Nonzero on success.
    int Open(const char* fileName);
    void Close();
    // Length in bytes, 0 when closed.
    uint32_t Size() const;
    // Bytes actually read; a read past the end is short, never an error.
    uint32_t Read(void* buffer, uint32_t count);
    // origin 0 from the start, 1 from the current place, 2 from the end.
    // Returns the new position, or 0xFFFFFFFF when it would leave the file.
    uint32_t Seek(int32_t offset, int origin);
    uint32_t Tell() const;
    bool IsOpen() const;

    // Bring a file into memory ahead of use; later opens read the copy.
    static int PreLoadingToMemory(const char* fileName, int flag);
    static void ReleasePreLoadings(int flag);

private:
    struct Impl;
    Impl* m_pImpl;
};
