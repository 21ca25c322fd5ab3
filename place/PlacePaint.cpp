// A frame of the place: the ground (background layer, the second scroll
// layer, the regions' ground pictures), then the objects (tree passes 1
// and 2, flat objects, pass 4, the first scroll layer, weather and the
// obstacle overlay), and the view rectangle the passes paint within.
#include <cstring>

#include "place/ObjectPaint.h"
#include "place/PlaceClocks.h"
#include "place/ScenePlace.h"
#include "place/Weather.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr int32_t kViewMarginX = 140;
constexpr int32_t kViewMarginY = 180;
// The view's height in world units beyond twice the screen's.
constexpr int64_t kViewBandY = 480;
constexpr int32_t kCellLine = kCellSize;
constexpr uint32_t kPassableLine = 0xFFFF7FFF;
constexpr uint32_t kBlockingLine = 0xFFFFFFFF;
constexpr uint32_t kFirstBlockingType = 3;

struct Segment {
    int32_t x1, y1, x2, y2;  // in cell lengths from the cell's corner
};

// Lines around a cell by its shape (1 to 5).
constexpr Segment kShapeLines[5][4] = {
    {{0, 0, 1, 0}, {0, 0, 0, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}},
    {{0, 0, 1, 0}, {0, 0, 0, 1}, {0, 1, 1, 0}, {0, 0, 0, 0}},
    {{0, 0, 1, 0}, {1, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 0, 0}},
    {{0, 0, 0, 1}, {0, 1, 1, 1}, {0, 0, 1, 1}, {0, 0, 0, 0}},
    {{1, 0, 1, 1}, {0, 1, 1, 0}, {0, 1, 1, 1}, {0, 0, 0, 0}},
};
constexpr int kShapeLineCount[5] = {4, 3, 3, 3, 3};

KPrimLine CellLine(int64_t x, int64_t y, const Segment& s, uint32_t colour) {
    KPrimLine line;
    std::memset(static_cast<void*>(&line), 0, sizeof line);
    line.x1 = SaturateToInt32(x + int64_t(s.x1) * kCellLine);
    line.y1 = SaturateToInt32(y + int64_t(s.y1) * kCellLine);
    line.x2 = SaturateToInt32(x + int64_t(s.x2) * kCellLine);
    line.y2 = SaturateToInt32(y + int64_t(s.y2) * kCellLine);
    line.alpha = uint8_t(colour >> 24);
    line.red = uint8_t(colour >> 16);
    line.green = uint8_t(colour >> 8);
    line.blue = uint8_t(colour);
    return line;
}

}  // namespace

void KScenePlace::Paint() {
    SetPlaceFrameFlag(false);
    if (!m_inited || !HasMap()) return;
    PaintGround();
    PaintObjects();
}

void KScenePlace::PaintGround() {
    if (!m_inited || !HasMap()) return;
    RefreshPlaceClock();
    if (!ShellServices()) return;
    ShellServices()->SetAlphaMode(1, 0, 100);
    // Taken before building: a region that completes meanwhile sets it
    // again for the next paint.
    if (m_groundDirty.exchange(0)) BuildGroundPictures(false);
    m_background.Paint(m_focusX, m_focusY);
    m_scrollLayers[1].PaintInScene(m_focusX, m_focusY);
    ShellServices()->SetAlphaMode(0, 1, 100);
    {
        // The loader moves regions into the active slots under this lock.
        PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
        for (KSceneRegion* region : m_window.slots)
            if (region) PaintRegionGround(*region);
    }
    ShellServices()->SetAlphaMode(1, 1, 10);
}

// The tree, the flat-object list and the active slots change only under
// the objects lock; the host may add, move and remove its objects from
// PaintObject (the lock is re-entrant), and even change the map. Objects it
// removes are freed when the painting ends; a paint it asks for from
// PaintObject paints nothing.
void KScenePlace::PaintObjects() {
    if (!m_inited || !HasMap() || !ShellServices() || m_paintingObjects) return;
    PlaceLock objects(&m_objectsLock);
    HostCallScope calls(*this);
    m_paintingObjects = true;
    PaintObjectPasses();
    m_paintingObjects = false;
}

void KScenePlace::PaintObjectPasses() {
    SetPlaceFrameFlag(true);
    m_tree.PaintPass(m_viewRect, 1);
    m_tree.PaintPass(m_viewRect, 2);
    for (KRegionObjectRecord* record : m_flatObjects)
        if (record) PaintFlatObject(*record, m_viewRect);
    m_tree.PaintPass(m_viewRect, 4);
    ShellServices()->SetDefaultRenderStates();
    m_scrollLayers[0].PaintOnScreen();
    if (m_weather) m_weather->Paint(ShellServices());
    if (!m_map.ShowObstacle()) return;
    for (KSceneRegion* region : m_window.slots)
        if (region) PaintRegionObstacles(*region);
}

// The record keeps the picture's cached id and index in its end words.
void KScenePlace::PaintFlatObject(KRegionObjectRecord& record, const int32_t view[4]) {
    PaintFlatRecord(record, KPictureCacheWords{reinterpret_cast<uint32_t*>(&record.endX),
                                               reinterpret_cast<int16_t*>(&record.endY)},
                    view);
}

void KScenePlace::PaintRegionObstacles(const KSceneRegion& region) {
    if (!ShellServices()) return;
    for (int column = 0; column < kGridColumns; ++column) {
        for (int row = 0; row < kGridRows; ++row) {
            const uint32_t cell = region.workingGrid[column * kGridRows + row];
            const uint32_t shape = (cell >> 4) & 0x0F;
            if (shape < 1 || shape > 5) continue;
            const uint32_t colour = (cell & kCellObstacleMask) < kFirstBlockingType ? kPassableLine : kBlockingLine;
            const int64_t x = int64_t(region.originX) + int64_t(column) * kCellSize;
            const int64_t y = int64_t(region.originY) + int64_t(row) * kCellSize;
            KPrimLine lines[4];
            const int count = kShapeLineCount[shape - 1];
            for (int i = 0; i < count; ++i) lines[i] = CellLine(x, y, kShapeLines[shape - 1][i], colour);
            ShellServices()->DrawPrimitives(count, lines, PRIM_LINES, 0, 0, -1, -1.0f);
        }
    }
}

void KScenePlace::InvalidateGround() {
    m_groundDirty = 1;
    {
        // Built flags change under the table lock (the loader's neighbour
        // ground), bindings under the objects lock.
        PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
        PlaceLock table(m_inited ? &m_tableLock : nullptr);
        for (KPlaceGroundPicture& ground : m_ground)
            if (ground.picture.fileName[0]) ground.built = 0;
    }
    m_map.BuildPicture();
}

void KScenePlace::SetViewSize(int32_t width, int32_t height) {
    m_viewHalfWidth = SaturateToInt32(int64_t(width) / 2 + kViewMarginX);
    m_viewHalfHeight = SaturateToInt32(int64_t(height) + kViewMarginY);
    m_viewRect[2] = SaturateToInt32(int64_t(m_viewRect[0]) + width + 2 * kViewMarginX);
    m_viewRect[3] = SaturateToInt32(int64_t(m_viewRect[1]) + 2 * int64_t(height) + kViewBandY);
}

void KScenePlace::ScreenToWorld(int32_t* x, int32_t* y, int32_t z) {
    if (!x || !y) return;
    if (ShellServices()) {
        ShellServices()->ScreenToMap(x, y, z);
        return;
    }
    *x = SaturateToInt32(int64_t(*x) + m_viewRect[0] + kViewMarginX);
    const int64_t lift = (int64_t(z) * 887) >> 10;
    *y = SaturateToInt32(int64_t(m_viewRect[1]) + 2 * (int64_t(*y) + lift) + kViewMarginY);
}

void KScenePlace::ScaleToWorldY(int32_t, int32_t* y) {
    if (y) *y = SaturateToInt32(2 * int64_t(*y));
}

void KScenePlace::SetObjectPaintPoint(int32_t x, int32_t y) { SetPlacePaintPoint(x, y); }
