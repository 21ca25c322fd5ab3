// Tab-separated tables, read through the data root.
//
// One row per line ("\n" or "\r\n"), cells split by tabs, rows and columns
// counted from 1. The width is the column count of the widest row; the
// height counts every line, except for one empty line after the last line
// break. A cell that is empty or lies outside the table gives the default.
// A file holding a NUL byte is refused.
#pragma once

#include <memory>

#include "BasrelApi.h"

class BASREL_API KTabFile {
public:
    KTabFile();
    ~KTabFile();
    KTabFile(const KTabFile&) = delete;
    KTabFile& operator=(const KTabFile&) = delete;

    // Nonzero on success; on failure the table is empty.
    int Load(const char* fileName);
    void Clear();

    int GetWidth() const;
    int GetHeight() const;

    // Non-zero when the cell holds text (of the asked form); otherwise the
    // default is given. Strings are cut to size - 1 bytes, NUL-terminated.
    int GetString(int row, int column, const char* defaultValue, char* buffer, int size) const;
    int GetInteger(int row, int column, int defaultValue, int* value) const;
    int GetFloat(int row, int column, float defaultValue, float* value) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
