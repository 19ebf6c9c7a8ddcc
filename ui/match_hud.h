// The match HUD: the 2D overlay over every frame of a match, drawn on the
// 1280x720 canvas after the world pass. In order: name tags, the aiming dot,
// the ball pointer, the chase-view ball guide, the shot meter, callouts, the
// minimap, the scoreboard, the possession bar and must-clear banner, the
// local player's card, the possession banners, the defence marker, the tips
// and the check-ball banner.
//
// It only reads the match, except for the shot meter's fade. The pure pieces
// (what shows where, in which colour) are declared here so they can be
// checked without a window.
#pragma once
#include <raylib.h>

#include "sim/match_state.h"
#include "ui/hud_view.h"

// How visible a name tag is at this distance from the camera (metres).
float tagFade(float distance);
// "%d %s": jersey number and alias or last name.
void nameTagText(const MatchState& state, int player, char* out, int size);

// The arrow round the canvas centre toward a ball off screen, at angle a
// (0: straight ahead, positive: to the right).
Triangle2 ballPointerTriangle(float angle);
// The chase view's marker on the canvas edge toward a ball off screen.
struct EdgeMarker {
    bool shown = false;
    Triangle2 arrow = {};
    Color color = {0, 0, 0, 0}; // of the arrow
    Vector2 label = {0, 0}; // centre of the "BALL" text
};
EdgeMarker ballEdgeMarker(Vector2 projected, bool behindCamera);

struct ShotClockDisplay {
    int seconds = 24;
    Color color = {0, 0, 0, 0};
};
ShotClockDisplay shotClockDisplay(const MatchState& state);

// frameTime is the front end's frame time: the meter's fade follows it, so
// recorded frames come out the same on every run.
void drawMatchHud(MatchState& state, float frameTime);
