// Picture records standing or lying in the scene: each becomes four scene
// corners handed to a corner renderer.
#pragma once

#include <cstdint>

#include "draw2d/lists/PictureCorners.h"

class KShellServices;

// Types 3, 6 and 22 on the records' integer points; others draw nothing.
// cornersSpanClip (type 22) makes the corners stand for the clip's columns.
// screenSpace is accepted and not read. Quad types step by their own record
// size.
void DrawScenePictureList(KShellServices& shell, uint32_t type, int count, void* records, int screenSpace,
                          float brightness, bool cornersSpanClip);
// Types 3 and 6 on the float points, brightness 1.
void DrawScenePictureListAlt(KShellServices& shell, uint32_t type, int count, void* records, int reserved);
