// The front end's screen state and its per-frame entry. The main loop calls
// frontendFrame once per frame: it advances the shared clocks, runs the
// audio update and the party connection, and then exactly one screen, which
// draws and presents the frame itself. The in-game screen hands its frame to
// runMatchFrame; the loading screen starts a match.
#pragma once
#include <string>

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

// What the online menu's text entry is editing.
enum TextEntryMode : int {
    ENTRY_NONE = 0,
    ENTRY_ALIAS = 1,
    ENTRY_PARTY_CODE = 2,
};

extern int frontendScreen;
extern int optionsReturnScreen; // where the options screen goes back to
extern float screenTimer;       // seconds since the last screen change
extern float fadeAmount;        // alpha 0..1 of the black fade over the canvas
extern bool titleMenuOpen;      // the title shows the main menu, not "PRESS ENTER"
// The online menu's selected row: 0 ALIAS, 1 CREATE PARTY, 2 JOIN PARTY, 3 BACK.
extern int onlineRow;
extern int textEntryMode;
extern std::string textEntryBuffer;
extern std::string partyCodeInput; // the last confirmed party code
extern bool lobbyReady;            // the local ready flag of the party lobby
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
// The backdrop of the options, how-to-play and online screens: the lineup,
// graded darker, under a black veil of alpha dim.
void drawMenuBackground(float dim);
