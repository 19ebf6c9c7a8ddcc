// Player animation: every player posed from his action state each frame, and
// the held ball placed in the holder's animated hands.
//
// This is part of the deterministic simulation: the hand points and the held
// ball enter the state hash, so it reads only match data and, online, the
// match clock.
#pragma once

struct MatchState;

// Chooses each present player's target pose, eases his pose toward it, runs
// his stride, aims his head, poses his skeleton; then places and spins the
// held ball. dt is the simulated time since the last call (0 re-poses only).
void animatePlayers(MatchState& state, float dt);
