// Picture records standing or lying in the scene: each becomes four scene
// corners handed to a corner renderer.
#pragma once

#include "draw2d/lists/PictureCorners.h"

class KDrawShell;

// Types 3, 6 and 22 on the records' integer points; others draw nothing.
// cornersSpanClip (type 22) makes the corners stand for the clip's columns.
void DrawScenePictureList(KDrawShell& shell, int type, int count, void* records, float brightness,
                          bool cornersSpanClip);
// Types 3 and 6 on the float points, brightness 1.
void DrawScenePictureListAlt(KDrawShell& shell, int type, int count, void* records);
