// The settings file: reading with clamping and its quirks, the exact text
// written, the alias filter, and saving safely (two saves at once, read-only
// files, links, failures told once).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "app/settings.h"

namespace {

// ctest runs each case as its own process in parallel: one file name per case.
std::string tempPath(const char* name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + info->name() + "_" + name;
}

std::string fileText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

Settings readFrom(const std::string& text, Settings start = Settings{}) {
    const std::string path = tempPath("settings_read.cfg");
    std::ofstream(path, std::ios::binary) << text;
    readSettings(start, path);
    return start;
}

TEST(SettingsFile, EmptyFileKeepsDefaultsButResetsGraphics) {
    Settings start;
    start.graphics = 2;
    Settings s = readFrom("", start);
    EXPECT_EQ(s.graphics, 0);
    EXPECT_EQ(s.mouseSens, 5);
    EXPECT_EQ(s.sfxVol, 8);
}

TEST(SettingsFile, ValuesAreClampedToTheirRanges) {
    Settings s = readFrom("mouseSens=0\nsfxVol=-3\ndifficulty=9\ngraphics=2\nmusicVol=99999999999999\n");
    EXPECT_EQ(s.mouseSens, 1);
    EXPECT_EQ(s.sfxVol, 0);
    EXPECT_EQ(s.difficulty, 3);
    EXPECT_EQ(s.graphics, 2);
    EXPECT_EQ(s.musicVol, 10);
    s = readFrom("mouseSens=25\n");
    EXPECT_EQ(s.mouseSens, 10);
}

TEST(SettingsFile, KeysMatchExactlyAndLaterLinesWin) {
    Settings s = readFrom("difficulty =3\nDifficulty=3\nunknown=5\nno equals sign\ndifficulty=2\ndifficulty=0\n"
                          "mouseSens=4\n");
    EXPECT_EQ(s.difficulty, 0);
    EXPECT_EQ(s.mouseSens, 4);
}

TEST(SettingsFile, AliasKeepsWholeCharactersAndNoControlBytes) {
    Settings s = readFrom("alias=ABCDEFGHIJKLMNOPQ\nmouseSens=5\n");
    EXPECT_EQ(s.alias, "ABCDEFGHIJKLMN");
    EXPECT_EQ(readFrom("alias= a b=c\r\n").alias, " a b=c");
    EXPECT_EQ(readFrom("alias=A\rB\x01" "C\x7F\r\n").alias, "ABC");
    const std::string e = "\xC3\xA9"; // two bytes each: seven fit in fourteen
    EXPECT_EQ(cleanAlias(e + e + e + e + e + e + e + e), e + e + e + e + e + e + e);
    EXPECT_EQ(cleanAlias("ABCDEFGHIJKLM" + e), "ABCDEFGHIJKLM");
    EXPECT_EQ(cleanAlias("\xFF" "A\xC3" "B\xED\xA0\x80" "C\xF0\x9F\x8F\x80"), "ABC\xF0\x9F\x8F\x80");
    s.alias = "X\ngraphics=2"; // a line break never reaches the file
    EXPECT_NE(formatSettings(s).find("alias=Xgraphics=2\n"), std::string::npos);
}

TEST(SettingsFile, WindowsLineEndsAndAnyOrderReadTheSame) {
    const Settings unix = readFrom("invertY=1\ngameTo=0\nmouseSens=9\nalias=Ann\n");
    const Settings dos = readFrom("alias=Ann\r\nmouseSens=9\r\ngameTo=0\r\ninvertY=1\r\n");
    EXPECT_EQ(formatSettings(unix), formatSettings(dos));
    EXPECT_EQ(dos.alias, "Ann");
    EXPECT_EQ(dos.invertY, 1);
}

TEST(SettingsFile, OverlongAndBinaryLinesDoNotCrash) {
    std::string text(1000, 'x');
    text += "=1\nmouseSens=";
    text += std::string(600, '7');
    text += "\n";
    text += std::string("\0\xff\x01=\x80graphics=2\n", 13);
    Settings s = readFrom(text);
    EXPECT_EQ(s.mouseSens, 10);
    EXPECT_GE(s.graphics, 0);
    EXPECT_LE(s.graphics, 2);
}

TEST(SettingsFile, SavedFileHasFifteenLinesInFileOrder) {
    Settings s;
    s.alias = "Zed";
    s.oneOnOne = 1;
    EXPECT_EQ(formatSettings(s),
              "oneOnOne=1\nfullCourt=0\nsprintToggle=1\ncameraMotion=2\ntooltips=1\nmouseSens=5\ninvertY=0\n"
              "graphics=0\ndifficulty=1\ngameTo=1\nshotMeter=1\nmusicVol=6\nsfxVol=8\nfullscreen=0\nalias=Zed\n");
}

TEST(SettingsFile, SaveThenReadRoundTrips) {
    const std::string path = tempPath("settings_roundtrip.cfg");
    Settings s;
    s.fullCourt = 1;
    s.graphics = 1;
    s.musicVol = 3;
    s.alias = "Player One";
    ASSERT_TRUE(saveSettings(s, path));
    Settings back;
    readSettings(back, path);
    EXPECT_EQ(formatSettings(back), formatSettings(s));
}

// Two copies of the game saving at once: every save succeeds and a reader
// only ever sees a whole file.
TEST(SettingsFile, SavesAtTheSameTimeNeverClash) {
    const std::string path = tempPath("settings_shared.cfg");
    std::atomic<int> failures{0}, running{2};
    std::vector<std::thread> savers;
    for (const char* alias : {"ONE", "TWO"})
        savers.emplace_back([&, alias] {
            Settings s;
            s.alias = alias;
            for (int i = 0; i < 100; ++i) failures += saveSettings(s, path) ? 0 : 1;
            --running;
        });
    int partial = 0;
    while (running > 0) {
        std::string text = fileText(path);
        if (!text.empty() && std::count(text.begin(), text.end(), '\n') != 15) ++partial;
    }
    for (std::thread& t : savers) t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(partial, 0);
    const std::string last = fileText(path);
    EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), 15);
}

TEST(SettingsFile, ReadOnlyFilesStayAndLinksAreFollowedAndFailuresToldOnce) {
    namespace fs = std::filesystem;
    const fs::path dir = tempPath("dir");
    fs::remove_all(dir);
    fs::create_directories(dir / "real");
    const std::string readOnly = (dir / "read-only.cfg").string();
    std::ofstream(readOnly) << "mouseSens=3\n";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveSettings(Settings{}, readOnly));
    EXPECT_FALSE(saveSettings(Settings{}, (dir / "no-such-folder/settings.cfg").string()));
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind("Can't save the settings to " + readOnly, 0), 0u) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1);
    EXPECT_EQ(fileText(readOnly), "mouseSens=3\n");
    EXPECT_EQ(fs::status(readOnly).permissions() & fs::perms::all, fs::perms(0444));

    fs::create_symlink("real/settings.cfg", dir / "link.cfg");
    Settings s;
    s.alias = "LINKED";
    ASSERT_TRUE(saveSettings(s, (dir / "link.cfg").string()));
    EXPECT_TRUE(fs::is_symlink(dir / "link.cfg"));
    EXPECT_EQ(fileText((dir / "real/settings.cfg").string()), formatSettings(s));
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) files += entry.is_symlink() ? 0 : 1;
    EXPECT_EQ(files, 3u); // the folder and two files: no temporary left anywhere
}

TEST(SettingsFile, LinksThatLoopStayLinksAndTheFailureIsTold) {
    namespace fs = std::filesystem;
    const fs::path dir = tempPath("dir");
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::create_symlink("self.cfg", dir / "self.cfg");
    fs::create_symlink("b.cfg", dir / "a.cfg");
    fs::create_symlink("a.cfg", dir / "b.cfg");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveSettings(Settings{}, (dir / "self.cfg").string()));
    EXPECT_FALSE(saveSettings(Settings{}, (dir / "a.cfg").string()));
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind("Can't save the settings to " + (dir / "self.cfg").string(), 0), 0u) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1);
    ASSERT_TRUE(fs::is_symlink(dir / "self.cfg")) << "replaced by a plain file";
    EXPECT_EQ(fs::read_symlink(dir / "self.cfg"), "self.cfg");
    EXPECT_EQ(fs::read_symlink(dir / "a.cfg"), "b.cfg");
    EXPECT_EQ(fs::read_symlink(dir / "b.cfg"), "a.cfg");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3) << "no temporary left";
}

// A save killed before its rename leaves "<file>.tmp.<pid>.<n>" behind. The
// next save removes those of processes that are gone, and nothing else: not
// a live process's, not one of its own, not other names or folders.
TEST(SettingsFile, TemporariesOfDeadSaversAreRemovedByTheNextSave) {
    namespace fs = std::filesystem;
    const fs::path dir = tempPath("leftovers");
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    const pid_t alive = fork();
    if (alive == 0) {
        pause();
        _exit(0);
    }
    ASSERT_GT(alive, 0);
    const std::string d = std::to_string(dead), a = std::to_string(alive), own = std::to_string(getpid());
    const std::string base = "korvalo_settings.cfg";
    const std::set<std::string> kept = {
        base + ".tmp." + a + ".0",  base + ".tmp." + own + ".7", // live processes
        base + ".tmp." + d,         base + ".tmp." + d + ".1x", base + ".tmp." + d + ".",
        base + ".tmp.0" + d + ".1", base + ".tmp.x.1",          base + ".tmp.0.1",
        "other.cfg.tmp." + d + ".1",
    };
    // Written two minutes ago, but for the fresh one below.
    const auto twoMinutesAgo = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    const auto write = [&](const fs::path& path, const char* text) {
        std::ofstream(path) << text;
        fs::last_write_time(path, twoMinutesAgo);
    };
    for (const std::string& name : kept) write(dir / name, "x");
    for (const std::string& name : {base + ".tmp." + d + ".0", base + ".tmp." + d + ".41"})
        write(dir / name, "alias=HALF");
    write(dir / "sub" / (base + ".tmp." + d + ".2"), "x");
    fs::create_directory(dir / (base + ".tmp." + d + ".3")); // a folder by that name stays
    fs::last_write_time(dir / (base + ".tmp." + d + ".3"), twoMinutesAgo);
    // A process id that runs nowhere here may be a save running on another
    // host sharing the folder: a fresh temporary of it stays.
    const std::string fresh = base + ".tmp." + d + ".5";
    std::ofstream(dir / fresh) << "alias=BUSY";

    EXPECT_TRUE(saveSettings(Settings{}, (dir / base).string()));
    kill(alive, SIGKILL);
    waitpid(alive, nullptr, 0);

    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(dir)) left.insert(e.path().filename().string());
    std::set<std::string> expected = kept;
    expected.insert({base, "sub", base + ".tmp." + d + ".3", fresh});
    EXPECT_EQ(left, expected);
    EXPECT_TRUE(fs::exists(dir / "sub" / (base + ".tmp." + d + ".2")));
    EXPECT_EQ(fileText((dir / base).string()), formatSettings(Settings{}));
}

} // namespace
