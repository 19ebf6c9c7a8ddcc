// The settings file: reading with clamping and its quirks, and the exact text written.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/settings.h"

namespace {

// ctest runs each case as its own process in parallel: one file name per case.
std::string tempPath(const char* name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + info->name() + "_" + name;
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

TEST(SettingsFile, AliasIsCutTo14CharactersAndKeepsInnerSpaces) {
    Settings s = readFrom("alias=ABCDEFGHIJKLMNOPQ\nmouseSens=5\n");
    EXPECT_EQ(s.alias, "ABCDEFGHIJKLMN");
    s = readFrom("alias= a b=c\r\n");
    EXPECT_EQ(s.alias, " a b=c");
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

TEST(SettingsFile, SaveThenReadRoundTripsAndAFailedSaveSaysSo) {
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
    EXPECT_EQ(std::fopen((path + ".tmp").c_str(), "r"), nullptr);
    EXPECT_FALSE(saveSettings(Settings{}, tempPath("no-such-folder/settings.cfg")));
}

} // namespace
