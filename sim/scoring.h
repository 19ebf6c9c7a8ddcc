// Shooting, finishing and scoring: the jump shot, the drive finish, the dunk
// and the alley-oop, the release of a shot, and the score of a made shot.
#pragma once
#include "sim/match_state.h"

void updateJumpShot(MatchState& state, Player& player, float dt);
void updateDriveFinish(MatchState& state, Player& player, float dt);
void updateDunk(MatchState& state, Player& player, float dt);
void finishAtRim(MatchState& state, Player& player);
void throwAlleyOop(MatchState& state, Player& receiver);
void releaseShot(MatchState& state, Player& player, bool finish);
void scoreMadeShot(MatchState& state);
