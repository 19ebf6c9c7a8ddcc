// The eight roster characters, built once: closed surfaces, part sizes, the
// hair and jersey rules, the painted head, bind matrices, CPU skinning at the
// bind pose, and worker-thread builds identical to main-thread builds. The
// head textures are written to the test output folder for a reviewer.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>
#include <raylib.h>
#include <raymath.h>

#include "characters/body_builder.h"
#include "characters/character_builder.h"
#include "characters/character_skinning.h"
#include "characters/head_builder.h"
#include "characters/head_texture.h"
#include "sim/match_state.h"
#include "tests/characters/mesh_checks.h"

namespace {

constexpr int kModels = 2 * kRosterTeams;

const Appearance& rosterLook(int i) { return teams[i / 2].players[i % 2].look; }

struct Roster {
    Roster() {
        initTeams();
        for (int i = 0; i < kModels; ++i) buildCharacter(models[i], rosterLook(i));
    }
    CharacterModel models[kModels];
};

std::vector<float> joined(const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<float> out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

std::vector<uint16_t> joinedIndices(const MeshData& a, const MeshData& b) {
    std::vector<uint16_t> out = a.indices;
    for (uint16_t i : b.indices) out.push_back((uint16_t)(i + a.vertexCount()));
    return out;
}

// Surface nets may fold a rare triangle or join two sheets at one vertex;
// neither opens a hole.
void expectClosed(const EdgeCounts& e) {
    EXPECT_TRUE(e.closed()) << e.open << " open and " << e.odd << " odd edges";
    EXPECT_LT(e.flipped + e.nonManifold, e.edges / 1000 + 1);
    EXPECT_EQ(e.degenerate, 0u);
}

TEST(RosterCharacters, MeshesAreClosedSizedAndStyled) {
    auto roster = std::make_unique<Roster>();
    for (int i = 0; i < kModels; ++i) {
        const CharacterModel& m = roster->models[i];
        const Appearance& look = rosterLook(i);
        SCOPED_TRACE("character " + std::to_string(i));

        // Every body (its body and jersey parts are one surface), hand, shoe and hair is closed.
        ASSERT_LT(m.body.vertexCount() + m.jersey.vertexCount(), 65536);
        expectClosed(countEdges(joined(m.body.positions, m.jersey.positions), joinedIndices(m.body, m.jersey)));
        for (int side = 0; side < 2; ++side) {
            expectClosed(countEdges(m.hand[side].positions, m.hand[side].indices));
            expectClosed(countEdges(m.shoe[side].positions, m.shoe[side].indices));
        }
        if (m.hasHair) expectClosed(countEdges(m.hair.positions, m.hair.indices));

        // Real meshes of tens of thousands of vertices, within 16-bit indices.
        for (const MeshData* part : {&m.body, &m.jersey, &m.head, &m.hand[0], &m.hand[1], &m.shoe[0], &m.shoe[1]}) {
            EXPECT_GT(part->vertexCount(), 3000);
            EXPECT_LT(part->vertexCount(), 65536);
            EXPECT_FALSE(part->indexOverflow);
            EXPECT_EQ(part->normals.size(), part->positions.size());
            EXPECT_EQ(part->texcoords.size() / 2, part->positions.size() / 3);
            EXPECT_EQ(part->colors.size() / 4, part->positions.size() / 3);
            EXPECT_EQ(part->indices.size() % 3, 0u);
        }
        EXPECT_EQ(m.bodySkin.boneA.size(), (size_t)m.body.vertexCount());
        EXPECT_EQ(m.jerseySkin.weightA.size(), (size_t)m.jersey.vertexCount());
        EXPECT_EQ(m.headPixels.size(), (size_t)kHeadTextureSize * kHeadTextureSize * 4);

        // Hair: only with a style or a headband, without texture coordinates;
        // a headband alone is trim colour darkened by occlusion only.
        EXPECT_EQ(m.hasHair != 0, look.hairStyle != 0 || look.headband != 0);
        EXPECT_EQ(m.hair.vertexCount() > 0, m.hasHair != 0);
        EXPECT_EQ(m.hair.texcoords, std::vector<float>(m.hair.texcoords.size(), 0.0f));
        if (look.hairStyle == 0 && look.headband)
            for (size_t v = 0; v < m.hair.colors.size(); v += 4) {
                const float f = m.hair.colors[v] / (float)look.trimColor.r;
                EXPECT_GE(f, 0.59f);
                EXPECT_NEAR(m.hair.colors[v + 1], f * look.trimColor.g, 1.01f);
            }

        // The jersey is shaded grey (its colour comes from its texture) and
        // wrapped around the body, the back seam fixed with shifted copies.
        const MeshData& j = m.jersey;
        for (size_t v = 0; v < j.colors.size(); v += 4) {
            ASSERT_EQ(j.colors[v], j.colors[v + 1]);
            ASSERT_EQ(j.colors[v], j.colors[v + 2]);
            ASSERT_EQ(j.colors[v + 3], 255);
        }
        bool shifted = false;
        for (size_t v = 0; v < j.texcoords.size(); v += 2) {
            EXPECT_GE(j.texcoords[v], 0.0f);
            EXPECT_LT(j.texcoords[v], 2.0f);
            shifted |= j.texcoords[v] > 1.0f;
            EXPECT_GE(j.texcoords[v + 1], 0.0f);
            EXPECT_LE(j.texcoords[v + 1], 1.0f);
        }
        EXPECT_TRUE(shifted);
    }
}

// The texel whose ray points at head point (x, y, z) (in head units).
Color texelToward(const CharacterModel& m, float x, float y, float z) {
    const int column = (int)std::lround((std::atan2(x, z) / (2 * PI) + 0.5f) * kHeadTextureSize - 0.5f);
    const int row = (int)std::lround((0.5f - y / 0.36f) * kHeadTextureSize - 0.5f);
    const uint8_t* p = &m.headPixels[((size_t)row * kHeadTextureSize + column) * 4];
    return {p[0], p[1], p[2], p[3]};
}

int colourDistance(Color a, Color b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

// Heads of three looks: light, medium and dark skin, three hair colours.
struct Heads {
    Heads() {
        initTeams();
        for (int k = 0; k < 3; ++k) {
            applyAppearance(models[k], rosterLook(picks[k]));
            buildHead(models[k]);
        }
    }
    static constexpr int picks[3] = {2, 0, 3};
    CharacterModel models[3];
};

TEST(HeadTexture, PaintsEyesLipsAndBrowsAndIsWrittenForReview) {
    auto heads = std::make_unique<Heads>();
    for (int k = 0; k < 3; ++k) {
        const CharacterModel& m = heads->models[k];
        const Color skin = m.appearance.skinColor;
        SCOPED_TRACE("character " + std::to_string(Heads::picks[k]));
        const Color cheek = texelToward(m, 0.05f, -0.03f, 0.07f);
        EXPECT_LT(colourDistance(cheek, skin), 90);
        // The front of each eye: white, iris or pupil, nothing like skin.
        for (float side : {-1.0f, 1.0f}) EXPECT_GT(colourDistance(texelToward(m, side * 0.031f, 0.011f, 0.0915f), skin), 60);
        EXPECT_GT(colourDistance(texelToward(m, 0.0f, -0.052f, 0.1f), cheek), 25); // upper lip
        EXPECT_GT(colourDistance(texelToward(m, 0.033f, 0.036f, 0.09f), cheek), 40); // brow
    }
    // A ray that never meets the head keeps the plain skin colour.
    const Appearance& look = heads->models[0].appearance;
    const Color miss = paintHeadTexel(look, {}, 1.0f, 100, 200);
    EXPECT_EQ(std::memcmp(&miss, &look.skinColor, 4), 0);

    SetTraceLogLevel(LOG_WARNING);
    std::vector<uint8_t> sheet((size_t)3 * kHeadTextureSize * kHeadTextureSize * 4);
    const size_t rowBytes = (size_t)kHeadTextureSize * 4;
    for (int k = 0; k < 3; ++k)
        for (int r = 0; r < kHeadTextureSize; ++r)
            std::memcpy(&sheet[((size_t)r * 3 + k) * rowBytes], &heads->models[k].headPixels[r * rowBytes], rowBytes);
    Image img = {sheet.data(), 3 * kHeadTextureSize, kHeadTextureSize, 1, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
    EXPECT_TRUE(ExportImage(img, (std::string(KORVALO_TEST_OUTPUT_DIR) + "/character_head_textures.png").c_str()));
}

TEST(HeadTexture, TiledPaintingMatchesTexelByTexel) {
    initTeams();
    CharacterModel m;
    applyAppearance(m, rosterLook(5));
    const float S = headScale(m.height);
    const std::vector<SdfPrimitive> head = headShapes(m);
    std::vector<uint8_t> pixels;
    paintHeadTexture(m.appearance, head, S, pixels);
    for (int row = 0; row < kHeadTextureSize; row += 37)
        for (int column = 0; column < kHeadTextureSize; column += 29) {
            const Color c = paintHeadTexel(m.appearance, head, S, column, row);
            const uint8_t* p = &pixels[((size_t)row * kHeadTextureSize + column) * 4];
            ASSERT_EQ(std::memcmp(p, &c, 4), 0) << "texel " << column << ", " << row;
        }
}

TEST(CharacterSkinning, BindPoseReproducesBindPositionsAndNormals) {
    initTeams();
    auto model = std::make_unique<CharacterModel>();
    buildCharacter(*model, rosterLook(1));
    const CharacterModel& m = *model;
    Skeleton bind;
    poseSkeleton(bind, &m, bindPose(), {0, 0, 0}, 0.0f, false);
    Matrix skin[JOINT_COUNT];
    computeSkinMatrices(m, bind, skin);
    for (int j = 0; j < JOINT_COUNT; ++j) {
        const Matrix id = MatrixIdentity();
        for (int k = 0; k < 16; ++k) EXPECT_NEAR((&skin[j].m0)[k], (&id.m0)[k], 1e-5f);
    }
    for (const SkinData* part : {&m.bodySkin, &m.jerseySkin}) {
        std::vector<float> pos(part->bindPositions.size() * 3), nor(pos.size());
        skinVertices(*part, skin, pos.data(), nor.data());
        for (size_t v = 0; v < part->bindPositions.size(); ++v) {
            const Vector3 p = part->bindPositions[v], n = part->bindNormals[v];
            ASSERT_NEAR(Vector3Distance({pos[3 * v], pos[3 * v + 1], pos[3 * v + 2]}, p), 0.0f, 2e-5f);
            ASSERT_NEAR(Vector3Distance({nor[3 * v], nor[3 * v + 1], nor[3 * v + 2]}, n), 0.0f, 2e-5f);
        }
    }
}

TEST(CharacterSkinning, WeightsBlendTwoJoints) {
    CharacterModel m;
    Skeleton bind, posed;
    poseSkeleton(bind, &m, bindPose(), {0, 0, 0}, 0.0f, false);
    for (int j = 0; j < JOINT_COUNT; ++j) m.inverseBind[j] = MatrixInvert(bind.joints[j]);
    Pose pose = bindPose();
    pose.v[POSE_ELBOW_BEND] = 1.2f;
    pose.v[POSE_TRUNK_TWIST] = 0.4f;
    poseSkeleton(posed, &m, pose, {1, 0, 2}, 0.7f, true);
    Matrix skin[JOINT_COUNT];
    computeSkinMatrices(m, posed, skin);

    SkinData data;
    const Vector3 p = {0.3f, 1.2f, 0.05f};
    for (float w : {1.0f, 0.0f, 0.5f}) {
        data.bindPositions.push_back(p);
        data.bindNormals.push_back({1, 0, 0});
        data.boneA.push_back(JOINT_FOREARM);
        data.boneB.push_back(JOINT_UPPER_ARM);
        data.weightA.push_back(w);
    }
    data.bindPositions.push_back(p); // a bone outside the skeleton reads as joint 0
    data.bindNormals.push_back({0, 1, 0});
    data.boneA.push_back(200);
    data.boneB.push_back(JOINT_PELVIS);
    data.weightA.push_back(1.0f);
    std::vector<float> pos(12), nor(12);
    skinVertices(data, skin, pos.data(), nor.data());
    auto at = [&](int v) { return Vector3{pos[3 * v], pos[3 * v + 1], pos[3 * v + 2]}; };
    const Vector3 a = Vector3Transform(p, skin[JOINT_FOREARM]), b = Vector3Transform(p, skin[JOINT_UPPER_ARM]);
    EXPECT_NEAR(Vector3Distance(at(0), a), 0.0f, 1e-5f);
    EXPECT_NEAR(Vector3Distance(at(1), b), 0.0f, 1e-5f);
    EXPECT_NEAR(Vector3Distance(at(2), Vector3Lerp(a, b, 0.5f)), 0.0f, 1e-5f);
    EXPECT_NEAR(Vector3Distance(at(3), Vector3Transform(p, skin[JOINT_PELVIS])), 0.0f, 1e-5f);
    EXPECT_NEAR(Vector3Length({nor[6], nor[7], nor[8]}), 1.0f, 1e-5f); // blended normals are unit length
}

bool sameMeshData(const MeshData& a, const MeshData& b) {
    return a.positions == b.positions && a.normals == b.normals && a.texcoords == b.texcoords &&
           a.colors == b.colors && a.indices == b.indices && a.indexOverflow == b.indexOverflow;
}

bool sameSkin(const SkinData& a, const SkinData& b) {
    return a.bindPositions.size() == b.bindPositions.size() &&
           std::memcmp(a.bindPositions.data(), b.bindPositions.data(), a.bindPositions.size() * sizeof(Vector3)) == 0 &&
           std::memcmp(a.bindNormals.data(), b.bindNormals.data(), a.bindNormals.size() * sizeof(Vector3)) == 0 &&
           a.boneA == b.boneA && a.boneB == b.boneB && a.weightA == b.weightA;
}

TEST(CharacterThreads, WorkerBuildsAreIdenticalToMainThreadBuilds) {
    initTeams();
    const Appearance looks[2] = {rosterLook(6), rosterLook(6)};
    auto built = std::make_unique<CharacterModel[]>(3);
    std::atomic<int> finished = 0;
    std::vector<std::thread> threads = startCharacterBuilders(built.get(), looks, 2, &finished);
    buildCharacter(built[2], looks[0]);
    joinCharacterBuilders(threads);
    EXPECT_EQ(finished.load(), 2);
    EXPECT_TRUE(threads.empty());
    for (int k = 0; k < 2; ++k) {
        const CharacterModel &a = built[k], &b = built[2];
        EXPECT_TRUE(sameMeshData(a.body, b.body));
        EXPECT_TRUE(sameMeshData(a.jersey, b.jersey));
        EXPECT_TRUE(sameMeshData(a.head, b.head));
        EXPECT_TRUE(sameMeshData(a.hair, b.hair));
        for (int side = 0; side < 2; ++side) {
            EXPECT_TRUE(sameMeshData(a.hand[side], b.hand[side]));
            EXPECT_TRUE(sameMeshData(a.shoe[side], b.shoe[side]));
        }
        EXPECT_TRUE(sameSkin(a.bodySkin, b.bodySkin));
        EXPECT_TRUE(sameSkin(a.jerseySkin, b.jerseySkin));
        EXPECT_EQ(a.headPixels, b.headPixels);
        EXPECT_EQ(std::memcmp(a.inverseBind, b.inverseBind, sizeof a.inverseBind), 0);
        EXPECT_EQ(a.hasHair, b.hasHair);
    }
    // The second shoe, built on its own, is the first one.
    CharacterModel shoes;
    applyAppearance(shoes, looks[0]);
    buildShoe(shoes, 1);
    EXPECT_TRUE(sameMeshData(shoes.shoe[1], built[2].shoe[1]));
    // No threads for no characters.
    std::vector<std::thread> none = startCharacterBuilders(nullptr, nullptr, 0, nullptr);
    EXPECT_TRUE(none.empty());
}

TEST(BodyField, NarrowedLanesGiveTheWholeFieldBitForBit) {
    initTeams();
    CharacterModel m;
    applyAppearance(m, rosterLook(3));
    Skeleton bind;
    poseSkeleton(bind, &m, bindPose(), {0, 0, 0}, 0.0f, false);
    const BodyShapes shapes = makeBodyShapes(m, bind);
    Vector3 lo, hi;
    bodyBox(bind, shapes.s, lo, hi);
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> t(0, 1);
    for (int b = 0; b < 300; ++b) {
        const Vector3 c = {lo.x + (hi.x - lo.x) * t(rng), lo.y + (hi.y - lo.y) * t(rng), lo.z + (hi.z - lo.z) * t(rng)};
        const SdfBox box = {c, {c.x + 0.05f, c.y + 0.05f, c.z + 0.05f}};
        const BodyShapes local = narrowBodyShapes(shapes, box);
        for (int i = 0; i < 8; ++i) {
            Vector3 p[kLanes];
            for (Vector3& q : p) q = {c.x + 0.05f * t(rng), c.y + 0.05f * t(rng), c.z + 0.05f * t(rng)};
            const Lanes d = bodyDistanceLanes(local, toLanes(p, kLanes));
            for (int k = 0; k < kLanes; ++k) {
                const float whole = bodyDistance(shapes, p[k]);
                ASSERT_EQ(std::memcmp(&d[k], &whole, 4), 0) << "box " << b;
            }
        }
    }
}

TEST(BodyBox, SpansTheJointsWithMarginsAndTwoSpareCells) {
    CharacterModel m; // height 2, build 1: s = 1
    Skeleton bind;
    poseSkeleton(bind, &m, bindPose(), {0, 0, 0}, 0.0f, false);
    Vector3 lo, hi;
    bodyBox(bind, 1.0f, lo, hi);
    float minX = 1e9f, maxX = -1e9f, maxY = -1e9f, minZ = 1e9f;
    for (const Matrix& j : bind.joints) {
        minX = std::fmin(minX, j.m12), maxX = std::fmax(maxX, j.m12);
        maxY = std::fmax(maxY, j.m13), minZ = std::fmin(minZ, j.m14);
    }
    EXPECT_NEAR(lo.x, minX - 0.16f, 1e-6f);
    EXPECT_NEAR(hi.x, maxX + 0.16f, 1e-6f);
    EXPECT_NEAR(lo.z, minZ - 0.16f - 2 * 0.0092f, 1e-6f);
    EXPECT_NEAR(hi.y, maxY + 0.12f + 2 * 0.0092f, 1e-6f);
    EXPECT_NEAR(lo.y, bind.joints[JOINT_FOOT].m13 - 0.06f, 1e-6f);
}

} // namespace
