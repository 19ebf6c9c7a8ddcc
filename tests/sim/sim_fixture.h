// The match fixture of the simulation tests: a new match on the real roster
// (its players' measures, no meshes) with its own arena (nothing of the
// program is written), stepped by the real driver and posed by the real
// animation; and helpers that build situations on the court.
#pragma once
#include <cstdint>
#include <memory>

#include "sim/match_arena.h"
#include "sim/match_state.h"

constexpr float kTick = 1.0f / 120.0f;

struct MatchOptions {
    int localIndex = 0;
    bool oneOnOne = false;
    bool fullCourt = false;
    int difficulty = 1;
    int target = 15;
    uint32_t seed = 1;
};

// A match and the arena its nets and court transform live in.
struct TestMatch : MatchState {
    MatchArena hoops;
};

// A new match (opening phase, no callouts) between roster teams 0 and 1.
std::unique_ptr<TestMatch> newMatch(const MatchOptions& options = {});
// The same into a given record, without an arena (for snapshots and peers).
void startTestMatch(MatchState& s, int localIndex, bool oneOnOne, bool fullCourt, uint32_t seed = 7);

// Places a player at rest at a point, facing yaw, on the ground in the move
// state, and poses him there.
void placePlayer(Player& p, Vector3 pos, float yaw);
// Live play with the given player holding the ball for his side (offence),
// the ball in his hands.
void giveBall(MatchState& s, int holder);
// One tick of the driver, then the animation for that tick, as a frame of
// one tick would run them.
void tick(MatchState& s, const PlayerInput inputs[4]);
void tick(MatchState& s);
// Moves the match generator to a nearby state whose next draw lies in [lo, hi).
void setNextDraw(MatchState& s, float lo, float hi);
// Trial n's match seed: the generator's first draws from small seeds are
// tiny, so trials over consecutive n would share their early draws.
uint32_t trialSeed(uint32_t n);
