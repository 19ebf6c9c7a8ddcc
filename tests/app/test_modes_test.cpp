// The screenshot, recording and movement-test runs as a user starts them.
// Each test runs its own copy of the program in a folder of its own under
// the build tree, so the settings file beside it is the test's alone: no run
// may rewrite it. The pictures stay there for review.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include <raylib.h>

#include "tests/app/game_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The lowest graphics level keeps the runs short; a save would write every key.
constexpr const char* kSettingsText = "mouseSens=5\ngraphics=2\n";
constexpr float kCanvasScale = 1.5f; // 1280x720 canvas on the 1920x1080 picture

struct RunResult {
    int exitCode = -1;
    std::vector<std::string> lines;
    std::string err;
};

std::set<std::string> filesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

Color canvasPixel(const Image& image, float x, float y) {
    return GetImageColor(image, (int)(x * kCanvasScale), (int)(y * kCanvasScale));
}

bool near(Color a, Color b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// A real picture: 1920x1080, every pixel opaque, and more than a few colours.
void expectFullPicture(const fs::path& png) {
    Image image = LoadImage(png.string().c_str());
    ASSERT_NE(image.data, nullptr) << png;
    ImageFormat(&image, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    EXPECT_EQ(image.width, 1920);
    EXPECT_EQ(image.height, 1080);
    const unsigned char* px = static_cast<const unsigned char*>(image.data);
    long translucent = 0;
    std::set<unsigned> colours;
    for (long i = 0; i < (long)image.width * image.height; ++i) {
        translucent += px[4 * i + 3] != 255;
        if (i % 997 == 0) colours.insert(px[4 * i] | px[4 * i + 1] << 8 | px[4 * i + 2] << 16);
    }
    EXPECT_EQ(translucent, 0) << png;
    EXPECT_GT(colours.size(), 200u) << png;
    UnloadImage(image);
}

class TestModes : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = prepareGameFolder(std::string("test_modes/") + test, kSettingsText);
        settingsTime = fs::last_write_time(dir / "korvalo_settings.cfg");
    }

    void TearDown() override {
        EXPECT_EQ(readTextFile(dir / "korvalo_settings.cfg"), kSettingsText) << "a test mode wrote the settings";
        EXPECT_EQ(fs::last_write_time(dir / "korvalo_settings.cfg"), settingsTime);
        fs::remove(dir / "korvalo"); // the pictures stay, the program copy goes
    }

    // Output paths are given inside the test's folder.
    std::string at(const std::string& relative) const { return (dir / relative).string(); }

    RunResult run(const std::vector<std::string>& args) {
        GameProcess game(dir, "run");
        RunResult r;
        if (!game.start(args)) return r;
        r.exitCode = waitForExit(game, 600s);
        std::istringstream out(game.out());
        for (std::string line; std::getline(out, line);) r.lines.push_back(line);
        r.err = game.err();
        return r;
    }

private:
    fs::file_time_type settingsTime;
};

} // namespace

TEST_F(TestModes, ShotOfOneFrameWritesExactlyThatFile) {
    fs::create_directories(dir / "out");
    ASSERT_EQ(run({"--shot", "title", "30", at("out/a.png")}).exitCode, 0);
    EXPECT_EQ(filesIn(dir / "out"), std::set<std::string>{"a.png"});
    expectFullPicture(dir / "out/a.png");
}

TEST_F(TestModes, ShotOfAnEmptySceneNameShowsTheTitleAndEnds) {
    // A name outside the scene table, the empty one too: the title screen,
    // hidden, saved at its frame and ended there.
    fs::create_directories(dir / "out");
    ASSERT_EQ(run({"--shot", "", "5", at("out/e.png")}).exitCode, 0);
    EXPECT_EQ(filesIn(dir / "out"), std::set<std::string>{"e.png"});
    expectFullPicture(dir / "out/e.png");
}

TEST_F(TestModes, ShotOfTwoFramesNamesEachByItsNumber) {
    fs::create_directories(dir / "out");
    ASSERT_EQ(run({"--shot", "title", "30,40", at("out/b")}).exitCode, 0);
    EXPECT_EQ(filesIn(dir / "out"), (std::set<std::string>{"b_30.png", "b_40.png"}));
}

TEST_F(TestModes, RecordingMakesItsFolderAndTwoRunsGiveTheSamePictures) {
    ASSERT_EQ(run({"--record", "game", "10", "20", at("out/first")}).exitCode, 0);
    ASSERT_EQ(run({"--record", "game", "10", "20", at("out/second")}).exitCode, 0);
    const std::set<std::string> frames = {"f_00000.png", "f_00001.png", "f_00002.png",
                                          "f_00003.png", "f_00004.png", "f_00005.png"};
    ASSERT_EQ(filesIn(dir / "out/first"), frames);
    ASSERT_EQ(filesIn(dir / "out/second"), frames);
    for (const std::string& f : frames)
        EXPECT_TRUE(readTextFile(dir / "out/first" / f) == readTextFile(dir / "out/second" / f)) << f;
    expectFullPicture(dir / "out/first/f_00005.png");
}

TEST_F(TestModes, PauseSceneEndsOnThePauseOverlay) {
    ASSERT_EQ(run({"--shot", "pause", "60", at("x.png")}).exitCode, 0);
    Image image = LoadImage((dir / "x.png").string().c_str());
    ASSERT_NE(image.data, nullptr);
    // The top edges of the pause menu's panel (red) and the box score's (gold).
    EXPECT_TRUE(near(canvasPixel(image, 340, 131), {200, 40, 40, 255}, 2));
    EXPECT_TRUE(near(canvasPixel(image, 900, 131), {230, 180, 60, 255}, 2));
    UnloadImage(image);
}

TEST_F(TestModes, IntroSceneSavesAnIntroFrame) {
    ASSERT_EQ(run({"--shot", "intro", "30", at("i.png")}).exitCode, 0);
    expectFullPicture(dir / "i.png");
    Image image = LoadImage((dir / "i.png").string().c_str());
    ASSERT_NE(image.data, nullptr);
    // Half a second in: faded in, the corner outside the glow is the intro's dark.
    EXPECT_TRUE(near(canvasPixel(image, 2, 718), {5, 6, 7, 255}, 3));
    UnloadImage(image);
}

TEST_F(TestModes, MoveTestPrintsOfflineThenOnlineInLivePlay) {
    // "--demo" would leave no local player; the test clears it first.
    const RunResult r = run({"--movetest", "--demo"});
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.lines.size(), 2u);
    const std::regex line(R"((OFFLINE|ONLINE ): moved (\d+\.\d\d) m in 1\.5 s, top speed (\d+\.\d\d) m/s, )"
                          R"(starts moving after (-?\d+) frames, phase (\d+), hasBall ([01]))");
    std::smatch off, on;
    ASSERT_TRUE(std::regex_match(r.lines[0], off, line)) << r.lines[0];
    ASSERT_TRUE(std::regex_match(r.lines[1], on, line)) << r.lines[1];
    EXPECT_EQ(off[1], "OFFLINE");
    EXPECT_EQ(on[1], "ONLINE ");
    EXPECT_EQ(off[5], "2");
    EXPECT_EQ(on[5], "2");
    EXPECT_GT(std::stof(off[2]), 1.0f); // he really runs
    EXPECT_EQ(off[3], on[3]);           // top speed
    EXPECT_EQ(off[4], on[4]);           // first moving frame
    EXPECT_EQ(off[6], on[6]);
    // The wire record quantises the stick to 1/127, which moves the contact
    // with the defender a little; the distance may differ by centimetres.
    EXPECT_NEAR(std::stof(off[2]), std::stof(on[2]), 0.1f);
}

TEST_F(TestModes, PictureThatCannotBeWrittenFailsTheRunAndSaysWhere) {
    RunResult r = run({"--shot", "title", "2", at("missing/x.png")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("missing/x.png"), std::string::npos) << r.err;

    // A folder that cannot be made: its parent is a file.
    std::ofstream(dir / "plain") << "x";
    r = run({"--record", "title", "1", "3", at("plain/r")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("plain/r/f_00000.png"), std::string::npos) << r.err;

    r = run({"--shot", "intro", "2", at("missing/i.png")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("missing/i.png"), std::string::npos) << r.err;
}
