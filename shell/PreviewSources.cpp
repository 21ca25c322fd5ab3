#include "shell/PreviewSources.h"

#include "shell/KDrawShell.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"

namespace preview_sources {

bool GetPreviewPicture(KDrawShell* shell, KPrimPicture* record, KPreviewPicture* out) {
    if (!shell || !record || !record->fileName[0] || !out) return false;
    KImageTexture* picture = shell->imageCache.GetImage(record->fileName, &record->fileId, &record->indexHint, 0,
                                                        record->imageType, int(record->loadArgument), 1, 0, 0);
    // Sprites have no single texture to read back.
    if (!picture || picture->GetType() == kImageSprite) return false;
    const KJpgImage* image = static_cast<KJpgImage*>(picture);
    *out = KPreviewPicture{image->GetTexture(), image->GetSystemCopy()};
    return true;
}

IDirect3DSurface9* SetPictureAsRenderTarget(KDrawShell* shell, KPrimPicture* record) {
    if (!shell || !record || !record->fileName[0]) return nullptr;
    return shell->SetRenderTargetImage(record->fileName, record->fileId, &record->indexHint, WORD(record->imageType));
}

}  // namespace preview_sources
