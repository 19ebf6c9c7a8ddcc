// Contact, steals and possession. Bodies push apart and trade velocity, a
// driver running into a set defender can be called for a charge, a steal
// reach decides once whether it knocks the ball loose, and gainPossession is
// the one place where a player takes the ball: possession changes, the shot
// clock resets, the clear rule is armed and rebounds and steals are counted.
#include "sim/contact.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/actions.h"
#include "sim/camera.h"
#include "sim/court.h"
#include "sim/match_driver.h"
#include "sim/sim_math.h"
#include "sim/starters.h"

namespace {

// Bodies.
constexpr float kLowEnough = 0.6f;
constexpr float kBodyRadius = 0.3f;
constexpr float kBodyPadding = 0.04f;
constexpr float kLocalPadding = 0.2f;
constexpr float kMinSeparation = 0.0001f;
constexpr float kKickClosing = 0.6f;

// Charges.
constexpr float kChargeCpuTable[4] = {0.12f, 0.24f, 0.36f, 0.48f};
constexpr float kChargeHumanDefender = 0.85f;
constexpr float kChargeHumanSide = 0.3f;
constexpr float kChargeCooldown = 0.7f;
constexpr float kSetStance = 0.3f;
constexpr float kSetMaxSpeed = 1.5f;
constexpr float kDriveMinSpeed = 3.3f;
constexpr float kDriveLine = 0.6f;
constexpr float kChargeOffAxis = 1.25f;
constexpr float kKnockedBack = 1.6f;
constexpr float kDriverKeep = 0.2f;

// Steals.
constexpr float kStealDecideAt = 0.13f;
constexpr float kHumanStealTable[4] = {1.9f, 1.6f, 1.4f, 1.2f};
constexpr float kReachMissSpeed = 2.2f;
constexpr float kHumanOffBalance = 0.25f, kCpuOffBalance = 0.45f;
constexpr float kStripOut = 2.4f, kStripUp = 1.8f;

constexpr float kReboundClockFloor = 14.0f;
constexpr float kShotClock = 24.0f;

constexpr int kCrowdSound = 15, kStealSound = 12;
constexpr Color kOwnColor = {120, 255, 170, 255};
constexpr Color kOtherColor = {255, 120, 120, 255};
constexpr Color kReachedColor = {255, 190, 150, 255};
constexpr Color kBoardColor = {255, 255, 255, 255};

// The person whose camera reacts: the local player, or player 0 without one.
int cameraPlayer(const MatchState& s) { return s.localIndex >= 0 ? s.localIndex : 0; }

bool localOnSide(const MatchState& s, int team) {
    return s.localIndex >= 0 && s.players[s.localIndex].team == team;
}

bool widerContact(const MatchState& s, const Player& a, const Player& b) {
    if (s.online) return isHuman(s, a.index) || isHuman(s, b.index);
    const int local = cameraPlayer(s);
    return a.index == local || b.index == local;
}

// Shares of the separation: the player in stance moves least, the ball handler most.
void separationShares(const Player& a, const Player& b, float& shareA, float& shareB) {
    if (!a.hasBall && !b.hasBall) {
        shareA = shareB = 0.5f;
    } else if (a.hasBall) {
        shareA = 0.62f;
        if (b.hasBall) shareA = a.stance ? 0.3f : 0.38f;
        if (b.stance) {
            shareA = 0.7f;
            shareB = 0.3f;
        } else {
            shareB = 1.0f - shareA;
        }
    } else {
        shareA = a.stance ? 0.3f : 0.38f;
        shareB = a.stance ? 0.7f : 0.62f;
    }
}

void separatePair(MatchState& s, Player& a, Player& b, Vector3 n, float overlap) {
    float shareA = 0, shareB = 0;
    separationShares(a, b, shareA, shareB);
    const int local = cameraPlayer(s);
    const float closing = flatDot(Vector3Subtract(a.vel, b.vel), n);
    if (closing > kKickClosing && (a.index == local || b.index == local)) {
        const Vector3 toOther = a.index == local ? n : Vector3Negate(n);
        s.cam.pendingKick = Vector3Add(s.cam.pendingKick, Vector3Scale(toOther, closing));
    }
    a.pos.x -= n.x * shareA * overlap;
    a.pos.z -= n.z * shareA * overlap;
    b.pos.x += n.x * shareB * overlap;
    b.pos.z += n.z * shareB * overlap;
    const float va = flatDot(a.vel, n), vb = flatDot(b.vel, n);
    if (va - vb > 0) {
        const float mean = (va + vb) * 0.5f;
        a.vel.x += n.x * (mean - va);
        a.vel.z += n.z * (mean - va);
        b.vel.x += n.x * (mean - vb);
        b.vel.z += n.z * (mean - vb);
    }
}

bool chargeTests(const MatchState& s, const Player& driver, const Player& defender) {
    if (s.phase != PHASE_LIVE || !driver.hasBall || driver.team == defender.team || driver.chargeCooldown > 0)
        return false;
    const bool driving = driver.action == ACT_MOVE || driver.action == ACT_DRIBBLE_MOVE ||
                         (driver.action == ACT_FINISH && !driver.tookOff);
    if (!driving) return false;
    if (!defender.stance || defender.stanceTime < kSetStance || defender.airborne) return false;
    if (flatLength(defender.vel) > kSetMaxSpeed || defender.action != ACT_MOVE) return false;
    const float speed = flatLength(driver.vel);
    if (speed < kDriveMinSpeed) return false;
    if (flatDot(flatUnit(Vector3Subtract(defender.pos, driver.pos)), flatUnit(driver.vel)) < kDriveLine) return false;
    return flatLength(defender.pos) >= kChargeOffAxis;
}

float chargeChance(const MatchState& s, const Player& defender) {
    if (isHuman(s, defender.index)) return kChargeHumanDefender;
    if (teamHasHuman(s, defender.team)) return kChargeHumanSide;
    return kChargeCpuTable[difficultySetting(s)];
}

void callCharge(MatchState& s, Player& driver, Player& defender) {
    callDeadBall(s, defender.team, "CHARGE!");
    const bool own = localOnSide(s, defender.team);
    postCallout(s, own ? "TOOK THE CHARGE!" : "OFFENSIVE FOUL", own ? kOwnColor : kOtherColor, 56, 1.6f);
    postSound(s, kCrowdSound, 0.8f, 1.0f, 0.5f);
    s.excitement = std::fmin(s.excitement + 0.4f, 1.0f);

    const Vector3 motion = flatUnit(driver.vel);
    setAction(defender, ACT_KNOCKED_DOWN);
    defender.stance = 0;
    defender.vel = Vector3Scale(motion, kKnockedBack);
    setAction(driver, ACT_STUMBLE);
    driver.stumbleKind = 1;
    driver.vel = Vector3Scale(driver.vel, kDriverKeep);

    const int local = cameraPlayer(s);
    if (defender.index == local) {
        s.cam.pitch.velocity += 2.6f;
        // Presentation only: the camera is neither saved nor hashed, so this
        // draw comes from the camera's own generator, not the match's.
        s.cam.roll.velocity += cameraJolt(s.cam);
        s.cam.trauma = std::fmin(s.cam.trauma + 0.45f, 1.0f);
    }
    if (driver.index == local) s.cam.trauma = std::fmin(s.cam.trauma + 0.4f, 1.0f);
}

void missedReach(MatchState& s, Player& stealer, const Player& holder) {
    const float relative = flatLength(Vector3Subtract(holder.vel, stealer.vel));
    if (relative > kReachMissSpeed || holder.action == ACT_DRIBBLE_MOVE)
        stealer.offBalance = isHuman(s, stealer.index) ? kHumanOffBalance : kCpuOffBalance;
    if (s.localIndex >= 0 && stealer.index == s.localIndex) {
        const Vector3 above = {holder.pos.x, holder.pos.y + playerHeight(holder) + 0.5f, holder.pos.z};
        postWorldCallout(s, "REACHED", kReachedColor, above, 18);
    }
}

void countRebound(MatchState& s, Player& p) {
    p.rebounds += 1;
    postWorldCallout(s, "BOARD!", kBoardColor, {p.pos.x, p.pos.y + playerHeight(p) + 0.6f, p.pos.z}, 20);
    s.ball.lastPasser = -1;
}

void changePossession(MatchState& s, Player& p, int kind, bool fromShot) {
    if (s.fullCourt) {
        flipCourt(s);
        s.offense = p.team;
        s.mustClear = 0;
    } else {
        s.offense = p.team;
        s.mustClear = !isThreePointSpot(p.pos);
    }
    s.shotClock = kShotClock;
    s.ball.lastPasser = -1;
    if (kind == GAIN_INTERCEPTION || (kind == GAIN_RECOVERY && !fromShot)) p.steals += 1;
    if (kind == GAIN_INTERCEPTION) {
        const bool own = localOnSide(s, p.team);
        postCallout(s, own ? "INTERCEPTED!" : "PICKED OFF!", own ? kOwnColor : kOtherColor, 60, 1.6f);
        postSound(s, kStealSound, 0.7f, 1.0f, 0.5f);
    }
    updateMatchups(s);
    for (Player& o : s.players) o.reactionTimer = -1;
    if (kind == GAIN_RECOVERY && fromShot) countRebound(s, p);
}

} // namespace

void resolvePlayerCollisions(MatchState& s) {
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) {
            Player& a = s.players[i];
            Player& b = s.players[j];
            if (!a.present || !b.present || a.rootHeight > kLowEnough || b.rootHeight > kLowEnough) continue;
            const Vector3 d = {b.pos.x - a.pos.x, 0, b.pos.z - a.pos.z};
            const float dist = flatLength(d);
            float r = (playerBuild(a) + playerBuild(b)) * kBodyRadius + kBodyPadding;
            if (widerContact(s, a, b)) r += kLocalPadding;
            if (!(dist < r) || dist <= kMinSeparation) continue;
            if (checkCharge(s, a, b) || checkCharge(s, b, a)) return;
            separatePair(s, a, b, flatUnit(d), r - dist);
        }
}

bool checkCharge(MatchState& s, Player& driver, Player& defender) {
    if (!chargeTests(s, driver, defender)) return false;
    driver.chargeCooldown = kChargeCooldown;
    if (matchRandomFloat(s) >= chargeChance(s, defender)) return false;
    callCharge(s, driver, defender);
    return true;
}

void resolveStealReach(MatchState& s, Player& stealer) {
    if (stealer.actionTimer < kStealDecideAt || stealer.moveDecided) return;
    stealer.moveDecided = 1;
    const BallState& b = s.ball;
    if (b.phase != BALL_HELD || b.holder < 0 || s.players[b.holder].team == stealer.team) return;
    Player& holder = s.players[b.holder];
    float chance = stealChance(s, stealer, holder);
    if (chance <= 0) return;
    if (!teamHasHuman(s, stealer.team)) chance *= 0.6f + 0.2f * difficultySetting(s);
    else if (isHuman(s, stealer.index)) chance *= kHumanStealTable[difficultySetting(s)];
    if (chance > matchRandomFloat(s)) {
        stripBall(s, holder, stealer);
        if (stealer.index == cameraPlayer(s)) s.cam.yaw.velocity += stealer.stealSide ? -0.5f : 0.5f;
        return;
    }
    missedReach(s, stealer, holder);
}

void stripBall(MatchState& s, Player& holder, Player& stealer) {
    BallState& b = s.ball;
    holder.hasBall = 0;
    b.phase = BALL_LOOSE;
    b.holder = -1;
    b.shotRebound = 0;
    b.possessionTeam = stealer.team;
    const Vector3 n = flatUnit(Vector3Subtract(stealer.pos, holder.pos));
    const float side = matchRandomFloat(s) * 2.8f - 1.4f;
    b.vel = {n.x * kStripOut - n.z * side, kStripUp, n.z * kStripOut + n.x * side};
    postSound(s, kStealSound, 0.8f, 1.0f, 0.5f);
    const bool own = localOnSide(s, stealer.team);
    postCallout(s, own ? "PICKPOCKET!" : "STRIPPED!", own ? kOwnColor : kOtherColor, 64, 1.6f);
    s.excitement = std::fmin(s.excitement + 0.3f, 1.0f);
}

void gainPossession(MatchState& s, Player& p, int kind) {
    BallState& b = s.ball;
    const bool fromShot = b.shotRebound;
    b.phase = BALL_HELD;
    b.holder = p.index;
    b.possessionTeam = p.team;
    b.lob = 0;
    p.hasBall = 1;
    p.dribblePhase = 0;
    p.receivedAt = s.clock;
    p.driving = 0;
    p.aiTimer = 0.1f + 0.2f * matchRandomFloat(s);

    if (b.checkPass) {
        b.checkPass = 0;
        s.shotClock = kShotClock;
        s.phase = PHASE_LIVE;
        s.phaseTimer = 0;
    }
    if (s.phase == PHASE_LIVE && p.team == s.offense) {
        if (kind == GAIN_RECOVERY && b.rimTouched) s.shotClock = std::fmax(s.shotClock, kReboundClockFloor);
        if (kind == GAIN_RECOVERY && fromShot) countRebound(s, p);
        else if (kind != GAIN_CATCH) b.lastPasser = -1;
    } else if (s.phase == PHASE_LIVE) {
        changePossession(s, p, kind, fromShot);
    }
    b.shotRebound = 0;
    b.rimTouched = 0;
}
