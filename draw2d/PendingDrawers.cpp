// PENDING: stand-ins until the scene renderers and picture lists exist.
#include "draw2d/PendingDrawers.h"

void DrawScenePictureList(KDrawShell&, uint32_t, int, void*, int, float, bool) {}
void DrawScenePictureListAlt(KDrawShell&, uint32_t, int, void*, int) {}
void DrawPictureList(KDrawShell&, int, KPrimPicture*, int) {}
void DrawPictureListF(KDrawShell&, int, KPrimPicture*, int) {}
void DrawScaledPictureList(KDrawShell&, int, KPrimPicture*) {}
void DrawScaledPictureListPoint(KDrawShell&, int, KPrimPicture*) {}
void DrawClippedPictureList(KDrawShell&, int, KPrimPictureEx*) {}
void UpdateSurfacePrimitive(KDrawShell&, KPrimSurface*) {}
void DrawSurfacePrimitive(KDrawShell&, KPrimSurface*) {}
void DrawFrameInScene(KDrawShell&, int, int, int, int, int, uint32_t, KSprImage*, const int32_t*) {}
void DrawFrameInScenePoint(KDrawShell&, float, float, float, int, int, uint32_t, KSprImage*, const float*) {}
