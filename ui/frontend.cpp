#include "ui/frontend.h"

#include <algorithm>
#include <cmath>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/net_test_driver.h"
#include "app/run_flags.h"
#include "audio/audio.h"
#include "net/party.h"
#include "render/renderer.h"
#include "ui/lineup.h"
#include "ui/party_lobby.h"
#include "ui/screens.h"
#include "ui/squad_select.h"

int frontendScreen = SCREEN_TITLE;
int optionsReturnScreen = SCREEN_TITLE;
float screenTimer = 0.0f;
float fadeAmount = 1.0f;
bool titleMenuOpen = false;
int onlineRow = 0;
int textEntryMode = ENTRY_NONE;
std::string textEntryBuffer;
std::string partyCodeInput;
bool lobbyReady = false;
int closeupView = 0;
bool cleanTitle = false;

namespace {

constexpr float kMaxFrameTime = 0.1f;
constexpr float kFadeRate = 3.0f;
constexpr float kBackdropVignette = 1.2f, kBackdropSaturation = 0.85f;
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

void drawMenuBackground(float dim) {
    drawMenuBackdrop3D(animClock);
    renderPost(renderer, kBackdropVignette, kBackdropSaturation);
    EndShaderMode();
    DrawRectangle(0, 0, kCanvasWidth, kCanvasHeight, {0, 0, 0, (unsigned char)std::clamp(dim * 255, 0.0f, 255.0f)});
}

void frontendFrame() {
    const float dt = frontendFrameTime(GetFrameTime());
    animClock += dt;
    fadeAmount = std::fmax(fadeAmount - kFadeRate * dt, 0.0f);
    screenTimer += dt;
    updateAudio(dt);
    if (frontendScreen != SCREEN_IN_GAME && !headlessRun && IsCursorHidden()) EnableCursor();
    updateParty(netParty, dt);
    netTestStep();

    switch (frontendScreen) {
    case SCREEN_TITLE: titleScreenFrame(); break;
    case SCREEN_SQUAD_SELECT: squadSelectFrame(dt); break;
    case SCREEN_OPTIONS: optionsScreenFrame(); break;
    case SCREEN_HOW_TO_PLAY: howToPlayScreenFrame(); break;
    case SCREEN_LOADING:
        drawLoadingScreen(kLoadingMessage);
        startMatch();
        break;
    case SCREEN_IN_GAME: runMatchFrame(dt); break;
    case SCREEN_ONLINE_MENU: onlineMenuFrame(); break;
    case SCREEN_PARTY_LOBBY: partyLobbyFrame(); break;
    default: break;
    }
}
