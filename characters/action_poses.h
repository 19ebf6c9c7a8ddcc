// The target pose of a player for his action state and movement, and the
// rate at which his pose eases toward it.
#pragma once
#include "characters/skeleton.h"

struct MatchState;
struct Player;

// Horizontal speed and its split along the player's facing.
struct PlayerMotion {
    float speed = 0;    // m/s
    float fraction = 0; // speed / 6.5, the full-stride speed
    float forward = 0;  // share of the velocity along the facing (-1..1)
    float sideways = 0; // share toward his left (-1..1)
};

PlayerMotion playerMotion(const Player& player);
bool isLocomotionState(int action);
// In a shot or dunk: past the gather, off the floor.
bool hasTakenOff(const Player& player);
// Writes the whole target (unset slots zero) and returns the easing rate k:
// the pose moves by 1 - exp(-k dt) toward the target.
float actionTargetPose(const MatchState& state, const Player& player, const PlayerMotion& motion, Pose& target);
