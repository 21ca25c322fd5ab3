// Device contexts: window and memory DCs, and font selection.
#include <wingdi.h>

#include "gdi/GdiObjects.h"

using lumiva::gdi::DeviceContext;
using lumiva::gdi::GdiObjects;

namespace {

HDC AddContext(bool fromWindow, HWND window) {
    GdiObjects& objects = GdiObjects::Instance();
    DeviceContext context;
    context.fromWindow = fromWindow;
    context.window = window;
    // A new DC starts with the system font selected, as on the platform.
    context.selectedHandle = objects.StockFont(SYSTEM_FONT);
    context.selected = objects.FindFont(context.selectedHandle);
    return objects.AddContext(context);
}

}  // namespace

HDC GetDC(HWND window) {
    std::lock_guard<std::mutex> hold(GdiObjects::Instance().Lock());
    return AddContext(true, window);
}

int ReleaseDC(HWND, HDC dc) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    DeviceContext* context = objects.FindContext(dc);
    if (!context || !context->fromWindow) return 0;
    objects.RemoveContext(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC dc) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    if (dc && !objects.FindContext(dc)) return nullptr;
    return AddContext(false, nullptr);
}

BOOL DeleteDC(HDC dc) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    return objects.RemoveContext(dc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    GdiObjects& objects = GdiObjects::Instance();
    std::lock_guard<std::mutex> hold(objects.Lock());
    DeviceContext* context = objects.FindContext(dc);
    if (!context) return nullptr;
    auto font = objects.FindFont(object);
    if (!font) return nullptr;
    HGDIOBJ previous = context->selectedHandle;
    context->selectedHandle = object;
    context->selected = std::move(font);
    return previous;
}
