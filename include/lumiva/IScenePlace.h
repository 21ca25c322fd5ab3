// The scene place as the host sees it: a virtual destructor and 80
// operations in a fixed slot order (the host calls them by position).
// KScenePlace implements them and appends three of its own.
#pragma once

#include <cstdint>

class IKDrawShell;
class IK3DEffectNode;
class IScenePlaceHost;
class KIniFile;
class KMemFile;
class KModelProxy;
class KSceneObject;

// What GetMiniMapView fills.
struct KMiniMapView {
    int32_t unitsX;  // world units per mini-map pixel
    int32_t unitsY;
    int32_t rect[4];  // the map's world rectangle less the view's half sizes
    int32_t focusX;
    int32_t focusY;
    int32_t offsetX;
    int32_t offsetY;
};

// What GetMapDesc fills.
struct KMapDesc {
    int32_t extraA;
    int32_t extraB;
    int32_t mapId;
    char folder[80];
    char name[32];
};

using RegionLoadedCallback = void (*)(int32_t regionX, int32_t regionY);

class IScenePlace {
public:
    /*  0 */ virtual ~IScenePlace() = default;
    /*  1 */ virtual IKDrawShell* GetShell() = 0;
    /*  2 */ virtual bool Init(KIniFile* ini) = 0;
    /*  3 */ virtual void Release() = 0;
    /*  4 */ virtual bool LoadMapFromFolder(const char* folder) = 0;
    /*  5 */ virtual bool LoadMap(int32_t mapId, int32_t mode, int32_t subId) = 0;
    /*  6 */ virtual void UnloadMap() = 0;
    /*  7 */ virtual void Paint() = 0;
    /*  8 */ virtual void PaintGround() = 0;
    /*  9 */ virtual void PaintObjects() = 0;
    /* 10 */ virtual void SetFocus(int32_t x, int32_t y, int32_t z) = 0;
    /* 11 */ virtual void GetFocus(int32_t* x, int32_t* y, int32_t* z) = 0;
    /* 12 */ virtual int32_t PassToHostMiniMap(int32_t value) = 0;
    /* 13 */ virtual KSceneObject* AddObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t z,
                                             int32_t flags) = 0;
    /* 14 */ virtual KSceneObject* UpdateObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t z,
                                                KSceneObject** object, int32_t flags, int32_t moveTime) = 0;
    /* 15 */ virtual void RemoveObject(int32_t a, int32_t b, KSceneObject** object) = 0;
    /* 16 */ virtual void UpdateFrame() = 0;
    /* 17 */ virtual void SetViewSize(int32_t width, int32_t height) = 0;
    /* 18 */ virtual void ScaleToWorldY(int32_t a, int32_t* y) = 0;
    /* 19 */ virtual void ScreenToWorld(int32_t* x, int32_t* y, int32_t z) = 0;
    /* 20 */ virtual void GetRegionOrigin(int32_t rx, int32_t ry, int32_t* x, int32_t* y) = 0;
    /* 21 */ virtual uint32_t GetObstacle(int32_t x, int32_t y) = 0;
    /* 22 */ virtual uint32_t GetCell(int32_t x, int32_t y) = 0;
    /* 23 */ virtual uint32_t GetCellExtra(int32_t x, int32_t y) = 0;
    /* 24 */ virtual uint32_t GetObstacleEx(int32_t x, int32_t y, int32_t a, int32_t b) = 0;
    /* 25 */ virtual bool IsRegionClear(int32_t rx, int32_t ry) = 0;
    /* 26 */ virtual bool SetCellObstacle(int32_t x, int32_t y, int32_t type) = 0;
    /* 27 */ virtual bool ClearCell(int32_t x, int32_t y) = 0;
    /* 28 */ virtual uint32_t GetOriginalCell(int32_t x, int32_t y) = 0;
    /* 29 */ virtual void RestoreRegionCells(int32_t x, int32_t y) = 0;
    /* 30 */ virtual void UnregisterActiveRegions() = 0;
    /* 31 */ virtual void ResetObjects() = 0;
    /* 32 */ virtual void InvalidateGround() = 0;
    /* 33 */ virtual void SetRegionLoadedCallback(RegionLoadedCallback callback) = 0;
    /* 34 */ virtual void SelectRegionObject(int32_t rx, int32_t ry, int32_t index) = 0;
    /* 35 */ virtual void ClearRegionObjectSelection() = 0;
    /* 36 */ virtual void GetMapInfo(char* name, int32_t* mapId, int32_t* cellX, int32_t* cellY) = 0;
    /* 37 */ virtual void SetAmbientColor(uint32_t argb) = 0;
    /* 38 */ virtual void SetTimeOfDay(int32_t value) = 0;
    /* 39 */ virtual void SetDayLightColor(int32_t i, uint8_t r, uint8_t g, uint8_t b) = 0;
    /* 40 */ virtual void EnableObjectLights(bool on) = 0;
    /* 41 */ virtual void EnableLightGrid(bool on) = 0;
    /* 42 */ virtual void SetWeather(int32_t id) = 0;
    /* 43 */ virtual bool GetMiniMapView(KMiniMapView* record) = 0;
    /* 44 */ virtual bool GetMapDesc(KMapDesc* record) = 0;
    /* 45 */ virtual void GetMiniMapBounds(int32_t* record) = 0;
    /* 46 */ virtual void ShowMiniMap(uint32_t flags, uint32_t size) = 0;
    /* 47 */ virtual void SetFocusOffset(int32_t dx, int32_t dy) = 0;
    /* 48 */ virtual void PaintMiniMap(int32_t x, int32_t y, int32_t a, int32_t b) = 0;
    /* 49 */ virtual void FreezeFocus(bool frozen) = 0;
    /* 50 */ virtual void EnableWeather(bool on) = 0;
    /* 51 */ virtual bool LoadMapPicture(int32_t mapId, int32_t mode, int32_t subId) = 0;
    /* 52 */ virtual bool LoadCurrentMapPicture() = 0;
    /* 53 */ virtual int32_t GetMapId() = 0;
    /* 54 */ virtual int32_t GetMapExtraA() = 0;
    /* 55 */ virtual int32_t GetMapExtraB() = 0;
    /* 56 */ virtual int32_t SetMiniMapCentre(int32_t x, int32_t y) = 0;
    /* 57 */ virtual bool IsShowingOtherMap() = 0;
    /* 58 */ virtual int32_t GetModelLight() = 0;
    /* 59 */ virtual void CommitViewCenter() = 0;
    /* 60 */ virtual int32_t QueryHostMiniMap(int32_t value) = 0;
    /* 61 */ virtual void SetPlaceState(int32_t value) = 0;
    /* 62 */ virtual void RestartPlaceStateTime() = 0;
    /* 63 */ virtual int32_t GetPlaceState(uint32_t* startTime) = 0;
    /* 64 */ virtual void NoOp64(int32_t value) = 0;
    /* 65 */ virtual uint32_t SetWeatherClock(uint32_t ms) = 0;
    /* 66 */ virtual void SetObjectPaintPoint(int32_t x, int32_t y) = 0;
    /* 67 */ virtual void SetHost(IScenePlaceHost* host) = 0;
    /* 68 */ virtual KModelProxy* CreateModel(const char* name) = 0;
    /* 69 */ virtual bool ReleaseModel(KModelProxy* model) = 0;
    /* 70 */ virtual IK3DEffectNode* CreateEffectNode(const char* name) = 0;
    /* 71 */ virtual void ReleaseEffectNode(IK3DEffectNode* node) = 0;
    /* 72 */ virtual int32_t IsPlaceReady() = 0;
    /* 73 */ virtual void RegisterModel(KModelProxy* model) = 0;
    /* 74 */ virtual void UnregisterModel(KModelProxy* model) = 0;
    /* 75 */ virtual void SetPlaceWord(int32_t value) = 0;
    /* 76 */ virtual int32_t GetPlaceWord() = 0;
    /* 77 */ virtual KModelProxy* GetObjectModel(int32_t kind, int32_t id) = 0;
    /* 78 */ virtual bool GetMiniMapOrigin(int32_t* record) = 0;
    /* 79 */ virtual KMemFile* OpenRegionData(int32_t rx, int32_t ry) = 0;
    /* 80 */ virtual bool ShowMapPicture(int32_t mapId, bool isCurrent) = 0;
};
