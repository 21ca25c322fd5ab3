#include "draw2d/lists/RecordPicture.h"

#include "shell/ShellServices.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"

KImageTexture* FetchRecordPicture(KShellServices& shell, KPictureRecordView& record, bool createTiles) {
    record.CopyName();
    DWORD fileId = record.FileId();
    int16_t hint = record.IndexHint();
    KImageTexture* picture = shell.GetImageCache()->GetImageNoPin(record.Name(), &fileId, &hint, record.Frame(),
                                                            record.ImageType(), int(record.LoadArgument()),
                                                            createTiles ? 1 : 0, 0);
    record.StoreCacheHints(fileId, hint);
    return picture;
}

KSprImage* FetchRecordSprite(KShellServices& shell, KPictureRecordView& record, bool createTiles) {
    auto* sprite = dynamic_cast<KSprImage*>(FetchRecordPicture(shell, record, createTiles));
    if (sprite == nullptr) return nullptr;
    if (uint32_t(uint16_t(record.Frame())) >= uint32_t(sprite->GetFrameCount())) return nullptr;
    return sprite;
}

KJpgImage* FetchRecordJpeg(KShellServices& shell, KPictureRecordView& record) {
    return dynamic_cast<KJpgImage*>(FetchRecordPicture(shell, record, true));
}
