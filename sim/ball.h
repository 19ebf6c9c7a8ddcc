// Ball flight: rim, backboard, floor, out of bounds, blocks and catches.
#pragma once
#include "sim/match_state.h"

void updateBall(MatchState& state, float dt);
