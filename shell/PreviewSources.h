// The preview operations' one way to the shell's image cache: a picture's
// textures by its record, and the picture as the render target.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "lumiva/PrimitiveRecords.h"

class KDrawShell;

// A picture's render-target texture and its system-memory copy, both the
// cache's (valid until the cache drops the picture).
struct KPreviewPicture {
    IDirect3DTexture9* texture = nullptr;
    IDirect3DTexture9* systemCopy = nullptr;
};

namespace preview_sources {

// KImageCache::GetImage(record->fileName, &record->fileId, &record->indexHint,
// 0, record->imageType, record->loadArgument, 1, 0, 0), then the picture's
// texture and system-memory copy. False when the picture cannot be had.
bool GetPreviewPicture(KDrawShell* shell, KPrimPicture* record, KPreviewPicture* out);

// shell->SetRenderTargetImage(record->fileName, record->fileId,
// &record->indexHint, record->imageType): the previous render target (one
// reference for the caller), or null.
IDirect3DSurface9* SetPictureAsRenderTarget(KDrawShell* shell, KPrimPicture* record);

}  // namespace preview_sources
