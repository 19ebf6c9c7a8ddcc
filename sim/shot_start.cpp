// Shot starts, the make chance and the launch. One draw at the release
// decides make or miss (see scoring); the launch then aims the ball at a point
// near the rim's centre for a make and off it for a miss, and the ball's
// flight plays the result out.
#include "sim/shot_start.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/actions.h"
#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim/sim_math.h"

namespace {

constexpr float kContestReactionTable[4] = {0.34f, 0.24f, 0.17f, 0.12f};
constexpr float kContestReactionWithHuman = 0.24f;
constexpr float kContestRange = 3.0f;
constexpr float kJumpShotReaction = 0.06f;
constexpr float kFinishReaction = 0.05f;

constexpr float kCpuSpreadTable[4] = {0.17f, 0.115f, 0.08f, 0.058f};
constexpr float kCpuSpreadWithHuman = 0.085f;
constexpr float kReleaseWindowTable[4] = {0.11f, 0.08f, 0.065f, 0.052f};
constexpr float kCpuReleaseWindow = 0.07f;
constexpr float kCpuMakeTable[4] = {0.82f, 0.95f, 1.03f, 1.1f};
constexpr float kGoodWindow = 0.2f;
constexpr float kFastGather = 4.2f;
constexpr float kTiredEnergy = 0.25f;

constexpr float kFinishAngleDeg = 62.0f;
constexpr float kSteepAngleDeg = 56.0f;
constexpr float kFlatteningDeg = 7.0f;
constexpr int kExtraAngles = 20;
constexpr float kAngleStepDeg = 2.0f;
constexpr float kShotSpin = 16.0f;

constexpr float kFinishOuter = 3.0f;
constexpr float kFinishInner = 1.7f;
constexpr float kFinishDriveSpeed = 1.5f;
constexpr float kFinishDriveDot = 0.35f;
constexpr float kDunkApproach = 0.55f;

// A straight-up throw that still comes down through the rim plane.
Vector3 verticalLaunch(float horizontal, Vector3 dir, float h) {
    const float vy = std::sqrt(std::fmax(h + 0.3f, 0.3f) * 2.0f * kGravity);
    if (horizontal <= 0) return {0, vy, 0};
    const float fall = (vy + std::sqrt(vy * vy - 2.0f * kGravity * h)) / kGravity;
    const float speed = horizontal / fall;
    return {dir.x * speed, vy, dir.z * speed};
}

Vector3 launchVelocity(Vector3 from, Vector3 target, float angleDeg) {
    const Vector3 flat = {target.x - from.x, 0, target.z - from.z};
    const float d = flatLength(flat);
    const float h = kRimHeight - from.y;
    const Vector3 dir = flatUnit(flat);
    if (d < 0.05f) return verticalLaunch(0, dir, h);
    for (int i = 0; i <= kExtraAngles; ++i) {
        const float theta = (angleDeg + kAngleStepDeg * i) * DEG2RAD;
        const float c = std::cos(theta);
        const float den = (std::tan(theta) * d - h) * 2.0f * c * c;
        if (den > 0.01f) {
            const float speed = std::sqrt(kGravity * d * d / den);
            return {dir.x * speed * c, speed * std::sin(theta), dir.z * speed * c};
        }
    }
    return verticalLaunch(d, dir, h);
}

// A jump shot or a layup starts from the move state with the ball.
bool beginShot(Player& p, int action, float releaseTiming) {
    if (!p.hasBall || p.action != ACT_MOVE) return false;
    setAction(p, action);
    p.tookOff = 0;
    p.released = 0;
    p.driving = 0;
    p.releaseTiming = releaseTiming;
    p.gatherSpeed = flatLength(p.vel);
    return true;
}

} // namespace

bool isHumanShooter(const MatchState& s, const Player& p) {
    return isHuman(s, p.index) && !(p.index == s.localIndex && s.autopilot);
}

void scheduleContestReactions(MatchState& s, const Player& shooter, float baseDelay) {
    for (Player& d : s.players) {
        if (!d.present || d.team == shooter.team || isHuman(s, d.index) || d.airborne) continue;
        if (flatDistance(d.pos, shooter.pos) > kContestRange) continue;
        const float range =
            teamHasHuman(s, d.team) ? kContestReactionWithHuman : kContestReactionTable[difficultySetting(s)];
        d.reactionTimer = baseDelay + (0.6f + 0.9f * matchRandomFloat(s)) * range;
    }
}

void startJumpShot(MatchState& s, Player& p) {
    if (!beginShot(p, ACT_JUMP_SHOT, 0.0f)) return;
    if (!isHumanShooter(s, p)) {
        const float sigma = teamHasHuman(s, p.team) ? kCpuSpreadWithHuman : kCpuSpreadTable[difficultySetting(s)];
        const float u1 = matchRandomFloat(s);
        const float u2 = matchRandomFloat(s);
        const float g = std::sqrt(-2.0f * std::log(0.0001f + 0.9999f * u1)) * std::cos(2.0f * PI * u2);
        p.cpuReleaseTiming = clampf(1.0f + sigma * g, 0.55f, 1.3f);
    }
    scheduleContestReactions(s, p, kJumpShotReaction);
}

float shotMakeChance(MatchState& s, const Player& p, float distance, bool isThree, bool isFinish, int* gradeOut) {
    const bool human = isHumanShooter(s, p);
    float base;
    if (isFinish) {
        base = 0.66f + 0.22f * p.ratings[RATING_SHOOTING] + 0.05f * p.ratings[RATING_DUNK];
    } else {
        const float rating = isThree ? p.ratings[RATING_THREE] : p.ratings[RATING_SHOOTING];
        base = shotDistanceBase(distance) * (0.68f + 0.5f * rating);
    }
    const float window = human ? kReleaseWindowTable[difficultySetting(s)] : kCpuReleaseWindow;
    if (!teamHasHuman(s, p.team)) base *= kCpuMakeTable[difficultySetting(s)];
    const float c = contestFactor(s, p, p.releasePos);

    int grade;
    float chance;
    if (isFinish) {
        grade = GRADE_FINISH;
        chance = base * (1.0f - 0.6f * c);
    } else {
        const float e = std::fabs(p.releaseTiming - 1.0f);
        if (e <= window) {
            grade = GRADE_PERFECT;
            chance = (base + (1.0f - base) * (distance < 8.8f ? 0.7f : 0.3f)) * (1.0f - 0.42f * c);
        } else if (e <= kGoodWindow) {
            grade = GRADE_GOOD;
            chance = base * (1.0f - 1.3f * (e - window)) * (1.0f - 0.6f * c);
        } else {
            grade = p.releaseTiming < 1.0f ? GRADE_EARLY : GRADE_LATE;
            chance = base * 0.28f * (1.0f - 0.6f * c);
        }
        if (human) {
            const Vector3 toHoop = flatUnit(Vector3Negate(p.releasePos));
            chance *= clampf((flatDot(toHoop, forwardOf(p.yaw)) + 0.2f) / 0.9f, 0.0f, 1.0f);
        }
        if (p.gatherSpeed > kFastGather) chance *= 0.88f;
    }
    if (p.energy < kTiredEnergy) chance *= 0.9f;
    if (gradeOut) *gradeOut = grade;
    return clampf(chance, 0.01f, 0.98f);
}

void launchShot(MatchState& s, Vector3 from, bool made, float distance, bool isFinish, int grade) {
    const Vector3 u = flatUnit(from);
    const float a = 2.0f * PI * matchRandomFloat(s);
    const float r2 = matchRandomFloat(s);
    const Vector3 around = {std::cos(a), 0, std::sin(a)};
    Vector3 offset;
    if (made) {
        offset = Vector3Add(Vector3Scale(u, -0.02f), Vector3Scale(around, 0.03f * r2));
    } else if (grade == GRADE_EARLY || grade == GRADE_LATE) {
        const float k = grade == GRADE_EARLY ? 1.0f : -1.0f;
        const Vector3 dir = flatUnit(Vector3Add(Vector3Scale(around, 0.45f), Vector3Scale(u, k)));
        offset = Vector3Scale(dir, 0.2f + 0.22f * r2);
    } else {
        offset = Vector3Scale(around, 0.15f + 0.15f * r2);
    }
    const Vector3 target = {offset.x, kRimHeight, offset.z};
    float angle = kFinishAngleDeg;
    if (!isFinish) angle = kSteepAngleDeg - kFlatteningDeg * clampf((distance - 2.0f) / 7.0f, 0.0f, 1.0f);

    BallState& b = s.ball;
    b.vel = launchVelocity(from, target, angle);
    b.pos = b.prevPos = from;
    const Vector3 dir = flatUnit({target.x - from.x, 0, target.z - from.z});
    b.spin = {-dir.z * kShotSpin, 0, dir.x * kShotSpin};
}

bool inFinishRange(const MatchState&, const Player& p) {
    const float r = flatLength(p.pos);
    if (r > kFinishOuter) return false;
    if (r < kFinishInner) return true;
    if (flatLength(p.vel) <= kFinishDriveSpeed) return false;
    return flatDot(flatUnit(p.vel), flatUnit(Vector3Negate(p.pos))) > kFinishDriveDot;
}

void startLayup(MatchState& s, Player& p) {
    if (!beginShot(p, ACT_FINISH, 1.0f)) return;
    scheduleContestReactions(s, p, kFinishReaction);
}

void startDunk(MatchState& s, Player& p, bool alleyOop) {
    if (p.action != ACT_MOVE || (!alleyOop && !p.hasBall)) return;
    setAction(p, alleyOop ? ACT_ALLEY_OOP : ACT_DUNK);
    p.tookOff = 0;
    p.dunkStart = p.pos;
    Vector3 v = flatUnit(p.pos);
    if (v.z < 0.25f) v = flatUnit({v.x, 0, 0.35f});
    p.dunkApproach = Vector3Scale(v, kDunkApproach);
    p.dunkVariant = (int)(matchRandomInt(s) % 3u);
    p.driving = 0;
    if (!alleyOop) scheduleContestReactions(s, p, kFinishReaction);
}

void chooseFinish(MatchState& s, Player& p) {
    const float d = p.ratings[RATING_DUNK];
    const float r = flatLength(p.pos);
    bool dunk = false;
    if (d >= 0.55f && r >= 0.5f && r <= kFinishOuter) {
        const bool easy = !p.sprinting && d <= 0.85f && flatLength(p.vel) <= 3.5f;
        if (!easy) dunk = isHumanShooter(s, p) || 0.35f * matchRandomFloat(s) + d >= 0.95f;
    }
    if (dunk) startDunk(s, p, false);
    else startLayup(s, p);
}
