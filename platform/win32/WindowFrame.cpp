#include "WindowFrame.h"

#include "win32/Control.h"

namespace lumiva::win32::detail {
namespace {

constexpr int kCaptionHeight = 19;
constexpr int kMenuHeight = 19;
constexpr int kBorder = 1;
constexpr int kFixedFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kEdge = 2;

void Inflate(FrameInsets& insets, LONG by) {
    insets.left += by;
    insets.top += by;
    insets.right += by;
    insets.bottom += by;
}

// One frame only: a sizing frame already contains the border, and a
// dialog frame replaces it.
LONG OuterFrame(DWORD style, DWORD exStyle) {
    if (style & WS_THICKFRAME) return kSizingFrame;
    if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) return kFixedFrame;
    if (style & WS_BORDER) return kBorder;
    return 0;
}

}  // namespace

FrameInsets FrameFor(DWORD style, DWORD exStyle, bool menu) {
    FrameInsets insets;
    Inflate(insets, OuterFrame(style, exStyle));
    if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaptionHeight;
    if (menu) insets.top += kMenuHeight;
    if (exStyle & WS_EX_CLIENTEDGE) Inflate(insets, kEdge);
    if (exStyle & WS_EX_STATICEDGE) Inflate(insets, kBorder);
    return insets;
}

int FrameMetric(int index) {
    switch (index) {
        case SM_CYCAPTION: return kCaptionHeight;
        case SM_CXBORDER:
        case SM_CYBORDER: return kBorder;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return kFixedFrame;
        case SM_CYMENU: return kMenuHeight;
        case SM_CXFRAME:
        case SM_CYFRAME: return kSizingFrame;
        case SM_CXEDGE:
        case SM_CYEDGE: return kEdge;
        default: return 0;
    }
}

}  // namespace lumiva::win32::detail

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    lumiva::win32::detail::FrameInsets insets = lumiva::win32::detail::FrameFor(style, exStyle, menu != FALSE);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }
