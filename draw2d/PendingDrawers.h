// Picture drawers that DrawPrimitives routes to and that later work builds:
// the scene-space renderers and the picture lists. Each body in
// PendingDrawers.cpp draws nothing until its own work replaces it.
#pragma once

#include <windows.h>

#include <cstdint>

class KDrawShell;
class KSprImage;
struct KPrimPicture;
struct KPrimPictureEx;
struct KPrimSurface;

// Scene lists (types 3, 6, 20, 21, 22). Quad records of types 6, 21 and 22
// are stepped by ScenePictureStride(type).
void DrawScenePictureList(KDrawShell& shell, uint32_t type, int count, void* records, int screenSpace,
                          float brightness, bool clipSpan);
void DrawScenePictureListAlt(KDrawShell& shell, uint32_t type, int count, void* records, int screenSpace);

// Screen lists of 208-byte records (types 3 and 6).
void DrawPictureList(KDrawShell& shell, int count, KPrimPicture* records, int screenSpace);
void DrawPictureListF(KDrawShell& shell, int count, KPrimPicture* records, int screenSpace);

// Type 7 and type 24.
void DrawScaledPictureList(KDrawShell& shell, int count, KPrimPicture* records);
void DrawScaledPictureListPoint(KDrawShell& shell, int count, KPrimPicture* records);
void DrawClippedPictureList(KDrawShell& shell, int count, KPrimPictureEx* records);

// The grey surface (type 17).
void UpdateSurfacePrimitive(KDrawShell& shell, KPrimSurface* record);
void DrawSurfacePrimitive(KDrawShell& shell, KPrimSurface* record);

// Type 5: a sprite frame as a scene quad. Integer clip: left, top, right,
// bottom; float clip: top, left, bottom, right.
void DrawFrameInScene(KDrawShell& shell, int x, int y, int z, int width, int height, uint32_t frame,
                      KSprImage* picture, const int32_t* clip);
void DrawFrameInScenePoint(KDrawShell& shell, float x, float y, float z, int width, int height, uint32_t frame,
                           KSprImage* picture, const float* clip);
