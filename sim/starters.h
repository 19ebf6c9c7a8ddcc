// Action starters: passes, steals, defence input, jumps and jukes.
#pragma once
#include "sim/match_state.h"

void startPass(MatchState& state, Player& passer, int receiver);
