// Contact between players: collisions, charges, steals and possession.
#pragma once
#include "sim/match_state.h"

// How a player gains the ball.
enum GainKind { GAIN_CATCH = 0, GAIN_RECOVERY = 1, GAIN_INTERCEPTION = 2 };

void resolvePlayerCollisions(MatchState& state);
bool checkCharge(MatchState& state, Player& driver, Player& defender);
void resolveStealReach(MatchState& state, Player& stealer);
void stripBall(MatchState& state, Player& holder, Player& stealer);
void gainPossession(MatchState& state, Player& player, int kind);
