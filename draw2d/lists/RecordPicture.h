// Fetching a record's picture from the shell's image cache.
#pragma once

#include "draw2d/lists/PictureRecordView.h"

class KShellServices;
class KImageTexture;
class KJpgImage;
class KSprImage;

// Without pinning, hints written back. Null when absent.
KImageTexture* FetchRecordPicture(KShellServices& shell, KPictureRecordView& record, bool createTiles);
// The record's sprite when it has the record's frame (index compared
// unsigned), else null.
KSprImage* FetchRecordSprite(KShellServices& shell, KPictureRecordView& record, bool createTiles);
KJpgImage* FetchRecordJpeg(KShellServices& shell, KPictureRecordView& record);
