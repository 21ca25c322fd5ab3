#include "KWavSound.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "DebugLog.h"
#include "KPakFile.h"

namespace {

// Sounds larger than this are not effects a client plays from memory.
constexpr uint32_t kLargestWave = 256u << 20;

uint16_t U16At(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) { return uint32_t(U16At(b, at)) | uint32_t(U16At(b, at + 2)) << 16; }

bool TagAt(const std::vector<uint8_t>& b, size_t at, const char* tag) { return std::memcmp(&b[at], tag, 4) == 0; }

struct WaveFormat {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

const char* CheckFormat(const WaveFormat& f) {
    if (f.channels < 1 || f.channels > 8) return "has an unusable channel count";
    if (f.sampleRate == 0 || f.blockAlign == 0) return "has an unusable format";
    if (f.tag == 1) {
        if (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32) return "has unusable sample bits";
        if (f.blockAlign != f.channels * (f.bits / 8)) return "has a block size that does not fit its samples";
    }
    return nullptr;
}

// Finds the format and the sample bytes; null, or the reason for refusing.
const char* ParseWave(const std::vector<uint8_t>& bytes, WaveFormat& format, size_t& dataAt, uint32_t& dataSize) {
    if (bytes.size() < 12 || !TagAt(bytes, 0, "RIFF") || !TagAt(bytes, 8, "WAVE")) return "is not a RIFF wave";
    uint64_t riffEnd = uint64_t(U32At(bytes, 4)) + 8;
    if (riffEnd > bytes.size()) return "is truncated";
    bool haveFormat = false, haveData = false;
    uint64_t at = 12;
    while (at + 8 <= riffEnd) {
        uint32_t size = U32At(bytes, size_t(at) + 4);
        uint64_t body = at + 8;
        if (body + size > riffEnd) return "has a chunk that runs past its end";
        if (TagAt(bytes, size_t(at), "fmt ") && !haveFormat) {
            if (size < 16) return "has a short format chunk";
            size_t f = size_t(body);
            format = {U16At(bytes, f), U16At(bytes, f + 2), U32At(bytes, f + 4), U32At(bytes, f + 8),
                      U16At(bytes, f + 12), U16At(bytes, f + 14)};
            if (const char* problem = CheckFormat(format)) return problem;
            haveFormat = true;
        } else if (TagAt(bytes, size_t(at), "data") && !haveData) {
            dataAt = size_t(body);
            dataSize = size;
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat) return "has no format chunk";
    if (!haveData) return "has no data chunk";
    return nullptr;
}

}  // namespace

int KWavSound::Load(const char* fileName) {
    Free();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, kLargestWave, bytes)) return 0;
    WaveFormat format;
    size_t dataAt = 0;
    uint32_t dataSize = 0;
    if (const char* problem = ParseWave(bytes, format, dataAt, dataSize)) {
        g_DebugLog("[Basrel]KWavSound: %s %s", fileName, problem);
        return 0;
    }
    m_samples.assign(bytes.begin() + ptrdiff_t(dataAt), bytes.begin() + ptrdiff_t(dataAt + dataSize));
    m_channels = format.channels;
    m_sampleRate = format.sampleRate;
    m_byteRate = format.byteRate;
    m_bits = format.bits;
    m_loaded = 1;
    return 1;
}

void KWavSound::Free() {
    Stop();
    m_samples.clear();
    m_loaded = 0;
    m_channels = 0;
    m_sampleRate = 0;
    m_byteRate = 0;
    m_bits = 0;
}

uint32_t KWavSound::LengthMs() const {
    if (m_byteRate == 0) return 0;
    return uint32_t(uint64_t(m_samples.size()) * 1000 / m_byteRate);
}

int KWavSound::Play(int loop) {
    if (!m_loaded) return 0;
    m_playing = true;
    m_looping = loop != 0;
    m_playStart = timeGetTime();
    return 1;
}

void KWavSound::Stop() {
    m_playing = false;
    m_looping = false;
}

int KWavSound::IsPlaying() const {
    if (!m_playing) return 0;
    if (m_looping) return 1;
    return timeGetTime() - m_playStart < LengthMs() ? 1 : 0;
}

void KWavSound::SetVolume(int volume) {
    if (volume < kSilent) volume = kSilent;
    if (volume > kFull) volume = kFull;
    m_volume = volume;
}
