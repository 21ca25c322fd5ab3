// Rain with lightning flashes over the scene. The place keeps at most one
// weather: it darkens and flashes the ambient colour, rains around the
// focus, and after its life time (or a stop request) brightens, thins out
// and finishes. Life, flares and fades run on the WeatherClock.
#pragma once

#include <cstdint>
#include <vector>

class KShellServices;
class KWavSound;

struct KWeatherParticle {
    int32_t x, y;   // world units
    int32_t z;      // height
    int32_t windStep;
    int32_t downStep;
    uint8_t blue, green, red, alpha;
};

class KWeatherBase {
public:
    KWeatherBase();
    virtual ~KWeatherBase() = default;
    virtual bool IsFinished() = 0;
    virtual bool Load(int id) = 0;
    virtual uint32_t ApplyToAmbient(uint32_t colour) { return colour; }
    // The life check: a weather past its life time starts stopping.
    virtual void Update();
    virtual void Paint(KShellServices* shell) = 0;

    // The rain falls around the focus.
    void SetFocus(int x, int y);
    void RequestStop() { m_stopping = 1; }
    bool IsStopping() const { return m_stopping != 0; }
    int ParticleNumber() const { return m_particleNumber; }
    int LifeTime() const { return m_lifeTime; }
    float DownSpeed() const { return m_downSpeed; }
    float WindSpeed() const { return m_windSpeed; }
    const std::vector<KWeatherParticle>& Particles() const { return m_particles; }

protected:
    uint8_t m_stopping = 0;
    uint32_t m_startTime;
    int32_t m_lifeTime = 600;
    int32_t m_particleNumber = 2000;
    float m_downSpeed = 800.0f;
    float m_windSpeed = 50.0f;
    int32_t m_spawnX = 0, m_spawnY = 0;
    int32_t m_focusX = 0, m_focusY = 0;
    std::vector<KWeatherParticle> m_particles;
};

class KWeather : public KWeatherBase {
public:
    static constexpr int kMaxParticleNumber = 100000;
    static constexpr float kMinDownSpeed = 20.0f;
    static constexpr int kLinesPerDraw = 100;
    static constexpr int kNoFlare = -1;

    KWeather();
    ~KWeather() override;

    bool IsFinished() override { return m_finished != 0; }
    // Reads section "Weather%.3d" of the weather settings; false for an id
    // outside 0..254 or a file that does not load.
    bool Load(int id) override;
    uint32_t ApplyToAmbient(uint32_t colour) override;
    void Update() override;
    void Paint(KShellServices* shell) override;

    // The weather never makes a sound itself; one handed to it follows the
    // volume and is stopped when the weather finishes. Not owned.
    void SetSound(KWavSound* sound) { m_sound = sound; }

    int LenRate() const { return m_lenRate; }
    int FlareTime() const { return m_flareTime; }
    int FlareState() const { return m_flareState; }
    int FlareGrey() const { return m_flareGrey[0]; }
    int NextFlareDelay() const { return m_nextFlareDelay; }
    float Darkness() const { return m_darkness; }
    int Volume() const { return m_volume; }
    const char* RainSound() const { return m_rainSound; }
    const char* FlareSound(int i) const { return m_flareSounds[i]; }

private:
    void StepDarknessAndVolume();
    void SpawnParticles();
    void MoveParticles();
    void StepFlare();
    void SetFlareGrey(int grey);

    int32_t m_lenRate = 100;
    uint8_t m_finished = 0;
    int32_t m_flareTime = 200;
    uint32_t m_lastFlare;
    int32_t m_nextFlareDelay;
    int32_t m_flareState = kNoFlare;
    uint32_t m_flareStepStart = 0;
    int32_t m_flareStepLength = 0;
    uint16_t m_flareGrey[3] = {};
    float m_darkness = 1.0f;
    char m_rainSound[80] = {};
    char m_flareSounds[3][80] = {};
    KWavSound* m_sound = nullptr;
    int32_t m_volume = -10000;
};

constexpr const char* kWeatherSettingsPath = "\\settings\\Weather\\Weather.ini";
