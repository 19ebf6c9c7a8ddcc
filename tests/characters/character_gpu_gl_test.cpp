// The eight roster characters uploaded on a real GL context, two posed, drawn
// and written as PNG; parts beyond 16-bit indices never draw wrapped ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <raylib.h>
#include <raymath.h>

#include "characters/action_poses.h"
#include "characters/character_drawing.h"
#include "characters/character_upload.h"
#include "characters/head_builder.h"
#include "characters/pose_generators.h"
#include "characters/shared_meshes.h"
#include "render/match_world.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/fonts.h"
#include "tests/test_window.h"

namespace {

constexpr int kModels = 2 * kRosterTeams;
constexpr int kSceneQuality = 1; // 1920 x 1080
constexpr Color kClear = {8, 8, 10, 255};
constexpr Color kFloorColour = {120, 96, 70, 255};

std::string outputPath(const char* name) { return std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + name; }

std::string besideProgram(const char* file) {
    const std::string binary = KORVALO_BINARY;
    return binary.substr(0, binary.find_last_of('/') + 1) + "fonts/" + file;
}

std::unique_ptr<CharacterModel[]> models;

class CharactersGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow(1280, 720, "korvalo character test", FLAG_WINDOW_HIDDEN);
        initRenderer(renderer);
        setRenderQuality(renderer, kSceneQuality);
        initSharedMeshes();
        loadFontsFrom({besideProgram("Anton-Regular.ttf")}, {besideProgram("FiraSans-Bold.ttf")});
        initTeams();
        Appearance looks[kModels];
        for (int k = 0; k < kModels; ++k) looks[k] = teams[k / 2].players[k % 2].look;
        models = std::make_unique<CharacterModel[]>(kModels);
        buildCharacters(models.get(), looks, kModels);
    }
    static void TearDownTestSuite() {
        for (int k = 0; k < kModels; ++k) unloadCharacterModel(models[k]);
        models.reset();
        CloseWindow();
    }
};

struct Figure {
    int model = 0;
    Skeleton skeleton;
};

Figure idleFigure(int k, Vector3 root, float yaw) {
    Figure f{k, {}};
    animationClock = 0.8f;
    Pose pose;
    poseIdle(pose, models[k].height);
    poseSkeleton(f.skeleton, bodyMeasures(models[k]), pose, root, yaw, true);
    return f;
}

// In the air, the shooting arm up, just after the release.
Figure jumpShotFigure(int k, Vector3 root, float yaw) {
    Figure f{k, {}};
    MatchState state;
    Player& p = state.players[0];
    p.model = &models[k];
    p.action = ACT_JUMP_SHOT;
    p.actionTimer = 0.45f;
    p.tookOff = 1;
    p.airborne = 1;
    p.released = 1;
    p.yaw = yaw;
    Pose pose;
    actionTargetPose(state, p, playerMotion(p), pose);
    poseSkeleton(f.skeleton, bodyMeasures(models[k]), pose, root, yaw, false);
    return f;
}

Vector3 origin(const Matrix& m) { return {m.m12, m.m13, m.m14}; }

struct View {
    Camera3D camera;
};

void drawFigures(const std::vector<Figure>& figures, bool shadowPass) {
    for (const Figure& f : figures) {
        skinCharacterModel(models[f.model], f.skeleton);
        drawCharacterModel(models[f.model], f.skeleton, shadowPass, false);
    }
}

// The match's lights, without the spot light.
SceneLighting setSceneLights() {
    const SceneLighting lighting = matchLighting(false);
    setLights(renderer, lighting);
    setShaderTime(renderer, 1.0f);
    setSpotLight(renderer, {0, 0, 0}, {0, -1, 0}, {0, 0, 0}, 10, 20);
    return lighting;
}

// After the scene pass: returns the scene as seen (row 0 at the top), runs
// the post chain and writes the graded frame to the named PNG when one is given.
Image finishFrame(const char* png) {
    Image scene = LoadImageFromTexture(renderer.sceneTarget.texture);
    ImageFlipVertical(&scene);
    renderPost(renderer, 1.0f, 0.95f);
    endUi(renderer);
    if (png) {
        Image graded = LoadImageFromTexture(renderer.uiTarget.texture);
        ImageFlipVertical(&graded);
        EXPECT_TRUE(ExportImage(graded, outputPath(png).c_str()));
        UnloadImage(graded);
    }
    return scene;
}

// One frame: shadow map, a floor with the blob shadows, the figures; then the
// post chain.
Image renderScene(const View& view, const std::vector<Figure>& figures, const char* png) {
    const SceneLighting lighting = setSceneLights();

    beginShadowPass(renderer, {0, 0, 0}, Vector3Normalize(lighting.keyDir), 10);
    drawFigures(figures, true);
    endShadowPass(renderer);

    beginScenePass(renderer, view.camera, kClear);
    const MaterialParams floor = {{0.1f, 16, 0, 0}, {0, 0, 0, 1}};
    drawMeshLit(renderer, sharedMeshes.quad, MatrixScale(14, 1, 14), kFloorColour, floor, Texture2D{});
    for (const Figure& f : figures) drawBlobShadow(origin(f.skeleton.joints[JOINT_PELVIS]), 0.5f, 0.45f);
    drawFigures(figures, false);
    endScenePass(renderer);
    return finishFrame(png);
}

Vector2 onScreen(const View& v, Vector3 world) {
    return GetWorldToScreenEx(world, v.camera, renderer.sceneWidth, renderer.sceneHeight);
}

// Pixels in a square of half-size `half` around p that differ clearly between two frames.
int changedAround(const Image& a, const Image& b, Vector2 p, int half) {
    int n = 0;
    for (int y = (int)p.y - half; y <= (int)p.y + half; y++)
        for (int x = (int)p.x - half; x <= (int)p.x + half; x++) {
            if (x < 0 || y < 0 || x >= a.width || y >= a.height) continue;
            const Color c = GetImageColor(a, x, y), d = GetImageColor(b, x, y);
            n += std::abs(c.r - d.r) + std::abs(c.g - d.g) + std::abs(c.b - d.b) > 30;
        }
    return n;
}

int squareArea(int half) { return (2 * half + 1) * (2 * half + 1); }

Vector3 midpoint(const Skeleton& s, int a, int b) {
    return Vector3Lerp({s.joints[a].m12, s.joints[a].m13, s.joints[a].m14},
                       {s.joints[b].m12, s.joints[b].m13, s.joints[b].m14}, 0.5f);
}

const View kFrontView = {{{0, 1.45f, 4.6f}, {0, 1.25f, 0}, {0, 1, 0}, 45, CAMERA_PERSPECTIVE}};


} // namespace

TEST_F(CharactersGl, TwoPosedCharactersAreDrawnWhole) {
    for (int k = 0; k < kModels; ++k) ASSERT_TRUE(models[k].uploaded) << "character " << k;
    const std::vector<Figure> figures = {idleFigure(0, {-0.75f, 0, 0}, 0), jumpShotFigure(3, {0.75f, 0.45f, 0}, 0)};
    Image empty = renderScene(kFrontView, {}, nullptr);
    Image front = renderScene(kFrontView, figures, "characters_posed_front.png");

    for (const Figure& f : figures) {
        SCOPED_TRACE("character " + std::to_string(f.model));
        const Skeleton& s = f.skeleton;
        const int half = 6;
        // Skinned body and jersey, the head on the head matrix, hands and shoes on their joints.
        EXPECT_GT(changedAround(front, empty, onScreen(kFrontView, chestPoint(s)), half), squareArea(half) * 3 / 4) << "chest";
        EXPECT_GT(changedAround(front, empty, onScreen(kFrontView, origin(headMatrix(s, models[f.model].height))), half),
                  squareArea(half) * 3 / 4) << "head";
        EXPECT_GT(changedAround(front, empty, onScreen(kFrontView, midpoint(s, 8, 9)), 2), 5) << "forearm";
        EXPECT_GT(changedAround(front, empty, onScreen(kFrontView, handPosition(s, 1)), 2), 5) << "hand";
        const Vector3 toe = Vector3Transform({0, -0.04f * models[f.model].height, 0.08f * models[f.model].height},
                                             s.joints[JOINT_FOOT]);
        EXPECT_GT(changedAround(front, empty, onScreen(kFrontView, toe), 2), 5) << "shoe";
    }
    // The shooter's arm is up: his skinned forearm is drawn above his head.
    const Skeleton& shooter = figures[1].skeleton;
    EXPECT_GT(midpoint(shooter, 8, 9).y, headPosition(shooter).y);
    UnloadImage(empty);
    UnloadImage(front);
}

std::vector<std::string> warnings;

void recordWarning(int level, const char* text, va_list args) {
    if (level < LOG_WARNING) return;
    char line[512];
    std::vsnprintf(line, sizeof line, text, args);
    warnings.push_back(line);
}

// A 1 m square facing +z, of n x n cells of two triangles, as a plain
// triangle list (6 n n vertices), red.
MeshData triangleListSquare(int n) {
    MeshData d;
    auto corner = [&](int i, int j) {
        d.positions.insert(d.positions.end(), {(float)i / n - 0.5f, (float)j / n + 0.5f, 0});
        d.normals.insert(d.normals.end(), {0, 0, 1});
        d.texcoords.insert(d.texcoords.end(), {0, 0});
        d.colors.insert(d.colors.end(), {230, 30, 30, 255});
    };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            corner(i, j), corner(i + 1, j), corner(i + 1, j + 1);
            corner(i, j), corner(i + 1, j + 1), corner(i, j + 1);
        }
    d.indexOverflow = true;
    return d;
}

SkinData rigidSkin(int count) {
    SkinData s;
    s.bindPositions.assign(count, Vector3{});
    s.bindNormals.assign(count, Vector3{0, 0, 1});
    s.boneA.assign(count, JOINT_PELVIS);
    s.boneB.assign(count, JOINT_PELVIS);
    s.weightA.assign(count, 1.0f);
    return s;
}

TEST_F(CharactersGl, OversizedPartsWarnOnceAndNeverDrawWrappedIndices) {
    auto m = std::make_unique<CharacterModel>();
    m->body = triangleListSquare(108); // 69984 vertices
    m->bodySkin = rigidSkin(m->body.vertexCount());
    for (int v = 0; v < m->body.vertexCount(); ++v)
        m->bodySkin.bindPositions[v] = {m->body.positions[3 * v], m->body.positions[3 * v + 1], m->body.positions[3 * v + 2]};
    // A jersey whose indices wrapped past 65535.
    m->jersey.positions.assign(3 * 70000, 0.0f);
    m->jersey.indices = {0, 1, 2, 65535, 0, 1};
    for (Matrix& inv : m->inverseBind) inv = MatrixIdentity();

    warnings.clear();
    SetTraceLogCallback(recordWarning);
    uploadCharacterModel(*m);
    SetTraceLogCallback(nullptr);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "character mesh exceeds 16-bit indices (69984 body verts)");

    EXPECT_NE(m->bodyMesh.vaoId, 0u);
    EXPECT_EQ(m->bodyMesh.indices, nullptr);
    EXPECT_EQ(m->bodyMesh.vboId[6], 0u) << "no index buffer";
    EXPECT_EQ(m->bodyMesh.triangleCount, 69984 / 3);
    EXPECT_EQ(m->jerseyMesh.vaoId, 0u) << "wrapped indices are never uploaded";

    // The square, skinned in place and drawn without indices, shows whole and red.
    Skeleton still;
    for (Matrix& j : still.joints) j = MatrixIdentity();
    skinCharacterModel(*m, still);
    const View view = {{{0, 1, 2.2f}, {0, 1, 0}, {0, 1, 0}, 45, CAMERA_PERSPECTIVE}};
    setSceneLights();
    beginScenePass(renderer, view.camera, kClear);
    drawCharacterModel(*m, still, false, false);
    endScenePass(renderer);
    Image scene = LoadImageFromTexture(renderer.sceneTarget.texture);
    ImageFlipVertical(&scene);
    for (Vector3 p : {Vector3{0, 1, 0}, Vector3{-0.4f, 0.6f, 0}, Vector3{0.4f, 1.4f, 0}, Vector3{0.4f, 0.6f, 0}}) {
        const Vector2 at = onScreen(view, p);
        const Color c = GetImageColor(scene, (int)at.x, (int)at.y);
        EXPECT_GT(c.r, c.g + 40) << "square at " << p.x << ", " << p.y;
    }
    UnloadImage(scene);
    unloadCharacterModel(*m);
}
