// What the mini-map hands the host's PaintMapIcons: where the mini-map is
// drawn, its view window and the pictures for the host's own icons. The
// host reads it during the call only. Pointers are native.
#pragma once

#include <cstdint>

#include "draw2d/primitives/PrimitiveRecords.h"

struct KMapIconRecord {
    int32_t paintX;
    int32_t paintY;
    uint8_t flagBit1;  // 0 or 1
    uint8_t flagBit2;  // 0 or 1
    uint8_t zero[2];
    uint32_t elapsed;           // milliseconds since the previous send
    const int32_t* viewWindow;  // left, top, right, bottom in mini-map pixels
    uint16_t acceptSecond, acceptFirst;
    const KPrimPicture* accept;
    uint16_t finishSecond, finishFirst;
    const KPrimPicture* finish;
    uint16_t cantFinishSecond, cantFinishFirst;
    const KPrimPicture* cantFinish;
    KPrimPicture picture;  // the mini-map's own picture record
    char teamIcon[80];
    char friendIcon[80];
    char playerIcon[80];
    char fightNpcIcon[80];
    char normalIcon[80];
    char fightPlayerIcon[80];
};
