// Player animation: every player posed from his action state each frame.
#pragma once

struct MatchState;

void animatePlayers(MatchState& state, float dt);
