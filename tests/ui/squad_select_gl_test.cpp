// A new player's way into a match, in this process and on the X server the
// tests run on: the real start-up with its intro, the title, PLAY GAME to
// squad select, TEAM, PLAYER and MODE changes that show on the next frame and
// reach the settings file at once, and TIP OFF into a match with the chosen
// squads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/command_line.h"
#include "app/match_start.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "app/startup.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "tests/app/x_keys.h"
#include "ui/frontend.h"
#include "ui/lineup.h"

namespace fs = std::filesystem;

namespace {

unsigned long gameWindow = 0;

// A key held over two front-end frames and released over two more: the
// front end polls the keyboard once a frame, so the press is seen once.
void press(const char* key) {
    for (bool down : {true, false}) {
        sendKey(gameWindow, key, down);
        frontendFrame();
        frontendFrame();
    }
}

// One frame with the animation clocks held and no fade, so that two such
// frames differ only by what the keys changed.
Image stillFrame() {
    animClock = 100.0f;
    lineupBounce = 0.25f;
    fadeAmount = 0.0f;
    frontendFrame();
    Image image = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&image);
    return image;
}

// Whether a canvas rectangle (1280x720 units) differs between two pictures.
bool regionChanged(const Image& a, const Image& b, Rectangle r) {
    const auto* pa = static_cast<const unsigned char*>(a.data);
    const auto* pb = static_cast<const unsigned char*>(b.data);
    int differing = 0;
    for (int y = (int)(r.y * 1.5f); y < (int)((r.y + r.height) * 1.5f); ++y)
        for (int x = (int)(r.x * 1.5f); x < (int)((r.x + r.width) * 1.5f); ++x) {
            const int i = 4 * (y * a.width + x);
            differing += std::abs(pa[i] - pb[i]) + std::abs(pa[i + 1] - pb[i + 1]) > 24;
        }
    return differing > 50;
}

// Changes one thing with a key and checks it shows at once on the card, the
// figures and the summary line as expected; the picture stays under the
// build tree.
void expectShown(const char* key, bool card, bool figures, bool summary, const char* png) {
    Image before = stillFrame();
    press(key);
    Image after = stillFrame();
    ExportImage(after, (fs::path(KORVALO_TEST_OUTPUT_DIR) / png).c_str());
    EXPECT_EQ(regionChanged(before, after, {44, 106, 532, 260}), card) << png;
    EXPECT_EQ(regionChanged(before, after, {640, 100, 600, 600}), figures) << png;
    EXPECT_EQ(regionChanged(before, after, {64, 632, 520, 18}), summary) << png;
    UnloadImage(before);
    UnloadImage(after);
}

TEST(SquadSelectSession, IntroTitleSquadSelectAndTipOff) {
    // The game's fonts beside this program, as beside the game; software GL:
    // the smallest scene target keeps the lineup near real time.
    const fs::path here = GetApplicationDirectory();
    fs::copy(fs::path(KORVALO_BINARY).parent_path() / "fonts", here / "fonts",
             fs::copy_options::skip_existing | fs::copy_options::recursive);
    const fs::path file = here / kSettingsFileName;
    std::ofstream(file) << "graphics=2\nmouseSens=5\n";
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(startUp(CommandLine{}));
    recordFrameDt = 1.0f / 60.0f; // the front end on a fixed step from here
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5)); // the intro played
    EXPECT_EQ(frontendScreen, SCREEN_TITLE);
    FILE* search = popen(("xdotool search --onlyvisible --pid " + std::to_string(getpid())).c_str(), "r");
    char id[64] = {};
    if (search && std::fgets(id, sizeof id, search)) gameWindow = std::strtoul(id, nullptr, 10);
    if (search) pclose(search);
    ASSERT_NE(gameWindow, 0ul);
    for (int i = 0; i < 20; ++i) frontendFrame(); // past the title's 0.3 s

    press("Return"); // PRESS ENTER opens the menu
    press("Return"); // PLAY GAME
    ASSERT_EQ(frontendScreen, SCREEN_SQUAD_SELECT);
    ASSERT_EQ(squadOpponent, 1);
    fs::remove(file);
    // TEAM: the home team moves onto the opponent, which is pushed on.
    expectShown("d", true, true, true, "squad_select_team.png");
    EXPECT_EQ(squadTeam, 1);
    EXPECT_EQ(squadOpponent, 2);
    EXPECT_TRUE(fs::exists(file)); // saved at once
    press("s");
    expectShown("d", true, true, false, "squad_select_player.png");
    EXPECT_EQ(squadPlayer, 1);
    press("s");
    press("s");
    expectShown("d", false, false, true, "squad_select_mode.png");
    std::stringstream saved;
    saved << std::ifstream(file).rdbuf();
    EXPECT_NE(saved.str().find("oneOnOne=1\n"), std::string::npos);

    for (int i = 0; i < 4; ++i) press("s");
    press("Return"); // TIP OFF
    for (int i = 0; i < 3 && frontendScreen != SCREEN_IN_GAME; ++i) frontendFrame();
    ASSERT_EQ(frontendScreen, SCREEN_IN_GAME);
    // One on one: the chosen home player against the away player in his slot.
    EXPECT_EQ(matchState.players[matchState.localIndex].roster, &teams[1].players[1]);
    for (const Player& p : matchState.players) {
        if (p.roster == &teams[1].players[1]) continue;
        EXPECT_EQ(p.present != 0, p.roster == &teams[2].players[1]);
    }
    shutDown(false);
}

} // namespace
