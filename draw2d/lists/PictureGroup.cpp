#include "draw2d/lists/PictureGroup.h"

#include <vector>

#include "draw2d/lists/ColorMath.h"
#include "draw2d/lists/ComposeTexture.h"
#include "draw2d/lists/PictureRecordView.h"
#include "shell/D3DShell.h"
#include "shell/ShellServices.h"
#include "textures/ImageCache.h"
#include "textures/KSprImage.h"

namespace {

constexpr uint32_t kQuadGrey = 0x00404040u;

struct KPlacedSprite {
    KSprImage* sprite = nullptr;
    int frame = 0;
    int32_t x = 0, y = 0;
};

// The image cache's throttled, unpinned lookup with load argument 0.
KSprImage* FetchGroupSprite(KShellServices& shell, KPictureRecordView& record) {
    record.CopyName();
    DWORD fileId = record.FileId();
    int16_t hint = record.IndexHint();
    KImageTexture* picture =
        shell.GetImageCache()->GetImage(record.Name(), &fileId, &hint, record.Frame(), record.ImageType(), 0, 1, 0, 0);
    record.StoreCacheHints(fileId, hint);
    auto* sprite = dynamic_cast<KSprImage*>(picture);
    if (sprite == nullptr || uint32_t(uint16_t(record.Frame())) >= uint32_t(sprite->GetFrameCount())) return nullptr;
    return sprite;
}

bool PlaceRecord(KShellServices& shell, KPictureRecordView& record, int screenSpace, KPlacedSprite* placed) {
    placed->sprite = FetchGroupSprite(shell, record);
    if (placed->sprite == nullptr) return false;
    KSprImage& sprite = *placed->sprite;
    placed->frame = record.Frame();
    int x = record.IntA(0), y = record.IntA(1);
    if (screenSpace == 0) shell.ProjectPoint(&x, &y, record.IntA(2));
    if (record.Flags() & picture_flags::kAnchor) {
        if (sprite.GetCenterX() == 0 && sprite.GetCenterY() == 0 && sprite.GetWidth() > 160) {
            x -= 160;
            y -= 192;
        } else {
            x -= sprite.GetCenterX();
            y -= sprite.GetCenterY();
        }
    }
    if (!(record.Flags() & picture_flags::kNoFrameOffset)) {
        x += sprite.GetFrameOffsetX(placed->frame);
        y += sprite.GetFrameOffsetY(placed->frame);
    }
    placed->x = x;
    placed->y = y;
    return true;
}

KPictureRecordView RecordAt(void* records, int i) {
    return KPictureRecordView(static_cast<uint8_t*>(records) + size_t(i) * kPictureRecordSize);
}

bool Composable(const KPlacedSprite& placed) {
    const KSprImage& sprite = *placed.sprite;
    return placed.frame == 0 && !sprite.IsPacked() && sprite.GetRleFrameData() != nullptr &&
           (sprite.IsDxt5() || sprite.GetPalette16() != nullptr);
}

KComposeFrame FrameToCompose(const KPlacedSprite& placed) {
    const KSprImage& sprite = *placed.sprite;
    KComposeFrame frame;
    frame.x = placed.x;
    frame.y = placed.y;
    frame.width = sprite.GetFrameWidth(placed.frame);
    frame.height = sprite.GetFrameHeight(placed.frame);
    if (sprite.IsDxt5()) {
        frame.dxt5 = sprite.GetRleFrameData();
        frame.dxt5Size = sprite.GetRleFrameDataLength();
    } else {
        frame.runData = sprite.GetRleFrameData();
        frame.runSize = sprite.GetRleFrameDataLength();
        frame.palette = sprite.GetPalette16();
        frame.colorCount = uint32_t(sprite.GetColorCount());
    }
    return frame;
}

}  // namespace

KGroupBox GetPictureGroupBounds(KShellServices& shell, int count, void* records, int screenSpace) {
    KGroupBox box;
    if (records == nullptr) return box;
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = RecordAt(records, i);
        if (record.ImageType() != 1) continue;
        KPlacedSprite placed;
        if (!PlaceRecord(shell, record, screenSpace, &placed)) continue;
        WidenGroupBox(&box, placed.x, placed.y, placed.sprite->GetFrameWidth(placed.frame),
                      placed.sprite->GetFrameHeight(placed.frame));
    }
    return box;
}

bool CanComposePictureGroup(KShellServices& shell, int count, void* records) {
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = RecordAt(records, i);
        if (record.ImageType() != 1) return false;
        KPlacedSprite placed;
        if (PlaceRecord(shell, record, 1, &placed) && !Composable(placed)) return false;
    }
    return true;
}

KGroupResult DrawPictureGroup(KShellServices& shell, int count, void* records, int screenSpace) {
    if (records == nullptr || count <= 0) return KGroupResult::NothingToDraw;
    if (!CanComposePictureGroup(shell, count, records)) return KGroupResult::DrawSingly;
    const KGroupBox box = GetPictureGroupBounds(shell, count, records, screenSpace);
    if (box.empty || !GroupBoxTouchesScreen(box, g_ScreenWidth, g_ScreenHeight)) return KGroupResult::NothingToDraw;
    const int size = ComposeTextureSizeFor(box);
    if (size == 0) return KGroupResult::DrawSingly;
    if (box.right == box.left || box.bottom == box.top) return KGroupResult::NothingToDraw;
    return ComposePictureGroup(shell, count, records, screenSpace, box, size) ? KGroupResult::Composed
                                                                              : KGroupResult::NothingToDraw;
}

bool ComposePictureGroup(KShellServices& shell, int count, void* records, int screenSpace, const KGroupBox& box,
                         int textureSize) {
    uint32_t colour = (RecordAt(records, 0).Colour() & 0xFF000000u) | kQuadGrey;
    uint8_t blendMode = 0;
    bool first = true;
    std::vector<KComposeFrame> frames;
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record = RecordAt(records, i);
        KPlacedSprite placed;
        if (!PlaceRecord(shell, record, screenSpace, &placed)) continue;
        if (first && record.BlendMode() == 5) {
            const KArgbBytes tint = SplitArgb(record.Colour());
            colour = ScaleColor(colour, tint.r, tint.g, tint.b);
        }
        first = false;
        blendMode = record.BlendMode();
        frames.push_back(FrameToCompose(placed));
    }
    IDirect3DTexture9* texture = shell.ComposeTexture(textureSize);
    if (!ComposeFramesIntoTexture(texture, box, frames)) return false;
    DrawComposedQuad(shell, texture, box, textureSize, colour, blendMode);
    return true;
}
