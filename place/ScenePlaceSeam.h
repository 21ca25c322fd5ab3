// What the scene place calls of parts not built yet: the model manager's
// animation preload. ScenePlaceSeam.cpp holds it with the least body that
// works, together with the place's own operations that come later (the
// region loader thread and the merge); it is the one file to replace.
#pragma once

#include <cstdint>

// The model manager loads one animation file ahead of use.
void PreloadPlayerAnimation(const char* path);
