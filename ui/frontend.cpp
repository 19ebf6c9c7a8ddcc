#include "ui/frontend.h"

#include <cmath>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/run_flags.h"
#include "audio/audio.h"

int frontendScreen = SCREEN_TITLE;
float screenTimer = 0.0f;
float fadeAmount = 1.0f;
bool titleMenuOpen = false;
int onlineRow = 0;
int closeupView = 0;
bool cleanTitle = false;

namespace {

constexpr float kMaxFrameTime = 0.1f;
constexpr float kFadeRate = 3.0f;
constexpr const char* kLoadingMessage = "GETTING THE ARENA READY...";

} // namespace

void changeScreen(int screen) {
    frontendScreen = screen;
    screenTimer = 0.0f;
    fadeAmount = 1.0f;
}

float frontendFrameTime(float realFrameTime) {
    const float dt = recordFrameDt > 0 ? recordFrameDt : realFrameTime;
    return std::fmin(dt, kMaxFrameTime);
}

void frontendFrame() {
    const float dt = frontendFrameTime(GetFrameTime());
    animClock += dt;
    fadeAmount = std::fmax(fadeAmount - kFadeRate * dt, 0.0f);
    screenTimer += dt;
    updateAudio(dt);
    if (frontendScreen != SCREEN_IN_GAME && !headlessRun && IsCursorHidden()) EnableCursor();

    switch (frontendScreen) {
    case SCREEN_LOADING:
        drawLoadingScreen(kLoadingMessage);
        startMatch();
        break;
    case SCREEN_IN_GAME: runMatchFrame(dt); break;
    default:
        // The title, squad select, options and online screens are not in this
        // build: every other screen starts a match.
        changeScreen(SCREEN_LOADING);
        break;
    }
}
