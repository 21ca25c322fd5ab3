// Slot 49: one call draws a whole array of primitive records of one type.
#include <d3d9.h>
#include <d3dx9.h>

#include "draw2d/PendingDrawers.h"
#include "draw2d/primitives/PrimitiveRecords.h"
#include "draw2d/render/ScreenPictureRenderers.h"
#include "draw2d/render/VertexBuilders.h"
#include "scene/K3DSceneNode.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

namespace {

DWORD Rgb(uint8_t red, uint8_t green, uint8_t blue) { return DWORD(red) << 16 | DWORD(green) << 8 | blue; }

template <typename Record>
Record* At(void* records, int i) {
    return static_cast<Record*>(records) + i;
}

void Project(KDrawShell& shell, int screenSpace, int* x, int* y, int z) {
    if (!screenSpace) shell.ProjectPoint(x, y, z);
}

KSprImage* FetchSprite(KDrawShell& shell, KPrimPicture& r) {
    KImageTexture* image =
        shell.imageCache.GetImage(r.fileName, &r.fileId, &r.indexHint, r.frame, r.imageType, int(r.loadArgument), 1,
                                  0, 0);
    auto* sprite = dynamic_cast<KSprImage*>(image);
    if (!sprite || uint32_t(uint16_t(r.frame)) >= uint32_t(sprite->GetFrameCount())) return nullptr;
    return sprite;
}

// Anchoring at the centre, then the frame's own offset.
template <typename T>
void PlaceOnFrame(const KPrimPicture& r, KSprImage* sprite, T* x, T* y) {
    if (r.flags & kPictureAnchorCentre) {
        *x -= T(sprite->GetCenterX());
        *y -= T(sprite->GetCenterY());
    }
    if (!(r.flags & kPictureNoFrameOffset)) {
        *x += T(sprite->GetFrameOffsetX(r.frame));
        *y += T(sprite->GetFrameOffsetY(r.frame));
    }
}

void DrawLines(KDrawShell& shell, int count, void* records, int screenSpace) {
    for (int i = 0; i < count; ++i) {
        const KPrimLine& r = *At<KPrimLine>(records, i);
        int x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
        Project(shell, screenSpace, &x1, &y1, r.z1);
        Project(shell, screenSpace, &x2, &y2, r.z2);
        DrawLine(shell, x1, y1, x2, y2, DWORD(r.alpha) << 24 | Rgb(r.red, r.green, r.blue));
    }
}

void DrawCornerFrames(KDrawShell& shell, int count, void* records, int screenSpace) {
    for (int i = 0; i < count; ++i) {
        const KPrimLine& r = *At<KPrimLine>(records, i);
        int x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
        Project(shell, screenSpace, &x1, &y1, r.z1);
        Project(shell, screenSpace, &x2, &y2, r.z2);
        shell.GetDevice()->SetRenderState(D3DRS_ZENABLE, FALSE);
        const DWORD c = 0xFF000000u | Rgb(r.red, r.green, r.blue);
        DrawLine(shell, x1 + 3, y1, x2 - 3, y1, c);
        DrawLine(shell, x1 + 3, y2, x2 - 3, y2, c);
        DrawLine(shell, x1, y1 + 3, x1, y2 - 3, c);
        DrawLine(shell, x2, y1 + 3, x2, y2 - 3, c);
        DrawLine(shell, x1 + 3, y1, x1, y1 + 3, c);
        DrawLine(shell, x2 - 3, y1, x2, y1 + 3, c);
        DrawLine(shell, x1, y2 - 3, x1 + 3, y2, c);
        DrawLine(shell, x2 - 3, y2, x2, y2 - 4, c);
    }
}

void DrawRectPictures(KDrawShell& shell, int count, void* records, int screenSpace, int opacity, float brightness) {
    for (int i = 0; i < count; ++i) {
        KPrimPictureEx& r = *At<KPrimPictureEx>(records, i);
        if (r.imageType == kImageJpeg || r.imageType == kImageBlank32) {
            auto* picture = dynamic_cast<KJpgImage*>(shell.imageCache.GetImageNoPin(
                r.fileName, &r.fileId, &r.indexHint, r.frame, r.imageType, int(r.loadArgument), 1, 0));
            if (!picture) continue;
            int x = r.ax, y = r.ay;
            Project(shell, screenSpace, &x, &y, r.az);
            DrawPictureCropped(shell, x, y, picture, &r.r0, opacity, brightness);
        } else if (r.imageType == kImageSprite) {
            KSprImage* sprite = FetchSprite(shell, r);
            if (!sprite) continue;
            int x = r.ax, y = r.ay;
            Project(shell, screenSpace, &x, &y, r.az);
            PlaceOnFrame(r, sprite, &x, &y);
            const int32_t dest[4] = {x + r.r0, y + r.r1, x + r.r2, y + r.r3};
            if (r.blendMode == 3 || r.blendMode > 5) continue;
            DrawFrameCropped(shell, x, y, sprite->GetFrameWidth(r.frame), sprite->GetFrameHeight(r.frame),
                             uint32_t(uint16_t(r.frame)), sprite, dest, r.Colour(), r.blendMode);
        }
    }
}

void DrawTwoPointPictures(KDrawShell& shell, int count, void* records, BYTE floatCoords) {
    for (int i = 0; i < count; ++i) {
        KPrimPictureEx& r = *At<KPrimPictureEx>(records, i);
        if (r.imageType != kImageSprite) continue;
        KSprImage* sprite = FetchSprite(shell, r);
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
            const int32_t clip[4] = {x, y, x - r.r0 + r.r2, y - r.r1 + r.r3};
            DrawFrameInScene(shell, r.ax, r.ay, r.az, w, h, frame, sprite, clip);
        }
    }
}

void DrawBars(KDrawShell& shell, int count, void* records, int screenSpace, BYTE floatCoords) {
    for (int i = 0; i < count; ++i) {
        const KPrimBar& r = *At<KPrimBar>(records, i);
        const DWORD c = DWORD(BarAlpha(r.level)) << 24 | Rgb(r.red, r.green, r.blue);
        if (floatCoords) {
            float x1 = r.fax, y1 = r.fay, x2 = r.fbx, y2 = r.fby;
            if (!screenSpace) {
                shell.ProjectPointF(&x1, &y1, r.faz);
                shell.ProjectPointF(&x2, &y2, r.fbz);
            }
            y1 += 3.0f, y2 -= 3.0f;
            FillRectF(shell, x1, y1, int(x2 - x1), int(y2 - y1), c);
            for (int k = 1; k <= 3; ++k) {
                const float s = 0.5f * float(k);
                DrawLineF(shell, x1 + s, y1 - s, x2 - s, y1 - s, c);
                DrawLineF(shell, x1 + s, y2 + s - 1.0f, x2 - s, y2 + s - 1.0f, c);
            }
        } else {
            int x1 = r.ax, y1 = r.ay, x2 = r.bx, y2 = r.by;
            Project(shell, screenSpace, &x1, &y1, r.az);
            Project(shell, screenSpace, &x2, &y2, r.bz);
            y1 += 3, y2 -= 3;
            FillRect(shell, x1, y1, x2 - x1, y2 - y1, c);
            for (int k = 1; k <= 3; ++k) {
                DrawLine(shell, x1 + k, y1 - k, x2 - k, y1 - k, c);
                DrawLine(shell, x1 + k, y2 - 1 + k, x2 - k, y2 - 1 + k, c);
            }
        }
    }
}

void DrawThinBars(KDrawShell& shell, int count, void* records) {
    for (int i = 0; i < count; ++i) {
        const KPrimBar& r = *At<KPrimBar>(records, i);
        int x1 = r.ax, y1 = r.ay, x2 = r.bx, y2 = r.by;
        shell.ProjectPoint(&x1, &y1, r.az);
        shell.ProjectPoint(&x2, &y2, r.bz);
        FillRect(shell, x1, y1, x2 - x1, 3, DWORD(BarAlpha(r.level)) << 24 | Rgb(r.red, r.green, r.blue));
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
        const KPrimModel& r = *At<KPrimModel>(records, i);
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
        if (K3DSceneNode* node = SceneNodeOfEffect(At<KPrimNode>(records, i)->node)) node->Update();
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
        void* effect = At<KPrimEffect>(records, i)->effect;
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
            auto* surface = static_cast<KPrimSurface*>(records);
            if (surface->dirty) UpdateSurfacePrimitive(*this, surface);
            DrawSurfacePrimitive(*this, surface);
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
            const KPrimMesh& mesh = *static_cast<KPrimMesh*>(records);
            if (mesh.mesh) RenderTimedPass(mesh.mesh, mesh.x, mesh.y, int(mesh.width), int(mesh.height));
            break;
        }
        case PRIM_CLIPPED_PICTURES:
            DrawClippedPictureList(*this, count, static_cast<KPrimPictureEx*>(records));
            break;
        default:  // 8, 11, 16
            break;
    }
}
