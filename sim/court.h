// Small shared services of the match: the match's own random draw, CPU and
// difficulty lookups, court queries, matchups and the set-up of possessions,
// including the full-court mirroring that keeps the attacked hoop at the origin.
#pragma once
#include <cstdint>
#include "sim/match_state.h"

float matchRandomFloat(MatchState& state);
uint32_t matchRandomInt(MatchState& state);
void placeCheckBall(MatchState& state, int team, int* handler, int* checker);
void flipCourt(MatchState& state);
void setOffenseTeam(MatchState& state, int team);
void resetPossession(MatchState& state, int team);
