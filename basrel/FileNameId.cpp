#include "FileNameId.h"

uint32_t g_FileName2Id(const char* name) {
    if (name == nullptr || name[0] == '\0') return 0;
    uint32_t hash = 0x811C9DC5u;
    for (const char* p = name; *p; ++p) {
        char c = *p;
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        hash ^= uint8_t(c);
        hash *= 0x01000193u;
    }
    return hash == 0 ? 1 : hash;
}
