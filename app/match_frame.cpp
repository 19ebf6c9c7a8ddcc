#include "app/match_frame.h"

#include <cmath>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/device_input.h"
#include "app/online_match_frame.h"
#include "app/run_flags.h"
#include "app/scripted_input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "render/match_world.h"
#include "render/renderer.h"
#include "sim/match_driver.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/match_hud.h"
#include "ui/match_overlays.h"
#include "ui/menu_lists.h"
#include "ui/panels.h"
#include "ui/player_tags.h"

bool pauseOpen = false;
bool controlsOpen = false;
bool onlineMatchActive = false;

namespace {

constexpr float kPauseGuardSeconds = 0.2f;
constexpr float kTipsToastSeconds = 1.8f;
constexpr float kEndMenuDelay = 1.0f;
constexpr float kPausedVignette = 1.5f, kPausedSaturation = 0.45f;
constexpr float kPlayVignette = 1.0f, kPlaySaturation = 0.95f;
constexpr int kConfirmSound = 9;
constexpr int kMoveSound = 8;
constexpr int kBackSound = 10;

ScriptedInputState scripted;

void openPause() {
    pauseOpen = true;
    controlsOpen = false;
    pauseMenu.selected = 0;
    playSfx(kConfirmSound, 0.8f, 1.0f, 0.5f);
}

// Back to the menus with their music and a silent hall.
void leaveForMenus(int screen) {
    playMusicTrack(kMenuMusic);
    setCrowdLevel(0);
    if (screen == SCREEN_TITLE) titleMenuOpen = true;
    changeScreen(screen);
}

// The open pause overlay's input. Returns false when the frame ends here
// because the match is left or restarted.
bool runPauseInput(float dt) {
    const MenuInput in = readMenuInput();
    if (controlsOpen) {
        controlsViewInput(in);
        return true;
    }
    const bool p = IsKeyPressed(KEY_P);
    const MenuResult r = navigateMenu(pauseMenu, in, dt);
    if (r == kMenuChanged) {
        applySettings();
        if (p) pauseOpen = false;
    } else if (r == PAUSE_RESUME || r == kMenuBack || p) {
        pauseOpen = false;
        applySettings();
    } else if (r == PAUSE_CONTROLS) {
        controlsOpen = true;
    } else if (r == PAUSE_RESTART) {
        applySettings();
        changeScreen(SCREEN_LOADING);
        return false;
    } else if (r == PAUSE_QUIT_TO_TITLE) {
        applySettings();
        pauseOpen = false;
        if (!headlessRun) EnableCursor();
        leaveForMenus(SCREEN_TITLE);
        return false;
    }
    return true;
}

// A frame that leaves the match still puts a picture up (black, as the fade
// starts there): the keys move on to their next state only when a frame is
// presented, and the ENTER that chose QUIT TO TITLE would otherwise choose
// on the title's menu as well.
void endLeavingFrame() {
    beginUi(renderer, BLACK);
    endUi(renderer);
    presentFrame(renderer);
}

// The end screen and its menu, which answers once the result has shown for a moment.
void runMatchEnd(const MatchState& s, float dt) {
    const bool victory = drawEndScreen();
    if (s.phaseTimer > kEndMenuDelay) {
        const MenuResult r = navigateMenu(matchEndMenu, readMenuInput(), dt);
        if (r == END_REMATCH) changeScreen(SCREEN_LOADING);
        else if (r == END_NEW_MATCHUP) leaveForMenus(SCREEN_SQUAD_SELECT);
        else if (r == END_TITLE_SCREEN) leaveForMenus(SCREEN_TITLE);
    }
    drawMatchEndMenu(victory);
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

void toggleTips(bool online) {
    matchState.tipsToast = kTipsToastSeconds;
    playSfx(kMoveSound, 0.6f, 1.0f, 0.5f);
    settings.tooltips = settings.tooltips ? 0 : 1;
    if (!online) {
        saveSettings(settings, settingsPath);
        return;
    }
    // The party's rules are in force: the user's own settings are what is kept.
    savedSettings.tooltips = settings.tooltips;
    if (!headlessRun) saveSettings(savedSettings, settingsPath);
}

bool tipsKeyPressed() { return IsKeyPressed(KEY_H) || IsKeyPressed(KEY_F1); }

void controlsViewInput(const MenuInput& in) {
    if (in.back || in.confirm) {
        controlsOpen = false;
        playSfx(kBackSound, 1.0f, 1.0f, 0.5f);
    }
}

void drawMatchScene(const MatchState& s) {
    drawMatchWorld(s);
    if (pauseOpen) renderPost(renderer, kPausedVignette, kPausedSaturation);
    else renderPost(renderer, kPlayVignette, kPlaySaturation);
    EndShaderMode();
}

void dimForOverlay() { DrawRectangle(0, 0, 1280, 720, {0, 0, 0, 120}); }

void runMatchFrame(float dt) {
    if (onlineMatchActive) {
        runOnlineMatchFrame(dt);
        return;
    }
    MatchState& s = matchState;
    if (pauseOpen) {
        if (!runPauseInput(dt)) {
            endLeavingFrame();
            return;
        }
    } else if (pauseMayOpen(screenTimer, s.phase) && pausePressed()) {
        openPause();
    }
    setMouseCaptured(!pauseOpen && s.phase != PHASE_OVER && s.localIndex >= 0);

    if (!pauseOpen) {
        if (tipsKeyPressed()) toggleTips(false);
        RawInput input;
        if (scriptedMode) scriptedInput(input, s.clock, scripted);
        else input = readInput();
        s.frontEndClock = animClock;
        updateMatch(s, dt, toPlayerInput(input), cameraOptions());
        playMatchEvents(s);
    }

    drawMatchScene(s);

    if (pauseOpen) {
        dimForOverlay();
        if (controlsOpen) drawControlsView();
        else drawPauseView(s);
    } else if (s.phase == PHASE_OVER) {
        runMatchEnd(s, dt);
    } else if (!noHud) {
        drawMatchHud(s, dt);
        drawPlayerTags(s);
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
