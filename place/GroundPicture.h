// One of the place's nine ground pictures: the picture record that draws a
// region's ground, bound to at most one active region at a time.
#pragma once

#include <cstdint>

#include "lumiva/PrimitiveRecords.h"

struct KPlaceGroundPicture {
    KPrimPicture picture;
    uint8_t inUse = 0;  // bound to an active region
    uint8_t built = 0;  // the picture holds that region's ground
};
