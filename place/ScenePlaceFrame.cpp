// The place's once-a-frame step on the host's thread: ambient light, the
// wait for the first regions after a far jump, the region merge, the scroll
// layers and the weather.
#include "lumiva/basrel/DebugLog.h"
#include "place/PlaceLock.h"
#include "place/ScenePlace.h"
#include "place/Weather.h"

namespace {

constexpr DWORD kRegionWaitMs = 30000;

}  // namespace

void KScenePlace::UpdateFrame() {
    uint32_t ambient = AmbientFromDayLight();
    if (m_weather) ambient = m_weather->ApplyToAmbient(ambient);
    SetAmbientColor(ambient);
    if (m_inited) {
        WaitForFirstRegions();
        if (m_mergePending.exchange(0)) MergeRegionObjects();
    }
    UpdateFreeLights();
    if (HasMap()) BuildScrollLayers(m_focusX, m_focusY);
    if (!m_weather) return;
    if (m_weather->IsFinished())
        m_weather.reset();
    else
        m_weather->Update();
}

// Inside the place's own call to the host (painting, a move) the objects
// lock is held, which the loader needs to go on: a frame asked for there
// does not wait.
void KScenePlace::WaitForFirstRegions() {
    if (!m_waitForRegions.load() || m_hostCalls > 0) return;
    if (WaitForSingleObject(m_readyEvent, kRegionWaitMs) == WAIT_TIMEOUT && m_waitForRegions.exchange(false))
        g_DebugLog("[Scene]Regions did not arrive in %u ms; frames go on without them", unsigned(kRegionWaitMs));
    m_groundDirty = 1;
}

// Flickering map lights step on the host's thread; the tree is shared with
// painting, so under the objects lock.
void KScenePlace::UpdateFreeLights() {
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    m_tree.Update();
}
