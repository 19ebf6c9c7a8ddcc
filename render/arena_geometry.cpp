// The arena's triangle lists: floor grid, stands with seats and spectators,
// courtside chairs, the hall around them, ad boards and the light cone.
#include "render/arena_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <raylib.h>
#include <raymath.h>

#include "app/program_random.h"
#include "render/arena.h"
#include "render/colour.h"
#include "render/procedural_textures.h"

int crowdAtlasColumns = kCrowdColumns;
int crowdAtlasRows = kCrowdRows;

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr Vector2 kNoUv = {0, 0};
constexpr Vector3 kUp = {0, 1, 0};

// Floor grid under the court texture.
constexpr int kFloorColumns = 8;
constexpr int kFloorRows = 12;

// Stands: 18 steps rising 0.48 m and 0.86 m deep, a seat every 0.55 m.
constexpr int kStandRows = 18;
constexpr float kStepDepth = 0.86f;
constexpr float kStepRise = 0.48f;
constexpr float kFirstStepHeight = 0.35f;
constexpr float kStandDepth = kStandRows * kStepDepth; // 15.48
constexpr float kSeatPitch = 0.55f;
constexpr Vector3 kSeatBackSize = {0.46f, 0.5f, 0.08f};
constexpr Color kEvenStep = {30, 31, 36, 255};
constexpr Color kOddStep = {36, 37, 42, 255};
constexpr float kEndStandFill = 0.9f;
constexpr float kSideStandFill = 0.88f;

// Courtside chairs along both sidelines, leaving room for the scorer's table.
constexpr int kChairsPerSide = 48;
constexpr float kChairPitch = 0.58f;
constexpr float kFirstChairZ = -1.2f;
constexpr float kChairX = 9.55f;
constexpr float kTableGapFrom = 11.0f, kTableGapTo = 14.5f;
constexpr float kChairFill = 0.8f;
constexpr Color kChairBack = {22, 22, 26, 255};
constexpr Color kChairLeg = {60, 60, 66, 255};

// The hall.
constexpr Color kHallColor = {16, 16, 20, 255};
constexpr Color kRoofColor = {10, 10, 13, 255};
constexpr Color kBackingColor = {12, 12, 18, 255};
constexpr Color kTableColor = {18, 18, 28, 255};

// Light cone.
constexpr int kBeamSegments = 32;
constexpr float kBeamTopRadius = 0.25f;
constexpr Color kBeamTop = {255, 245, 225, 150};
constexpr Color kBeamBottom = {255, 245, 225, 14};

float randUnit() { return (float)programRand() / (float)kProgramRandMax; }

void addChairs(MeshBuilder& stands, MeshBuilder& crowd, Color chairColor) {
    for (int side : {-1, 1}) {
        const float s = (float)side, x = kChairX * s;
        for (int i = 0; i < kChairsPerSide; i++) {
            const float z = kChairPitch * i + kFirstChairZ;
            if (z > kTableGapFrom && z < kTableGapTo) continue;
            addBox(stands, {x, 0.42f, z}, {0.46f, 0.08f, 0.46f}, chairColor, kNoUv, true);
            addBox(stands, {x + 0.22f * s, 0.7f, z}, {0.06f, 0.5f, 0.46f}, kChairBack, kNoUv, true);
            addBox(stands, {x, 0.19f, z}, {0.06f, 0.38f, 0.06f}, kChairLeg, kNoUv, true);
            if (randUnit() < kChairFill) addCrowdBillboard(crowd, {x + 0.05f * s, 0.26f, z}, {s, 0, 0}, 1);
        }
    }
}

// Walls and roof around the stands, the colour bands, the backings of the ad
// boards and the scorer's table.
void addHall(MeshBuilder& b, Color primary, float startZ) {
    const float nearZ = startZ - 0.2f - kStandDepth, farZ = startZ + kCourtLength + 0.2f + kStandDepth;
    const float span = farZ - nearZ + 1, mid = (nearZ + farZ) / 2;
    addBox(b, {0, 12, nearZ - 1}, {58, 24, 1}, kHallColor, kNoUv, true);
    addBox(b, {0, 12, farZ + 1}, {58, 24, 1}, kHallColor, kNoUv, true);
    addBox(b, {-28.5f, 12, mid}, {1, 24, span}, kHallColor, kNoUv, true);
    addBox(b, {28.5f, 12, mid}, {1, 24, span}, kHallColor, kNoUv, true);
    addBox(b, {0, 24, mid}, {58, 0.5f, span}, kRoofColor, kNoUv, false);
    const Color band = scaleRgb(primary, 0.8f);
    addBox(b, {0, 9.4f, farZ - 0.2f}, {30, 0.7f, 0.3f}, band, kNoUv, true);
    addBox(b, {0, 9.4f, nearZ + 0.2f}, {30, 0.7f, 0.3f}, band, kNoUv, true);
    addBox(b, {0, 0.5f, -5.2f}, {14, 1, 0.3f}, kBackingColor, kNoUv, true);
    addBox(b, {0, 0.5f, startZ + kCourtLength - 2}, {14, 1, 0.3f}, kBackingColor, kNoUv, true);
    addBox(b, {-10.6f, 0.5f, 6}, {0.3f, 1, 20}, kBackingColor, kNoUv, true);
    addBox(b, {10.6f, 0.5f, 6}, {0.3f, 1, 20}, kBackingColor, kNoUv, true);
    addBox(b, {10, 0.45f, 12.7f}, {1, 0.9f, 6}, kTableColor, kNoUv, true);
}

// The ad strip behind both baselines (repeated 4 times) and along both sides
// (6 times), each board facing the court.
MeshBuilder buildBaselineBoards(float startZ) {
    MeshBuilder b;
    const float nearZ = -5.04f, farZ = startZ + kCourtLength - 2.16f;
    addQuad(b, {-7, 0.05f, nearZ}, {7, 0.05f, nearZ}, {7, 0.95f, nearZ}, {-7, 0.95f, nearZ}, WHITE, {0, 1}, {4, 0});
    addQuad(b, {7, 0.05f, farZ}, {-7, 0.05f, farZ}, {-7, 0.95f, farZ}, {7, 0.95f, farZ}, WHITE, {0, 1}, {4, 0});
    return b;
}

MeshBuilder buildSideBoards() {
    MeshBuilder b;
    const float x = 10.44f;
    addQuad(b, {x, 0.05f, -4}, {x, 0.05f, 16}, {x, 0.95f, 16}, {x, 0.95f, -4}, WHITE, {0, 1}, {6, 0});
    addQuad(b, {-x, 0.05f, 16}, {-x, 0.05f, -4}, {-x, 0.95f, -4}, {-x, 0.95f, 16}, WHITE, {0, 1}, {6, 0});
    return b;
}

} // namespace

MeshBuilder buildFloorGeometry(float startZ) {
    MeshBuilder b;
    const float halfWidth = kCourtWidth / 2;
    for (int j = 0; j < kFloorRows; j++) {
        for (int i = 0; i < kFloorColumns; i++) {
            const float u0 = (float)i / kFloorColumns, u1 = (float)(i + 1) / kFloorColumns;
            const float v0 = (float)j / kFloorRows, v1 = (float)(j + 1) / kFloorRows;
            const float x0 = u0 * kCourtWidth - halfWidth, x1 = u1 * kCourtWidth - halfWidth;
            const float z0 = startZ + v0 * kCourtLength, z1 = startZ + v1 * kCourtLength;
            addVertex(b, {x0, 0, z0}, kUp, {u0, v0}, WHITE);
            addVertex(b, {x0, 0, z1}, kUp, {u0, v1}, WHITE);
            addVertex(b, {x1, 0, z1}, kUp, {u1, v1}, WHITE);
            addVertex(b, {x0, 0, z0}, kUp, {u0, v0}, WHITE);
            addVertex(b, {x1, 0, z1}, kUp, {u1, v1}, WHITE);
            addVertex(b, {x1, 0, z0}, kUp, {u1, v0}, WHITE);
        }
    }
    return b;
}

MeshBuilder buildBeamGeometry() {
    MeshBuilder b;
    for (int i = 0; i < kBeamSegments; i++) {
        const float a0 = i * kTwoPi / kBeamSegments, a1 = (i + 1) * kTwoPi / kBeamSegments;
        const Vector3 top0 = {kBeamTopRadius * std::sin(a0), 0, kBeamTopRadius * std::cos(a0)};
        const Vector3 top1 = {kBeamTopRadius * std::sin(a1), 0, kBeamTopRadius * std::cos(a1)};
        const Vector3 bottom0 = {std::sin(a0), -1, std::cos(a0)};
        const Vector3 bottom1 = {std::sin(a1), -1, std::cos(a1)};
        const Vector3 n = {std::sin(a0), 0, std::cos(a0)};
        addVertex(b, top0, n, {0, 0}, kBeamTop);
        addVertex(b, bottom0, n, {0, 1}, kBeamBottom);
        addVertex(b, bottom1, n, {1, 1}, kBeamBottom);
        addVertex(b, top0, n, {0, 0}, kBeamTop);
        addVertex(b, bottom1, n, {1, 1}, kBeamBottom);
        addVertex(b, top1, n, {1, 0}, kBeamTop);
    }
    return b;
}

void addStandSection(MeshBuilder& stands, MeshBuilder& crowd, float x0, float z0, Vector2 run, Vector3 back,
                     float length, Color stepColor, float fill) {
    const float yaw = std::atan2(back.x, back.z);
    const int seats = (int)(length / kSeatPitch);
    for (int i = 0; i < kStandRows; i++) {
        const float h = kStepRise * i + kFirstStepHeight;
        const float bx = x0 + kStepDepth * i * back.x, bz = z0 + kStepDepth * i * back.z;
        // The step is length long along the run and one step deep along back.
        const Vector3 stepSize = {std::fabs(run.x) * length + std::fabs(back.x) * kStepDepth, h,
                                  std::fabs(run.y) * length + std::fabs(back.z) * kStepDepth};
        addBox(stands, {bx + length / 2 * run.x, h / 2, bz + length / 2 * run.y}, stepSize, i % 2 ? kOddStep : kEvenStep,
               kNoUv, true);
        for (int k = 0; k < seats; k++) {
            const float s = (k + 0.5f) * kSeatPitch;
            const float sx = bx + s * run.x, sz = bz + s * run.y;
            addBeam(stands, {sx + 0.32f * back.x, h + 0.3f, sz + 0.32f * back.z}, kSeatBackSize, yaw, stepColor, kNoUv);
            if (randUnit() > fill) continue;
            const float e = randUnit() * 0.08f + 0.08f;
            const Vector3 feet = {sx + e * back.x, h + 0.12f, sz + e * back.z};
            const float scale = randUnit() * 0.14f + 0.92f;
            addCrowdBillboard(crowd, feet, back, scale);
        }
    }
}

void addCrowdBillboard(MeshBuilder& crowd, Vector3 feet, Vector3 facing, float scale) {
    const int columns = std::max(crowdAtlasColumns, 1), rows = std::max(crowdAtlasRows, 1);
    const Vector3 r = Vector3Scale({-facing.z, 0, facing.x}, 0.3f * scale);
    const Vector3 u = {0, 1.2f * scale, 0};
    const int cell = programRand() % (columns * rows);
    float uA = (float)(cell % columns) / columns, uB = uA + 1.0f / columns;
    const float vTop = (float)(cell / columns) / rows, vBottom = vTop + 1.0f / rows;
    if (programRand() % 2 == 0) std::swap(uA, uB); // a mirrored spectator
    const float t = (randUnit() * 0.3f + 0.7f) * 255;
    const float green = (randUnit() * 0.05f + 0.95f) * t;
    const float blue = (randUnit() * 0.08f + 0.92f) * t;
    const Color tint = {(unsigned char)t, (unsigned char)green, (unsigned char)blue, 255};
    const float phase = randUnit();
    const Vector3 n = Vector3Negate(facing);
    const Vector3 left = Vector3Subtract(feet, r), right = Vector3Add(feet, r);
    const Vector3 leftTop = Vector3Add(left, u), rightTop = Vector3Add(right, u);
    addVertexUv2(crowd, left, n, {uB, vBottom}, tint, {phase, 0});
    addVertexUv2(crowd, right, n, {uA, vBottom}, tint, {phase, 0});
    addVertexUv2(crowd, rightTop, n, {uA, vTop}, tint, {phase, 1});
    addVertexUv2(crowd, left, n, {uB, vBottom}, tint, {phase, 0});
    addVertexUv2(crowd, rightTop, n, {uA, vTop}, tint, {phase, 1});
    addVertexUv2(crowd, leftTop, n, {uB, vTop}, tint, {phase, 1});
}

ArenaGeometry buildArenaGeometry(Color primary, float startZ) {
    ArenaGeometry g;
    g.floor = buildFloorGeometry(startZ);
    const Color step = scaleRgb(primary, 0.35f);
    addStandSection(g.stands, g.crowd, -15, startZ - 0.2f, {1, 0}, {0, 0, -1}, 30, step, kEndStandFill);
    addStandSection(g.stands, g.crowd, 13.2f, startZ + 0.3f, {0, 1}, {1, 0, 0}, 40, step, kSideStandFill);
    addStandSection(g.stands, g.crowd, -13.2f, startZ + 0.3f, {0, 1}, {-1, 0, 0}, 40, step, kSideStandFill);
    addStandSection(g.stands, g.crowd, 15, startZ + kCourtLength + 0.2f, {-1, 0}, {0, 0, 1}, 30, step, kEndStandFill);
    addChairs(g.stands, g.crowd, scaleRgb(primary, 0.55f));
    addHall(g.stands, primary, startZ);
    g.baselineBoards = buildBaselineBoards(startZ);
    g.sideBoards = buildSideBoards();
    g.beam = buildBeamGeometry();
    return g;
}
