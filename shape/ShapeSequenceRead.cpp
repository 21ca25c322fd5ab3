#include "shape/ShapeSequenceRead.h"
#include <initializer_list>

#include "shape/ShapeFileStream.h"
#include "shape/ShapeRecords.h"

void KShapeSequence::ComputeDirtyMask() {
    dirtyMask = 0;
    if (!rotationSet.IsEmpty() || !translationSet.IsEmpty() || !scaleSet.IsEmpty()) dirtyMask |= kDirtyNodes;
    if (!visibilitySet.IsEmpty()) dirtyMask |= kDirtyVisibility;
    if (!frameSet.IsEmpty()) dirtyMask |= kDirtyFrame;
    if (!materialFrameSet.IsEmpty()) dirtyMask |= kDirtyMaterialFrame;
    if (!decalSet.IsEmpty()) dirtyMask |= kDirtyDecal;
    if (!iflSet.IsEmpty()) dirtyMask |= kDirtyIflFrame;
}

uint64_t MinSequenceBytes(uint32_t v) {
    const uint64_t sets = 1 + (v >= 22 ? 2 : 0) + (v < 17 ? 2 : 0) + (v >= 11 ? 1 : 0) + (v >= 6 ? 1 : 0) + 3;
    return 4 + (v >= 22 ? 4 : 0) + (v >= 17 ? 4 : 8) + 4 + (v < 22 ? 3 : 0) + 4 + 8 +
           (v >= 22 ? 20 : v >= 17 ? 12 : 0) + (v >= 9 ? 8 : 0) + (v >= 8 ? 4 : 0) + sets * 8;
}

namespace {

const char* kShort = "a sequence is cut short";
const char* kBigSet = "a sequence set holds more than six words";

bool ReadWords(KShapeFileStream& s, std::initializer_list<uint32_t*> words) {
    for (uint32_t* w : words)
        if (!s.ReadU32(*w)) return false;
    return true;
}

// A set, or why it cannot be read.
const char* ReadSet(KShapeFileStream& s, KIntegerSet& set) {
    KShapeFileStream peek = s;
    uint32_t ignored, words;
    if (peek.ReadU32(ignored) && peek.ReadU32(words) && words > KIntegerSet::kWords) return kBigSet;
    return set.Read(s) ? nullptr : kShort;
}

}  // namespace

const char* ReadSequence(KShapeFileStream& s, uint32_t v, KShapeSequence& q) {
    if (!s.ReadU32(q.nameIndex)) return kShort;
    if (v >= 22 && !s.ReadU32(q.flags)) return kShort;
    if (v >= 17) {
        if (!s.ReadU32(q.keyFrameCount)) return kShort;
    } else {
        uint32_t first, last;
        if (!ReadWords(s, {&first, &last})) return kShort;
        if (last < first) return "a sequence's last key frame comes before its first";
        q.keyFrameCount = last - first;
    }
    if (!s.ReadF32(q.duration)) return kShort;
    if (v < 22) {
        uint8_t blend, cyclic, triggers;
        if (!s.ReadU8(blend) || !s.ReadU8(cyclic) || !s.ReadU8(triggers)) return kShort;
        if (blend) q.flags |= kSequenceBlend;
        if (cyclic) q.flags |= kSequenceCyclic;
        if (triggers) q.flags |= kSequenceFiresTriggers;
    }
    if (!ReadWords(s, {&q.priority, &q.unused[0], &q.unused[1]})) return kShort;
    if (v >= 22) {
        if (!ReadWords(s, {&q.baseRotation, &q.baseTranslation, &q.baseScale, &q.baseObjectState, &q.baseDecalState}))
            return kShort;
    } else if (v >= 17) {
        if (!ReadWords(s, {&q.baseRotation, &q.baseObjectState, &q.baseDecalState})) return kShort;
        q.baseTranslation = q.baseRotation;
    }
    if (v >= 9 && !ReadWords(s, {&q.firstTrigger, &q.triggerCount})) return kShort;
    if (v >= 8 && !s.ReadF32(q.iflTimeOffset)) return kShort;

    KIntegerSet discarded;
    const char* why = ReadSet(s, q.rotationSet);
    if (!why && v >= 22) {
        why = ReadSet(s, q.translationSet);
        if (!why) why = ReadSet(s, q.scaleSet);
    } else if (!why) {
        q.translationSet.Copy(q.rotationSet);
    }
    if (!why && v < 17) why = ReadSet(s, discarded);
    if (!why && v >= 11) why = ReadSet(s, q.decalSet);
    if (!why && v >= 6) why = ReadSet(s, q.iflSet);
    if (!why) why = ReadSet(s, q.visibilitySet);
    if (!why) why = ReadSet(s, q.frameSet);
    if (!why) why = ReadSet(s, q.materialFrameSet);
    if (!why && v < 17) why = ReadSet(s, discarded);
    if (why) return why;
    q.ComputeDirtyMask();
    return nullptr;
}
