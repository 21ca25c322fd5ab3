#include "place/TreeGeometry.h"
#include "place/ScrollBackground.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "place/ScrollSetting.h"
#include "shell/D3DShell.h"

namespace {


// floor(log2(value)), -1 for 0 and below, at most the largest useful shift.
int32_t ShiftFor(int64_t value) {
    if (value <= 0) return -1;
    return std::min<int32_t>(std::bit_width(uint64_t(value)) - 1, KScrollBackground::kMaxShift);
}

// The value's position within a picture side, made non-negative.
int32_t Wrap(int64_t value, int32_t side) {
    const int64_t r = value % side;
    return int32_t(r < 0 ? r + side : r);
}

// Side minus the position, with 0 kept at 0: a point at the picture's far
// edge would leave nothing to draw.
int32_t Mirror(int32_t position, int32_t side) { return position == 0 ? 0 : side - position; }

// How far the picture has travelled along one axis for a focus offset.
int32_t Travel(int64_t delta, int32_t shift, int32_t start, int32_t side) {
    if (shift < 0 || side <= 0) return start;
    const int64_t moved = (std::abs(delta) >> shift) % side;
    const int32_t signedMoved = delta < 0 ? Mirror(int32_t(moved), side) : int32_t(moved);
    return Wrap(int64_t(signedMoved) + start, side);
}

int32_t StartOffset(int32_t sceneCentre, int64_t paintSide, int32_t picCentre, int32_t side) {
    if (side <= 0) return 0;
    const int32_t start =
        Wrap((int64_t(sceneCentre) - paintSide / 2) - (int64_t(picCentre) - side / 2), side);
    return sceneCentre < picCentre ? Mirror(start, side) : start;
}

}  // namespace

bool KScrollBackground::LoadPicture(const char* name) {
    m_loaded = m_picture.LoadJpgPicture(name) ? 1 : 0;
    return m_loaded != 0;
}

void KScrollBackground::Release() {
    m_enabled = 0;
    m_loaded = 0;
    m_picture.FreeTiles();
}

void KScrollBackground::Setup(const KScrollSetting& setting) {
    m_shiftX = ShiftFor(setting.speedOrRating);
    m_shiftY = ShiftFor(2 * int64_t(setting.speedOrRating));
    // Nothing off the screen can be seen: a rectangle from a settings file
    // is cut to it, so its size cannot make the fill run away.
    m_paintLeft = std::clamp(setting.paintLeft, 0, g_ScreenWidth);
    m_paintTop = std::clamp(setting.paintTop, 0, g_ScreenHeight);
    m_paintRight = std::clamp(setting.paintRight, m_paintLeft, g_ScreenWidth);
    m_paintBottom = std::clamp(setting.paintBottom, m_paintTop, g_ScreenHeight);
    m_sceneCentreX = setting.centre[0];
    m_sceneCentreY = setting.centre[1];
    m_offsetX = SaturateToInt32(int64_t(setting.centre[0]) - setting.centre[2]);
    m_offsetY = SaturateToInt32(int64_t(setting.centre[1]) - setting.centre[3]);
    m_pictureWidth = m_picture.Width();
    m_pictureHeight = m_picture.Height();
    // The start follows the rectangle the setting asked for.
    m_startX = StartOffset(setting.centre[0], int64_t(setting.paintRight) - setting.paintLeft, setting.centre[2],
                           m_pictureWidth);
    m_startY = StartOffset(setting.centre[1], int64_t(setting.paintBottom) - setting.paintTop, setting.centre[3],
                           m_pictureHeight);
}

void KScrollBackground::PictureOrigin(int focusX, int focusY, int* picX, int* picY) const {
    *picX = Travel(int64_t(focusX) - m_sceneCentreX, m_shiftX, m_startX, m_pictureWidth);
    *picY = Travel(int64_t(focusY) - m_sceneCentreY, m_shiftY, m_startY, m_pictureHeight);
}

void KScrollBackground::Paint(int focusX, int focusY) {
    if (!m_enabled || !m_loaded || m_pictureWidth <= 0 || m_pictureHeight <= 0) return;
    if (m_paintLeft >= m_paintRight || m_paintTop >= m_paintBottom) return;
    int startX = 0, startY = 0;
    PictureOrigin(focusX, focusY, &startX, &startY);
    // The fill's parts lie side by side, never over each other: they can go
    // out grouped by tile.
    m_picture.BeginBatch();
    Fill(startX, startY);
    m_picture.EndBatch();
}

void KScrollBackground::Fill(int startX, int startY) {
    for (int y = m_paintTop, picY = startY; y < m_paintBottom; picY = 0) {
        int rowH = 0;
        for (int x = m_paintLeft, picX = startX; x < m_paintRight; picX = 0) {
            int drawnW = 0, drawnH = 0;
            m_picture.DrawPart(x, y, picX, picY, m_paintRight - x, m_paintBottom - y, &drawnW, &drawnH);
            if (drawnW <= 0 || drawnH <= 0) return;
            x += drawnW;
            rowH = drawnH;
        }
        y += rowH;
    }
}
