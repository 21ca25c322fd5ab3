#include "draw2d/lists/CompositionPlan.h"

#include <algorithm>

void WidenGroupBox(KGroupBox* box, int32_t x, int32_t y, int32_t width, int32_t height) {
    const int32_t right = x + width;
    const int32_t bottom = y + height;
    if (box->empty) {
        *box = KGroupBox{x, y, right, bottom, false};
        return;
    }
    box->left = std::min(box->left, x);
    box->top = std::min(box->top, y);
    box->right = std::max(box->right, right);
    box->bottom = std::max(box->bottom, bottom);
}

bool GroupBoxTouchesScreen(const KGroupBox& box, int32_t screenWidth, int32_t screenHeight) {
    return !box.empty && box.right >= 0 && box.left <= screenWidth && box.bottom >= 0 && box.top <= screenHeight;
}

int ComposeTextureSizeFor(const KGroupBox& box) {
    const int64_t width = int64_t(box.right) - box.left;
    const int64_t height = int64_t(box.bottom) - box.top;
    if (box.empty || width < 0 || height < 0) return 0;
    if (width <= 128 && height <= 128) return 128;
    if (width <= 256 && height <= 256) return 256;
    return 0;
}

void BuildComposeQuad(const KGroupBox& box, int textureSize, uint32_t colour, KComposeVertex quad[4]) {
    constexpr float kInset = 1.0f / 512.0f;
    const float size = float(textureSize);
    const float u1 = float(box.right - box.left) / size - kInset;
    const float v1 = float(box.bottom - box.top) / size - kInset;
    const float left = float(box.left), top = float(box.top), right = float(box.right), bottom = float(box.bottom);
    quad[0] = KComposeVertex{left, top, 100.0f, 1.0f, colour, kInset, kInset};
    quad[1] = KComposeVertex{right, top, 100.0f, 1.0f, colour, u1, kInset};
    quad[2] = KComposeVertex{left, bottom, 100.0f, 1.0f, colour, kInset, v1};
    quad[3] = KComposeVertex{right, bottom, 100.0f, 1.0f, colour, u1, v1};
}
