#include "place/DayLightTable.h"

void KDayLightTable::Set(int32_t i, uint8_t r, uint8_t g, uint8_t b) {
    const KDayLightEntry colour{r, g, b, 0};
    if (i < 0) {
        for (int k = 0; k < kDayColours; ++k) entries[k] = colour;
    } else if (i <= kSceneEntry) {
        entries[i] = colour;
    }
}

uint32_t KDayLightTable::PackSceneColour() const {
    const KDayLightEntry& e = entries[kSceneEntry];
    return 0xFF000000u | uint32_t(e.r & 0xFF) << 16 | uint32_t(e.g & 0xFF) << 8 | uint32_t(e.b & 0xFF);
}
