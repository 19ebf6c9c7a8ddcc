// The arena and the match world pass under Xvfb: the arena built for the
// home team and rebuilt identically, and match frames written as PNG.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "app/anim_clock.h"
#include "app/match_start.h"
#include "app/program_random.h"
#include "app/settings.h"
#include "characters/shared_meshes.h"
#include "render/arena.h"
#include "render/hoop_net.h"
#include "render/match_world.h"
#include "render/procedural_textures.h"
#include "render/renderer.h"
#include "sim/camera.h"
#include "ui/fonts.h"
#include "tests/test_window.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kAfterFlyIn = 2.5f; // the opening has settled on the player's own eyes

std::string outputPath(const char* name) { return std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + name; }

std::string besideProgram(const char* file) {
    const std::string binary = KORVALO_BINARY;
    return binary.substr(0, binary.find_last_of('/') + 1) + "fonts/" + file;
}

class MatchWorldGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow(1280, 720, "korvalo match world test", FLAG_WINDOW_HIDDEN);
        settings = Settings{};
        initRenderer(renderer);
        setRenderQuality(renderer, 1); // 1920 x 1080
        initSharedMeshes();
        loadFontsFrom({besideProgram("Anton-Regular.ttf")}, {besideProgram("FiraSans-Bold.ttf")});
        initTeams();
        applyHomeTeam(0);
    }
    static void TearDownTestSuite() { CloseWindow(); }
};

void startFreshMatch(MatchState& s, bool fullCourt, float eyeYaw, float phaseTimer) {
    MatchSettings rules;
    rules.fullCourt = fullCourt;
    s = MatchState{};
    initMatchState(s, 0, 1, 0, nullptr, &arena, 11, 1, rules);
    s.eyeYaw = eyeYaw;
    s.phaseTimer = phaseTimer;
    s.frontEndClock = animClock = 1.0f;
    updateMatchCamera(s, kFrame, true);
}

// Draws the frame, writes the graded picture to png, returns the scene.
Image renderFrame(const MatchState& s, const char* png) {
    drawMatchWorld(s);
    Image scene = LoadImageFromTexture(renderer.sceneTarget.texture);
    ImageFlipVertical(&scene);
    renderPost(renderer, 1.0f, 0.95f);
    endUi(renderer);
    Image graded = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&graded);
    EXPECT_TRUE(ExportImage(graded, outputPath(png).c_str()));
    UnloadImage(graded);
    return scene;
}

Vector2 onScreen(const MatchState& s, Vector3 world) {
    return GetWorldToScreenEx(world, s.camera, renderer.sceneWidth, renderer.sceneHeight);
}

Color pixelOf(const Image& image, Vector2 p) { return GetImageColor(image, (int)p.x, (int)p.y); }

template <typename Test> int countAround(const Image& image, Vector2 p, int half, Test test) {
    int n = 0;
    for (int y = (int)p.y - half; y <= (int)p.y + half; y++)
        for (int x = (int)p.x - half; x <= (int)p.x + half; x++)
            if (x >= 0 && y >= 0 && x < image.width && y < image.height && test(GetImageColor(image, x, y))) n++;
    return n;
}

bool rimOrange(Color c) { return c.r > 120 && c.r > 2 * c.g && c.r > 2 * c.b; }
bool clockRed(Color c) { return c.r > 180 && c.g < 110 && c.b < 110; }

int differingPixels(const Image& a, const Image& b, Rectangle box) {
    int n = 0;
    for (int y = (int)box.y; y < (int)(box.y + box.height); y++)
        for (int x = (int)box.x; x < (int)(box.x + box.width); x++) {
            const Color p = GetImageColor(a, x, y), q = GetImageColor(b, x, y);
            n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 30;
        }
    return n;
}

// The mesh data a rebuild must reproduce.
std::vector<float> copyOf(const Mesh& m) {
    std::vector<float> c(m.vertices, m.vertices + 3 * m.vertexCount);
    if (m.texcoords2) c.insert(c.end(), m.texcoords2, m.texcoords2 + 2 * m.vertexCount);
    for (int i = 0; i < 4 * m.vertexCount; i++) c.push_back(m.colors[i]);
    return c;
}

} // namespace

TEST_F(MatchWorldGl, ArenaIsBuiltForTheHomeTeamAndRebuiltIdentically) {
    ASSERT_TRUE(arena.built);
    EXPECT_EQ(appliedHomeTeam, 0);
    EXPECT_EQ(std::memcmp(&arena.hoopColor, &teams[0].primary, sizeof(Color)), 0);
    EXPECT_NE(arena.crowdMesh.texcoords2, nullptr);
    EXPECT_GT(arena.crowdMesh.vertexCount / 6, 3000) << "spectators";
    const std::vector<float> crowd = copyOf(arena.crowdMesh), stands = copyOf(arena.standsMesh);
    const std::time_t before = std::time(nullptr);
    applyHomeTeam(0);
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(copyOf(arena.crowdMesh) == crowd);
    EXPECT_TRUE(copyOf(arena.standsMesh) == stands);
    // The build then reseeds the generator from the clock.
    int next[4];
    for (int& v : next) v = programRand();
    bool clockSeeded = false;
    for (std::time_t t = before; t <= after; t++) {
        programSrand((uint32_t)t);
        bool same = true;
        for (int v : next) same = same && programRand() == v;
        clockSeeded = clockSeeded || same;
    }
    EXPECT_TRUE(clockSeeded);
}

TEST_F(MatchWorldGl, StartMatchRebuildsTheArenaOnlyForANewHomeTeam) {
    squadTeam = 0;
    squadOpponent = 1;
    const std::vector<float> stands = copyOf(arena.standsMesh);
    arena.courtStartZ = 123; // a build would set it back from the court texture
    startMatch();
    EXPECT_EQ(arena.courtStartZ, 123) << "same home team: no rebuild";
    arena.courtStartZ = kCourtStartZ;
    squadTeam = 2;
    startMatch();
    EXPECT_EQ(appliedHomeTeam, 2);
    EXPECT_EQ(std::memcmp(&arena.hoopColor, &teams[2].primary, sizeof(Color)), 0);
    EXPECT_FALSE(copyOf(arena.standsMesh) == stands) << "seats in the new colours";
    EXPECT_EQ(arena.courtStartZ, kCourtStartZ);
    squadTeam = 0;
    applyHomeTeam(0);
}

TEST_F(MatchWorldGl, HalfCourtFrameFromThePlayersEyes) {
    MatchState s;
    startFreshMatch(s, false, PI, kAfterFlyIn);
    ASSERT_LT(s.camera.position.z, 7.5f);
    Image scene = renderFrame(s, "match_half_court.png");
    // The lane in the home colour (96, 44, 212), the wood beside it.
    const Color lane = pixelOf(scene, onScreen(s, {0, 0, 3}));
    EXPECT_GT(lane.b, lane.g + 40) << "lane";
    const Color wood = pixelOf(scene, onScreen(s, {-4, 0, 3}));
    EXPECT_GT(wood.r, wood.b + 30) << "wood";
    EXPECT_GT(countAround(scene, onScreen(s, {0, 3.05f, 0.2286f}), 6, rimOrange), 3) << "rim";
    // The glass board's white top border.
    const Vector2 border = onScreen(s, {0, 3.945f, -0.378f});
    EXPECT_GT(countAround(scene, border, 3, [](Color c) { return c.r > 170 && c.g > 170 && c.b > 170; }), 5);
    UnloadImage(scene);
}

TEST_F(MatchWorldGl, FullCourtFrameAndTheFarHoopOnlyInFullCourt) {
    MatchState s;
    startFreshMatch(s, true, PI, kAfterFlyIn);
    UnloadImage(renderFrame(s, "match_full_court.png"));

    // Toward the far end: the far hoop and its shot clock only in full court.
    startFreshMatch(s, true, 0, kAfterFlyIn);
    Image full = renderFrame(s, "match_full_court_far_end.png");
    startFreshMatch(s, false, 0, kAfterFlyIn);
    Image half = renderFrame(s, "match_half_court_far_end.png");
    const Vector2 lo = onScreen(s, {1.2f, 4.2f, 25.866f}), hi = onScreen(s, {-1.2f, 1.0f, 25.866f});
    const Rectangle board = {lo.x, lo.y, hi.x - lo.x, hi.y - lo.y};
    ASSERT_GT(board.width, 20);
    ASSERT_GT(board.height, 20);
    EXPECT_GT(differingPixels(full, half, board), board.width * board.height / 10);
    const Vector2 digits = onScreen(s, {0, 4.14f, kFarHoopZ + 0.341f});
    EXPECT_GT(countAround(full, digits, 4, clockRed), 3) << "far shot clock";
    EXPECT_EQ(countAround(half, digits, 4, clockRed), 0) << "no far shot clock";
    UnloadImage(full);
    UnloadImage(half);
}

TEST_F(MatchWorldGl, OverviewOfTheWholeHallForTheReviewer) {
    MatchState s;
    startFreshMatch(s, false, PI, 0); // the start of the opening fly-in
    UnloadImage(renderFrame(s, "match_overview.png"));
}

TEST_F(MatchWorldGl, BannersHangOverTheNearStandInTheTeamsColours) {
    MatchState s;
    startFreshMatch(s, false, PI, kAfterFlyIn);
    s.camera = {{0, 5, 10}, {0, 13, -20}, {0, 1, 0}, 50, CAMERA_PERSPECTIVE};
    Image scene = renderFrame(s, "match_banners.png");
    const float z = arena.courtStartZ - 0.2f - 15.48f - 0.48f;
    // Banner k in roster colour k, the home team's first: purple, then teal.
    const Color home = pixelOf(scene, onScreen(s, {-9, 14.5f, z}));
    EXPECT_GT(home.b, home.g + 40) << "home banner";
    const Color second = pixelOf(scene, onScreen(s, {-3, 14.5f, z}));
    EXPECT_GT(second.g, second.r + 40) << "second banner";
    UnloadImage(scene);
}
