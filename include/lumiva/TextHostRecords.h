// Records the host fills for text boxes, and its inline-picture handler.
#pragma once

#include <cstddef>
#include <cstdint>

// z value of a screen position (integers and floats alike).
constexpr int32_t kScreenZ = -32767;

struct KTextRect {
    int32_t x;
    int32_t y;
    int32_t z;  // kScreenZ: screen coordinates, else a scene point
    float fx;   // the Ex form reads the scene point here; the shell writes the point used
    float fy;
    float fz;
    int16_t firstLine;  // lines to skip
    int16_t maxLines;   // below 1 nothing is drawn
    uint32_t colour;
    uint32_t gradient;  // its alpha is replaced
    int16_t placement;  // 1, 2 or other: where text sits in a tall line
    int16_t unused;
    uint32_t ignorePictures;  // non-zero: line heights ignore pictures
};
static_assert(sizeof(KTextRect) == 44, "KTextRect layout");
static_assert(offsetof(KTextRect, firstLine) == 24 && offsetof(KTextRect, colour) == 28 &&
                  offsetof(KTextRect, placement) == 36 && offsetof(KTextRect, ignorePictures) == 40,
              "KTextRect layout");

class ITextImageHandler {
public:
    // Negative when the handler has no picture of that id.
    virtual int32_t GetPictureSize(uint16_t id, int32_t* width, int32_t* height) = 0;
    virtual int32_t DrawPicture(uint16_t id, int32_t x, int32_t y, uint32_t colour) = 0;
    virtual int32_t DrawPictureF(uint16_t id, float x, float y, uint32_t colour) = 0;

protected:
    ~ITextImageHandler() = default;
};
