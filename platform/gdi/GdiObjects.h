// The GDI object table: logical fonts and device contexts behind opaque
// handles. Handles are checked on every call, so a stale or foreign handle
// fails instead of being dereferenced. One lock serialises the GDI calls
// (FreeType faces are not thread-safe).
#pragma once

#include <wingdi.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "gdi/ScaledFont.h"

namespace lumiva::gdi {

struct LogicalFont {
    LOGFONTA description{};
    std::unique_ptr<ScaledFont> realised;
    bool stock = false;
};

struct DeviceContext {
    bool fromWindow = false;  // GetDC (ReleaseDC) rather than CreateCompatibleDC (DeleteDC)
    HWND window = nullptr;
    HGDIOBJ selectedHandle = nullptr;
    // Kept alive here, so deleting a selected font leaves the DC usable.
    std::shared_ptr<LogicalFont> selected;
};

class GdiObjects {
public:
    static GdiObjects& Instance();

    std::mutex& Lock() { return lock_; }

    // Everything below expects Lock() held.
    HFONT AddFont(std::shared_ptr<LogicalFont> font);
    std::shared_ptr<LogicalFont> FindFont(HGDIOBJ handle) const;
    bool RemoveFont(HGDIOBJ handle);
    HFONT StockFont(int index);  // null for indexes that are not fonts

    HDC AddContext(const DeviceContext& context);
    DeviceContext* FindContext(HDC handle);
    bool RemoveContext(HDC handle);

    size_t FontCount() const;  // not counting stock fonts
    size_t ContextCount() const { return contexts_.size(); }
    void Clear();

private:
    uintptr_t NextHandle() { return nextHandle_ += 8; }

    std::mutex lock_;
    uintptr_t nextHandle_ = 0x47D10000;
    std::map<uintptr_t, std::shared_ptr<LogicalFont>> fonts_;
    std::map<uintptr_t, DeviceContext> contexts_;
    std::map<int, uintptr_t> stockFonts_;
};

}  // namespace lumiva::gdi
