// C runtime string helpers the platform's code relies on.
#include <windows.h>

#include <cstring>

char* _itoa(int value, char* buffer, int radix) {
    if (!buffer) return buffer;
    if (radix < 2 || radix > 36) {
        buffer[0] = 0;
        return buffer;
    }
    // Like the runtime: only base 10 shows a sign; other bases print the bits.
    unsigned int magnitude = (radix == 10 && value < 0) ? 0u - unsigned(value) : unsigned(value);
    char digits[40];
    int n = 0;
    do {
        unsigned int d = magnitude % unsigned(radix);
        digits[n++] = char(d < 10 ? '0' + d : 'a' + d - 10);
        magnitude /= unsigned(radix);
    } while (magnitude);
    char* out = buffer;
    if (radix == 10 && value < 0) *out++ = '-';
    while (n) *out++ = digits[--n];
    *out = 0;
    return buffer;
}

namespace {

void CopyPart(char* out, const char* begin, const char* end, size_t limit) {
    if (!out) return;
    size_t n = size_t(end - begin);
    if (n >= limit) n = limit - 1;
    std::memcpy(out, begin, n);
    out[n] = 0;
}

}  // namespace

// Splits "d:\dir\name.ext" into its four parts; either slash separates
// folders, and a missing part comes back empty.
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
    const size_t kDrive = 3, kDir = 256, kName = 256, kExt = 256;
    if (!path) path = "";
    const char* p = path;
    const char* driveEnd = p;
    if (p[0] && p[1] == ':') driveEnd = p + 2;
    CopyPart(drive, p, driveEnd, kDrive);
    const char* lastSlash = nullptr;
    const char* lastDot = nullptr;
    for (const char* q = driveEnd; *q; ++q) {
        if (*q == '\\' || *q == '/') lastSlash = q;
        if (*q == '.') lastDot = q;
    }
    const char* nameBegin = lastSlash ? lastSlash + 1 : driveEnd;
    CopyPart(dir, driveEnd, nameBegin, kDir);
    const char* end = path + std::strlen(path);
    const char* nameEnd = (lastDot && lastDot >= nameBegin) ? lastDot : end;
    CopyPart(fname, nameBegin, nameEnd, kName);
    CopyPart(ext, nameEnd, end, kExt);
}
