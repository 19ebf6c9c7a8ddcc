// The renderer on a real OpenGL 3.3 context (Mesa under Xvfb): uniforms, the
// post chain's grade and vignette, the mirrored reflection, the shadow map,
// render targets across quality switches, and one lit scene written as PNG.
#include <cmath>
#include <cstdio>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "render/renderer.h"
#include "tests/render/sample_lighting.h"
#include "tests/test_window.h"

namespace {

constexpr int kSmallQuality = 2; // 1280x720 scene target

class RendererGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow(1280, 720, "renderer test", 0);
        initRenderer(renderer);
    }
    static void TearDownTestSuite() { CloseWindow(); }
    void SetUp() override {
        setRenderQuality(renderer, kSmallQuality);
        renderer.worldTransform = MatrixIdentity();
        setCrowd(renderer, false, 0);
        setSpotLight(renderer, {0, 0, 0}, {0, -1, 0}, {0, 0, 0}, 10, 20);
    }
};

// Key light from above, no fills, no fog, no ambient.
SceneLighting plainLighting() {
    SceneLighting l;
    l.keyDir = {0.3f, 1.0f, 0.45f};
    l.keyCol = {1, 1, 1};
    for (int i = 0; i < 3; ++i) l.fillDir[i] = {0, 1, 0};
    l.fogDensity = 0;
    l.exposure = 1;
    return l;
}

Camera3D lookAt(Vector3 from, Vector3 to, float fovy) { return {from, to, {0, 1, 0}, fovy, CAMERA_PERSPECTIVE}; }

Color pixelAt(const Image& image, int x, int yFromTop) { return GetImageColor(image, x, image.height - 1 - yFromTop); }

Color scenePixel(Vector3 world, const Camera3D& camera) {
    const Vector2 p = GetWorldToScreenEx(world, camera, renderer.sceneWidth, renderer.sceneHeight);
    Image image = LoadImageFromTexture(renderer.sceneTarget.texture);
    const Color c = pixelAt(image, (int)p.x, (int)p.y);
    UnloadImage(image);
    return c;
}

int brightness(Color c) { return c.r + c.g + c.b; }

Matrix boxAt(Vector3 centre, float size) {
    return MatrixMultiply(MatrixScale(size, size, size), MatrixTranslate(centre.x, centre.y, centre.z));
}

// The post grade for one pixel of a uniform scene (which blurs to itself, so
// bloom is c times k).
Vector3 expectedPost(Vector3 c, Vector2 uv, float vignette, float saturation) {
    const float peak = std::fmax(c.x, std::fmax(c.y, c.z));
    const float t = std::fmin(std::fmax((peak - 0.72f) / 0.3f, 0.0f), 1.0f);
    c = Vector3Add(c, Vector3Scale(c, t * t * (3 - 2 * t) * 0.6f));
    const float l = c.x * 0.299f + c.y * 0.587f + c.z * 0.114f;
    c = Vector3Lerp({l, l, l}, c, saturation);
    c = Vector3AddValue(Vector3Scale(Vector3SubtractValue(c, 0.5f), 1.08f), 0.5f);
    const float g0 = std::fmin(std::fmax((l - 0.2f) / 0.6f, 0.0f), 1.0f);
    c = Vector3Lerp(Vector3Multiply(c, {0.97f, 0.99f, 1.04f}), Vector3Multiply(c, {1.04f, 1.01f, 0.95f}),
                    g0 * g0 * (3 - 2 * g0));
    const Vector2 d = {uv.x - 0.5f, uv.y - 0.5f};
    return Vector3Clamp(Vector3Scale(c, 1 - (d.x * d.x + d.y * d.y) * 0.7f * vignette), {0, 0, 0}, {1, 1, 1});
}

TEST_F(RendererGl, EveryUniformTheShadersUseHasALocation) {
    for (const Shader& s : renderer.shaders) {
        EXPECT_NE(s.id, 0u);
        EXPECT_NE(s.id, rlGetShaderIdDefault()) << "a shader failed to compile";
    }
    for (int i = 0; i < UNIFORM_SLOT_COUNT; ++i) {
        if (i == U_POST_TIME || i == U_POST_RES) continue; // unused, dropped by the compiler
        EXPECT_GE(renderer.uniformLocs[i], 0) << "uniform slot " << i;
    }
}

// Grey scenes at two settings (centre and corners), and a bright colour whose
// bloom and saturation show at the centre.
TEST_F(RendererGl, PostGradesVignettesAndBlooms) {
    struct Case {
        Color fill;
        float vignette, saturation;
        int tolerance;
        bool corners;
    };
    for (const Case& k : {Case{{128, 128, 128, 255}, 1.0f, 0.95f, 2, true},
                          Case{{128, 128, 128, 255}, 1.5f, 0.45f, 2, true},
                          Case{{200, 120, 60, 255}, 1.0f, 0.95f, 3, false}}) {
        BeginTextureMode(renderer.sceneTarget);
        ClearBackground(k.fill);
        EndTextureMode();
        renderPost(renderer, k.vignette, k.saturation);
        endUi(renderer);
        Image ui = LoadImageFromTexture(renderer.uiTarget.texture);
        const Vector3 c = {k.fill.r / 255.0f, k.fill.g / 255.0f, k.fill.b / 255.0f};
        for (const auto& [x, y] : {std::pair{960, 540}, std::pair{0, 0}, std::pair{1919, 1079}}) {
            if (!k.corners && x != 960) continue;
            const Color got = pixelAt(ui, x, y);
            const Vector3 want = expectedPost(c, {(x + 0.5f) / 1920, (y + 0.5f) / 1080}, k.vignette, k.saturation);
            EXPECT_NEAR(got.r, want.x * 255, k.tolerance) << x << "," << y;
            EXPECT_NEAR(got.g, want.y * 255, k.tolerance) << x << "," << y;
            EXPECT_NEAR(got.b, want.z * 255, k.tolerance) << x << "," << y;
        }
        UnloadImage(ui);
    }
}

TEST_F(RendererGl, ReflectionPassMirrorsBelowTheFloor) {
    Mesh cube = GenMeshCube(1, 1, 1);
    setLights(renderer, plainLighting());
    const Camera3D camera = lookAt({0, 3, 8}, {0, -0.3f, 0}, 45);
    MaterialParams glow;
    glow.matB = {0, 1.0f, 0, 1}; // emissive
    beginScenePass(renderer, camera, {0, 0, 0, 255});
    beginReflectionPass(renderer);
    EXPECT_EQ(renderer.pass, PASS_REFLECTION);
    drawMeshLit(renderer, cube, boxAt({0, 1, 0}, 0.6f), WHITE, glow, Texture2D{});
    endReflectionPass(renderer);
    EXPECT_EQ(renderer.pass, PASS_SCENE);
    endScenePass(renderer);
    EXPECT_GT(brightness(scenePixel({0, -1, 0}, camera)), 150) << "the mirror image below the floor";
    EXPECT_EQ(brightness(scenePixel({0, 1, 0}, camera)), 0) << "nothing where the object itself stands";

    // The mirror image keeps the object's own lighting: with the key light in
    // front and above, the mirrored front is lit and the mirrored underside dark.
    SceneLighting light = plainLighting();
    light.keyDir = {0, 0.6f, 1};
    setLights(renderer, light);
    const Camera3D low = lookAt({0, 2.5f, 6}, {0, -0.8f, 0}, 45);
    beginScenePass(renderer, low, {0, 0, 0, 255});
    beginReflectionPass(renderer);
    drawMeshLit(renderer, cube, boxAt({0, 1, 0}, 0.8f), WHITE, MaterialParams{}, Texture2D{});
    endReflectionPass(renderer);
    endScenePass(renderer);
    EXPECT_GT(brightness(scenePixel({0, -1.0f, 0.4f}, low)), 100) << "mirrored front face";
    EXPECT_LT(brightness(scenePixel({0, -0.6f, 0.1f}, low)), 10) << "mirrored bottom face";
    UnloadMesh(cube);
}

// A caster drawn in the shadow pass only darkens the floor at its shadow
// point; the open floor stays evenly lit (no self-shadowing acne).
TEST_F(RendererGl, CastersDarkenTheFloorBelowThem) {
    Mesh cube = GenMeshCube(1, 1, 1);
    Mesh floor = GenMeshPlane(30, 30, 1, 1);
    const SceneLighting light = plainLighting();
    setLights(renderer, light);
    const Vector3 dir = Vector3Normalize(light.keyDir);
    const Camera3D camera = lookAt({0, 14, 12}, {0, 0, 0}, 50);
    const Vector3 open[4] = {{3, 0, 3}, {-3, 0, 4}, {2, 0, -2}, {4, 0, 1}};
    for (const auto& [height, size] : {std::pair{6.0f, 1.5f}, std::pair{0.5f, 0.3f}}) {
        const Vector3 caster = {0, height, 0};
        beginShadowPass(renderer, {0, 0, 0}, light.keyDir, 24);
        EXPECT_EQ(renderer.pass, PASS_SHADOW);
        drawMeshLit(renderer, cube, boxAt(caster, size), WHITE, MaterialParams{}, Texture2D{});
        endShadowPass(renderer);
        beginScenePass(renderer, camera, {0, 0, 0, 255});
        drawMeshLit(renderer, floor, MatrixIdentity(), WHITE, MaterialParams{}, Texture2D{});
        endScenePass(renderer);
        const int lit = brightness(scenePixel(open[0], camera));
        EXPECT_GT(lit, 300) << height;
        EXPECT_LT(brightness(scenePixel(Vector3Subtract(caster, Vector3Scale(dir, height / dir.y)), camera)), lit / 4)
            << "caster at " << height;
        for (int i = 1; i < 4; ++i) EXPECT_NEAR(brightness(scenePixel(open[i], camera)), lit, 3) << i;
    }
    UnloadMesh(cube);
    UnloadMesh(floor);
}

int liveGlObjects() { // textures, framebuffers and renderbuffers below a bound
    using IsFn = unsigned char (*)(unsigned int);
    static const auto isTexture = (IsFn)glfwGetProcAddress("glIsTexture");
    static const auto isFramebuffer = (IsFn)glfwGetProcAddress("glIsFramebuffer");
    static const auto isRenderbuffer = (IsFn)glfwGetProcAddress("glIsRenderbuffer");
    int n = 0;
    for (unsigned int id = 1; id < 4096; ++id) n += isTexture(id) + isFramebuffer(id) + isRenderbuffer(id);
    return n;
}

TEST_F(RendererGl, SwitchingQualityManyTimesLeaksNoTargets) {
    const unsigned int id = renderer.sceneTarget.id;
    setRenderQuality(renderer, kSmallQuality);
    EXPECT_EQ(renderer.sceneTarget.id, id) << "the same quality again must not recreate the target";
    const int before = liveGlObjects();
    for (int i = 0; i < 60; ++i) {
        const int q = i % 4 == 3 ? 9 : i % 3;
        setRenderQuality(renderer, q);
        const SceneSize size = sceneSizeForQuality(q);
        ASSERT_EQ(renderer.sceneTarget.texture.width, size.width);
        ASSERT_EQ(renderer.sceneTarget.texture.height, size.height);
        ASSERT_EQ(renderer.sceneWidth, size.width);
        ASSERT_TRUE(IsRenderTextureValid(renderer.sceneTarget));
    }
    setRenderQuality(renderer, kSmallQuality);
    EXPECT_EQ(liveGlObjects(), before);
    EXPECT_EQ(renderer.uiTarget.texture.width, kUiTargetWidth);
    EXPECT_EQ(renderer.bloomA.texture.width, kBloomWidth);
}

TEST_F(RendererGl, LitSceneThroughTheWholeChain) {
    setRenderQuality(renderer, 1);
    Mesh floor = GenMeshPlane(16, 16, 1, 1), cube = GenMeshCube(1, 1, 1), sphere = GenMeshSphere(0.5f, 24, 24);
    Image checkerImage = GenImageChecked(256, 256, 32, 32, {150, 95, 55, 255}, {175, 120, 70, 255});
    Texture2D checker = LoadTextureFromImage(checkerImage);
    UnloadImage(checkerImage);
    const SceneLighting light = sampleLighting();
    setLights(renderer, light);
    setShaderTime(renderer, 1.0f);
    setSpotLight(renderer, {-3, 5, 2}, {0.4f, -1, -0.2f}, {3, 2.4f, 1.6f}, 12, 25);
    MaterialParams shiny, skin, glow, floorMat;
    skin.matA = {0.2f, 12, 0.2f, 0.5f};
    shiny.matA = {0.8f, 48, 0.4f, 0};
    shiny.matB = {0.3f, 0, 0, 1};
    glow.matB = {0, 1.2f, 0, 1};
    floorMat.matA = {0.45f, 110, 0, 0};
    floorMat.matB = {0.03f, 0, 0, 0.82f};
    auto objects = [&] {
        drawMeshLit(renderer, cube, boxAt({-1.5f, 0.5f, 0}, 1), {200, 40, 40, 255}, shiny, Texture2D{});
        drawMeshLit(renderer, sphere, MatrixTranslate(1.2f, 0.8f, 0.5f), {230, 180, 140, 255}, skin, Texture2D{});
        drawMeshLit(renderer, sphere, boxAt({0, 2.2f, -1.5f}, 0.6f), {255, 200, 90, 255}, glow, Texture2D{});
    };
    beginShadowPass(renderer, {0, 0, 0}, light.keyDir, 24);
    objects();
    endShadowPass(renderer);
    beginScenePass(renderer, lookAt({0, 3.2f, 7}, {0, 0.8f, 0}, 50), {8, 8, 10, 255}, [](float w, float h) {
        DrawRectangleGradientV(0, 0, (int)w, (int)h, {20, 24, 40, 255}, {8, 8, 10, 255});
    });
    beginReflectionPass(renderer);
    objects();
    endReflectionPass(renderer);
    drawMeshLit(renderer, floor, MatrixIdentity(), WHITE, floorMat, checker);
    objects();
    endScenePass(renderer);
    renderPost(renderer, 1.0f, 0.95f);
    beginChromeText(renderer, 600, 60, 0);
    DrawText("CHROME", 40, 600, 60, WHITE);
    endChromeText(renderer);
    endUi(renderer);
    presentFrame(renderer);

    Image ui = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&ui);
    const std::string path = std::string(KORVALO_TEST_OUTPUT_DIR) + "/render_lit_scene.png";
    EXPECT_TRUE(ExportImage(ui, path.c_str()));
    std::printf("lit scene written to %s\n", path.c_str());
    int lo = 765, hi = 0; // not a flat picture
    for (int y = 0; y < ui.height; y += 16)
        for (int x = 0; x < ui.width; x += 16) {
            lo = std::min(lo, brightness(GetImageColor(ui, x, y)));
            hi = std::max(hi, brightness(GetImageColor(ui, x, y)));
        }
    EXPECT_GT(hi - lo, 300);
    UnloadImage(ui);
    UnloadTexture(checker);
    for (Mesh* m : {&floor, &cube, &sphere}) UnloadMesh(*m);
}

} // namespace
