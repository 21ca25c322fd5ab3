// Ini files in the platform's familiar syntax, read through the data root.
//
//   [Section]        section names and keys match without regard to case
//   key = value      blanks around names and values are trimmed
//   ; comment        whole-line comments; blank lines are ignored
//
// Keys before the first section belong to the nameless section "". A repeated
// key keeps its first value; a repeated section adds to the first one. A
// file holding a NUL byte, a "[" line without "]", a line that is neither a
// section, a comment nor "key=value", or an empty key is refused as a whole.
//
// Every Get call returns non-zero when the key is present and its value has
// the asked form, and otherwise leaves the default (GetString, GetInteger,
// GetFloat) or the outputs untouched (GetInteger2, GetRect). Numbers are
// decimal or 0x-hex, from -2147483648 to 4294967295 (kept as 32 bits);
// blanks may surround the numbers and the commas between them.
#pragma once

#include <windows.h>

#include <memory>

#include "BasrelApi.h"

class BASREL_API KIniFile {
public:
    KIniFile();
    ~KIniFile();
    KIniFile(const KIniFile&) = delete;
    KIniFile& operator=(const KIniFile&) = delete;

    // Nonzero on success; on failure the object is left empty.
    int Load(const char* fileName);
    // Writes every section and key in their order; nonzero on success.
    // Missing folders are made; the old file is replaced only when the new
    // one was written completely.
    int Save(const char* fileName);
    void Clear();

    int IsSectionExist(const char* section) const;
    // Copies the value (or the default, or "" for a null default), cut to
    // size - 1 bytes and always NUL-terminated.
    int GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                  int size) const;
    int GetInteger(const char* section, const char* key, int defaultValue, int* value) const;
    int GetFloat(const char* section, const char* key, float defaultValue, float* value) const;
    // "a,b"
    int GetInteger2(const char* section, const char* key, int* a, int* b) const;
    // "left,top,right,bottom"
    int GetRect(const char* section, const char* key, RECT* rect) const;

    // Set a value, adding the section and key when absent. Zero for names
    // the syntax cannot hold (empty, line breaks, "=" in a key, "]" in a
    // section) or a value with a line break.
    int WriteString(const char* section, const char* key, const char* value);
    int WriteInteger(const char* section, const char* key, int value);
    int WriteFloat(const char* section, const char* key, float value);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
