// Font descriptors of CreateFont: "#n" shares the font of id n, and
// "@face,height,width,gray,mono" describes a GDI font; anything else names a
// bitmap font file.
#pragma once

#include <wingdi.h>

#include <cstdint>

struct GdiFontRequest {
    LOGFONTA description;
    int32_t grayLevel;
    uint8_t mono;
};

bool IsShareDescriptor(const char* descriptor);
// The id after '#' (atoi rules).
int32_t SharedFontId(const char* descriptor);

bool IsGdiDescriptor(const char* descriptor);
// False for a descriptor that breaks the form: a face of more than 31
// bytes, a missing field, an empty field, or a ',' after the mono field.
bool ParseGdiDescriptor(const char* descriptor, GdiFontRequest* request);
