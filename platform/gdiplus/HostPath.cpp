#include "gdiplus/HostPath.h"

namespace lumiva::gdiplus {
namespace {

bool AppendUtf8(std::string& out, uint32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | code >> 6);
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | code >> 12);
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | code >> 18);
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
    return true;
}

}  // namespace

std::string HostPathFromWide(const WCHAR* path) {
    std::string out;
    if (!path) return out;
    for (const WCHAR* c = path; *c; ++c) {
        uint32_t code = uint32_t(*c);
        if (code == '\\') code = '/';
        if (!AppendUtf8(out, code)) return {};
    }
    return out;
}

}  // namespace lumiva::gdiplus
