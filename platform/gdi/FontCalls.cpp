// Logical fonts: creation, stock fonts, deletion and description queries.
#include <wingdi.h>

#include <algorithm>
#include <cstring>

#include "gdi/GdiObjects.h"

using lumiva::gdi::GdiObjects;
using lumiva::gdi::LogicalFont;

HFONT CreateFontIndirectA(const LOGFONTA* description) {
    if (!description) return nullptr;
    auto font = std::make_shared<LogicalFont>();
    font->description = *description;
    // The name field may arrive unterminated; keep it a string.
    font->description.lfFaceName[LF_FACESIZE - 1] = 0;
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    // Realised at once, so a missing font file fails here rather than at
    // the first glyph.
    font->realised = lumiva::gdi::ScaledFont::Create(font->description);
    if (!font->realised) return nullptr;
    return objects.AddFont(std::move(font));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA description{};
    description.lfHeight = height;
    description.lfWidth = width;
    description.lfEscapement = escapement;
    description.lfOrientation = orientation;
    description.lfWeight = weight;
    description.lfItalic = BYTE(italic);
    description.lfUnderline = BYTE(underline);
    description.lfStrikeOut = BYTE(strikeOut);
    description.lfCharSet = BYTE(charSet);
    description.lfOutPrecision = BYTE(outPrecision);
    description.lfClipPrecision = BYTE(clipPrecision);
    description.lfQuality = BYTE(quality);
    description.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (faceName) std::strncpy(description.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&description);
}

HGDIOBJ GetStockObject(int index) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    return objects.StockFont(index);
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    std::shared_ptr<LogicalFont> font = objects.FindFont(object);
    if (!font) return FALSE;
    // Stock objects are never deleted; the call still succeeds.
    if (!font->stock) objects.RemoveFont(object);
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    std::shared_ptr<LogicalFont> font = objects.FindFont(object);
    if (!font) return 0;
    if (!buffer) return int(sizeof(LOGFONTA));
    if (size <= 0) return 0;
    int copied = std::min(size, int(sizeof(LOGFONTA)));
    std::memcpy(buffer, &font->description, size_t(copied));
    return copied;
}
