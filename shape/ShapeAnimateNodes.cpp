// Node matrices of one sub-shape: each node takes its rotation, translation
// and scale from the first non-blend thread in play order that animates it
// (its defaults when none does), blend threads then multiply in their
// deltas, and finally every node is carried by its parent, parents first.
#include "shape/KShape.h"
#include "shape/KShapeInstance.h"
#include "shape/ShapeAnimScratch.h"
#include "shape/ShapeAnimateTables.h"

namespace {

enum : uint8_t { kRotated = 1, kTranslated = 2, kScaled = 4, kVisiting = 8, kFinal = 16 };

enum class ScaleForm { kUniform, kAligned, kArbitrary };

// The form of scale a scale kind (bits 0-2 of sequence or shape flags) names.
ScaleForm FormOf(uint32_t kind) {
    if (kind & kSequenceScaleAligned) return ScaleForm::kAligned;
    if (kind & kSequenceScaleArbitrary) return ScaleForm::kArbitrary;
    return ScaleForm::kUniform;
}

constexpr KShapeQuat kNoRotation = {0, 0, 0, 1};
constexpr KShapeScale kNoScale = {kNoRotation, {1, 1, 1}};

struct Keys {
    uint32_t count;
    int32_t first, second;
    float fraction;

    explicit Keys(const KShapeThread& thread)
        : count(thread.Sequence()->keyFrameCount),
          first(thread.KeyFrame1()),
          second(thread.KeyFrame2()),
          fraction(thread.KeyFraction()) {}
    bool Indices(uint32_t base, uint32_t j, uint32_t size, uint32_t& a, uint32_t& b) const {
        return KeyIndex(base, j, count, first, size, a) && KeyIndex(base, j, count, second, size, b);
    }
};

bool LerpRotation(const KBlockArray<KShapeQuat16>& table, uint32_t base, uint32_t j, const Keys& keys,
                  KShapeQuat& out) {
    uint32_t a, b;
    if (!keys.Indices(base, j, table.count, a, b)) return false;
    out = QuatLerp(UnpackQuat(table[a]), UnpackQuat(table[b]), keys.fraction);
    return true;
}

bool LerpVector(const KBlockArray<KShapeVec3>& table, uint32_t base, uint32_t j, const Keys& keys, KShapeVec3& out) {
    uint32_t a, b;
    if (!keys.Indices(base, j, table.count, a, b)) return false;
    const KShapeVec3 p = table[a], q = table[b];
    const float f = keys.fraction;
    out = {p.x + (q.x - p.x) * f, p.y + (q.y - p.y) * f, p.z + (q.z - p.z) * f};
    return true;
}

bool LerpScale(const KShape& shape, ScaleForm form, uint32_t base, uint32_t j, const Keys& keys, KShapeScale& out) {
    out = kNoScale;
    switch (form) {
        case ScaleForm::kUniform: {
            uint32_t a, b;
            if (!keys.Indices(base, j, shape.uniformScales.count, a, b)) return false;
            const float p = shape.uniformScales[a], s = p + (shape.uniformScales[b] - p) * keys.fraction;
            out.factors = {s, s, s};
            return true;
        }
        case ScaleForm::kAligned:
            return LerpVector(shape.alignedScales, base, j, keys, out.factors);
        case ScaleForm::kArbitrary:
            return LerpRotation(shape.arbitraryScaleRotations, base, j, keys, out.rotation) &&
                   LerpVector(shape.arbitraryScaleFactors, base, j, keys, out.factors);
    }
    return false;
}

void ApplyScale(float* m, ScaleForm form, const KShapeScale& s) {
    switch (form) {
        case ScaleForm::kUniform:
            MatrixScaleUniform(m, s.factors.x);
            break;
        case ScaleForm::kAligned:
            MatrixScale(m, s.factors);
            break;
        case ScaleForm::kArbitrary:
            ArbitraryScaleMatrix(s.rotation, s.factors, m);
            break;
    }
}

// Walks the members of set with their running index j, calling take(node,
// j) for those in range; take says whether it set the node.
template <class Take>
void ForMembers(const KIntegerSet& set, const KIndexRange& range, Take take) {
    uint32_t j = 0;
    for (uint32_t m = set.First(); m < KIntegerSet::kMembers; set.Next(m), ++j)
        if (range.Contains(m)) take(m, j);
}

// Values of the nodes one non-blend thread reaches first.
void TakeThreadPose(const KShape& shape, const KShapeThread& thread, const KIndexRange& range, bool scaled,
                    ScaleForm shapeForm, KShapeAnimScratch& scratch) {
    const KShapeSequence& q = *thread.Sequence();
    const Keys keys(thread);
    uint8_t* flags = scratch.nodeFlags.data();
    ForMembers(q.rotationSet, range, [&](uint32_t n, uint32_t j) {
        if (!(flags[n] & kRotated) && LerpRotation(shape.rotations, q.baseRotation, j, keys, scratch.rotations[n]))
            flags[n] |= kRotated;
    });
    ForMembers(q.translationSet, range, [&](uint32_t n, uint32_t j) {
        if (!(flags[n] & kTranslated) &&
            LerpVector(shape.translations, q.baseTranslation, j, keys, scratch.translations[n]))
            flags[n] |= kTranslated;
    });
    if (!scaled) return;
    // A uniform shape keeps uniform scales only; otherwise the sequence's own
    // form is read and widened to the shape's.
    const ScaleForm form = shapeForm == ScaleForm::kUniform ? ScaleForm::kUniform : FormOf(q.ScaleKind());
    ForMembers(q.scaleSet, range, [&](uint32_t n, uint32_t j) {
        if (!(flags[n] & kScaled) && LerpScale(shape, form, q.baseScale, j, keys, scratch.scales[n]))
            flags[n] |= kScaled;
    });
}

// node = node x delta for every node of the range a blend thread animates.
void BlendThread(const KShape& shape, const KShapeThread& thread, const KIndexRange& range,
                 KGrowArray<KShapeMatrix>& nodes) {
    const KShapeSequence& q = *thread.Sequence();
    const Keys keys(thread);
    const ScaleForm form = q.flags & kSequenceScaleUniform    ? ScaleForm::kUniform
                           : shape.ScaleKind() & kSequenceScaleAligned ? ScaleForm::kAligned
                                                                       : ScaleForm::kArbitrary;
    KIntegerSet all;
    all.Copy(q.rotationSet);
    all.Or(q.translationSet);
    all.Or(q.scaleSet);
    uint32_t jr = 0, jt = 0, js = 0;
    for (uint32_t n = all.First(); n < KIntegerSet::kMembers; all.Next(n)) {
        const bool rotated = q.rotationSet.Test(n), translated = q.translationSet.Test(n), scaled = q.scaleSet.Test(n);
        if (range.Contains(n)) {
            float delta[16];
            KShapeQuat rotation = kNoRotation;
            KShapeVec3 translation = {0, 0, 0};
            KShapeScale scale;
            if (rotated) LerpRotation(shape.rotations, q.baseRotation, jr, keys, rotation);
            QuatToMatrix(rotation, delta);
            if (translated && LerpVector(shape.translations, q.baseTranslation, jt, keys, translation)) {
                delta[3] = translation.x;
                delta[7] = translation.y;
                delta[11] = translation.z;
            }
            if (scaled && LerpScale(shape, form, q.baseScale, js, keys, scale)) ApplyScale(delta, form, scale);
            MatrixMultiply(nodes[n].m, delta, nodes[n].m);
        }
        jr += rotated;
        jt += translated;
        js += scaled;
    }
}

// Every node of the range becomes parent x node. Each node's chain of
// ancestors is finished from the top down first, so a child listed before
// its parent still gets the parent's final matrix; a cycle of parents ends
// the climb where it closes.
void CarryByParents(const KShape& shape, const KIndexRange& range, KGrowArray<KShapeMatrix>& nodes,
                    KShapeAnimScratch& scratch) {
    uint8_t* flags = scratch.nodeFlags.data();
    const uint32_t count = nodes.Count();
    auto parentOf = [&](uint32_t n) -> int64_t {
        const int32_t p = shape.nodes[n].parent;
        return p >= 0 && uint32_t(p) < count && uint32_t(p) != n ? p : -1;
    };
    for (uint32_t i = range.begin; i < range.end; ++i) {
        if (flags[i] & kFinal) continue;
        scratch.chain.clear();
        for (int64_t n = i; n >= 0 && range.Contains(uint32_t(n)) && !(flags[n] & (kFinal | kVisiting));
             n = parentOf(uint32_t(n))) {
            flags[n] |= kVisiting;
            scratch.chain.push_back(uint32_t(n));
        }
        for (size_t c = scratch.chain.size(); c-- > 0;) {
            const uint32_t n = scratch.chain[c];
            const int64_t p = parentOf(n);
            if (p >= 0) MatrixMultiply(nodes[uint32_t(p)].m, nodes[n].m, nodes[n].m);
            flags[n] |= kFinal;
        }
    }
}

}  // namespace

void KShapeInstance::AnimateNodes(uint32_t subShape) {
    const KShape& shape = *m_shape;
    const uint32_t count = m_nodeMatrices.Count();
    const KIndexRange range =
        ClampedRange(shape.subShapeFirstNode[subShape], shape.subShapeNodeCount[subShape], count);
    if (range.begin == range.end) return;
    KShapeAnimScratch& scratch = g_ShapeAnimScratch;
    scratch.SizeNodes(count);
    for (uint32_t n = range.begin; n < range.end; ++n) scratch.nodeFlags[n] = 0;

    const ScaleForm shapeForm = FormOf(shape.ScaleKind());
    for (const KShapeThread* thread : m_threads)
        if (!thread->IsBlend() && thread->Animates())
            TakeThreadPose(shape, *thread, range, m_scaleAnimated, shapeForm, scratch);

    for (uint32_t n = range.begin; n < range.end; ++n) {
        const uint8_t flags = scratch.nodeFlags[n];
        if (!(flags & kRotated))
            scratch.rotations[n] = n < shape.defaultRotations.count ? UnpackQuat(shape.defaultRotations[n]) : kNoRotation;
        if (!(flags & kTranslated))
            scratch.translations[n] = n < shape.defaultTranslations.count ? shape.defaultTranslations[n] : KShapeVec3{};
        float* m = m_nodeMatrices[n].m;
        QuatToMatrix(scratch.rotations[n], m);
        m[3] = scratch.translations[n].x;
        m[7] = scratch.translations[n].y;
        m[11] = scratch.translations[n].z;
        if (m_scaleAnimated) ApplyScale(m, shapeForm, flags & kScaled ? scratch.scales[n] : kNoScale);
    }

    for (const KShapeThread* thread : m_threads)
        if (thread->IsBlend() && thread->Animates()) BlendThread(shape, *thread, range, m_nodeMatrices);

    CarryByParents(shape, range, m_nodeMatrices, scratch);
}
