#include "place/TreeGeometry.h"
#include "place/PlaceMap.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "DataRoot.h"
#include "JpegImage.h"
#include "KIniFile.h"
#include "place/ScenePlaceHost.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr int kKeyCounterLimit = 53696136;
constexpr int kImageFailuresAllowed = 5;
constexpr int kMapRegionWidth = 512;
constexpr int kMapRegionHeight = 1024;
constexpr int kWindowStepX = KPlaceMap::kBlockSide * KPlaceMap::kUnitsX;  // one block, in world units
constexpr int kWindowStepY = KPlaceMap::kBlockSide * KPlaceMap::kUnitsY;
constexpr int kCentreBlock = 3;
constexpr int16_t kMapSpriteImage = 1;


int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t q = value / divisor;
    return (value % divisor != 0 && value < 0) ? q - 1 : q;
}

void CopyName(char* field, size_t size, const char* name) {
    std::memset(field, 0, size);
    std::memcpy(field, name, std::min(std::strlen(name), size - 1));
}

}  // namespace

KPlaceMap::KPlaceMap() {
    std::memset(static_cast<void*>(&m_record), 0, sizeof m_record);
    m_record.alpha = 255;
}

KPlaceMap::~KPlaceMap() {
    DropPicture();
    if (ShellServices()) ReleaseImages();
}

void KPlaceMap::LoadSettings() {
    if (m_prepared || !ShellServices()) return;
    if (!CreateBlockImages()) return;
    ReadIconSettings();
    KIniFile config;
    int showObstacle = 0;
    if (config.Load("\\config.ini")) config.GetInteger("Client", "ShowObstacle", 0, &showObstacle);
    m_showObstacle = showObstacle != 0;
    m_lastSendTime = GetTickCount();
    m_prepared = 1;
}

bool KPlaceMap::CreateBlockImages() {
    KShellServices& shell = *ShellServices();
    int made = 0, failures = 0;
    for (int n = 0; made < kBlockCount && n < kKeyCounterLimit && failures < kImageFailuresAllowed; ++n) {
        KMapBlock& block = m_blocks[made];
        std::snprintf(block.key, sizeof block.key, "*PlaceMap_%d*", n);
        block.image = shell.CreateImage(block.key, kBlockSide, kBlockSide, 0, 1);
        block.indexHint = 0;
        if (block.image) {
            ++made;
        } else {
            shell.SetTextureRelease(-1);
            ++failures;
        }
    }
    if (made == kBlockCount) return true;
    for (int i = 0; i < made; ++i) shell.RemoveImage(m_blocks[i].key);
    std::memset(m_blocks, 0, sizeof m_blocks);
    return false;
}

void KPlaceMap::ReadIconSettings() {
    KIniFile ini;
    ini.Load("\\Ui\\Setting.ini");
    ini.GetString("Map", "SelfImg", "", m_selfIcon, sizeof m_selfIcon);
    const char* iconKeys[6] = {"TeamImg", "FriendImg", "PlayerImg", "FightNpcImg", "NormalImg", "FightPlayerImg"};
    for (int i = 0; i < 6; ++i) ini.GetString("Map", iconKeys[i], "", m_iconNames[i], sizeof m_iconNames[i]);
    const char* taskKeys[3] = {"AcceptTask", "FinishTask", "CantFinishTask"};
    for (int i = 0; i < 3; ++i) {
        char name[128] = {};
        ini.GetString("Map", taskKeys[i], "", name, sizeof name);
        KPrimPicture& icon = m_taskIcons[i];
        std::memset(static_cast<void*>(&icon), 0, sizeof icon);
        icon.alpha = 255;
        icon.imageType = kMapSpriteImage;
        CopyName(icon.fileName, sizeof icon.fileName, name);
        int16_t info[7] = {};
        if (*name && ShellServices()->GetImageInfo(name, info, kMapSpriteImage)) {
            m_taskIconSizes[i][0] = uint16_t(info[2]);
            m_taskIconSizes[i][1] = uint16_t(info[3]);
        } else {
            m_taskIconSizes[i][0] = m_taskIconSizes[i][1] = 0;
        }
    }
}

void KPlaceMap::LoadMap(const KIniFile* ini, const char* folder) {
    LoadSettings();
    DropPicture();
    if (!ini || !folder) return;
    std::snprintf(m_pictureName, sizeof m_pictureName, "%s24.jpg", folder);
    if (!g_FileExists(m_pictureName)) return;
    int regionX = 0, regionY = 0;
    RECT rect{};
    if (!ini->GetInteger2("MAIN", "MapLTRegionIndex", &regionX, &regionY)) {
        if (!ini->GetRect("MAIN", "rect", &rect)) return;
        regionX = rect.left;
        regionY = rect.top;
    }
    const int64_t originX = int64_t(regionX) * kMapRegionWidth, originY = int64_t(regionY) * kMapRegionHeight;
    if (originX != SaturateToInt32(originX) || originY != SaturateToInt32(originY)) return;
    m_originX = int32_t(originX);
    m_originY = int32_t(originY);
    m_windowOriginX = 0;
    m_windowOriginY = 0;
    m_minX = SaturateToInt32(originX + int64_t(m_viewWidth) * kUnitsX / 2);
    m_minY = SaturateToInt32(originY + int64_t(m_viewHeight) * kUnitsY / 2);
    m_maxX = m_maxY = kUnknown;
    m_hasPicture = 1;
}

bool KPlaceMap::DecodePicture() {
    KShellServices& shell = *ShellServices();
    int32_t info[5] = {};
    if (shell.LockImage(m_blocks[0].key, info)) shell.UnlockImage(m_blocks[0].key, 0);
    m_decodeMask = DecodeMaskForPixelKind(info[3]);
    m_picture = get_jpg_image(m_pictureName, m_decodeMask);
    if (!m_picture) {
        m_hasPicture = 0;
        return false;
    }
    const int64_t maxX = m_originX + (int64_t(m_picture->nWidth) - m_viewWidth) * kUnitsX;
    const int64_t maxY = m_originY + (int64_t(m_picture->nHeight) - m_viewHeight) * kUnitsY;
    m_maxX = SaturateToInt32(std::max<int64_t>(maxX, m_minX));
    m_maxY = SaturateToInt32(std::max<int64_t>(maxY, m_minY));
    return true;
}

void KPlaceMap::BuildPicture() {
    if (!m_hasPicture || !m_prepared || !ShellServices()) return;
    if (!m_picture && !DecodePicture()) return;
    for (int row = 0; row < kBlocksPerSide; ++row)
        for (int column = 0; column < kBlocksPerSide; ++column) CopyBlock(row, column);
    m_blocksBuilt = true;
}

void KPlaceMap::CopyBlock(int row, int column) {
    KShellServices& shell = *ShellServices();
    KMapBlock& block = m_blocks[row * kBlocksPerSide + column];
    const int64_t left = (int64_t(m_windowOriginX) - m_originX) / kUnitsX + int64_t(kBlockSide) * column;
    const int64_t top = (int64_t(m_windowOriginY) - m_originY) / kUnitsY + int64_t(kBlockSide) * row;
    const bool wholly = left >= 0 && top >= 0 && left + kBlockSide <= m_picture->nWidth &&
                        top + kBlockSide <= m_picture->nHeight;
    if (!wholly) shell.ClearImage(block.key, block.image, &block.indexHint);
    int32_t info[5] = {};
    auto* bits = static_cast<uint8_t*>(shell.LockImage(block.key, info));
    if (!bits) return;
    const LockedImage image{bits, info[2], std::min(info[0], kBlockSide), std::min(info[1], kBlockSide)};
    // The lock shows the image's own copy, which goes back over the texture
    // on unlock: what lies outside the picture is cleared there too.
    if (!wholly && image.pitch > 0)
        for (int y = 0; y < image.height; ++y)
            std::memset(bits + size_t(y) * size_t(image.pitch), 0, size_t(image.pitch));
    PictureCopyResult result = PictureCopyResult::Copied;
    if (left < m_picture->nWidth && top < m_picture->nHeight && left + kBlockSide > 0 && top + kBlockSide > 0)
        result = CopyPicturePixels(shell, m_colours, shell.GetPictureTextureFormat(), *m_picture, m_decodeMask,
                                   PictureCopyRect{int(left), int(top), kBlockSide, kBlockSide, 0, 0}, image);
    shell.UnlockImage(block.key, 0);
    if (result == PictureCopyResult::UnsupportedFormat) EndForUnsupportedPictureFormat(true);
}

void KPlaceMap::SetCentre(int x, int y, bool rebuild) {
    if (m_minX != kUnknown) x = std::max(x, m_minX);
    if (m_maxX != kUnknown) x = std::min(x, m_maxX);
    if (m_minY != kUnknown) y = std::max(y, m_minY);
    if (m_maxY != kUnknown) y = std::min(y, m_maxY);
    m_centreX = x;
    m_centreY = y;
    m_viewWindow[0] = x / kUnitsX - m_viewWidth / 2;
    m_viewWindow[1] = y / kUnitsY - m_viewHeight / 2;
    m_viewWindow[2] = m_viewWindow[0] + m_viewWidth;
    m_viewWindow[3] = m_viewWindow[1] + m_viewHeight;
    if (!(m_flags & kFlagShown)) return;
    if (rebuild && m_hasPicture) {
        const int64_t bx = FloorDiv(int64_t(x) - m_windowOriginX, kWindowStepX);
        const int64_t by = FloorDiv(int64_t(y) - m_windowOriginY, kWindowStepY);
        // A first centre already in the middle block still needs the blocks.
        if (bx != kCentreBlock || by != kCentreBlock || !m_blocksBuilt) {
            m_windowOriginX = SaturateToInt32(m_windowOriginX + (bx - kCentreBlock) * kWindowStepX);
            m_windowOriginY = SaturateToInt32(m_windowOriginY + (by - kCentreBlock) * kWindowStepY);
            BuildPicture();
        }
    }
    UpdateVisibleBlocks();
}

void KPlaceMap::UpdateVisibleBlocks() {
    constexpr int64_t kWindowSide = int64_t(kBlocksPerSide) * kBlockSide;
    // The view window in pixels of the block window, cut to its 8 x 8 blocks.
    const int64_t left = std::max<int64_t>(int64_t(m_viewWindow[0]) - m_windowOriginX / kUnitsX, 0);
    const int64_t top = std::max<int64_t>(int64_t(m_viewWindow[1]) - m_windowOriginY / kUnitsY, 0);
    const int64_t right = std::min<int64_t>(int64_t(m_viewWindow[2]) - m_windowOriginX / kUnitsX, kWindowSide);
    const int64_t bottom = std::min<int64_t>(int64_t(m_viewWindow[3]) - m_windowOriginY / kUnitsY, kWindowSide);
    if (left >= right || top >= bottom) {
        m_firstColumn = m_firstRow = 0;
        m_lastColumn = m_lastRow = -1;
        return;
    }
    m_firstColumn = int32_t(left / kBlockSide);
    m_firstRow = int32_t(top / kBlockSide);
    m_lastColumn = int32_t((right - 1) / kBlockSide);
    m_lastRow = int32_t((bottom - 1) / kBlockSide);
    m_firstOffsetX = int32_t(left - int64_t(m_firstColumn) * kBlockSide);
    m_firstOffsetY = int32_t(top - int64_t(m_firstRow) * kBlockSide);
    m_lastOffsetX = int32_t(right - int64_t(m_lastColumn) * kBlockSide);
    m_lastOffsetY = int32_t(bottom - int64_t(m_lastRow) * kBlockSide);
}

void KPlaceMap::SetFlags(uint32_t flags) {
    m_flags = flags;
    if (m_flags & kFlagShown) SetCentre(m_centreX, m_centreY, true);
}

void KPlaceMap::SetSize(int width, int height) {
    width = std::clamp(width, 0, kMaxViewSide);
    height = std::clamp(height, 0, kMaxViewSide);
    if (width == m_viewWidth && height == m_viewHeight) return;
    const int64_t moveX = int64_t(width - m_viewWidth) * kUnitsX / 2;
    const int64_t moveY = int64_t(height - m_viewHeight) * kUnitsY / 2;
    m_viewWidth = width;
    m_viewHeight = height;
    if (m_minX != kUnknown) m_minX = SaturateToInt32(m_minX + moveX);
    if (m_minY != kUnknown) m_minY = SaturateToInt32(m_minY + moveY);
    if (m_maxX != kUnknown) m_maxX = SaturateToInt32(std::max<int64_t>(m_maxX - moveX, m_minX));
    if (m_maxY != kUnknown) m_maxY = SaturateToInt32(std::max<int64_t>(m_maxY - moveY, m_minY));
    SetCentre(m_centreX, m_centreY, true);
}

bool KPlaceMap::GetView(int32_t rect[4]) const {
    rect[0] = rect[2] = m_originX;
    rect[1] = rect[3] = m_originY;
    if (m_picture) {
        rect[2] = SaturateToInt32(m_originX + int64_t(m_picture->nWidth) * kUnitsX);
        rect[3] = SaturateToInt32(m_originY + int64_t(m_picture->nHeight) * kUnitsY);
    }
    return m_hasPicture != 0;
}

bool KPlaceMap::GetBounds(int32_t record[8]) const {
    record[2] = m_originX / kUnitsX;
    record[3] = m_originY / kUnitsY;
    record[6] = m_centreX / kUnitsX;
    record[7] = m_centreY / kUnitsY;
    return true;
}

bool KPlaceMap::GetOrigin(int32_t* width, int32_t* height) const {
    if (!m_picture) return false;
    *width = m_picture->nWidth;
    *height = m_picture->nHeight;
    return true;
}

int32_t KPlaceMap::QueryHost(int32_t value) const {
    IScenePlaceHost* host = ScenePlaceHost();
    if (!m_hasPicture || !ShellServices() || !host) return 0;
    return host->QueryMiniMap(value);
}

void KPlaceMap::PassToHost(int32_t value) const {
    if (IScenePlaceHost* host = ScenePlaceHost()) host->PassMiniMapValue(value);
}

void KPlaceMap::ReleaseImages() {
    if (KShellServices* shell = ShellServices())
        for (KMapBlock& block : m_blocks)
            if (block.key[0]) shell->RemoveImage(block.key);
    std::memset(m_blocks, 0, sizeof m_blocks);
    m_prepared = 0;
    m_blocksBuilt = false;
}

void KPlaceMap::DropPicture() {
    if (m_picture) release_image(m_picture);
    m_picture = nullptr;
    m_hasPicture = 0;
    m_blocksBuilt = false;
}
