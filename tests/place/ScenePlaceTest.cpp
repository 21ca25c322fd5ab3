// The scene place's interface and life cycle: slot order, the export, Init
// and Release with the loader thread, and the operations the place answers
// itself or hands to its mini-map and weather.
#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMIVA_HAS_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(LUMIVA_HAS_ASAN)
#include <sanitizer/lsan_interface.h>
#endif

#include <cstdio>
#include <cstdlib>

#include <cstring>
#include <limits>
#include <iterator>
#include <string>

#include "ScenePlaceFixture.h"
#include "lumiva/basrel/KIniFile.h"
#include "place/PakPreload.h"
#include "place/PlaceClocks.h"
#include "place/RegionLoaderHooks.h"
#include "place/ScenePlaceHost.h"
#include "place/Weather.h"
#include "scene/K3DSceneNode.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "support/QuietPlaceHost.h"
#include "support/VirtualSlot.h"
#include "win32/Control.h"

namespace place_test {
namespace {

using test_support::SlotOf;

TEST(ScenePlaceSlots, OperationsFollowTheDestructorInOrder) {
    // The destructor takes the first two entries of the table.
    const long slots[] = {
        SlotOf(&IScenePlace::GetShell),           SlotOf(&IScenePlace::Init),
        SlotOf(&IScenePlace::Release),            SlotOf(&IScenePlace::LoadMapFromFolder),
        SlotOf(&IScenePlace::LoadMap),            SlotOf(&IScenePlace::UnloadMap),
        SlotOf(&IScenePlace::Paint),              SlotOf(&IScenePlace::PaintGround),
        SlotOf(&IScenePlace::PaintObjects),       SlotOf(&IScenePlace::SetFocus),
        SlotOf(&IScenePlace::GetFocus),           SlotOf(&IScenePlace::PassToHostMiniMap),
        SlotOf(&IScenePlace::AddObject),          SlotOf(&IScenePlace::UpdateObject),
        SlotOf(&IScenePlace::RemoveObject),       SlotOf(&IScenePlace::UpdateFrame),
        SlotOf(&IScenePlace::SetViewSize),        SlotOf(&IScenePlace::ScaleToWorldY),
        SlotOf(&IScenePlace::ScreenToWorld),      SlotOf(&IScenePlace::GetRegionOrigin),
        SlotOf(&IScenePlace::GetObstacle),        SlotOf(&IScenePlace::GetCell),
        SlotOf(&IScenePlace::GetCellExtra),       SlotOf(&IScenePlace::GetObstacleEx),
        SlotOf(&IScenePlace::IsRegionClear),      SlotOf(&IScenePlace::SetCellObstacle),
        SlotOf(&IScenePlace::ClearCell),          SlotOf(&IScenePlace::GetOriginalCell),
        SlotOf(&IScenePlace::RestoreRegionCells), SlotOf(&IScenePlace::UnregisterActiveRegions),
        SlotOf(&IScenePlace::ResetObjects),       SlotOf(&IScenePlace::InvalidateGround),
        SlotOf(&IScenePlace::SetRegionLoadedCallback), SlotOf(&IScenePlace::SelectRegionObject),
        SlotOf(&IScenePlace::ClearRegionObjectSelection), SlotOf(&IScenePlace::GetMapInfo),
        SlotOf(&IScenePlace::SetAmbientColor),    SlotOf(&IScenePlace::SetTimeOfDay),
        SlotOf(&IScenePlace::SetDayLightColor),   SlotOf(&IScenePlace::EnableObjectLights),
        SlotOf(&IScenePlace::EnableLightGrid),    SlotOf(&IScenePlace::SetWeather),
        SlotOf(&IScenePlace::GetMiniMapView),     SlotOf(&IScenePlace::GetMapDesc),
        SlotOf(&IScenePlace::GetMiniMapBounds),   SlotOf(&IScenePlace::ShowMiniMap),
        SlotOf(&IScenePlace::SetFocusOffset),     SlotOf(&IScenePlace::PaintMiniMap),
        SlotOf(&IScenePlace::FreezeFocus),        SlotOf(&IScenePlace::EnableWeather),
        SlotOf(&IScenePlace::LoadMapPicture),     SlotOf(&IScenePlace::LoadCurrentMapPicture),
        SlotOf(&IScenePlace::GetMapId),           SlotOf(&IScenePlace::GetMapExtraA),
        SlotOf(&IScenePlace::GetMapExtraB),       SlotOf(&IScenePlace::SetMiniMapCentre),
        SlotOf(&IScenePlace::IsShowingOtherMap),  SlotOf(&IScenePlace::GetModelLight),
        SlotOf(&IScenePlace::CommitViewCenter),   SlotOf(&IScenePlace::QueryHostMiniMap),
        SlotOf(&IScenePlace::SetPlaceState),      SlotOf(&IScenePlace::RestartPlaceStateTime),
        SlotOf(&IScenePlace::GetPlaceState),      SlotOf(&IScenePlace::NoOp64),
        SlotOf(&IScenePlace::SetWeatherClock),    SlotOf(&IScenePlace::SetObjectPaintPoint),
        SlotOf(&IScenePlace::SetHost),            SlotOf(&IScenePlace::CreateModel),
        SlotOf(&IScenePlace::ReleaseModel),       SlotOf(&IScenePlace::CreateEffectNode),
        SlotOf(&IScenePlace::ReleaseEffectNode),  SlotOf(&IScenePlace::IsPlaceReady),
        SlotOf(&IScenePlace::RegisterModel),      SlotOf(&IScenePlace::UnregisterModel),
        SlotOf(&IScenePlace::SetPlaceWord),       SlotOf(&IScenePlace::GetPlaceWord),
        SlotOf(&IScenePlace::GetObjectModel),     SlotOf(&IScenePlace::GetMiniMapOrigin),
        SlotOf(&IScenePlace::OpenRegionData),     SlotOf(&IScenePlace::ShowMapPicture),
        SlotOf(&KScenePlace::RegisterNode),       SlotOf(&KScenePlace::UnregisterNode),
        SlotOf(&KScenePlace::EraseNode),
    };
    static_assert(std::size(slots) == 83);
    for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i + 2) << "operation " << i + 1;
}

// Notes the model questions it is asked.
class ModelHost final : public test_support::QuietPlaceHost {
public:
    int calls = 0;
    int32_t kind = 0, id = 0, three = 0;
    KModelProxy* FindObjectModel(int32_t k, int32_t i, int32_t t) override {
        ++calls;
        kind = k;
        id = i;
        three = t;
        return reinterpret_cast<KModelProxy*>(uintptr_t(0x1000));
    }
};

using ScenePlaceThreadTest = ScenePlaceTest;

// The host below never releases the shell: what it holds at exit is the
// host's leak, not the module's.
void KeepLeaksOfAnUnreleasedShell() {
#if defined(__SANITIZE_ADDRESS__) || defined(LUMIVA_HAS_ASAN)
    __lsan_disable();
#endif
}

TEST_F(ScenePlaceThreadTest, TheExportGivesThePlaceOnceTheShellExists) {
    KDrawShell* shell = g_pDrawShell;
    g_pDrawShell = nullptr;
    EXPECT_EQ(CreateScenePlaceC(), nullptr);
    g_pDrawShell = shell;
    void* first = CreateScenePlaceC();
    EXPECT_EQ(first, static_cast<IScenePlace*>(&Place()));
    EXPECT_EQ(CreateScenePlaceC(), first);
    EXPECT_EQ(static_cast<IScenePlace*>(first)->GetShell(), static_cast<IKDrawShell*>(shell));
}

TEST_F(ScenePlaceThreadTest, InitStartsOneLoaderAndReleaseEndsIt) {
    Place().Release();  // not inited: nothing to undo
    EXPECT_FALSE(Place().IsInited());
    ASSERT_TRUE(Place().Init(nullptr));
    const HANDLE thread = Place().LoaderThread();
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(Place().Init(nullptr));
    EXPECT_EQ(Place().LoaderThread(), thread);
    // The loader sleeps in its one-second wait; Release wakes and ends it.
    Place().Release();
    EXPECT_FALSE(Place().IsInited());
    EXPECT_EQ(Place().LoaderThread(), nullptr);
    ASSERT_TRUE(Place().Init(nullptr));  // and a new life after it
    EXPECT_NE(Place().LoaderThread(), nullptr);
}

// A host that never calls Release: at module unload the loader and the pak
// preload thread are stopped before the objects they use are destroyed.
TEST_F(ScenePlaceThreadTest, ThreadsLeftRunningStopAtModuleUnload) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WriteEastMap();
    EXPECT_EXIT(
        {
            SetPakPreloadHook([](PakPreloadStep step, const char*) {
                if (step == PakPreloadStep::Stopping) std::fputs("preload thread stopped\n", stderr);
            });
            HoldRegionLoader(false);
            if (!InitAndLoad()) std::_Exit(3);
            Place().SetFocus(600, 1100, 0);  // the loader reads while the module unloads
            KeepLeaksOfAnUnreleasedShell();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "preload thread stopped");
}

TEST_F(ScenePlaceThreadTest, TheTrapImageIsCutToItsRecord) {
    const std::string longName(200, 't');
    WriteDataFile("trap.ini", "[Main]\nTrapImage=" + longName + "\n");
    KIniFile ini;
    ASSERT_TRUE(ini.Load("\\trap.ini"));
    ASSERT_TRUE(Place().Init(&ini));
    const KPrimPicture& trap = Place().TrapPicture();
    EXPECT_EQ(std::string(trap.fileName), longName.substr(0, sizeof trap.fileName - 1));
    EXPECT_EQ(trap.alpha, 155);
    EXPECT_EQ(trap.imageType, 0);
}

TEST_F(ScenePlaceTest, ObjectModelsComeFromTheHostForPositiveIds) {
    ModelHost host;
    Place().SetHost(&host);
    EXPECT_EQ(ScenePlaceHost(), &host);
    EXPECT_EQ(Place().GetObjectModel(2, 0), nullptr);
    EXPECT_EQ(Place().GetObjectModel(2, -5), nullptr);
    EXPECT_EQ(host.calls, 0);
    EXPECT_NE(Place().GetObjectModel(2, 9), nullptr);
    EXPECT_EQ(host.calls, 1);
    EXPECT_EQ(host.kind, 2);
    EXPECT_EQ(host.id, 9);
    EXPECT_EQ(host.three, 3);
}

TEST_F(ScenePlaceTest, SmallSlotsAnswerThemselves) {
    EXPECT_EQ(Place().GetMapId(), -1);
    EXPECT_EQ(Place().GetMapExtraA(), 0);
    EXPECT_EQ(Place().GetMapExtraB(), 0);
    EXPECT_EQ(Place().IsPlaceReady(), 1);
    Place().SetPlaceWord(42);
    EXPECT_EQ(Place().GetPlaceWord(), 42);
    int32_t x = 1, y = 1;
    Place().GetRegionOrigin(3, 5, &x, &y);
    EXPECT_EQ(x, 3 * 512);
    EXPECT_EQ(y, 5 * 1024);
    EXPECT_EQ(Place().SetWeatherClock(777), 777u);

    lumiva::win32::AdvanceClock(500);
    RefreshPlaceClock();
    Place().SetPlaceState(6);
    const uint32_t start = PlaceClock();
    lumiva::win32::AdvanceClock(250);
    RefreshPlaceClock();
    uint32_t seen = 0;
    EXPECT_EQ(Place().GetPlaceState(&seen), 6);
    EXPECT_EQ(seen, start);
    Place().RestartPlaceStateTime();
    EXPECT_EQ(Place().GetPlaceState(&seen), 6);
    EXPECT_EQ(seen, start + 250);
}

TEST_F(ScenePlaceTest, MapDescIsEmptyWithoutAMap) {
    EXPECT_FALSE(Place().GetMapDesc(nullptr));
    KMapDesc desc;
    std::memset(&desc, 0x5A, sizeof desc);
    ASSERT_TRUE(Place().GetMapDesc(&desc));
    EXPECT_EQ(desc.mapId, -1);
    EXPECT_EQ(desc.extraA, 0);
    EXPECT_EQ(desc.folder[0], 0);
    EXPECT_EQ(desc.name[0], 0);
    // Outside the active window every position is blocked.
    EXPECT_EQ(Place().GetObstacle(100, 100), 1u);
    EXPECT_EQ(Place().GetCellExtra(100, 100), 0u);
}

TEST_F(ScenePlaceTest, WeatherStartsStopsAndFollowsItsSwitch) {
    WeatherSection rain;
    rain.id = 3;
    WriteDataFile("settings/Weather/Weather.ini", WriteWeatherIni({rain}));
    Place().SetWeather(255);  // nothing to stop
    EXPECT_EQ(Place().CurrentWeather(), nullptr);
    Place().SetWeather(300);  // not loadable: made and dropped again
    EXPECT_EQ(Place().CurrentWeather(), nullptr);
    Place().SetWeather(3);
    KWeather* weather = Place().CurrentWeather();
    ASSERT_NE(weather, nullptr);
    Place().SetWeather(3);  // one weather at a time
    EXPECT_EQ(Place().CurrentWeather(), weather);
    EXPECT_FALSE(weather->IsStopping());
    Place().EnableWeather(false);  // asks the current weather to stop
    EXPECT_TRUE(weather->IsStopping());
    EXPECT_FALSE(Place().WeatherEnabled());
}

TEST_F(ScenePlaceTest, DisabledWeatherStartsNothing) {
    WeatherSection rain;
    rain.id = 3;
    WriteDataFile("settings/Weather/Weather.ini", WriteWeatherIni({rain}));
    Place().EnableWeather(false);
    Place().SetWeather(3);
    EXPECT_EQ(Place().CurrentWeather(), nullptr);
    Place().EnableWeather(true);
    Place().SetWeather(3);
    EXPECT_NE(Place().CurrentWeather(), nullptr);
}

TEST_F(ScenePlaceTest, DayLightColoursAndTimeOfDay) {
    const KDayLightTable defaults;
    Place().SetDayLightColor(-1, 1, 2, 3);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Place().DayLight().entries[i].b, 3) << i;
    EXPECT_EQ(Place().DayLight().entries[7].r, defaults.entries[7].r);
    Place().SetDayLightColor(7, 0x12, 0x34, 0x56);
    EXPECT_EQ(Place().AmbientFromDayLight(), 0xFF123456u);
    Place().SetDayLightColor(8, 9, 9, 9);  // not an entry
    EXPECT_EQ(Place().AmbientFromDayLight(), 0xFF123456u);
    Place().SetTimeOfDay(150000);  // 1500 minutes: past a day
    EXPECT_EQ(Place().TimeOfDay(), 60);
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

TEST_F(ScenePlaceThreadTest, NodesRegisterOnceAndGoWithRelease) {
    ASSERT_TRUE(Place().Init(nullptr));
    K3DSceneNode a(10, 20, 0, 0), b(30, 40, 0, 0);
    Place().RegisterNode(&a);
    Place().RegisterNode(&a);
    Place().RegisterNode(&b);
    EXPECT_EQ(Place().RegisteredNodes().size(), 2u);
    Place().UnregisterNode(&a);
    Place().UnregisterNode(&a);  // not in the list any more
    ASSERT_EQ(Place().RegisteredNodes().size(), 1u);
    EXPECT_EQ(Place().RegisteredNodes().front(), &b);
    Place().RegisterModel(nullptr);
    EXPECT_EQ(Place().RegisteredNodes().size(), 1u);
    Place().Release();
    EXPECT_TRUE(Place().RegisteredNodes().empty());
}

// A node's position is the host's float: it is checked before it becomes
// a place position. Far away makes no object; not a number counts as 0.
TEST_F(ScenePlaceThreadTest, NodesAnywhereRegisterWithoutFault) {
    ASSERT_TRUE(Place().Init(nullptr));
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    K3DSceneNode far(1e30f, -1e30f, inf, 0), lost(nan, nan, nan, 0);
    Place().RegisterNode(&far);
    Place().RegisterNode(&lost);
    EXPECT_EQ(Place().RegisteredNodes().size(), 2u);
    int items = 0;
    Place().ObjectTree().WalkItems(&items, [](void* count, KScenePoint*) { ++*static_cast<int*>(count); });
    EXPECT_EQ(items, 1);
}

TEST_F(ScenePlaceTest, TheMiniMapViewFollowsTheFrozenFocus) {
    Place().SetFocusOffset(5, 6);
    KMiniMapView view{};
    EXPECT_FALSE(Place().GetMiniMapView(&view));  // no picture
    EXPECT_EQ(view.unitsX, 16);
    EXPECT_EQ(view.unitsY, 32);
    EXPECT_EQ(view.offsetX, 5);
    EXPECT_EQ(view.offsetY, 6);
    EXPECT_LE(view.rect[0], view.rect[2]);
    EXPECT_LE(view.rect[1], view.rect[3]);
    EXPECT_FALSE(Place().GetMiniMapView(nullptr));
}

// While frozen, an offset that carries the focus across the int range
// comes back as the offset given.
TEST_F(ScenePlaceTest, TheFrozenOffsetComesBackAcrossTheIntRange) {
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    const int32_t low = std::numeric_limits<int32_t>::min() + 753;
    Place().SetFocus(low, low, 0);
    Place().FreezeFocus(true);
    Place().SetFocusOffset(-754, -754);
    KMiniMapView view{};
    Place().GetMiniMapView(&view);
    EXPECT_EQ(view.focusX, low);
    EXPECT_EQ(view.offsetX, -754);
    EXPECT_EQ(view.offsetY, -754);
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

TEST_F(ScenePlaceTest, FramesSetTheAmbientAndEndFinishedWeather) {
    Place().SetDayLightColor(7, 0x10, 0x20, 0x30);
    Place().UpdateFrame();
    EXPECT_EQ(Place().AmbientColour(), 0xFF102030u);
    WeatherSection rain;
    rain.id = 3;
    WriteDataFile("settings/Weather/Weather.ini", WriteWeatherIni({rain}));
    Place().SetWeather(3);
    ASSERT_NE(Place().CurrentWeather(), nullptr);
    Place().UpdateFrame();
    EXPECT_NE(Place().CurrentWeather(), nullptr);
    Place().SetWeather(255);
    int frames = 0;
    while (Place().CurrentWeather() && frames < 500) {
        Place().UpdateFrame();
        ++frames;
    }
    EXPECT_EQ(Place().CurrentWeather(), nullptr);
    EXPECT_GE(frames, 2);  // finishes in one frame, goes in the next
}

}  // namespace
}  // namespace place_test
