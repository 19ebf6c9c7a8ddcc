// The CPU on defence while the other side holds the ball: the on-ball
// defender keeps a smoothed mark of the handler and stands between him and
// the hoop, drops into stance, reaches for steals and reacts to shots; the
// helper sags off his own man toward the ball and the rim. Also the guard
// spot and the coverage score the HUD and the tips show to a person.
#include "sim/ai.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai_support.h"
#include "sim/court.h"
#include "sim/movement.h"
#include "sim/starters.h"

namespace {

// Difficulty tables, indexed by playerDifficulty (PRO for a team with a person).
constexpr float kReactionRate[4] = {3.2f, 5.0f, 7.5f, 10.5f};
constexpr float kStealAttemptRate[4] = {0.1f, 0.2f, 0.3f, 0.4f};

// On the ball: the gap left to the handler grows with his distance from the hoop.
constexpr float kGapFar = 3.5f, kGapFarFrom = 13.0f;
constexpr float kGapDeep = 2.0f, kGapDeepFrom = 8.6f;
constexpr float kGapMid = 1.6f, kGapMidFrom = 6.0f;
constexpr float kGapNear = 1.1f;
constexpr float kGapMustClear = 0.6f;
constexpr float kGuardSlowRadius = 0.7f;
constexpr float kStanceOffGuard = 1.3f;
constexpr float kStanceReach = 3.3f;
constexpr float kRecoverFromGuard = 1.0f;
constexpr float kSprintEnergy = 0.05f;
constexpr float kAttackingDot = 0.5f;

// Steals.
constexpr float kStealRange = 1.6f;
constexpr float kStealGoodChance = 0.3f;
constexpr float kStealEager = 2.2f, kStealWary = 0.35f;
constexpr float kStealRatingBase = 0.5f;

// Contests: the reaction timer a shot in reach starts.
constexpr float kContestOnBallRange = 2.8f, kContestOnBallDelay = 0.05f;
constexpr float kContestHelpRange = 2.6f, kContestHelpDelay = 0.08f;

// Help defence.
constexpr float kHelpRateShare = 0.8f;
constexpr float kHelpToHoop = 0.3f;
constexpr float kHelpToBall = 0.16f;
constexpr float kHelpLeash = 2.2f;
constexpr float kHelpPaintRange = 3.6f;
constexpr float kHelpRimRange = 2.2f;
constexpr float kHelpCollapse = 0.45f;
constexpr float kHelpSlowRadius = 0.8f;
constexpr float kHelpStanceReach = 3.0f;
constexpr float kHelpStanceSpot = 0.9f;

// Guard spot and coverage.
constexpr float kGuardBallFar = 1.8f, kGuardBallMid = 1.35f, kGuardBallNear = 1.0f;
constexpr float kGuardMustClear = 0.5f;
constexpr float kGuardOffBall = 1.5f;
constexpr float kGuardGapShare = 0.6f;
constexpr float kGuardTowardHolder = 0.15f;
constexpr float kCoverageTooClose = 0.05f;
constexpr float kCoverageOnTop = 0.6f;
constexpr float kCoverageBallReach = 2.4f, kCoverageReach = 3.4f;

bool isShotUnderWay(const Player& p) {
    return p.action == ACT_JUMP_SHOT || p.action == ACT_FINISH || p.action == ACT_DUNK;
}

void startContest(Player& d, const Player& h, float range, float delay) {
    if (isShotUnderWay(h) && d.reactionTimer < 0 && flatDistance(d.pos, h.pos) <= range && !d.airborne)
        d.reactionTimer = delay;
}

void wantSprint(Player& d) {
    if (d.energy > kSprintEnergy) d.sprintWanted = 1;
}

void setStance(Player& d, bool on, float dt) {
    d.stance = on;
    if (on) d.stanceTime += dt;
}

float onBallGap(const MatchState& s, Vector3 mark) {
    const float r = axisDistance(mark);
    float gap = r > kGapFarFrom ? kGapFar : r > kGapDeepFrom ? kGapDeep : r > kGapMidFrom ? kGapMid : kGapNear;
    if (s.mustClear) gap += kGapMustClear;
    return gap;
}

void chooseStance(Player& d, const Player& h, Vector3 guard, float dt) {
    const float toGuard = flatDistance(d.pos, guard);
    const bool close = flatDistance(d.pos, h.pos) <= kStanceReach && d.offBalance <= 0;
    if (toGuard > kStanceOffGuard) {
        setStance(d, false, dt);
        wantSprint(d);
    } else if (h.sprinting && flatDot(flatUnit(Vector3Negate(h.pos)), flatUnit(h.vel)) > kAttackingDot) {
        setStance(d, false, dt);
        wantSprint(d);
    } else if (h.sprinting) {
        setStance(d, close, dt);
        if (!close) wantSprint(d);
    } else {
        setStance(d, close, dt);
        if (!close && toGuard > kRecoverFromGuard) wantSprint(d);
    }
}

void markHandler(MatchState& s, Player& d, const Player& h, float k, float dt) {
    d.homeSpot = Vector3Lerp(d.homeSpot, h.pos, smoothFactor(k, dt));
    const Vector3 mark = d.homeSpot;
    const Vector3 guard =
        Vector3Add(mark, Vector3Scale(flatUnit(Vector3Subtract(kHoopAxis, mark)), onBallGap(s, mark)));
    steerToward(s, d, guard, kGuardSlowRadius, true);
    chooseStance(d, h, guard, dt);
    faceToward(d, h.pos);

    if (flatDistance(d.pos, h.pos) <= kStealRange && d.stealCooldown <= 0 &&
        (h.action == ACT_MOVE || h.action == ACT_DRIBBLE_MOVE)) {
        const bool goodChance = holdsBall(s, h) && stealChance(s, d, h) > kStealGoodChance;
        const float factor = goodChance ? kStealEager : kStealWary;
        const float rate = (kStealRatingBase + d.ratings[RATING_STEAL]) * kStealAttemptRate[playerDifficulty(s, d)];
        // A failed draw ends the defender's tick.
        if (!(rate * factor * dt > matchRandomFloat(s))) return;
        if (d.action == ACT_MOVE && !d.airborne) startSteal(s, d);
    }
    startContest(d, h, kContestOnBallRange, kContestOnBallDelay);
}

void helpDefence(MatchState& s, Player& d, const Player& h, const Player& m, float k, float dt) {
    d.homeSpot = Vector3Lerp(d.homeSpot, m.pos, smoothFactor(kHelpRateShare * k, dt));
    const Vector3 mark = d.homeSpot;
    Vector3 help = flatLerp(mark, kHoopAxis, kHelpToHoop);
    help.x += kHelpToBall * (h.pos.x - mark.x);
    help.z += kHelpToBall * (h.pos.z - mark.z);
    if (flatDistance(help, m.pos) > kHelpLeash)
        help = Vector3Add(m.pos, Vector3Scale(flatUnit(Vector3Subtract(help, m.pos)), kHelpLeash));

    const float handlerR = axisDistance(h.pos);
    const Player& onBall = teammateOf(s, d);
    const bool beaten =
        flatDot(flatUnit(Vector3Negate(h.pos)), flatUnit(Vector3Subtract(onBall.pos, h.pos))) < 0;
    if ((handlerR <= kHelpPaintRange && beaten) || handlerR <= kHelpRimRange)
        help = flatLerp(h.pos, kHoopAxis, kHelpCollapse);

    steerToward(s, d, help, kHelpSlowRadius, true);
    faceToward(d, h.pos);
    setStance(d, flatDistance(d.pos, h.pos) <= kHelpStanceReach && flatDistance(d.pos, help) <= kHelpStanceSpot,
              dt);
    startContest(d, h, kContestHelpRange, kContestHelpDelay);
}

} // namespace

void aiDefendBall(MatchState& s, Player& d, Player& h, float dt) {
    const float k = kReactionRate[playerDifficulty(s, d)];
    int m = d.matchup;
    // An unset (or stale) matchup means the handler's partner.
    if (m < 0 || m > 3 || s.players[m].team == d.team) m = h.index ^ 1;
    if (m == h.index || !s.players[m].present) markHandler(s, d, h, k, dt);
    else helpDefence(s, d, h, s.players[m], k, dt);
}

Vector3 guardSpot(const MatchState& s, const Player& p) {
    const float r = axisDistance(p.pos);
    float gap = kGuardOffBall;
    if (p.hasBall) {
        gap = r > kGapDeepFrom ? kGuardBallFar : r > kGapMidFrom ? kGuardBallMid : kGuardBallNear;
        if (s.mustClear) gap += kGuardMustClear;
    }
    gap = std::fmin(gap, kGuardGapShare * r);
    const Vector3 toHoop = flatUnit(Vector3Negate(p.pos));
    Vector3 spot = {p.pos.x + gap * toHoop.x, p.pos.y, p.pos.z + gap * toHoop.z};
    const Player& mate = teammateOf(s, p);
    if (!p.hasBall && holdsBall(s, mate)) spot = flatLerp(spot, mate.pos, kGuardTowardHolder);
    return spot;
}

float coverageScore(const MatchState&, Vector3 defenderPos, const Player& h) {
    const float d = flatDistance(defenderPos, h.pos);
    if (d < kCoverageTooClose) return kCoverageOnTop;
    const Vector3 toDefender = flatUnit(Vector3Subtract(defenderPos, h.pos));
    const Vector3 toHoop = flatUnit(Vector3Negate(h.pos));
    const float alignment = clampf(0.5f + 0.5f * flatDot(toDefender, toHoop), 0.0f, 1.0f);
    const float reach = h.hasBall ? kCoverageBallReach : kCoverageReach;
    const float falloff = d > reach ? 1.0f - 0.7f * std::fmin((d - reach) * 0.5f, 1.0f) : 1.0f;
    return alignment * falloff;
}
