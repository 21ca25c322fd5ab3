#include "place/PlaceClocks.h"

#include <windows.h>

namespace {

uint32_t g_PlaceClock = 0;
uint32_t g_WeatherClock = 0;

}  // namespace

uint32_t PlaceClock() { return g_PlaceClock; }
void RefreshPlaceClock() { g_PlaceClock = timeGetTime(); }
uint32_t WeatherClock() { return g_WeatherClock; }
void SetWeatherClock(uint32_t ms) { g_WeatherClock = ms; }

void ResetPlaceClocksForTests() {
    g_PlaceClock = 0;
    g_WeatherClock = 0;
}
