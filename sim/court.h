// Small shared services of the match: the match's own random draw, CPU and
// difficulty lookups, court queries, matchups and the set-up of possessions,
// including the full-court mirroring that keeps the attacked hoop at the origin.
#pragma once
#include <cstdint>
#include "sim/match_state.h"

struct HoopNet;

// One xorshift32 step of the match's generator: a float in [0, 1], both ends
// included, or the raw state shifted right by one. Every random decision of
// the simulation is one such step, in a fixed order.
float matchRandomFloat(MatchState& state);
uint32_t matchRandomInt(MatchState& state);

// True when no person plays on the player's team.
bool isCpuPlayer(const MatchState& state, const Player& player);
bool teamHasHuman(const MatchState& state, int team);
// 1 (PRO) for a team with a person on it, else the difficulty setting (0..3).
int playerDifficulty(const MatchState& state, const Player& player);
// The match's difficulty setting, kept inside 0..3.
int difficultySetting(const MatchState& state);

// The ball is in this player's hands.
inline bool holdsBall(const MatchState& state, const Player& player) {
    return state.ball.phase == BALL_HELD && state.ball.holder == player.index;
}

// Body measures the rules read; a player without a model is a 2 m average build.
float playerHeight(const Player& player);
float playerBuild(const Player& player);

bool isThreePointSpot(Vector3 point);
// Base make chance by horizontal distance from the hoop axis.
float shotDistanceBase(float distance);
float contestFactor(const MatchState& state, const Player& shooter, Vector3 point);
float shotQuality(const MatchState& state, const Player& shooter, Vector3 point);
float nearestOtherDistance(const MatchState& state, const Player& player);
bool isPassLaneOpen(const MatchState& state, Vector3 from, Vector3 to, int team, float radius);

void assignMatchups(MatchState& state);
void updateMatchups(MatchState& state);
void placeCheckBall(MatchState& state, int team, int* handler, int* checker);
void flipCourt(MatchState& state);
void setOffenseTeam(MatchState& state, int team);
void resetPossession(MatchState& state, int team);

// The net of the hoop being attacked (the far one while the court is mirrored);
// null without an arena.
HoopNet* attackedNet(MatchState& state);
