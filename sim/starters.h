// Action starters: they check that an action may start, put the player into
// its state with its timers and first push, set the ball up for a pass, and
// play the action's sound. The state machine then runs the action.
#pragma once
#include "sim/match_state.h"

float stealChance(const MatchState& state, const Player& stealer, const Player& handler);
// stealChance when that player holds the ball, else 0 (the HUD and tips show it).
float stealChanceOnHolder(const MatchState& state, const Player& stealer, const Player& player);
void startSteal(MatchState& state, Player& stealer);
void trySteal(MatchState& state, Player& player);
void startPass(MatchState& state, Player& passer, int receiver);
void tryPass(MatchState& state, Player& passer, int receiver);
void applyDefenseInput(MatchState& state, Player& player, const PlayerInput& input, float dt);
void startJump(MatchState& state, Player& player, Vector3 push);
void startJuke(MatchState& state, Player& player, Vector3 wanted);
