#include "place/ScenePlace.h"

#include <process.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "basrel/HostIntegers.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KIniFile.h"
#include "place/PakPreload.h"
#include "place/PlaceClocks.h"
#include "place/RegionLoaderHooks.h"
#include "place/RegionPack.h"
#include "place/ScenePlaceHost.h"
#include "place/HostObjectHooks.h"
#include "place/KPlayerActionTable.h"
#include "place/Weather.h"
#include "lumiva/IK3DSceneNode.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

std::unique_ptr<KScenePlace>& PlaceStorage() {
    static std::unique_ptr<KScenePlace> place = std::make_unique<KScenePlace>();
    return place;
}

// The shell hears once in the module's life that a map went away.
bool g_firstUnload = true;
int32_t g_mapLoaded = 0;

constexpr size_t kTrapImageRead = 208;

// Ends the loader thread at module unload before the module-wide objects a
// read uses are destroyed: made after them, it is destroyed before them.
struct LoaderStopAtUnload {
    ~LoaderStopAtUnload() {
        if (KScenePlace* place = PlaceStorage().get()) place->StopLoaderAtUnload();
    }
};

void ArmLoaderStopAtUnload() {
    RegionPackMutex();
    RegionLoaderHeld();
    static LoaderStopAtUnload stop;
}

}  // namespace

KScenePlace& ScenePlace() { return *PlaceStorage(); }
KScenePlace* ScenePlacePointer() { return PlaceStorage().get(); }
int32_t MapLoadedWord() { return g_mapLoaded; }
void MarkMapLoaded() { g_mapLoaded = 1; }

void ResetScenePlaceForTests() {
    PlaceStorage()->Release();
    PlaceStorage() = std::make_unique<KScenePlace>();
    g_firstUnload = true;
    g_mapLoaded = 0;
}

namespace {

void ZeroPicture(KPrimPicture& picture) { std::memset(static_cast<void*>(&picture), 0, sizeof picture); }

}  // namespace

KScenePlace::KScenePlace() {
    for (int i = 0; i < kRegionPoolSize; ++i) m_ordered[i] = &m_pool[i];
    for (KPlaceGroundPicture& ground : m_ground) ZeroPicture(ground.picture);
    ZeroPicture(m_scenePicture);
    ZeroPicture(m_trapPicture);
}

// At module unload the shell and the other module objects may be gone
// already: only the loader thread is ended, nothing else is called.
KScenePlace::~KScenePlace() { StopLoaderAtUnload(); }

void KScenePlace::StopLoaderAtUnload() {
    if (!m_inited) return;
    StopLoaderThread();
    DeleteLoaderLocks();
    m_inited = 0;
}

IKDrawShell* KScenePlace::GetShell() {
    KShellServices* shell = ShellServices();
    return shell ? shell->Interface() : nullptr;
}

bool KScenePlace::Init(KIniFile* ini) {
    KPlayerActionTable::Load();
    if (m_inited) return true;
    if (ini) {
        // The picture record holds 128 bytes of name; a longer value is cut
        // to what fits rather than written past it.
        char trap[kTrapImageRead + 1] = {};
        ini->GetString("Main", "TrapImage", "", trap, sizeof trap);
        std::snprintf(m_trapPicture.fileName, sizeof m_trapPicture.fileName, "%s", trap);
        m_trapPicture.imageType = 0;
        m_trapPicture.alpha = 155;
        m_trapPicture.blendMode = 0;
    }
    if (CreateLoaderObjects()) {
        m_inited = 1;
        return true;
    }
    CloseLoaderEvents();
    return false;
}

bool KScenePlace::CreateLoaderObjects() {
    m_readyEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_readyEvent || !m_wakeEvent) return false;
    InitializeCriticalSection(&m_tableLock);
    InitializeCriticalSection(&m_fileLock);
    InitializeCriticalSection(&m_objectsLock);
    m_centreX = 0;
    ArmLoaderStopAtUnload();
    unsigned id = 0;
    m_loaderThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RegionLoaderThread, this, 0, &id));
    m_loaderThreadId = id;
    if (m_loaderThread) return true;
    DeleteLoaderLocks();
    return false;
}

void KScenePlace::DeleteLoaderLocks() {
    DeleteCriticalSection(&m_tableLock);
    DeleteCriticalSection(&m_fileLock);
    DeleteCriticalSection(&m_objectsLock);
}

void KScenePlace::StopLoaderThread() {
    m_centreX = kLoaderQuitCode;
    SetEvent(m_wakeEvent);
    DWORD code = 0;
    if (GetExitCodeThread(m_loaderThread, &code) && code == STILL_ACTIVE)
        WaitForSingleObject(m_loaderThread, INFINITE);
    CloseHandle(m_loaderThread);
    m_loaderThread = nullptr;
    m_loaderThreadId = 0;
    CloseLoaderEvents();
}

void KScenePlace::CloseLoaderEvents() {
    if (m_readyEvent) CloseHandle(m_readyEvent);
    if (m_wakeEvent) CloseHandle(m_wakeEvent);
    m_readyEvent = nullptr;
    m_wakeEvent = nullptr;
}

void KScenePlace::Release() {
    if (!m_inited) return;
    // From inside the place's own call to the host the locks and objects in
    // use would go; from the loader thread's callbacks the thread would
    // wait for itself.
    if (m_hostCalls > 0 || GetCurrentThreadId() == m_loaderThreadId) {
        g_DebugLog("[Scene]Release from a callback of the place is ignored");
        return;
    }
    UnloadMap();
    m_map.ReleaseImages();
    StopLoaderThread();
    RemoveGroundPictures();
    m_inited = 0;
    for (auto node = m_nodes.begin(); node != m_nodes.end();) node = EraseNode(node);
    DeleteLoaderLocks();
}

void KScenePlace::RemoveGroundPictures() {
    for (KPlaceGroundPicture& ground : m_ground) {
        if (!ground.picture.fileName[0]) continue;
        if (KShellServices* shell = ShellServices()) shell->RemoveImage(ground.picture.fileName);
        ground.picture.fileName[0] = 0;
        ground.picture.fileId = 0;
    }
}

void KScenePlace::UnloadMap() {
    if (!HasMap()) return;
    ClearLoadedMap();
    // Only a map that was there counts: a load that failed unloads nothing.
    if (g_firstUnload) {
        g_firstUnload = false;
        if (KShellServices* shell = ShellServices()) shell->SetOption(7, 0);
    }
}

// Everything of the loaded map goes; also the path of a load that fails
// half way, so no part of an old or half-read map stays.
void KScenePlace::ClearLoadedMap() {
    m_mapId = -1;
    m_shownMapId = -1;
    m_map.DropPicture();
    SetWaitForRegions(false);
    if (m_readyEvent) ResetEvent(m_readyEvent);
    if (m_wakeEvent) ResetEvent(m_wakeEvent);
    {
        // A read in flight is not waited for: its map stamp no longer
        // matches, so nothing of it lands.
        PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
        PlaceLock table(m_inited ? &m_tableLock : nullptr);
        m_requestIndex = -1;
        ++m_mapStamp;
        m_requestedSinceLoad = false;
        // Active slots change only under the objects lock: painting and the
        // merge read them under it.
        for (auto& slot : m_window.slots) slot.store(nullptr, std::memory_order_release);
        m_tree.Clear();
        m_nodeObjects.clear();
        ClearFlatObjects();
        for (KSceneRegion& region : m_pool) region.FreeRegion();
        m_selectedX = m_selectedY = m_selectedIndex = -1;
        m_folder[0] = 0;
    }
    m_name[0] = 0;
    m_mergePending = 0;
    m_groundDirty = 0;
    m_weather.reset();
    ReleaseRegionPack();
    ReleasePakPreloads();
}

void KScenePlace::SetWaitForRegions(bool wait) {
    PlaceLock table(m_inited ? &m_tableLock : nullptr);
    // The wait is for the next request: regions of an earlier one, still
    // completing, must not end it.
    if (wait) m_waitRequest = m_requestStamp + 1;
    if (m_waitForRegions.exchange(wait) == wait) return;
    if (!m_readyEvent) return;
    // A signal left from an earlier wait would end this one at once.
    if (wait)
        ResetEvent(m_readyEvent);
    else
        SetEvent(m_readyEvent);
}

void KScenePlace::RegisterNode(IK3DSceneNode* node) {
    if (!node || std::find(m_nodes.begin(), m_nodes.end(), node) != m_nodes.end()) return;
    m_nodes.push_back(node);
    float x = 0, y = 0, z = 0;
    node->GetPosition(&x, &y, &z, 0, 0);
    KSceneObject* object =
        AddObject(6, 0, host_int::Truncate(x), host_int::Truncate(y), host_int::Truncate(z), 14);
    if (object) m_nodeObjects.emplace_back(object);
}

void KScenePlace::UnregisterNode(IK3DSceneNode* node) {
    const auto found = std::find(m_nodes.begin(), m_nodes.end(), node);
    if (found != m_nodes.end()) EraseNode(found);
}

KScenePlace::NodeList::iterator KScenePlace::EraseNode(NodeList::iterator node) { return m_nodes.erase(node); }

void KScenePlace::RegisterModel(KModelProxy* model) {
    if (IK3DSceneNode* node = ModelProxyNode(model)) RegisterNode(node);
}

void KScenePlace::UnregisterModel(KModelProxy* model) {
    if (IK3DSceneNode* node = ModelProxyNode(model)) UnregisterNode(node);
}

KModelProxy* KScenePlace::GetObjectModel(int32_t kind, int32_t id) {
    IScenePlaceHost* host = ScenePlaceHost();
    if (id < 1 || !host) return nullptr;
    return host->FindObjectModel(kind, id, 3);
}

void KScenePlace::GetMapInfo(char* name, int32_t* mapId, int32_t* cellX, int32_t* cellY) {
    if (name) std::memcpy(name, m_name, sizeof m_name);
    if (mapId) *mapId = m_mapId;
    if (cellX) *cellX = m_focusX / kCellSize;
    if (cellY) *cellY = m_focusY / (2 * kCellSize);
}

int32_t KScenePlace::GetMapId() { return m_mapId; }
int32_t KScenePlace::GetMapExtraA() { return m_extraA; }
int32_t KScenePlace::GetMapExtraB() { return m_extraB; }
int32_t KScenePlace::GetModelLight() { return m_modelLight; }

void KScenePlace::CommitViewCenter() {
    if (KShellServices* shell = ShellServices()) shell->CommitViewCenter();
}

void KScenePlace::SetPlaceState(int32_t value) {
    m_placeState = value;
    m_placeStateStart = PlaceClock();
}

void KScenePlace::RestartPlaceStateTime() { m_placeStateStart = PlaceClock(); }

int32_t KScenePlace::GetPlaceState(uint32_t* startTime) {
    if (startTime) *startTime = m_placeStateStart;
    return m_placeState;
}

void KScenePlace::NoOp64(int32_t) {}
void KScenePlace::SetHost(IScenePlaceHost* host) { SetScenePlaceHost(host); }

KModelProxy* KScenePlace::CreateModel(const char* name) {
    return ShellServices() ? ShellServices()->CreateModel(name) : nullptr;
}

bool KScenePlace::ReleaseModel(KModelProxy* model) { return ShellServices() && ShellServices()->ReleaseModel(model); }

IK3DEffectNode* KScenePlace::CreateEffectNode(const char* name) {
    return ShellServices() ? ShellServices()->CreateEffectNode(name, 0) : nullptr;
}

void KScenePlace::ReleaseEffectNode(IK3DEffectNode* node) {
    if (KShellServices* shell = ShellServices()) shell->ReleaseEffectNode(node);
}

int32_t KScenePlace::IsPlaceReady() { return 1; }
void KScenePlace::SetPlaceWord(int32_t value) { m_placeWord = value; }
int32_t KScenePlace::GetPlaceWord() { return m_placeWord; }

KMemFile* KScenePlace::OpenRegionData(int32_t rx, int32_t ry) { return ::OpenRegionData(rx, ry); }

void KScenePlace::SetTimeOfDay(int32_t value) {
    m_timeOfDay = (value / 100) % 1440;
    m_tree.SetTimeOfDay(m_timeOfDay);
}

void KScenePlace::SetDayLightColor(int32_t i, uint8_t r, uint8_t g, uint8_t b) { m_dayLight.Set(i, r, g, b); }

uint32_t KScenePlace::AmbientFromDayLight() const { return m_dayLight.PackSceneColour(); }

void KScenePlace::SetRegionLoadedCallback(RegionLoadedCallback callback) { m_regionLoaded = callback; }
