// The host's table of user-visible texts, by number.
//
// Built-in texts cover every number the module shows. On first use the
// table also reads "\settings\StringTable.txt" from the data root, whose
// texts take the place of the built-in ones:
//
//   ; comment
//   44=Lumiva
//   32=Texture memory: %d.%03d MB
//
// One "number=text" per line (number 0..2147483647, a repeated number keeps
// its first text), blank lines and ";" lines ignored, "\n", "\t" and "\\" in
// a text stand for a line break, a tab and a backslash. Texts are bytes in
// the client's code page. A file with any other line is refused as a whole
// (one log line) and the built-in texts stay.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "BasrelApi.h"

#define BASREL_STRING_TABLE_FILE "\\settings\\StringTable.txt"

class BASREL_API KStringMap {
public:
    // Text number n; "" for a number the table does not hold. The pointer
    // stays valid until ResetForTests.
    const char* GetString(int n);
    // Reads a table file over the current texts; nonzero on success.
    int Load(const char* fileName);
    // Back to the built-in texts; the table file is read again on next use.
    void ResetForTests();

private:
    void EnsureLoaded();
    const char* Keep(std::string text);

    std::recursive_mutex m_lock;
    bool m_loaded = false;
    std::deque<std::string> m_texts;  // never shrinks, so handed-out pointers stay
    std::map<int, const char*> m_table;
};

extern BASREL_API KStringMap g_cStringMap;
