#include "draw2d/lists/SpriteAnchor.h"

#include "basrel/HostIntegers.h"
#include "draw2d/lists/PictureRecordView.h"
#include "textures/KSprImage.h"

namespace {

bool WideAtOrigin(const KSprImage& sprite) {
    return sprite.GetCenterX() == 0 && sprite.GetCenterY() == 0 && sprite.GetWidth() > 160;
}

}  // namespace

void AnchorSprite(const KSprImage& sprite, uint8_t flags, int* x, int* y) {
    if (!(flags & picture_flags::kAnchor)) return;
    if (WideAtOrigin(sprite)) {
        *x = host_int::Sub(*x, 160);
        *y = host_int::Sub(*y, 192);
    } else {
        *x = host_int::Sub(*x, sprite.GetCenterX());
        *y = host_int::Sub(*y, sprite.GetCenterY());
    }
}

void AnchorSpriteF(const KSprImage& sprite, uint8_t flags, float* x, float* y) {
    if (!(flags & picture_flags::kAnchor)) return;
    if (WideAtOrigin(sprite)) {
        *x -= 160.0f;
        *y -= 192.0f;
    } else {
        *x -= float(sprite.GetCenterX());
        *y -= float(sprite.GetCenterY());
    }
}

void AddFrameOffset(const KSprImage& sprite, uint32_t frame, uint8_t flags, int* x, int* y) {
    if (flags & picture_flags::kNoFrameOffset) return;
    *x = host_int::Add(*x, sprite.GetFrameOffsetX(int(frame)));
    *y = host_int::Add(*y, sprite.GetFrameOffsetY(int(frame)));
}

void AddFrameOffsetF(const KSprImage& sprite, uint32_t frame, uint8_t flags, float scaleX, float scaleY, float* x,
                     float* y) {
    if (flags & picture_flags::kNoFrameOffset) return;
    *x += float(sprite.GetFrameOffsetX(int(frame))) * scaleX;
    *y += float(sprite.GetFrameOffsetY(int(frame))) * scaleY;
}
