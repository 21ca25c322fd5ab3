// The codecs the GDI+ stand-in offers, with their platform identifiers.
#pragma once

#include <gdiplus.h>

#include <vector>

#include "gdiplus/DecodedImage.h"

namespace lumiva::gdiplus {

typedef Gdiplus::Status (*EncodeFunction)(const DecodedImage& image, const Gdiplus::EncoderParameters* parameters,
                                          std::vector<BYTE>* out);

struct Codec {
    CLSID clsid;
    GUID format;
    const WCHAR* name;
    const WCHAR* description;
    const WCHAR* extensions;
    const WCHAR* mimeType;
    const BYTE* signature;
    DWORD signatureSize;
    EncodeFunction encode;
};

// Null for a class id that names no encoder.
const Codec* FindEncoder(const CLSID& clsid);

}  // namespace lumiva::gdiplus
