// A large JPEG picture cut into 64 x 64 shell images, each under a key of
// its own, so any rectangle of it draws as a handful of tile fragments.
#pragma once

#include <cstdint>
#include <vector>

#include "lumiva/PrimitiveRecords.h"
#include "place/PicturePixelCopy.h"

struct QivImageContent;

struct KPictureTile {
    char key[32];
    uint32_t image;      // the shell's handle, which is also the key's file id
    uint16_t indexHint;  // the image cache's hint, kept between draws
    int32_t width;       // visible pixels within the tile: 64 except at the
    int32_t height;      // right and bottom edges
};
static_assert(sizeof(KPictureTile) == 48);

class KTiledPicture {
public:
    static constexpr int kTileShift = 6;
    static constexpr int kTileSide = 1 << kTileShift;
    static constexpr int kTileMask = kTileSide - 1;
    static constexpr int kKeyAttempts = 10240;

    KTiledPicture();
    ~KTiledPicture();
    KTiledPicture(const KTiledPicture&) = delete;
    KTiledPicture& operator=(const KTiledPicture&) = delete;

    // Decodes the picture and cuts it into tiles; false leaves nothing
    // loaded.
    bool LoadJpgPicture(const char* name);
    // count -1: the tile count of the current size. All or nothing.
    bool AllocateTiles(int count);
    void FreeTiles();
    // Draws the picture rectangle (picX, picY, w, h) with its top-left at the
    // screen point; the drawn size comes back (0 x 0 when the start lies
    // outside the picture).
    void DrawPart(int screenX, int screenY, int picX, int picY, int w, int h, int* drawnW, int* drawnH);

    // Mode 0: the id of the lower-cased name; 0 for a null or empty name.
    static uint32_t LowerFileNameToId(const char* name, int mode);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Rows() const { return m_rows; }
    int Columns() const { return m_columns; }
    bool IsLoaded() const { return m_loaded != 0; }
    int TileCount() const { return m_tileCount; }
    const KPictureTile& Tile(int index) const { return m_tiles[size_t(index)]; }
    // While set, DrawPart only measures.
    void SuppressDrawing(bool on) { m_drawingSuppressed = on ? 1 : 0; }

    // Between these, DrawPart gathers its fragments; EndBatch draws them in
    // one call, grouped by tile, so each tile's fragments share one device
    // draw. Regrouping changes no pixel only while the parts drawn in the
    // batch do not overlap on the screen (a wrapping fill's parts do not).
    void BeginBatch() { m_batchOpen = true; }
    void EndBatch();
    // Each fragment as a call of its own, the way to compare the batched
    // draws against.
    void DrawFragmentsOneByOne(bool on) { m_oneByOne = on; }

private:
    // A fragment waiting for the draw: its tile, screen point and source
    // rectangle within the tile.
    struct GatheredFragment {
        int32_t tile;
        int32_t screenX, screenY;
        int32_t left, top, right, bottom;
    };

    void SetSize(int width, int height);
    bool CopyTiles(const QivImageContent& picture, int decodeMask);
    bool CopyTile(KPictureTile& tile, const QivImageContent& picture, int decodeMask, int x0, int y0);
    void DrawFragment(int tileIndex, int screenX, int screenY, int startX, int startY, int w, int h);
    void DrawGathered();
    void PutInRecord(const GatheredFragment& fragment, KPrimPictureEx& record) const;
    void DropGathered();

    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_imageFormat = 0;
    int32_t m_loaded = 0;
    std::vector<KPictureTile> m_tiles;
    int32_t m_tileCount = 0;
    int32_t m_rows = 0;
    int32_t m_columns = 0;
    uint32_t m_fileId = 0;
    KPrimPictureEx m_record;
    KColour565Table m_colours;
    uint8_t m_drawingSuppressed = 0;
    bool m_batchOpen = false;
    bool m_oneByOne = false;
    // Kept between draws to reuse their room: the fragments, their records
    // in tile order, and each tile's run start (then end) among them.
    std::vector<GatheredFragment> m_gathered;
    std::vector<KPrimPictureEx> m_grouped;
    std::vector<int32_t> m_runStarts;
};
