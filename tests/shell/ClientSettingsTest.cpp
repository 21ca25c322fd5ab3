// The client settings files: colour texts, spark cycles, picture scale,
// scene brightness and the trail settings.
#include <gtest/gtest.h>

#include "DrawShellFixture.h"
#include "shell/ClientSettings.h"
#include "shell/NeighbourServices.h"
#include "textures/TextureRecord.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

TEST(ParseColorString, FieldsAndEarlyEnds) {
    const struct {
        const char* text;
        DWORD expected;
    } cases[] = {
        {"255,128,0", 0xFFFF8000},
        {"12", 0xFF000000},     // no comma: nothing but alpha
        {"12,34", 0xFF0C0000},  // G never ends with a comma
        {"1,2,3", 0xFF010203},
        {"256,257,511", 0xFF0001FF},  // low 8 bits only
        {" 10, 20, 30", 0xFF0A141E},  // atoi skips leading blanks
        {"", 0xFF000000},
        {"000000000000001,2,3", 0xFF010203},   // 15 characters fit
        {"0000000000000001,2,3", 0xFF000000},  // a 16th does not
        {"1,2,0000000000000003", 0xFF010200},  // B too long: without B
        {"-1,0,0", 0xFFFF0000},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseColorString(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(ParseColorString(nullptr), 0u);
}

class ClientSettings : public DrawShellTest {};

TEST_F(ClientSettings, SparkSectionsUntilTheFirstGap) {
    std::string text =
        "[sparkIntrval]\nValue=100\n[spark0]\ncolor0=255,0,0\ncolor1=0,255,0\ncolor2=0,0,255\n"
        "[spark2]\ncolor0=1,1,1\n";
    WriteDataFile("ui/setting.ini", text);
    lumiva::win32::InstallManualClock(0);
    KDrawShell* shell = MakeShell();
    EXPECT_EQ(shell->sparks.Size(), 1u);
    EXPECT_EQ(shell->sparks.Interval(), 100);
    EXPECT_EQ(shell->GetSparkColor(2), 0xFFFFFFFFu);
    EXPECT_EQ(shell->GetSparkColor(7), 0xFFFFFFFFu);
    const struct {
        uint64_t at;
        DWORD colour;
    } steps[] = {{0, 0xFFFF0000},   {99, 0xFFFF0000},  {100, 0xFF00FF00}, {250, 0xFF0000FF},
                 {300, 0xFFFF0000}, {399, 0xFFFF0000}, {400, 0xFF00FF00}};
    // At 300 the cycle has run out: colour 0 again, timer restarted.
    for (const auto& s : steps) {
        lumiva::win32::SetClock(s.at);
        EXPECT_EQ(shell->GetSparkColor(0), s.colour) << s.at;
    }
    shell->ReleaseSparks();
    EXPECT_EQ(shell->GetSparkColor(0), 0xFFFFFFFFu);
}

TEST_F(ClientSettings, EmptySparkSectionIsSkippedAndLongOnesCut) {
    std::string text = "[spark0]\nother=1\n[spark1]\n";
    for (int j = 0; j < 130; ++j) text += "color" + std::to_string(j) + "=" + std::to_string(j) + ",0,0\n";
    WriteDataFile("ui/setting.ini", text);
    KDrawShell* shell = MakeShell();
    EXPECT_EQ(shell->sparks.Find(0), nullptr);
    const KSparkRecord* record = shell->sparks.Find(1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->count, 128);
    EXPECT_EQ(record->colours.size(), 128u);
    EXPECT_EQ(record->colours[127], 0xFF7F0000u);
}

TEST_F(ClientSettings, NonPositiveSparkIntervalsTakeTheDefault) {
    for (const char* value : {"0", "-5"}) {
        WriteDataFile("ui/setting.ini", std::string("[sparkIntrval]\nValue=") + value + "\n[spark0]\ncolor0=1,2,3\n");
        lumiva::win32::InstallManualClock(0);
        KSparkTable table;
        table.Load();
        EXPECT_EQ(table.Interval(), 200) << value;
        lumiva::win32::SetClock(1000);
        EXPECT_EQ(table.GetColor(0), 0xFF010203u) << value;
    }
}

TEST_F(ClientSettings, UiScaleFromPT) {
    const struct {
        const char* pt;
        float scale;
    } cases[] = {{"1", 1.0f}, {"2", 0.5f}, {"3", 0.25f}, {"0", 0.25f}, {"-1", 0.25f}};
    for (const auto& c : cases) {
        WriteDataFile("Config.ini", std::string("[Client]\nPT=") + c.pt + "\n");
        EXPECT_EQ(ReadUiScale(), c.scale) << c.pt;
    }
    WriteDataFile("Config.ini", "[Client]\n");
    EXPECT_EQ(ReadUiScale(), 1.0f);
    KDrawShell* shell = MakeShell();
    EXPECT_EQ(shell->GetUiScale(), 1.0f);
}

TEST_F(ClientSettings, UiScaleWithoutTheFile) { EXPECT_EQ(ReadUiScale(), 1.0f); }

TEST_F(ClientSettings, SceneBrightnessFromTheFile) {
    const struct {
        const char* text;
        float value;
    } cases[] = {{"0", 1.0f},   {"1.5", 1.0f}, {"0.3", 0.3f}, {"-2", 1.0f},
                 {"nan", 1.0f}, {"inf", 1.0f}, {"1", 1.0f},   {"abc", 1.0f}};
    for (const auto& c : cases) {
        WriteDataFile("settings/game.ini", std::string("[scale]\nscenebright=") + c.text + "\n");
        SetSceneBrightness(0.7f);
        LoadDebugAndBrightness();
        EXPECT_FLOAT_EQ(GetSceneBrightness(), c.value) << c.text;
    }
}

TEST_F(ClientSettings, SceneBrightnessSlots) {
    KDrawShell* shell = MakeShell();
    EXPECT_EQ(shell->GetSceneBright(), 1.0f);
    shell->SetSceneBright(0.25f);
    EXPECT_EQ(shell->GetSceneBright(), 0.25f);
    shell->SetSceneBright(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(shell->GetSceneBright(), 1.0f);
    shell->SetSceneBright(std::numeric_limits<float>::infinity());
    EXPECT_EQ(shell->GetSceneBright(), 1.0f);
}

TEST_F(ClientSettings, CoolSettingsWithAndWithoutTheFile) {
    KDrawShell* shell = MakeShell();
    shell->LoadCoolSettings();
    EXPECT_EQ(g_CoolSettings.interval, 0);
    EXPECT_EQ(g_CoolSettings.texture, nullptr);
    WriteDataFile("settings/gamesetting.ini", "[Cool]\nInterval=40\nLimitNum=12\nWidth=8\nHeight=90\nTexture=a.dds\n");
    shell->LoadCoolSettings();
    EXPECT_EQ(g_CoolSettings.interval, 40);
    EXPECT_EQ(g_CoolSettings.limitNum, 12);
    EXPECT_EQ(g_CoolSettings.width, 8);
    EXPECT_EQ(g_CoolSettings.height, 90);
}

TEST_F(ClientSettings, CoolTrailTextureIsTheNamedFileWithoutAFolder) {
    const std::vector<uint8_t> grey(4 * 4 * 3, 128);
    WriteDataFile("fx/Trail.jpg", EncodeJpeg(grey, 4, 4));
    WriteDataFile("Bare.jpg", EncodeJpeg(grey, 4, 4));
    const struct {
        const char* setting;
        const char* record;
    } cases[] = {{"fx\\Trail.jpg", "fx\\trail.jpg"}, {"Bare.jpg", "bare.jpg"}};
    KDrawShell* shell = MakeCreatedShell();
    for (const auto& c : cases) {
        WriteDataFile("settings/gamesetting.ini", std::string("[Cool]\nTexture=") + c.setting + "\n");
        shell->LoadCoolSettings();
        const auto* record = static_cast<const KTextureRecord*>(g_CoolSettings.texture);
        ASSERT_NE(record, nullptr) << c.setting;
        EXPECT_STREQ(record->name, c.record);
        EXPECT_EQ(record->keep, 0);
        EXPECT_EQ(record->loaded, 1) << c.setting;
    }
    // The shell gives the texture back when it goes.
    ReleaseShell();
    EXPECT_EQ(g_CoolSettings.texture, nullptr);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
}

}  // namespace
}  // namespace shell_test
