// Sprite files whose first frame is a whole image file: where that image
// lies, checked against the file.
#pragma once

#include <cstddef>
#include <cstdint>

struct KEmbeddedImage {
    size_t offset = 0;
    size_t length = 0;
    uint16_t width = 0;   // the sprite's, from its header
    uint16_t height = 0;
};

// True when the name ends in ".spr", in any case.
bool IsSpriteFileName(const char* name);

// The image starts 8 bytes after the frame table (the first frame's head)
// and is the first table entry's length less that head. False when the
// header, the table or the image does not fit in the file, or the image is
// empty.
bool LocateEmbeddedImage(const uint8_t* bytes, size_t size, KEmbeddedImage* image);
