// The front end's screen state and its per-frame entry. The main loop calls
// frontendFrame once per frame; it advances the shared clocks, runs the audio
// update and then exactly one screen. The in-game screen hands its frame to
// runMatchFrame; the loading screen starts a match.
#pragma once

enum FrontendScreen : int {
    SCREEN_TITLE = 0,
    SCREEN_SQUAD_SELECT = 1,
    SCREEN_OPTIONS = 2,
    SCREEN_HOW_TO_PLAY = 3,
    SCREEN_LOADING = 4,
    SCREEN_IN_GAME = 5,
    SCREEN_ONLINE_MENU = 6,
    SCREEN_PARTY_LOBBY = 7,
};

extern int frontendScreen;
extern float screenTimer;
extern float fadeAmount;
extern bool titleMenuOpen;
// The online menu's selected row: 0 ALIAS, 1 CREATE PARTY, 2 JOIN PARTY, 3 BACK.
extern int onlineRow;
// Set only by the screenshot scenes: closeupView moves the lineup camera in;
// either makes the title screen show the lineup alone.
extern int closeupView;
extern bool cleanTitle;

// Every change of screen restarts the screen timer and the fade.
void changeScreen(int screen);
// The frame time the front end runs on: the fixed recording step when
// recording, else the real one, at most 0.1 s.
float frontendFrameTime(float realFrameTime);
void frontendFrame();
