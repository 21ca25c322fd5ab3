#include "place/Weather.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "DebugLog.h"
#include "HostRandom.h"
#include "KIniFile.h"
#include "KWavSound.h"
#include "lumiva/PrimitiveRecords.h"
#include "place/PlaceClocks.h"
#include "shell/ShellServices.h"

namespace {

constexpr int kSpawnWidth = 1200;
constexpr int kSpawnHeight = 2000;
constexpr int kSpawnLeft = 600;
constexpr int kSpawnAbove = 1000;
constexpr float kDarkest = 0.7f;
constexpr float kDarknessStep = 0.005f;
constexpr int kSilent = -10000;
constexpr int kVolumeStep = 50;
constexpr int kSoundNameMax = 79;
constexpr float kMaxSpeed = 1.0e6f;

bool FitsInt32(int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

int ClampChannel(int64_t value) { return int(std::clamp<int64_t>(value, 0, 255)); }

}  // namespace

KWeatherBase::KWeatherBase() : m_startTime(WeatherClock()) {}

void KWeatherBase::SetFocus(int x, int y) {
    m_focusX = x;
    m_focusY = y;
    m_spawnX = int32_t(int64_t(x) - kSpawnLeft);
    m_spawnY = int32_t(int64_t(y) - kSpawnAbove);
}

void KWeatherBase::Update() {
    if (int64_t(WeatherClock() - m_startTime) > m_lifeTime) m_stopping = 1;
}

KWeather::KWeather() : m_lastFlare(WeatherClock()), m_nextFlareDelay(g_Random(m_flareTime)) {}

KWeather::~KWeather() = default;

bool KWeather::Load(int id) {
    if (id < 0 || id > 254) return false;
    KIniFile ini;
    if (!ini.Load(kWeatherSettingsPath)) return false;
    char section[16];
    std::snprintf(section, sizeof section, "Weather%.3d", id);

    int lifeMin = 200, lifeMax = 600;
    ini.GetInteger(section, "LifeTimeMin", 200, &lifeMin);
    ini.GetInteger(section, "LifeTimeMax", 600, &lifeMax);
    const int64_t spread = std::min<int64_t>(int64_t(lifeMax) - lifeMin, INT_MAX);
    const int64_t life = (int64_t(lifeMin) + g_Random(int(spread))) * 20;
    if (life >= 0 && FitsInt32(life)) m_lifeTime = int32_t(life);

    int particles = 1000;
    ini.GetInteger(section, "ParticleNum", 1000, &particles);
    if (particles > kMaxParticleNumber) {
        g_DebugLog("[Scene]weather %d: ParticleNum %d cut to %d", id, particles, kMaxParticleNumber);
        particles = kMaxParticleNumber;
    }
    if (particles >= 0) m_particleNumber = particles;

    ini.GetFloat(section, "DownSpeed", 500.0f, &m_downSpeed);
    // Below the least speed the rain would never land and the slant would
    // divide by 0; past the largest the steps would not fit their fields.
    if (!(m_downSpeed >= kMinDownSpeed)) m_downSpeed = kMinDownSpeed;
    m_downSpeed = std::min(m_downSpeed, kMaxSpeed);
    ini.GetFloat(section, "WindSpeed", 60.0f, &m_windSpeed);
    m_windSpeed = std::isnan(m_windSpeed) ? 0.0f : std::clamp(m_windSpeed, -kMaxSpeed, kMaxSpeed);

    int flare = 30;
    ini.GetInteger(section, "FlareTime", 30, &flare);
    const int64_t flareTime = int64_t(flare) * 40;
    if (FitsInt32(flareTime)) m_flareTime = int32_t(flareTime);

    ini.GetInteger(section, "LenRate", 100, &m_lenRate);
    m_lenRate = std::clamp(m_lenRate, 0, 400);
    m_nextFlareDelay = g_Random(m_flareTime);

    ini.GetString(section, "RainSound", "", m_rainSound, kSoundNameMax + 1);
    const char* flareKeys[3] = {"FlareSound1", "FlareSound2", "FlareSound3"};
    for (int i = 0; i < 3; ++i) ini.GetString(section, flareKeys[i], "", m_flareSounds[i], kSoundNameMax + 1);
    return true;
}

void KWeather::SetFlareGrey(int grey) {
    for (uint16_t& channel : m_flareGrey) channel = uint16_t(grey);
}

void KWeather::StepDarknessAndVolume() {
    if (m_stopping) {
        SetFlareGrey(0);
        if (m_darkness >= 1.0f) {
            if (m_sound) m_sound->Stop();
            m_sound = nullptr;
            m_finished = 1;
            return;
        }
        m_darkness += kDarknessStep;
        m_particleNumber = int32_t(int64_t(m_particleNumber) * 24 / 25);
        m_volume = (m_volume - kSilent) * 199 / 200 + kSilent;
        return;
    }
    if (m_darkness > kDarkest) m_darkness -= kDarknessStep;
    if (m_volume < 0) m_volume = std::min(m_volume + kVolumeStep, 0);
}

void KWeather::SpawnParticles() {
    const int count = m_particleNumber / 20;
    const int downStep = int(m_downSpeed / 20.0f);
    const int windStep = int(m_windSpeed / 20.0f);
    m_particles.reserve(m_particles.size() + size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        KWeatherParticle p{};
        p.x = int32_t(int64_t(m_spawnX) + g_Random(kSpawnWidth));
        p.y = int32_t(int64_t(m_spawnY) + g_Random(kSpawnHeight));
        p.downStep = downStep;
        p.windStep = windStep;
        p.z = int32_t((int64_t(p.y) - m_focusY) / 3 + 500 - g_Random(downStep));
        p.red = p.green = p.blue = 255;
        p.alpha = uint8_t(32 + g_Random(10));
        m_particles.push_back(p);
    }
}

void KWeather::MoveParticles() {
    auto landed = [](KWeatherParticle& p) {
        p.x = int32_t(int64_t(p.x) + p.windStep);
        p.z = int32_t(int64_t(p.z) - p.downStep);
        return p.z < 0;
    };
    m_particles.erase(std::remove_if(m_particles.begin(), m_particles.end(), landed), m_particles.end());
}

void KWeather::StepFlare() {
    if (m_flareTime < 1 || m_stopping) return;
    const uint32_t now = WeatherClock();
    const auto stepOver = [&] { return int64_t(now - m_flareStepStart) > m_flareStepLength; };
    const auto nextStep = [&](int lengthRandom, int lengthBase, int state) {
        m_flareStepStart = now;
        m_flareStepLength = g_Random(lengthRandom) + lengthBase;
        m_flareState = state;
    };
    switch (m_flareState) {
        case kNoFlare:
            if (int64_t(now - m_lastFlare) > m_nextFlareDelay) {
                m_flareStepStart = now;
                m_flareStepLength = g_Random(3) + 2;
                m_flareState = 0;
                m_nextFlareDelay = g_Random(m_flareTime);
                m_lastFlare = now;
                SetFlareGrey(g_Random(32) + 64);
            }
            break;
        case 0:
            if (stepOver()) {
                nextStep(2, 2, 1);
                SetFlareGrey(g_Random(48) + 16);
            }
            break;
        case 1:
            if (stepOver()) {
                nextStep(2, 2, 2);
                SetFlareGrey(g_Random(64) + 16);
            }
            break;
        case 2:
            if (stepOver()) {
                nextStep(10, 8, 3);
                SetFlareGrey(0);
            }
            break;
        default:
            if (stepOver()) m_flareState = kNoFlare;
            break;
    }
}

void KWeather::Update() {
    if (m_finished) return;
    StepDarknessAndVolume();
    if (m_finished) return;
    if (m_sound) m_sound->SetVolume(m_volume);
    SpawnParticles();
    MoveParticles();
    StepFlare();
    KWeatherBase::Update();
}

uint32_t KWeather::ApplyToAmbient(uint32_t colour) {
    int64_t red = int64_t(float((colour >> 16) & 0xFF) * m_darkness);
    int64_t green = int64_t(float((colour >> 8) & 0xFF) * m_darkness);
    int64_t blue = int64_t(float(colour & 0xFF) * m_darkness);
    if (m_nextFlareDelay > 0 && m_flareState != kNoFlare) {
        red += m_flareGrey[0];
        green += m_flareGrey[1];
        blue += m_flareGrey[2];
    }
    return 0xFF000000u | uint32_t(ClampChannel(red)) << 16 | uint32_t(ClampChannel(green)) << 8 |
           uint32_t(ClampChannel(blue));
}

void KWeather::Paint(KShellServices* shell) {
    if (!shell || m_finished) return;
    KPrimLine lines[kLinesPerDraw];
    int pending = 0;
    const float slant = m_windSpeed / m_downSpeed;
    for (const KWeatherParticle& p : m_particles) {
        const int64_t length = ((int64_t(p.y) - m_focusY) / 60 + 35) * m_lenRate / 100;
        if (length < 0 || g_Random(3) == 0) continue;
        KPrimLine& line = lines[pending];
        line.x1 = p.x;
        line.y1 = p.y;
        line.z1 = p.z;
        line.x2 = int32_t(int64_t(p.x) + int64_t(float(length) * slant));
        line.y2 = p.y;
        line.z2 = int32_t(int64_t(p.z) - length);
        line.blue = p.blue;
        line.green = p.green;
        line.red = p.red;
        line.alpha = p.alpha;
        if (++pending == kLinesPerDraw) {
            shell->DrawPrimitives(pending, lines, PRIM_LINES, 0, 0, -1, -1.0f);
            pending = 0;
        }
    }
    if (pending) shell->DrawPrimitives(pending, lines, PRIM_LINES, 0, 0, -1, -1.0f);
}
