// STAND-IN: the preview operations' way to the image cache (issue 12) and
// the named texture pool (issue 10). Until those land, pictures come from a
// table tests fill, and named textures load straight from their files. When
// they land, each body below becomes the one call its comment names; nothing
// else in the shell reaches them for the previews.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "shell/PrimPicture.h"

class KDrawShell;

// A picture's render-target texture and its system-memory copy.
struct KPreviewPicture {
    IDirect3DTexture9* texture = nullptr;
    IDirect3DTexture9* systemCopy = nullptr;
};

namespace preview_sources {

// KImageCache::GetImage(record->fileName, &record->fileId, &record->indexHint,
// 0, record->imageType, record->loadArgument, 1, 0, 0), then the picture's
// texture and system-memory copy. False when the picture cannot be had.
bool GetPreviewPicture(KPrimPicture* record, KPreviewPicture* out);

// shell->SetRenderTargetImage(record->fileName, record->fileId,
// &record->indexHint, record->imageType): the previous render target (one
// reference for the caller), or null.
IDirect3DSurface9* SetPictureAsRenderTarget(KDrawShell* shell, KPrimPicture* record);

// KNamedTexturePool::Load(name, pool): the pool keeps the texture; the
// caller holds no reference.
IDirect3DTexture9* LoadNamedTexture(const char* name, D3DPOOL pool);

// --- Test control ---
// Puts a picture under `name`, taking one reference of each texture.
void SetPictureForTests(const char* name, IDirect3DTexture9* texture, IDirect3DTexture9* systemCopy);
// Named textures loaded so far.
int NamedTextureCount();
// Releases the pictures and the named textures.
void ResetForTests();

}  // namespace preview_sources
