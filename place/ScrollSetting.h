// One section of a map's scroll settings file: a background picture
// (type 1), falling sprites (type 2) or drifting sprites (type 3), active
// while the focus lies inside its area.
#pragma once

#include <cstddef>
#include <cstdint>

struct KScrollSetting {
    int32_t section;
    int32_t active;
    int32_t imageCount;  // set when its images load, 0 otherwise
    int32_t areaLeft, areaTop, areaRight, areaBottom;  // world units
    // Types 2 and 3: the view area (world units). Type 1: SceneCenterPointX,
    // SceneCenterPointY, PicCenterPointX, PicCenterPointY.
    int32_t centre[4];
    int32_t paintLeft, paintTop, paintRight, paintBottom;  // pixels
    int32_t speedOrRating;  // Speed (types 2, 3) or Rating (type 1)
    int32_t angle;
    int32_t count;

    // Strictly inside the area.
    bool Contains(int x, int y) const { return areaLeft < x && x < areaRight && areaTop < y && y < areaBottom; }
};
static_assert(sizeof(KScrollSetting) == 72);
static_assert(offsetof(KScrollSetting, areaLeft) == 12);
static_assert(offsetof(KScrollSetting, paintLeft) == 44);
static_assert(offsetof(KScrollSetting, count) == 68);
