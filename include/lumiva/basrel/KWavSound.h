// Wave sounds. There is no audio output: the object checks and keeps the
// wave file and records what a player would do (playing, looping, volume),
// so callers and tests can see it.
//
// Load reads a RIFF "WAVE" file through the pak layer: a "fmt " chunk of at
// least 16 bytes (channels 1..8, a sample rate, a block size; PCM also needs
// 8, 16, 24 or 32 bits and a block size that matches them) and a "data"
// chunk. A chunk that runs past the RIFF size or past the file, a RIFF size
// beyond the file, or a missing chunk refuses the file with one log line.
#pragma once

#include <cstdint>
#include <vector>

#include "BasrelApi.h"

class BASREL_API KWavSound {
public:
    static constexpr int kSilent = -10000;
    static constexpr int kFull = 0;

    // Nonzero on success; the previous sound is dropped first.
    int Load(const char* fileName);
    void Free();
    int IsLoaded() const { return m_loaded; }

    // Nonzero when a sound is loaded. A sound played without loop counts as
    // playing until its length has passed on the platform clock.
    int Play(int loop = 0);
    void Stop();
    int IsPlaying() const;
    int IsLooping() const { return m_playing && m_looping; }

    // Hundredths of a decibel, kept within kSilent..kFull.
    void SetVolume(int volume);
    int GetVolume() const { return m_volume; }

    int Channels() const { return m_channels; }
    uint32_t SampleRate() const { return m_sampleRate; }
    int BitsPerSample() const { return m_bits; }
    uint32_t DataBytes() const { return uint32_t(m_samples.size()); }
    // Length in milliseconds (0 when unknown).
    uint32_t LengthMs() const;

private:
    std::vector<uint8_t> m_samples;
    int m_loaded = 0;
    int m_channels = 0;
    uint32_t m_sampleRate = 0;
    uint32_t m_byteRate = 0;
    int m_bits = 0;
    int m_volume = kFull;
    bool m_playing = false;
    bool m_looping = false;
    uint32_t m_playStart = 0;
};
