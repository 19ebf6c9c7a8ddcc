// Player movement: top speed, acceleration toward the wanted move, energy,
// turning, the shoe squeak, the vertical step of jumps, and the steering the
// CPU uses to walk to a point.
#pragma once
#include "sim/match_state.h"

float playerMaxSpeed(const MatchState& state, const Player& player);
// One ground step: the wanted move scaled by the top speed x speedScale, reached
// with the acceleration x accelScale.
void updatePlayerMovement(MatchState& state, Player& player, float dt, float speedScale, float accelScale);
// One airborne step under the players' own gravity; true on the tick he lands.
bool integrateVertical(MatchState& state, Player& player, float dt);
void steerToward(MatchState& state, Player& player, Vector3 target, float slowRadius, bool sprintAllowed);
