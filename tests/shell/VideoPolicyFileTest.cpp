// "settings\VideoPolicy.ini" and "Logs\Configure.ini".
#include <gtest/gtest.h>

#include <filesystem>

#include "ShellTestSupport.h"
#include "shell/VideoPolicy.h"

namespace {

using shell_test::IniSectionEntries;
using Entries = std::vector<std::pair<std::string, std::string>>;

class VideoPolicyFile : public shell_test::ShellTest {};

TEST_F(VideoPolicyFile, WithoutThePolicyFileEverythingKeepsItsValue) {
    ApplyVideoPolicyFile(0x2000000);
    EXPECT_EQ(g_VideoPolicy.BackRefresh, 0);
    EXPECT_EQ(g_TexMemThreshold, 20971520u);
    EXPECT_EQ(g_TexMemTarget, 41943040u);
}

TEST_F(VideoPolicyFile, TierKeysChosenByTextureMemory) {
    WriteDataFile("settings/VideoPolicy.ini",
                  "[VIDEO_POLICY]\nBackRefresh=48\n16_1=1\n16_2=2\n32_1=3\n32_2=4\n64_1=5\n64_2=6\n"
                  "128_1=7\n128_2=8\n192_1=9\n192_2=10\n");
    const struct {
        uint32_t bytes;
        uint32_t threshold, target;
    } cases[] = {{0x2000000 - 1, 1, 2}, {0x2000000, 3, 4}, {0x4000000, 5, 6},
                 {0x8000000, 7, 8},     {236716031, 7, 8}, {236716032, 9, 10}};
    for (const auto& c : cases) {
        ApplyVideoPolicyFile(c.bytes);
        EXPECT_EQ(g_TexMemThreshold, c.threshold) << c.bytes;
        EXPECT_EQ(g_TexMemTarget, c.target) << c.bytes;
        EXPECT_EQ(g_VideoPolicy.BackRefresh, 48);
    }
}

TEST_F(VideoPolicyFile, MissingKeysTakeTheTierDefaultsAndTwentyMegabytes) {
    WriteDataFile("settings/VideoPolicy.ini", "[VIDEO_POLICY]\n64_2=12345\n");
    ApplyVideoPolicyFile(0x4000000);
    EXPECT_EQ(g_VideoPolicy.BackRefresh, 20);
    EXPECT_EQ(g_TexMemThreshold, 20971520u);
    EXPECT_EQ(g_TexMemTarget, 12345u);
}

TEST_F(VideoPolicyFile, FirstRunWritesTheSevenKeysInOrder) {
    const struct {
        int32_t videoMemory;
        const char* force32;
    } cases[] = {{128, "0"}, {129, "1"}};
    for (const auto& c : cases) {
        KVideoPolicy policy{};
        policy.VideoCardType = 3;
        policy.VideoMemory = c.videoMemory;
        policy.IsDesktop32BitColor = 1;
        ASSERT_TRUE(LoadOrWriteConfigureFile(policy));
        const Entries expected = {{"VideoCardType", "3"},       {"VideoMemory", std::to_string(c.videoMemory)},
                                  {"IsDesktop32BitColor", "1"}, {"Billboard_High", "40"},
                                  {"Billboard_Low", "20"},      {"Force32BitScene", c.force32},
                                  {"AnimationDelay", "500"}};
        EXPECT_EQ(IniSectionEntries(ReadDataFile("Logs/Configure.ini"), "CONFIGURE"), expected);
        EXPECT_EQ(policy.Billboard_High, 40);
        EXPECT_EQ(policy.Billboard_Low, 20);
        EXPECT_EQ(policy.AnimationDelay, 500);
        EXPECT_EQ(policy.Force32BitScene, c.videoMemory > 128 ? 1 : 0);
        std::filesystem::remove(m_root + "/Logs/Configure.ini");
    }
}

TEST_F(VideoPolicyFile, LaterRunsReadTheTunablesAndIgnoreTheMachineKeys) {
    const std::string text =
        "[CONFIGURE]\nVideoCardType=5\nVideoMemory=999\nIsDesktop32BitColor=0\nBillboard_High=70\n"
        "Billboard_Low=30\nForce32BitScene=0\nAnimationDelay=250\n";
    WriteDataFile("Logs/Configure.ini", text);
    KVideoPolicy policy{};
    policy.VideoCardType = 2;
    policy.VideoMemory = 256;
    policy.IsDesktop32BitColor = 1;
    ASSERT_TRUE(LoadOrWriteConfigureFile(policy));
    EXPECT_EQ(policy.VideoCardType, 2);
    EXPECT_EQ(policy.VideoMemory, 256);
    EXPECT_EQ(policy.IsDesktop32BitColor, 1);
    EXPECT_EQ(policy.Billboard_High, 70);
    EXPECT_EQ(policy.Billboard_Low, 30);
    EXPECT_EQ(policy.Force32BitScene, 0);
    EXPECT_EQ(policy.AnimationDelay, 250);
    EXPECT_EQ(ReadDataFile("Logs/Configure.ini"), text);  // untouched
}

TEST_F(VideoPolicyFile, AMissingTunableGetsItsDefaultAndTheFileIsRewritten) {
    WriteDataFile("Logs/Configure.ini", "[CONFIGURE]\nBillboard_High=70\nBillboard_Low=30\nForce32BitScene=0\n");
    KVideoPolicy policy{};
    policy.VideoCardType = 1;
    policy.VideoMemory = 200;
    policy.IsDesktop32BitColor = 1;
    ASSERT_TRUE(LoadOrWriteConfigureFile(policy));
    EXPECT_EQ(policy.Billboard_High, 70);
    EXPECT_EQ(policy.Force32BitScene, 0);
    EXPECT_EQ(policy.AnimationDelay, 500);
    const Entries expected = {{"VideoCardType", "1"},   {"VideoMemory", "200"},  {"IsDesktop32BitColor", "1"},
                              {"Billboard_High", "70"}, {"Billboard_Low", "30"}, {"Force32BitScene", "0"},
                              {"AnimationDelay", "500"}};
    EXPECT_EQ(IniSectionEntries(ReadDataFile("Logs/Configure.ini"), "CONFIGURE"), expected);
}

TEST_F(VideoPolicyFile, AnUnwritableLogsFolderFailsTheFirstRun) {
    WriteDataFile("Logs", "a file where the folder should be");
    KVideoPolicy policy{};
    EXPECT_FALSE(LoadOrWriteConfigureFile(policy));
}

}  // namespace
