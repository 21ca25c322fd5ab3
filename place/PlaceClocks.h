// The scene place's two clocks. PlaceClock follows timeGetTime, refreshed
// once per ground paint, so everything drawn in one frame sees one time (the
// tiled pictures take their image keys from it). WeatherClock is whatever
// the host last set: the weather's life, flares and fades run on it, so a
// paused host pauses the weather.
#pragma once

#include <cstdint>

uint32_t PlaceClock();
void RefreshPlaceClock();
uint32_t WeatherClock();
void SetWeatherClock(uint32_t ms);

// Both back to 0, as at module load.
void ResetPlaceClocksForTests();
