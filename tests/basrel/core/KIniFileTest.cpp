#include <cstring>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "DebugLog.h"
#include "KIniFile.h"

namespace basrel_core_test {
namespace {

class KIniFileTest : public DataRootTest {
protected:
    // Loads text as "t.ini" through the data root.
    bool LoadText(KIniFile& ini, const std::string& text) {
        WriteHostFile("t.ini", text);
        return ini.Load("t.ini") != 0;
    }
};

TEST_F(KIniFileTest, SyntaxCommentsBlanksCaseAndRepeats) {
    KIniFile ini;
    ASSERT_TRUE(LoadText(ini,
                         "\xEF\xBB\xBF; leading comment\r\n"
                         "top = level\r\n"
                         "\r\n"
                         "  [ Client ]  \r\n"
                         "\t ShowDebugInfo =  1 \r\n"
                         "Name=first value\r\n"
                         "name=second value\r\n"
                         ";Hidden=1\r\n"
                         "Path = a=b\r\n"
                         "[scale]\n"
                         "scenebright=0.75\n"
                         "[CLIENT]\n"
                         "Extra=3\n"
                         "Name=third"));
    char text[64];
    EXPECT_TRUE(ini.GetString("client", "NAME", "d", text, sizeof text));
    EXPECT_STREQ(text, "first value");
    EXPECT_TRUE(ini.GetString("Client", "path", "d", text, sizeof text));
    EXPECT_STREQ(text, "a=b");
    EXPECT_FALSE(ini.GetString("Client", "Hidden", "d", text, sizeof text));
    EXPECT_STREQ(text, "d");
    EXPECT_TRUE(ini.GetString("", "top", "d", text, sizeof text));
    EXPECT_STREQ(text, "level");

    int value = -1;
    EXPECT_TRUE(ini.GetInteger("CLIENT", "showdebuginfo", 7, &value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(ini.GetInteger("client", "Extra", 7, &value));  // repeated section joins the first
    EXPECT_EQ(value, 3);
    float bright = 0;
    EXPECT_TRUE(ini.GetFloat("SCALE", "SceneBright", 1.0f, &bright));
    EXPECT_FLOAT_EQ(bright, 0.75f);
    EXPECT_TRUE(ini.IsSectionExist("scale"));
    EXPECT_FALSE(ini.IsSectionExist("missing"));
    EXPECT_FALSE(ini.IsSectionExist(nullptr));
}

TEST_F(KIniFileTest, PresentKeyWithEmptyValueIsPresent) {
    KIniFile ini;
    ASSERT_TRUE(LoadText(ini, "[S]\nEmpty=\nBlank =   \n"));
    char text[16] = "junk";
    EXPECT_TRUE(ini.GetString("S", "Empty", "default", text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(ini.GetString("S", "Blank", "default", text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(ini.GetString("S", "Missing", "default", text, sizeof text));
    EXPECT_STREQ(text, "default");
    EXPECT_FALSE(ini.GetString("S", "Missing", nullptr, text, sizeof text));
    EXPECT_STREQ(text, "");
    // Present but not a number: the default, and the caller learns it.
    int value = 0;
    EXPECT_FALSE(ini.GetInteger("S", "Empty", 42, &value));
    EXPECT_EQ(value, 42);
}

TEST_F(KIniFileTest, AbsentKeysLeaveTheDefault) {
    KIniFile ini;
    ASSERT_TRUE(LoadText(ini, "[MAIN]\nIsInDoor=1\n"));
    int value = 0;
    EXPECT_FALSE(ini.GetInteger("MAIN", "IsLight", -1, &value));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(ini.GetInteger("OTHER", "IsInDoor", 5, &value));
    EXPECT_EQ(value, 5);
    float f = 0;
    EXPECT_FALSE(ini.GetFloat("MAIN", "Scale", 2.5f, &f));
    EXPECT_EQ(f, 2.5f);
    int a = 11, b = 12;
    EXPECT_FALSE(ini.GetInteger2("MAIN", "MapLTRegionIndex", &a, &b));
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 12);
    RECT rect = {1, 2, 3, 4};
    EXPECT_FALSE(ini.GetRect("MAIN", "rect", &rect));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 4);
}

TEST_F(KIniFileTest, NumberForms) {
    KIniFile ini;
    ASSERT_TRUE(LoadText(ini,
                         "[N]\n"
                         "dec=-123\nplus=+7\nhex=0xFF00FF00\nmax=4294967295\nmin=-2147483648\n"
                         "over=4294967296\nunder=-2147483649\ntrail=12abc\nword=abc\n"
                         "f1=-1.5e2\nf2=.25\nfbad=1.5x\nfinf=1e60\n"
                         "pair= 3 , -4 \nthree=1,2,3\nhalf=1,\n"
                         "rect=255, 10,15 ,35\nshortrect=1,2,3\nlongrect=1,2,3,4,5\n"));
    struct IntCase {
        const char* key;
        bool present;
        int value;
    };
    const IntCase ints[] = {
        {"dec", true, -123},      {"plus", true, 7},       {"hex", true, int(0xFF00FF00u)},
        {"max", true, -1},        {"min", true, INT32_MIN}, {"over", false, 99},
        {"under", false, 99},     {"trail", false, 99},     {"word", false, 99},
    };
    for (const IntCase& c : ints) {
        int value = 0;
        EXPECT_EQ(ini.GetInteger("N", c.key, 99, &value) != 0, c.present) << c.key;
        EXPECT_EQ(value, c.value) << c.key;
    }
    float f = 0;
    EXPECT_TRUE(ini.GetFloat("N", "f1", 0, &f));
    EXPECT_FLOAT_EQ(f, -150.0f);
    EXPECT_TRUE(ini.GetFloat("N", "f2", 0, &f));
    EXPECT_FLOAT_EQ(f, 0.25f);
    EXPECT_FALSE(ini.GetFloat("N", "fbad", 3, &f));
    EXPECT_EQ(f, 3.0f);
    EXPECT_FALSE(ini.GetFloat("N", "finf", 3, &f));

    int a = 0, b = 0;
    EXPECT_TRUE(ini.GetInteger2("N", "pair", &a, &b));
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, -4);
    EXPECT_FALSE(ini.GetInteger2("N", "three", &a, &b));
    EXPECT_FALSE(ini.GetInteger2("N", "half", &a, &b));
    EXPECT_FALSE(ini.GetInteger2("N", "dec", &a, &b));
    EXPECT_EQ(a, 3);

    RECT rect = {};
    EXPECT_TRUE(ini.GetRect("N", "rect", &rect));
    EXPECT_EQ(rect.left, 255);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, 15);
    EXPECT_EQ(rect.bottom, 35);
    EXPECT_FALSE(ini.GetRect("N", "shortrect", &rect));
    EXPECT_FALSE(ini.GetRect("N", "longrect", &rect));
    EXPECT_EQ(rect.left, 255);
}

TEST_F(KIniFileTest, GetStringCutsAndTerminatesWithinSize) {
    KIniFile ini;
    ASSERT_TRUE(LoadText(ini, "[S]\nLong=abcdefghij\n"));
    char text[8];
    std::memset(text, 'x', sizeof text);
    EXPECT_TRUE(ini.GetString("S", "Long", "", text, 5));
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(text[5], 'x');  // nothing written past size
    EXPECT_TRUE(ini.GetString("S", "Long", "", text, 1));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(ini.GetString("S", "Long", "", nullptr, 0));  // presence alone
    // The default may be the caller's own buffer.
    std::strcpy(text, "self");
    EXPECT_FALSE(ini.GetString("S", "None", text, text, sizeof text));
    EXPECT_STREQ(text, "self");
}

TEST_F(KIniFileTest, MalformedFilesAreRefusedWithOneLogLine) {
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"unclosed section", "[Good]\nA=1\n[Broken\nB=2\n"},
        {"line without equals", "[S]\nA=1\njust words\n"},
        {"empty key", "[S]\n=value\n"},
        {"NUL byte", std::string("[S]\nA=1\0\n", 9)},
    };
    for (const Case& c : cases) {
        KIniFile ini;
        basrel::TakeCapturedLog();
        EXPECT_FALSE(LoadText(ini, c.text)) << c.name;
        EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u) << c.name;
        EXPECT_FALSE(ini.IsSectionExist("S")) << c.name;
        EXPECT_FALSE(ini.IsSectionExist("Good")) << c.name;
    }
}

TEST_F(KIniFileTest, LoadReplacesAndFailsEmpty) {
    KIniFile ini;
    ASSERT_TRUE(LoadText(ini, "[A]\nx=1\n"));
    EXPECT_FALSE(ini.Load("missing.ini"));
    EXPECT_FALSE(ini.IsSectionExist("A"));
    ASSERT_TRUE(LoadText(ini, "[B]\ny=2\n"));
    EXPECT_FALSE(ini.IsSectionExist("A"));
    ini.Clear();
    EXPECT_FALSE(ini.IsSectionExist("B"));
}

TEST_F(KIniFileTest, WriteAndSaveRoundTripUnderTheRoot) {
    KIniFile ini;
    EXPECT_FALSE(ini.Load("Logs\\Configure.ini"));
    ASSERT_TRUE(ini.WriteInteger("CONFIGURE", "VideoCardType", 3));
    ASSERT_TRUE(ini.WriteInteger("CONFIGURE", "VideoMemory", 128));
    ASSERT_TRUE(ini.WriteString("Other", "Name", "a b"));
    ASSERT_TRUE(ini.WriteInteger("configure", "videocardtype", -5));  // replaces, keeps spelling and place
    ASSERT_TRUE(ini.WriteFloat("Other", "Scale", 0.1f));
    ASSERT_TRUE(ini.Save("Logs\\Configure.ini"));
    EXPECT_EQ(ReadHostFile("Logs/Configure.ini"),
              "[CONFIGURE]\nVideoCardType=-5\nVideoMemory=128\n\n[Other]\nName=a b\nScale=0.100000001\n");

    KIniFile again;
    ASSERT_TRUE(again.Load("\\LOGS\\configure.INI"));
    int value = 0;
    EXPECT_TRUE(again.GetInteger("CONFIGURE", "VideoCardType", 0, &value));
    EXPECT_EQ(value, -5);
    float scale = 0;
    EXPECT_TRUE(again.GetFloat("Other", "Scale", 0, &scale));
    EXPECT_EQ(scale, 0.1f);
}

TEST_F(KIniFileTest, WritesTheSyntaxCannotHoldAreRefused) {
    KIniFile ini;
    EXPECT_FALSE(ini.WriteString("S", "a=b", "v"));
    EXPECT_FALSE(ini.WriteString("S", "", "v"));
    EXPECT_FALSE(ini.WriteString("S", ";c", "v"));
    EXPECT_FALSE(ini.WriteString("S", "k", "two\nlines"));
    EXPECT_FALSE(ini.WriteString("a]b", "k", "v"));
    EXPECT_FALSE(ini.WriteString(nullptr, "k", "v"));
    EXPECT_FALSE(ini.IsSectionExist("S"));
}

TEST_F(KIniFileTest, SaveRefusesPathsOutsideTheRoot) {
    KIniFile ini;
    ini.WriteInteger("S", "k", 1);
    basrel::TakeCapturedLog();
    EXPECT_FALSE(ini.Save("..\\escape.ini"));
    EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u);
}

}  // namespace
}  // namespace basrel_core_test
