// The CPU on offence: the ball handler (drive, clear the ball, finish,
// shoot, pass, juke or walk to a new spot) and his partner off the ball
// (spacing, cuts to the rim, making room while the ball is cleared).
//
// The handler decides every few tenths of a second (decision timer) and
// walks to his chosen spot in between; a drive, once started, runs every
// tick until he finishes or gives it up.
#include "sim/ai.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai_support.h"
#include "sim/court.h"
#include "sim/movement.h"
#include "sim/shot_start.h"
#include "sim/starters.h"

namespace {

constexpr int kSpotCount = 9;
constexpr Vector3 kHandlerSpots[kSpotCount] = {
    {0, 0, 7.9f}, {4.6f, 0, 6.0f},  {-4.6f, 0, 6.0f}, {2.8f, 0, 4.3f}, {-2.8f, 0, 4.3f},
    {6.9f, 0, 0.8f}, {-6.9f, 0, 0.8f}, {2.0f, 0, 6.2f},  {-2.0f, 0, 6.2f},
};
constexpr Vector3 kOffBallSpots[kSpotCount] = {
    {6.8f, 0, 0.6f}, {-6.8f, 0, 0.6f}, {5.3f, 0, 5.0f},  {-5.3f, 0, 5.0f}, {0, 0, 8.0f},
    {2.6f, 0, 4.4f}, {-2.6f, 0, 4.4f}, {2.8f, 0, 0.8f},  {-2.8f, 0, 0.8f},
};

// Driving to the rim.
constexpr float kDriveTarget = 0.9f;
constexpr float kDriveSlowRadius = 0.6f;
constexpr float kDriveLaneRadius = 0.55f;
constexpr float kDriveCommitRange = 3.2f;
constexpr float kDriveFinishRange = 2.6f;
constexpr float kDriveGiveUp = 0.04f;

// Decisions of the handler.
constexpr float kDecisionBase = 0.18f;
constexpr float kDecisionSpread = 0.14f;
constexpr float kFastDecision = 0.8f; // CPU teams above PRO decide quicker
constexpr float kUrgentClock = 5.0f;
constexpr float kLastSecondClock = 2.2f;
constexpr float kWalkSlowRadius = 1.0f;

// Clearing the ball: where the CPU counts as cleared, where he dribbles to,
// and where his partner counts as clear enough for a pass.
constexpr float kCornerZ = 2.72f;
constexpr float kSelfClearCorner = 6.91f, kSelfClearArc = 7.44f;
constexpr float kClearRadius = 8.24f;
constexpr float kClearMinZ = 0.2f, kClearTurnZ = 0.6f;
constexpr float kMateClearCorner = 7.01f, kMateClearArc = 7.54f;
constexpr float kClearPassSpace = 2.2f;
constexpr float kClearPassHeld = 0.8f;
constexpr float kClearPassChance = 0.25f;
constexpr float kPassLaneRadius = 0.6f;

// Finishing and shooting.
constexpr float kFinishRange = 2.4f;
constexpr float kFinishHeld = 0.25f;
constexpr float kShotThreshold = 0.92f;
constexpr float kShotThresholdSpread = 0.24f;
constexpr float kUrgencyDrop = 0.25f;
constexpr float kFreshClock = 18.0f;
constexpr float kFreshClockRaise = 0.18f;
constexpr float kShotHeld = 0.5f;
constexpr float kMinShotQuality = 0.24f;

// Starting a drive.
constexpr float kDriveFrom = 9.0f;
constexpr float kDriveLaneWide = 0.85f;
constexpr float kDriveHeld = 0.35f;
constexpr float kDriveChance = 0.3f;

// Passing to a better-placed partner.
constexpr float kPassHeld = 0.7f;
constexpr float kCutterRange = 3.0f;
constexpr float kCutterSpace = 1.4f;
constexpr float kPassValueMargin = 0.18f;

// Jukes.
constexpr float kJukeRange = 1.3f;
constexpr float kJukeBase = 0.22f;
constexpr float kJukeHandles = 0.2f;
constexpr float kJukeToHoop = 0.5f;

// Walking to spots.
constexpr float kSpotTimerStep = 0.25f; // per decision
constexpr float kSpotArrived = 0.6f;
constexpr float kHandlerSpotBase = 1.5f, kHandlerSpotSpread = 1.5f;
constexpr float kOffBallSpotBase = 2.0f, kOffBallSpotSpread = 2.0f;

// Off the ball.
constexpr float kOffBallClearRadius = 8.04f;
constexpr float kOffBallClearShift = 0.8f;
constexpr float kOffBallClearSide = 2.5f;
constexpr float kOffBallClearZ = 6.2f;
constexpr float kCutX = 0.7f, kCutZ = 1.0f;
constexpr float kCutSlowRadius = 0.6f;
constexpr float kCutSeconds = 1.6f;
constexpr float kCutBase = 0.35f, kCutDunk = 0.3f;
constexpr float kCutFrom = 3.0f;
constexpr float kRepickNearHandler = 3.2f;
constexpr float kOffBallSlowRadius = 1.2f;
constexpr float kMarkedClose = 2.3f;
constexpr float kHandlerDistanceWanted = 5.5f;

// Beyond a line made of a corner zone (z < 2.72: |x| > corner) and an arc.
bool beyond(Vector3 p, float corner, float arc) {
    if (p.z < kCornerZ) return std::fabs(p.x) > corner;
    return axisDistance(p) > arc;
}

// Sum over present opponents of weight x how far inside reach of the spot they stand.
float crowding(const MatchState& s, int team, Vector3 spot, float reach, float weight) {
    float sum = 0;
    for (const Player& o : s.players)
        if (o.present && o.team != team) sum += weight * std::fmax(reach - flatDistance(o.pos, spot), 0.0f);
    return sum;
}

float shotValue(const MatchState& s, const Player& p, float* quality) {
    const float q = shotQuality(s, p, p.pos);
    if (quality) *quality = q;
    return (isThreePointSpot(p.pos) ? 3.0f : 2.0f) * q;
}

void shootOrFinish(MatchState& s, Player& p) {
    if (inFinishRange(s, p)) chooseFinish(s, p);
    else startJumpShot(s, p);
}

void drive(MatchState& s, Player& p) {
    const float r = axisDistance(p.pos);
    const Vector3 target = Vector3Scale(flatUnit(p.pos, {0, 0, -1}), kDriveTarget);
    steerToward(s, p, target, kDriveSlowRadius, true);
    p.sprintWanted = 1;
    if (isPassLaneOpen(s, p.pos, kHoopAxis, p.team, kDriveLaneRadius) || r <= kDriveCommitRange) {
        if (inFinishRange(s, p) && r < kDriveFinishRange) {
            p.driving = 0;
            chooseFinish(s, p);
        }
        return;
    }
    if (matchRandomFloat(s) < kDriveGiveUp) p.driving = 0;
}

// The must-clear rule while the handler is inside the line: dribble out to
// the clear circle, or hand it to a partner who already stands outside.
void clearOut(MatchState& s, Player& p, float held) {
    Vector3 u = flatUnit(p.pos);
    if (u.z < kClearMinZ) u = flatUnit({u.x, 0, kClearTurnZ});
    p.aiSpot = Vector3Scale(u, kClearRadius);
    Player& q = teammateOf(s, p);
    const bool pass = q.present && beyond(q.pos, kMateClearCorner, kMateClearArc) &&
                      nearestOtherDistance(s, q) > kClearPassSpace &&
                      isPassLaneOpen(s, p.pos, q.pos, p.team, kPassLaneRadius) && held > kClearPassHeld &&
                      matchRandomFloat(s) < kClearPassChance;
    if (pass) tryPass(s, p, q.index);
    else steerToward(s, p, p.aiSpot, kWalkSlowRadius, true);
}

bool partnerWantsBall(const MatchState& s, const Player& q, float value) {
    const float w = (isThreePointSpot(q.pos) ? 3.0f : 2.0f) * shotQuality(s, q, q.pos);
    if (q.cutting && axisDistance(q.pos) <= kCutterRange && nearestOtherDistance(s, q) > kCutterSpace) return true;
    return w > value + kPassValueMargin;
}

bool tryJuke(MatchState& s, Player& p) {
    if (nearestOtherDistance(s, p) > kJukeRange || p.jukeCooldown > 0) return false;
    if (!(matchRandomFloat(s) < kJukeBase + kJukeHandles * p.ratings[RATING_HANDLES])) return false;
    const float side = matchRandomFloat(s) < 0.5f ? 1.0f : -1.0f;
    const Vector3 toHoop = flatUnit(Vector3Negate(p.pos));
    const Vector3 dir = Vector3Add(Vector3Scale(toHoop, kJukeToHoop), Vector3Scale(leftOf(p.yaw), side));
    startJuke(s, p, dir);
    return true;
}

void pickHandlerSpot(MatchState& s, Player& p) {
    const Player& q = teammateOf(s, p);
    const float shooting = p.ratings[RATING_SHOOTING], three = p.ratings[RATING_THREE];
    const int best = pickSpot(s, kHandlerSpots, kSpotCount, [&](Vector3 spot, float r) {
        const float mate = q.present ? 0.4f * std::fmin(flatDistance(spot, q.pos), 5.0f) : 0.0f;
        return 2.0f * r + mate - 0.15f * flatDistance(spot, p.pos) - crowding(s, p.team, spot, 3.0f, 0.5f) +
               (isThreePointSpot(spot) ? 1.2f * three : 0.6f * shooting);
    });
    p.aiSpot = kHandlerSpots[best];
    p.aiSpotTimer = kHandlerSpotBase + kHandlerSpotSpread * matchRandomFloat(s);
}

} // namespace

void aiBallHandler(MatchState& s, Player& p) {
    p.faceTarget = 0;
    if (p.driving) {
        drive(s, p);
        return;
    }
    if (p.aiTimer > 0) {
        steerToward(s, p, p.aiSpot, kWalkSlowRadius, false);
        return;
    }

    p.aiTimer = kDecisionBase + kDecisionSpread * matchRandomFloat(s);
    if (isCpuPlayer(s, p) && difficultySetting(s) > 1) p.aiTimer *= kFastDecision;
    float q = 0;
    const float v = shotValue(s, p, &q);
    const float r = axisDistance(p.pos);
    const float sc = s.shotClock;
    const float held = s.clock - p.receivedAt;
    const float urgency = sc < kUrgentClock ? 1.0f : 0.0f;

    if (!s.mustClear && sc < kLastSecondClock) {
        shootOrFinish(s, p);
        return;
    }
    if (s.mustClear) {
        if (!beyond(p.pos, kSelfClearCorner, kSelfClearArc)) {
            clearOut(s, p, held);
            return;
        }
        s.mustClear = 0;
        if (sc < kLastSecondClock) {
            shootOrFinish(s, p);
            return;
        }
    }
    if (r < kFinishRange && held > kFinishHeld) {
        chooseFinish(s, p);
        return;
    }

    float threshold = kShotThreshold + (kShotThresholdSpread * matchRandomFloat(s) - 0.5f * kShotThresholdSpread);
    threshold -= kUrgencyDrop * urgency;
    if (sc > kFreshClock) threshold += kFreshClockRaise;
    if (held > kShotHeld && v > threshold && q > kMinShotQuality) {
        startJumpShot(s, p);
        return;
    }

    // An open lane to the rim: just after the catch he looks past the pass;
    // later one draw decides whether he drives, and either way the decision
    // ends there.
    bool mayPass = true;
    if (r < kDriveFrom && isPassLaneOpen(s, p.pos, kHoopAxis, p.team, kDriveLaneWide)) {
        if (held <= kDriveHeld) {
            mayPass = false;
        } else {
            if (matchRandomFloat(s) < kDriveChance) p.driving = 1;
            return;
        }
    }

    Player& mate = teammateOf(s, p);
    if (mayPass && mate.present && mate.action == ACT_MOVE && held > kPassHeld && p.passTimer <= 0 &&
        partnerWantsBall(s, mate, v) && isPassLaneOpen(s, p.pos, mate.pos, p.team, kPassLaneRadius)) {
        tryPass(s, p, mate.index);
        return;
    }

    if (tryJuke(s, p)) return;

    p.aiSpotTimer -= kSpotTimerStep;
    if (p.aiSpotTimer > 0 && flatDistance(p.pos, p.aiSpot) >= kSpotArrived) {
        steerToward(s, p, p.aiSpot, kWalkSlowRadius, false);
        return;
    }
    pickHandlerSpot(s, p);
    steerToward(s, p, p.aiSpot, kWalkSlowRadius, false);
}

void aiOffBall(MatchState& s, Player& p, Player& h, float dt) {
    faceToward(p, h.pos);
    if (s.mustClear) {
        const float x = h.pos.x >= 0 ? -kOffBallClearShift * h.pos.x - kOffBallClearSide
                                     : -kOffBallClearShift * h.pos.x + kOffBallClearSide;
        const Vector3 spot = Vector3Scale(flatUnit({x, 0, kOffBallClearZ}), kOffBallClearRadius);
        steerToward(s, p, spot, kWalkSlowRadius, false);
        return;
    }
    p.aiSpotTimer -= dt;
    if (p.cutting) {
        p.cutTimer -= dt;
        steerToward(s, p, {p.pos.x > 0 ? kCutX : -kCutX, 0, kCutZ}, kCutSlowRadius, true);
        p.sprintWanted = 1;
        if (p.cutTimer <= 0) p.cutting = 0;
        return;
    }
    if (p.aiSpotTimer > 0 && flatDistance(p.pos, h.pos) >= kRepickNearHandler) {
        steerToward(s, p, p.aiSpot, kOffBallSlowRadius, false);
        return;
    }

    const float three = p.ratings[RATING_THREE];
    const int best = pickSpot(s, kOffBallSpots, kSpotCount, [&](Vector3 spot, float r) {
        return 1.5f * r - 0.8f * std::fabs(flatDistance(spot, h.pos) - kHandlerDistanceWanted) -
               crowding(s, p.team, spot, 2.5f, 0.6f) + (isThreePointSpot(spot) ? three : 0.0f);
    });
    p.aiSpot = kOffBallSpots[best];
    p.aiSpotTimer = kOffBallSpotBase + kOffBallSpotSpread * matchRandomFloat(s);

    int marker = -1;
    for (const Player& o : s.players)
        if (o.present && o.team != p.team && o.matchup == p.index) marker = o.index;
    const bool marked = marker >= 0 && flatDistance(s.players[marker].pos, p.pos) <= kMarkedClose;
    if (!marked && matchRandomFloat(s) < kCutBase + kCutDunk * p.ratings[RATING_DUNK] &&
        axisDistance(p.pos) > kCutFrom) {
        p.cutting = 1;
        p.cutTimer = kCutSeconds;
    }
    steerToward(s, p, p.aiSpot, kOffBallSlowRadius, false);
}
