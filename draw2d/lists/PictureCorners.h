// Scene corners of one picture and the rules that place them: a picture lies
// flat when both its points have the same height (z), else it stands upright
// between them. One frame pixel spans 1.05 scene units across and 1.12 up;
// on the ground a pixel in y counts twice.
#pragma once

#include <cstdint>

constexpr float kScenePixelX = 1.05f;
constexpr float kScenePixelZ = 1.12f;
// Anchor of a wide sprite without a centre: 160 x 192 frame pixels.
constexpr float kSceneFallbackAnchorX = 168.0f;
constexpr float kSceneFallbackAnchorZ = 215.04f;

struct KScenePoint {
    float x, y, z;
};

// Corner 0 is point A, corner 2 point B; 1 and 3 close the quad.
struct KPictureCorners {
    KScenePoint corner[4];
};

void PlaceCornersBetween(KPictureCorners* corners, const KScenePoint& a, const KScenePoint& b);
void PlaceQuadCorners(KPictureCorners* corners, const KScenePoint& a, const KScenePoint& c, const KScenePoint& b,
                      const KScenePoint& d);

struct KSceneSpriteFrame {
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t pictureWidth = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
};

// Moves A by the picture's centre (or the wide-sprite fallback) and, unless
// keepB, makes B span the frame from the new A.
void AnchorSceneSprite(KScenePoint* a, KScenePoint* b, const KSceneSpriteFrame& frame, bool keepB);
// Adds the frame's own offset: along x and y on the ground, along the A-to-B
// direction and down in z when upright. Upright points that coincide in x
// and y move along x.
void OffsetSceneSprite(KScenePoint* a, KScenePoint* b, const KSceneSpriteFrame& frame);
