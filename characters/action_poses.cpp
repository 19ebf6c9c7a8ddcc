// Target poses by action state. Locomotion (move, pass, steal, dribble move,
// landing, celebrating) picks idle, run, defensive stance, box-out or dribble;
// the shots, dunks, rim hang, jumps, stumbles and knock-downs have their own
// shapes. Values of our own choosing come from kActionPoseKeys.
#include "characters/action_poses.h"

#include <cmath>
#include <raylib.h>

#include "characters/pose_generators.h"
#include "characters/pose_slots.h"
#include "sim/match_state.h"

namespace {

constexpr float kRunTopSpeed = 6.5f;
constexpr float kStillSpeed = 0.35f;      // below this a player stands
constexpr float kSplitSpeed = 0.01f;      // below this there is no direction
constexpr float kBoxOutMaxSpeed = 2.8f;
constexpr float kPressureDistance = 3.2f; // near the ball holder: half a stance
constexpr float kPressureAmount = 0.65f;
constexpr float kSlideSideways = 0.55f;   // sideways share that makes a slide
constexpr float kSlideMaxSpeed = 5.6f;
constexpr float kGuardArmDistance = 2.0f;
constexpr float kLayupRunUpSpeed = 3.0f;
constexpr float kShotTakeOff = 0.12f;     // jump shot gather
constexpr float kLayupRelease = 0.45f;
constexpr float kDunkGather = 0.17f, kAlleyOopGather = 0.12f;
constexpr float kDunkRise = 0.5f, kAlleyOopRise = 0.62f;
constexpr float kPassSeconds = 0.3f, kStealSeconds = 0.42f;
constexpr float kCrossoverSeconds = 0.3f, kStepBackSeconds = 0.36f;
constexpr float kChargeStumbleSeconds = 0.7f;
constexpr float kSitBackStart = 0.85f, kSitBackSeconds = 0.4f;
constexpr float kKnockDownSeconds = 0.3f;

const ActionPoseKeys& keys = kActionPoseKeys;

float heightOf(const Player& p) { return p.measures.height; }

float horizontalDistance(Vector3 a, Vector3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

float nearestOpponent(const MatchState& s, const Player& p) {
    float nearest = 1e9f;
    for (const Player& o : s.players)
        if (o.present && o.team != p.team) nearest = std::fmin(nearest, horizontalDistance(o.pos, p.pos));
    return nearest;
}

bool holdsLiveBall(const MatchState& s, const Player& p) {
    return s.phase == PHASE_LIVE && s.ball.phase == BALL_HELD && s.ball.holder == p.index;
}

// 1 in stance, 0.65 close to the opposing ball holder in live play, else 0.
float defendAmount(const MatchState& s, const Player& p) {
    if (p.stance) return 1.0f;
    const int holder = s.ball.holder;
    if (s.phase != PHASE_LIVE || s.ball.phase != BALL_HELD || holder < 0 || holder > 3) return 0.0f;
    const Player& h = s.players[holder];
    if (h.team == p.team || horizontalDistance(h.pos, p.pos) > kPressureDistance) return 0.0f;
    return kPressureAmount;
}

float standOrRun(const Player& p, const PlayerMotion& m, float h, Pose& t) {
    if (m.speed < kStillSpeed) {
        poseIdle(t, h);
        return 14;
    }
    poseRun(t, h, p.runPhase, m.speed, m.forward, m.sideways);
    return 22;
}

float defendingPose(const Player& p, const PlayerMotion& m, float h, float a, Pose& t) {
    const float clock = (float)p.index * 1.37f + animationClock;
    float k = 22;
    if (m.speed < kStillSpeed) {
        poseBounce(t, h, clock, a);
        k = 14;
    } else if (std::fabs(m.sideways) > kSlideSideways && m.speed < kSlideMaxSpeed) {
        poseSideStance(t, h, 1.3f * p.runPhase, m.sideways);
        k = 20;
    } else {
        poseRun(t, h, p.runPhase, m.speed, m.forward, m.sideways);
        slot(t, POSE_PELVIS_DROP) += 0.06f * a * h;
        slot(t, POSE_TRUNK_PITCH) += 0.16f * a;
        slot(t, POSE_KNEE_BEND, 0) += 0.32f * a;
        slot(t, POSE_KNEE_BEND, 1) += 0.32f * a;
    }
    poseArmSway(t, clock, a);
    return k;
}

void helpSideArms(const Player& p, Pose& t) {
    const int ballArm = p.ballSide ? 1 : 0;
    setArm(t, ballArm, {1.4f, 1.05f, 0.15f});
    slot(t, POSE_WRIST_BEND, ballArm) = 0.4f;
    setArm(t, 1 - ballArm, {0.7f, 0.55f, 0.9f});
    slot(t, POSE_TRUNK_TWIST) = p.ballSide ? -0.25f : 0.25f;
}

void dribbleMoveBend(const Player& p, float h, Pose& t) {
    const float time = p.actionTimer;
    switch (p.moveKind) {
    case 0: { // crossover: lean over to the new ball hand
        const float bump = std::sin(PI * std::fmin(time / kCrossoverSeconds, 1.0f));
        slot(t, POSE_TRUNK_ROLL) += (p.ballHand ? 1.0f : -1.0f) * keys.crossoverRoll * bump;
        slot(t, POSE_PELVIS_DROP) += keys.crossoverDrop * h * bump;
        break;
    }
    case 1: // spin: tucked and low
        slot(t, POSE_TRUNK_PITCH) += keys.spinTrunkPitch;
        slot(t, POSE_ELBOW_BEND, p.ballHand ? 0 : 1) = keys.spinElbow;
        break;
    case 2: { // step-back: sinks onto planted legs
        const float sink = easeClamped(time / kStepBackSeconds);
        solveLegs(t, h, slot(t, POSE_PELVIS_DROP) + keys.stepBackDrop * h * sink, 0.12f, 0.08f);
        slot(t, POSE_TRUNK_PITCH) += keys.stepBackLean * sink;
        break;
    }
    default: break;
    }
}

void dribbleArms(const MatchState& s, const Player& p, const PlayerMotion& m, float h, Pose& t) {
    const int hand = p.ballHand ? 1 : 0;
    const float bounce = std::fabs(std::cos(PI * p.dribblePhase));
    slot(t, POSE_SHOULDER_PITCH, hand) = 0.45f + 0.25f * std::fmin(m.fraction, 1.0f);
    slot(t, POSE_SHOULDER_RAISE, hand) = 0.32f;
    slot(t, POSE_ELBOW_BEND, hand) = 0.5f + 0.5f * bounce;
    slot(t, POSE_WRIST_BEND, hand) = 0.5f * bounce - 0.25f;
    if (nearestOpponent(s, p) < kGuardArmDistance) slot(t, POSE_ELBOW_BEND, 1 - hand) = 1.2f;
    slot(t, POSE_TRUNK_PITCH) += 0.1f;
    if (m.speed < kStillSpeed) solveLegs(t, h, slot(t, POSE_PELVIS_DROP) + 0.025f * h, 0.12f, 0.08f);
    if (p.action == ACT_DRIBBLE_MOVE) dribbleMoveBend(p, h, t);
}

void passArms(const Player& p, Pose& t) {
    const ArmKey arm = lerpArm(keys.passStart, keys.passEnd, easeClamped(p.actionTimer / kPassSeconds));
    setArm(t, 0, arm);
    setArm(t, 1, arm);
}

void stealReach(const Player& p, Pose& t) {
    const float reach = std::sin(PI * std::fmin(p.actionTimer / kStealSeconds, 1.0f));
    const int side = p.stealSide ? 1 : 0;
    moveToward(t, POSE_SHOULDER_PITCH + side, keys.stealReach.shoulderPitch, reach);
    moveToward(t, POSE_SHOULDER_RAISE + side, keys.stealReach.shoulderRaise, reach);
    moveToward(t, POSE_ELBOW_BEND + side, keys.stealReach.elbowBend, reach);
    slot(t, POSE_TRUNK_PITCH) += keys.stealTrunkPitch * reach;
    // turning toward the free side brings the reaching shoulder forward
    slot(t, POSE_TRUNK_TWIST) += (side == 1 ? 1.0f : -1.0f) * keys.stealTrunkTwist * reach;
}

float locomotionPose(const MatchState& s, const Player& p, const PlayerMotion& m, float h, Pose& t) {
    const bool withBall = holdsLiveBall(s, p);
    float k;
    if (!withBall && p.boxingOut && m.speed < kBoxOutMaxSpeed) {
        posePreset(kPresetBoxOut, t, h, 0);
        k = 16;
    } else {
        const float a = withBall ? 0.0f : defendAmount(s, p);
        k = a > 0 ? defendingPose(p, m, h, a, t) : standOrRun(p, m, h, t);
        if (withBall) dribbleArms(s, p, m, h, t);
        else if (p.helpSide) helpSideArms(p, t);
    }
    if (p.action == ACT_PASS) passArms(p, t);
    if (p.action == ACT_STEAL) stealReach(p, t);
    return k;
}

float jumpShotPose(const Player& p, float h, Pose& t) {
    if (!hasTakenOff(p)) {
        const float g = std::clamp(p.actionTimer / kShotTakeOff, 0.0f, 1.0f);
        solveLegs(t, h, (0.05f + 0.13f * g) * 0.5f * h, 0.1f, 0.06f);
        slot(t, POSE_TRUNK_PITCH) = 0.12f * g;
        setArm(t, 0, keys.shotGather[0]);
        setArm(t, 1, keys.shotGather[1]);
        return 20;
    }
    const float rise = easeClamped((p.actionTimer - kShotTakeOff) / keys.shotRiseSeconds);
    setArm(t, 1, lerpArm(keys.shotAimStart, keys.shotAimEnd, rise));
    setArm(t, 0, keys.shotGuide);
    if (p.released) {
        slot(t, POSE_ELBOW_BEND, 1) = keys.shotReleasedElbow;
        slot(t, POSE_WRIST_BEND, 1) = 0.9f;
    }
    setBoth(t, POSE_HIP_PITCH, keys.shotAirHip);
    setBoth(t, POSE_KNEE_BEND, keys.shotAirKnee);
    setBoth(t, POSE_ANKLE_PITCH, keys.shotAirAnkle);
    setBoth(t, POSE_LEG_SPREAD, 0.08f);
    slot(t, POSE_HEAD_PITCH) = -0.2f;
    return 20;
}

float layupPose(const Player& p, const PlayerMotion& m, float h, Pose& t) {
    if (!hasTakenOff(p)) {
        poseRun(t, h, p.runPhase, std::fmax(m.speed, kLayupRunUpSpeed), m.forward, m.sideways);
        setPair(t, POSE_SHOULDER_PITCH, 1.1f, 1.2f);
        setBoth(t, POSE_SHOULDER_RAISE, -0.2f);
        slot(t, POSE_PELVIS_DROP) += 0.04f * h;
        return 18;
    }
    setPair(t, POSE_SHOULDER_PITCH, 1.2f, 2.75f);
    setPair(t, POSE_SHOULDER_RAISE, 0.4f, 0.1f);
    setPair(t, POSE_HIP_PITCH, keys.layupAirHip[0], keys.layupAirHip[1]);
    setPair(t, POSE_KNEE_BEND, 0.45f, 1.75f);
    slot(t, POSE_ANKLE_PITCH, 0) = 0.6f;
    slot(t, POSE_TRUNK_PITCH) = 0.05f;
    slot(t, POSE_HEAD_PITCH) = -0.3f;
    const float flick = p.released ? easeClamped((p.actionTimer - kLayupRelease) / keys.layupReleaseSeconds) : 0.0f;
    setPair(t, POSE_ELBOW_BEND, keys.layupFreeElbow, 0.5f - 0.4f * flick);
    slot(t, POSE_WRIST_BEND, 1) = 0.6f * flick;
    return 18;
}

float dunkPose(const Player& p, float h, Pose& t) {
    const bool alleyOop = p.action == ACT_ALLEY_OOP;
    if (!hasTakenOff(p)) {
        solveLegs(t, h, 0.11f * h, 0.1f, 0.12f);
        slot(t, POSE_TRUNK_PITCH) = 0.3f;
        setBoth(t, POSE_SHOULDER_PITCH, -0.5f);
        setBoth(t, POSE_SHOULDER_RAISE, 0.1f);
        setBoth(t, POSE_ELBOW_BEND, keys.dunkCrouchElbow);
        return 16;
    }
    const float gather = alleyOop ? kAlleyOopGather : kDunkGather;
    const float rise = alleyOop ? kAlleyOopRise : kDunkRise;
    const float u = std::clamp((p.actionTimer - gather) / rise, 0.0f, 1.0f);
    setBoth(t, POSE_HIP_PITCH, 0.35f + 0.3f * u);
    setBoth(t, POSE_KNEE_BEND, 1.2f + 0.5f * u);
    setBoth(t, POSE_LEG_SPREAD, 0.12f);
    setBoth(t, POSE_ANKLE_PITCH, keys.dunkAirAnkle);
    slot(t, POSE_HEAD_PITCH) = -0.35f;
    const int variant = alleyOop ? 0 : p.dunkVariant;
    if (variant == 1) {
        setArm(t, 1, keys.dunkOneHandBall);
        setArm(t, 0, keys.dunkOneHandFree);
    } else if (variant == 2) { // tomahawk: cocked behind the head, then through
        ArmKey arm = keys.dunkTomahawkBall;
        arm.elbowBend = keys.dunkTomahawkCockedElbow + (arm.elbowBend - keys.dunkTomahawkCockedElbow) * u;
        setArm(t, 1, arm);
        setArm(t, 0, keys.dunkTomahawkFree);
    } else {
        setArm(t, 0, keys.dunkTwoHands);
        setArm(t, 1, keys.dunkTwoHands);
    }
    return 16;
}

float hangPose(const Player& p, Pose& t) {
    const float time = p.actionTimer;
    const float q = 0.18f * std::sin(11.0f * time) * std::exp(-3.0f * time);
    setBoth(t, POSE_SHOULDER_PITCH, 2.75f);
    setBoth(t, POSE_SHOULDER_RAISE, keys.hangShoulderRaise);
    setBoth(t, POSE_ELBOW_BEND, keys.hangElbow);
    setBoth(t, POSE_ANKLE_PITCH, 0.6f);
    setBoth(t, POSE_LEG_SPREAD, 0.1f);
    setBoth(t, POSE_KNEE_BEND, 0.7f);
    setBoth(t, POSE_HIP_PITCH, 0.25f + q);
    slot(t, POSE_TRUNK_PITCH) = q - 0.08f;
    slot(t, POSE_HEAD_PITCH) = 0.1f;
    return 20;
}

float airbornePose(const Player& p, Pose& t) {
    setBoth(t, POSE_HIP_PITCH, 0.2f);
    setBoth(t, POSE_LEG_SPREAD, 0.08f);
    setBoth(t, POSE_KNEE_BEND, 0.5f);
    setBoth(t, POSE_ANKLE_PITCH, 0.5f);
    setBoth(t, POSE_SHOULDER_PITCH, 2.85f);
    setBoth(t, POSE_SHOULDER_RAISE, 0.18f);
    setBoth(t, POSE_ELBOW_BEND, keys.airborneElbow);
    slot(t, POSE_HEAD_PITCH) = -0.3f;
    if (!p.blockJump) return 16;
    slot(t, POSE_TRUNK_PITCH) = 0.12f;
    slot(t, POSE_HEAD_PITCH) = -0.45f;
    setPair(t, POSE_ELBOW_BEND, 0.5f, 0.04f);
    slot(t, POSE_WRIST_BEND, 1) = 0.45f;
    return 20;
}

float stumblePose(const Player& p, float h, Pose& t) {
    poseIdle(t, h);
    const float time = p.actionTimer;
    if (p.stumbleKind) { // after a charge: one lurch and back
        const float w = std::sin(PI * std::fmin(time / kChargeStumbleSeconds, 1.0f));
        slot(t, POSE_TRUNK_PITCH) += keys.wobbleTrunkPitch * w;
        slot(t, POSE_TRUNK_ROLL) = keys.wobbleTrunkRoll * w;
        for (int side = 0; side < 2; ++side) {
            slot(t, POSE_SHOULDER_PITCH, side) += keys.wobbleShoulderPitch * w;
            slot(t, POSE_SHOULDER_RAISE, side) += keys.wobbleShoulderRaise * w;
        }
        slot(t, POSE_HEAD_PITCH) = keys.wobbleHeadPitch * w;
        return 14;
    }
    Pose sit;
    slot(sit, POSE_PELVIS_DROP) = 0.4f * h;
    setBoth(sit, POSE_HIP_PITCH, 1.35f);
    setBoth(sit, POSE_LEG_SPREAD, 0.25f);
    setBoth(sit, POSE_KNEE_BEND, keys.sitKnee);
    setBoth(sit, POSE_SHOULDER_PITCH, -0.6f);
    setBoth(sit, POSE_SHOULDER_RAISE, 0.45f);
    setBoth(sit, POSE_ELBOW_BEND, keys.sitElbow);
    slot(sit, POSE_TRUNK_PITCH) = -0.35f;
    slot(sit, POSE_HEAD_PITCH) = 0.2f;
    lerpPose(t, sit, t, easeClamped((time - kSitBackStart) / kSitBackSeconds));
    return 9;
}

float knockedDownPose(const Player& p, float h, Pose& t) {
    poseIdle(t, h);
    Pose seated;
    posePreset(kPresetSeated, seated, h, 0);
    const float time = p.actionTimer;
    const float down = easeClamped(time / kKnockDownSeconds) *
                       (1.0f - easeClamped((time - keys.getUpStart) / keys.getUpSeconds));
    lerpPose(t, t, seated, down);
    return 12;
}

} // namespace

PlayerMotion playerMotion(const Player& p) {
    PlayerMotion m;
    m.speed = std::hypot(p.vel.x, p.vel.z);
    m.fraction = m.speed / kRunTopSpeed;
    if (m.speed > kSplitSpeed) {
        const float sy = std::sin(p.yaw), cy = std::cos(p.yaw);
        m.forward = (p.vel.x * sy + p.vel.z * cy) / m.speed;
        m.sideways = (p.vel.x * cy - p.vel.z * sy) / m.speed;
    }
    return m;
}

bool hasTakenOff(const Player& p) { return p.tookOff || p.airborne; }

bool isLocomotionState(int action) {
    switch (action) {
    case ACT_MOVE:
    case ACT_PASS:
    case ACT_STEAL:
    case ACT_DRIBBLE_MOVE:
    case ACT_LANDING:
    case ACT_CELEBRATE: return true;
    default: return false;
    }
}

float actionTargetPose(const MatchState& s, const Player& p, const PlayerMotion& m, Pose& t) {
    t = Pose{};
    const float h = heightOf(p);
    if (isLocomotionState(p.action)) return locomotionPose(s, p, m, h, t);
    switch (p.action) {
    case ACT_JUMP_SHOT: return jumpShotPose(p, h, t);
    case ACT_FINISH: return layupPose(p, m, h, t);
    case ACT_DUNK:
    case ACT_ALLEY_OOP: return dunkPose(p, h, t);
    case ACT_HANG: return hangPose(p, t);
    case ACT_AIRBORNE: return airbornePose(p, t);
    case ACT_STUMBLE: return stumblePose(p, h, t);
    case ACT_KNOCKED_DOWN: return knockedDownPose(p, h, t);
    default:
        poseIdle(t, h);
        return 14;
    }
}
