// A screen list of four pictures or more drawn as one group: its frames are
// decoded into one of the shell's compose textures and shown by one quad.
#pragma once

#include "draw2d/lists/CompositionPlan.h"

class KShellServices;

// The group's box in screen pixels over every record whose sprite and frame
// exist; empty when none has.
KGroupBox GetPictureGroupBounds(KShellServices& shell, int count, void* records, int screenSpace);

// Whether the composition can take every usable record: sprites only, frame 0
// with run-length or DXT5 data in memory.
bool CanComposePictureGroup(KShellServices& shell, int count, void* records);

// The frames of the group's usable records decoded into the compose texture
// of `textureSize` (128 or 256) over the non-empty `box`, then shown by one
// quad. False, drawing nothing, when the texture cannot be written.
bool ComposePictureGroup(KShellServices& shell, int count, void* records, int screenSpace, const KGroupBox& box,
                         int textureSize);

enum class KGroupResult { Composed, NothingToDraw, DrawSingly };

// Composes and draws the group. A group the composition cannot take (see
// above, or a box over 256 either way) is left to the caller to draw record
// by record; an empty or off-screen group draws nothing.
KGroupResult DrawPictureGroup(KShellServices& shell, int count, void* records, int screenSpace);
