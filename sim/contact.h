// Contact between players: collisions, charges, steals and possession.
#pragma once
#include "sim/match_state.h"

void resolvePlayerCollisions(MatchState& state);
