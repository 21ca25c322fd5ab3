#include "draw2d/text/FontDescriptor.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The field after the ',' at `cursor`, up to the next ',' or the end. False
// when there is no ',' or nothing follows it.
bool NextField(const char*& cursor, std::string& field) {
    if (*cursor != ',' || cursor[1] == '\0') return false;
    ++cursor;
    const char* end = std::strchr(cursor, ',');
    if (!end) end = cursor + std::strlen(cursor);
    field.assign(cursor, end);
    cursor = end;
    return true;
}

}  // namespace

bool IsShareDescriptor(const char* descriptor) { return descriptor && descriptor[0] == '#'; }

int32_t SharedFontId(const char* descriptor) { return int32_t(std::atoi(descriptor + 1)); }

bool IsGdiDescriptor(const char* descriptor) { return descriptor && descriptor[0] == '@'; }

bool ParseGdiDescriptor(const char* descriptor, GdiFontRequest* request) {
    if (!IsGdiDescriptor(descriptor) || !request || std::strlen(descriptor) < 2) return false;
    GdiFontRequest parsed{};
    parsed.description.lfCharSet = DEFAULT_CHARSET;
    const char* cursor = descriptor + 1;
    const char* comma = std::strchr(cursor, ',');
    if (!comma) return false;
    const size_t faceBytes = size_t(comma - cursor);
    if (faceBytes > LF_FACESIZE - 1) return false;
    std::memcpy(parsed.description.lfFaceName, cursor, faceBytes);
    cursor = comma;
    std::string height, width, gray, mono;
    if (!NextField(cursor, height) || !NextField(cursor, width) || !NextField(cursor, gray)) return false;
    if (*cursor != ',' || cursor[1] == '\0' || std::strchr(cursor + 1, ',')) return false;
    mono = cursor + 1;
    parsed.description.lfHeight = -std::atoi(height.c_str());
    parsed.description.lfWidth = std::atoi(width.c_str());
    parsed.grayLevel = std::atoi(gray.c_str());
    parsed.mono = std::atoi(mono.c_str()) != 0 ? 1 : 0;
    *request = parsed;
    return true;
}
