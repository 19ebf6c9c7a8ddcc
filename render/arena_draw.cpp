// Drawing the arena into the current pass: the hall with its crowd, boards,
// trusses, banners and scoreboard, the floor, the hoops, nets and boards at
// both ends, light beams and the ball.
#include <cmath>
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>

#include "app/anim_clock.h"
#include "characters/shared_meshes.h"
#include "render/arena.h"
#include "render/colour.h"

namespace {

constexpr MaterialParams kStands = {{0.08f, 8, 0.1f, 0}, {0, 0, 0, 1}};
constexpr MaterialParams kCrowd = {{0, 6, 0, 1}, {0, 0, 0, 1}};
constexpr MaterialParams kTruss = {{0.4f, 20, 0.3f, 0}, {0, 0, 0, 1}};
constexpr MaterialParams kLamp = {{0, 16, 0.3f, 0}, {0, 3, 0, 1}};
constexpr MaterialParams kBanner = {{0.1f, 16, 0.2f, 0}, {0, 0.25f, 0, 1}};
constexpr MaterialParams kScoreboard = {{0.5f, 30, 0.3f, 0}, {0, 0, 0, 1}};
constexpr MaterialParams kScoreFace = {{0, 16, 0.3f, 0}, {0, 1, 0, 1}};
constexpr MaterialParams kFloor = {{0.45f, 110, 0, 0}, {0.03f, 0, 0, 0.82f}};
constexpr MaterialParams kBall = {{0.3f, 18, 0.3f, 0}, {0.02f, 0, 0, 1}};

constexpr Color kCrowdTint = {92, 92, 98, 255};
constexpr Color kTrussColor = {30, 30, 36, 255};
constexpr Color kLampColor = {255, 246, 220, 255};
constexpr Color kScoreboardColor = {24, 24, 30, 255};

// The ad strips scroll in opposite directions, in texture widths per second.
constexpr float kBaselineScroll = 0.06f;
constexpr float kSideScroll = -0.05f;
constexpr int kTrusses = 5;
constexpr int kLampsPerTruss = 8;
constexpr float kHoopShade = 0.45f;
constexpr float kStandDepth = 15.48f;

Matrix farEndTransform(const Arena& a) { return MatrixMultiply(mirrorEndMatrix(), a.courtMatrix); }

// Runs draw(net) for the near hoop under the court matrix and, in full
// court, for the far hoop under the mirror and the court matrix.
template <typename Draw> void atEachHoop(const Arena& a, Draw draw) {
    renderer.worldTransform = a.courtMatrix;
    draw(a.nearNet);
    if (a.fullCourt) {
        renderer.worldTransform = farEndTransform(a);
        draw(a.farNet);
    }
    renderer.worldTransform = MatrixIdentity();
}

MaterialParams scrolling(float offset) {
    MaterialParams m = {{0, 16, 0, 0}, {0, 0.85f, std::fmod(offset, 1.0f), 1}};
    return m;
}

void drawCrowd(const Arena& a, float hype) {
    setCrowd(renderer, true, hype);
    rlDisableBackfaceCulling(); // spectators are single quads
    drawMeshLit(renderer, a.crowdMesh, MatrixIdentity(), kCrowdTint, kCrowd, a.crowdTexture);
    rlEnableBackfaceCulling();
    setCrowd(renderer, false, 0);
}

void drawAdBoards(const Arena& a) {
    drawMeshLit(renderer, a.baselineBoardsMesh, MatrixIdentity(), WHITE, scrolling(kBaselineScroll * animClock),
                a.adTexture);
    drawMeshLit(renderer, a.sideBoardsMesh, MatrixIdentity(), WHITE, scrolling(kSideScroll * animClock), a.adTexture);
}

void drawTrusses() {
    for (int i = 0; i < kTrusses; i++) {
        const float z = 7.2f * i - 2;
        drawLitBox({0, 17, z}, {22, 0.4f, 0.6f}, kTrussColor, kTruss);
        for (int j = 0; j < kLampsPerTruss; j++) drawLitBox({2.8f * j - 9.8f, 16.7f, z}, {0.7f, 0.15f, 0.7f}, kLampColor, kLamp);
    }
}

// Hung just in front of the near back wall, facing the court.
void drawBanners(const Arena& a) {
    const float z = a.courtStartZ - 0.2f - kStandDepth - 0.5f + 0.02f;
    const Matrix upright = MatrixMultiply(MatrixRotateX(PI / 2), MatrixScale(2.2f, 4.4f, 1));
    for (int k = 0; k < kBannerCount; k++) {
        const Matrix m = MatrixMultiply(upright, MatrixTranslate(6.0f * k - 9, 15.5f, z));
        drawMeshLit(renderer, sharedMeshes.quad, m, WHITE, kBanner, a.bannerTextures[k]);
    }
}

void drawScoreboard(const Arena& a) {
    drawLitBox({0, 13, kMidcourtZ}, {5, 3, 5}, kScoreboardColor, kScoreboard);
    const Color face = scaleRgb(a.hoopColor, 0.9f);
    drawLitBox({0, 13, 10.21f}, {4.4f, 2.4f, 0.02f}, face, kScoreFace);
    drawLitBox({0, 13, 15.25f}, {4.4f, 2.4f, 0.02f}, face, kScoreFace);
}

void drawNetPlaced(const HoopNet& net, Matrix place, Vector3 eye) {
    const Vector3 local = Vector3Transform(eye, MatrixInvert(place));
    rlDrawRenderBatchActive();
    rlPushMatrix();
    rlMultMatrixf(MatrixToFloatV(place).v);
    drawNet(net, local);
    rlPopMatrix();
}

} // namespace

void drawArena(const Arena& a, float hype) {
    renderer.worldTransform = a.courtMatrix;
    drawMeshLit(renderer, a.standsMesh, MatrixIdentity(), WHITE, kStands, Texture2D{});
    drawCrowd(a, hype);
    drawAdBoards(a);
    drawTrusses();
    drawBanners(a);
    drawScoreboard(a);
    const Color hoop = scaleRgb(a.hoopColor, kHoopShade);
    atEachHoop(a, [&](const HoopNet& net) { drawHoop(net, hoop, false); });
}

void drawFloor(const Arena& a) {
    renderer.worldTransform = a.courtMatrix;
    drawMeshLit(renderer, a.floorMesh, MatrixIdentity(), WHITE, kFloor, a.courtTexture);
    renderer.worldTransform = MatrixIdentity();
}

void drawHoops(const Arena& a) {
    const Color hoop = scaleRgb(a.hoopColor, kHoopShade);
    atEachHoop(a, [&](const HoopNet& net) { drawHoop(net, hoop, true); });
}

void drawBackboards(const Arena& a) {
    atEachHoop(a, [](const HoopNet&) { drawBackboardLines(); });
}

void drawNets(const Arena& a, Vector3 eye) {
    drawNetPlaced(a.nearNet, a.courtMatrix, eye);
    if (a.fullCourt) drawNetPlaced(a.farNet, farEndTransform(a), eye);
}

void drawLightBeam(const Arena& a, Vector3 top, float radius, float height, float alpha) {
    rlDrawRenderBatchActive();
    const Matrix m = MatrixMultiply(MatrixScale(radius, height, radius), MatrixTranslate(top.x, top.y, top.z));
    rlDisableDepthMask();
    rlDisableBackfaceCulling();
    BeginBlendMode(BLEND_ADDITIVE);
    const MaterialParams glow = {{0, 16, 0, 0}, {0, 1.0f, 0, alpha}};
    drawMeshLit(renderer, a.beamMesh, m, WHITE, glow, Texture2D{});
    EndBlendMode();
    rlEnableBackfaceCulling();
    rlEnableDepthMask();
}

void drawBall(Texture2D ballTexture, Vector3 position, Matrix rotation) {
    const Matrix m = MatrixMultiply(MatrixMultiply(MatrixScale(kBallRadius, kBallRadius, kBallRadius), rotation),
                                    MatrixTranslate(position.x, position.y, position.z));
    drawMeshLit(renderer, sharedMeshes.sphere, m, WHITE, kBall, ballTexture);
}
