// RIFF wave files as KWavSound reads them.
#include "ByteWriter.h"
#include "KWavSound.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataBytes, bool extraChunk) {
    ByteWriter w;
    w.Bytes("RIFF", 4);
    w.U32(0);
    w.Bytes("WAVE", 4);
    if (extraChunk) {
        w.Bytes("LIST", 4);
        w.U32(3);
        w.Bytes("abc\0", 4);  // odd size, padded
    }
    uint16_t block = uint16_t(channels * (bits / 8));
    w.Bytes("fmt ", 4);
    w.U32(16);
    w.U16(tag);
    w.U16(channels);
    w.U32(rate);
    w.U32(rate * block);
    w.U16(block);
    w.U16(bits);
    w.Bytes("data", 4);
    w.U32(dataBytes);
    for (uint32_t i = 0; i < dataBytes; ++i) w.U8(uint8_t(i * 37));
    w.PatchU32(4, uint32_t(w.Size() - 8));
    return w.Take();
}

}  // namespace

LUMIVA_FUZZ_SEEDS(wav) {
    Bytes good = Wave(1, 2, 22050, 16, 64, false);
    Bytes past = good;
    past[4] = 0xFF;  // RIFF size beyond the file
    return {
        {"pcm16-stereo", good},
        {"pcm8-mono-list", Wave(1, 1, 8000, 8, 33, true)},
        {"float32", Wave(3, 1, 44100, 32, 16, false)},
        {"refused-truncated", Truncated(good, good.size() - 5)},
        {"refused-riff-size", past},
        {"refused-bits", Wave(1, 1, 8000, 12, 8, false)},
    };
}

LUMIVA_FUZZ_TARGET(wav, data, size) {
    ServeFile("fuzz.wav", data, size);
    KWavSound sound;
    if (!sound.Load("fuzz.wav")) return;
    sound.LengthMs();
    sound.Play(0);
    sound.IsPlaying();
    sound.Free();
}
