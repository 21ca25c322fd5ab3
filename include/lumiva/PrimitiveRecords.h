// The records the host fills for DrawPrimitives. They cross the module
// boundary, so plain-data records keep their byte layouts exactly; records
// that carry a pointer keep the field order with a native pointer.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

class KModelProxy;
class IK3DEffectNode;
class KLightning;
class KLightningSet;
class KStaticMesh;

enum KPrimitiveType : uint32_t {
    PRIM_POINTS = 0,
    PRIM_LINES = 1,
    PRIM_CORNER_FRAMES = 2,
    PRIM_PICTURES = 3,
    PRIM_RECT_PICTURES = 4,
    PRIM_TWO_POINT_PICTURES = 5,
    PRIM_QUAD_PICTURES = 6,
    PRIM_SCALED_PICTURES = 7,
    PRIM_RESERVED_8 = 8,
    PRIM_BARS = 9,
    PRIM_THIN_BARS = 10,
    PRIM_RESERVED_11 = 11,
    PRIM_MODELS = 12,
    PRIM_EFFECT_NODES = 13,
    PRIM_LIGHTNING = 14,
    PRIM_LIGHTNING_SETS = 15,
    PRIM_RESERVED_16 = 16,
    PRIM_SURFACE = 17,
    PRIM_RECT_PICTURES_2 = 18,
    PRIM_MODELS_NO_DEPTH_WRITE = 19,
    PRIM_BRIGHT_PICTURES = 20,
    PRIM_BRIGHT_QUAD_PICTURES = 21,
    PRIM_QUAD_PICTURES_CLIP_SPAN = 22,
    PRIM_TURNING_MESH = 23,
    PRIM_CLIPPED_PICTURES = 24,
};
constexpr uint32_t kLastPrimitiveType = PRIM_CLIPPED_PICTURES;

// Flag bits of KPrimPicture::flags.
constexpr uint8_t kPictureAnchorCentre = 1;
constexpr uint8_t kPictureNoFrameOffset = 2;
constexpr uint8_t kPictureSizeFromPicture = 4;
constexpr uint8_t kPictureKeepPointB = 8;
constexpr uint8_t kPictureRotate = 16;

struct KPrimPicture {
    int32_t ax, ay, az;
    float fax, fay, faz;
    int32_t bx, by, bz;
    float fbx, fby, fbz;
    uint8_t blue, green, red, alpha;
    uint8_t blendMode;
    uint8_t flags;
    int16_t imageType;
    char fileName[128];
    uint32_t fileId;
    int16_t indexHint;
    int16_t frame;
    float angle;
    int32_t pivotX, pivotY;
    uint32_t loadArgument;

    // Sets alpha 0xFF and clears angle, pivots and load argument; the rest
    // stays as the memory held it.
    KPrimPicture();
    DWORD Colour() const { return DWORD(alpha) << 24 | DWORD(red) << 16 | DWORD(green) << 8 | blue; }
};

struct KPrimPictureEx : KPrimPicture {
    int32_t r0, r1, r2, r3;
    float f0, f1, f2, f3;
};

struct KPrimQuadPicture : KPrimPictureEx {
    int32_t cx, cy, cz;
    int32_t dx, dy, dz;
};

struct KPrimPoint {
    int32_t x, y, z;
    uint8_t unread[12];
    uint8_t blue, green, red, unusedAlpha;
};

struct KPrimLine {
    int32_t x1, y1, z1;
    uint8_t unread[12];
    int32_t x2, y2, z2;
    uint8_t blue, green, red, alpha;
};

struct KPrimBar {
    int32_t ax, ay, az;
    float fax, fay, faz;
    int32_t bx, by, bz;
    float fbx, fby, fbz;
    uint8_t blue, green, red, level;
};

struct KPrimModel {
    uint8_t unread[24];
    KModelProxy* model;
    int32_t computeTransform;
};

struct KPrimNode {
    uint8_t unread[24];
    IK3DEffectNode* node;
    uint8_t tail[4];
};

struct KPrimEffect {
    uint8_t unread[24];
    void* effect;  // KLightning (type 14) or KLightningSet (type 15)
};

struct KPrimSurface {
    int32_t x, y;
    uint8_t unread[16];
    int32_t width, height;
    const uint8_t* pixels;  // 8-bit grey, row after row
    uint8_t dirty;
};

struct KPrimMesh {
    int32_t x, y;
    uint8_t unread[4];
    float width, height;
    uint8_t unread2[4];
    KStaticMesh* mesh;
};

static_assert(sizeof(KPrimPicture) == 208);
static_assert(offsetof(KPrimPicture, fax) == 12 && offsetof(KPrimPicture, bx) == 24);
static_assert(offsetof(KPrimPicture, fbx) == 36 && offsetof(KPrimPicture, blue) == 48);
static_assert(offsetof(KPrimPicture, blendMode) == 52 && offsetof(KPrimPicture, flags) == 53);
static_assert(offsetof(KPrimPicture, imageType) == 54 && offsetof(KPrimPicture, fileName) == 56);
static_assert(offsetof(KPrimPicture, fileId) == 184 && offsetof(KPrimPicture, indexHint) == 188);
static_assert(offsetof(KPrimPicture, frame) == 190 && offsetof(KPrimPicture, angle) == 192);
static_assert(offsetof(KPrimPicture, pivotX) == 196 && offsetof(KPrimPicture, loadArgument) == 204);
// The extensions add their fields straight after the 208-byte header.
static_assert(sizeof(KPrimPictureEx) == 240);
static_assert(sizeof(KPrimQuadPicture) == 264);
static_assert(sizeof(KPrimPoint) == 28 && offsetof(KPrimPoint, blue) == 24);
static_assert(sizeof(KPrimLine) == 40 && offsetof(KPrimLine, x2) == 24 && offsetof(KPrimLine, blue) == 36);
static_assert(sizeof(KPrimBar) == 52 && offsetof(KPrimBar, blue) == 48 && offsetof(KPrimBar, level) == 51);
static_assert(offsetof(KPrimModel, model) == 24);
static_assert(offsetof(KPrimNode, node) == 24);
static_assert(offsetof(KPrimEffect, effect) == 24);
static_assert(offsetof(KPrimSurface, width) == 24 && offsetof(KPrimSurface, pixels) == 32);
static_assert(offsetof(KPrimMesh, width) == 12 && offsetof(KPrimMesh, mesh) == 24);

// Bytes from one record to the next in the scene lists: the quad records
// of types 6, 21 and 22 are 264 bytes, not the 208 of a plain picture.
inline size_t ScenePictureStride(uint32_t type) {
    return type == PRIM_QUAD_PICTURES || type == PRIM_BRIGHT_QUAD_PICTURES || type == PRIM_QUAD_PICTURES_CLIP_SPAN
               ? sizeof(KPrimQuadPicture)
               : sizeof(KPrimPicture);
}

// Alpha of a bar: 255 - 8 x level, modulo 256.
inline uint8_t BarAlpha(uint8_t level) { return uint8_t(255 - 8 * level); }

// A picture frame drawn with a colour at each corner (the shell's DrawColorRect).
struct KColorRect {
    int32_t x, y;
    int32_t sourceX, sourceY;
    int32_t width, height;
    uint8_t unread[8];
    DWORD topLeft, topRight, bottomLeft, bottomRight;
};
static_assert(sizeof(KColorRect) == 48);
