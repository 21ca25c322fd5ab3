// The scene place: the module's one map layer. It holds the loaded map's
// settings, the pool of 49 regions and the 3 x 3 active window over them,
// the object tree, the mini-map and the weather, and the region loader
// thread. The operations are spread over files by concern:
//   ScenePlace.cpp            construction, Init, Release, UnloadMap, the
//                             small slots, node and model registration
//   ScenePlaceForwarders.cpp  mini-map, weather and obstacle queries
//   ScenePlaceMapLoad.cpp     map list, LoadMap, LoadMapFromFolder, ".wor"
//   ScenePlaceMapPicture.cpp  the mini-map's map pictures
//   ScenePlaceScroll.cpp      scroll settings and their layers
//   RegionWindow.cpp          the focus, the pool order and the active window
//   RegionLoader.cpp          the loader thread and a region's completion
//   RegionActivation.cpp      ground picture binding and tree points
//   RegionMerge.cpp           the region merge, its lights and the flat-object list
//   ScenePlaceFrame.cpp       UpdateFrame
//   PlacePaint.cpp            Paint, ground and object painting, the view
//   GroundPictures.cpp        composing and drawing the regions' ground
//   HostObjects.cpp           the host's objects in the object tree
//   PlaceLights.cpp           the light setters, handed to the object tree
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "lumiva/PrimitiveRecords.h"
#include "place/ActiveWindow.h"
#include "place/DayLightTable.h"
#include "place/GroundPicture.h"
#include "lumiva/IScenePlace.h"
#include "place/PlaceLock.h"
#include "place/PlaceMap.h"
#include "place/SceneObjectTree.h"
#include "place/SceneRegion.h"
#include "place/ScrollBackground.h"
#include "place/ScrollLayer.h"
#include "place/ScrollSetting.h"

class IK3DSceneNode;
class KWeather;

// The quit request the loader thread finds in the centre region x word.
constexpr int32_t kLoaderQuitCode = int32_t(0x80001d5f);
constexpr int kRegionPoolSize = 49;
constexpr int kGroundPictureCount = 9;
constexpr size_t kMapFolderSize = 80;
constexpr size_t kMapNameSize = 32;

class KScenePlace final : public IScenePlace {
public:
    KScenePlace();
    ~KScenePlace() override;
    KScenePlace(const KScenePlace&) = delete;
    KScenePlace& operator=(const KScenePlace&) = delete;

    IKDrawShell* GetShell() override;
    bool Init(KIniFile* ini) override;
    void Release() override;
    bool LoadMapFromFolder(const char* folder) override;
    bool LoadMap(int32_t mapId, int32_t mode, int32_t subId) override;
    void UnloadMap() override;
    void Paint() override;
    void PaintGround() override;
    void PaintObjects() override;
    void SetFocus(int32_t x, int32_t y, int32_t z) override;
    void GetFocus(int32_t* x, int32_t* y, int32_t* z) override;
    int32_t PassToHostMiniMap(int32_t value) override;
    KSceneObject* AddObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t z, int32_t flags) override;
    KSceneObject* UpdateObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t z, KSceneObject** object,
                               int32_t flags, int32_t moveTime) override;
    void RemoveObject(int32_t a, int32_t b, KSceneObject** object) override;
    void UpdateFrame() override;
    void SetViewSize(int32_t width, int32_t height) override;
    void ScaleToWorldY(int32_t a, int32_t* y) override;
    void ScreenToWorld(int32_t* x, int32_t* y, int32_t z) override;
    void GetRegionOrigin(int32_t rx, int32_t ry, int32_t* x, int32_t* y) override;
    uint32_t GetObstacle(int32_t x, int32_t y) override;
    uint32_t GetCell(int32_t x, int32_t y) override;
    uint32_t GetCellExtra(int32_t x, int32_t y) override;
    uint32_t GetObstacleEx(int32_t x, int32_t y, int32_t a, int32_t b) override;
    bool IsRegionClear(int32_t rx, int32_t ry) override;
    bool SetCellObstacle(int32_t x, int32_t y, int32_t type) override;
    bool ClearCell(int32_t x, int32_t y) override;
    uint32_t GetOriginalCell(int32_t x, int32_t y) override;
    void RestoreRegionCells(int32_t x, int32_t y) override;
    void UnregisterActiveRegions() override;
    void ResetObjects() override;
    void InvalidateGround() override;
    void SetRegionLoadedCallback(RegionLoadedCallback callback) override;
    void SelectRegionObject(int32_t rx, int32_t ry, int32_t index) override;
    void ClearRegionObjectSelection() override;
    void GetMapInfo(char* name, int32_t* mapId, int32_t* cellX, int32_t* cellY) override;
    void SetAmbientColor(uint32_t argb) override;
    void SetTimeOfDay(int32_t value) override;
    void SetDayLightColor(int32_t i, uint8_t r, uint8_t g, uint8_t b) override;
    void EnableObjectLights(bool on) override;
    void EnableLightGrid(bool on) override;
    void SetWeather(int32_t id) override;
    bool GetMiniMapView(KMiniMapView* record) override;
    bool GetMapDesc(KMapDesc* record) override;
    void GetMiniMapBounds(int32_t* record) override;
    void ShowMiniMap(uint32_t flags, uint32_t size) override;
    void SetFocusOffset(int32_t dx, int32_t dy) override;
    void PaintMiniMap(int32_t x, int32_t y, int32_t a, int32_t b) override;
    void FreezeFocus(bool frozen) override;
    void EnableWeather(bool on) override;
    bool LoadMapPicture(int32_t mapId, int32_t mode, int32_t subId) override;
    bool LoadCurrentMapPicture() override;
    int32_t GetMapId() override;
    int32_t GetMapExtraA() override;
    int32_t GetMapExtraB() override;
    int32_t SetMiniMapCentre(int32_t x, int32_t y) override;
    bool IsShowingOtherMap() override;
    int32_t GetModelLight() override;
    void CommitViewCenter() override;
    int32_t QueryHostMiniMap(int32_t value) override;
    void SetPlaceState(int32_t value) override;
    void RestartPlaceStateTime() override;
    int32_t GetPlaceState(uint32_t* startTime) override;
    void NoOp64(int32_t value) override;
    uint32_t SetWeatherClock(uint32_t ms) override;
    void SetObjectPaintPoint(int32_t x, int32_t y) override;
    void SetHost(IScenePlaceHost* host) override;
    KModelProxy* CreateModel(const char* name) override;
    bool ReleaseModel(KModelProxy* model) override;
    IK3DEffectNode* CreateEffectNode(const char* name) override;
    void ReleaseEffectNode(IK3DEffectNode* node) override;
    int32_t IsPlaceReady() override;
    void RegisterModel(KModelProxy* model) override;
    void UnregisterModel(KModelProxy* model) override;
    void SetPlaceWord(int32_t value) override;
    int32_t GetPlaceWord() override;
    KModelProxy* GetObjectModel(int32_t kind, int32_t id) override;
    bool GetMiniMapOrigin(int32_t* record) override;
    KMemFile* OpenRegionData(int32_t rx, int32_t ry) override;
    bool ShowMapPicture(int32_t mapId, bool isCurrent) override;

    // Module unload, when the host never called Release: the loader thread
    // ends and nothing else of the module is called.
    void StopLoaderAtUnload();

    // The place's own three, after the host's operations.
    using NodeList = std::list<IK3DSceneNode*>;
    virtual void RegisterNode(IK3DSceneNode* node);
    virtual void UnregisterNode(IK3DSceneNode* node);
    virtual NodeList::iterator EraseNode(NodeList::iterator node);

    // --- Map settings (no slots) ---
    // The map list's entry: name and folder ("\Maps\..." without ".wor").
    static bool LoadMapList(int32_t mapId, char* name, size_t nameSize, char* folder, size_t folderSize,
                            int32_t mode, int32_t subId);
    uint32_t AmbientFromDayLight() const;
    void LoadScrollSettings();
    void BuildScrollLayers(int32_t focusX, int32_t focusY);
    int LoadScrollImages(const KScrollSetting& setting);

    // --- Region window ---
    // Reassigns the pool records that left the 7 x 7 window to the cells
    // the accumulated move uncovered, in loading order.
    void RequestRegions();
    void RebuildActiveWindow();
    // A loaded region of the window, or null.
    KSceneRegion* FindRegion(int32_t rx, int32_t ry);
    // Clearing the flag signals the regions-ready event; setting it resets
    // the event, and only the next request's regions clear it again.
    void SetWaitForRegions(bool wait);

    // --- Region merge (host thread, objects lock) ---
    void MergeRegionObjects();
    void UpdateFreeLights();
    // Flat object records of the active regions by y, then depth.
    const std::vector<KRegionObjectRecord*>& FlatObjects() const { return m_flatObjects; }
    const KSceneObjectTree& ObjectTree() const { return m_tree; }
    bool GroundDirty() const { return m_groundDirty.load() != 0; }

    // --- Painting ---
    // Composes every active region's ground picture (under the table lock).
    bool BuildGroundPictures(bool force);
    void BuildRegionGroundPicture(KSceneRegion& region, bool force);
    void PaintRegionGround(KSceneRegion& region);
    void PaintRegionObstacles(const KSceneRegion& region);
    void PaintFlatObject(KRegionObjectRecord& record, const int32_t view[4]);
    const int32_t* ViewRect() const { return m_viewRect; }

    // --- What the region merge rebuilds ---
    KSceneObjectTree& ObjectTree() { return m_tree; }
    // Flat records of the active regions, by y then depth.
    std::vector<KRegionObjectRecord*>& FlatObjects() { return m_flatObjects; }

    // --- State the tests and the later parts read ---
    bool IsInited() const { return m_inited != 0; }
    bool HasMap() const { return m_folder[0] != 0; }
    const char* Folder() const { return m_folder; }
    const char* MapName() const { return m_name; }
    int32_t ShownMapId() const { return m_shownMapId; }
    bool PictureIsCurrent() const { return m_pictureIsCurrent; }
    int32_t Perspective() const { return m_perspective; }
    uint32_t PlayerLight() const { return m_playerLight; }
    bool IsInDoor() const { return m_inDoor; }
    bool LightGridEnabled() const { return m_lightGrid; }
    int32_t TimeOfDay() const { return m_timeOfDay; }
    const KDayLightTable& DayLight() const { return m_dayLight; }
    const KSceneRegion& PoolRegion(int i) const { return m_pool[i]; }
    const KPlaceGroundPicture& GroundPicture(int i) const { return m_ground[i]; }
    const KPrimPicture& ScenePicture() const { return m_scenePicture; }
    const KPrimPicture& TrapPicture() const { return m_trapPicture; }
    const std::vector<KScrollSetting>& ScrollSettings(int type) const { return m_scrollLists[type - 1]; }
    const KScrollBackground& Background() const { return m_background; }
    const KScrollLayer& ScrollLayer(int i) const { return m_scrollLayers[i]; }
    const KActiveWindow& Window() const { return m_window; }
    const NodeList& RegisteredNodes() const { return m_nodes; }
    KWeather* CurrentWeather() const { return m_weather.get(); }
    bool WeatherEnabled() const { return m_weatherEnabled; }
    bool WaitingForRegions() const { return m_waitForRegions.load(); }
    HANDLE LoaderThread() const { return m_loaderThread; }
    const KSceneRegion* OrderedRegion(int i) const { return m_ordered[i]; }
    int32_t RequestIndex() const { return m_requestIndex; }
    int64_t MoveX() const { return m_moveX; }
    int64_t MoveY() const { return m_moveY; }
    int32_t CentreX() const { return m_centreX; }
    int32_t CentreY() const { return m_centreY; }
    bool FocusFrozen() const { return m_focusFrozen; }
    int32_t FocusOffsetX() const { return m_focusOffsetX; }
    int32_t FocusOffsetY() const { return m_focusOffsetY; }
    bool MergePending() const { return m_mergePending != 0; }
    uint32_t AmbientColour() const { return m_ambient; }
    // Test control: the first `count` records of the order become loaded,
    // as the loader leaves them.
    void MarkLoadedForTests(int count);

private:
    friend unsigned __stdcall RegionLoaderThread(void* place);

    // One region's read as the loader took it from the table.
    struct RegionJob {
        KSceneRegion* region = nullptr;
        int32_t rx = 0, ry = 0;
        uint32_t assignment = 0;  // the record's, at the take
        uint32_t mapStamp = 0;
        char folder[kMapFolderSize] = {};
    };
    bool TakeRegionJob(RegionJob& job);
    void AdvanceRequestIndex(int32_t index);
    void ReadRegionJob(const RegionJob& job, KSceneRegion& staging);
    // The read's record still has the read's assignment, in that state,
    // under the read's map. Under either of the table and objects locks.
    bool ReadStillWanted(const RegionJob& job, uint32_t state) const;
    // The completion step: commits the staged read when it still belongs
    // to its record and map, else drops it; one lock at a time.
    void OnRegionLoaded(const RegionJob& job, KSceneRegion& staging);
    // Table lock: the read lands on its record. False when it was dropped.
    bool KeepRegionRead(const RegionJob& job, KSceneRegion& staging, int32_t* completed);
    // Objects lock: the active slot and the select bit.
    void ActivateKeptRegion(const RegionJob& job, int32_t k);
    // No lock: AttachRegion.
    void TellHostOfRegion(const RegionJob& job);
    void ActivateLoadedRegion(KSceneRegion& region, int32_t k);
    void WaitForFirstRegions();
    void CollectFlatObjects(KSceneRegion& region);
    void ReinsertNearObjects();
    void AddRegionLights(const KSceneRegion& region);

    void SetSelectionBit(bool selected);
    void ClearFlatObjects();

    // Held while the place calls the host with host objects in hand
    // (painting, moving one): objects the host removes meanwhile are freed
    // when the outermost scope ends.
    class HostCallScope {
    public:
        explicit HostCallScope(KScenePlace& place) : m_place(place) { ++m_place.m_hostCalls; }
        ~HostCallScope();
        HostCallScope(const HostCallScope&) = delete;
        HostCallScope& operator=(const HostCallScope&) = delete;

    private:
        KScenePlace& m_place;
    };
    void FreeObject(KSceneObject* object);
    void PaintObjectPasses();

    bool CreateLoaderObjects();
    void CloseLoaderEvents();
    void DeleteLoaderLocks();
    // Ends the loader thread (waiting for its read in flight) and closes
    // its handle and events.
    void StopLoaderThread();
    void RemoveGroundPictures();
    void ClearLoadedMap();
    bool LoadMapSettings();
    void ReadWorSettings(const KIniFile& wor);
    void ReadLightSettings(const KIniFile& wor);
    void ResetRegionPool();
    bool CreateGroundPictures();
    void CreateScenePicture();
    void FinishMapLoad();
    int32_t PictureImageType() const;
    KPlaceGroundPicture* GetFreeGroundPicture();
    // Binds the ground picture record (null unbinds) and makes or refreshes
    // the tree points.
    void ActivateRegion(KSceneRegion& region, KPlaceGroundPicture* ground);
    // Unbinds the ground picture record and frees the tree points.
    void DeactivateRegion(KSceneRegion& region);
    void MoveViewRect();

    std::atomic<uint32_t> m_groundDirty{0};
    KPlaceGroundPicture m_ground[kGroundPictureCount];
    KPrimPicture m_scenePicture{};
    DWORD m_sceneImage = 0;
    int32_t m_perspective = 1;
    KPrimPicture m_trapPicture{};
    std::vector<KScrollSetting> m_scrollLists[3];
    KScrollLayer m_scrollLayers[2];
    KScrollBackground m_background;
    std::atomic<RegionLoadedCallback> m_regionLoaded{nullptr};
    uint8_t m_inited = 0;
    std::atomic<bool> m_waitForRegions{false};
    bool m_weatherEnabled = true;
    bool m_focusFrozen = false;
    int32_t m_frozenFocusX = 0, m_frozenFocusY = 0;
    int32_t m_focusOffsetX = 0, m_focusOffsetY = 0;
    int32_t m_focusX = 0, m_focusY = 0;
    std::atomic<int32_t> m_centreX{0};
    std::atomic<int32_t> m_centreY{0};
    // Region steps since the last request; 64 bits, as any int32 focus
    // jump fits.
    int64_t m_moveX = 0, m_moveY = 0;
    bool m_focusStale = false;  // a map just loaded: the next SetFocus acts
    HANDLE m_wakeEvent = nullptr;
    HANDLE m_readyEvent = nullptr;
    std::atomic<uint32_t> m_mergePending{0};
    CRITICAL_SECTION m_objectsLock{};
    CRITICAL_SECTION m_fileLock{};
    CRITICAL_SECTION m_tableLock{};
    KSceneRegion m_pool[kRegionPoolSize];
    KActiveWindow m_window;
    char m_folder[kMapFolderSize] = {};
    char m_name[kMapNameSize] = {};
    int32_t m_shownMapId = -1;
    int32_t m_extraA = 0, m_extraB = 0;
    std::atomic<int32_t> m_requestIndex{-1};
    // Under the table lock: raised by every map change (a read of an older
    // map is dropped) and by every request; the request the wait flag
    // waits for; whether the loaded map has had its first request.
    uint32_t m_mapStamp = 0;
    uint64_t m_requestStamp = 0;
    uint64_t m_waitRequest = 0;
    bool m_requestedSinceLoad = false;
    std::vector<KRegionObjectRecord*> m_flatObjects;
    KSceneRegion* m_ordered[kRegionPoolSize] = {};
    HANDLE m_loaderThread = nullptr;
    std::atomic<DWORD> m_loaderThreadId{0};
    // The objects RegisterNode made for nodes: the tree holds them and
    // nothing else would free them. Destroyed after the tree.
    std::vector<std::unique_ptr<KSceneObject>> m_nodeObjects;
    KSceneObjectTree m_tree;
    uint32_t m_playerLight = 0xFFFFFFFF;
    int32_t m_viewRect[4] = {};
    int32_t m_viewHalfWidth = 0, m_viewHalfHeight = 0;
    int32_t m_selectedX = -1, m_selectedY = -1, m_selectedIndex = -1;
    int32_t m_timeOfDay = 0;
    KDayLightTable m_dayLight;
    std::unique_ptr<KWeather> m_weather;
    KPlaceMap m_map;
    bool m_pictureIsCurrent = false;
    int32_t m_modelLight = 0;
    int32_t m_mapId = -1;
    NodeList m_nodes;
    int32_t m_placeWord = 0;
    int32_t m_placeState = 0;
    uint32_t m_placeStateStart = 0;
    bool m_inDoor = false;
    bool m_lightGrid = false;
    bool m_objectLights = false;
    uint32_t m_ambient = 0;
    int m_hostCalls = 0;
    std::vector<KSceneObject*> m_deferredFrees;
    bool m_paintingObjects = false;
};

// The module's place and the pointer the place's own code reaches it by.
KScenePlace& ScenePlace();
KScenePlace* ScenePlacePointer();
// The map-loaded word: 1 once a map has loaded.
int32_t MapLoadedWord();
void MarkMapLoaded();
unsigned __stdcall RegionLoaderThread(void* place);
// The place back to its state at module load (Release, map and settings
// dropped, the first-unload flag set again).
void ResetScenePlaceForTests();
