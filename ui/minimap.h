// The court minimap in the top right corner: the lines of the attacked end
// (both ends in full court), the players as team-coloured dots with the local
// player's view wedge, and the ball.
#pragma once
#include <raylib.h>

#include "sim/match_state.h"
#include "ui/hud_view.h"

struct MinimapFrame {
    Rectangle rect = {0, 0, 0, 0};
    float depth = 0; // metres of court from the baseline it shows
};
MinimapFrame minimapFrame(bool fullCourt);
// Where a court point (x, z) lands on the map.
Vector2 minimapPoint(const MinimapFrame& frame, float x, float z);
// The local player's view wedge: tip at his dot, opening along his facing.
Triangle2 minimapWedge(Vector2 dot, float yaw);

void drawMinimap(const MatchState& state);
