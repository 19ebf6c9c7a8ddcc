// The local player's input relative to the view. Both ways into the match
// use these helpers: sampleInput turns the frame's device input into the
// per-tick PlayerInput that the netcode sends, and applyPlayerInput does the
// same for an unsampled RawInput (offline play), so both read the stick and
// the sprint toggle alike.
#pragma once
#include <cstdint>
#include <raylib.h>

#include "sim/match_state.h"

// The frame's device input as the local player's per-tick input, relative to
// the camera. frameTime advances the idle-stick clock of the sprint toggle:
// the frame time offline, 1/60 s per sampled net tick online.
void sampleInput(PlayerInput& out, MatchState& state, const RawInput& input, float frameTime);
// Forgets the sampler's sprint latch and idle-stick clock (a new match).
void resetInputSampler();

// The stick (right, forward) turned into the court frame of the view: the
// chase camera's heading once it dominates, else the first-person yaw. Longer
// than 1 it is shortened to 1.
Vector3 stickToCourt(const MatchState& state, float moveX, float moveY);
// One step of the sprint toggle: a press flips the latch; a stick shorter
// than 0.1 for more than 0.5 s, the player's energy down to 0.02, or `drop`
// clears it. Returns the latch.
uint8_t stepSprintLatch(uint8_t& latch, float& idleStickTime, bool pressed, float stick, float energy, float dt,
                        bool drop);
