#include "place/TiledPicture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FileNameId.h"
#include "JpegImage.h"
#include "place/PicturePixelCopy.h"
#include "place/PlaceClocks.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

void KeepCacheHints(KPictureTile& tile, const KPrimPictureEx& drawn) {
    tile.image = drawn.fileId;
    tile.indexHint = uint16_t(drawn.indexHint);
}

int CeilTiles(int pixels) { return pixels > 0 ? (pixels + KTiledPicture::kTileMask) >> KTiledPicture::kTileShift : 0; }

// The lock's pixel kind of a made image (its fourth lock value).
int32_t PixelKindOf(KShellServices& shell, const char* key) {
    int32_t info[5] = {};
    if (!shell.LockImage(key, info)) return 0;
    shell.UnlockImage(key, 0);
    return info[3];
}

}  // namespace

KTiledPicture::KTiledPicture() {
    std::memset(static_cast<void*>(&m_record), 0, sizeof m_record);
    m_record.alpha = 0;
    m_record.blendMode = 1;
    m_record.imageType = 0;
    m_record.frame = 0;
}

KTiledPicture::~KTiledPicture() { FreeTiles(); }

uint32_t KTiledPicture::LowerFileNameToId(const char* name, int mode) {
    if (!name || !*name || mode != 0) return 0;
    std::string lower(name);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return g_FileName2Id(lower.c_str());
}

void KTiledPicture::SetSize(int width, int height) {
    m_width = width;
    m_height = height;
    m_rows = CeilTiles(height);
    m_columns = CeilTiles(width);
}

bool KTiledPicture::AllocateTiles(int count) {
    FreeTiles();
    if (count == -1) count = m_rows * m_columns;
    KShellServices* shell = ShellServices();
    if (!shell || count <= 0) return false;
    m_tiles.assign(size_t(count), KPictureTile{});
    char base[16];
    std::snprintf(base, sizeof base, "%x", unsigned(PlaceClock() + m_fileId));
    int made = 0;
    for (int attempt = 0; made < count && attempt < kKeyAttempts; ++attempt) {
        KPictureTile& tile = m_tiles[size_t(made)];
        std::snprintf(tile.key, sizeof tile.key, "%4d#%s#%4d", attempt, base, attempt);
        tile.image = shell->CreateImage(tile.key, kTileSide, kTileSide, int(m_imageFormat), 1);
        if (tile.image) ++made;
    }
    m_tileCount = made;
    if (made == count) return true;
    FreeTiles();
    return false;
}

void KTiledPicture::FreeTiles() {
    if (KShellServices* shell = ShellServices())
        for (int i = 0; i < m_tileCount; ++i) shell->RemoveImage(m_tiles[size_t(i)].key);
    m_tileCount = 0;
    m_tiles.clear();
    m_loaded = 0;
    DropGathered();
}

bool KTiledPicture::LoadJpgPicture(const char* name) {
    KShellServices* shell = ShellServices();
    if (!shell || !name || !*name) return false;
    int decodeMask = -1;
    if (AllocateTiles(1)) decodeMask = DecodeMaskForPixelKind(PixelKindOf(*shell, m_tiles[0].key));
    QivImageContent* picture = get_jpg_image(name, decodeMask);
    if (!picture) return false;
    FreeTiles();
    m_fileId = LowerFileNameToId(name, 0);
    SetSize(picture->nWidth, picture->nHeight);
    const bool loaded = AllocateTiles(-1) && CopyTiles(*picture, decodeMask);
    if (loaded)
        m_loaded = 1;
    else
        FreeTiles();
    release_image(picture);
    return loaded;
}

bool KTiledPicture::CopyTiles(const QivImageContent& picture, int decodeMask) {
    for (int row = 0; row < m_rows; ++row)
        for (int column = 0; column < m_columns; ++column)
            if (!CopyTile(m_tiles[size_t(column + row * m_columns)], picture, decodeMask, column << kTileShift,
                          row << kTileShift))
                return false;
    return true;
}

bool KTiledPicture::CopyTile(KPictureTile& tile, const QivImageContent& picture, int decodeMask, int x0, int y0) {
    KShellServices& shell = *ShellServices();
    tile.width = std::min(kTileSide, m_width - x0);
    tile.height = std::min(kTileSide, m_height - y0);
    int32_t info[5] = {};
    auto* bits = static_cast<uint8_t*>(shell.LockImage(tile.key, info));
    if (!bits) return true;  // an image the shell cannot lock stays blank
    const PictureCopyResult result =
        CopyPicturePixels(shell, m_colours, shell.GetPictureTextureFormat(), picture, decodeMask,
                          PictureCopyRect{x0, y0, tile.width, tile.height, 0, 0},
                          LockedImage{bits, info[2], std::min(info[0], kTileSide), std::min(info[1], kTileSide)});
    shell.UnlockImage(tile.key, 0);
    if (result == PictureCopyResult::Copied) return true;
    EndForUnsupportedPictureFormat(false);
    return false;
}

void KTiledPicture::DrawPart(int screenX, int screenY, int picX, int picY, int w, int h, int* drawnW, int* drawnH) {
    int totalW = 0, totalH = 0;
    if (picX >= 0 && picY >= 0 && picX < m_width && picY < m_height && m_tileCount == m_rows * m_columns) {
        w = std::min(w, m_width - picX);
        h = std::min(h, m_height - picY);
        for (int y = 0; y < h;) {
            const int tileRow = (picY + y) >> kTileShift;
            const int startY = (picY + y) & kTileMask;
            int rowH = std::min(kTileSide - startY, h - y);
            int rowW = 0;
            for (int x = 0; x < w;) {
                const int tileColumn = (picX + x) >> kTileShift;
                const int startX = (picX + x) & kTileMask;
                const int fragmentW = std::min(kTileSide - startX, w - x);
                const int tileIndex = tileColumn + tileRow * m_columns;
                const KPictureTile& tile = m_tiles[size_t(tileIndex)];
                const int visibleW = std::min(fragmentW, tile.width - startX);
                const int visibleH = std::min(rowH, tile.height - startY);
                if (visibleW > 0 && visibleH > 0)
                    DrawFragment(tileIndex, screenX + x, screenY + y, startX, startY, visibleW, visibleH);
                x += fragmentW;
                rowW = x;
            }
            y += rowH;
            totalW = rowW;
            totalH = y;
        }
    }
    if (!m_batchOpen) DrawGathered();
    if (drawnW) *drawnW = totalW;
    if (drawnH) *drawnH = totalH;
}

void KTiledPicture::DrawFragment(int tileIndex, int screenX, int screenY, int startX, int startY, int w, int h) {
    KShellServices* shell = ShellServices();
    if (m_drawingSuppressed || !shell) return;
    const GatheredFragment fragment{tileIndex, screenX, screenY, startX, startY, startX + w, startY + h};
    if (!m_oneByOne) {
        m_gathered.push_back(fragment);
        return;
    }
    PutInRecord(fragment, m_record);
    shell->DrawPrimitives(1, &m_record, PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
    KeepCacheHints(m_tiles[size_t(tileIndex)], m_record);
}

void KTiledPicture::PutInRecord(const GatheredFragment& fragment, KPrimPictureEx& record) const {
    const KPictureTile& tile = m_tiles[size_t(fragment.tile)];
    record.ax = fragment.screenX;
    record.ay = fragment.screenY;
    record.r0 = fragment.left;
    record.r1 = fragment.top;
    record.r2 = fragment.right;
    record.r3 = fragment.bottom;
    std::memcpy(record.fileName, tile.key, sizeof tile.key);
    record.fileId = tile.image;
    record.indexHint = int16_t(tile.indexHint);
}

void KTiledPicture::EndBatch() {
    m_batchOpen = false;
    DrawGathered();
}

void KTiledPicture::DrawGathered() {
    KShellServices* shell = ShellServices();
    if (m_gathered.empty() || !shell) return DropGathered();
    // A stable counting sort by tile: each tile's fragments become one run.
    m_runStarts.assign(size_t(m_tileCount) + 1, 0);
    for (const GatheredFragment& fragment : m_gathered) ++m_runStarts[size_t(fragment.tile) + 1];
    for (size_t t = 1; t < m_runStarts.size(); ++t) m_runStarts[t] += m_runStarts[t - 1];
    // Records added here start as the template; the fields a fragment does
    // not set stay the template's in every record.
    m_grouped.resize(m_gathered.size(), m_record);
    for (const GatheredFragment& fragment : m_gathered)
        PutInRecord(fragment, m_grouped[size_t(m_runStarts[size_t(fragment.tile)]++)]);
    shell->DrawPrimitives(int(m_grouped.size()), m_grouped.data(), PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
    // The cursors now mark each run's end; the run's last record holds the
    // image cache's latest answers.
    for (int t = 0, start = 0; t < m_tileCount; start = m_runStarts[size_t(t)], ++t)
        if (m_runStarts[size_t(t)] > start)
            KeepCacheHints(m_tiles[size_t(t)], m_grouped[size_t(m_runStarts[size_t(t)] - 1)]);
    DropGathered();
}

void KTiledPicture::DropGathered() { m_gathered.clear(); }
