// Type 7 and type 24: sprite frames stretched so the picture spans A to B,
// the latter clipped to a rectangle around point A.
#include "basrel/HostIntegers.h"
#include "draw2d/PendingDrawers.h"
#include "draw2d/lists/RecordPicture.h"
#include "draw2d/lists/SpriteAnchor.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/VertexBuilders.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

KPictureRecordView RecordAt(void* records, int i, int size) {
    return KPictureRecordView(static_cast<uint8_t*>(records) + size_t(i) * size_t(size));
}

struct KScale {
    float x = 1.0f, y = 1.0f;
};

// A picture without size cannot be scaled; it is drawn at scale 0.
KScale ScaleOf(const KSprImage& sprite, float spanX, float spanY) {
    const float w = float(sprite.GetWidth()), h = float(sprite.GetHeight());
    return {w != 0.0f ? spanX / w : 0.0f, h != 0.0f ? spanY / h : 0.0f};
}

int ScaledOffset(int offset, int span, int size) {
    return size != 0 ? host_int::Saturate(int64_t{offset} * span / size) : 0;
}

void DrawScaledSprite(KShellServices& shell, KPictureRecordView& record, KSprImage& sprite) {
    const uint32_t frame = uint16_t(record.Frame());
    const int spanX = host_int::Sub(record.IntB(0), record.IntA(0));
    const int spanY = host_int::Sub(record.IntB(1), record.IntA(1));
    int x = record.IntA(0), y = record.IntA(1);
    AnchorSprite(sprite, record.Flags(), &x, &y);
    if (!(record.Flags() & picture_flags::kNoFrameOffset)) {
        x = host_int::Add(x, ScaledOffset(sprite.GetFrameOffsetX(int(frame)), spanX, sprite.GetWidth()));
        y = host_int::Add(y, ScaledOffset(sprite.GetFrameOffsetY(int(frame)), spanY, sprite.GetHeight()));
    }
    const KScale scale = ScaleOf(sprite, float(spanX), float(spanY));
    DrawFrameScaled(shell, x, y, sprite.GetFrameWidth(int(frame)), sprite.GetFrameHeight(int(frame)), frame, &sprite,
                    record.Colour(), record.BlendMode(), scale.x, scale.y);
}

// Float point A anchored and offset by the scaled frame offset.
void PlaceScaledF(const KSprImage& sprite, const KPictureRecordView& record, uint32_t frame, const KScale& scale,
                  float* x, float* y) {
    *x = record.FloatA(0);
    *y = record.FloatA(1);
    AnchorSpriteF(sprite, record.Flags(), x, y);
    AddFrameOffsetF(sprite, frame, record.Flags(), scale.x, scale.y, x, y);
}

KScale FloatScale(const KSprImage& sprite, const KPictureRecordView& record) {
    return ScaleOf(sprite, record.FloatB(0) - record.FloatA(0), record.FloatB(1) - record.FloatA(1));
}

}  // namespace

void DrawScaledPictureList(KShellServices& shell, int count, KPrimPicture* records) {
    if (records == nullptr) return;
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = RecordAt(records, i, kPictureRecordSize);
        if (record.ImageType() == 1) {
            KSprImage* sprite = FetchRecordSprite(shell, record, true);
            if (sprite != nullptr) DrawScaledSprite(shell, record, *sprite);
            continue;
        }
        // A JPEG picture not yet loaded, or any other kind, ends the list.
        if (record.ImageType() != 0) return;
        KJpgImage* picture = FetchRecordJpeg(shell, record);
        if (picture == nullptr) return;
        DrawTexturedQuad(shell, record.IntA(0), record.IntA(1), host_int::Sub(record.IntB(0), record.IntA(0)),
                         host_int::Sub(record.IntB(1), record.IntA(1)), picture, 1);
    }
}

void DrawScaledPictureListPoint(KShellServices& shell, int count, KPrimPicture* records) {
    if (records == nullptr) return;
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = RecordAt(records, i, kPictureRecordSize);
        if (record.ImageType() != 1) continue;
        KSprImage* sprite = FetchRecordSprite(shell, record, true);
        if (sprite == nullptr) continue;
        const uint32_t frame = uint16_t(record.Frame());
        const KScale scale = FloatScale(*sprite, record);
        float x = 0.0f, y = 0.0f;
        PlaceScaledF(*sprite, record, frame, scale, &x, &y);
        DrawFrameScaledPoint(shell, x, y, sprite->GetFrameWidth(int(frame)), sprite->GetFrameHeight(int(frame)), frame,
                             sprite, record.Colour(), record.BlendMode(), scale.x, scale.y);
    }
}

void DrawClippedPictureList(KShellServices& shell, int count, KPrimPictureEx* records) {
    if (records == nullptr) return;
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = RecordAt(records, i, kPictureExRecordSize);
        if (record.ImageType() != 1) continue;
        KSprImage* sprite = FetchRecordSprite(shell, record, true);
        if (sprite == nullptr) continue;
        // Taken before anchoring: the clip stays where point A says.
        const float clip[4] = {record.FloatA(1) + record.Offset(1), record.FloatA(0) + record.Offset(0),
                               record.FloatA(1) + record.Offset(3), record.FloatA(0) + record.Offset(2)};
        const uint32_t frame = uint16_t(record.Frame());
        const KScale scale = FloatScale(*sprite, record);
        float x = 0.0f, y = 0.0f;
        PlaceScaledF(*sprite, record, frame, scale, &x, &y);
        DrawFrameClipped(shell, x, y, sprite->GetFrameWidth(int(frame)), sprite->GetFrameHeight(int(frame)), frame,
                         sprite, record.Colour(), record.BlendMode(), scale.x, scale.y, clip);
    }
}
