// Shared set-up of the rules tests: a new match on the real roster, and
// helpers that build situations on the court directly.
#pragma once
#include <memory>

#include "sim/match_state.h"

struct MatchOptions {
    int localIndex = 0;
    bool oneOnOne = false;
    bool fullCourt = false;
    int difficulty = 1;
    int target = 15;
    uint32_t seed = 1;
};

// A new match (opening phase) with the roster models and the global arena.
std::unique_ptr<MatchState> newMatch(const MatchOptions& options = {});

// Places a player at rest at a point, facing yaw, on the ground in the move state.
void placePlayer(Player& p, Vector3 pos, float yaw);
// Live play with the given player holding the ball for his side (offence).
void giveBall(MatchState& s, int holder);
// Where the animation would carry a held ball: in front of the holder's chest.
void carryHeldBall(MatchState& s);
// A stand-in for the player animation: skeletons posed at the players (arms up
// while dunking or in the air), and the held ball carried.
void animateForTest(MatchState& s);
// One driver tick with the given inputs, then the stand-in animation.
void tick(MatchState& s, const PlayerInput inputs[4]);
void tick(MatchState& s);
// Moves the match generator to a nearby state whose next draw lies in [lo, hi).
void setNextDraw(MatchState& s, float lo, float hi);
