// The match camera and per-tick input sampling. Presentation only: updated per
// frame, never saved or hashed, never read by the rules, except that
// followCameraYaw (run in every simulation tick) turns the local player to the
// first-person view.
//
// First person: an eye at the local player's head, turned by the mouse, with
// springs, head bob, landing dips, kicks, shake and a push-out from other
// bodies. On defence the view blends into a chase camera behind and above the
// play that keeps the ball and the local player in frame. The opening of a
// match flies in from a high overview.
#pragma once
#include "sim/match_state.h"

void applyMouseLook(MatchState& state, const RawInput& input);
// The frame's device input as the local player's per-tick input, relative to
// the camera. frameTime advances the idle-stick clock of the sprint toggle:
// the frame time offline, 1/60 s per sampled net tick online.
void sampleInput(PlayerInput& out, MatchState& state, const RawInput& input, float frameTime);
// Forgets the sprint toggle's latch and idle-stick clock (a new match).
void resetInputSampler();
bool isLocalDefending(const MatchState& state);
void followCameraYaw(MatchState& state, float dt);
// The local player's eye point (player 0's when nobody plays locally).
Vector3 cameraFocusPoint(const MatchState& state);
void updateMatchCamera(MatchState& state, float dt, bool forceReset);
void updatePresentation(MatchState& state, float dt);
void updatePresentationClamped(MatchState& state, float dt);

// One step of a damped spring toward zero: velocity first, then value.
void stepCameraSpring(CameraSpring& spring, float stiffness, float damping, float dt);
