// Type 17: the caller's grey image through the shell's surface texture.
#include "draw2d/PendingDrawers.h"
#include "draw2d/lists/GreySurface.h"
#include "lumiva/PrimitiveRecords.h"
#include "draw2d/render/VertexLock.h"
#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"

void UpdateSurfacePrimitive(KShellServices& shell, KPrimSurface* record) {
    if (record == nullptr) return;
    RebuildGreySurfaceTexture(shell.GetDevice(), &shell.SurfaceTexture(), record->pixels, record->width,
                              record->height);
}

// Drawn as DrawTexturedQuadBlend draws a picture in white: one quad of the
// record's size, the texture's used part mapped onto it, point filtering.
void DrawSurfacePrimitive(KShellServices& shell, KPrimSurface* record) {
    IDirect3DTexture9* texture = shell.SurfaceTexture();
    if (record == nullptr || texture == nullptr) return;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0) return;
    KVertexLock lock(shell, 4);
    if (!lock) return;
    const float l = float(record->x), t = float(record->y);
    const float r = float(int64_t{record->x} + record->width), b = float(int64_t{record->y} + record->height);
    const float uMax = float(record->width) / float(desc.Width), vMax = float(record->height) / float(desc.Height);
    const KScreenVertex corners[4] = {{l, t, 100.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
                                      {r, t, 100.0f, 1.0f, 0xFFFFFFFFu, uMax, 0.0f},
                                      {l, b, 100.0f, 1.0f, 0xFFFFFFFFu, 0.0f, vMax},
                                      {r, b, 100.0f, 1.0f, 0xFFFFFFFFu, uMax, vMax}};
    for (int i = 0; i < 4; ++i) lock.Vertices()[i] = corners[i];
    lock.BindStream();
    IDirect3DDevice9* device = lock.Device();
    device->SetTexture(0, texture);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, lock.First(), 2);
}
