// The 3D world of one match frame, rendered into the scene target: lights,
// the shadow map, the mirrored floor reflection, the floor, ground shadows,
// the guide rings under the players, the arena, the players, the ball, the
// nets and the backboards. Reads the match, never changes it. The caller
// then runs the post chain and the HUD.
#pragma once
#include <raylib.h>

#include "render/renderer.h"
#include "sim/match_state.h"

// The hall's lights. After the teams change ends the court is flipped under
// the hall, so the horizontal light directions turn with it.
SceneLighting matchLighting(bool flipped);
// Where the shadow map is centred along the court: the near half in half
// court; in full court it follows the local player (player 0 without one).
float matchShadowCentreZ(const MatchState& state);

// A guide ring on the floor: the coverage ring around the matched opponent
// while he holds the ball, the own ring while the chase camera is in.
struct GuideRing {
    bool shown = false;
    Color colour = {0, 0, 0, 0};
    float alpha = 0;
    float scale = 1; // across the ring mesh (radii 0.42 to 0.5)
    Vector3 position = {0, 0, 0};
};
struct GuideRings {
    GuideRing coverage;
    GuideRing own;
};
// The rings of the local player in live play; time is the animation clock.
GuideRings matchGuideRings(const MatchState& state, float time);

void drawMatchWorld(const MatchState& state);
