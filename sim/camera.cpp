// The match camera: mouse look, the tick yaw, the first-person eye with its
// springs, bob, lean, kicks and shake, the opening fly-in, and the chase
// camera that takes over while the local player defends. Everything here is
// presentation: it writes the camera fields of MatchState and, in
// followCameraYaw only, the local player's facing.
#include "sim/camera.h"

#include <algorithm>
#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "characters/sine_noise.h"
#include "sim/court.h"
#include "sim/sim_math.h"

namespace {

// Mouse look.
constexpr float kLookBase = 0.0007f;
constexpr float kLookPerSens = 0.00042f;
constexpr float kPitchMin = -1.05f, kPitchMax = 1.0f;

// Tick yaw.
constexpr float kDefendTurnRate = 6.0f, kDefendPitch = -0.15f, kDefendPitchRate = 2.0f;
constexpr float kFinishTurnRate = 5.0f, kFinishPitch = 0.12f, kFinishPitchRate = 3.0f;
constexpr float kCheckTurnRate = 2.4f, kGeneralTurnRate = 12.0f;
constexpr float kGeneralPitch = -0.22f, kGeneralPitchRate = 1.5f;

// First-person eye.
constexpr float kEyeFollowRate = 28.0f;
constexpr float kEyeSnap = 0.6f;
constexpr float kEyeStiffness = 170.0f, kEyeDamping = 23.469128f;
constexpr float kEyeAirStiffness = 420.0f, kEyeAirDamping = 36.889023f;
constexpr float kAirborneHeight = 0.02f;
constexpr float kTraumaDecay = 1.4f;
constexpr float kBobFullSpeed = 6.5f, kBobMinSpeed = 0.5f;
constexpr float kFinalPitchLimit = 1.35f;
constexpr float kPushRadius = 0.09f, kPushCap = 0.42f, kPushReach = 2.5f;
constexpr float kFov = 70.0f, kSprintFov = 76.0f, kDunkFov = 6.0f, kStanceFov = -2.0f, kFovRate = 4.5f;

struct SpringSpec {
    float stiffness, damping, lo, hi;
};
constexpr SpringSpec kHeightSpring = {90.0f, 10.435516f, -0.25f, 0.12f};
constexpr SpringSpec kPitchSpring = {110.0f, 10.488089f, -0.5f, 0.9f};
constexpr SpringSpec kYawSpring = {110.0f, 11.536898f, -INFINITY, INFINITY};
constexpr SpringSpec kRollSpring = {80.0f, 8.049845f, -0.45f, 0.45f};

// Opening fly-in.
constexpr Vector3 kOverviewTarget = {0, 1.1f, 4.0f};
constexpr float kOverviewFov = 50.0f;

// Chase camera.
constexpr float kChaseInRate = 4.5f, kChaseOutRate = 6.0f;
constexpr float kChaseFov = 42.0f, kChaseFovPerDunk = 5.0f;
constexpr float kChaseFollowRate = 3.2f, kChaseFovRate = 3.0f;
constexpr int kFramingPasses = 12;
constexpr float kFramingWidth = 1280, kFramingHeight = 720;

constexpr Vector3 kWorldUp = {0, 1, 0};

float smoothing(float rate, float dt) { return 1.0f - std::exp(-rate * dt); }

float smoothstep01(float x) {
    x = std::clamp(x, 0.0f, 1.0f);
    return x * x * (3 - 2 * x);
}

bool hasLocal(const MatchState& s) { return s.localIndex >= 0 && s.localIndex < 4; }
const Player& viewPlayer(const MatchState& s) { return s.players[hasLocal(s) ? s.localIndex : 0]; }
Player& viewPlayer(MatchState& s) { return s.players[hasLocal(s) ? s.localIndex : 0]; }

float motionLevel(const MatchState& s) {
    if (s.cameraMotion <= 0) return 0.0f;
    return s.cameraMotion == 1 ? 0.45f : 1.0f;
}

bool isLocomotion(int action) {
    return action == ACT_MOVE || action == ACT_PASS || action == ACT_STEAL || action == ACT_DRIBBLE_MOVE ||
           action == ACT_LANDING || action == ACT_CELEBRATE;
}

Camera3D makeCamera(Vector3 position, Vector3 target, Vector3 up, float fovy) {
    return {position, target, up, fovy, CAMERA_PERSPECTIVE};
}

Camera3D blendCameras(const Camera3D& a, const Camera3D& b, float t) {
    return makeCamera(Vector3Lerp(a.position, b.position, t), Vector3Lerp(a.target, b.target, t),
                      Vector3Normalize(Vector3Lerp(a.up, b.up, t)), Lerp(a.fovy, b.fovy, t));
}

// ---- first-person eye ----

void resetMotion(CameraMotion& c, const Player& L, Vector3 eye) {
    c.height = c.pitch = c.yaw = c.roll = CameraSpring{};
    c.accel = {0, 0, 0};
    c.lastVel = L.vel;
    c.leanPitch = c.leanRoll = 0;
    c.pushOut = {0, 0, 0};
    c.pendingKick = {0, 0, 0};
    c.eye = eye;
    c.eyeYVel = 0;
    c.initialised = 1;
}

void followEye(CameraMotion& c, Vector3 eye, bool airborne, float dt) {
    const float k = smoothing(kEyeFollowRate, dt);
    c.eye.x += (eye.x - c.eye.x) * k;
    c.eye.z += (eye.z - c.eye.z) * k;
    if (std::fabs(c.eye.y - eye.y) > kEyeSnap) {
        c.eye.y = eye.y;
        c.eyeYVel = 0;
        return;
    }
    const float stiffness = airborne ? kEyeAirStiffness : kEyeStiffness;
    const float damping = airborne ? kEyeAirDamping : kEyeDamping;
    c.eyeYVel += (-stiffness * (c.eye.y - eye.y) - damping * c.eyeYVel) * dt;
    c.eye.y += c.eyeYVel * dt;
}

void takeOffAndLanding(CameraMotion& c, const Player& L, float m) {
    if (L.rootHeight > kAirborneHeight && !c.airborneLatch) {
        c.airborneLatch = 1;
        c.takeoffSpeed = L.vertSpeed;
        c.height.velocity += 0.25f * m;
    } else if (L.rootHeight <= kAirborneHeight && c.airborneLatch) {
        c.airborneLatch = 0;
        const float impact = std::max(-c.takeoffSpeed, 0.0f);
        c.height.velocity -= (0.35f + 0.32f * impact) * m;
        c.pitch.velocity -= (0.15f + 0.09f * impact) * m;
    }
}

void applyKick(CameraMotion& c, Vector3 right, float m, float dt) {
    const float kick = Vector3Length(c.pendingKick);
    if (kick > 0.01f) {
        const float sideways = Vector3DotProduct(c.pendingKick, right);
        c.yaw.velocity -= 0.35f * sideways * m;
        c.roll.velocity += 0.5f * sideways * m;
        c.height.velocity -= 0.12f * kick * m;
        c.trauma = std::min(c.trauma + 0.06f * kick, 1.0f);
    }
    c.trauma = std::min(c.trauma + c.pendingTrauma, 1.0f);
    c.pendingKick = {0, 0, 0};
    c.pendingTrauma = 0;
    c.trauma = std::max(c.trauma - kTraumaDecay * dt, 0.0f);
}

void lean(CameraMotion& c, const Player& L, Vector3 forward, Vector3 right, float m, float dt) {
    const Vector3 accel = Vector3Scale(Vector3Subtract(L.vel, c.lastVel), 1.0f / dt);
    c.lastVel = L.vel;
    c.accel = Vector3Add(c.accel, Vector3Scale(Vector3Subtract(accel, c.accel), smoothing(9, dt)));
    const float pitchTarget = std::clamp(-0.0024f * Vector3DotProduct(c.accel, forward), -0.035f, 0.035f) * m;
    const float rollTarget = std::clamp(0.0022f * Vector3DotProduct(c.accel, right) +
                                            0.0045f * Vector3DotProduct(L.vel, right),
                                        -0.045f, 0.045f) * m;
    c.leanPitch += (pitchTarget - c.leanPitch) * smoothing(8, dt);
    c.leanRoll += (rollTarget - c.leanRoll) * smoothing(7, dt);
}

struct HeadBob {
    float height = 0, sideways = 0, pitch = 0, roll = 0;
};

HeadBob headBob(CameraMotion& c, const Player& L, float m, float dt) {
    const float speed = std::hypot(L.vel.x, L.vel.z);
    const bool striding = speed > kBobMinSpeed && isLocomotion(L.action) && !L.airborne;
    const float target = striding ? std::min(speed / kBobFullSpeed, 1.0f) : 0.0f;
    c.bob += (target - c.bob) * smoothing(6, dt);
    const float p = L.runPhase, b = c.bob;
    HeadBob h;
    h.height = (0.5f * std::cos(2 * p) - 0.5f) * (L.stance ? 0.0143f : 0.026f) * b * m;
    h.sideways = 0.013f * b * std::sin(p) * m;
    h.pitch = 0.006f * b * std::sin(2 * p) * m;
    h.roll = 0.007f * b * std::sin(p) * m;
    return h;
}

void stepClamped(CameraSpring& s, const SpringSpec& spec, float dt) {
    stepCameraSpring(s, spec.stiffness, spec.damping, dt);
    s.value = std::clamp(s.value, spec.lo, spec.hi);
}

float fallPitch(const Player& L) {
    if (L.action == ACT_KNOCKED_DOWN) return 0.55f * std::sin(PI * std::min(L.actionTimer / 1.5f, 1.0f));
    if (L.action == ACT_STUMBLE && L.stumbleKind == 0)
        return 0.25f * std::sin(PI * std::min(L.actionTimer / 1.25f, 1.0f));
    return 0.0f;
}

// Push from one capsule (segment a-b, radius r) on the camera sphere at p.
Vector3 capsulePush(Vector3 p, Vector3 a, Vector3 b, float r) {
    const Vector3 ab = Vector3Subtract(b, a);
    const float len2 = Vector3DotProduct(ab, ab);
    const float t = len2 > 0 ? std::clamp(Vector3DotProduct(Vector3Subtract(p, a), ab) / len2, 0.0f, 1.0f) : 0.0f;
    const Vector3 away = Vector3Subtract(p, Vector3Add(a, Vector3Scale(ab, t)));
    const float d = Vector3Length(away);
    const float reach = r + kPushRadius;
    if (d >= reach || d < 1e-6f) return {0, 0, 0};
    return Vector3Scale(away, (reach - d) / d);
}

Vector3 jointAt(const Skeleton& s, int joint) {
    const Matrix& m = s.joints[joint];
    return {m.m12, m.m13, m.m14};
}

// Capsules along the body: trunk, head, the four segments of each arm and
// leg, and the hands.
Vector3 bodyPush(const Player& p, Vector3 eye) {
    const Skeleton& s = p.skeleton;
    Vector3 push = capsulePush(eye, jointAt(s, JOINT_PELVIS), jointAt(s, JOINT_NECK), 0.24f * playerBuild(p));
    push = Vector3Add(push, capsulePush(eye, jointAt(s, JOINT_HEAD), headPosition(s), 0.16f));
    for (int side = 0; side < 2; ++side) {
        const int arm = armJoint(side), leg = thighJoint(side);
        push = Vector3Add(push, capsulePush(eye, jointAt(s, arm), jointAt(s, arm + 1), 0.07f));
        push = Vector3Add(push, capsulePush(eye, jointAt(s, arm + 1), jointAt(s, arm + 2), 0.07f));
        push = Vector3Add(push, capsulePush(eye, jointAt(s, leg), jointAt(s, leg + 1), 0.07f));
        push = Vector3Add(push, capsulePush(eye, jointAt(s, leg + 1), jointAt(s, leg + 2), 0.07f));
        const Vector3 hand = handPosition(s, side);
        push = Vector3Add(push, capsulePush(eye, hand, hand, 0.06f));
    }
    return push;
}

void pushOutOfBodies(MatchState& s, const Player& L, Vector3 eye, float dt) {
    Vector3 push = {0, 0, 0};
    for (const Player& p : s.players) {
        if (&p == &L || !p.present) continue;
        if (std::hypot(p.pos.x - eye.x, p.pos.z - eye.z) > kPushReach) continue;
        push = Vector3Add(push, bodyPush(p, eye));
    }
    const float len = Vector3Length(push);
    if (len > kPushCap) push = Vector3Scale(push, kPushCap / len);
    CameraMotion& c = s.cam;
    const float rate = len > Vector3Length(c.pushOut) ? 30.0f : 8.0f;
    c.pushOut = Vector3Add(c.pushOut, Vector3Scale(Vector3Subtract(push, c.pushOut), smoothing(rate, dt)));
}

float fovTarget(const Player& L) {
    float fov = L.sprinting ? kSprintFov : kFov;
    if (L.action == ACT_DUNK || L.action == ACT_ALLEY_OOP) fov += kDunkFov;
    if (L.stance) fov += kStanceFov;
    return fov;
}

Camera3D firstPersonCamera(MatchState& s, bool forceReset, float dt) {
    CameraMotion& c = s.cam;
    const Player& L = viewPlayer(s);
    const float m = motionLevel(s);
    const Vector3 eye = cameraFocusPoint(s);
    s.eyePoint = eye;
    if (!c.initialised || forceReset) resetMotion(c, L, eye);

    followEye(c, eye, L.airborne, dt);
    takeOffAndLanding(c, L, m);
    applyKick(c, rightOf(s.eyeYaw), m, dt);
    lean(c, L, forwardOf(s.eyeYaw), rightOf(s.eyeYaw), m, dt);
    const HeadBob bob = headBob(c, L, m, dt);
    stepClamped(c.height, kHeightSpring, dt);
    stepClamped(c.pitch, kPitchSpring, dt);
    stepClamped(c.yaw, kYawSpring, dt);
    stepClamped(c.roll, kRollSpring, dt);

    const float t = s.frontEndClock;
    const float shake = c.trauma * c.trauma * std::max(m, 0.35f);
    const float yaw = s.eyeYaw + c.yaw.value + 0.035f * shake * sineNoise(t, 1);
    const float pitch = std::clamp(s.eyePitch + c.leanPitch + c.pitch.value + bob.pitch +
                                       0.03f * shake * sineNoise(t, 7) + fallPitch(L),
                                   -kFinalPitchLimit, kFinalPitchLimit);
    const float roll = c.leanRoll + c.roll.value + bob.roll + 0.05f * shake * sineNoise(t, 13);

    const Vector3 right = rightOf(yaw);
    Vector3 position = Vector3Add(c.eye, {0, c.height.value + bob.height, 0});
    position = Vector3Add(position, Vector3Scale(right, bob.sideways));
    // Looking down, the eye moves forward so the view clears the chest.
    const float lookDownShift = std::clamp(-0.09f * (s.eyePitch + 0.35f), 0.0f, 0.065f);
    position = Vector3Add(position, Vector3Scale(forwardOf(yaw), lookDownShift));
    const Vector3 forward = {std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
    const Vector3 level = Vector3CrossProduct(right, forward);
    const Vector3 up = Vector3Add(Vector3Scale(level, std::cos(roll)), Vector3Scale(right, std::sin(roll)));

    pushOutOfBodies(s, L, position, dt);
    position = Vector3Add(position, c.pushOut);
    s.eyeFov += (fovTarget(L) - s.eyeFov) * smoothing(kFovRate, dt);
    return makeCamera(position, Vector3Add(position, forward), up, s.eyeFov);
}

// ---- opening fly-in ----

Camera3D flyIn(const Camera3D& eye, float t) {
    const float v = smoothstep01(std::min(t / 1.2f, 1.0f));
    const Vector3 overview = {9 * v - 9, 9 - 2.1f * v, 22 - 9.5f * v};
    const Camera3D high = makeCamera(overview, kOverviewTarget, kWorldUp, kOverviewFov);
    return blendCameras(high, eye, smoothstep01((t - 0.4f) * 0.5f));
}

// ---- chase camera ----

struct ChaseFrame {
    Vector3 position, target;
};

ChaseFrame frameChase(const MatchState& s, const Player& L, float k, float q, float lean) {
    const Vector3 ball = s.ball.pos;
    const Vector3 focus = Vector3Add(ball, Vector3Scale(Vector3Subtract(L.pos, ball), k));
    ChaseFrame f;
    if (focus.x < -7.5f) {
        f.target.x = -3.75f;
        f.position.x = -3.15f;
    } else {
        const float x = std::min(focus.x, 7.5f);
        f.target.x = 0.5f * x;
        f.position.x = 0.42f * x;
    }
    float depth;
    if (focus.z < -1.5f) {
        f.target.z = -0.9f;
        depth = 3.5f;
    } else {
        const float z = std::min(focus.z, s.fullCourt ? 22.46f : 12.5f);
        f.target.z = 0.6f * z;
        depth = std::max(z, 3.5f);
    }
    f.position.z = depth + 9 * q;
    float excess = 0;
    if (s.fullCourt && f.position.z > 24.46f) {
        excess = (f.position.z - 24.46f) * 0.7f;
        f.position.z = 24.46f;
    }
    f.position.y = std::min(6.9f * q + excess, 9.0f);
    f.target.y = 1.1f;
    f.target = Vector3Lerp(f.target, {L.pos.x, 0.9f, L.pos.z}, lean);
    return f;
}

// The local player's feet inside the frame above the HUD, his head below the
// top, and in front of the camera.
bool framingAccepted(const Player& L, const ChaseFrame& f, float fovy) {
    const Camera3D cam = makeCamera(f.position, f.target, kWorldUp, fovy);
    const Vector3 toPlayer = Vector3Subtract(L.pos, f.position);
    if (Vector3DotProduct(toPlayer, Vector3Subtract(f.target, f.position)) <= 0) return false;
    const Vector2 feet = GetWorldToScreenEx({L.pos.x, 0, L.pos.z}, cam, kFramingWidth, kFramingHeight);
    const Vector3 headPoint = {L.pos.x, L.rootHeight + 1.05f * playerHeight(L), L.pos.z};
    const Vector2 head = GetWorldToScreenEx(headPoint, cam, kFramingWidth, kFramingHeight);
    return feet.x > 110 && feet.x < 1170 && feet.y < 550 && head.y > 70;
}

// Pulls back and leans toward the local player until he is in frame.
ChaseFrame frameLocalPlayer(const MatchState& s, const Player& L, float fovy) {
    const float d = Vector3Distance(s.ball.pos, L.pos);
    float k = 0.3f + 0.25f * std::clamp((d - 4) / 8, 0.0f, 1.0f);
    float q = 1 + 0.5f * std::clamp((d - 6) / 10, 0.0f, 1.0f);
    float leanAmount = 0;
    ChaseFrame f = frameChase(s, L, k, q, leanAmount);
    for (int pass = 1; pass < kFramingPasses && !framingAccepted(L, f, fovy); ++pass) {
        k = std::min(k + 0.1f, 0.85f);
        q = std::min(q + 0.1f, 1.6f);
        if (pass >= 3) leanAmount = std::min(leanAmount + 0.12f, 0.85f);
        f = frameChase(s, L, k, q, leanAmount);
    }
    return f;
}

float chaseFovTarget(const MatchState& s) {
    float fov = kChaseFov;
    for (const Player& p : s.players)
        if (p.present && (p.action == ACT_DUNK || p.action == ACT_HANG || p.action == ACT_ALLEY_OOP))
            fov -= kChaseFovPerDunk;
    return fov;
}

// Moves the chase blend; returns whether the chase camera takes part.
bool updateChase(MatchState& s, float dt) {
    const Player& L = viewPlayer(s);
    const bool defending = isLocalDefending(s);
    const float before = s.chaseBlend;
    s.chaseBlend += ((defending ? 1.0f : 0.0f) - s.chaseBlend) * smoothing(defending ? kChaseInRate : kChaseOutRate, dt);
    if (defending && before < 0.01f) {
        const float d = Vector3Distance(s.ball.pos, L.pos);
        const ChaseFrame f = frameChase(s, L, 0.3f, 1 + 0.5f * std::clamp((d - 6) / 10, 0.0f, 1.0f), 0);
        s.chasePos = s.chasePosSmooth = f.position;
        s.chaseTarget = s.chaseTargetSmooth = f.target;
        s.chaseFov = kChaseFov;
    }
    if (s.chaseBlend <= 0.001f || s.phase == PHASE_OPENING) return false;

    const float fov = chaseFovTarget(s);
    const ChaseFrame f = frameLocalPlayer(s, L, fov);
    s.chasePos = f.position;
    s.chaseTarget = f.target;
    const float k = smoothing(kChaseFollowRate, dt);
    s.chasePosSmooth = Vector3Lerp(s.chasePosSmooth, s.chasePos, k);
    s.chaseTargetSmooth = Vector3Lerp(s.chaseTargetSmooth, s.chaseTarget, k);
    s.chaseFov += (fov - s.chaseFov) * smoothing(kChaseFovRate, dt);

    const float trauma = s.cam.trauma;
    const float shake = trauma * trauma * std::max(motionLevel(s), 0.35f) * 0.12f;
    s.cam.shake = {shake * sineNoise(s.frontEndClock, 3), shake * sineNoise(s.frontEndClock, 9), 0};
    return true;
}

Camera3D chaseCamera(const MatchState& s) {
    return makeCamera(Vector3Add(s.chasePosSmooth, s.cam.shake), Vector3Add(s.chaseTargetSmooth, s.cam.shake),
                      kWorldUp, s.chaseFov);
}

} // namespace

float cameraJolt(CameraMotion& c) { return (float)(xorshift32(c.joltRng) % 201) / 100.0f - 1.0f; }

void stepCameraSpring(CameraSpring& spring, float stiffness, float damping, float dt) {
    spring.velocity += (-stiffness * spring.value - damping * spring.velocity) * dt;
    spring.value += spring.velocity * dt;
}

bool isLocalDefending(const MatchState& s) {
    return hasLocal(s) && !s.autopilot && (s.phase == PHASE_CHECK_BALL || s.phase == PHASE_LIVE) &&
           s.players[s.localIndex].team != s.offense;
}

void applyMouseLook(MatchState& s, const RawInput& input, const CameraOptions& options) {
    if (!hasLocal(s) || isLocalDefending(s)) return;
    const float perPixel = kLookBase + kLookPerSens * (float)options.mouseSens;
    s.eyeYaw = wrapAngle(s.eyeYaw - input.lookDX * perPixel);
    const float dy = options.invertY ? -input.lookDY : input.lookDY;
    s.eyePitch = std::clamp(s.eyePitch - dy * perPixel, kPitchMin, kPitchMax);
}

void followCameraYaw(MatchState& s, float dt) {
    Player& L = viewPlayer(s);
    const bool driven = hasLocal(s) && !s.autopilot;
    const bool live = s.phase == PHASE_LIVE;
    if (driven && live && L.team != s.offense) {
        s.eyeYaw = turnToward(s.eyeYaw, L.yaw, kDefendTurnRate * dt);
        s.eyePitch += (kDefendPitch - s.eyePitch) * smoothing(kDefendPitchRate, dt);
        return;
    }
    const bool finishing = L.action == ACT_FINISH || L.action == ACT_DUNK || L.action == ACT_HANG ||
                           L.action == ACT_ALLEY_OOP;
    if (driven && live && finishing) {
        s.eyeYaw = turnToward(s.eyeYaw, std::atan2(-L.pos.x, -L.pos.z), kFinishTurnRate * dt);
        s.eyePitch += (kFinishPitch - s.eyePitch) * smoothing(kFinishPitchRate, dt);
    } else if (!(driven && live)) {
        const float rate = driven && s.phase == PHASE_CHECK_BALL ? kCheckTurnRate : kGeneralTurnRate;
        s.eyeYaw = turnToward(s.eyeYaw, L.yaw, rate * dt);
        s.eyePitch += (kGeneralPitch - s.eyePitch) * smoothing(kGeneralPitchRate, dt);
    }
    if (!s.online) L.yaw = s.eyeYaw; // online, the yaw travels in the input
}

Vector3 cameraFocusPoint(const MatchState& s) {
    const Player& L = viewPlayer(s);
    const float sh = std::pow(0.5f * playerHeight(L), 0.35f);
    return Vector3Transform({0, 0.012f * sh, 0.085f * sh}, headMatrix(L.skeleton, L.measures.height));
}

void updateMatchCamera(MatchState& s, float dt, bool forceReset) {
    if (dt <= 0) return;
    const Camera3D eye = firstPersonCamera(s, forceReset, dt);
    Camera3D view = s.phase == PHASE_OPENING ? flyIn(eye, s.phaseTimer) : eye;
    if (updateChase(s, dt)) {
        const float blend = smoothstep01(s.chaseBlend);
        view = blendCameras(eye, chaseCamera(s), blend);
    }
    s.camera = view;
}
