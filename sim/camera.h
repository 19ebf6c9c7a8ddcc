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
#include <cstdint>

#include "sim/match_state.h"

// The player's own look options, given by the frame: mouse sensitivity 1..10
// and inverted vertical look.
struct CameraOptions {
    int32_t mouseSens = 5;
    uint8_t invertY = 0;
};

void applyMouseLook(MatchState& state, const RawInput& input, const CameraOptions& options);
bool isLocalDefending(const MatchState& state);
void followCameraYaw(MatchState& state, float dt);
// The local player's eye point (player 0's when nobody plays locally).
Vector3 cameraFocusPoint(const MatchState& state);
void updateMatchCamera(MatchState& state, float dt, bool forceReset);
void updatePresentation(MatchState& state, float dt);
void updatePresentationClamped(MatchState& state, float dt);

// A random jolt in [-1, 1] in steps of 0.01 from the camera's own generator
// (never the match's: the camera is presentation).
float cameraJolt(CameraMotion& camera);

// One step of a damped spring toward zero: velocity first, then value.
void stepCameraSpring(CameraSpring& spring, float stiffness, float damping, float dt);
