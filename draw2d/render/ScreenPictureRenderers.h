// Screen-space picture renderers: one sprite frame (one quad per texture
// tile) or one region of a JPEG picture as pre-transformed quads.
#pragma once

#include <windows.h>

#include <cstdint>

class KShellServices;
class KJpgImage;
class KSprImage;
struct TileQuad;
struct IDirect3DDevice9;

// Texture alpha times vertex alpha, blended source-alpha over the target.
void SetAlphaStates(IDirect3DDevice9* device);

// Vertex colour by blend mode: 5 keeps the colour, others keep only alpha.
inline DWORD PictureVertexColour(DWORD colour, int blendMode) {
    return blendMode == 5 ? colour : colour | 0x00FFFFFFu;
}

void DrawFrameRotated(KShellServices& shell, float x, float y, int width, int height, uint32_t frame, KSprImage* picture,
                      DWORD colour, int blendMode, float angle, int pivotX, int pivotY);
void DrawFrameScaled(KShellServices& shell, int x, int y, int width, int height, uint32_t frame, KSprImage* picture,
                     DWORD colour, int blendMode, float scaleX, float scaleY);
void DrawFrameScaledPoint(KShellServices& shell, float x, float y, int width, int height, uint32_t frame,
                          KSprImage* picture, DWORD colour, int blendMode, float scaleX, float scaleY);
// clip: top, left, bottom, right.
void DrawFrameClipped(KShellServices& shell, float x, float y, int width, int height, uint32_t frame, KSprImage* picture,
                      DWORD colour, int blendMode, float scaleX, float scaleY, const float* clip);
// crop: left, top, right, bottom.
void DrawFrameCropped(KShellServices& shell, int x, int y, int width, int height, uint32_t frame, KSprImage* picture,
                      const int32_t* crop, DWORD colour, int blendMode);
// The screen quad of a picture's source rectangle (left, top, right, bottom
// in picture pixels) drawn at (x, y); false when nothing is to be drawn (an
// empty rectangle, or off screen).
bool PictureCroppedQuad(int x, int y, const KJpgImage& picture, const int32_t* source, TileQuad* quad);
// source: left, top, right, bottom in picture pixels. The tint applies for
// percent 0..100; a negative brightness is full brightness.
void DrawPictureCropped(KShellServices& shell, int x, int y, KJpgImage* picture, const int32_t* source, int percent,
                        float brightness);
