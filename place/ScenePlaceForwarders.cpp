// The place's operations that hand over to its members: the obstacle
// queries to the active window, the mini-map to KPlaceMap, the weather to
// KWeather, and the object selection to the region records.
#include <algorithm>
#include <cstring>

#include "place/PlaceClocks.h"
#include "place/ScenePlace.h"
#include "place/Weather.h"

// --- Obstacle queries: the host's thread, no lock ---

void KScenePlace::GetRegionOrigin(int32_t rx, int32_t ry, int32_t* x, int32_t* y) {
    KActiveWindow::GetRegionOrigin(rx, ry, x, y);
}

uint32_t KScenePlace::GetObstacle(int32_t x, int32_t y) { return m_window.GetObstacle(x, y); }
uint32_t KScenePlace::GetCell(int32_t x, int32_t y) { return m_window.GetCell(x, y); }
uint32_t KScenePlace::GetCellExtra(int32_t x, int32_t y) { return m_window.GetCellExtra(x, y); }
uint32_t KScenePlace::GetObstacleEx(int32_t x, int32_t y, int32_t a, int32_t b) {
    return m_window.GetObstacleEx(x, y, a, b);
}
bool KScenePlace::IsRegionClear(int32_t rx, int32_t ry) { return m_window.IsRegionClear(rx, ry); }
bool KScenePlace::SetCellObstacle(int32_t x, int32_t y, int32_t type) { return m_window.SetCellObstacle(x, y, type); }
bool KScenePlace::ClearCell(int32_t x, int32_t y) { return m_window.ClearCell(x, y); }
uint32_t KScenePlace::GetOriginalCell(int32_t x, int32_t y) { return m_window.GetOriginalCell(x, y); }
void KScenePlace::RestoreRegionCells(int32_t x, int32_t y) { m_window.RestoreRegionCells(x, y); }
void KScenePlace::UnregisterActiveRegions() { m_window.UnregisterActiveRegions(); }

// --- Object selection ---

// Callers hold the objects lock, then the table lock.
void KScenePlace::SetSelectionBit(bool selected) {
    KSceneRegion* region = FindRegion(m_selectedX, m_selectedY);
    if (region) SetRegionObjectSelectBit(*region, m_selectedIndex, selected);
}

void KScenePlace::SelectRegionObject(int32_t rx, int32_t ry, int32_t index) {
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    PlaceLock table(m_inited ? &m_tableLock : nullptr);
    if (m_selectedIndex != -1) SetSelectionBit(false);
    m_selectedX = rx;
    m_selectedY = ry;
    m_selectedIndex = index;
    if (index != -1) SetSelectionBit(true);
}

void KScenePlace::ClearRegionObjectSelection() {
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    PlaceLock table(m_inited ? &m_tableLock : nullptr);
    if (m_selectedIndex == -1) return;
    SetSelectionBit(false);
    m_selectedIndex = -1;
}

// --- Mini-map ---

int32_t KScenePlace::PassToHostMiniMap(int32_t value) {
    m_map.PassToHost(value);
    return value;
}

int32_t KScenePlace::QueryHostMiniMap(int32_t value) { return m_map.QueryHost(value); }

bool KScenePlace::GetMiniMapView(KMiniMapView* record) {
    if (record) {
        record->unitsX = KPlaceMap::kUnitsX;
        record->unitsY = KPlaceMap::kUnitsY;
        int32_t rect[4] = {};
        m_map.GetView(rect);
        // Shrunk by the view on each side, so the view stays on the map.
        const int64_t left = int64_t(rect[0]) + 2 * int64_t(m_viewHalfWidth);
        const int64_t top = int64_t(rect[1]) + 2 * int64_t(m_viewHalfHeight);
        const int64_t right = std::max(left, int64_t(rect[2]) - 2 * int64_t(m_viewHalfWidth));
        const int64_t bottom = std::max(top, int64_t(rect[3]) - 2 * int64_t(m_viewHalfHeight));
        record->rect[0] = SaturateToInt32(left);
        record->rect[1] = SaturateToInt32(top);
        record->rect[2] = SaturateToInt32(right);
        record->rect[3] = SaturateToInt32(bottom);
        if (m_focusFrozen) {
            record->focusX = m_frozenFocusX;
            record->focusY = m_frozenFocusY;
            // Wraps as the offset the focus was moved by did (SetFocusOffset).
            record->offsetX = int32_t(uint32_t(m_focusX) - uint32_t(m_frozenFocusX));
            record->offsetY = int32_t(uint32_t(m_focusY) - uint32_t(m_frozenFocusY));
        } else {
            record->focusX = m_focusX;
            record->focusY = m_focusY;
            record->offsetX = m_focusOffsetX;
            record->offsetY = m_focusOffsetY;
        }
    }
    return m_map.HasPicture();
}

bool KScenePlace::GetMapDesc(KMapDesc* record) {
    if (!record) return false;
    record->extraA = m_extraA;
    record->extraB = m_extraB;
    record->mapId = m_mapId;
    std::memcpy(record->folder, m_folder, sizeof record->folder);
    std::memcpy(record->name, m_name, sizeof record->name);
    return true;
}

void KScenePlace::GetMiniMapBounds(int32_t* record) {
    if (record) m_map.GetBounds(record);
}

bool KScenePlace::GetMiniMapOrigin(int32_t* record) { return record && m_map.GetOrigin(&record[0], &record[1]); }

void KScenePlace::ShowMiniMap(uint32_t flags, uint32_t size) {
    m_map.SetFlags(flags);
    if (flags) m_map.SetSize(int(size & 0xFFFF), int(size >> 16));
}

void KScenePlace::PaintMiniMap(int32_t x, int32_t y, int32_t a, int32_t b) {
    m_map.Paint(x, y, m_pictureIsCurrent, a, b);
}

int32_t KScenePlace::SetMiniMapCentre(int32_t x, int32_t y) {
    m_map.SetCentre(x, y, true);
    return 1;
}

bool KScenePlace::IsShowingOtherMap() { return m_shownMapId != m_mapId; }

// --- Weather ---

void KScenePlace::SetWeather(int32_t id) {
    if (!m_weatherEnabled) return;
    if (m_weather) {
        if (id == 255) m_weather->RequestStop();
        return;
    }
    if (id == 255) return;
    auto weather = std::make_unique<KWeather>();
    if (weather->Load(id)) m_weather = std::move(weather);
}

void KScenePlace::EnableWeather(bool on) {
    if (m_weatherEnabled == on) return;
    if (!on) SetWeather(255);
    m_weatherEnabled = on;
}

uint32_t KScenePlace::SetWeatherClock(uint32_t ms) {
    ::SetWeatherClock(ms);
    return WeatherClock();
}
