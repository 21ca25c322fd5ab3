// Weather settings: the bytes are "\settings\Weather\Weather.ini"; the
// weathers 0 and 1 load from it and run 50 frames of update, ambient and
// paint with the focus moving, asked to stop after 30.
#include "PlaceOverlayWriter.h"
#include "place/PlaceClocks.h"
#include "place/Weather.h"
#include "shell/KDrawShell.h"
#include "support/FuzzShell.h"
#include "support/FuzzTarget.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

constexpr int kFrames = 50;
constexpr int kStopFrame = 30;
// Painting is what a frame costs; past this many drops a frame only updates,
// so one input stays quick.
constexpr size_t kPaintedDrops = 20000;

}  // namespace

LUMIVA_FUZZ_SEEDS(place_weather) {
    WeatherSection rain;
    rain.id = 0;
    rain.lifeTimeMin = 5;
    rain.lifeTimeMax = 50;
    rain.particleNum = 400;
    rain.downSpeed = 300;
    rain.windSpeed = -80;
    rain.flareTime = 1;
    rain.lenRate = 150;
    rain.rainSound = "sound\\rain.wav";
    WeatherSection odd;
    odd.id = 1;
    odd.particleNum = 1000000;
    odd.downSpeed = 0;
    odd.flareTime = -4;
    odd.lenRate = 900;
    WeatherSection defaults;
    defaults.id = 1;
    return {{"rain-and-flares", Text(WriteWeatherIni({rain}))},
            {"out-of-range", Text(WriteWeatherIni({odd}))},
            {"defaults", Text(WriteWeatherIni({defaults}))},
            {"empty", Text("")}};
}

LUMIVA_FUZZ_TARGET(place_weather, data, size) {
    ServeFile(kWeatherSettingsPath, data, size);
    ShellScope scope;
    lumiva::win32::UseDefaultRandom();
    for (int id : {0, 1}) {
        SetWeatherClock(1000);
        KWeather weather;
        if (!weather.Load(id)) continue;
        for (int frame = 0; frame < kFrames && !weather.IsFinished(); ++frame) {
            SetWeatherClock(1000 + 40 * uint32_t(frame));
            weather.SetFocus(5000 + 16 * frame, 8000 - 32 * frame);
            if (frame == kStopFrame) weather.RequestStop();
            weather.ApplyToAmbient(0xFF807060);
            weather.Update();
            if (weather.Particles().size() <= kPaintedDrops) weather.Paint(scope.Shell());
        }
    }
    ResetPlaceClocksForTests();
}
