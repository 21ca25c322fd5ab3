// The map's light colours: seven day colours (MidLight, Dawn, Morning,
// Forenoon, Noon, Dusk, Evening) and the scene colour the ambient light is
// made from.
#pragma once

#include <cstdint>

struct KDayLightEntry {
    uint16_t r, g, b, pad;
};

struct KDayLightTable {
    static constexpr int kDayColours = 7;
    static constexpr int kSceneEntry = 7;

    KDayLightEntry entries[8] = {
        {24, 24, 24, 0}, {24, 24, 40, 0}, {56, 56, 59, 0}, {64, 64, 64, 0},
        {88, 88, 88, 0}, {56, 48, 40, 0}, {48, 42, 40, 0}, {0, 0, 0, 0},
    };

    // i 0..7 sets that entry; i < 0 sets the day colours; others are ignored.
    void Set(int32_t i, uint8_t r, uint8_t g, uint8_t b);
    // 0xFF000000 | r << 16 | g << 8 | b of the scene colour.
    uint32_t PackSceneColour() const;
};
