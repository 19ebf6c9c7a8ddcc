// The action state machine: one tick of each player's state, dribble moves,
// and a human's per-tick input turned into movement and action starts.
#pragma once
#include "sim/match_state.h"

void updatePlayerAction(MatchState& state, Player& player, float dt);
void updateDribbleMove(MatchState& state, Player& player, float dt);
void applyPlayerInput(MatchState& state, Player& player, const PlayerInput& input, float dt);

// Every change of state restarts the action timer.
inline void setAction(Player& player, int action) {
    player.action = action;
    player.actionTimer = 0;
}
