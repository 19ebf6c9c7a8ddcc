#include "app/match_frame.h"

#include <cmath>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/device_input.h"
#include "app/run_flags.h"
#include "app/scripted_input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "render/match_world.h"
#include "render/renderer.h"
#include "sim/match_driver.h"
#include "ui/fonts.h"
#include "ui/frontend.h"

bool pauseOpen = false;
bool controlsOpen = false;
bool onlineMatchActive = false;

namespace {

constexpr float kPauseGuardSeconds = 0.2f;
constexpr float kTipsToastSeconds = 1.8f;
constexpr float kEndMenuDelay = 1.0f;
constexpr float kPausedVignette = 1.5f, kPausedSaturation = 0.45f;
constexpr float kPlayVignette = 1.0f, kPlaySaturation = 0.95f;
constexpr Color kDepthColor = {30, 34, 48, 255};
constexpr Color kTipColor = {225, 228, 238, 255};
constexpr Color kGold = {255, 215, 130, 255};
constexpr int kConfirmSound = 9;
constexpr int kMoveSound = 8;
constexpr int kMenuMusic = 1;

const char* const kQuickTips[] = {
    "Hold LEFT CLICK to shoot - release at the top of your jump.",
    "On defense the camera pulls back - stay between your man and the hoop.",
    "Swipe (LEFT CLICK) when the ball glows - missed reaches leave you off balance.",
    "Stand still in your stance in front of a driver to draw a charge.",
    "Press H any time to show or hide the on-screen tips.",
};

ScriptedInputState scripted;

void openPause() {
    pauseOpen = true;
    controlsOpen = false;
    playSfx(kConfirmSound, 0.8f, 1.0f, 0.5f);
}

void toggleTips() {
    settings.tooltips = settings.tooltips ? 0 : 1;
    matchState.tipsToast = kTipsToastSeconds;
    playSfx(kMoveSound, 0.6f, 1.0f, 0.5f);
    saveSettings(settings, settingsPath);
}

void drawPauseView() {
    DrawRectangle(0, 0, 1280, 720, {0, 0, 0, 120});
    drawChromeTitle("PAUSED", 640, 60, 92, 0, kDepthColor);
    float y = 300;
    for (const char* line : kQuickTips) {
        drawUiTextCentered(line, 640, y, 16, kTipColor, true);
        y += 28;
    }
}

// The end of the match: the result and the final score over the dimmed court.
void drawEndOfMatch(const MatchState& s) {
    const float t = s.phaseTimer;
    DrawRectangle(0, 0, 1280, 720, {0, 0, 0, (unsigned char)(std::fmin(2 * t, 1.0f) * 170)});
    const bool victory = s.localIndex < 0 || s.players[s.localIndex].team == s.winner;
    drawChromeTitle(victory ? "VICTORY" : "DEFEAT", 640, 40, 110, victory ? 1 : 0, kDepthColor);
    if (s.winner >= 0) {
        const Team& w = teams[s.teams[s.winner]];
        drawUiTextCentered(TextFormat("%s %s WIN", w.city, w.name), 640, 166, 20, WHITE, true);
    }
    drawTitleText(teams[s.teams[0]].name, 370, 222, 30, WHITE);
    const char* home = TextFormat("%d", s.scores[0]);
    drawTitleText(home, 550 - measureTitleText(home, 60), 212, 60, kGold);
    drawTitleText(TextFormat("%d", s.scores[1]), 730, 212, 60, kGold);
    const char* away = teams[s.teams[1]].name;
    drawTitleText(away, 910 - measureTitleText(away, 30), 222, 30, WHITE);
    if (t > kEndMenuDelay) drawUiTextCentered("PRESS ENTER FOR A REMATCH", 640, 600, 20, kGold, true);
}

bool confirmPressed() {
    return IsKeyPressed(KEY_ENTER) || IsKeyPressed(KEY_KP_ENTER) ||
           (IsGamepadAvailable(0) && IsGamepadButtonPressed(0, GAMEPAD_BUTTON_RIGHT_FACE_DOWN));
}

} // namespace

void playMatchEvents(MatchState& s) {
    for (const MatchEvent& e : s.events) {
        switch (e.kind) {
        case EVENT_SOUND: playSfx(e.id, e.volume, e.pitch, e.pan); break;
        case EVENT_MUSIC: playMusicTrack(e.id); break;
        case EVENT_CROWD: setCrowdLevel(e.volume); break;
        default: break;
        }
    }
    s.events.clear();
}

CameraOptions cameraOptions() { return {settings.mouseSens, (uint8_t)(settings.invertY != 0)}; }

bool pauseMayOpen(float timer, int phase) { return !pauseOpen && phase != PHASE_OVER && timer > kPauseGuardSeconds; }

void runMatchFrame(float dt) {
    MatchState& s = matchState;
    if (pauseOpen) {
        if (pausePressed()) pauseOpen = false;
    } else if (pauseMayOpen(screenTimer, s.phase) && pausePressed()) {
        openPause();
    }
    setMouseCaptured(!pauseOpen && s.phase != PHASE_OVER && s.localIndex >= 0);

    if (!pauseOpen) {
        if (IsKeyPressed(KEY_H) || IsKeyPressed(KEY_F1)) toggleTips();
        RawInput input;
        if (scriptedMode) scriptedInput(input, s.clock, scripted);
        else input = readInput();
        s.frontEndClock = animClock;
        updateMatch(s, dt, toPlayerInput(input), cameraOptions());
        playMatchEvents(s);
    }

    drawMatchWorld(s);
    if (pauseOpen) renderPost(renderer, kPausedVignette, kPausedSaturation);
    else renderPost(renderer, kPlayVignette, kPlaySaturation);
    EndShaderMode();

    if (pauseOpen) {
        drawPauseView();
    } else if (s.phase == PHASE_OVER) {
        drawEndOfMatch(s);
        if (s.phaseTimer > kEndMenuDelay && confirmPressed()) changeScreen(SCREEN_LOADING);
    }
    drawFade();
    endUi(renderer);
    presentFrame(renderer);
}

void drawFade() {
    if (fadeAmount > 0.001f)
        DrawRectangle(0, 0, 1280, 720, {0, 0, 0, (unsigned char)std::fmin(fadeAmount * 255.0f, 255.0f)});
}

void drawLoadingScreen(const char* message) {
    beginUi(renderer, {8, 8, 10, 255});
    const float w = measureTitleText("LOADING", 64);
    drawTitleText("LOADING", 640 - 0.5f * w, 290, 64, WHITE);
    drawUiTextCentered(message, 640, 380, 20, {190, 195, 210, 255}, false);
    DrawRectangle(490, 420, 300, 6, {40, 40, 48, 255});
    const float p = 1.5f * animClock - std::floor(1.5f * animClock);
    DrawRectangle((int)(490 + 240 * p), 420, 60, 6, {200, 40, 40, 255});
    endUi(renderer);
    presentFrame(renderer);
}
