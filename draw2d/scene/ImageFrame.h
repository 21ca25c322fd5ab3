// A sprite frame drawn as screen-space quads into a target picture whose
// texture is the render target, scaled and cut to the target's size.
#pragma once

#include "draw2d/scene/FrameTilesView.h"

class KShellServices;
class KImageTexture;
class KSprImage;

// x, y: the frame's top-left in the target before scaling; the scale applies
// to position and size. Draws with the states in force.
void DrawImageFrame(KShellServices& shell, KSprImage* image, int frame, KImageTexture* target, int x, int y, float scaleX,
                    float scaleY);
// After reading the frame's tiles.
void DrawImageFrameTiles(KShellServices& shell, const KFrameTilesView& tiles, int targetWidth, int targetHeight, int x,
                         int y, float scaleX, float scaleY);
