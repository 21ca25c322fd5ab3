// The model manager loads one player action animation ahead of use and
// keeps it; nothing without a manager.
#pragma once

void PreloadPlayerAnimation(const char* path);
