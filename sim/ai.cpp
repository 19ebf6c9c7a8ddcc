// The CPU's per-tick decision: what to do in each phase of the match, the
// delayed reaction to a shot (or a fake), and who does what while a pass is
// in the air. In live play it hands over to the role behaviours: the ball
// handler, the players off the ball, the defenders and the loose-ball chase.
#include "sim/ai.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/actions.h"
#include "sim/ai_support.h"
#include "sim/court.h"
#include "sim/movement.h"

namespace {

// Phases outside live play.
constexpr float kDeadBallCoast = 0.9f;
constexpr float kCoastFactor = 0.9f;
constexpr float kCheckSlowRadius = 1.2f;
constexpr float kCheckFaceWithin = 1.5f;

// Reaction to a shot or a fake.
constexpr float kReactReach = 3.0f;
constexpr float kReactShotFlight = 0.3f;
constexpr float kBlockPush = 1.6f;
constexpr float kJumpSpeed = 4.6f;
constexpr float kJumpBlockGain = 0.7f;
constexpr float kDisciplineBase = 0.25f;
constexpr float kDisciplineStep = 0.15f;

// Defensive matchups are re-paired this often while the other side holds the ball.
constexpr float kMatchupInterval = 0.4f;

// A pass in the air.
constexpr float kCatchLead = 0.25f;
constexpr float kCatchSlowRadius = 1.0f;
constexpr float kCatchWish = 0.6f;
constexpr float kReceiverMateWish = 0.85f;
constexpr float kJumpLaneShare = 0.35f;
constexpr float kJumpLaneReach = 3.0f;
constexpr float kJumpLaneSlowRadius = 0.8f;

float discipline(const MatchState& s, const Player& p) {
    return kDisciplineBase + kDisciplineStep * (float)playerDifficulty(s, p);
}

// The last opponent (index order) who is shooting or finishing, or -1.
int lastShootingOpponent(const MatchState& s, const Player& p) {
    int found = -1;
    for (const Player& o : s.players)
        if (o.present && o.team != p.team && isShootingAction(o.action)) found = o.index;
    return found;
}

void blockJumpAt(Player& p, Vector3 target) {
    const Vector3 dir = flatUnit(Vector3Subtract(target, p.pos), kForwardZ);
    aiJumpAt(p, Vector3Scale(dir, kBlockPush));
}

void walkToCheckSpot(MatchState& s, Player& p) {
    steerToward(s, p, p.checkSpot, kCheckSlowRadius, false);
    p.sprintWanted = 0;
    p.faceTarget = distance3(p.pos, p.checkSpot) <= kCheckFaceWithin;
    const int handler = s.checkHandler, checker = s.checker;
    int look = -1;
    if (p.index == handler) {
        look = checker;
    } else if (p.team != s.offense) {
        if (p.index == checker) look = handler;
        else look = p.matchup >= 0 ? p.matchup : handler;
    }
    p.facePoint = look >= 0 && look <= 3 ? s.players[look].pos : kHoopAxis;
}

// The delayed reaction of a defender to a shot, a finish or a fake. True when
// it decided this tick's action.
bool react(MatchState& s, Player& p) {
    const int shooter = lastShootingOpponent(s, p);
    if (shooter >= 0 && flatDistance(p.pos, s.players[shooter].pos) <= kReactReach) {
        blockJumpAt(p, s.players[shooter].pos);
        return true;
    }
    const BallState& b = s.ball;
    if (b.phase == BALL_SHOT && b.shooter >= 0 && b.flightTime < kReactShotFlight) {
        const Player& sh = s.players[b.shooter];
        if (flatDistance(p.pos, sh.pos) <= kReactReach) blockJumpAt(p, sh.pos);
        else aiChaseLooseBall(s, p);
        return true;
    }
    // A fake or a hold: the defender bites unless his discipline holds. A
    // timer left over from his own side's possession never bites.
    const float r = matchRandomFloat(s);
    if (b.phase != BALL_HELD || b.holder < 0) return false;
    const Player& holder = s.players[b.holder];
    if (holder.team != p.team && r > discipline(s, p) && flatDistance(p.pos, holder.pos) <= kReactReach) {
        blockJumpAt(p, holder.pos);
        return true;
    }
    return false;
}

// Runs the contest reaction timer down; true when the reaction decided the tick.
bool contestReaction(MatchState& s, Player& p, float dt) {
    if (p.reactionTimer < 0) return false;
    p.reactionTimer -= dt;
    if (p.reactionTimer >= 0) return false;
    p.reactionTimer = -1;
    return react(s, p);
}

void duringPass(MatchState& s, Player& p) {
    const BallState& b = s.ball;
    const Player& r = s.players[b.passTo];
    if (p.index == r.index) {
        steerToward(s, p, Vector3Add(b.pos, Vector3Scale(b.vel, kCatchLead)), kCatchSlowRadius, false);
        p.moveWish = Vector3Scale(p.moveWish, kCatchWish);
        faceToward(p, b.pos);
    } else if (p.team == r.team) {
        p.moveWish = Vector3Scale(p.moveWish, kReceiverMateWish);
    } else {
        const Vector3 jump = flatLerp(r.pos, b.pos, kJumpLaneShare);
        if (p.matchup == r.index || flatDistance(p.pos, jump) <= kJumpLaneReach)
            steerToward(s, p, jump, kJumpLaneSlowRadius, true);
    }
}

void livePlay(MatchState& s, Player& p, float dt) {
    if (p.action != ACT_MOVE) return;
    p.stance = 0;
    if (contestReaction(s, p, dt)) return;

    const BallState& b = s.ball;
    if (b.phase == BALL_HELD && b.holder >= 0 && b.holder <= 3) {
        Player& h = s.players[b.holder];
        if (h.index == p.index) {
            aiBallHandler(s, p);
        } else if (h.team == p.team) {
            aiOffBall(s, p, h, dt);
        } else {
            if (p.aiTimer <= 0) {
                updateMatchups(s);
                p.aiTimer = kMatchupInterval;
            }
            aiDefendBall(s, p, h, dt);
        }
        return;
    }
    if (b.phase == BALL_PASS && b.passTo >= 0 && b.passTo <= 3) {
        duringPass(s, p);
        return;
    }
    aiChaseLooseBall(s, p);
}

} // namespace

void aiJumpAt(Player& p, Vector3 push) {
    p.blockJump = 1;
    if (p.airborne) return;
    setAction(p, ACT_AIRBORNE);
    p.airborne = 1;
    p.vertSpeed = kJumpSpeed + kJumpBlockGain * p.ratings[RATING_BLOCK];
    p.vel = {0.5f * p.vel.x + push.x, 0, 0.5f * p.vel.z + push.z};
}

void aiThink(MatchState& s, Player& p, float dt) {
    p.aiTimer -= dt;
    p.faceTarget = 0;
    switch (s.phase) {
    case PHASE_OPENING:
    case PHASE_OVER:
        p.moveWish = {0, 0, 0};
        p.sprintWanted = 0;
        faceToward(p, kHoopAxis);
        return;
    case PHASE_DEAD_BALL:
        if (s.phaseTimer <= kDeadBallCoast) {
            p.moveWish = Vector3Scale(p.moveWish, kCoastFactor);
            return;
        }
        walkToCheckSpot(s, p);
        return;
    case PHASE_CHECK_BALL: walkToCheckSpot(s, p); return;
    case PHASE_LIVE: livePlay(s, p, dt); return;
    default: return;
    }
}
