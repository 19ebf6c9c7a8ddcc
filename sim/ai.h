// CPU players: per-tick decisions and the shared awareness pass.
//
// aiThink drives every player no input drives this tick (CPU players, the
// local player on autopilot, people outside live play). It only sets the
// wanted move, sprint and face-target fields and calls the action starters;
// the movement and action updates do the rest. Every random decision is a
// draw from the match's own generator, in a fixed order, so re-simulated
// ticks decide the same way.
#pragma once
#include "sim/match_state.h"

void aiThink(MatchState& state, Player& player, float dt);
// Once per tick for every present player, people included: contest level,
// boxing out, help side and stance time.
void aiAwareness(MatchState& state, float dt);

// The role behaviours aiThink dispatches to in live play.
void aiBallHandler(MatchState& state, Player& player);
void aiOffBall(MatchState& state, Player& player, Player& handler, float dt);
void aiDefendBall(MatchState& state, Player& player, Player& handler, float dt);
void aiChaseLooseBall(MatchState& state, Player& player);

// Where a defender marking this player stands (between him and the hoop).
Vector3 guardSpot(const MatchState& state, const Player& player);
// How well a defender at this position covers the handler, 0..1 (the HUD's
// coverage ring and the tips read it).
float coverageScore(const MatchState& state, Vector3 defenderPos, const Player& handler);
