// One frame of the in-game screen: pause, tips toggle, mouse capture, local
// input, the match step, the 3D world, post-processing, the overlays and the
// present. Also the black fade and the loading screen the front end uses.
#pragma once
#include "sim/camera.h"
#include "sim/match_state.h"

extern bool pauseOpen;
extern bool controlsOpen;
extern bool onlineMatchActive;

void runMatchFrame(float dt);
// Plays the match's sounds and music cues in the order they happened and
// empties the list (the frame does this after every step).
void playMatchEvents(MatchState& state);
// The user's look options for the mouse look.
CameraOptions cameraOptions();
void drawFade();
void drawLoadingScreen(const char* message);

// Whether the pause key may open the overlay now: closed, the match not over,
// and the screen shown long enough that the key that started it does not count.
bool pauseMayOpen(float screenTimer, int phase);
