// Drawing a sprite frame into a target picture whose texture is the render
// target (DrawImage's per-record work).
#pragma once

class KImageTexture;
class KSprImage;

// STAND-IN: the frame drawer comes with the 2D drawing work; until then it
// draws nothing. This is the one place that says so.
void DrawImageFrame(KSprImage* image, int frame, KImageTexture* target, int x, int y, float scaleX, float scaleY);
