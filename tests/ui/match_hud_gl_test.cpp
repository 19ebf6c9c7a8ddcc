// The match HUD drawn over a live match of the real game (characters built,
// arena, fonts) under Xvfb: pictures written as PNG, and the exact colours of
// opaque elements checked where they stand on the canvas.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/anim_clock.h"
#include "app/command_line.h"
#include "app/match_frame.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "app/startup.h"
#include "characters/animation.h"
#include "render/match_world.h"
#include "render/renderer.h"
#include "sim/camera.h"
#include "sim/match_driver.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/match_hud.h"
#include "ui/menu_lists.h"
#include "ui/minimap.h"
#include "ui/player_tags.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

class MatchHudGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        headlessRun = true; // hidden window, no intro
        autopilot = true;   // the local player is played by the CPU until a test takes over
        CommandLine cmd;
        cmd.simSeconds = 1;
        ASSERT_TRUE(startUp(cmd));
        // The game's own faces, which start-up looks for beside the game, not
        // beside this test: the pictures and measures are those a player sees.
        const std::string fonts = std::filesystem::path(KORVALO_BINARY).parent_path().string() + "/fonts/";
        loadFontsFrom({fonts + "Anton-Regular.ttf"}, {fonts + "FiraSans-Bold.ttf"});
        // Start-up read whatever settings file another test left beside this
        // program (squad select's saves one-on-one): the match here is the
        // default two-on-two, and saves stay under the test output.
        settings = Settings{};
        settingsPath = std::string(KORVALO_TEST_OUTPUT_DIR) + "/hud_gl_settings.cfg";
        buildMenus();
        settings.graphics = 2;
        setRenderQuality(renderer, 2);
        changeScreen(SCREEN_LOADING);
        frontendFrame(); // the loading screen starts the match
        PlayerInput none;
        while (matchState.phase != PHASE_LIVE) updateMatch(matchState, kFrame, none, CameraOptions{});
        matchState.autopilot = 0;
    }
    static void TearDownTestSuite() { shutDown(false); }
};

// One frame of the match with its HUD, read back from the UI canvas.
Image drawFrame(MatchState& s, const char* png) {
    animClock = 0.25f; // fixed pulses, the same picture on every run
    drawMatchWorld(s);
    renderPost(renderer, 1.0f, 0.95f);
    EndShaderMode();
    drawMatchHud(s, kFrame);
    drawPlayerTags(s);
    endUi(renderer);
    Image image = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&image);
    EXPECT_TRUE(ExportImage(image, (std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + png).c_str()));
    return image;
}

// One whole frame of the in-match frame runner, read back from the UI canvas.
Image runFrame(const char* png) {
    animClock = 0.25f;
    fadeAmount = 0; // long after the screen faded in
    runMatchFrame(kFrame);
    Image image = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&image);
    EXPECT_TRUE(ExportImage(image, (std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + png).c_str()));
    return image;
}

// The colour at a canvas point (the UI target is 1.5 times the canvas).
Color at(const Image& image, float x, float y) { return GetImageColor(image, (int)(1.5f * x), (int)(1.5f * y)); }

void expectColor(const Image& image, float x, float y, Color want, const char* what) {
    const Color c = at(image, x, y);
    EXPECT_TRUE(c.r == want.r && c.g == want.g && c.b == want.b)
        << what << " at " << x << "," << y << ": " << (int)c.r << " " << (int)c.g << " " << (int)c.b;
}

// Poses the players where a test put them and lets the camera follow.
void settle(MatchState& s, int frames) {
    for (int i = 0; i < frames; ++i) {
        animatePlayers(s, kFrame);
        updatePresentation(s, kFrame);
    }
}

} // namespace

TEST_F(MatchHudGl, OwnBallFrameWithMeterBannersTipsAndBubbles) {
    MatchState& s = matchState;
    for (Player& p : s.players) p.hasBall = 0;
    Player& L = s.players[0];
    s.ball.holder = 0;
    s.ball.phase = BALL_HELD;
    L.hasBall = 1;
    s.offense = 0;
    s.mustClear = 0;
    L.pos = {-2, 0, 7.5f};
    L.action = ACT_JUMP_SHOT;
    L.released = 0;
    L.tookOff = 1;
    s.releaseTiming = 0.95f;
    s.eyeYaw = PI + 0.26f;
    s.ballReceivedAge = 0.3f;
    s.shotClock = 4.4f;
    postCallout(s, "SPLASH!", {255, 230, 120, 255}, 56, 1.6f);
    s.callouts.back().age = 0.5f;
    s.emoteId[1] = 2;
    s.emoteTime[1] = 0.6f;
    s.emoteId[0] = 7;
    s.emoteTime[0] = 0.5f;
    settle(s, 10);
    Image image = drawFrame(s, "hud_own_ball.png");

    const float pillLeft = 640 - 0.5f * (measureUiText("YOU HAVE THE BALL", 20) + 52);
    expectColor(image, pillLeft + 24 + 6, 631 + 5, {236, 118, 40, 255}, "ball icon of the pill");
    EXPECT_EQ(s.meterShow, 1.0f) << "the held shot shows the meter";
    UnloadImage(image);
}

TEST_F(MatchHudGl, DefenceFrameInTheChaseView) {
    MatchState& s = matchState;
    for (Player& p : s.players) p.hasBall = 0;
    Player& L = s.players[0];
    Player& H = s.players[2];
    L.action = H.action = ACT_MOVE;
    s.offense = 1;
    s.ball.phase = BALL_HELD;
    s.ball.holder = 2;
    H.hasBall = 1;
    H.pos = {-1.5f, 0, 6.5f};
    L.pos = {-1.2f, 0, 5.6f};
    L.yaw = 0.3f;
    L.matchup = 2;
    s.mustClear = 1;
    s.ball.pos = {H.pos.x + 0.3f, 1.0f, H.pos.z - 0.3f};
    settle(s, 90); // the chase camera blends in
    ASSERT_GT(s.chaseBlend, 0.9f);
    Image image = drawFrame(s, "hud_defence_chase.png");
    expectColor(image, 942, 680, {255, 220, 120, 255}, "possession bar of team 1");
    const Vector2 hoop = minimapPoint(minimapFrame(false), 0, 0);
    expectColor(image, hoop.x, hoop.y, {240, 110, 40, 255}, "minimap hoop");
    expectColor(image, 22, 670, sideDisplayColor(s, 0), "card strip");
    UnloadImage(image);
}

TEST_F(MatchHudGl, PauseOverlayAndControlsView) {
    MatchState& s = matchState;
    s.phase = PHASE_LIVE;
    s.scores[0] = 3;
    s.players[0].fgm = 1;
    s.players[0].fga = 4;
    pauseOpen = true;
    const float clock = s.clock;
    Image image = runFrame("hud_pause.png");
    EXPECT_EQ(s.clock, clock) << "paused, the match stands still";
    expectColor(image, 100, 131, {200, 40, 40, 255}, "accent of the menu panel");
    expectColor(image, 700, 131, {230, 180, 60, 255}, "accent of the box score panel");
    expectColor(image, 692, 250, sideDisplayColor(s, 0), "team stripe of the first box score row");
    UnloadImage(image);

    controlsOpen = true;
    image = runFrame("hud_controls.png");
    expectColor(image, 153, 178, {236, 238, 244, 255}, "first keycap of the controls table");
    UnloadImage(image);
    pauseOpen = controlsOpen = false;
}

TEST_F(MatchHudGl, EndScreenWithItsMenu) {
    MatchState& s = matchState;
    s.phase = PHASE_OVER;
    s.phaseTimer = 0.6f;
    s.winner = 0;
    s.scores[0] = 15;
    s.players[1].points = 9;
    Image image = runFrame("hud_end_victory.png");
    expectColor(image, 360, 201, {230, 180, 60, 255}, "victory accent");
    expectColor(image, 382, 360, sideDisplayColor(s, 0), "team stripe of the first box score row");
    UnloadImage(image);

    s.winner = 1;
    image = runFrame("hud_end_defeat.png");
    expectColor(image, 360, 201, {200, 40, 40, 255}, "defeat accent");
    UnloadImage(image);
}

// The meter fades by the front end's frame time, which is fixed while frames
// are recorded, not by the window's: a recorded frame is the same on every
// run. A software-GL frame here takes far longer than 1/60 s.
TEST_F(MatchHudGl, MeterFadesByTheFrontEndsFrameTime) {
    MatchState& s = matchState;
    s.phase = PHASE_LIVE; // also after the end-screen test
    s.winner = -1;
    recordFrameDt = 1.0f / 60.0f;
    frontendFrame(); // a frame drawn, so the window's frame time is a real one
    ASSERT_EQ(frontendScreen, SCREEN_IN_GAME);
    s.players[0].action = ACT_MOVE;
    s.meterShow = 0.5f;
    frontendFrame();
    recordFrameDt = 0;
    EXPECT_NEAR(s.meterShow, 0.5f - 2.0f / 60.0f, 1e-5f) << "fades 2 a second";
}
