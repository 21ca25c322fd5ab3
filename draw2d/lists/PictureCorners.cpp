#include "draw2d/lists/PictureCorners.h"

#include <cmath>

namespace {

bool LiesFlat(const KScenePoint& a, const KScenePoint& b) { return a.z == b.z; }

}  // namespace

void PlaceCornersBetween(KPictureCorners* corners, const KScenePoint& a, const KScenePoint& b) {
    const bool flat = LiesFlat(a, b);
    corners->corner[0] = a;
    corners->corner[1] = KScenePoint{b.x, flat ? a.y : b.y, a.z};
    corners->corner[2] = b;
    corners->corner[3] = KScenePoint{a.x, flat ? b.y : a.y, b.z};
}

void PlaceQuadCorners(KPictureCorners* corners, const KScenePoint& a, const KScenePoint& c, const KScenePoint& b,
                      const KScenePoint& d) {
    corners->corner[0] = a;
    corners->corner[1] = c;
    corners->corner[2] = b;
    corners->corner[3] = d;
}

void AnchorSceneSprite(KScenePoint* a, KScenePoint* b, const KSceneSpriteFrame& frame, bool keepB) {
    if (frame.centreX != 0 || frame.centreY != 0) {
        a->x -= kScenePixelX * float(frame.centreX);
        a->z += kScenePixelZ * float(frame.centreY);
    } else if (frame.pictureWidth > 160) {
        a->x -= kSceneFallbackAnchorX;
        a->z += kSceneFallbackAnchorZ;
    }
    if (keepB) return;
    b->x = a->x + kScenePixelX * float(frame.width);
    b->z = a->z - kScenePixelZ * float(frame.height);
    b->y = a->y;
}

void OffsetSceneSprite(KScenePoint* a, KScenePoint* b, const KSceneSpriteFrame& frame) {
    const float ox = kScenePixelX * float(frame.offsetX);
    const float oz = kScenePixelZ * float(frame.offsetY);
    if (LiesFlat(*a, *b)) {
        a->x += ox;
        b->x += ox;
        a->y += 2 * oz;
        b->y += 2 * oz;
        return;
    }
    const float dx = std::fabs(b->x - a->x);
    const float dy = std::fabs(b->y - a->y);
    const float length = std::sqrt(dx * dx + dy * dy);
    const float alongX = length > 0 ? dx / length : 1.0f;
    const float alongY = length > 0 ? dy / length : 0.0f;
    a->x += ox * alongX;
    b->x += ox * alongX;
    a->y += 2 * ox * alongY;
    b->y += 2 * ox * alongY;
    a->z -= oz;
    b->z -= oz;
}
