// PENDING: stand-ins until the scene renderers and picture lists exist.
#include "draw2d/PendingDrawers.h"

void DrawPictureList(KDrawShell&, int, KPrimPicture*, int) {}
void DrawPictureListF(KDrawShell&, int, KPrimPicture*, int) {}
void DrawScaledPictureList(KDrawShell&, int, KPrimPicture*) {}
void DrawScaledPictureListPoint(KDrawShell&, int, KPrimPicture*) {}
void DrawClippedPictureList(KDrawShell&, int, KPrimPictureEx*) {}
void UpdateSurfacePrimitive(KDrawShell&, KPrimSurface*) {}
void DrawSurfacePrimitive(KDrawShell&, KPrimSurface*) {}
