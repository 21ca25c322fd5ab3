#include "place/ObjectPaint.h"

#include <algorithm>
#include <cstring>

#include "lumiva/PrimitiveRecords.h"
#include "place/PlaceClocks.h"
#include "place/RegionRecords.h"
#include "place/TreeItems.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

bool g_frameFlag = false;
KIntPoint g_paintPoint{0, 0};

constexpr int16_t kPaintSpriteImage = 1;
constexpr uint8_t kBlendOpaqueSprite = 0;
constexpr uint8_t kBlendAlpha = 2;
constexpr uint8_t kBlendSelected = 3;
constexpr int kLargePicture = 128;
constexpr uint16_t kFadeDone = 0xFFFF;
constexpr uint16_t kIntervalFromPicture = 1;
constexpr uint16_t kShortestInterval = 20;
constexpr float kProbeHeight = 5.0f;

struct Corner {
    int64_t x, y, z;
};

Corner CornerOf(const int32_t p[3]) { return Corner{p[0], p[1], p[2]}; }

void SetPoint(int32_t& x, int32_t& y, int32_t& z, Corner c) {
    x = SaturateToInt32(c.x);
    y = SaturateToInt32(c.y);
    z = SaturateToInt32(c.z);
}

// A corner t / len of the way from `from` to `to`, each axis truncated.
Corner Along(Corner from, Corner to, int64_t t, int64_t len) {
    auto axis = [&](int64_t a, int64_t b) { return int64_t(a + (__int128(b - a) * t) / len); };
    return Corner{axis(from.x, to.x), axis(from.y, to.y), axis(from.z, to.z)};
}

// Colour 0, sprite, the record's name, frame and cached words.
KPrimQuadPicture RecordPicture(const KRegionObjectRecord& record, KPictureCacheWords cache) {
    KPrimQuadPicture picture;
    std::memset(static_cast<void*>(&picture), 0, sizeof picture);
    picture.imageType = kPaintSpriteImage;
    std::memcpy(picture.fileName, record.name, sizeof picture.fileName);
    picture.fileName[sizeof picture.fileName - 1] = 0;
    picture.fileId = *cache.fileId;
    picture.indexHint = *cache.indexHint;
    picture.frame = int16_t(record.frame);
    return picture;
}

void SetSourceRect(KPrimQuadPicture& picture, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    picture.r0 = SaturateToInt32(left);
    picture.r1 = SaturateToInt32(top);
    picture.r2 = SaturateToInt32(right);
    picture.r3 = SaturateToInt32(bottom);
}

void SetCorners(KPrimQuadPicture& picture, Corner a, Corner b, Corner c, Corner d) {
    SetPoint(picture.ax, picture.ay, picture.az, a);
    SetPoint(picture.bx, picture.by, picture.bz, b);
    SetPoint(picture.cx, picture.cy, picture.cz, c);
    SetPoint(picture.dx, picture.dy, picture.dz, d);
}

void Draw(KPrimQuadPicture& picture, DWORD type, KPictureCacheWords cache) {
    ShellServices()->DrawPrimitives(1, &picture, type, 0, 0, -1, -1.0f);
    *cache.fileId = picture.fileId;
    *cache.indexHint = picture.indexHint;
}

// The fade's alpha around the draw; while the frame flag is set, the
// occlusion probes from the paint point.
enum ProbeRule { kProbeInViewRange, kProbeAlways };

void DrawWithFade(KRegionObjectRecord& record, KPrimQuadPicture& picture, DWORD type, KPictureCacheWords cache,
                  ProbeRule rule = kProbeInViewRange) {
    const bool fading = record.fade != 0;
    if (fading) ShellServices()->SetGlobalAlpha(float(record.fade & 0xFF) / 255.0f);
    bool probing = g_frameFlag && rule == kProbeAlways;
    if (g_frameFlag && rule == kProbeInViewRange) {
        const bool corners = type != PRIM_BRIGHT_PICTURES;
        probing = ShellServices()->IsInViewRange(
            float(g_paintPoint.x), float(g_paintPoint.y), kProbeHeight, float(picture.ax), float(picture.ay),
            float(picture.az), float(corners ? picture.cx : picture.ax), float(corners ? picture.cy : picture.ay),
            float(corners ? picture.cz : picture.az), float(corners ? picture.bx : picture.ax),
            float(corners ? picture.by : picture.ay), float(corners ? picture.bz : picture.az),
            float(corners ? picture.dx : picture.ax), float(corners ? picture.dy : picture.ay),
            float(corners ? picture.dz : picture.az));
    }
    if (probing) ShellServices()->SampleOcclusionPixels();
    Draw(picture, type, cache);
    if (probing) ShellServices()->TestOcclusionPixels();
    if (fading) {
        ShellServices()->SetGlobalAlpha(1.0f);
        StepFade(record);
    }
}

// At the anchor, centred, when the view's top is above it; steps either way.
void DrawAnimated(KRegionObjectRecord& record, KPrimQuadPicture& picture, KPictureCacheWords cache,
                  const int32_t rect[4]) {
    if (rect[1] <= record.y && !RecordFadedOut(record)) {
        picture.flags = kPictureAnchorCentre;
        SetPoint(picture.ax, picture.ay, picture.az, Corner{record.x, record.y, record.depth});
        DrawWithFade(record, picture, PRIM_BRIGHT_PICTURES, cache);
    }
    StepAnimation(record);
}

KRegionObjectRecord* RecordOf(KScenePoint& fragment) {
    if (fragment.kind != kItemRegionFragment || !fragment.record) return nullptr;
    return const_cast<KRegionObjectRecord*>(fragment.record);
}

KPictureCacheWords FragmentCache(KScenePoint& fragment) {
    return KPictureCacheWords{&fragment.wordA, reinterpret_cast<int16_t*>(&fragment.piece.cacheHint)};
}

}  // namespace

bool PlaceFrameFlag() { return g_frameFlag; }
void SetPlaceFrameFlag(bool set) { g_frameFlag = set; }
KIntPoint PlacePaintPoint() { return g_paintPoint; }
void SetPlacePaintPoint(int32_t x, int32_t y) { g_paintPoint = KIntPoint{x, y}; }

bool RecordFadedOut(const KRegionObjectRecord& record) {
    return record.fade == 0 && record.fadedOut != 0;
}

void StepFade(KRegionObjectRecord& record) {
    if (record.fade == 0) return;
    if (record.fade == kFadeDone) {
        record.fade = 0;
        return;
    }
    int alpha = record.fade & 0xFF;
    const int target = record.fade >> 8;
    if (alpha < target) ++alpha;
    if (alpha > target) --alpha;
    record.fade = uint16_t(target << 8 | alpha);
    // Word 0 means "no fade", which draws opaque: the record is marked so
    // a fade out stays out.
    if (record.fade == 0) record.fadedOut = 1;
}

void StepAnimation(KRegionObjectRecord& record) {
    if (!ShellServices()) return;
    const uint32_t clock = PlaceClock();
    if (record.frameInterval == kIntervalFromPicture) {
        int16_t info[7] = {};
        if (ShellServices()->GetImageInfo(record.name, info, kPaintSpriteImage) && info[0] >= 2) {
            record.frameCount = uint16_t(info[0]);
            record.animationStart = clock;
            record.frameInterval = uint16_t(std::max<int>(info[1], kShortestInterval));
        } else {
            record.frameInterval = 0;
        }
    }
    if (record.frameCount < 2 || record.frameInterval == 0) return;
    const uint32_t elapsed = clock - record.animationStart;
    if (elapsed < record.frameInterval && record.frame < record.frameCount) return;
    const uint64_t steps = elapsed / record.frameInterval;
    const uint64_t frame = uint64_t(record.frame) + steps;
    if (frame >= record.frameCount) {
        record.frame = 0;
        record.animationStart = clock;
        return;
    }
    record.frame = uint16_t(frame);
    record.animationStart += uint32_t(steps * record.frameInterval);
}

void PaintNodeFragment(KScenePoint& fragment, const int32_t rect[4]) {
    KRegionObjectRecord* record = RecordOf(fragment);
    if (!ShellServices() || !record || RecordFadedOut(*record)) return;
    const Corner tl = CornerOf(record->topLeft), tr = CornerOf(record->topRight);
    const Corner br = CornerOf(record->bottomRight), bl = CornerOf(record->bottomLeft);
    if (!(rect[1] < br.y && rect[0] < br.x && bl.x < rect[2])) return;
    const KPictureCacheWords cache = FragmentCache(fragment);
    KPrimQuadPicture picture = RecordPicture(*record, cache);
    picture.blendMode = kBlendAlpha;
    picture.flags = kPictureNoFrameOffset;
    const int64_t len = int64_t(record->endX) - record->x;
    if (fragment.piece.split == 0 || len == 0) {
        SetSourceRect(picture, 0, 0, record->width, record->height);
        SetCorners(picture, tl, br, tr, bl);
        Draw(picture, PRIM_QUAD_PICTURES, cache);
        return;
    }
    const int64_t s = int64_t(TruncateToInt32(fragment.x)) - record->x;
    const int64_t e = int64_t(fragment.end.x) - record->x;
    SetCorners(picture, Along(tl, tr, s, len), Along(bl, br, e, len), Along(tl, tr, e, len), Along(bl, br, s, len));
    SetSourceRect(picture, int64_t(record->width) * s / len, 0, int64_t(record->width) * e / len, record->height);
    Draw(picture, PRIM_QUAD_PICTURES_CLIP_SPAN, cache);
}

void PaintFlatRecord(KRegionObjectRecord& record, KPictureCacheWords cache, const int32_t rect[4]) {
    if (!ShellServices()) return;
    KPrimQuadPicture picture = RecordPicture(record, cache);
    picture.blendMode = kBlendAlpha;
    if (record.frameInterval != 0) {
        DrawAnimated(record, picture, cache, rect);
        return;
    }
    if (RecordFadedOut(record)) return;
    picture.flags = kPictureNoFrameOffset;
    const Corner tl = CornerOf(record.topLeft), br = CornerOf(record.bottomRight);
    if (record.SortKind() == 0) {
        SetPoint(picture.ax, picture.ay, picture.az, tl);
        SetPoint(picture.bx, picture.by, picture.bz, br);
        DrawWithFade(record, picture, PRIM_PICTURES, cache, kProbeAlways);
        return;
    }
    SetSourceRect(picture, 0, 0, record.width, record.height);
    SetCorners(picture, tl, br, CornerOf(record.topRight), CornerOf(record.bottomLeft));
    DrawWithFade(record, picture, PRIM_BRIGHT_QUAD_PICTURES, cache, kProbeAlways);
}

void PaintListFragment(KScenePoint& fragment, const int32_t rect[4]) {
    KRegionObjectRecord* record = RecordOf(fragment);
    if (!ShellServices() || !record) return;
    const KPictureCacheWords cache = FragmentCache(fragment);
    KPrimQuadPicture picture = RecordPicture(*record, cache);
    if (record->flags & kObjectSelected) {
        picture.blendMode = kBlendSelected;
    } else if (record->width > kLargePicture && record->height > kLargePicture) {
        picture.blendMode = kBlendAlpha;
    } else {
        picture.blendMode = kBlendOpaqueSprite;
        picture.alpha = 255;
    }
    if (record->frameInterval != 0) {
        DrawAnimated(*record, picture, cache, rect);
        return;
    }
    if (RecordFadedOut(*record)) return;
    const Corner tl = CornerOf(record->topLeft), tr = CornerOf(record->topRight);
    const Corner br = CornerOf(record->bottomRight), bl = CornerOf(record->bottomLeft);
    picture.flags = kPictureNoFrameOffset;
    SetPoint(picture.ax, picture.ay, picture.az, tl);
    SetPoint(picture.bx, picture.by, picture.bz, br);
    if (record->SortKind() == 0) {
        if (rect[1] <= br.y) Draw(picture, PRIM_PICTURES, cache);
        return;
    }
    if (!(rect[1] < br.y && rect[0] <= br.x && bl.x < rect[2])) return;
    SetSourceRect(picture, 0, 0, record->width, record->height);
    SetCorners(picture, tl, br, tr, bl);
    DrawWithFade(*record, picture, PRIM_BRIGHT_QUAD_PICTURES, cache);
}
