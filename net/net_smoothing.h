// Correction smoothing: a rollback or a resync can move players and the ball
// at once. Instead of showing the jump, each keeps a visible offset (where it
// was shown minus where the corrected simulation put it) that decays within
// about half a second.
//
// The offsets touch the match only for drawing: smoothNetCorrections saves
// the true positions and skeletons and writes the displaced ones for the
// renderer; undoNetSmoothing puts the true ones back before the next step, so
// nothing drawn ever reaches the simulation or its hash. The same step poses
// players who show an emote, at their displayed positions, on a pose of its
// own.
#pragma once
#include <raylib.h>

#include "characters/skeleton.h"

struct MatchState;

struct NetSmoothing {
    Vector3 playerOffset[4] = {};
    Vector3 ballOffset = {0, 0, 0};
    bool restorePending = false; // the match holds displaced positions
    Vector3 savedPos[4] = {};
    Vector3 savedBallPos = {0, 0, 0};
    Skeleton savedSkeleton[4];
};

constexpr float kSmoothingRate = 12.0f;     // per second
constexpr float kSmoothingSnapBeyond = 3.0f; // metres: shown at once
constexpr float kSmoothingEndsBelow = 0.002f;

// Once per frame after the simulation step, before the presentation update.
void smoothNetCorrections(NetSmoothing& smoothing, MatchState& match, float dt);
// Puts the true positions and skeletons back; first of every netcode frame.
void undoNetSmoothing(NetSmoothing& smoothing, MatchState& match);
