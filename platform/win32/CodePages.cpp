// MultiByteToWideChar over iconv. Each WCHAR (wchar_t here) receives one
// code point. Bytes a code page cannot map become U+003F, or U+FFFD for
// UTF-8, unless the caller asks for MB_ERR_INVALID_CHARS.
#include <iconv.h>

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

extern int g_iCharacterSet;

namespace {

const char* IconvName(UINT codePage) {
    if (codePage == CP_ACP) codePage = g_iCharacterSet == 1 ? 950 : 936;
    switch (codePage) {
        case 936: return "CP936";
        case 950: return "CP950";
        case 1252: return "CP1252";
        case CP_UTF8: return "UTF-8";
        default: return nullptr;
    }
}

// One converter per code page and thread: iconv descriptors keep state.
class Converters {
public:
    ~Converters() {
        for (auto& [name, cd] : open_) iconv_close(cd);
    }
    iconv_t For(const char* name) {
        auto it = open_.find(name);
        if (it != open_.end()) {
            iconv(it->second, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            return it->second;
        }
        iconv_t cd = iconv_open("WCHAR_T", name);
        if (cd == iconv_t(-1)) return cd;
        open_.emplace(name, cd);
        return cd;
    }

private:
    std::map<const char*, iconv_t> open_;
};

thread_local Converters t_converters;

// Converts all of the input; false when a byte cannot be mapped and the
// caller wants to know.
bool Convert(iconv_t cd, const char* text, size_t bytes, bool strict, wchar_t replacement,
             std::vector<wchar_t>& out) {
    char* in = const_cast<char*>(text);
    size_t inLeft = bytes;
    wchar_t chunk[256];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof chunk;
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.insert(out.end(), chunk, reinterpret_cast<wchar_t*>(outPtr));
        if (r != size_t(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut short at the end): one byte is lost.
        if (strict) return false;
        out.push_back(replacement);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR wide, int wideChars) {
    if (!text || bytes == 0 || bytes < -1 || wideChars < 0 || (wideChars > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* name = IconvName(codePage);
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    iconv_t cd = t_converters.For(name);
    if (cd == iconv_t(-1)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // -1 means NUL-terminated, and the NUL is converted and counted too.
    size_t length = bytes == -1 ? std::strlen(text) + 1 : size_t(bytes);
    std::vector<wchar_t> out;
    out.reserve(length);
    bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    wchar_t replacement = codePage == CP_UTF8 ? L'\xFFFD' : L'?';
    if (!Convert(cd, text, length, strict, replacement, out)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (wideChars == 0) return int(out.size());
    if (out.size() > size_t(wideChars)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(wide, out.data(), out.size() * sizeof(wchar_t));
    return int(out.size());
}
