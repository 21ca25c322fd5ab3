// Screen lists of types 3 and 6: short lists record by record, longer ones as
// one composed group when the composition can take them.
#include "draw2d/PendingDrawers.h"
#include "draw2d/lists/PictureGroup.h"
#include "draw2d/lists/RecordPicture.h"
#include "draw2d/lists/SpriteAnchor.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/VertexBuilders.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

constexpr int kGroupThreshold = 4;

KPictureRecordView ScreenRecordAt(KPrimPicture* records, int i) {
    return KPictureRecordView(reinterpret_cast<uint8_t*>(records) + size_t(i) * kPictureRecordSize);
}

// JPEG pictures keep the integer point in both list forms.
void DrawJpegRecord(KShellServices& shell, KPictureRecordView& record, int screenSpace) {
    KJpgImage* picture = FetchRecordJpeg(shell, record);
    if (picture == nullptr) return;
    int x = record.IntA(0), y = record.IntA(1);
    if (screenSpace == 0) shell.ProjectPoint(&x, &y, record.IntA(2));
    if (record.BlendMode() == 0)
        DrawTexturedQuadBlend(shell, x, y, picture->GetWidth(), picture->GetHeight(), picture, record.Colour(), 0);
    else
        DrawTexturedQuad(shell, x, y, picture->GetWidth(), picture->GetHeight(), picture, 0);
}

struct KRotation {
    float angle = 0.0f;
    int pivotX = 0, pivotY = 0;
};

KRotation RecordRotation(const KPictureRecordView& record) {
    if (!(record.Flags() & picture_flags::kRotate)) return {};
    return {record.Angle(), record.PivotX(), record.PivotY()};
}

void DrawScreenSpriteRecord(KShellServices& shell, KPictureRecordView& record, int screenSpace) {
    KSprImage* sprite = FetchRecordSprite(shell, record, true);
    if (sprite == nullptr) return;
    const uint32_t frame = uint16_t(record.Frame());
    int x = record.IntA(0), y = record.IntA(1);
    if (screenSpace == 0) shell.ProjectPoint(&x, &y, record.IntA(2));
    AnchorSprite(*sprite, record.Flags(), &x, &y);
    AddFrameOffset(*sprite, frame, record.Flags(), &x, &y);
    const KRotation turn = RecordRotation(record);
    DrawSpriteFrame(shell, x, y, sprite->GetFrameWidth(int(frame)), sprite->GetFrameHeight(int(frame)), frame, sprite,
                    record.Colour(), record.BlendMode(), turn.angle, turn.pivotX, turn.pivotY);
}

void DrawSpriteRecordF(KShellServices& shell, KPictureRecordView& record, int screenSpace) {
    KSprImage* sprite = FetchRecordSprite(shell, record, true);
    if (sprite == nullptr) return;
    const uint32_t frame = uint16_t(record.Frame());
    float x = record.FloatA(0), y = record.FloatA(1);
    if (screenSpace == 0) shell.ProjectPointF(&x, &y, record.FloatA(2));
    AnchorSpriteF(*sprite, record.Flags(), &x, &y);
    AddFrameOffsetF(*sprite, frame, record.Flags(), 1.0f, 1.0f, &x, &y);
    const KRotation turn = RecordRotation(record);
    DrawFrameRotated(shell, x, y, sprite->GetFrameWidth(int(frame)), sprite->GetFrameHeight(int(frame)), frame, sprite,
                     record.Colour(), record.BlendMode(), turn.angle, turn.pivotX, turn.pivotY);
}

// True when the group took the list, composed or rightly not drawn.
bool DrawAsGroup(KShellServices& shell, int count, KPrimPicture* records, int screenSpace) {
    if (count < kGroupThreshold) return false;
    return DrawPictureGroup(shell, count, records, screenSpace) != KGroupResult::DrawSingly;
}

template <typename SpriteDrawer>
void DrawEachRecord(KShellServices& shell, int count, KPrimPicture* records, int screenSpace, SpriteDrawer drawSprite) {
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = ScreenRecordAt(records, i);
        switch (record.ImageType()) {
            case 0: DrawJpegRecord(shell, record, screenSpace); break;
            case 1: drawSprite(shell, record, screenSpace); break;
            default: break;
        }
    }
}

}  // namespace

void DrawPictureList(KShellServices& shell, int count, KPrimPicture* records, int screenSpace) {
    if (records == nullptr || count <= 0) return;
    if (DrawAsGroup(shell, count, records, screenSpace)) return;
    DrawEachRecord(shell, count, records, screenSpace, DrawScreenSpriteRecord);
}

void DrawPictureListF(KShellServices& shell, int count, KPrimPicture* records, int screenSpace) {
    if (records == nullptr || count <= 0) return;
    if (DrawAsGroup(shell, count, records, screenSpace)) return;
    DrawEachRecord(shell, count, records, screenSpace, DrawSpriteRecordF);
}
