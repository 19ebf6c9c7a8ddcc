// Small helpers shared by the CPU behaviours (not part of the AI's interface).
#pragma once
#include <raylib.h>

#include "sim/court.h"
#include "sim/match_state.h"
#include "sim/sim_math.h"

constexpr Vector3 kHoopAxis = {0, 0, 0};

// The other player of the same team (present or not).
inline Player& teammateOf(MatchState& s, const Player& p) { return s.players[p.index ^ 1]; }
inline const Player& teammateOf(const MatchState& s, const Player& p) { return s.players[p.index ^ 1]; }

// Horizontal distance from the hoop axis.
inline float axisDistance(Vector3 p) { return flatLength(p); }

inline bool isShootingAction(int action) {
    return action == ACT_JUMP_SHOT || action == ACT_FINISH || action == ACT_DUNK || action == ACT_ALLEY_OOP;
}

// Horizontal point a + k (b - a).
inline Vector3 flatLerp(Vector3 a, Vector3 b, float k) { return {a.x + k * (b.x - a.x), a.y, a.z + k * (b.z - a.z)}; }

inline void faceToward(Player& p, Vector3 point) {
    p.faceTarget = 1;
    p.facePoint = point;
}

// A CPU jump toward a target (a block, a bitten fake, a rebound): the
// block-jump flag is set, and an airborne player only keeps the flag.
void aiJumpAt(Player& player, Vector3 push);

// Among `count` spots, in table order, the first with the strictly highest
// score; one draw per spot is passed to the score, in table order.
template <typename Score>
int pickSpot(MatchState& s, const Vector3* spots, int count, Score score) {
    int best = 0;
    float bestScore = -1e9f;
    for (int i = 0; i < count; ++i) {
        const float v = score(spots[i], matchRandomFloat(s));
        if (v > bestScore) {
            bestScore = v;
            best = i;
        }
    }
    return best;
}
