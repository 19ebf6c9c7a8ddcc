// One frame of the in-game screen: pause, tips toggle, mouse capture, local
// input, the match step, the 3D world, post-processing, the overlays and the
// present. Also the black fade and the loading screen the front end uses.
#pragma once
#include "sim/camera.h"
#include "sim/match_state.h"
#include "ui/menu.h"

extern bool pauseOpen;
extern bool controlsOpen;
extern bool onlineMatchActive;

// One frame of the in-game screen, offline or online (onlineMatchActive).
void runMatchFrame(float dt);
// Plays the match's sounds and music cues in the order they happened and
// empties the list (the frame does this after every step).
void playMatchEvents(MatchState& state);
// The user's look options for the mouse look.
CameraOptions cameraOptions();
void drawFade();
void drawLoadingScreen(const char* message);

// Pieces the offline and online frames share.
// H or F1: flips the tips setting with its toast and sound and saves it;
// online the user's own copy is flipped too and saved (not in headless runs).
void toggleTips(bool online);
bool tipsKeyPressed();
// The CONTROLS view over the pause overlay closes on confirm or back.
void controlsViewInput(const MenuInput& input);
// The 3D world and its grading, dimmed and greyed while paused.
void drawMatchScene(const MatchState& state);
// The black veil under the pause overlays.
void dimForOverlay();

// Whether the pause key may open the overlay now: closed, the match not over,
// and the screen shown long enough that the key that started it does not count.
bool pauseMayOpen(float screenTimer, int phase);
