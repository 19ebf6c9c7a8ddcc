// The headless runs as a user starts them: exact output lines, repeatable,
// no settings file written, and one clear line when there is no display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct RunResult {
    int exitCode = -1;
    std::vector<std::string> lines;
};

RunResult runGame(const std::string& args) {
    RunResult r;
    std::string text;
    FILE* pipe = popen((std::string(KORVALO_BINARY) + " " + args + " 2>/dev/null").c_str(), "r");
    for (char buf[512]; pipe && std::fgets(buf, sizeof buf, pipe);) text += buf;
    const int status = pipe ? pclose(pipe) : -1;
    r.exitCode = pipe && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) r.lines.push_back(line);
    return r;
}

std::filesystem::path settingsBesideBinary() {
    return std::filesystem::path(KORVALO_BINARY).parent_path() / "korvalo_settings.cfg";
}

TEST(SimulationRun, PrintsScoreBoxScoreAndMeshLinesAndWritesNoSettings) {
    std::filesystem::remove(settingsBesideBinary());
    const RunResult r = runGame("--sim 60");
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.lines.size(), 6u);
    EXPECT_TRUE(std::regex_match(r.lines[0], std::regex(R"(sim \d+s  score \d+-\d+  over=[01])"))) << r.lines[0];
    const std::regex row(R"(  [A-Z ]{6} pts [ \d]\d  fg [ \d]\d/[ \d]\d  3p \d+/\d+  reb \d+ ast \d+ stl \d+ blk \d+ dnk \d+)");
    const char* names[4] = {"NOVA  ", "VOLT  ", "FLASH ", "TATE  "};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::regex_match(r.lines[1 + i], row)) << r.lines[1 + i];
        EXPECT_EQ(r.lines[1 + i].substr(2, 6), names[i]);
    }
    EXPECT_TRUE(std::regex_match(
        r.lines[5], std::regex(R"(mesh verts: body \d+ jersey \d+ head \d+ hair \d+ hand \d+ shoe \d+)")))
        << r.lines[5];
    EXPECT_FALSE(std::filesystem::exists(settingsBesideBinary()));
}

TEST(SimulationRun, TwoRunsPrintIdenticalLines) {
    const RunResult a = runGame("--sim 30 --log");
    const RunResult b = runGame("--sim 30 --log");
    ASSERT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.lines, b.lines);
    ASSERT_FALSE(a.lines.empty());
    EXPECT_EQ(a.lines[0], "[   0.0] 0-0  FIRST TO 15");
}

TEST(SimulationRun, SixtySecondsIsReportedAsSixty) {
    // 3601 updates of 1/60 s summed in single precision end just past 60.
    const RunResult r = runGame("--sim 60 --target 1000");
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines[0].rfind("sim 60s", 0), 0u) << r.lines[0];
}

TEST(ShotRun, EndsAtItsLastFrameEvenWhenThatIsZeroOrNegative) {
    for (const char* frames : {"3", "5,2", "0", "-4"}) {
        const RunResult r = runGame(std::string("--shot title ") + frames + " " + KORVALO_TEST_OUTPUT_DIR +
                                    "/shot.png");
        EXPECT_EQ(r.exitCode, 0) << frames;
    }
    EXPECT_FALSE(std::filesystem::exists(settingsBesideBinary()));
}

} // namespace

namespace {

TEST(BuildProfile, RunsWithoutADisplayAndGivesTheSameCheckLineEveryRun) {
    const RunResult a = runGame("--buildprof");
    const std::string noDisplay = "env -u DISPLAY " + std::string(KORVALO_BINARY) + " --buildprof 2>/dev/null";
    FILE* pipe = popen(noDisplay.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {}, rest[256];
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
    // Read to the end: closing the pipe early would kill the program with
    // SIGPIPE when it prints its second line late.
    while (std::fgets(rest, sizeof rest, pipe)) {}
    EXPECT_EQ(pclose(pipe), 0);
    ASSERT_EQ(a.exitCode, 0);
    ASSERT_EQ(a.lines.size(), 2u);
    EXPECT_EQ(a.lines[0] + "\n", line); // the same checksum with and without a display
    EXPECT_TRUE(std::regex_match(a.lines[0], std::regex(R"(CHECK verts \d+ pos -?\d+\.\d{6} colors\+faces [0-9a-f]{16})")))
        << a.lines[0];
    EXPECT_TRUE(std::regex_match(a.lines[1], std::regex(R"(buildprof: \d+\.\d\ds for 8 players on one thread)")))
        << a.lines[1];
}

// What the game writes on standard error when run as "env ENV korvalo ARGS",
// and its wait status.
int runToldOnStderr(const std::string& env, const std::string& args, std::string& told) {
    const std::string command = "env " + env + " " + KORVALO_BINARY + " " + args + " 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    for (char buf[512]; std::fgets(buf, sizeof buf, pipe);) told += buf;
    return pclose(pipe);
}

TEST(NoDisplay, EveryRunModeSaysSoInOneLineAndEndsWithStatusOne) {
    for (const char* args : {"", "--sim 1", "--humantest 1", "--demo", "--shot title 1 /dev/null"}) {
        std::string told;
        const int status = runToldOnStderr("-u DISPLAY -u WAYLAND_DISPLAY", args, told);
        ASSERT_TRUE(WIFEXITED(status)) << "[" << args << "] ended by a signal\n" << told;
        EXPECT_EQ(WEXITSTATUS(status), 1) << "[" << args << "]";
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << "[" << args << "]\n" << told;
        EXPECT_NE(told.find("needs a display"), std::string::npos) << told;
        EXPECT_NE(told.find("xvfb-run -a"), std::string::npos) << told;
    }
}

// A display that is named but cannot be reached: the same first line, then
// the window system's own reason (a refused connection says which display).
TEST(NoDisplay, AnUnreachableDisplayIsNamedInTheReason) {
    std::string told;
    const int status = runToldOnStderr("-u WAYLAND_DISPLAY DISPLAY=:9731", "--sim 1", told);
    ASSERT_TRUE(WIFEXITED(status)) << told;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(told.rfind("korvalo: can't open a window", 0), 0u) << told;
    EXPECT_NE(told.find(":9731"), std::string::npos) << told;
}

} // namespace
