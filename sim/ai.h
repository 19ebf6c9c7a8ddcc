// CPU players: per-tick decisions and the shared awareness pass.
#pragma once
#include "sim/match_state.h"

void aiThink(MatchState& state, Player& player, float dt);
void aiAwareness(MatchState& state, float dt);
// How well a defender standing at defender covers the ball handler, 0..1.
float coverageScore(const MatchState& state, Vector3 defender, const Player& handler);
