// The match driver: fixed ticks of 1/120 s, the order of everything inside a
// tick, the phase machine, the shot clock and the clear rule.
//
// updateMatch is the offline entry (variable frame time in, whole ticks out),
// stepMatchFrame the netcode's and test modes' (one 1/60 s frame of exactly two
// ticks, inputs of all four players given), stepMatch one tick.
#pragma once
#include "sim/camera.h"
#include "sim/match_state.h"

constexpr float kTickSeconds = 1.0f / 120.0f;
constexpr float kNetFrameSeconds = 1.0f / 60.0f;
constexpr float kFrameTimeCap = 0.05f;
constexpr int kMaxTicksPerFrame = 12;
constexpr float kSlowMotionFactor = 0.45f;

// camera: the player's look options, for the mouse look of this frame.
void updateMatch(MatchState& state, float frameTime, const PlayerInput& localInput, const CameraOptions& camera);
void stepMatchFrame(MatchState& state, const PlayerInput inputs[4]);
void stepMatch(MatchState& state, float dt, const PlayerInput inputs[4]);
void callDeadBall(MatchState& state, int side, const char* text);

// Beyond the clear line: the corner zone or past the arc (horizontal distance).
bool isBeyondClearLine(Vector3 p);
