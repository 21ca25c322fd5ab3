// JPEG pictures on four scene corners (top-left, top-right, bottom-right,
// bottom-left, three floats each), for the scene picture lists; the caller
// has set vertex format 0x142.
#pragma once

class KShellServices;
class KJpgImage;

// One quad; 0 < brightness < 1 darkens it through the texture factor.
void DrawTintedPicture(KShellServices& shell, const float* corners, KJpgImage* picture, float brightness);
// Cells of the light grid's size, each vertex coloured by the grid.
void DrawTintedPictureSplit(KShellServices& shell, const float* corners, KJpgImage* picture);
