// The arena's CPU geometry: sizes of floor, boards, beam and stands, where the
// crowd sits, that a fixed seed always gives the same arena, and the far-end
// mirror and rim tilt.
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

constexpr uint32_t kSeed = 1234;
constexpr int kBoxVertices = 30; // a box without its bottom

ArenaGeometry seededGeometry(uint32_t seed) {
    programSrand(seed);
    return buildArenaGeometry({96, 44, 212, 255}, kCourtStartZ);
}

const ArenaGeometry& geometry() {
    static const ArenaGeometry g = seededGeometry(kSeed);
    return g;
}

void expectNear(Vector3 a, Vector3 b, float tolerance, const char* what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

} // namespace

TEST(ArenaGeometry, FloorIsAnEightByTwelveGridUnderTheWholeCourtTexture) {
    const MeshBuilder& floor = geometry().floor;
    ASSERT_EQ(vertexCount(floor), 8 * 12 * 6);
    expectWindingMatchesNormals(floor, "floor");
    Vector3 lo = {1e9f, 1e9f, 1e9f}, hi = {-1e9f, -1e9f, -1e9f};
    for (int i = 0; i < vertexCount(floor); i++) {
        const Vector3 p = vertexPosition(floor, i);
        lo = Vector3Min(lo, p);
        hi = Vector3Max(hi, p);
        EXPECT_NEAR(vertexUv(floor, i).x, (p.x + 13) / 26, 1e-5f);
        EXPECT_NEAR(vertexUv(floor, i).y, (p.z - kCourtStartZ) / 40, 1e-5f);
    }
    expectNear(lo, {-13, 0, kCourtStartZ}, 1e-4f, "near corner");
    expectNear(hi, {13, 0, kCourtStartZ + 40}, 1e-4f, "far corner");
}

TEST(ArenaGeometry, AdBoardsAndBeamHaveTheirSizesAndFaceTheRightWay) {
    const MeshBuilder& baseline = geometry().baselineBoards;
    const MeshBuilder& side = geometry().sideBoards;
    ASSERT_EQ(vertexCount(baseline), 12);
    ASSERT_EQ(vertexCount(side), 12);
    for (int i = 0; i < 12; i++)
        for (const MeshBuilder* b : {&baseline, &side}) {
            const Vector3 p = vertexPosition(*b, i);
            EXPECT_GT(Vector3DotProduct(vertexNormal(*b, i), {-p.x, 0, kMidcourtZ - p.z}), 0) << "faces the court";
        }

    const MeshBuilder& beam = geometry().beam; // a cone frustum fading downward
    ASSERT_EQ(vertexCount(beam), 32 * 6);
    expectWindingMatchesNormals(beam, "beam");
    for (int i = 0; i < vertexCount(beam); i++) {
        const Vector3 p = vertexPosition(beam, i);
        const bool top = p.y == 0;
        if (!top) { EXPECT_EQ(p.y, -1); }
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.z * p.z), top ? 0.25f : 1, 1e-5f);
        EXPECT_EQ(vertexColor(beam, i).a, top ? 150 : 14);
    }
}

TEST(ArenaGeometry, StandsHoldEveryStepSeatChairWallAndTable) {
    // Per stand 18 steps, each with seat backs every 0.55 m (54 on the end
    // stands, 72 on the sides); 84 courtside chairs of three boxes; the hall's
    // 11 boxes and the roof, which keeps its bottom face.
    const int endStand = 18 * (1 + 54) * kBoxVertices, sideStand = 18 * (1 + 72) * kBoxVertices;
    const int chairs = 2 * 42 * 3 * kBoxVertices, hall = 11 * kBoxVertices + 36;
    EXPECT_EQ(vertexCount(geometry().stands), 2 * endStand + 2 * sideStand + chairs + hall);
}

TEST(ArenaGeometry, ThousandsOfSpectatorsSitOnTheStepsAndChairsFacingTheCourt) {
    const MeshBuilder& crowd = geometry().crowd;
    expectConsistentArrays(crowd);
    ASSERT_EQ(vertexCount(crowd) % 6, 0);
    ASSERT_EQ(crowd.texcoords2.size(), crowd.positions.size() / 3 * 2) << "every vertex has its phase and height";
    const int spectators = vertexCount(crowd) / 6;
    EXPECT_GT(spectators, 3800);
    EXPECT_LT(spectators, 4300);
    int courtside = 0;
    for (int q = 0; q < spectators; q++) {
        const Vector3 feet = Vector3Lerp(vertexPosition(crowd, 6 * q), vertexPosition(crowd, 6 * q + 1), 0.5f);
        EXPECT_GT(Vector3DotProduct(vertexNormal(crowd, 6 * q), {-feet.x, 0, kMidcourtZ - feet.z}), 0) << q;
        for (int v = 0; v < 6; v++) {
            EXPECT_EQ(crowd.texcoords2[12 * q + 2 * v], crowd.texcoords2[12 * q]) << "one phase per spectator";
            EXPECT_EQ(crowd.texcoords2[12 * q + 2 * v + 1], vertexPosition(crowd, 6 * q + v).y > feet.y + 0.01f ? 1.0f : 0.0f);
        }
        if (feet.y < 0.3f) { // on a courtside chair
            courtside++;
            EXPECT_NEAR(std::fabs(feet.x), 9.6f, 1e-5f);
            EXPECT_FALSE(feet.z > 11 && feet.z < 14.5f) << "a chair beside the scorer's table";
        } else { // on a step: its top is 0.48 i + 0.35, the feet 0.12 above it
            const float row = (feet.y - 0.12f - 0.35f) / 0.48f;
            EXPECT_NEAR(row, std::round(row), 1e-3f) << "spectator " << q << " floats at " << feet.y;
        }
    }
    EXPECT_GT(courtside, 50);
    EXPECT_LE(courtside, 84);
}

TEST(ArenaGeometry, TheSameSeedAlwaysBuildsTheSameArena) {
    const ArenaGeometry again = seededGeometry(kSeed), other = seededGeometry(kSeed + 1);
    const ArenaGeometry& first = geometry();
    for (auto part : {&ArenaGeometry::floor, &ArenaGeometry::stands, &ArenaGeometry::crowd,
                      &ArenaGeometry::baselineBoards, &ArenaGeometry::sideBoards, &ArenaGeometry::beam})
        EXPECT_TRUE(sameGeometry(first.*part, again.*part));
    // The seed only decides who sits where and how they look.
    EXPECT_TRUE(sameGeometry(first.stands, other.stands));
    EXPECT_FALSE(sameGeometry(first.crowd, other.crowd));
}

TEST(ArenaMatrices, FarEndMirrorTurnsTheCourtEndForEnd) {
    const Matrix m = mirrorEndMatrix();
    for (Vector3 p : {Vector3{0, 3.05f, 0}, Vector3{1.5f, 0, 4.19f}, Vector3{-7.62f, 2, -1.6f}}) {
        expectNear(Vector3Transform(p, m), {-p.x, p.y, 25.46f - p.z}, 1e-5f, "mirror matrix");
        expectNear(mirrorToFarEnd(p), {-p.x, p.y, 25.46f - p.z}, 0, "mirror point");
    }
    expectNear(mirrorToFarEnd({0, 3.05f, 0}), {0, 3.05f, kFarHoopZ}, 0, "near rim to far rim");
}

TEST(ArenaMatrices, RimTiltsAboutItsBackEdgeFrontDown) {
    HoopNet net;
    for (float angle : {0.0f, -0.05f, 0.1f, 0.35f}) {
        net.rimAngle = angle;
        const Matrix m = rimTiltMatrix(net);
        // A rim point drops by (z + 0.2286) sin(angle), as the net's top ring does.
        for (Vector3 p : {Vector3{0, 0, -0.2286f}, Vector3{0, 0, 0.2286f}, Vector3{0, 0, 0}, Vector3{0.2286f, 0, 0}}) {
            const Vector3 q = Vector3Transform(p, m);
            EXPECT_NEAR(q.y, 3.05f - (p.z + 0.2286f) * std::sin(angle), 1e-6f);
            EXPECT_NEAR(q.z, (p.z + 0.2286f) * std::cos(angle) - 0.2286f, 1e-6f);
            EXPECT_NEAR(q.x, p.x, 1e-6f);
        }
    }
}
