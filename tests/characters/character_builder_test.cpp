// The roster characters: closed parts, the painted head, skinning at the bind
// pose and in a pose, and worker-thread builds identical to main-thread builds.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <raylib.h>
#include <raymath.h>

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

        // Hair only with a style or a headband, without texture coordinates.
        EXPECT_EQ(m.hasHair != 0, look.hairStyle != 0 || look.headband != 0);
        EXPECT_EQ(m.hair.vertexCount() > 0, m.hasHair != 0);
        EXPECT_EQ(m.hair.texcoords, std::vector<float>(m.hair.texcoords.size(), 0.0f));
        for (const MeshData* part : {&m.body, &m.jersey, &m.head, &m.hand[0], &m.shoe[0]}) {
            EXPECT_GT(part->vertexCount(), 3000);
            EXPECT_FALSE(part->indexOverflow);
        }
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

// Heads of light, medium and dark skin.
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

TEST(HeadTexture, PaintsEyesLipsAndBrows) {
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
}

// The skinning as it was first written, to the bit: the two bone matrices
// blended by the weight, then the bind position and normal through the blend.
void blendMatricesFirst(const SkinData& skin, const Matrix m[JOINT_COUNT], size_t i, Vector3& p, Vector3& n) {
    const float* a = &m[skin.boneA[i] < JOINT_COUNT ? skin.boneA[i] : 0].m0;
    const float* b = &m[skin.boneB[i] < JOINT_COUNT ? skin.boneB[i] : 0].m0;
    const float w = skin.weightA[i];
    float M[12];
    for (int k = 0; k < 12; ++k) M[k] = b[k] + (a[k] - b[k]) * w;
    const Vector3 q = skin.bindPositions[i], r = skin.bindNormals[i];
    float po[3], no[3], len2 = 0.0f;
    for (int row = 0; row < 3; ++row) {
        const float* e = &M[4 * row];
        po[row] = e[0] * q.x + e[1] * q.y + e[2] * q.z + e[3];
        no[row] = e[0] * r.x + e[1] * r.y + e[2] * r.z;
        len2 += no[row] * no[row];
    }
    const float inv = 1.0f / std::sqrt(len2 + 1e-12f);
    p = {po[0], po[1], po[2]};
    n = {no[0] * inv, no[1] * inv, no[2] * inv};
}

// At the bind pose the skin gives back the bind data; in a pose (every joint
// turned, the figure moved and turned) it gives what blending the matrices
// first gives, within 1e-5, for every vertex of the body and the jersey.
TEST(CharacterSkinning, MatchesTheBindDataAndBlendingTheMatricesFirst) {
    initTeams();
    auto model = std::make_unique<CharacterModel>();
    buildCharacter(*model, rosterLook(1));
    const CharacterModel& m = *model;
    Skeleton bind;
    poseSkeleton(bind, bodyMeasures(m), bindPose(), {0, 0, 0}, 0.0f, false);
    Pose pose = bindPose();
    for (int f = 0; f < POSE_FIELD_COUNT; ++f) pose.v[f] += 0.05f * (float)(f % 7) - 0.12f;
    pose.v[POSE_PELVIS_DROP] = 0.1f;
    Skeleton posed;
    poseSkeleton(posed, bodyMeasures(m), pose, {2.5f, 0, 6}, 2.2f, true);
    for (const Skeleton* skeleton : {&bind, &posed}) {
        Matrix skin[JOINT_COUNT];
        computeSkinMatrices(m, *skeleton, skin);
        for (const SkinData* part : {&m.bodySkin, &m.jerseySkin}) {
            std::vector<float> pos(part->bindPositions.size() * 3), nor(pos.size());
            skinGroups(groupSkin(*part), skin, pos.data(), nor.data());
            for (size_t v = 0; v < part->bindPositions.size(); ++v) {
                Vector3 p = part->bindPositions[v], n = part->bindNormals[v];
                if (skeleton == &posed) blendMatricesFirst(*part, skin, v, p, n);
                const float tolerance = skeleton == &bind ? 2e-5f : 1e-5f;
                const Vector3 skinnedP = {pos[3 * v], pos[3 * v + 1], pos[3 * v + 2]};
                const Vector3 skinnedN = {nor[3 * v], nor[3 * v + 1], nor[3 * v + 2]};
                ASSERT_NEAR(Vector3Distance(skinnedP, p), 0.0f, tolerance) << v;
                ASSERT_NEAR(Vector3Distance(skinnedN, n), 0.0f, tolerance) << v;
            }
        }
    }
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
}

} // namespace
