// The plain records of a shape's tables, as laid out in the memory buffer,
// and the sequence record.
#pragma once

#include <cstdint>

#include "shape/KIntegerSet.h"

// The reader sets the last three words (-1 for none).
struct KShapeNode {
    int32_t nameIndex;
    int32_t parent;  // -1 none
    int32_t firstObject;
    int32_t firstChild;
    int32_t nextSibling;
};

struct KShapeObject {
    int32_t nameIndex;
    int32_t meshCount;
    int32_t firstMesh;
    int32_t node;  // -1 none
    int32_t nextObject;  // set by the reader: next object on the same node
    int32_t firstDecal;  // set by the reader
};

struct KShapeDecal {
    int32_t nameIndex;
    int32_t meshCount;
    int32_t firstMesh;
    int32_t object;  // -1 none
    int32_t nextDecal;  // set by the reader: next decal on the same object
};

// An image-file-list material.
struct KShapeIflMaterial {
    uint32_t kept[3];
    int32_t firstFrame;
    int32_t frameCount;
};

struct KShapeDetail {
    int32_t nameIndex;
    int32_t subShape;  // -1 none
    int32_t objectDetailLevel;
    float size;
    uint32_t kept[2];
    int32_t polyCount;  // set by the reader
};

struct KShapeObjectState {
    float visibility;
    int32_t frame;
    int32_t materialFrame;
};

// State bits 0-29, bit 30 invert when played backwards, bit 31 on.
struct KShapeTrigger {
    uint32_t state;
    float position;
};

static_assert(sizeof(KShapeNode) == 20 && sizeof(KShapeObject) == 24 && sizeof(KShapeDecal) == 20);
static_assert(sizeof(KShapeIflMaterial) == 20 && sizeof(KShapeDetail) == 28);
static_assert(sizeof(KShapeObjectState) == 12 && sizeof(KShapeTrigger) == 8);

// Sequence flags.
enum : uint32_t {
    kSequenceScaleUniform = 1,
    kSequenceScaleAligned = 2,
    kSequenceScaleArbitrary = 4,
    kSequenceScaleMask = 7,
    kSequenceBlend = 8,
    kSequenceCyclic = 16,
    kSequenceFiresTriggers = 32,
};

// Dirty bits of a sequence, of a thread's change and of a sub-shape.
enum : uint32_t {
    kDirtyNodes = 1,
    kDirtyVisibility = 2,
    kDirtyFrame = 4,
    kDirtyMaterialFrame = 8,
    kDirtyDecal = 16,
    kDirtyIflFrame = 32,
    kDirtyThreadOrder = 64,
    kDirtyAll = 127,
};

struct KShapeSequence {
    uint32_t nameIndex = 0;
    uint32_t keyFrameCount = 0;
    float duration = 0.0f;  // seconds
    uint32_t baseRotation = 0;
    uint32_t baseTranslation = 0;
    uint32_t baseScale = 0;
    uint32_t baseObjectState = 0;
    uint32_t baseDecalState = 0;
    uint32_t unused[2] = {};
    uint32_t firstTrigger = 0;
    uint32_t triggerCount = 0;
    float iflTimeOffset = 0.0f;
    KIntegerSet rotationSet;
    KIntegerSet translationSet;
    KIntegerSet scaleSet;
    KIntegerSet visibilitySet;
    KIntegerSet frameSet;
    KIntegerSet materialFrameSet;
    KIntegerSet decalSet;
    KIntegerSet iflSet;
    uint32_t priority = 0;
    uint32_t flags = 0;
    uint32_t dirtyMask = 0;

    void SetCyclic(bool on) { flags = on ? flags | kSequenceCyclic : flags & ~kSequenceCyclic; }
    bool IsCyclic() const { return flags & kSequenceCyclic; }
    uint32_t ScaleKind() const { return flags & kSequenceScaleMask; }
    // The dirty bits its sets touch.
    void ComputeDirtyMask();
};
static_assert(sizeof(KShapeSequence) == 256);
