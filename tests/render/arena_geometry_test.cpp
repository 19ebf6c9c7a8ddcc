// The arena's CPU geometry without a window: the sizes of floor, boards,
// beam and stands, where the crowd sits and how it is dressed, that a fixed
// seed always gives the same arena, and the far-end mirror and rim tilt.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "app/program_random.h"
#include "render/arena.h"
#include "render/arena_geometry.h"
#include "render/procedural_textures.h"
#include "tests/render/mesh_checks.h"

namespace {

constexpr Color kPrimary = {96, 44, 212, 255};
constexpr uint32_t kSeed = 1234;
constexpr int kBoxVertices = 30;       // a box without its bottom: 10 triangles
constexpr int kClosedBoxVertices = 36; // with it: 12
constexpr float kMidcourtZ = 12.73f;

ArenaGeometry seededGeometry(uint32_t seed) {
    programSrand(seed);
    return buildArenaGeometry(kPrimary, kCourtStartZ);
}

const ArenaGeometry& geometry() {
    static const ArenaGeometry g = seededGeometry(kSeed);
    return g;
}

// The feet of spectator q: the middle of its bottom edge.
Vector3 spectatorFeet(const MeshBuilder& crowd, int q) {
    return Vector3Lerp(vertexPosition(crowd, 6 * q), vertexPosition(crowd, 6 * q + 1), 0.5f);
}

void expectNear(Vector3 a, Vector3 b, float tolerance, const char* what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

} // namespace

TEST(ArenaGeometry, FloorIsAnEightByTwelveGridUnderTheWholeCourtTexture) {
    const MeshBuilder& floor = geometry().floor;
    expectConsistentArrays(floor);
    ASSERT_EQ(vertexCount(floor), 8 * 12 * 6);
    expectWindingMatchesNormals(floor, "floor");
    Vector3 lo = {1e9f, 1e9f, 1e9f}, hi = {-1e9f, -1e9f, -1e9f};
    for (int i = 0; i < vertexCount(floor); i++) {
        const Vector3 p = vertexPosition(floor, i);
        const Vector2 uv = vertexUv(floor, i);
        lo = Vector3Min(lo, p);
        hi = Vector3Max(hi, p);
        // Texture coordinates follow the court texture's own mapping.
        EXPECT_NEAR(uv.x, (p.x + 13) / 26, 1e-5f);
        EXPECT_NEAR(uv.y, (p.z - kCourtStartZ) / 40, 1e-5f);
        EXPECT_EQ(vertexNormal(floor, i).y, 1);
    }
    expectNear(lo, {-13, 0, kCourtStartZ}, 1e-4f, "near corner");
    expectNear(hi, {13, 0, kCourtStartZ + 40}, 1e-4f, "far corner");
}

TEST(ArenaGeometry, AdBoardsRepeatTheStripAndFaceTheCourt) {
    const MeshBuilder& baseline = geometry().baselineBoards;
    const MeshBuilder& side = geometry().sideBoards;
    ASSERT_EQ(vertexCount(baseline), 12);
    ASSERT_EQ(vertexCount(side), 12);
    for (const MeshBuilder* b : {&baseline, &side}) {
        for (int i = 0; i < 12; i++) {
            const Vector3 p = vertexPosition(*b, i), n = vertexNormal(*b, i);
            const Vector3 toCentre = {-p.x, 0, kMidcourtZ - p.z};
            EXPECT_GT(Vector3DotProduct(n, toCentre), 0) << "board vertex " << i << " faces away from the court";
            EXPECT_GE(p.y, 0.05f - 1e-6f);
            EXPECT_LE(p.y, 0.95f + 1e-6f);
        }
    }
    float uMax = 0, sideUMax = 0;
    for (int i = 0; i < 12; i++) {
        uMax = std::fmax(uMax, vertexUv(baseline, i).x);
        sideUMax = std::fmax(sideUMax, vertexUv(side, i).x);
    }
    EXPECT_EQ(uMax, 4);
    EXPECT_EQ(sideUMax, 6);
    EXPECT_NEAR(vertexPosition(baseline, 0).z, -5.04f, 1e-5f);
    EXPECT_NEAR(vertexPosition(baseline, 6).z, kCourtStartZ + 40 - 2.16f, 1e-5f);
}

TEST(ArenaGeometry, BeamIsAConeFrustumFadingDownward) {
    const MeshBuilder& beam = geometry().beam;
    ASSERT_EQ(vertexCount(beam), 32 * 6);
    expectWindingMatchesNormals(beam, "beam");
    for (int i = 0; i < vertexCount(beam); i++) {
        const Vector3 p = vertexPosition(beam, i);
        const float radius = std::sqrt(p.x * p.x + p.z * p.z);
        if (p.y == 0) {
            EXPECT_NEAR(radius, 0.25f, 1e-5f);
            EXPECT_EQ(vertexColor(beam, i).a, 150);
            EXPECT_EQ(vertexUv(beam, i).y, 0);
        } else {
            EXPECT_EQ(p.y, -1);
            EXPECT_NEAR(radius, 1, 1e-5f);
            EXPECT_EQ(vertexColor(beam, i).a, 14);
            EXPECT_EQ(vertexUv(beam, i).y, 1);
        }
    }
}

TEST(ArenaGeometry, StandsHoldEveryStepSeatChairWallAndTable) {
    // Per stand: 18 steps, each with its seat backs every 0.55 m (54 on the
    // 30 m end stands, 72 on the 40 m sides). 84 courtside chairs (48 a side
    // less the 6 beside the scorer's table) of three boxes. The hall: 11
    // boxes and the roof, which keeps its bottom face.
    const int endStand = 18 * (1 + 54) * kBoxVertices, sideStand = 18 * (1 + 72) * kBoxVertices;
    const int chairs = 2 * 42 * 3 * kBoxVertices;
    const int hall = 11 * kBoxVertices + kClosedBoxVertices;
    const MeshBuilder& stands = geometry().stands;
    expectConsistentArrays(stands);
    EXPECT_EQ(vertexCount(stands), 2 * endStand + 2 * sideStand + chairs + hall);
    EXPECT_TRUE(stands.texcoords2.empty());
}

TEST(ArenaGeometry, ThousandsOfSpectatorsSitOnTheStepsAndChairsFacingTheCourt) {
    const MeshBuilder& crowd = geometry().crowd;
    expectConsistentArrays(crowd);
    ASSERT_EQ(vertexCount(crowd) % 6, 0);
    ASSERT_EQ(crowd.texcoords2.size(), crowd.positions.size() / 3 * 2) << "every vertex has its phase and height";
    const int spectators = vertexCount(crowd) / 6;
    // 2 x 18 x 54 seats filled 90 % and 2 x 18 x 72 filled 88 %, 84 chairs 80 %.
    EXPECT_GT(spectators, 3800);
    EXPECT_LT(spectators, 4300);
    int courtside = 0;
    for (int q = 0; q < spectators; q++) {
        const Vector3 feet = spectatorFeet(crowd, q);
        const Vector3 n = vertexNormal(crowd, 6 * q);
        EXPECT_GT(Vector3DotProduct(n, {-feet.x, 0, kMidcourtZ - feet.z}), 0) << "spectator " << q;
        const float phase = crowd.texcoords2[12 * q];
        for (int v = 0; v < 6; v++) {
            const Vector2 uv2 = {crowd.texcoords2[12 * q + 2 * v], crowd.texcoords2[12 * q + 2 * v + 1]};
            EXPECT_EQ(uv2.x, phase);
            EXPECT_EQ(uv2.y, vertexPosition(crowd, 6 * q + v).y > feet.y + 0.01f ? 1.0f : 0.0f);
        }
        EXPECT_GE(phase, 0);
        EXPECT_LE(phase, 1);
        if (feet.y < 0.3f) { // the chairs' spectators sit lower than the first step
            courtside++;
            EXPECT_NEAR(std::fabs(feet.x), 9.6f, 1e-5f);
            EXPECT_FALSE(feet.z > 11 && feet.z < 14.5f) << "a chair beside the scorer's table";
            EXPECT_NEAR(feet.y, 0.26f, 1e-5f);
        } else {
            // On a step: its top is 0.48 i + 0.35, the feet 0.12 above it.
            const float row = (feet.y - 0.12f - 0.35f) / 0.48f;
            EXPECT_NEAR(row, std::round(row), 1e-3f) << "spectator " << q << " floats at " << feet.y;
        }
    }
    EXPECT_GT(courtside, 50);
    EXPECT_LE(courtside, 84);
}

TEST(ArenaGeometry, SpectatorIsOneAtlasCellOnAQuadFacingBack) {
    MeshBuilder crowd;
    programSrand(99);
    addCrowdBillboard(crowd, {2, 1, -8}, {0, 0, -1}, 1.1f);
    ASSERT_EQ(vertexCount(crowd), 6);
    expectWindingMatchesNormals(crowd, "spectator");
    float uMin = 2, uMax = -1, vMin = 2, vMax = -1;
    for (int v = 0; v < 6; v++) {
        const Vector3 p = vertexPosition(crowd, v);
        EXPECT_NEAR(std::fabs(p.x - 2), 0.33f, 1e-5f);
        EXPECT_TRUE(std::fabs(p.y - 1) < 1e-5f || std::fabs(p.y - 2.32f) < 1e-5f) << p.y;
        EXPECT_EQ(p.z, -8);
        expectNear(vertexNormal(crowd, v), {0, 0, 1}, 0, "normal toward the court");
        const Vector2 uv = vertexUv(crowd, v);
        uMin = std::fmin(uMin, uv.x), uMax = std::fmax(uMax, uv.x);
        vMin = std::fmin(vMin, uv.y), vMax = std::fmax(vMax, uv.y);
        const Color c = vertexColor(crowd, v);
        EXPECT_GE(c.r, 178);
        EXPECT_LE(c.g, c.r);
        EXPECT_LE(c.b, c.r);
        EXPECT_EQ(c.a, 255);
    }
    EXPECT_NEAR(uMax - uMin, 1.0f / 8, 1e-6f);
    EXPECT_NEAR(vMax - vMin, 1.0f / 6, 1e-6f);
    EXPECT_NEAR(uMin * 8, std::round(uMin * 8), 1e-4f) << "on a cell boundary";
    EXPECT_NEAR(vMin * 6, std::round(vMin * 6), 1e-4f);
}

TEST(ArenaGeometry, AFullStandSeatsOneSpectatorPerSeat) {
    MeshBuilder stands, crowd;
    programSrand(5);
    addStandSection(stands, crowd, -5, 0, {1, 0}, {0, 0, -1}, 10, {40, 20, 70, 255}, 1);
    const int seats = 18 * 18; // int(10 / 0.55) = 18 a row
    EXPECT_EQ(vertexCount(crowd), 6 * seats);
    EXPECT_EQ(vertexCount(stands), 18 * (1 + 18) * kBoxVertices);
    // The top step: 0.86 m back per row, 17 rows up.
    const Vector3 last = spectatorFeet(crowd, seats - 1);
    EXPECT_NEAR(last.y, 0.48f * 17 + 0.35f + 0.12f, 1e-4f);
    EXPECT_LT(last.z, -0.86f * 17 - 0.08f + 1e-4f);
    EXPECT_GT(last.z, -0.86f * 17 - 0.16f - 1e-4f);
}

TEST(ArenaGeometry, TheSameSeedAlwaysBuildsTheSameArena) {
    const ArenaGeometry again = seededGeometry(kSeed);
    const ArenaGeometry& first = geometry();
    EXPECT_TRUE(sameGeometry(first.floor, again.floor));
    EXPECT_TRUE(sameGeometry(first.stands, again.stands));
    EXPECT_TRUE(sameGeometry(first.crowd, again.crowd));
    EXPECT_TRUE(sameGeometry(first.baselineBoards, again.baselineBoards));
    EXPECT_TRUE(sameGeometry(first.sideBoards, again.sideBoards));
    EXPECT_TRUE(sameGeometry(first.beam, again.beam));
    // The seed only decides who sits where and how they look.
    const ArenaGeometry other = seededGeometry(kSeed + 1);
    EXPECT_TRUE(sameGeometry(first.stands, other.stands));
    EXPECT_FALSE(sameGeometry(first.crowd, other.crowd));
}

TEST(ArenaMatrices, FarEndMirrorTurnsTheCourtEndForEnd) {
    const Matrix m = mirrorEndMatrix();
    const Vector3 points[] = {{0, 3.05f, 0}, {1.5f, 0, 4.19f}, {-7.62f, 2, -1.6f}, {3, 1, 12.73f}};
    for (Vector3 p : points) {
        expectNear(Vector3Transform(p, m), {-p.x, p.y, 25.46f - p.z}, 1e-5f, "mirror matrix");
        expectNear(mirrorToFarEnd(p), {-p.x, p.y, 25.46f - p.z}, 0, "mirror point");
        expectNear(Vector3Transform(Vector3Transform(p, m), m), p, 1e-5f, "twice is nothing");
    }
    expectNear(mirrorToFarEnd({0, 3.05f, 0}), {0, 3.05f, kFarHoopZ}, 0, "near rim to far rim");
}

TEST(ArenaMatrices, RimTiltsAboutItsBackEdgeFrontDown) {
    HoopNet net;
    const Vector3 centre = {0, 0, 0}, back = {0, 0, -0.2286f}, front = {0, 0, 0.2286f};
    expectNear(Vector3Transform(centre, rimTiltMatrix(net)), {0, 3.05f, 0}, 1e-6f, "level rim");
    expectNear(Vector3Transform(front, rimTiltMatrix(net)), {0, 3.05f, 0.2286f}, 1e-6f, "level rim front");
    for (float angle : {-0.05f, 0.1f, 0.35f}) {
        net.rimAngle = angle;
        const Matrix m = rimTiltMatrix(net);
        expectNear(Vector3Transform(back, m), {0, 3.05f, -0.2286f}, 1e-6f, "hinge");
        // Any point of the rim drops by (z + 0.2286) sin(angle), as the net's top ring does.
        for (Vector3 p : {front, centre, Vector3{0.2286f, 0, 0}}) {
            const Vector3 q = Vector3Transform(p, m);
            EXPECT_NEAR(q.y, 3.05f - (p.z + 0.2286f) * std::sin(angle), 1e-6f);
            EXPECT_NEAR(q.z, (p.z + 0.2286f) * std::cos(angle) - 0.2286f, 1e-6f);
            EXPECT_NEAR(q.x, p.x, 1e-6f);
        }
    }
}
