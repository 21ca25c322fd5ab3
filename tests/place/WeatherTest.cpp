// Rain and flashes on the scripted random source and the weather clock.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "KWavSound.h"
#include "OverlayFixture.h"
#include "PlaceOverlayWriter.h"
#include "place/PlaceClocks.h"
#include "place/Weather.h"
#include "support/VirtualSlot.h"
#include "win32/Control.h"

namespace overlay_test {
namespace {

class WeatherTest : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        SetWeatherClock(1000);
    }

    void WriteWeather(const std::vector<WeatherSection>& sections) {
        WriteDataFile("settings/Weather/Weather.ini", WriteWeatherIni(sections));
    }

    // A weather of section `id` made and loaded with every random draw
    // giving `draw`.
    std::unique_ptr<KWeather> Loaded(const WeatherSection& section, int draw = 7) {
        WriteWeather({section});
        lumiva::win32::InstallScriptedRandom({draw});
        auto weather = std::make_unique<KWeather>();
        EXPECT_TRUE(weather->Load(section.id));
        return weather;
    }

    // A section without rain, so updates draw random numbers for flares only.
    static WeatherSection Dry(int flareTime) {
        WeatherSection s;
        s.id = 3;
        s.particleNum = 0;
        s.flareTime = flareTime;
        return s;
    }
};

TEST(WeatherSlotTest, OperationsFollowTheDestructorInOrder) {
    using test_support::SlotOf;
    const long first = SlotOf(&KWeatherBase::IsFinished);
    EXPECT_EQ(first, 2);  // the destructor takes two entries
    EXPECT_EQ(SlotOf(&KWeatherBase::Load), first + 1);
    EXPECT_EQ(SlotOf(&KWeatherBase::ApplyToAmbient), first + 2);
    EXPECT_EQ(SlotOf(&KWeatherBase::Update), first + 3);
    EXPECT_EQ(SlotOf(&KWeatherBase::Paint), first + 4);
}

TEST_F(WeatherTest, LoadReadsItsSectionWithinLimits) {
    struct Case {
        const char* name;
        WeatherSection section;
        int life, particles, flareTime, lenRate;
        float down, wind;
        size_t logLines;
    };
    auto section = [](auto change) {
        WeatherSection s;
        s.id = 12;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"defaults", section([](WeatherSection&) {}), (200 + 7) * 20, 1000, 1200, 100, 500.0f, 60.0f, 0},
        {"values", section([](WeatherSection& s) {
             s.lifeTimeMin = 10, s.lifeTimeMax = 20, s.particleNum = 300, s.downSpeed = 640.5, s.windSpeed = -30;
             s.flareTime = 2, s.lenRate = 250;
         }),
         (10 + 7) * 20, 300, 80, 250, 640.5f, -30.0f, 0},
        {"LenRate above", section([](WeatherSection& s) { s.lenRate = 500; }), 4140, 1000, 1200, 400, 500, 60, 0},
        {"LenRate below", section([](WeatherSection& s) { s.lenRate = -3; }), 4140, 1000, 1200, 0, 500, 60, 0},
        {"too many particles", section([](WeatherSection& s) { s.particleNum = 2000000; }), 4140, 100000, 1200,
         100, 500, 60, 1},
        {"negative particles", section([](WeatherSection& s) { s.particleNum = -5; }), 4140, 2000, 1200, 100, 500,
         60, 0},
        {"slow rain", section([](WeatherSection& s) { s.downSpeed = 0; }), 4140, 1000, 1200, 100, 20, 60, 0},
        {"wild speeds", section([](WeatherSection& s) { s.downSpeed = 1e30, s.windSpeed = -1e30; }), 4140, 1000,
         1200, 100, 1e6f, -1e6f, 0},
        {"flare time too long", section([](WeatherSection& s) { s.flareTime = 100000000; }), 4140, 1000, 200, 100,
         500, 60, 0},
        {"negative life", section([](WeatherSection& s) { s.lifeTimeMin = -1000, s.lifeTimeMax = -500; }), 600,
         1000, 1200, 100, 500, 60, 0},
        {"life too long", section([](WeatherSection& s) { s.lifeTimeMin = 2000000000, s.lifeTimeMax = 2000000001; }),
         600, 1000, 1200, 100, 500, 60, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TakeLog();
        auto weather = Loaded(c.section);
        EXPECT_EQ(weather->LifeTime(), c.life);
        EXPECT_EQ(weather->ParticleNumber(), c.particles);
        EXPECT_EQ(weather->FlareTime(), c.flareTime);
        EXPECT_EQ(weather->LenRate(), c.lenRate);
        EXPECT_FLOAT_EQ(weather->DownSpeed(), c.down);
        EXPECT_FLOAT_EQ(weather->WindSpeed(), c.wind);
        EXPECT_EQ(weather->NextFlareDelay(), c.flareTime > 0 ? 7 % c.flareTime : 0);
        EXPECT_EQ(TakeLog().size(), c.logLines);
    }
}

TEST_F(WeatherTest, LoadNeedsAKnownIdAndTheFile) {
    KWeather weather;
    EXPECT_FALSE(weather.Load(3));  // no file yet
    WeatherSection s;
    s.id = 254;
    s.rainSound = "sound\\rain.wav";
    s.flareSounds[1] = std::string(100, 'x');
    WriteWeather({s});
    EXPECT_FALSE(weather.Load(255));
    EXPECT_FALSE(weather.Load(-1));
    ASSERT_TRUE(weather.Load(254));
    EXPECT_STREQ(weather.RainSound(), "sound\\rain.wav");
    EXPECT_STREQ(weather.FlareSound(0), "");
    EXPECT_EQ(std::string(weather.FlareSound(1)), std::string(79, 'x'));
}

TEST_F(WeatherTest, WithoutFlareTimeTheAmbientOnlyDarkens) {
    auto weather = Loaded(Dry(0));
    for (int i = 0; i < 100; ++i) {
        SetWeatherClock(1000 + 10 * uint32_t(i));
        weather->Update();
        ASSERT_EQ(weather->FlareState(), KWeather::kNoFlare);
    }
    const float f = weather->Darkness();
    EXPECT_NEAR(f, 0.7f, 0.006f);
    const auto dark = [f](uint32_t channel) { return uint32_t(float(channel) * f); };
    EXPECT_EQ(weather->ApplyToAmbient(0x12C08040), 0xFF000000u | dark(0xC0) << 16 | dark(0x80) << 8 | dark(0x40));
}

TEST_F(WeatherTest, TheVolumeRisesToFullInTwoHundredUpdates) {
    auto weather = Loaded(Dry(0));
    KWavSound sound;
    weather->SetSound(&sound);
    EXPECT_EQ(weather->Volume(), -10000);
    for (int i = 0; i < 199; ++i) weather->Update();
    EXPECT_EQ(weather->Volume(), -50);
    EXPECT_EQ(sound.GetVolume(), -50);
    weather->Update();
    EXPECT_EQ(weather->Volume(), 0);
    weather->Update();
    EXPECT_EQ(sound.GetVolume(), 0);
}

TEST_F(WeatherTest, FlaresStepThroughTheirStatesAndGreys) {
    auto weather = Loaded(Dry(1));  // flare time 40; every draw 7
    ASSERT_EQ(weather->NextFlareDelay(), 7);
    struct Step {
        uint32_t clock;
        int state, grey;
    };
    const Step steps[] = {
        {1007, -1, 0}, {1008, 0, 7 % 32 + 64}, {1011, 0, 71}, {1012, 1, 7 % 48 + 16}, {1016, 2, 7 % 64 + 16},
        {1019, 2, 23}, {1020, 3, 0},           {1035, 3, 0},  {1036, -1, 0},
        // The next delay counts from the start of the previous flare.
        {1037, 0, 71},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.clock);
        SetWeatherClock(step.clock);
        weather->Update();
        EXPECT_EQ(weather->FlareState(), step.state);
        if (step.state != KWeather::kNoFlare) {
            EXPECT_EQ(weather->FlareGrey(), step.grey);
        }
        const float f = weather->Darkness();
        const uint32_t grey = step.state == KWeather::kNoFlare ? 0 : uint32_t(step.grey);
        const auto channel = [&](uint32_t value) { return std::min<uint32_t>(uint32_t(float(value) * f) + grey, 255); };
        EXPECT_EQ(weather->ApplyToAmbient(0xFF2040F0),
                  0xFF000000u | channel(0x20) << 16 | channel(0x40) << 8 | channel(0xF0));
    }
}

TEST_F(WeatherTest, StoppingBrightensThinsAndFinishes) {
    WeatherSection s = Dry(1);
    s.particleNum = 1000;
    auto weather = Loaded(s);
    for (int i = 0; i < 80; ++i) weather->Update();
    EXPECT_FALSE(weather->IsStopping());
    KWavSound sound;
    weather->SetSound(&sound);
    weather->RequestStop();
    weather->Update();
    EXPECT_EQ(weather->ParticleNumber(), 960);
    EXPECT_EQ(weather->FlareGrey(), 0);
    EXPECT_EQ(weather->ApplyToAmbient(0xFF646464) & 0xFF, uint32_t(100.0f * weather->Darkness()));
    int updates = 1;
    while (!weather->IsFinished() && updates < 100) {
        weather->Update();
        ++updates;
    }
    EXPECT_TRUE(weather->IsFinished());
    EXPECT_GE(weather->Darkness(), 1.0f);
    EXPECT_NEAR(updates, 61, 1);
    EXPECT_EQ(weather->ApplyToAmbient(0xFF646464), 0xFF646464u);
    // Finished: no more rain and nothing drawn.
    const size_t particles = weather->Particles().size();
    weather->Update();
    EXPECT_EQ(weather->Particles().size(), particles);
    BeginDrawing();
    weather->Paint(m_shell);
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
}

TEST_F(WeatherTest, LifeTimeEndsTheWeather) {
    WeatherSection s = Dry(0);
    s.lifeTimeMin = 10;
    s.lifeTimeMax = 10;  // 200 clock units
    auto weather = Loaded(s);
    ASSERT_EQ(weather->LifeTime(), 200);
    SetWeatherClock(1200);
    weather->Update();
    EXPECT_FALSE(weather->IsStopping());
    SetWeatherClock(1201);
    weather->Update();
    EXPECT_TRUE(weather->IsStopping());
}

TEST_F(WeatherTest, RainFallsAroundTheFocusAndLands) {
    WeatherSection s = Dry(0);
    s.particleNum = 20;  // one drop an update
    s.downSpeed = 500;
    s.windSpeed = 60;
    auto weather = Loaded(s, 1234);
    weather->SetFocus(5000, 8000);
    weather->Update();
    ASSERT_EQ(weather->Particles().size(), 1u);
    const KWeatherParticle p = weather->Particles()[0];
    EXPECT_EQ(p.x, 4400 + 1234 % 1200 + 3);  // spawn, then one wind step
    EXPECT_EQ(p.y, 7000 + 1234);
    EXPECT_EQ(p.z, (7000 + 1234 - 8000) / 3 + 500 - 1234 % 25 - 25);
    EXPECT_EQ(p.alpha, 32 + 4);
    EXPECT_EQ(p.red & p.green & p.blue, 255);
    // Each drop lives until its height falls below 0.
    for (int i = 0; i < 40; ++i) weather->Update();
    EXPECT_LE(weather->Particles().size(), size_t(p.z / 25 + 2));
}

TEST_F(WeatherTest, RainSlowerThanOneStepStillLands) {
    WeatherSection s = Dry(0);
    s.particleNum = 20;
    s.downSpeed = 1;
    auto weather = Loaded(s, 0);
    weather->SetFocus(0, 0);
    for (int i = 0; i < 3000; ++i) weather->Update();
    EXPECT_LT(weather->Particles().size(), 1100u);
}

TEST_F(WeatherTest, EveryDropDrawsALineUnlessTheDrawSkipsIt) {
    WeatherSection s = Dry(0);
    s.particleNum = 5000;  // 250 drops an update
    auto weather = Loaded(s, 7);
    weather->SetFocus(5000, 8000);
    weather->Update();
    ASSERT_EQ(weather->Particles().size(), 250u);
    BeginDrawing();
    weather->Paint(m_shell);
    // The 250 lines go out in runs of 100, each one line-list draw.
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(draws.size(), 3u);
    const uint64_t lines[3] = {100, 100, 50};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(draws[i].args[0], uint64_t(D3DPT_LINELIST)) << i;
        EXPECT_EQ(draws[i].args[2], lines[i]) << i;
    }
    EndDrawing();
    lumiva::win32::InstallScriptedRandom({3});  // every third draw skips: all of them
    BeginDrawing();
    weather->Paint(m_shell);
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
    weather->Paint(nullptr);
}

TEST_F(WeatherTest, ALineRunsDownFromTheDropWithTheWind) {
    WeatherSection s = Dry(0);
    s.particleNum = 20;
    s.downSpeed = 400;
    s.windSpeed = 200;
    s.lenRate = 200;
    auto weather = Loaded(s);
    // The view centre is the focus less 65 down: (0, 0) needs no easing.
    weather->SetFocus(0, 65);
    // One drop 999 below the spawn's middle (it shows near the top of the
    // screen); then the paint's keep draw.
    lumiva::win32::InstallScriptedRandom({600, 1999, 0, 0, 1});
    weather->Update();
    ASSERT_EQ(weather->Particles().size(), 1u);
    const KWeatherParticle p = weather->Particles()[0];
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.z, 999 / 3 + 500 - 20);
    // Length (999 / 60 + 35) * 2, slanting by wind / down.
    const int length = 102;
    m_shell->SetViewCenter(0, 65, 0);
    m_shell->BeginFrame(1, 0xFF000000, nullptr);
    int x1 = p.x, y1 = p.y, x2 = p.x + length / 2, y2 = p.y;
    m_shell->ProjectPoint(&x1, &y1, p.z);
    m_shell->ProjectPoint(&x2, &y2, p.z - length);
    weather->Paint(m_shell);
    const auto screen = BackBuffer();
    m_shell->EndFrame();
    const auto litNear = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int px = x + dx, py = y + dy;
                if (px < 0 || py < 0 || px >= int(screen.width) || py >= int(screen.height)) continue;
                const D3DCOLOR c = screen.At(UINT(px), UINT(py));
                if ((c & 0xFFFFFF) != 0 && ((c >> 16) & 0xFF) == (c & 0xFF)) return true;
            }
        return false;
    };
    ASSERT_NE(x1, x2);
    EXPECT_TRUE(litNear((x1 + x2) / 2, (y1 + y2) / 2)) << x1 << "," << y1 << " to " << x2 << "," << y2;
    EXPECT_FALSE(litNear((x1 + x2) / 2 + 40, (y1 + y2) / 2));
}

}  // namespace
}  // namespace overlay_test
