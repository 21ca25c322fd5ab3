// The client settings files the shell reads besides the video
// configuration: picture scale and debug switch, scene brightness, the
// models' position trail, and the spark colour cycles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "lumiva/basrel/KTimer.h"

// "R,G,B" in decimal to opaque ARGB; a text that ends early keeps the
// channels read so far.
DWORD ParseColorString(const char* text);

constexpr int kMaxSparkColours = 128;
constexpr int kDefaultSparkInterval = 200;

struct KSparkRecord {
    std::vector<DWORD> colours;
    uint8_t count = 0;
    std::unique_ptr<KTimer> timer;
};

// Spark id (the section number) to its colour cycle.
class KSparkTable {
public:
    // Reads "\ui\setting.ini"; a missing file leaves the table empty and the
    // interval at its default.
    void Load();
    // The colour shown now; 0xFFFFFFFF for an id without a record.
    DWORD GetColor(int sparkId);
    void Release();
    const KSparkRecord* Find(int sparkId) const;
    size_t Size() const { return m_records.size(); }
    int Interval() const { return m_interval; }
    // Zero and negative intervals would stop the cycle; they take the default.
    void SetInterval(int ms) { m_interval = ms > 0 ? ms : kDefaultSparkInterval; }

private:
    std::map<int, KSparkRecord> m_records;
    int m_interval = kDefaultSparkInterval;
};

// "\Config.ini" [Client] PT: 1.0, 0.5 or 0.25; 1.0 without the file.
float ReadUiScale();

// "\config.ini" [Client] ShowDebugInfo and "\settings\game.ini" [scale]
// scenebright, read with one ini object.
void LoadDebugAndBrightness();

extern int g_ShowDebugInfo;
float GetSceneBrightness();
// Stores the value; a non-finite one becomes 1.0.
void SetSceneBrightness(float value);

// [Cool] of "settings\gamesetting.ini": the models' position trail.
struct KCoolSettings {
    int interval = 0;  // ms between two recorded positions
    int limitNum = 0;  // most positions kept
    int width = 0;
    int height = 0;
    void* texture = nullptr;  // texture-manager record, or null
};
extern KCoolSettings g_CoolSettings;
// Reads the file (missing: defaults) and loads the trail texture.
void ReadCoolSettings();
// Gives the trail texture back to the texture manager.
void ReleaseCoolTexture();

void ResetClientSettings();
