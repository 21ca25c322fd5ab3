// Runs lumiva-demo as a user would and checks the images it leaves: sizes,
// and pixels that only specific drawers put there.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/SceneSampleData.h"

namespace {

namespace fs = std::filesystem;

struct Png {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(uint32_t x, uint32_t y) const { return argb[size_t(y) * width + x]; }
};

Png ReadPng(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Png png;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return png;
    image.format = PNG_FORMAT_BGRA;  // little-endian words read as ARGB
    png.argb.resize(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, png.argb.data(), 0, nullptr)) return {};
    png.width = image.width;
    png.height = image.height;
    return png;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

class DemoRun : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("LUMIVA_TEST_TMP");
        fs::path root = base ? fs::path(base) : fs::temp_directory_path();
        fs::create_directories(root);
        std::string pattern = (root / "demo-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }
    // Exit status of the demo; its output lands in m_log.
    int Run(const std::string& arguments, const std::string& prefix = "") {
        const fs::path log = m_dir / "run.log";
        const std::string command =
            prefix + "'" + LUMIVA_DEMO_FILE + "' " + arguments + " >'" + log.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        const std::vector<uint8_t> bytes = ReadBytes(log);
        m_log.assign(bytes.begin(), bytes.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path Out() const { return m_dir / "out"; }

    fs::path m_dir;
    std::string m_log;
};

TEST_F(DemoRun, HeadlessRunWritesFramesAndScreenshots) {
    ASSERT_EQ(Run("--headless --scene 2d --frames 3 --out '" + Out().string() + "'"), 0) << m_log;
    EXPECT_NE(m_log.find("median frame time"), std::string::npos) << m_log;
    EXPECT_NE(m_log.find(Out().string()), std::string::npos) << m_log;

    const Png last = ReadPng(Out() / "frame-0002.png");
    ASSERT_EQ(last.width, 800u);
    ASSERT_EQ(last.height, 600u);
    // Pixels only one drawer puts there: the health bar's fill (a bar
    // record), the portrait's gold corner frame and the cyan line over the
    // chat panel (line records).
    EXPECT_EQ(last.At(20, 44), 0xFFC03020u);
    EXPECT_EQ(last.At(8, 30), 0xFFC8A860u);
    EXPECT_EQ(last.At(100, 600 - 176), 0xFF40E0E0u);
    // Gem sprites at their centres (picture records): the gold SPR gem is
    // red over blue, the blue SDS2 gem blue over red, against a sky whose
    // blue leads its red.
    auto red = [](uint32_t c) { return (c >> 16) & 0xFF; };
    auto blue = [](uint32_t c) { return c & 0xFF; };
    const uint32_t gold = last.At(280, 150), sapphire = last.At(340, 150), sky150 = last.At(250, 150);
    EXPECT_GT(red(gold), blue(gold) + 0x40) << std::hex << gold;
    EXPECT_GT(blue(sapphire), red(sapphire) + 0x40) << std::hex << sapphire;
    EXPECT_GT(blue(sky150), red(sky150)) << std::hex << sky150;
    // The backdrop: a blue-violet sky above, green hills below.
    const uint32_t sky = last.At(400, 100), hill = last.At(620, 590);
    EXPECT_GT(sky & 0xFF, (sky >> 8) & 0xFF);
    EXPECT_GT((hill >> 8) & 0xFF, (hill >> 16) & 0xFF);
    // The chat panel blends its colour over the backdrop: neither is left whole.
    const uint32_t panel = last.At(200, 580);
    EXPECT_LT((panel >> 8) & 0xFF, (hill >> 8) & 0xFF);
    EXPECT_GT(panel & 0xFF, 0x30u);
    EXPECT_NE(panel & 0xFFFFFFu, 0x182848u) << std::hex << panel;

    // The shell's screenshots show the same frame.
    const std::vector<uint8_t> bmp = ReadBytes(Out() / "screenshot.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(Le32(bmp, 18), 800u);
    EXPECT_EQ(Le32(bmp, 22), 600u);
    const std::vector<uint8_t> jpeg = ReadBytes(Out() / "screenshot.jpg");
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
}

TEST_F(DemoRun, TextLandsInTheChatPanelAndTheFpsLine) {
    ASSERT_EQ(Run("--headless --scene 2d --frames 2 --out '" + Out().string() + "'"), 0) << m_log;
    const Png frame = ReadPng(Out() / "frame-0001.png");
    ASSERT_EQ(frame.width, 800u);
    // Near-white glyph pixels exist where the chat text and the FPS line are drawn, not elsewhere in the sky.
    auto whiteIn = [&](uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) {
        int count = 0;
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x)
                if ((frame.At(x, y) & 0xF0F0F0u) == 0xF0F0F0u) ++count;
        return count;
    };
    EXPECT_GT(whiteIn(16, 440, 120, 460), 5);
    EXPECT_GT(whiteIn(640, 118, 720, 140), 5);
    EXPECT_EQ(whiteIn(300, 200, 500, 260), 0);
    // Glyphs advance: the pale-yellow name line reaches its "42" at the
    // right, not only its first cell.
    int nameRight = 0;
    for (uint32_t y = 16; y < 34; ++y)
        for (uint32_t x = 90; x < 130; ++x)
            if (((frame.At(x, y) >> 16) & 0xFF) > 0xC0 && ((frame.At(x, y) >> 8) & 0xFF) > 0xC0) ++nameRight;
    EXPECT_GT(nameRight, 5);
}

// The bitmap-font line at the bottom right counts the frames in letters
// drawn from a real face: "Frame 0" then "Frame 1", 12 pixels a character.
TEST_F(DemoRun, BitmapFontLineCountsTheFrames) {
    ASSERT_EQ(Run("--headless --scene 2d --frames 2 --out '" + Out().string() + "'"), 0) << m_log;
    const Png first = ReadPng(Out() / "frame-0000.png");
    const Png second = ReadPng(Out() / "frame-0001.png");
    ASSERT_EQ(first.width, 800u);
    ASSERT_EQ(second.width, 800u);
    const uint32_t right = 800 - 16, left = right - 7 * 12, top = 600 - 30;
    auto white = [](const Png& png, uint32_t x0, uint32_t x1) {
        int count = 0;
        for (uint32_t y = top; y < top + 12; ++y)
            for (uint32_t x = x0; x < x1; ++x) count += (png.At(x, y) & 0xE0E0E0u) == 0xE0E0E0u;
        return count;
    };
    // Every letter of "Frame" leaves ink in its cell; the space does not.
    for (uint32_t cell = 0; cell < 5; ++cell) EXPECT_GT(white(first, left + cell * 12, left + cell * 12 + 12), 4) << cell;
    EXPECT_EQ(white(first, left + 5 * 12, left + 6 * 12), 0);
    // Only the digit changes from one frame to the next.
    auto sameCell = [&](uint32_t x0) {
        for (uint32_t y = top; y < top + 12; ++y)
            for (uint32_t x = x0; x < x0 + 12; ++x)
                if (first.At(x, y) != second.At(x, y)) return false;
        return true;
    };
    EXPECT_TRUE(sameCell(left));
    EXPECT_FALSE(sameCell(right - 12));
}

bool IsArrowHead(uint32_t c) { return ((c >> 16) & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) < 0x60 && (c & 0xFF) < 0x60; }

// The arrows move with the frame number: the turned one makes a full circle
// in 60 frames (a quarter by frame 15), the stretched one grows from its own
// width at frame 0 to one and a half times it at frame 15.
TEST_F(DemoRun, ArrowsTurnAndStretchFrameByFrame) {
    ASSERT_EQ(Run("--headless --scene 2d --frames 16 --out '" + Out().string() + "'"), 0) << m_log;
    const Png first = ReadPng(Out() / "frame-0000.png");
    const Png last = ReadPng(Out() / "frame-0015.png");
    ASSERT_EQ(first.width, 800u);
    ASSERT_EQ(last.width, 800u);
    struct Probe {
        const Png& frame;
        uint32_t x, y;
        bool head;
    };
    const Probe probes[] = {
        {first, 322, 330, true},  {first, 300, 352, false},  // pointing right
        {last, 322, 330, false},  {last, 300, 352, true},    // pointing down
        {first, 450, 330, true},  {first, 475, 330, false},  // 64 wide
        {last, 450, 330, false},  {last, 475, 330, true},    // 96 wide
    };
    for (const Probe& p : probes)
        EXPECT_EQ(IsArrowHead(p.frame.At(p.x, p.y)), p.head)
            << (&p.frame == &first ? "frame 0" : "frame 15") << " at " << p.x << "," << p.y << ": " << std::hex
            << p.frame.At(p.x, p.y);
    // Blend mode 3 doubles the blue gem's colour.
    auto sum = [](uint32_t c) { return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF); };
    EXPECT_GT(sum(first.At(580, 150)), sum(first.At(340, 150)) + 0x60)
        << std::hex << first.At(580, 150) << " vs " << first.At(340, 150);
}

// The team line's control codes: "north gate" in green, "dusk" underlined
// in orange, the rest in the line's own pale blue.
TEST_F(DemoRun, ControlCodesColourAndUnderlineTheTeamLine) {
    ASSERT_EQ(Run("--headless --scene 2d --frames 1 --out '" + Out().string() + "'"), 0) << m_log;
    const Png frame = ReadPng(Out() / "frame-0000.png");
    ASSERT_EQ(frame.width, 800u);
    auto count = [&](uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1, auto&& matches) {
        int n = 0;
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x) n += matches(frame.At(x, y));
        return n;
    };
    auto green = [](uint32_t c) { return ((c >> 8) & 0xFF) > 0xE0 && ((c >> 16) & 0xFF) < 0x60; };
    auto orange = [](uint32_t c) { return (c & 0xFFFFFFu) == 0xFFC040u; };
    const uint32_t top = 600 - 140;
    EXPECT_GT(count(168, 256, top, top + 18, green), 20);  // "north gate"
    EXPECT_EQ(count(16, 160, top, top + 18, green), 0);    // "[Team] Meet at the"
    EXPECT_GE(count(280, 316, top, top + 20, orange), 28);  // the underline under "dusk"
    EXPECT_EQ(count(16, 270, top, top + 20, orange), 0);
}

TEST_F(DemoRun, LargeWindowSize) {
    ASSERT_EQ(Run("--headless --scene 2d --frames 1 --size 1024x768 --out '" + Out().string() + "'"), 0) << m_log;
    const Png frame = ReadPng(Out() / "frame-0000.png");
    EXPECT_EQ(frame.width, 1024u);
    EXPECT_EQ(frame.height, 768u);
    // The demo asks the shell for its large screen, so the screen is laid out
    // on a 1024 x 768 back buffer, not stretched from 800 x 600: the cyan
    // line over the chat panel is near the bottom and keeps its 360 pixels
    // (stretched, it would reach past x = 460).
    auto cyanIn = [&](uint32_t x0, uint32_t x1) {
        int cyan = 0;
        for (uint32_t y = 500; y < 600; ++y)
            for (uint32_t x = x0; x < x1; ++x) {
                const uint32_t c = frame.At(x, y);
                cyan += ((c >> 16) & 0xFF) < 0x60 && ((c >> 8) & 0xFF) > 0xC0 && (c & 0xFF) > 0xC0;
            }
        return cyan;
    };
    EXPECT_GT(cyanIn(20, 360), 200);
    EXPECT_EQ(cyanIn(380, 480), 0);
}

// Under a fixed step nothing of the frames comes from the machine: two runs
// of the whole scene leave the same bytes, whatever else the machine did
// meanwhile.
TEST_F(DemoRun, AFixedStepDrawsTheSameFramesEveryRun) {
    std::vector<uint8_t> runs[2];
    for (int run = 0; run < 2; ++run) {
        const fs::path out = m_dir / ("run" + std::to_string(run));
        ASSERT_EQ(Run("--headless --frames 4 --step-ms 33 --out '" + out.string() + "'"), 0) << m_log;
        EXPECT_NE(m_log.find("the module's clock steps 33 ms a frame"), std::string::npos) << m_log;
        runs[run] = ReadBytes(out / "frame-0003.png");
    }
    ASSERT_FALSE(runs[0].empty());
    EXPECT_TRUE(runs[0] == runs[1]);
}

TEST_F(DemoRun, BadInputsFailWithAClearMessage) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"--data '" + (m_dir / "missing").string() + "'", "is not a demo data folder"},
        {"--module '" + (m_dir / "missing.so").string() + "'", "cannot load"},
        {"--size 640x480", "--size is 800x600 or 1024x768"},
        {"--frames 0", "--frames wants"},
        {"--step-ms 0", "--step-ms wants 1 to 1000"},
        {"--step-ms 33ms", "--step-ms wants 1 to 1000"},
        {"--bogus", "unknown option"},
        {"--scene 3d", "--scene is whole or 2d"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(Run("--headless --scene 2d --frames 1 --out '" + Out().string() + "' " + c.arguments), 0) << c.arguments;
        EXPECT_NE(m_log.find(c.message), std::string::npos) << c.arguments << ": " << m_log;
    }
}

// The whole scene, run once for the tests below: 12 frames, rain from
// frame 3, asked to stop at frame 6 and gone by frame 11. The focus walks right along the top of its loop, from world x
// 6888 (region 13) to 7284 (region 14), 36 units a frame; the view follows
// it, so the focus is the screen's centre. The module's clock steps 33 ms a
// frame and each frame waits for the regions the place asked for, so the
// frames are the same on any machine, however loaded.
// Under CTest one run serves every test process: the fixture DemoSceneRun
// (cmake/RunDemoScene.cmake) leaves its frames, log and exit status in the
// folder LUMIVA_DEMO_SCENE_DIR names. Run by hand, the suite runs the demo itself.
class DemoScene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (const char* shared = std::getenv("LUMIVA_DEMO_SCENE_DIR")) {
            ReadRun(shared, ReadStatus(fs::path(shared) / "status"));
            return;
        }
        const char* base = std::getenv("LUMIVA_TEST_TMP");
        const fs::path root = base ? fs::path(base) : fs::temp_directory_path();
        fs::create_directories(root);
        std::string pattern = (root / "demo-scene-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        s_ownDir = new fs::path(pattern);
        const fs::path log = *s_ownDir / "run.log";
        const std::string command = "'" + std::string(LUMIVA_DEMO_FILE) + "' --headless --frames 12 --step-ms 33 --out '" +
                                    (*s_ownDir / "out").string() + "' >'" + log.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        ReadRun(*s_ownDir, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    static void TearDownTestSuite() {
        std::error_code error;
        if (s_ownDir) fs::remove_all(*s_ownDir, error);
        delete s_ownDir;
        delete s_log;
        delete s_frames;
        s_ownDir = nullptr;
        s_log = nullptr;
        s_frames = nullptr;
    }
    // The exit status the fixture wrote, or -1 when it wrote none.
    static int ReadStatus(const fs::path& path) {
        const std::vector<uint8_t> bytes = ReadBytes(path);
        const std::string text(bytes.begin(), bytes.end());
        return text.empty() ? -1 : std::atoi(text.c_str());
    }
    // The run's log and frames 0, 6 and 11 from dir.
    static void ReadRun(const fs::path& dir, int status) {
        s_status = status;
        const std::vector<uint8_t> bytes = ReadBytes(dir / "run.log");
        s_log = new std::string(bytes.begin(), bytes.end());
        s_frames = new std::vector<Png>;
        for (const char* name : {"frame-0000.png", "frame-0006.png", "frame-0011.png"})
            s_frames->push_back(ReadPng(dir / "out" / name));
    }
    void SetUp() override {
        // Everything is given back before the shell's Release (the sanitizer
        // tree runs this too, where a leak fails the run).
        ASSERT_EQ(s_status, 0) << *s_log;
        for (const Png& frame : *s_frames) ASSERT_EQ(frame.width, 800u) << *s_log;
    }
    // Frames 0, 6 and 11 and where the focus stood in them.
    static const Png& Frame(size_t i) { return (*s_frames)[i]; }
    static constexpr int kFocusX[3] = {6888, 7104, 7284};
    // Regions 13 and 14 meet at world x 7168.
    static constexpr int kSeamX = 7168;

    static fs::path* s_ownDir;
    static std::string* s_log;
    static std::vector<Png>* s_frames;
    static int s_status;
};

fs::path* DemoScene::s_ownDir = nullptr;
std::string* DemoScene::s_log = nullptr;
std::vector<Png>* DemoScene::s_frames = nullptr;
int DemoScene::s_status = -1;

uint32_t Red(uint32_t c) { return (c >> 16) & 0xFF; }
uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }
uint32_t Blue(uint32_t c) { return c & 0xFF; }
uint32_t Sum(uint32_t c) { return Red(c) + Green(c) + Blue(c); }

// The view follows the walking figure, so it stands in the middle of every
// frame in its own blue (0x3870E0, drawn unlit), which nothing else in the
// scene has; its pose and heading change as it walks, so the pixels where it
// stands differ from frame to frame.
TEST_F(DemoScene, TheWalkingFigureIsDrawnInTheMiddleOfEveryFrame) {
    // The place's loader read at least the 3 x 3 regions around the focus.
    const size_t streamed = s_log->find("regions streamed: ");
    ASSERT_NE(streamed, std::string::npos) << *s_log;
    EXPECT_GE(std::atoi(s_log->c_str() + streamed + 18), 9) << *s_log;
    EXPECT_NE(s_log->find("with the device's \"no raster\" switch (12 frames)"), std::string::npos) << *s_log;
    auto walkerBlue = [](uint32_t c) {
        auto near = [](uint32_t value, uint32_t want) { return value + 0x10 >= want && value <= want + 0x10; };
        return near(Red(c), 0x38) && near(Green(c), 0x70) && near(Blue(c), 0xE0);
    };
    const uint32_t x0 = 340, x1 = 460, y0 = 160, y1 = 340;
    for (size_t i = 0; i < 3; ++i) {
        int blue = 0, blueOutside = 0;
        for (uint32_t y = 0; y < 400; ++y)
            for (uint32_t x = 240; x < 640; ++x) {
                const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
                (inside ? blue : blueOutside) += walkerBlue(Frame(i).At(x, y));
            }
        EXPECT_GT(blue, 300) << "kept frame " << i;
        EXPECT_LT(blueOutside, blue / 10) << "kept frame " << i;
    }
    for (size_t i = 1; i < 3; ++i) {
        int differing = 0;
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x) differing += Frame(i).At(x, y) != Frame(i - 1).At(x, y);
        EXPECT_GT(differing, 100) << "kept frame " << i;
    }
}

// Each region's ground picture has a light seam along its edges and a tint
// of its own. The seam between regions 13 and 14 stands where the walk puts
// it on screen (right of the focus in frame 0, left of it in frame 11), and
// the ground on either side of it carries its region's tint: region 14's
// ground is redder. Objects stand here and there, so the tests take the
// majority of a band of rows above the figure.
TEST_F(DemoScene, TheGroundUnderTheFocusChangesAsRegionsStream) {
    auto seamLike = [](uint32_t c) {
        return Red(c) > 120 && Green(c) > 120 && Blue(c) > 100 && Red(c) + 8 > Green(c) && Green(c) + 8 > Red(c);
    };
    constexpr uint32_t top = 40, bottom = 110;
    for (size_t i = 0; i < 3; ++i) {
        const int expected = 400 + kSeamX - kFocusX[i];
        int best = -1, bestCount = 0;
        for (uint32_t x = 240; x < 760; ++x) {
            int count = 0;
            for (uint32_t y = top; y < bottom; ++y) count += seamLike(Frame(i).At(x, y));
            if (count > bestCount) best = int(x), bestCount = count;
        }
        EXPECT_GT(bestCount, int(bottom - top) / 3) << "kept frame " << i;
        EXPECT_NEAR(best, expected, 8) << "kept frame " << i;
        // Median red of the ground 20 to 40 pixels either side of the seam.
        auto medianRed = [&](int from, int to) {
            std::vector<uint32_t> reds;
            for (uint32_t y = top; y < bottom; ++y)
                for (int x = from; x < to; ++x) reds.push_back(Red(Frame(i).At(uint32_t(x), y)));
            std::nth_element(reds.begin(), reds.begin() + ptrdiff_t(reds.size() / 2), reds.end());
            return reds[reds.size() / 2];
        };
        const uint32_t left = medianRed(expected - 40, expected - 20), right = medianRed(expected + 20, expected + 40);
        EXPECT_GT(right, left + 0x10) << "kept frame " << i << ": region 13 " << left << ", region 14 " << right;
        EXPECT_GT(left, 0x20u) << "kept frame " << i << ": the ground is drawn";
    }
}

// Rain starts a quarter of the way through (frame 3): by frame 6, when the
// demo asks the place to stop it, thin bright streaks cover the scene,
// which frame 0 does not have. The stop brightens the light back as many
// frames as the rain darkened it and then the rain finishes: frame 11 has
// no streaks left.
TEST_F(DemoScene, RainStartsAndStops) {
    EXPECT_NE(s_log->find("rain from frame 3, asked to stop at frame 6"), std::string::npos) << *s_log;
    // Below the portrait and left of the mini-map, whose 1-pixel grid lines
    // and text would count too.
    auto streaks = [](const Png& frame) {
        int count = 0;
        for (uint32_t y = 80; y < 420; ++y)
            for (uint32_t x = 1; x < 640; ++x) {
                const uint32_t here = Sum(frame.At(x, y));
                count += here > Sum(frame.At(x - 1, y)) + 60 && here > Sum(frame.At(x + 1, y)) + 60;
            }
        return count;
    };
    const int before = streaks(Frame(0)), during = streaks(Frame(1)), after = streaks(Frame(2));
    EXPECT_GT(during, 5 * before) << before << " then " << during;
    EXPECT_GT(during - before, 500) << before << " then " << during;
    EXPECT_GT(during, 5 * after) << during << " then " << after;
    EXPECT_LT(after, before + 10) << before << " at the start, " << after << " at the end";
}

// Where the gap of region column `column`'s ground picture stands on screen
// in a kept frame: the regions of row 13 hold the focus's rows.
struct ScreenEllipse {
    double x, y, rx, ry;
    // Distance from the centre in radii: 1 on the edge.
    double Reach(uint32_t px, uint32_t py) const {
        const double dx = (px + 0.5 - x) / rx, dy = (py + 0.5 - y) / ry;
        return std::sqrt(dx * dx + dy * dy);
    }
};

ScreenEllipse GroundGapOnScreen(int column, int focusX) {
    using namespace scene_data;
    constexpr int kFocusY = (kRegionTop + 4) * kRegionHeight - 300;  // the loop's top side
    constexpr int kRow = 13;
    const double x = 400.0 + column * kRegionWidth + kGroundGap.centreX - focusX;
    const double y = 300.0 + (kRow * kRegionHeight + 2.0 * kGroundGap.centreY - kFocusY) / 2.0;
    return {x, y, double(kGroundGap.radiusX), double(kGroundGap.radiusY)};
}

bool SkyLike(uint32_t c) { return Green(c) < 0x60 && Blue(c) > Green(c) + 0x30; }
bool CloudLike(uint32_t c) { return Red(c) > 0xB0 && Green(c) > 0xB0 && Blue(c) > 0xC0 && Blue(c) + 8 >= Red(c); }

// Parts of the screen the figures and the 2D screen cover.
bool Covered(uint32_t x, uint32_t y) {
    const bool walker = x >= 330 && x < 470 && y >= 150 && y < 350;
    const bool portrait = x < 240 && y < 80;
    const bool miniMap = x >= 640 && y >= 110 && y < 310;  // with the FPS lines above it
    return walker || portrait || miniMap;
}

// Every region's ground has a gap through which what the place paints under
// the ground shows: the type 1 background, a dusk sky whose green stays low
// under a blue lead, which neither the ground nor anything drawn on it has.
// The gaps move with the ground, so the sky is where the gaps are in each
// frame and not on the ground around them.
TEST_F(DemoScene, TheBackgroundShowsThroughTheGapsInTheGround) {
    int gapsSeen = 0, allInside = 0, allSky = 0;
    for (size_t i = 0; i < 3; ++i) {
        for (int column = 12; column <= 15; ++column) {
            const ScreenEllipse gap = GroundGapOnScreen(column, kFocusX[i]);
            if (gap.x < 40 || gap.x > 760) continue;
            int inside = 0, skyInside = 0, underInside = 0, around = 0, skyAround = 0;
            const uint32_t top = uint32_t(std::max(0.0, gap.y - 2 * gap.ry)), left = uint32_t(std::max(0.0, gap.x - 2 * gap.rx));
            for (uint32_t y = top; y < uint32_t(gap.y + 2 * gap.ry); ++y)
                for (uint32_t x = left; x < uint32_t(gap.x + 2 * gap.rx); ++x) {
                    if (x >= 800 || y >= 600 || Covered(x, y)) continue;
                    const double reach = gap.Reach(x, y);
                    const uint32_t c = Frame(i).At(x, y);
                    const bool sky = SkyLike(c);
                    if (reach < 0.8) ++inside, skyInside += sky, underInside += sky || CloudLike(c);
                    if (reach > 1.2 && reach < 1.5) ++around, skyAround += sky;
                }
            ++gapsSeen, allInside += inside, allSky += skyInside;
            // Clouds drift across the sky here and there.
            EXPECT_GT(underInside * 10, inside * 9) << "kept frame " << i << ", column " << column;
            EXPECT_LT(skyAround * 10, around) << "kept frame " << i << ", column " << column;
        }
    }
    EXPECT_EQ(gapsSeen, 4);
    EXPECT_GT(allSky * 2, allInside);
}

// The clouds drift under the ground (the type 3 layer is painted before
// it), so they show only in its gaps: pale patches inside the gaps of the
// kept frames, hardly any such pixels on the ground around them (effects
// pass there). Where they stand comes from the module's random source; 600
// small clouds leave no gap empty for long.
TEST_F(DemoScene, DriftingCloudsShowInTheGapsOnly) {
    int inGaps = 0, aroundGaps = 0;
    for (size_t i = 0; i < 3; ++i)
        for (int column = 12; column <= 15; ++column) {
            const ScreenEllipse gap = GroundGapOnScreen(column, kFocusX[i]);
            for (uint32_t y = 0; y < 600; ++y)
                for (uint32_t x = 0; x < 800; ++x) {
                    if (Covered(x, y) || !CloudLike(Frame(i).At(x, y))) continue;
                    const double reach = gap.Reach(x, y);
                    if (reach < 0.95) ++inGaps;
                    if (reach > 1.2 && reach < 1.5) ++aroundGaps;
                }
        }
    EXPECT_GT(inGaps, 300);
    EXPECT_LT(aroundGaps * 10, inGaps) << inGaps << " in the gaps, " << aroundGaps << " around them";
}

bool LeafLike(uint32_t c) {
    return Red(c) >= 0xB0 && Red(c) <= 0xE0 && Green(c) >= 0x50 && Green(c) <= 0x90 && Blue(c) < 0x30 &&
           Red(c) >= Green(c) + 0x40;
}

// The leaves (type 2) fall over everything in screen pixels: they all start
// on the top row (the layer's fall clock starts with the first frame) and
// sink from frame to frame as the module's clock steps; in 363 ms none has
// fallen far enough to start again at the top.
TEST_F(DemoScene, FallingLeavesStartAtTheTopAndSink) {
    double meanY[3] = {};
    for (size_t i = 0; i < 3; ++i) {
        int leaves = 0;
        uint32_t lowest = 0;
        for (uint32_t y = 0; y < 430; ++y)
            for (uint32_t x = 240; x < 640; ++x)
                if (LeafLike(Frame(i).At(x, y))) ++leaves, meanY[i] += y, lowest = std::max(lowest, y);
        ASSERT_GT(leaves, 100) << "kept frame " << i;
        meanY[i] /= leaves;
        if (i == 0) {
            EXPECT_LT(lowest, 20u);
        }
    }
    EXPECT_GT(meanY[1], meanY[0]);
    EXPECT_GT(meanY[2], meanY[1]);
}

// The mini-map stands in its square at the top right (664, 180), 120 pixels
// a side, inside the 2D screen's gold frame. The map picture's region
// borders are light lines 32 pixels apart (16 world units a pixel); the
// map is centred on the focus, so they move left a pixel for every 16
// units the focus walks right: from 678 in frame 0 to 664.5 in frame 6
// (the next border, 760, is the one in view) and 653.25 in frame 11 (717).
TEST_F(DemoScene, TheMiniMapFollowsTheFocusInItsCorner) {
    constexpr int kBorderX[3] = {678, 760, 717};
    auto light = [](uint32_t c) { return Sum(c) > 0x1C0 && Red(c) > 0x70 && Green(c) > 0x70 && Blue(c) > 0x70; };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Frame(i).At(664, 240) & 0xFFFFFFu, 0xC8A860u) << "kept frame " << i;
        int best = -1, bestCount = 0;
        for (uint32_t x = 666; x < 782; ++x) {
            int count = 0;
            for (uint32_t y = 184; y < 296; ++y) count += light(Frame(i).At(x, y));
            if (count > bestCount) best = int(x), bestCount = count;
        }
        EXPECT_GT(bestCount, 50) << "kept frame " << i << " at " << best;
        EXPECT_EQ(best, kBorderX[i]) << "kept frame " << i;
        const double expected = 678.0 - (kFocusX[i] - kFocusX[0]) / 16.0;
        EXPECT_LT(std::abs(std::remainder(best - expected, 32.0)), 1.0) << "kept frame " << i;
    }
}

// The player (kind 6) is the place's object: the place paints it in its
// passes through the host's PaintObject, once a frame at least, and gives
// it the map's player light. The warm light brightens the ground around it:
// just below the figure's feet the ground is lit far more than 300 pixels
// to the right, where only the ambient light is left.
TEST_F(DemoScene, ThePlacePaintsThePlayerAndLightsTheGroundAroundIt) {
    const size_t line = s_log->find("the place painted the player ");
    ASSERT_NE(line, std::string::npos) << *s_log;
    EXPECT_GE(std::atoi(s_log->c_str() + line + 29), 12) << *s_log;
    for (size_t i = 1; i < 3; ++i) {
        auto meanSum = [&](uint32_t from, uint32_t to) {
            uint32_t total = 0, n = 0;
            for (uint32_t y = 316; y < 324; ++y)
                for (uint32_t x = from; x < to; ++x, ++n) total += Sum(Frame(i).At(x, y));
            return total / n;
        };
        const uint32_t near = meanSum(470, 500), far = meanSum(700, 740);
        EXPECT_GT(near * 10, far * 14) << "kept frame " << i << ": near " << near << ", far " << far;
    }
}

TEST_F(DemoRun, WindowUnderXvfbShowsTheFrontBuffer) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    // The display libraries keep allocations to process end; the headless runs check our leaks.
    ASSERT_EQ(Run("--frames 2 --out '" + Out().string() + "'",
                  "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" xvfb-run -a -s '-screen 0 1024x768x24' "),
              0)
        << m_log;
    ASSERT_NE(m_log.find("shown in a window"), std::string::npos) << m_log;
    const Png presented = ReadPng(Out() / "frame-0001.png");
    const Png shown = ReadPng(Out() / "window.png");
    ASSERT_EQ(shown.width, presented.width);
    ASSERT_EQ(shown.height, presented.height);
    size_t differing = 0;
    for (size_t i = 0; i < shown.argb.size(); ++i) differing += shown.argb[i] != presented.argb[i];
    EXPECT_EQ(differing, 0u);
}

}  // namespace
