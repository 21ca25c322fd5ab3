// Text queries on the font selected into a DC.
#include <wingdi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "gdi/GdiObjects.h"

using lumiva::gdi::DeviceContext;
using lumiva::gdi::GdiObjects;

namespace {

lumiva::gdi::ScaledFont* SelectedFont(HDC dc) {
    DeviceContext* context = GdiObjects::Instance().FindContext(dc);
    if (!context || !context->selected) return nullptr;
    return context->selected->realised.get();
}

}  // namespace

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
    std::lock_guard<std::mutex> hold(GdiObjects::Instance().Lock());
    lumiva::gdi::ScaledFont* font = SelectedFont(dc);
    if (!font || !metrics) return FALSE;
    *metrics = font->Metrics();
    return TRUE;
}

// Names the face that really draws, so a caller sees what its name became.
int GetTextFaceA(HDC dc, int size, LPSTR faceName) {
    std::lock_guard<std::mutex> hold(GdiObjects::Instance().Lock());
    lumiva::gdi::ScaledFont* font = SelectedFont(dc);
    if (!font) return 0;
    std::string name = font->FamilyName();
    if (!faceName) return int(name.size()) + 1;
    if (size <= 0) return 0;
    size_t copied = std::min(name.size(), size_t(size) - 1);
    std::memcpy(faceName, name.data(), copied);
    faceName[copied] = 0;
    return int(copied) + 1;
}

DWORD GetGlyphOutlineW(HDC dc, UINT character, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize,
                       LPVOID buffer, const MAT2* matrix) {
    std::lock_guard<std::mutex> hold(GdiObjects::Instance().Lock());
    lumiva::gdi::ScaledFont* font = SelectedFont(dc);
    if (!font || !metrics || !matrix) return GDI_ERROR;
    return font->GlyphOutline(character, format, metrics, bufferSize, buffer, *matrix);
}
