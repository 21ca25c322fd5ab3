// Sprite frames as untransformed quads at one scene height, clipped to a
// rectangle in scene units (records of type 5).
#pragma once

#include <cstdint>

#include "draw2d/scene/FrameTilesView.h"

class KShellServices;
class KSprImage;

// Clip: left, top, right, bottom. Draws with the states in force.
void DrawFrameInScene(KShellServices& shell, int x, int y, int z, int width, int height, uint32_t frame, KSprImage* picture,
                      const int32_t* clip);
// Clip: top, left, bottom, right. Tiles grow by half a unit on every side
// and draw with point filters.
void DrawFrameInScenePoint(KShellServices& shell, float x, float y, float z, int width, int height, uint32_t frame,
                           KSprImage* picture, const float* clip);

struct KSceneClip {
    float left, top, right, bottom;
};
// The two renderers after reading the frame's tiles.
void DrawFrameTilesInScene(KShellServices& shell, float x, float y, float z, int width, int height,
                           const KFrameTilesView& tiles, KSceneClip clip, bool pointVariant);
