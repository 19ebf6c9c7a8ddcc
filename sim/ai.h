// CPU players: per-tick decisions and the shared awareness pass.
#pragma once
#include "sim/match_state.h"

void aiThink(MatchState& state, Player& player, float dt);
void aiAwareness(MatchState& state, float dt);
