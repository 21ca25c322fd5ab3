// Windows as records on a virtual desktop. Top-level windows are placed in
// desktop coordinates, child windows in their parent's client coordinates.
#include "WindowRecords.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "WindowFrame.h"
#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

constexpr uintptr_t kDesktopHandle = 0x10010;
constexpr uintptr_t kFirstWindowHandle = 0x20000;
constexpr int kDefaultDesktopWidth = 1024;
constexpr int kDefaultDesktopHeight = 768;

struct WindowRecord {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};  // in the parent's client coordinates (desktop for top level)
    HWND parent = nullptr;
    HMENU menu = nullptr;  // a child window's identifier lives in childId
    LONG childId = 0;
    LONG userData = 0;
    std::string title;
    std::string className;
};

struct Desktop {
    std::recursive_mutex lock;
    int width = kDefaultDesktopWidth;
    int height = kDefaultDesktopHeight;
    std::map<uintptr_t, WindowRecord> windows;
    uintptr_t nextHandle = kFirstWindowHandle;
};

Desktop& TheDesktop() {
    static auto* desktop = new Desktop;
    return *desktop;
}

HWND DesktopHandle() { return reinterpret_cast<HWND>(kDesktopHandle); }

bool IsDesktop(HWND window) { return reinterpret_cast<uintptr_t>(window) == kDesktopHandle; }

WindowRecord* Find(Desktop& d, HWND window) {
    auto it = d.windows.find(reinterpret_cast<uintptr_t>(window));
    if (it == d.windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return &it->second;
}

bool IsChild(const WindowRecord& w) { return (w.style & WS_CHILD) != 0; }

detail::FrameInsets InsetsOf(const WindowRecord& w) {
    return detail::FrameFor(w.style, w.exStyle, !IsChild(w) && w.menu != nullptr);
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

// Where the window's client origin sits on the desktop.
POINT ClientOriginOnDesktop(Desktop& d, HWND window) {
    POINT origin{0, 0};
    while (window && !IsDesktop(window)) {
        const WindowRecord* w = Find(d, window);
        if (!w) break;
        detail::FrameInsets insets = InsetsOf(*w);
        origin.x += w->rect.left + insets.left;
        origin.y += w->rect.top + insets.top;
        window = w->parent;
    }
    return origin;
}

// The desktop's outer and client rectangles are both the whole desktop.
template <class RectOf>
BOOL ReadRect(HWND window, LPRECT rect, RectOf rectOf) {
    if (!rect) return FALSE;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (IsDesktop(window)) {
        *rect = RECT{0, 0, d.width, d.height};
        return TRUE;
    }
    const WindowRecord* w = Find(d, window);
    if (!w) return FALSE;
    *rect = rectOf(d, *w);
    return TRUE;
}

// sign +1 takes a client point to the desktop, -1 brings it back.
BOOL ShiftByClientOrigin(HWND window, LPPOINT point, LONG sign) {
    if (!point) return FALSE;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (!IsDesktop(window) && !Find(d, window)) return FALSE;
    POINT origin = ClientOriginOnDesktop(d, window);
    point->x += sign * origin.x;
    point->y += sign * origin.y;
    return TRUE;
}

void Place(WindowRecord& w, int x, int y, int width, int height) {
    w.rect.left = x;
    w.rect.top = y;
    w.rect.right = x + std::max(width, 0);
    w.rect.bottom = y + std::max(height, 0);
}

// The platform gives every overlapped window a caption and clips its siblings.
DWORD CreationStyle(DWORD style) {
    if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
    return style;
}

void DestroyTree(Desktop& d, uintptr_t handle) {
    std::vector<uintptr_t> children;
    for (const auto& [child, record] : d.windows)
        if (reinterpret_cast<uintptr_t>(record.parent) == handle) children.push_back(child);
    for (uintptr_t child : children) DestroyTree(d, child);
    d.windows.erase(handle);
}

}  // namespace

namespace detail {

void ResetWindows() {
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    d.windows.clear();
    d.width = kDefaultDesktopWidth;
    d.height = kDefaultDesktopHeight;
}

}  // namespace detail

void SetDesktopSize(int width, int height) {
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    d.width = std::max(width, 0);
    d.height = std::max(height, 0);
}

bool ClientAreaOnDesktop(HWND window, RECT* rect) {
    if (!rect || !GetClientRect(window, rect)) return false;
    POINT topLeft{rect->left, rect->top};
    POINT bottomRight{rect->right, rect->bottom};
    if (!ClientToScreen(window, &topLeft) || !ClientToScreen(window, &bottomRight)) return false;
    *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return true;
}

int WindowCount() {
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    return int(d.windows.size());
}

}  // namespace lumiva::win32

using lumiva::win32::Desktop;
using lumiva::win32::TheDesktop;
using lumiva::win32::WindowRecord;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE, LPVOID) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (IsDesktop(parent)) parent = nullptr;
    if (parent && !Find(d, parent)) return nullptr;
    if ((style & WS_CHILD) && !parent) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    WindowRecord w;
    w.style = CreationStyle(style);
    w.exStyle = exStyle;
    w.parent = parent;
    if (style & WS_CHILD)
        w.childId = LONG(reinterpret_cast<uintptr_t>(menu));
    else
        w.menu = menu;
    w.title = windowName ? windowName : "";
    w.className = className ? className : "";
    // Default placement: the desktop's corner at three quarters of its size.
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = d.width * 3 / 4;
        height = d.height * 3 / 4;
    }
    Place(w, x, y, width, height);
    uintptr_t handle = d.nextHandle;
    d.nextHandle += 4;
    d.windows.emplace(handle, std::move(w));
    return reinterpret_cast<HWND>(handle);
}

BOOL DestroyWindow(HWND window) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (!Find(d, window)) return FALSE;
    DestroyTree(d, reinterpret_cast<uintptr_t>(window));
    return TRUE;
}

BOOL IsWindow(HWND window) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    return IsDesktop(window) || d.windows.count(reinterpret_cast<uintptr_t>(window)) ? TRUE : FALSE;
}

HWND GetDesktopWindow() { return lumiva::win32::DesktopHandle(); }

HWND GetParent(HWND window) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    const WindowRecord* w = Find(d, window);
    return w ? w->parent : nullptr;
}

int GetSystemMetrics(int index) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (index == SM_CXSCREEN) return d.width;
    if (index == SM_CYSCREEN) return d.height;
    return detail::FrameMetric(index);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    WindowRecord* w = Find(d, window);
    if (!w) return FALSE;
    if (flags & SWP_NOMOVE) {
        x = w->rect.left;
        y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
        cx = Width(w->rect);
        cy = Height(w->rect);
    }
    Place(*w, x, y, cx, cy);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~DWORD(WS_EX_TOPMOST);
    }
    if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) w->style &= ~DWORD(WS_VISIBLE);
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    WindowRecord* w = Find(d, window);
    if (!w) return 0;
    LONG previous = 0;
    switch (index) {
        case GWL_STYLE:
            previous = LONG(w->style);
            w->style = DWORD(value);
            break;
        case GWL_EXSTYLE:
            previous = LONG(w->exStyle);
            w->exStyle = DWORD(value);
            break;
        case GWL_USERDATA:
            previous = w->userData;
            w->userData = value;
            break;
        case GWL_ID:
            previous = w->childId;
            w->childId = value;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return previous;
}

LONG GetWindowLongA(HWND window, int index) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (IsDesktop(window) && index == GWL_STYLE) return LONG(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    const WindowRecord* w = Find(d, window);
    if (!w) return 0;
    switch (index) {
        case GWL_STYLE: return LONG(w->style);
        case GWL_EXSTYLE: return LONG(w->exStyle);
        case GWL_USERDATA: return w->userData;
        case GWL_ID: return w->childId;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    using namespace lumiva::win32;
    return ReadRect(window, rect, [](Desktop& d, const WindowRecord& w) {
        POINT origin = w.parent ? ClientOriginOnDesktop(d, w.parent) : POINT{0, 0};
        return RECT{w.rect.left + origin.x, w.rect.top + origin.y, w.rect.right + origin.x, w.rect.bottom + origin.y};
    });
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    using namespace lumiva::win32;
    return ReadRect(window, rect, [](Desktop&, const WindowRecord& w) {
        detail::FrameInsets insets = InsetsOf(w);
        LONG width = Width(w.rect) - insets.left - insets.right;
        LONG height = Height(w.rect) - insets.top - insets.bottom;
        return RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
    });
}

BOOL ClientToScreen(HWND window, LPPOINT point) { return lumiva::win32::ShiftByClientOrigin(window, point, +1); }

BOOL ScreenToClient(HWND window, LPPOINT point) { return lumiva::win32::ShiftByClientOrigin(window, point, -1); }

BOOL IsWindowVisible(HWND window) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    if (IsDesktop(window)) return TRUE;
    // Visible only when the window and every ancestor are.
    for (HWND current = window; current; ) {
        const WindowRecord* w = Find(d, current);
        if (!w || !(w->style & WS_VISIBLE)) return FALSE;
        current = w->parent;
    }
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    WindowRecord* w = Find(d, window);
    if (!w) return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    if (command == SW_HIDE)
        w->style &= ~DWORD(WS_VISIBLE);
    else
        w->style |= WS_VISIBLE;
    return wasVisible;
}

HMENU GetMenu(HWND window) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    const WindowRecord* w = Find(d, window);
    return w ? w->menu : nullptr;
}

BOOL SetMenu(HWND window, HMENU menu) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    WindowRecord* w = Find(d, window);
    if (!w || IsChild(*w)) return FALSE;
    w->menu = menu;
    return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    WindowRecord* w = Find(d, window);
    if (!w) return FALSE;
    w->title = text ? text : "";
    return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int size) {
    using namespace lumiva::win32;
    if (!text || size <= 0) return 0;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    text[0] = 0;
    const WindowRecord* w = Find(d, window);
    if (!w) return 0;
    size_t n = std::min(w->title.size(), size_t(size - 1));
    std::memcpy(text, w->title.data(), n);
    text[n] = 0;
    return int(n);
}

int GetWindowTextLengthA(HWND window) {
    using namespace lumiva::win32;
    Desktop& d = TheDesktop();
    std::lock_guard lock(d.lock);
    const WindowRecord* w = Find(d, window);
    return w ? int(w->title.size()) : 0;
}
