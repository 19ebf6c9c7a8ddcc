// The match camera and per-tick input sampling (presentation only: never read
// by the rules, except the yaw the local player faces).
#pragma once
#include "sim/match_state.h"

void applyMouseLook(MatchState& state, const RawInput& input);
void followCameraYaw(MatchState& state, float dt);
void updatePresentation(MatchState& state, float dt);
