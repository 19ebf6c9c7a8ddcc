// One match frame's 3D world, pass by pass.
#include "render/match_world.h"

#include <algorithm>
#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "app/anim_clock.h"
#include "characters/character_drawing.h"
#include "characters/shared_meshes.h"
#include "render/arena.h"
#include "sim/ai.h"

namespace {

constexpr Color kSceneClear = {8, 8, 10, 255};
constexpr float kShadowExtent = 24;
constexpr float kHalfCourtShadowZ = 4.5f;
constexpr float kFarShadowZ = 20.96f;

constexpr float kPlayerShadowRadius = 0.5f;
constexpr float kPlayerShadowStrength = 0.45f;
constexpr float kBallShadowRadius = 0.16f;
constexpr float kBallShadowStrength = 0.5f;
constexpr float kBallShadowFadeHeight = 3;

constexpr float kFirstPersonBlend = 0.12f; // below this chase blend the local head is hidden
constexpr float kOwnRingBlend = 0.3f;
constexpr Color kCoveredColor = {90, 255, 140, 255};
constexpr Color kContainedColor = {255, 220, 90, 255};
constexpr Color kBeatenColor = {255, 90, 80, 255};
constexpr Color kOwnRingColor = {255, 230, 150, 255};
constexpr float kCoveredScore = 0.7f;
constexpr float kContainedScore = 0.42f;

// ---- the players' character models ----

// The match points at its models read-only; skinning rewrites a model's
// vertex buffers, so the drawing takes the roster's own model (null for a
// model that is not one of the roster's).
CharacterModel* drawnModel(const Player& p) {
    for (CharacterModel& m : characterModels)
        if (&m == p.model) return &m;
    return nullptr;
}

void skinPlayerModel(const Player& p) {
    if (CharacterModel* m = drawnModel(p)) skinCharacterModel(*m, p.skeleton);
}

// An online party may field the same team on both sides, so two players can
// share one model; its vertex buffers then hold whichever pose was skinned
// last, and each of them is skinned again right before his own draw.
bool sharesModel(const MatchState& s, const Player& p) {
    for (const Player& o : s.players)
        if (o.present && &o != &p && o.model == p.model) return true;
    return false;
}

void drawPlayerModel(const MatchState& s, const Player& p, bool shadowPass, bool hideHead) {
    if (sharesModel(s, p)) skinPlayerModel(p);
    drawCharacterModel(*p.model, p.skeleton, shadowPass, hideHead);
}

void skinPlayerModels(const MatchState& s) {
    for (const Player& p : s.players)
        if (p.present && p.model) skinPlayerModel(p);
}

// firstPerson: hide the local player's head while the view is his own eyes.
void drawPlayerModels(const MatchState& s, bool shadowPass, bool firstPerson) {
    for (const Player& p : s.players) {
        if (!p.present || !p.model) continue;
        const bool hideHead = firstPerson && p.index == s.localIndex && s.chaseBlend < kFirstPersonBlend;
        drawPlayerModel(s, p, shadowPass, hideHead);
    }
}

// ---- the rest of the frame ----

void drawMatchBall(const MatchState& s, const Arena& a) {
    drawBall(a.ballTexture, s.ball.pos, QuaternionToMatrix(s.ball.spinRot));
}

void drawGroundShadows(const MatchState& s) {
    for (const Player& p : s.players) {
        if (!p.present) continue;
        drawBlobShadow({p.pos.x, 0, p.pos.z}, kPlayerShadowRadius,
                       kPlayerShadowStrength * std::clamp(1 - p.rootHeight, 0.0f, 1.0f));
    }
    const Vector3 b = s.ball.pos;
    drawBlobShadow({b.x, 0, b.z}, kBallShadowRadius,
                   kBallShadowStrength * std::clamp(1 - b.y / kBallShadowFadeHeight, 0.0f, 1.0f));
}

void drawGuideRing(const GuideRing& ring) {
    if (!ring.shown) return;
    const Matrix m = MatrixMultiply(MatrixScale(ring.scale, 1, ring.scale),
                                    MatrixTranslate(ring.position.x, ring.position.y, ring.position.z));
    const MaterialParams glow = {{0, 16, 0, 0}, {0, 1.0f, 0, ring.alpha}};
    drawMeshLit(renderer, sharedMeshes.ring, m, ring.colour, glow, Texture2D{});
}

bool validPlayer(int index) { return index >= 0 && index < 4; }

} // namespace

SceneLighting matchLighting(bool flipped) {
    SceneLighting l;
    l.keyDir = {0.3f, 1.0f, 0.45f};
    l.keyCol = {2.15f, 2.05f, 1.9f};
    l.fillDir[0] = {0, 0.5f, 1};
    l.fillDir[1] = {0.2f, 0.4f, -1};
    l.fillDir[2] = {-1, 0.3f, 0.2f};
    l.fillCol[0] = {0.28f, 0.28f, 0.32f};
    l.fillCol[1] = {0.3f, 0.3f, 0.34f};
    l.fillCol[2] = {0.14f, 0.13f, 0.14f};
    l.skyCol = {0.2f, 0.21f, 0.25f};
    l.groundCol = {0.19f, 0.13f, 0.08f};
    l.fogCol = {0.025f, 0.025f, 0.03f};
    l.fogDensity = 0.02f;
    l.exposure = 1.0f;
    if (flipped) {
        auto turn = [](Vector3& d) { d = {-d.x, d.y, -d.z}; };
        turn(l.keyDir);
        for (Vector3& d : l.fillDir) turn(d);
    }
    return l;
}

float matchShadowCentreZ(const MatchState& s) {
    if (!s.fullCourt) return kHalfCourtShadowZ;
    const int local = validPlayer(s.localIndex) ? s.localIndex : 0;
    return std::clamp(s.players[local].pos.z, kHalfCourtShadowZ, kFarShadowZ);
}

GuideRings matchGuideRings(const MatchState& s, float time) {
    GuideRings rings;
    if (!validPlayer(s.localIndex) || s.phase != PHASE_LIVE) return rings;
    const Player& local = s.players[s.localIndex];
    const BallState& ball = s.ball;
    const bool opponentHolds =
        ball.phase == BALL_HELD && validPlayer(ball.holder) && s.players[ball.holder].team != local.team;
    if (opponentHolds && validPlayer(local.matchup) && s.players[local.matchup].team != local.team) {
        const Player& opponent = s.players[local.matchup];
        const float score = coverageScore(s, local.pos, opponent);
        GuideRing& r = rings.coverage;
        r.shown = true;
        r.colour = score > kCoveredScore ? kCoveredColor : score > kContainedScore ? kContainedColor : kBeatenColor;
        r.alpha = 0.7f;
        r.scale = 0.8f + 0.04f * std::sin(6 * time);
        r.position = {opponent.pos.x, 0.014f, opponent.pos.z};
    }
    if (s.chaseBlend > kOwnRingBlend) {
        GuideRing& r = rings.own;
        r.shown = true;
        r.colour = kOwnRingColor;
        r.alpha = 0.6f * s.chaseBlend;
        r.scale = 0.72f;
        r.position = {local.pos.x, 0.013f, local.pos.z};
    }
    return rings;
}

void drawMatchWorld(const MatchState& s) {
    Renderer& r = renderer;
    // The built arena; a match played in it points at it, so its nets and
    // court transform are the ones the match moved.
    const Arena& a = arena;

    const SceneLighting lighting = matchLighting(s.flipped);
    setLights(r, lighting);
    setShaderTime(r, animClock);
    setSpotLight(r, {0, 0, 0}, {0, -1, 0}, {0, 0, 0}, 10, 20); // no spot light in a match
    skinPlayerModels(s);

    beginShadowPass(r, {0, 0, matchShadowCentreZ(s)}, Vector3Normalize(lighting.keyDir), kShadowExtent);
    drawPlayerModels(s, true, false);
    drawMatchBall(s, a);
    drawHoops(a);
    endShadowPass(r);

    beginScenePass(r, s.camera, kSceneClear);
    beginReflectionPass(r);
    drawArena(a, s.excitement);
    drawPlayerModels(s, false, false);
    drawMatchBall(s, a);
    endReflectionPass(r);

    drawFloor(a);
    drawGroundShadows(s);
    const GuideRings rings = matchGuideRings(s, animClock);
    drawGuideRing(rings.coverage);
    drawGuideRing(rings.own);
    drawArena(a, s.excitement);
    drawPlayerModels(s, false, true);
    drawMatchBall(s, a);
    drawNets(a, s.camera.position);
    drawBackboards(a);
    endScenePass(r);
}
