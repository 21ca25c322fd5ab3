#include <string>
#include <vector>

#include "ByteWriter.h"
#include "CoreTestSupport.h"
#include "DebugLog.h"
#include "KWavSound.h"
#include "win32/Control.h"

namespace basrel_core_test {
namespace {

struct WaveShape {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint16_t bits = 16;
    uint32_t dataBytes = 1600;  // 100 ms of 8 kHz mono 16-bit
    uint32_t fmtSize = 16;
    bool extraChunk = false;
};

std::vector<uint8_t> MakeWave(const WaveShape& s) {
    ByteWriter w;
    w.Bytes("RIFF", 4);
    size_t riffSize = w.Size();
    w.U32(0);
    w.Bytes("WAVE", 4);
    if (s.extraChunk) {
        w.Bytes("LIST", 4);
        w.U32(3);
        w.Bytes("abc", 3);
        w.U8(0);  // pad to even
    }
    uint16_t block = uint16_t(s.channels * (s.bits / 8));
    w.Bytes("fmt ", 4);
    w.U32(s.fmtSize);
    w.U16(s.tag);
    w.U16(s.channels);
    w.U32(s.rate);
    w.U32(s.rate * block);
    w.U16(block);
    w.U16(s.bits);
    w.Zeros(s.fmtSize - 16);
    w.Bytes("data", 4);
    w.U32(s.dataBytes);
    w.Zeros(s.dataBytes);
    w.PatchU32(riffSize, uint32_t(w.Size() - 8));
    return w.Take();
}

using KWavSoundTest = DataRootTest;

TEST_F(KWavSoundTest, LoadsPlaysAndRecordsState) {
    WaveShape shape;
    shape.extraChunk = true;
    WriteHostFile("Sound/Rain.wav", MakeWave(shape));
    lumiva::win32::InstallManualClock(1000);
    KWavSound sound;
    EXPECT_FALSE(sound.Play());  // nothing loaded
    ASSERT_TRUE(sound.Load("\\sound\\rain.WAV"));
    EXPECT_EQ(sound.Channels(), 1);
    EXPECT_EQ(sound.SampleRate(), 8000u);
    EXPECT_EQ(sound.BitsPerSample(), 16);
    EXPECT_EQ(sound.DataBytes(), 1600u);
    EXPECT_EQ(sound.LengthMs(), 100u);

    ASSERT_TRUE(sound.Play());
    EXPECT_TRUE(sound.IsPlaying());
    lumiva::win32::AdvanceClock(99);
    EXPECT_TRUE(sound.IsPlaying());
    lumiva::win32::AdvanceClock(1);
    EXPECT_FALSE(sound.IsPlaying());  // a single play has ended

    ASSERT_TRUE(sound.Play(1));
    lumiva::win32::AdvanceClock(5000);
    EXPECT_TRUE(sound.IsPlaying());
    EXPECT_TRUE(sound.IsLooping());
    sound.Stop();
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_FALSE(sound.IsLooping());
}

TEST_F(KWavSoundTest, VolumeIsKeptWithinRange) {
    KWavSound sound;
    EXPECT_EQ(sound.GetVolume(), 0);
    const int cases[][2] = {{-10000, -10000}, {-10001, -10000}, {-2500, -2500}, {0, 0}, {1, 0}, {INT32_MIN, -10000}};
    for (const auto& c : cases) {
        sound.SetVolume(c[0]);
        EXPECT_EQ(sound.GetVolume(), c[1]) << c[0];
    }
}

TEST_F(KWavSoundTest, BadFilesAreRefusedWithOneLogLine) {
    std::vector<uint8_t> good = MakeWave({});
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 11)});
    cases.push_back({"cut in the samples", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    cases.push_back({"cut in the format", std::vector<uint8_t>(good.begin(), good.begin() + 30)});
    {
        std::vector<uint8_t> bytes = good;
        bytes[40] = 0xFF;  // data chunk claims more than the file holds
        bytes[41] = 0xFF;
        cases.push_back({"data size too large", bytes});
    }
    {
        std::vector<uint8_t> bytes = good;
        bytes[4] = 0xFF;  // RIFF size beyond the file
        bytes[7] = 0x7F;
        cases.push_back({"riff size too large", bytes});
    }
    {
        std::vector<uint8_t> bytes = good;
        bytes[8] = 'X';
        cases.push_back({"not a wave", bytes});
    }
    WaveShape noChannels;
    noChannels.channels = 0;
    cases.push_back({"no channels", MakeWave(noChannels)});
    WaveShape oddBits;
    oddBits.bits = 12;
    cases.push_back({"12-bit PCM", MakeWave(oddBits)});
    {
        std::vector<uint8_t> bytes = good;
        bytes[32] = 3;  // block size that does not fit 16-bit mono
        cases.push_back({"wrong block size", bytes});
    }
    {
        std::vector<uint8_t> bytes = good;
        bytes[16] = 12;  // format chunk shorter than 16 bytes
        cases.push_back({"short format chunk", bytes});
    }
    {
        std::vector<uint8_t> bytes = good;
        bytes[36] = 'x';  // the data chunk renamed
        cases.push_back({"no data chunk", bytes});
    }
    for (const Case& c : cases) {
        WriteHostFile("bad.wav", c.bytes);
        KWavSound sound;
        basrel::TakeCapturedLog();
        EXPECT_FALSE(sound.Load("bad.wav")) << c.name;
        EXPECT_FALSE(sound.IsLoaded()) << c.name;
        EXPECT_FALSE(sound.Play()) << c.name;
        EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u) << c.name;
    }
}

TEST_F(KWavSoundTest, FailedLoadDropsTheOldSound) {
    WriteHostFile("a.wav", MakeWave({}));
    KWavSound sound;
    ASSERT_TRUE(sound.Load("a.wav"));
    ASSERT_TRUE(sound.Play(1));
    EXPECT_FALSE(sound.Load("missing.wav"));
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_EQ(sound.DataBytes(), 0u);
}

}  // namespace
}  // namespace basrel_core_test
