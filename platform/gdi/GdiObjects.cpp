#include "gdi/GdiObjects.h"

#include <cstring>

namespace lumiva::gdi {
namespace {

template <typename Handle>
Handle ToHandle(uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

uintptr_t ToValue(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

bool IsStockFontIndex(int index) {
    return (index >= OEM_FIXED_FONT && index <= DEVICE_DEFAULT_FONT) || index == SYSTEM_FIXED_FONT ||
           index == DEFAULT_GUI_FONT;
}

LOGFONTA StockDescription(int index) {
    LOGFONTA description{};
    description.lfHeight = index == DEFAULT_GUI_FONT ? -11 : 16;
    description.lfWeight = index == SYSTEM_FONT ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(description.lfFaceName, "System");
    return description;
}

}  // namespace

GdiObjects& GdiObjects::Instance() {
    // Never destroyed: other objects may release fonts from their own
    // static destructors.
    static GdiObjects* objects = new GdiObjects;
    return *objects;
}

HFONT GdiObjects::AddFont(std::shared_ptr<LogicalFont> font) {
    uintptr_t value = NextHandle();
    fonts_[value] = std::move(font);
    return ToHandle<HFONT>(value);
}

std::shared_ptr<LogicalFont> GdiObjects::FindFont(HGDIOBJ handle) const {
    auto found = fonts_.find(ToValue(handle));
    return found == fonts_.end() ? nullptr : found->second;
}

bool GdiObjects::RemoveFont(HGDIOBJ handle) { return fonts_.erase(ToValue(handle)) == 1; }

HFONT GdiObjects::StockFont(int index) {
    if (!IsStockFontIndex(index)) return nullptr;
    auto known = stockFonts_.find(index);
    if (known != stockFonts_.end()) return ToHandle<HFONT>(known->second);
    auto font = std::make_shared<LogicalFont>();
    font->description = StockDescription(index);
    font->realised = ScaledFont::Create(font->description);
    font->stock = true;
    if (!font->realised) return nullptr;
    HFONT handle = AddFont(std::move(font));
    stockFonts_[index] = ToValue(handle);
    return handle;
}

HDC GdiObjects::AddContext(const DeviceContext& context) {
    uintptr_t value = NextHandle();
    contexts_[value] = context;
    return ToHandle<HDC>(value);
}

DeviceContext* GdiObjects::FindContext(HDC handle) {
    auto found = contexts_.find(ToValue(handle));
    return found == contexts_.end() ? nullptr : &found->second;
}

bool GdiObjects::RemoveContext(HDC handle) { return contexts_.erase(ToValue(handle)) == 1; }

size_t GdiObjects::FontCount() const {
    size_t count = 0;
    for (const auto& entry : fonts_)
        if (!entry.second->stock) ++count;
    return count;
}

void GdiObjects::Clear() {
    contexts_.clear();
    fonts_.clear();
    stockFonts_.clear();
}

}  // namespace lumiva::gdi
