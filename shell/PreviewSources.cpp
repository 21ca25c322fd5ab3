#include "shell/PreviewSources.h"

#include <cstddef>
#include <cstring>

#include "shell/KDrawShell.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"

namespace preview_sources {
namespace {

// The host's record is read by copy (it may sit at any address); a name
// must end within its field, else the record names no picture.
bool CopyRecord(const KPrimPicture* host, KPrimPicture* copy) {
    if (!host) return false;
    std::memcpy(static_cast<void*>(copy), host, sizeof(*copy));
    return copy->fileName[0] && std::memchr(copy->fileName, 0, sizeof(copy->fileName)) != nullptr;
}

// The image cache's answers go back into the host's record, byte-wise.
void StoreCacheHints(KPrimPicture* host, const KPrimPicture& copy) {
    auto* bytes = reinterpret_cast<unsigned char*>(host);
    std::memcpy(bytes + offsetof(KPrimPicture, fileId), &copy.fileId, sizeof(copy.fileId));
    std::memcpy(bytes + offsetof(KPrimPicture, indexHint), &copy.indexHint, sizeof(copy.indexHint));
}

}  // namespace

bool GetPreviewPicture(KDrawShell* shell, KPrimPicture* record, KPreviewPicture* out) {
    KPrimPicture r;
    if (!shell || !out || !CopyRecord(record, &r)) return false;
    KImageTexture* picture =
        shell->imageCache.GetImage(r.fileName, &r.fileId, &r.indexHint, 0, r.imageType, int(r.loadArgument), 1, 0, 0);
    StoreCacheHints(record, r);
    // Sprites have no single texture to read back.
    if (!picture || picture->GetType() == kImageSprite) return false;
    const KJpgImage* image = static_cast<KJpgImage*>(picture);
    *out = KPreviewPicture{image->GetTexture(), image->GetSystemCopy()};
    return true;
}

IDirect3DSurface9* SetPictureAsRenderTarget(KDrawShell* shell, KPrimPicture* record) {
    KPrimPicture r;
    if (!shell || !CopyRecord(record, &r)) return nullptr;
    IDirect3DSurface9* previous = shell->SetRenderTargetImage(r.fileName, r.fileId, &r.indexHint, WORD(r.imageType));
    StoreCacheHints(record, r);
    return previous;
}

}  // namespace preview_sources
