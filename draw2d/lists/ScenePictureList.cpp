#include "draw2d/lists/ScenePictureList.h"

#include "draw2d/lists/PictureRecordView.h"
#include "draw2d/lists/RecordPicture.h"
#include "lumiva/PrimitiveRecords.h"
#include "draw2d/scene/CornerPicture.h"
#include "draw2d/scene/TintedPicture.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

static_assert(sizeof(KPictureCorners) == 12 * sizeof(float));

constexpr DWORD kSceneVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr int kPerspective = 2;

struct KSceneListOptions {
    bool floatPoints = false;
    float brightness = 1.0f;
    bool cornersSpanClip = false;
};

const float* CornerFloats(const KPictureCorners& corners) { return &corners.corner[0].x; }

KScenePoint PointA(const KPictureRecordView& r, bool floats) {
    if (floats) return {r.FloatA(0), r.FloatA(1), r.FloatA(2)};
    return {float(r.IntA(0)), float(r.IntA(1)), float(r.IntA(2))};
}

KScenePoint PointB(const KPictureRecordView& r, bool floats) {
    if (floats) return {r.FloatB(0), r.FloatB(1), r.FloatB(2)};
    return {float(r.IntB(0)), float(r.IntB(1)), float(r.IntB(2))};
}

void DrawJpegRecord(KShellServices& shell, KPictureRecordView& record, const KSceneListOptions& options,
                    KPictureCorners* corners) {
    KJpgImage* picture = FetchRecordJpeg(shell, record);
    if (picture == nullptr) return;
    PlaceCornersBetween(corners, PointA(record, options.floatPoints), PointB(record, options.floatPoints));
    if (shell.LightGridEnabled())
        DrawTintedPictureSplit(shell, CornerFloats(*corners), picture);
    else
        DrawTintedPicture(shell, CornerFloats(*corners), picture, options.brightness);
}

void DrawSpriteOnCorners(KShellServices& shell, const KPictureRecordView& record, KSprImage* sprite,
                         const KSceneListOptions& options, const KPictureCorners& corners, const int32_t* clip) {
    const float* c = CornerFloats(corners);
    const int frame = record.Frame();
    if (shell.LightGridEnabled() && record.BlendMode() != 4)
        DrawPictureOnCornersSplit(shell, c, frame, sprite, record.Colour(), record.BlendMode(), clip);
    else if (options.cornersSpanClip)
        DrawPictureOnCornersAlt(shell, c, frame, sprite, record.Colour(), record.BlendMode(), clip, options.brightness);
    else
        DrawPictureOnCorners(shell, c, frame, sprite, record.Colour(), record.BlendMode(), clip, options.brightness);
}

void DrawSceneSpriteRecord(KShellServices& shell, uint32_t type, KPictureRecordView& record, const KSceneListOptions& options,
                      KPictureCorners* corners) {
    KSprImage* sprite = FetchRecordSprite(shell, record, true);
    if (sprite == nullptr) return;
    const uint8_t flags = record.Flags();
    // Without a given B, an anchor or a size from the picture there is no extent.
    if (!(flags & (picture_flags::kAnchor | picture_flags::kSizeFromPicture)) &&
        (record.IntB(0) == 0 || record.IntB(1) == 0))
        return;
    KScenePoint a = PointA(record, options.floatPoints);
    KScenePoint b = PointB(record, options.floatPoints);
    if (flags & picture_flags::kSizeFromPicture) {
        if (record.IntB(0) == 0) b.x = float(int64_t{record.IntA(0)} + sprite->GetWidth());
        if (record.IntB(1) == 0) b.y = float(int64_t{record.IntA(1)} + 2 * int64_t{sprite->GetHeight()});
    }
    const int frame = record.Frame();
    if (type != 3) {
        const KScenePoint c{float(record.IntC(0)), float(record.IntC(1)), float(record.IntC(2))};
        const KScenePoint d{float(record.IntD(0)), float(record.IntD(1)), float(record.IntD(2))};
        PlaceQuadCorners(corners, a, c, b, d);
        const int32_t clip[4] = {record.Rect(0), record.Rect(1), record.Rect(2), record.Rect(3)};
        DrawSpriteOnCorners(shell, record, sprite, options, *corners, clip);
        return;
    }
    KSceneSpriteFrame geometry;
    geometry.centreX = sprite->GetCenterX();
    geometry.centreY = sprite->GetCenterY();
    geometry.pictureWidth = sprite->GetWidth();
    geometry.width = sprite->GetFrameWidth(frame);
    geometry.height = sprite->GetFrameHeight(frame);
    geometry.offsetX = sprite->GetFrameOffsetX(frame);
    geometry.offsetY = sprite->GetFrameOffsetY(frame);
    if (flags & picture_flags::kAnchor) AnchorSceneSprite(&a, &b, geometry, (flags & picture_flags::kKeepB) != 0);
    if (!(flags & picture_flags::kNoFrameOffset)) OffsetSceneSprite(&a, &b, geometry);
    PlaceCornersBetween(corners, a, b);
    DrawSpriteOnCorners(shell, record, sprite, options, *corners, nullptr);
}

void DrawSceneList(KShellServices& shell, uint32_t type, int count, void* records, const KSceneListOptions& options,
                   KPictureCorners* corners) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (device == nullptr || records == nullptr) return;
    device->SetFVF(kSceneVertexFormat);
    const bool perspective = shell.ProjectionKind() == kPerspective;
    if (perspective) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    auto* bytes = static_cast<uint8_t*>(records);
    for (int i = 0; i < count; ++i) {
        KPictureRecordView record(bytes + size_t(i) * ScenePictureStride(type));
        switch (record.ImageType()) {
            case 0:
            case 2: DrawJpegRecord(shell, record, options, corners); break;
            case 1: DrawSceneSpriteRecord(shell, type, record, options, corners); break;
            default: break;
        }
    }
    if (perspective) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    }
}

}  // namespace

void DrawScenePictureList(KShellServices& shell, uint32_t type, int count, void* records, int /*screenSpace*/,
                          float brightness, bool cornersSpanClip) {
    if (type != 3 && type != 6 && type != 22) return;
    static KPictureCorners corners;
    DrawSceneList(shell, type, count, records, KSceneListOptions{false, brightness, cornersSpanClip}, &corners);
}

void DrawScenePictureListAlt(KShellServices& shell, uint32_t type, int count, void* records, int /*reserved*/) {
    if (type != 3 && type != 6) return;
    static KPictureCorners corners;
    DrawSceneList(shell, type, count, records, KSceneListOptions{true, 1.0f, false}, &corners);
}
