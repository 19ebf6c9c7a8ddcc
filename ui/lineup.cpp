#include "ui/lineup.h"

#include <cmath>
#include <raymath.h>

#include "characters/character_drawing.h"
#include "characters/pose_generators.h"
#include "characters/shared_meshes.h"
#include "render/arena.h"
#include "sim/court_geometry.h"
#include "ui/frontend.h"

int lineupPage = -1;
float lineupBounce = 0;

namespace {

constexpr Color kSceneClear = {6, 6, 8, 255};
constexpr float kSpotHeight = 10.5f;
constexpr float kSpotBehind = 1.6f; // the spot hangs this far behind the focus
constexpr Vector3 kSpotColour = {5.2f, 5.0f, 4.6f};
constexpr float kSpotInner = 11, kSpotOuter = 20;
constexpr float kShadowExtent = 14;
constexpr float kArenaHype = 0.25f;
constexpr float kBlobRadius = 0.5f, kBlobOpacity = 0.55f;
constexpr float kBeamRadius = 3.1f, kBeamHeight = 10.6f, kBeamAlpha = 0.55f;
constexpr float kEmoteLoop = 2.9f;  // seconds; an emote replays with a short rest
constexpr float kGroundedLift = 0.01f;
constexpr float kSpinRate = 14;     // the ball on a finger, about the vertical
constexpr float kRollRate = -9;     // every other ball, about x
constexpr float kUnderHand = 0.136f; // the dribbled ball's top meets the palm

void poseStanding(Pose& p, const LineupEntry& e, float h, float t) {
    const int stance = e.poseId;
    if (stance == kStanceDribble) solveLegs(p, h, 0.05f * h, 0.15f, 0.1f);
    else solveLegs(p, h, 0.015f * h + 0.008f * std::sin(2 * t + e.x), 0.1f, 0.05f);
    auto both = [&p](int field, float side0, float side1) {
        p.v[field] = side0;
        p.v[field + 1] = side1;
    };
    p.v[POSE_TRUNK_PITCH] = 0.04f;
    both(POSE_ELBOW_BEND, 0.3f, 0.3f);
    both(POSE_SHOULDER_PITCH, 0.12f, 0.12f);
    both(POSE_SHOULDER_RAISE, 0.16f, 0.16f);
    if (stance == kStanceSpinBall) {
        both(POSE_SHOULDER_PITCH, 0.25f, 2.75f);
        both(POSE_SHOULDER_RAISE, 0.22f, 0.12f);
        p.v[POSE_HEAD_PITCH] = -0.3f;
        p.v[POSE_HEAD_YAW] = 0.15f;
        p.v[POSE_ELBOW_BEND] = 0.5f;
        p.v[POSE_WRIST_BEND + 1] = 0.25f;
    } else if (stance == kStanceHoldBall) {
        both(POSE_SHOULDER_PITCH, 0.1f, 0.35f);
        both(POSE_SHOULDER_RAISE, 0.14f, 0.42f);
        both(POSE_ELBOW_BEND, 0.35f, 0.9f);
        p.v[POSE_HEAD_YAW] = -0.15f;
        p.v[POSE_TRUNK_ROLL] = 0.04f;
        p.v[POSE_HEAD_PITCH] = 0.06f + 0.03f * std::sin(1.3f * t);
    } else if (stance == kStanceDribble) {
        const float b = std::fabs(std::sin(PI * (lineupBounce - std::floor(lineupBounce))));
        p.v[POSE_TRUNK_PITCH] = 0.18f;
        p.v[POSE_ELBOW_BEND] = 1.2f;
        p.v[POSE_HEAD_PITCH] = -0.1f;
        p.v[POSE_ELBOW_BEND + 1] = 0.5f + 0.5f * b;
        p.v[POSE_WRIST_BEND + 1] = 0.5f * b - 0.25f;
        both(POSE_SHOULDER_PITCH, 0.8f, 0.5f);
        both(POSE_SHOULDER_RAISE, 0.25f, 0.32f);
    }
}

Vector3 standingBall(const LineupEntry& e, const Skeleton& skeleton) {
    const Vector3 hand = handPosition(skeleton, 1);
    const float s = std::sin(e.yaw), c = std::cos(e.yaw);
    if (e.poseId == kStanceSpinBall) return Vector3Add(hand, {0, 0.231f, 0});
    if (e.poseId == kStanceHoldBall) return Vector3Add(hand, {-0.09f * c, 0.02f, 0.09f * s});
    const float b = std::fabs(std::sin(PI * (lineupBounce - std::floor(lineupBounce))));
    const Vector3 floor = {e.x + 0.35f * s - 0.25f * c, kBallRadius, e.z + 0.35f * c + 0.25f * s};
    const Vector3 top = Vector3Subtract(hand, {0, kUnderHand, 0});
    return Vector3Add(floor, Vector3Scale(Vector3Subtract(top, floor), b));
}

void drawFigures(const std::vector<LineupEntry>& entries, const std::vector<LineupFigure>& figures, bool shadowPass) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const LineupFigure& f = figures[i];
        if (entries[i].model) drawCharacterModel(*entries[i].model, f.skeleton, shadowPass, false);
        if (f.hasBall) drawBall(arena.ballTexture, f.ball, f.ballSpin);
    }
}

Camera3D perspective(Vector3 position, Vector3 target, float fovy) {
    return Camera3D{position, target, {0, 1, 0}, fovy, CAMERA_PERSPECTIVE};
}

} // namespace

SceneLighting lineupLighting() {
    SceneLighting l;
    l.keyDir = {0.15f, 1.0f, 0.3f};
    l.keyCol = {0.55f, 0.53f, 0.5f};
    l.fillDir[0] = {0.0f, 0.4f, 1.0f};
    l.fillDir[1] = {0.2f, 0.4f, -1.0f};
    l.fillDir[2] = {-1.0f, 0.3f, 0.2f};
    l.fillCol[0] = {0.12f, 0.12f, 0.14f};
    l.fillCol[1] = {0.35f, 0.36f, 0.42f};
    l.fillCol[2] = {0.06f, 0.06f, 0.07f};
    l.skyCol = {0.07f, 0.075f, 0.09f};
    l.groundCol = {0.07f, 0.05f, 0.035f};
    l.fogCol = {0.012f, 0.012f, 0.015f};
    l.fogDensity = 0.028f;
    l.exposure = 1.0f;
    return l;
}

LineupFigure poseLineupEntry(const LineupEntry& e, float t) {
    LineupFigure f;
    const BodyMeasures body = e.model ? bodyMeasures(*e.model) : BodyMeasures{};
    const float h = body.height;
    Pose pose;
    if (e.poseId >= kFirstEmotePose) {
        float lift = 0, turn = 0;
        emotePose(e.poseId - kFirstEmotePose, std::fmod(t, kEmoteLoop), h, pose, lift, turn);
        poseSkeleton(f.skeleton, body, pose, {e.x, e.y + lift, e.z}, e.yaw + turn, lift < kGroundedLift);
        return f;
    }
    if (e.poseId >= kFirstPresetPose) {
        posePreset(e.poseId - kFirstPresetPose, pose, h, t);
        poseSkeleton(f.skeleton, body, pose, {e.x, e.y, e.z}, e.yaw, true);
        return f;
    }
    poseStanding(pose, e, h, t);
    poseSkeleton(f.skeleton, body, pose, {e.x, e.y, e.z}, e.yaw, true);
    if (e.poseId < kStanceSpinBall || e.poseId > kStanceDribble) return f;
    f.hasBall = true;
    f.ball = standingBall(e, f.skeleton);
    f.ballSpin = e.poseId == kStanceSpinBall ? MatrixRotateY(kSpinRate * t) : MatrixRotateX(kRollRate * t);
    return f;
}

LineupShot menuLineup(int page, bool closeup, float t) {
    LineupShot shot;
    auto model = [](int team, int player) { return &characterModels[2 * team + player]; };
    if (page == 0 || page == 1) {
        shot.camera = perspective({0.2f, 1.5f, 12.6f}, {0, 1.0f, 5.5f}, 34);
        shot.focus = {0, 0, 5.8f};
        for (int i = 0; i < 5; ++i) {
            const float yaw = 0.5f - 0.25f * i + (i == 3 ? 0.6f : 0.0f);
            shot.entries.push_back({model(i % 4, i == 4 ? 1 : 0), 1.3f * i - 2.6f, 0, 5.8f, yaw,
                                    kFirstPresetPose + 5 * page + i});
        }
    } else if (page == 2 || page == 3) {
        shot.camera = perspective({0.2f, 1.5f, 12.6f}, {0, 1.0f, 5.5f}, 34);
        shot.focus = {0, 0, 5.4f};
        for (int i = 0; i < 4; ++i)
            shot.entries.push_back({model(i, i >= 2 ? 1 : 0), 1.6f * i - 2.4f, 0, 5.4f, 0.25f - 0.17f * i,
                                    kFirstEmotePose - 8 + 4 * page + i});
    } else {
        const float s = std::sin(0.2f * t);
        shot.camera = closeup ? perspective({-0.75f, 1.8f, 7.15f}, {-1.28f, 1.68f, 5.85f}, 30)
                              : perspective({0.5f * s, 1.45f, 10.8f}, {0.15f * s, 1.3f, 5.0f}, 38);
        shot.focus = {0, 0, 5.8f};
        shot.entries.push_back({model(0, 0), -1.3f, 0, 5.9f, 0.3f, kStanceSpinBall});
        shot.entries.push_back({model(1, 1), 1.35f, 0, 5.7f, -0.35f, kStanceHoldBall});
    }
    return shot;
}

void drawLineupScene(const std::vector<LineupEntry>& entries, Camera3D camera, Vector3 focus, float t) {
    Renderer& r = renderer;
    arena.courtMatrix = MatrixIdentity();
    setLights(r, lineupLighting());
    setShaderTime(r, t);
    const Vector3 spot = {focus.x, kSpotHeight, focus.z + kSpotBehind};
    setSpotLight(r, spot, Vector3Normalize(Vector3Subtract(focus, spot)), kSpotColour, kSpotInner, kSpotOuter);

    std::vector<LineupFigure> figures;
    figures.reserve(entries.size());
    for (const LineupEntry& e : entries) {
        figures.push_back(poseLineupEntry(e, t));
        if (e.model) skinCharacterModel(*e.model, figures.back().skeleton);
    }

    beginShadowPass(r, focus, Vector3Normalize({0, kSpotHeight, kSpotBehind}), kShadowExtent);
    drawFigures(entries, figures, true);
    drawHoops(arena);
    endShadowPass(r);

    beginScenePass(r, camera, kSceneClear);
    beginReflectionPass(r);
    drawArena(arena, kArenaHype);
    drawFigures(entries, figures, false);
    endReflectionPass(r);

    drawFloor(arena);
    for (const LineupEntry& e : entries) drawBlobShadow({e.x, e.y, e.z}, kBlobRadius, kBlobOpacity);
    drawArena(arena, kArenaHype);
    drawFigures(entries, figures, false);
    drawNet(arena.nearNet, camera.position);
    drawBackboards(arena);
    drawLightBeam(arena, spot, kBeamRadius, kBeamHeight, kBeamAlpha);
    endScenePass(r);

    setSpotLight(r, {0, 0, 0}, {0, -1, 0}, {0, 0, 0}, 10, 20);
}

void drawMenuBackdrop3D(float t) {
    const LineupShot shot = menuLineup(lineupPage, closeupView != 0, t);
    drawLineupScene(shot.entries, shot.camera, shot.focus, t);
}
