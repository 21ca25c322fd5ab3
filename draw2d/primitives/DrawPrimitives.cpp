// Slot 49: one call draws a whole array of primitive records of one type.
#include <d3d9.h>
#include <d3dx9.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "draw2d/PendingDrawers.h"
#include "basrel/HostIntegers.h"
#include "lumiva/PrimitiveRecords.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/SpriteQuadBatch.h"
#include "draw2d/render/VertexBuilders.h"
#include "draw2d/render/VertexLock.h"
#include "scene/K3DSceneNode.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/ScreenProjector.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

DWORD Rgb(uint8_t red, uint8_t green, uint8_t blue) { return DWORD(red) << 16 | DWORD(green) << 8 | blue; }

using host_int::Add;
using host_int::Sub;

// Host arrays may sit at any address: each record is read by copy.
template <typename Record>
Record RecordAt(const void* records, int i) {
    Record record;
    std::memcpy(static_cast<void*>(&record), static_cast<const uint8_t*>(records) + size_t(i) * sizeof(Record),
                sizeof(Record));
    return record;
}

// The image cache's answers go back into the host's record, byte-wise.
void StoreCacheHints(void* records, int i, const KPrimPictureEx& r) {
    uint8_t* record = static_cast<uint8_t*>(records) + size_t(i) * sizeof(KPrimPictureEx);
    std::memcpy(record + offsetof(KPrimPicture, fileId), &r.fileId, sizeof(r.fileId));
    std::memcpy(record + offsetof(KPrimPicture, indexHint), &r.indexHint, sizeof(r.indexHint));
}

// A name must end within its field; one that fills it names no picture.
// Names are short: a plain scan ends sooner than a library search of the
// whole field.
bool NameEndsInField(const KPrimPicture& r) {
    for (char c : r.fileName)
        if (c == 0) return true;
    return false;
}

void Project(KDrawShell& shell, int screenSpace, int* x, int* y, int z) {
    if (!screenSpace) shell.ProjectPoint(x, y, z);
}

KSprImage* FetchSprite(KDrawShell& shell, KPrimPictureEx& r, void* records, int i) {
    if (!NameEndsInField(r)) return nullptr;
    KImageTexture* image =
        shell.imageCache.GetImage(r.fileName, &r.fileId, &r.indexHint, r.frame, r.imageType, int(r.loadArgument), 1,
                                  0, 0);
    StoreCacheHints(records, i, r);
    auto* sprite = dynamic_cast<KSprImage*>(image);
    if (!sprite || uint32_t(uint16_t(r.frame)) >= uint32_t(sprite->GetFrameCount())) return nullptr;
    return sprite;
}

KJpgImage* FetchPicture(KDrawShell& shell, KPrimPictureEx& r, void* records, int i) {
    if (!NameEndsInField(r)) return nullptr;
    KImageTexture* image = shell.imageCache.GetImageNoPin(r.fileName, &r.fileId, &r.indexHint, r.frame, r.imageType,
                                                          int(r.loadArgument), 1, 0);
    StoreCacheHints(records, i, r);
    return dynamic_cast<KJpgImage*>(image);
}

// Anchoring at the centre, then the frame's own offset.
void PlaceOnFrame(const KPrimPicture& r, const KSprFrameView& frame, int* x, int* y, KSprImage* sprite) {
    if (r.flags & kPictureAnchorCentre) {
        *x = Sub(*x, sprite->GetCenterX());
        *y = Sub(*y, sprite->GetCenterY());
    }
    if (!(r.flags & kPictureNoFrameOffset)) {
        *x = Add(*x, frame.offsetX);
        *y = Add(*y, frame.offsetY);
    }
}

// Anchoring at the centre, then the frame's own offset.
void PlaceOnFrame(const KPrimPicture& r, KSprImage* sprite, int* x, int* y) {
    if (r.flags & kPictureAnchorCentre) {
        *x = Sub(*x, sprite->GetCenterX());
        *y = Sub(*y, sprite->GetCenterY());
    }
    if (!(r.flags & kPictureNoFrameOffset)) {
        *x = Add(*x, sprite->GetFrameOffsetX(r.frame));
        *y = Add(*y, sprite->GetFrameOffsetY(r.frame));
    }
}

void PlaceOnFrame(const KPrimPicture& r, KSprImage* sprite, float* x, float* y) {
    if (r.flags & kPictureAnchorCentre) {
        *x -= float(sprite->GetCenterX());
        *y -= float(sprite->GetCenterY());
    }
    if (!(r.flags & kPictureNoFrameOffset)) {
        *x += float(sprite->GetFrameOffsetX(r.frame));
        *y += float(sprite->GetFrameOffsetY(r.frame));
    }
}

// Lines of one call share the camera and the stage states: each run of up
// to kLinesPerDraw records goes out as one line list, which the device draws
// line by line exactly as it draws lines one per call.
constexpr int kLinesPerDraw = 1024;

void DrawLines(KDrawShell& shell, int count, void* records, int screenSpace) {
    const KScreenProjector projector(shell);
    for (int start = 0; start < count; start += kLinesPerDraw) {
        const int lines = std::min(count - start, kLinesPerDraw);
        KVertexLock lock(shell, 2 * lines);
        if (!lock) return;
        KScreenVertex* v = lock.Vertices();
        for (int i = 0; i < lines; ++i) {
            const KPrimLine r = RecordAt<KPrimLine>(records, start + i);
            int x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
            if (!screenSpace) {
                projector.ProjectPoint(&x1, &y1, r.z1);
                projector.ProjectPoint(&x2, &y2, r.z2);
            }
            const DWORD colour = DWORD(r.alpha) << 24 | Rgb(r.red, r.green, r.blue);
            SetScreenVertex(v[2 * i], float(x1), float(y1), 100.0f, colour);
            SetScreenVertex(v[2 * i + 1], float(x2), float(y2), 100.0f, colour);
        }
        lock.BindStream();
        DrawDiffuseOnly(lock.Device(), D3DPT_LINELIST, lock.First(), UINT(lines));
    }
}

void DrawCornerFrames(KDrawShell& shell, int count, void* records, int screenSpace) {
    for (int i = 0; i < count; ++i) {
        const KPrimLine r = RecordAt<KPrimLine>(records, i);
        int x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
        Project(shell, screenSpace, &x1, &y1, r.z1);
        Project(shell, screenSpace, &x2, &y2, r.z2);
        shell.GetDevice()->SetRenderState(D3DRS_ZENABLE, FALSE);
        const DWORD c = 0xFF000000u | Rgb(r.red, r.green, r.blue);
        DrawLine(shell, Add(x1, 3), y1, Sub(x2, 3), y1, c);
        DrawLine(shell, Add(x1, 3), y2, Sub(x2, 3), y2, c);
        DrawLine(shell, x1, Add(y1, 3), x1, Sub(y2, 3), c);
        DrawLine(shell, x2, Add(y1, 3), x2, Sub(y2, 3), c);
        DrawLine(shell, Add(x1, 3), y1, x1, Add(y1, 3), c);
        DrawLine(shell, Sub(x2, 3), y1, x2, Add(y1, 3), c);
        DrawLine(shell, x1, Sub(y2, 3), Add(x1, 3), y2, c);
        DrawLine(shell, Sub(x2, 3), y2, x2, Sub(y2, 4), c);
    }
}

// Picture records whose quads share a texture reach the device together (a
// tiled picture's fragments of one tile, a sprite stamped many times); the
// draws keep the records' order.
void DrawRectPictures(KDrawShell& shell, int count, void* records, int screenSpace, int opacity, float brightness) {
    KSpriteQuadBatch batch(shell, opacity, brightness);
    KSprFrameView frame;
    for (int i = 0; i < count; ++i) {
        KPrimPictureEx r = RecordAt<KPrimPictureEx>(records, i);
        if (r.imageType == kImageJpeg || r.imageType == kImageBlank32) {
            KJpgImage* picture = FetchPicture(shell, r, records, i);
            if (!picture) continue;
            int x = r.ax, y = r.ay;
            Project(shell, screenSpace, &x, &y, r.az);
            batch.AddPictureCropped(x, y, picture, &r.r0);
        } else if (r.imageType == kImageSprite) {
            KSprImage* sprite = FetchSprite(shell, r, records, i);
            // A negative frame index (valid only as 16 bits unsigned) has no
            // size through the signed getters and draws nothing.
            if (!sprite || !sprite->GetFrameView(r.frame, &frame)) continue;
            int x = r.ax, y = r.ay;
            Project(shell, screenSpace, &x, &y, r.az);
            PlaceOnFrame(r, frame, &x, &y, sprite);
            const int32_t dest[4] = {Add(x, r.r0), Add(y, r.r1), Add(x, r.r2), Add(y, r.r3)};
            if (r.blendMode == 3 || r.blendMode > 5) continue;
            batch.AddFrameCropped(x, y, frame, dest, r.Colour(), r.blendMode);
        }
    }
}

void DrawTwoPointPictures(KDrawShell& shell, int count, void* records, BYTE floatCoords) {
    for (int i = 0; i < count; ++i) {
        KPrimPictureEx r = RecordAt<KPrimPictureEx>(records, i);
        if (r.imageType != kImageSprite) continue;
        KSprImage* sprite = FetchSprite(shell, r, records, i);
        if (!sprite) continue;
        int x = r.ax, y = r.ay;
        float fx = r.fax, fy = r.fay;
        PlaceOnFrame(r, sprite, &x, &y);
        PlaceOnFrame(r, sprite, &fx, &fy);
        if (r.blendMode == 3 || r.blendMode > 4) continue;
        const int w = sprite->GetFrameWidth(r.frame), h = sprite->GetFrameHeight(r.frame);
        const uint32_t frame = uint32_t(uint16_t(r.frame));
        if (floatCoords) {
            const float clip[4] = {fy, fx, fy - r.f1 + r.f3, fx - r.f0 + r.f2};
            DrawFrameInScenePoint(shell, r.fax, r.fay, r.faz, w, h, frame, sprite, clip);
        } else {
            const int32_t clip[4] = {x, y, Add(Sub(x, r.r0), r.r2), Add(Sub(y, r.r1), r.r3)};
            DrawFrameInScene(shell, r.ax, r.ay, r.az, w, h, frame, sprite, clip);
        }
    }
}

void DrawBars(KDrawShell& shell, int count, void* records, int screenSpace, BYTE floatCoords) {
    for (int i = 0; i < count; ++i) {
        const KPrimBar r = RecordAt<KPrimBar>(records, i);
        const DWORD c = DWORD(BarAlpha(r.level)) << 24 | Rgb(r.red, r.green, r.blue);
        if (floatCoords) {
            float x1 = r.fax, y1 = r.fay, x2 = r.fbx, y2 = r.fby;
            if (!screenSpace) {
                shell.ProjectPointF(&x1, &y1, r.faz);
                shell.ProjectPointF(&x2, &y2, r.fbz);
            }
            y1 += 3.0f, y2 -= 3.0f;
            FillRectF(shell, x1, y1, host_int::Truncate(x2 - x1), host_int::Truncate(y2 - y1), c);
            for (int k = 1; k <= 3; ++k) {
                const float s = 0.5f * float(k);
                DrawLineF(shell, x1 + s, y1 - s, x2 - s, y1 - s, c);
                DrawLineF(shell, x1 + s, y2 + s - 1.0f, x2 - s, y2 + s - 1.0f, c);
            }
        } else {
            int x1 = r.ax, y1 = r.ay, x2 = r.bx, y2 = r.by;
            Project(shell, screenSpace, &x1, &y1, r.az);
            Project(shell, screenSpace, &x2, &y2, r.bz);
            y1 = Add(y1, 3), y2 = Sub(y2, 3);
            FillRect(shell, x1, y1, Sub(x2, x1), Sub(y2, y1), c);
            for (int k = 1; k <= 3; ++k) {
                DrawLine(shell, Add(x1, k), Sub(y1, k), Sub(x2, k), Sub(y1, k), c);
                DrawLine(shell, Add(x1, k), Add(y2, k - 1), Sub(x2, k), Add(y2, k - 1), c);
            }
        }
    }
}

void DrawThinBars(KDrawShell& shell, int count, void* records) {
    for (int i = 0; i < count; ++i) {
        const KPrimBar r = RecordAt<KPrimBar>(records, i);
        int x1 = r.ax, y1 = r.ay, x2 = r.bx, y2 = r.by;
        shell.ProjectPoint(&x1, &y1, r.az);
        shell.ProjectPoint(&x2, &y2, r.bz);
        FillRect(shell, x1, y1, Sub(x2, x1), 3, DWORD(BarAlpha(r.level)) << 24 | Rgb(r.red, r.green, r.blue));
    }
}

void DrawModels(KDrawShell& shell, int count, void* records, bool depthWrite) {
    IDirect3DDevice9* device = shell.GetDevice();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    static constexpr D3DRENDERSTATETYPE kSaved[5] = {D3DRS_ZENABLE, D3DRS_ZFUNC, D3DRS_ZWRITEENABLE, D3DRS_LIGHTING,
                                                     D3DRS_AMBIENT};
    DWORD saved[5] = {};
    for (int i = 0; i < 5; ++i) device->GetRenderState(kSaved[i], &saved[i]);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    if (depthWrite) device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, depthWrite ? TRUE : FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    for (int i = 0; i < count; ++i) {
        const KPrimModel r = RecordAt<KPrimModel>(records, i);
        if (!r.model) continue;
        if (depthWrite)
            neighbours::ModelDrawWithTransform(r.model, r.computeTransform != 0);
        else
            neighbours::ModelUpdate(r.model);
    }
    for (int i = 0; i < 5; ++i) device->SetRenderState(kSaved[i], saved[i]);
    shell.SetDefaultRenderStates();
}

void DrawEffectNodes(KDrawShell& shell, int count, void* records) {
    shell.GetDevice()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (int i = 0; i < count; ++i)
        if (K3DSceneNode* node = SceneNodeOfEffect(RecordAt<KPrimNode>(records, i).node)) node->Update();
}

void DrawLightning(KDrawShell& shell, int count, void* records, bool sets) {
    IDirect3DDevice9* device = shell.GetDevice();
    static constexpr D3DRENDERSTATETYPE kRender[5] = {D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ALPHABLENDENABLE,
                                                      D3DRS_ZENABLE, D3DRS_ZWRITEENABLE};
    static constexpr D3DTEXTURESTAGESTATETYPE kStage[6] = {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_COLOROP,
                                                           D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2, D3DTSS_ALPHAOP};
    static constexpr D3DSAMPLERSTATETYPE kSampler[2] = {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER};
    DWORD render[5], stage[6], sampler[2];
    for (int i = 0; i < 5; ++i) device->GetRenderState(kRender[i], &render[i]);
    for (int i = 0; i < 6; ++i) device->GetTextureStageState(0, kStage[i], &stage[i]);
    for (int i = 0; i < 2; ++i) device->GetSamplerState(0, kSampler[i], &sampler[i]);
    const DWORD second = sets ? D3DTA_CURRENT : D3DTA_DIFFUSE;
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    const DWORD stageValues[6] = {D3DTA_TEXTURE, second, D3DTOP_MODULATE, D3DTA_TEXTURE, second, D3DTOP_MODULATE};
    for (int i = 0; i < 6; ++i) device->SetTextureStageState(0, kStage[i], stageValues[i]);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    for (int i = 0; i < 2; ++i) device->SetSamplerState(0, kSampler[i], D3DTEXF_LINEAR);
    for (int i = 0; i < count; ++i) {
        void* effect = RecordAt<KPrimEffect>(records, i).effect;
        if (!effect) continue;
        if (sets)
            neighbours::LightningSetDraw(static_cast<KLightningSet*>(effect));
        else
            neighbours::LightningRender(static_cast<KLightning*>(effect));
    }
    for (int i = 0; i < 5; ++i) device->SetRenderState(kRender[i], render[i]);
    for (int i = 0; i < 6; ++i) device->SetTextureStageState(0, kStage[i], stage[i]);
    for (int i = 0; i < 2; ++i) device->SetSamplerState(0, kSampler[i], sampler[i]);
}

}  // namespace

void KDrawShell::DrawPrimitives(int count, void* records, DWORD type, int screenSpace, BYTE floatCoords, int opacity,
                                float brightness) {
    if (!records || deviceLost || type > kLastPrimitiveType || !GetDevice()) return;
    switch (type) {
        case PRIM_POINTS:
            DrawPoints(*this, count, static_cast<KPrimPoint*>(records), screenSpace);
            break;
        case PRIM_LINES:
            DrawLines(*this, count, records, screenSpace);
            break;
        case PRIM_CORNER_FRAMES:
            DrawCornerFrames(*this, count, records, screenSpace);
            break;
        case PRIM_PICTURES:
        case PRIM_QUAD_PICTURES:
            if (projectionKind == 0 || screenSpace) {
                auto* pictures = static_cast<KPrimPicture*>(records);
                if (floatCoords)
                    DrawPictureListF(*this, count, pictures, screenSpace);
                else
                    DrawPictureList(*this, count, pictures, screenSpace);
            } else if (floatCoords) {
                DrawScenePictureListAlt(*this, type, count, records, 0);
            } else {
                DrawScenePictureList(*this, type, count, records, 0, 1.0f, false);
            }
            break;
        case PRIM_RECT_PICTURES:
        case PRIM_RECT_PICTURES_2:
            DrawRectPictures(*this, count, records, screenSpace, opacity, brightness);
            break;
        case PRIM_TWO_POINT_PICTURES:
            DrawTwoPointPictures(*this, count, records, floatCoords);
            break;
        case PRIM_SCALED_PICTURES:
            if (!screenSpace) break;
            if (floatCoords)
                DrawScaledPictureListPoint(*this, count, static_cast<KPrimPicture*>(records));
            else
                DrawScaledPictureList(*this, count, static_cast<KPrimPicture*>(records));
            break;
        case PRIM_BARS:
            DrawBars(*this, count, records, screenSpace, floatCoords);
            break;
        case PRIM_THIN_BARS:
            DrawThinBars(*this, count, records);
            break;
        case PRIM_MODELS:
        case PRIM_MODELS_NO_DEPTH_WRITE:
            DrawModels(*this, count, records, type == PRIM_MODELS);
            break;
        case PRIM_EFFECT_NODES:
            DrawEffectNodes(*this, count, records);
            break;
        case PRIM_LIGHTNING:
        case PRIM_LIGHTNING_SETS:
            DrawLightning(*this, count, records, type == PRIM_LIGHTNING_SETS);
            break;
        case PRIM_SURFACE: {
            KPrimSurface surface = RecordAt<KPrimSurface>(records, 0);
            if (surface.dirty) UpdateSurfacePrimitive(*this, &surface);
            DrawSurfacePrimitive(*this, &surface);
            break;
        }
        case PRIM_BRIGHT_PICTURES:
        case PRIM_BRIGHT_QUAD_PICTURES:
            DrawScenePictureList(*this, type == PRIM_BRIGHT_PICTURES ? PRIM_PICTURES : PRIM_QUAD_PICTURES, count,
                                 records, screenSpace, GetSceneBright(), false);
            break;
        case PRIM_QUAD_PICTURES_CLIP_SPAN:
            DrawScenePictureList(*this, type, count, records, screenSpace, 1.0f, true);
            break;
        case PRIM_TURNING_MESH: {
            const KPrimMesh mesh = RecordAt<KPrimMesh>(records, 0);
            if (mesh.mesh)
                RenderTimedPass(mesh.mesh, mesh.x, mesh.y, host_int::Truncate(mesh.width),
                                host_int::Truncate(mesh.height));
            break;
        }
        case PRIM_CLIPPED_PICTURES:
            DrawClippedPictureList(*this, count, static_cast<KPrimPictureEx*>(records));
            break;
        default:  // 8, 11, 16
            break;
    }
}
