// Shooting, finishing and scoring: a shot from the take-off to the score.
// The jump shot gathers, can be pump-faked, takes off and releases on the
// button (or the CPU's planned timing); the layup runs at the rim and
// releases in the air; the dunk rises to the rim and is pushed through it (or
// blocked) by finishAtRim. One draw at the release decides make or miss.
#include "sim/scoring.h"

#include <cmath>
#include <cstdio>
#include <raylib.h>
#include <raymath.h>

#include "sim/hoop_net.h"
#include "sim/actions.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/movement.h"
#include "sim/shot_start.h"
#include "sim/sim_math.h"

namespace {

// Jump shot.
constexpr float kJumpShotTurnRate = 14.0f;
constexpr float kGatherDecay = 10.0f;
constexpr float kPumpFakeBefore = 0.096f;
constexpr float kTakeOffAt = 0.12f;
constexpr float kJumpShotLift = 4.5f;
constexpr float kTakeOffKeep = 0.3f;
constexpr float kTakeOffWish = 0.7f;
constexpr float kTimingOffset = 0.03f;
constexpr float kTimingSpan = 0.4f;
constexpr float kLatestRelease = 1.32f;

// Drive finish.
constexpr float kFinishTurnRate = 12.0f;
constexpr float kRunUpKeep = 0.95f;
constexpr float kRunUpMin = 2.0f;
constexpr float kLayupTakeOffAt = 0.16f;
constexpr float kLayupLift = 4.9f;
constexpr float kLayupReleaseAt = 0.45f;

// Dunk and alley-oop.
constexpr float kDunkGather = 0.17f, kAlleyOopGather = 0.12f;
constexpr float kDunkRise = 0.5f, kAlleyOopRise = 0.62f;
constexpr float kDunkRunSpeed = 2.5f;
constexpr float kDunkRunShare = 0.6f;
constexpr float kCatchReach = 0.95f;
constexpr float kLobFlight = 0.68f;
constexpr float kLobLift = 3.3354f; // half of g x 0.68 s
constexpr float kLobPassTimer = 0.5f;

constexpr float kBlockTable[4] = {0.55f, 0.8f, 1.0f, 1.15f};
constexpr float kAssistWindow = 3.5f;
constexpr float kReleaseHigh = 1.5f;
constexpr float kReleaseHeightFactor = 1.15f;
constexpr float kContestedRange = 2.1f;

constexpr int kSneakerSound = 4, kBoardSound = 2, kCrowdSound = 15, kSwishSound = 3, kCheerSound = 5;
constexpr int kBuzzerSound = 6, kWhistleSound = 7, kDunkSound = 11, kPerfectSound = 13, kPassSound = 16;

constexpr Color kPumpFakeColor = {200, 200, 255, 255};
constexpr Color kNoConnectColor = {255, 140, 140, 255};
constexpr Color kRejectedColor = {255, 80, 80, 255};
constexpr Color kLobColor = {120, 230, 255, 255};
constexpr Color kContestedColor = {140, 220, 255, 255};
constexpr Color kNotClearedColor = {255, 140, 80, 255};
constexpr Color kDunkColor = {255, 200, 60, 255};
constexpr Color kGameColor = {255, 230, 120, 255};
constexpr Color kOwnSideColor = {120, 255, 170, 255};
constexpr Color kOtherSideColor = {255, 120, 120, 255};

const char* const kDunkBanners[4] = {"SLAM!", "MONSTER JAM!", "POSTERIZED!", "THROWN DOWN!"};
const char* const kTwoBanners[4] = {"BUCKET!", "COUNT IT!", "SMOOTH!", "BANG!"};

float hoopYaw(const Player& p) { return std::atan2(-p.pos.x, -p.pos.z); }

Vector3 aboveHead(const Player& p, float extra) {
    return {p.pos.x, p.pos.y + playerHeight(p) + p.rootHeight + extra, p.pos.z};
}

void moveByVelocity(Player& p, float dt, float share) {
    p.pos.x += p.vel.x * share * dt;
    p.pos.z += p.vel.z * share * dt;
}

void followMeter(MatchState& s, const Player& p) {
    if (p.index != s.localIndex) return;
    s.meterShow = 1;
    if (!p.released) s.releaseTiming = p.releaseTiming;
}

bool wantsRelease(const MatchState& s, const Player& p) {
    if (isHumanShooter(s, p)) return !p.shootHeld || p.releaseTiming >= kLatestRelease;
    return p.releaseTiming >= p.cpuReleaseTiming;
}

// The last passer keeps his assist only as a teammate who passed lately.
void keepAssistWindow(MatchState& s, const Player& shooter) {
    const int passer = s.ball.lastPasser;
    const bool keep = passer >= 0 && passer != shooter.index && s.players[passer].team == shooter.team &&
                      s.clock - s.ball.launchTime <= kAssistWindow;
    if (!keep) s.ball.lastPasser = -1;
}

void kickAttackedRim(MatchState& s, float velocity) {
    if (HoopNet* net = attackedNet(s)) net->rimVel += velocity;
}

// The first airborne defender near the rim who wins his draw, or -1.
int rimBlocker(MatchState& s, const Player& dunker) {
    for (Player& b : s.players) {
        if (!b.present || b.team == dunker.team || !b.airborne) continue;
        const bool human = isHuman(s, b.index);
        const float reach = human ? 1.8f : 1.3f;
        const float lift = human ? 0.15f : 0.25f;
        if (flatDistance(b.pos, dunker.pos) > reach || b.rootHeight <= lift) continue;
        float chance = 0.16f + 0.32f * b.ratings[RATING_BLOCK];
        if (!teamHasHuman(s, b.team)) chance *= kBlockTable[difficultySetting(s)];
        if (human) chance *= 1.8f;
        if (chance > matchRandomFloat(s)) return b.index;
    }
    return -1;
}

void blockDunk(MatchState& s, Player& dunker, Player& blocker) {
    BallState& b = s.ball;
    dunker.hasBall = 0;
    b.phase = BALL_LOOSE;
    b.holder = -1;
    b.shotRebound = 1;
    b.possessionTeam = blocker.team;
    const Vector3 u = flatUnit(dunker.pos);
    const float r = matchRandomFloat(s);
    b.vel = {r * 3.0f - 1.5f + 4.5f * u.x, 1.0f, 4.5f * u.z};
    blocker.blocks += 1;
    postCallout(s, "REJECTED!", kRejectedColor, 80, 1.6f);
    postSound(s, kBoardSound, 0.9f, 0.8f, 0.5f);
    postSound(s, kCrowdSound, 0.8f, 1.0f, 0.5f);
    s.excitement = std::fmin(s.excitement + 0.5f, 1.0f);
    s.cam.pendingTrauma = 0.35f;
    setAction(dunker, ACT_AIRBORNE);
    dunker.vertSpeed = 0;
}

void dunkThrough(MatchState& s, Player& p) {
    BallState& b = s.ball;
    const Vector3 u = flatUnit(p.pos);
    b.phase = BALL_SHOT;
    b.shooter = p.index;
    b.shootingTeam = p.team;
    b.shotValue = 2;
    b.rimTouched = 1;
    b.unclearedAtRelease = s.mustClear;
    b.shotRebound = 1;
    b.dunk = 1;
    b.finishRelease = 0;
    b.holder = -1;
    b.pos = b.prevPos = {0.03f * u.x, 3.29f, 0.03f * u.z};
    b.vel = {0, -6.5f, 0};
    b.flightTime = 0.5f;
    const float r1 = matchRandomFloat(s);
    const float r2 = matchRandomFloat(s);
    b.spin = {r1 * 20.0f - 10.0f, 0, r2 * 20.0f - 10.0f};
    keepAssistWindow(s, p);
    p.fga += 1;
    p.hasBall = 0;
    kickAttackedRim(s, 6.0f);
    s.cam.pendingTrauma = 0.55f;
    postSound(s, kDunkSound, 1.0f, 1.0f, 0.5f);
    setAction(p, ACT_HANG);
    p.hangHeight = p.rootHeight;
}

void tryAlleyOopCatch(MatchState& s, Player& p) {
    const BallState& b = s.ball;
    if (p.hasBall || b.phase != BALL_PASS || b.passTo != p.index) return;
    const Vector3 hands = Vector3Scale(Vector3Add(handPosition(p.skeleton, 0), handPosition(p.skeleton, 1)), 0.5f);
    if (Vector3Distance(hands, b.pos) <= kCatchReach) gainPossession(s, p, GAIN_CATCH);
}

// The point the ball leaves from: the ball itself, or above the shooter's
// head when the ball is still low.
Vector3 releasePoint(const MatchState& s, const Player& p) {
    if (s.ball.pos.y >= kReleaseHigh) return s.ball.pos;
    return {p.pos.x, kReleaseHeightFactor * playerHeight(p) + p.rootHeight + p.pos.y, p.pos.z};
}

void markContested(MatchState& s, const Player& shooter) {
    if (s.localIndex < 0) return;
    const Player& local = s.players[s.localIndex];
    if (local.team == shooter.team) return;
    if (flatDistance(local.pos, shooter.releasePos) > kContestedRange) return;
    if (local.contest > 0.5f || local.airborne) postWorldCallout(s, "CONTESTED", kContestedColor, aboveHead(shooter, 0.6f), 18);
}

Color scorerColor(const MatchState& s, int side) {
    if (s.localIndex < 0 || s.players[s.localIndex].team == side) return kOwnSideColor;
    return kOtherSideColor;
}

void endPossessionAfterScore(MatchState& s, int side) {
    s.phase = PHASE_DEAD_BALL;
    s.phaseTimer = 0;
    s.ball.phase = BALL_DEAD;
    s.nextOffense = 1 - side;
}

void postMakeBanner(MatchState& s, const BallState& b, Color color) {
    if (b.dunk) {
        postCallout(s, kDunkBanners[matchRandomInt(s) & 3u], kDunkColor, 90, 2.0f);
        s.excitement = 1;
        s.slowMotion = 0;
    } else if (b.shotValue == 3) {
        postCallout(s, b.perfectRelease ? "SPLASH!" : "FROM DOWNTOWN!", color, 80, 1.8f);
        s.excitement = std::fmin(s.excitement + 0.7f, 1.0f);
    } else {
        const char* text = b.finishRelease    ? "LAID IN!"
                           : b.perfectRelease ? "PURE!"
                                              : kTwoBanners[matchRandomInt(s) & 3u];
        postCallout(s, text, color, 66, 1.6f);
        s.excitement = std::fmin(s.excitement + 0.4f, 1.0f);
    }
}

} // namespace

void updateJumpShot(MatchState& s, Player& p, float dt) {
    const float t = p.actionTimer;
    p.yaw = turnToward(p.yaw, hoopYaw(p), kJumpShotTurnRate * dt);
    if (p.tookOff) {
        if (integrateVertical(s, p, dt)) {
            if (!p.released) releaseShot(s, p, false);
            followMeter(s, p);
            setAction(p, ACT_LANDING);
            return;
        }
    } else {
        p.vel = Vector3Scale(p.vel, std::exp(-kGatherDecay * dt));
        moveByVelocity(p, dt, 1.0f);
        if (isHumanShooter(s, p) && !p.shootHeld && t < kPumpFakeBefore) {
            setAction(p, ACT_MOVE);
            postWorldCallout(s, "PUMP FAKE", kPumpFakeColor, aboveHead(p, 0.5f), 20);
            return;
        }
        if (t >= kTakeOffAt) {
            p.tookOff = 1;
            p.airborne = 1;
            p.vertSpeed = kJumpShotLift;
            p.releasePos = p.pos;
            p.vel = {kTakeOffKeep * p.vel.x + kTakeOffWish * p.moveWish.x, 0,
                     kTakeOffKeep * p.vel.z + kTakeOffWish * p.moveWish.z};
        }
    }
    p.releaseTiming = (t - kTimingOffset) / kTimingSpan;
    if (p.tookOff && !p.released && wantsRelease(s, p)) releaseShot(s, p, false);
    followMeter(s, p);
}

void updateDriveFinish(MatchState& s, Player& p, float dt) {
    const float t = p.actionTimer;
    p.yaw = turnToward(p.yaw, hoopYaw(p), kFinishTurnRate * dt);
    const Vector3 toHoop = flatUnit(Vector3Negate(p.pos));
    if (!p.tookOff) {
        const float speed = std::fmax(kRunUpKeep * flatLength(p.vel), kRunUpMin);
        p.vel = {toHoop.x * speed, 0, toHoop.z * speed};
        moveByVelocity(p, dt, 1.0f);
        if (t >= kLayupTakeOffAt) {
            p.tookOff = 1;
            p.airborne = 1;
            p.vertSpeed = kLayupLift;
            p.releasePos = p.pos;
            const float k = clampf((flatLength(p.pos) - 0.75f) / 0.62f, 0.0f, 3.4f);
            p.vel = {toHoop.x * k, 0, toHoop.z * k};
        }
        return;
    }
    const bool landed = integrateVertical(s, p, dt);
    if (!p.released && (t >= kLayupReleaseAt || landed)) releaseShot(s, p, true);
    if (landed) setAction(p, ACT_LANDING);
}

void updateDunk(MatchState& s, Player& p, float dt) {
    const bool alleyOop = p.action == ACT_ALLEY_OOP;
    const float gather = alleyOop ? kAlleyOopGather : kDunkGather;
    const float rise = alleyOop ? kAlleyOopRise : kDunkRise;
    const float t = p.actionTimer;
    p.yaw = turnToward(p.yaw, hoopYaw(p), kFinishTurnRate * dt);
    if (t < gather) {
        const float speed = std::fmax(flatLength(p.vel), kDunkRunSpeed);
        const Vector3 dir = flatUnit(Vector3Subtract(p.dunkApproach, p.pos));
        p.vel = {dir.x * speed, 0, dir.z * speed};
        moveByVelocity(p, dt, kDunkRunShare);
        return;
    }
    if (!p.tookOff) {
        p.tookOff = 1;
        p.airborne = 1;
        p.dunkStart = p.releasePos = p.pos;
        postSound(s, kSneakerSound, 0.4f, 0.8f, 0.5f);
    }
    const float u = clampf((t - gather) / rise, 0.0f, 1.0f);
    const float e = 1.0f - (1.0f - u) * (1.0f - u);
    p.pos.x = p.dunkStart.x + e * (p.dunkApproach.x - p.dunkStart.x);
    p.pos.z = p.dunkStart.z + e * (p.dunkApproach.z - p.dunkStart.z);
    p.rootHeight = e * std::fmax(3.23f - 1.24f * playerHeight(p), 0.45f);
    p.vel = {0, 0, 0};
    if (alleyOop) tryAlleyOopCatch(s, p);
    if (u >= 1.0f) finishAtRim(s, p);
}

void finishAtRim(MatchState& s, Player& p) {
    if (!holdsBall(s, p)) {
        setAction(p, ACT_AIRBORNE);
        p.vertSpeed = 0;
        postWorldCallout(s, "NO CONNECT", kNoConnectColor, {p.pos.x, p.pos.y + 3.6f, p.pos.z}, 20);
        return;
    }
    const int blocker = rimBlocker(s, p);
    if (blocker >= 0) blockDunk(s, p, s.players[blocker]);
    else dunkThrough(s, p);
}

void throwAlleyOop(MatchState& s, Player& receiver) {
    Player& passer = s.players[receiver.index ^ 1];
    if (!holdsBall(s, passer) || passer.action != ACT_MOVE) return;
    startDunk(s, receiver, true);
    if (receiver.action != ACT_ALLEY_OOP) return;

    BallState& b = s.ball;
    const float h = playerHeight(receiver);
    const float rise = std::fmax(3.23f - 1.24f * h, 0.45f);
    const Vector3 target = {receiver.dunkApproach.x, 1.18f * h + rise, receiver.dunkApproach.z};
    b.vel = Vector3Add(Vector3Scale(Vector3Subtract(target, b.pos), 1.0f / kLobFlight), {0, kLobLift, 0});
    b.prevPos = b.pos;
    b.phase = BALL_PASS;
    b.passFrom = passer.index;
    b.passTo = receiver.index;
    b.interceptTried = 0;
    b.checkPass = 0;
    b.lob = 1;
    b.possessionTeam = passer.team;
    b.lastPasser = passer.index;
    b.flightTime = 0;
    b.launchTime = s.clock;
    b.holder = -1;

    passer.hasBall = 0;
    setAction(passer, ACT_PASS);
    passer.passTimer = kLobPassTimer;
    postSound(s, kPassSound, 0.6f, 0.8f, 0.5f);
    postWorldCallout(s, "LOB!", kLobColor, aboveHead(passer, 0.4f), 20);
}

void releaseShot(MatchState& s, Player& p, bool finish) {
    if (!holdsBall(s, p)) return;
    p.released = 1;
    const Vector3 point = releasePoint(s, p);
    int value = 2;
    if (finish) p.releasePos = p.pos;
    else if (isThreePointSpot(p.releasePos)) value = 3;
    const float distance = flatLength(p.releasePos);

    int grade = GRADE_GOOD;
    const float chance = shotMakeChance(s, p, distance, value == 3, finish, &grade);
    const bool made = chance > matchRandomFloat(s);
    launchShot(s, point, made, distance, finish, grade);

    BallState& b = s.ball;
    b.phase = BALL_SHOT;
    b.shooter = p.index;
    b.shotValue = value;
    b.shootingTeam = b.possessionTeam = p.team;
    b.unclearedAtRelease = s.mustClear;
    b.blockTried = 0;
    b.rimTouched = 0;
    b.shotRebound = 1;
    b.flightTime = 0;
    b.finishRelease = finish;
    b.holder = -1;
    b.perfectRelease = grade == GRADE_PERFECT;
    keepAssistWindow(s, p);
    p.fga += 1;
    if (value == 3) p.tpa += 1;
    p.hasBall = 0;

    if (p.index == s.localIndex) {
        s.releaseAge = 0;
        s.releaseGrade = grade;
        s.releaseTiming = p.releaseTiming;
        if (grade == GRADE_PERFECT) postSound(s, kPerfectSound, 0.8f, 1.0f, 0.5f);
    }
    if (!finish) {
        markContested(s, p);
        scheduleContestReactions(s, p, 0.06f);
    }
}

void scoreMadeShot(MatchState& s) {
    BallState& b = s.ball;
    const int side = b.shooter >= 0 ? s.players[b.shooter].team : b.shootingTeam;
    if (b.unclearedAtRelease) {
        postCallout(s, "BALL NOT CLEARED", kNotClearedColor, 52, 1.6f);
        postSound(s, kWhistleSound, 0.6f, 1.0f, 0.5f);
        endPossessionAfterScore(s, side);
        return;
    }
    const int value = b.shotValue;
    s.scores[side] += value;
    Player* shooter = b.shooter >= 0 ? &s.players[b.shooter] : nullptr;
    if (shooter) {
        shooter->points += value;
        shooter->fgm += 1;
        if (value == 3) shooter->tpm += 1;
        if (b.dunk) shooter->dunks += 1;
        const int passer = b.lastPasser;
        if (passer >= 0 && passer != shooter->index && s.players[passer].team == shooter->team)
            s.players[passer].assists += 1;
    }
    s.lastScorer = b.shooter;

    const Color color = scorerColor(s, side);
    postMakeBanner(s, b, color);
    if (shooter) {
        char text[16];
        std::snprintf(text, sizeof text, "+%d", value);
        postWorldCallout(s, text, color, aboveHead(*shooter, 0.7f), 34);
    }
    if (!b.dunk) postSound(s, kSwishSound, 0.9f, 0.95f + 0.1f * matchRandomFloat(s), 0.5f);
    const bool ownSide = s.localIndex < 0 || s.players[s.localIndex].team == side;
    postSound(s, kCheerSound, ownSide ? 0.9f : 0.5f, 1.0f, 0.5f);

    endPossessionAfterScore(s, side);
    if (shooter && (shooter->action == ACT_MOVE || shooter->action == ACT_LANDING)) setAction(*shooter, ACT_CELEBRATE);

    if (s.scores[side] >= s.gameTo) {
        s.winner = side;
        postCallout(s, "GAME!", kGameColor, 110, 2.5f);
        postSound(s, kBuzzerSound, 0.8f, 1.0f, 0.5f);
        s.slowMotion = 1.2f;
    }
}
