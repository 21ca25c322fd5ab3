// Picture drawers that DrawPrimitives routes to: the scene lists, the screen
// lists and the grey surface, built in draw2d/lists/.
#pragma once

#include <windows.h>

#include <cstdint>

#include "draw2d/scene/SceneFrame.h"  // type 5

class KShellServices;
class KSprImage;
struct KPrimPicture;
struct KPrimPictureEx;
struct KPrimSurface;

// Scene lists (types 3, 6, 20, 21, 22). Quad records of types 6, 21 and 22
// are stepped by ScenePictureStride(type).
void DrawScenePictureList(KShellServices& shell, uint32_t type, int count, void* records, int screenSpace,
                          float brightness, bool clipSpan);
void DrawScenePictureListAlt(KShellServices& shell, uint32_t type, int count, void* records, int screenSpace);

// Screen lists of 208-byte records (types 3 and 6).
void DrawPictureList(KShellServices& shell, int count, KPrimPicture* records, int screenSpace);
void DrawPictureListF(KShellServices& shell, int count, KPrimPicture* records, int screenSpace);

// Type 7 and type 24.
void DrawScaledPictureList(KShellServices& shell, int count, KPrimPicture* records);
void DrawScaledPictureListPoint(KShellServices& shell, int count, KPrimPicture* records);
void DrawClippedPictureList(KShellServices& shell, int count, KPrimPictureEx* records);

// The grey surface (type 17).
void UpdateSurfacePrimitive(KShellServices& shell, KPrimSurface* record);
void DrawSurfacePrimitive(KShellServices& shell, KPrimSurface* record);

