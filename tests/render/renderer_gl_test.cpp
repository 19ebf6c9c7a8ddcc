// The renderer on a real OpenGL 3.3 context (Mesa under Xvfb): shader
// uniforms, the post chain's grade and vignette, the mirrored reflection, the
// shadow map, render-target lifetime across quality switches, and one lit
// scene through the whole chain written as PNG for a reviewer.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "render/renderer.h"
#include "tests/render/sample_lighting.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kSmallQuality = 2; // 1280x720 scene target

class RendererGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetTraceLogLevel(LOG_WARNING);
        InitWindow(kWindowWidth, kWindowHeight, "renderer test");
        ASSERT_TRUE(IsWindowReady());
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

// A plain rig: key light from above, no fills, no fog, no ambient.
SceneLighting plainLighting() {
    SceneLighting l;
    l.keyDir = {0.3f, 1.0f, 0.45f};
    l.keyCol = {1, 1, 1};
    for (int i = 0; i < 3; ++i) l.fillDir[i] = {0, 1, 0};
    l.fogDensity = 0;
    l.exposure = 1;
    return l;
}

Camera3D lookAt(Vector3 from, Vector3 to, float fovy) {
    Camera3D c = {};
    c.position = from;
    c.target = to;
    c.up = {0, 1, 0};
    c.fovy = fovy;
    c.projection = CAMERA_PERSPECTIVE;
    return c;
}

// Pixel (x, y) with y counted from the top of the rendered picture.
Color pixelAt(const Image& image, int x, int yFromTop) {
    return GetImageColor(image, x, image.height - 1 - yFromTop);
}

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

// The grade of the post stage, worked in floats for one pixel of a uniform
// scene (a uniform picture blurs to itself, so bloom is c times k).
Vector3 expectedPost(Vector3 c, Vector2 uv, float vignette, float saturation) {
    const float peak = std::fmax(c.x, std::fmax(c.y, c.z));
    const float t = std::fmin(std::fmax((peak - 0.72f) / 0.3f, 0.0f), 1.0f);
    const float k = t * t * (3 - 2 * t);
    c = Vector3Add(c, Vector3Scale(c, k * 0.6f));
    const float l = c.x * 0.299f + c.y * 0.587f + c.z * 0.114f;
    c = Vector3Lerp({l, l, l}, c, saturation);
    c = Vector3AddValue(Vector3Scale(Vector3SubtractValue(c, 0.5f), 1.08f), 0.5f);
    const float g0 = std::fmin(std::fmax((l - 0.2f) / 0.6f, 0.0f), 1.0f);
    const float g = g0 * g0 * (3 - 2 * g0);
    const Vector3 cool = Vector3Multiply(c, {0.97f, 0.99f, 1.04f});
    const Vector3 warm = Vector3Multiply(c, {1.04f, 1.01f, 0.95f});
    c = Vector3Lerp(cool, warm, g);
    const Vector2 d = {uv.x - 0.5f, uv.y - 0.5f};
    return Vector3Scale(c, 1 - (d.x * d.x + d.y * d.y) * 0.7f * vignette);
}

void expectColourNear(Color got, Vector3 want, int tolerance, const char* where) {
    want = Vector3Clamp(want, {0, 0, 0}, {1, 1, 1}); // an 8-bit target saturates
    EXPECT_NEAR(got.r, want.x * 255, tolerance) << where;
    EXPECT_NEAR(got.g, want.y * 255, tolerance) << where;
    EXPECT_NEAR(got.b, want.z * 255, tolerance) << where;
}

void fillScene(Color colour) {
    BeginTextureMode(renderer.sceneTarget);
    ClearBackground(colour);
    EndTextureMode();
}

TEST_F(RendererGl, EveryUniformTheShadersUseHasALocation) {
    for (const Shader& s : renderer.shaders) {
        EXPECT_NE(s.id, 0u);
        EXPECT_NE(s.id, rlGetShaderIdDefault()) << "a shader failed to compile and fell back to the default";
    }
    for (int i = 0; i < UNIFORM_SLOT_COUNT; ++i) {
        // The post stage's time and res are uploaded but not used; the GLSL
        // compiler drops them, which leaves their setters harmless no-ops.
        if (i == U_POST_TIME || i == U_POST_RES) continue;
        EXPECT_GE(renderer.uniformLocs[i], 0) << "uniform slot " << i;
    }
}

TEST_F(RendererGl, PostGradesAndVignettesAGreyScene) {
    for (const auto& [vignette, saturation] : {std::pair{1.0f, 0.95f}, std::pair{1.5f, 0.45f}}) {
        fillScene({128, 128, 128, 255});
        renderPost(renderer, vignette, saturation);
        endUi(renderer);
        Image ui = LoadImageFromTexture(renderer.uiTarget.texture);
        const Vector3 grey = {128 / 255.0f, 128 / 255.0f, 128 / 255.0f};
        expectColourNear(pixelAt(ui, 960, 540), expectedPost(grey, {960.5f / 1920, 540.5f / 1080}, vignette, saturation),
                         2, "centre");
        expectColourNear(pixelAt(ui, 0, 0), expectedPost(grey, {0.5f / 1920, 0.5f / 1080}, vignette, saturation), 2,
                         "top-left corner");
        expectColourNear(pixelAt(ui, 1919, 1079),
                         expectedPost(grey, {1919.5f / 1920, 1079.5f / 1080}, vignette, saturation), 2,
                         "bottom-right corner");
        UnloadImage(ui);
    }
}

TEST_F(RendererGl, PostAddsBloomAndSaturationToABrightColour) {
    fillScene({200, 120, 60, 255});
    renderPost(renderer, 1.0f, 0.95f);
    endUi(renderer);
    Image ui = LoadImageFromTexture(renderer.uiTarget.texture);
    const Vector3 c = {200 / 255.0f, 120 / 255.0f, 60 / 255.0f};
    expectColourNear(pixelAt(ui, 960, 540), expectedPost(c, {960.5f / 1920, 540.5f / 1080}, 1.0f, 0.95f), 3,
                     "centre");
    UnloadImage(ui);
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
    UnloadMesh(cube);
}

// A mirror image shows the object as it is lit: with the key light in front
// of the object and above it, the mirrored front face is lit and the mirrored
// underside (what the camera sees on top of the mirror image) is dark.
TEST_F(RendererGl, MirrorImageKeepsTheObjectsOwnLighting) {
    Mesh cube = GenMeshCube(1, 1, 1);
    SceneLighting light = plainLighting();
    light.keyDir = {0, 0.6f, 1}; // toward the camera's side, from above
    setLights(renderer, light);
    const Camera3D camera = lookAt({0, 2.5f, 6}, {0, -0.8f, 0}, 45);

    beginScenePass(renderer, camera, {0, 0, 0, 255});
    beginReflectionPass(renderer);
    drawMeshLit(renderer, cube, boxAt({0, 1, 0}, 0.8f), WHITE, MaterialParams{}, Texture2D{});
    endReflectionPass(renderer);
    endScenePass(renderer);

    const int front = brightness(scenePixel({0, -1.0f, 0.4f}, camera));   // mirrored +z face
    const int underside = brightness(scenePixel({0, -0.6f, 0.1f}, camera)); // mirrored bottom face
    EXPECT_GT(front, 100);
    EXPECT_LT(underside, 10);
    UnloadMesh(cube);
}

struct FloorSamples {
    int inShadow = 0;
    int open[4] = {};
};

// Floor brightness at the shadow point of a caster at the given height, and
// at four open spots; the caster is drawn in the shadow pass only.
FloorSamples floorUnderCaster(float height, float size) {
    Mesh cube = GenMeshCube(1, 1, 1);
    Mesh floor = GenMeshPlane(30, 30, 1, 1);
    const SceneLighting light = plainLighting();
    setLights(renderer, light);
    const Vector3 caster = {0, height, 0};
    const Vector3 dir = Vector3Normalize(light.keyDir);
    const Vector3 shadowed = Vector3Subtract(caster, Vector3Scale(dir, caster.y / dir.y));
    const Vector3 open[4] = {{3, 0, 3}, {-3, 0, 4}, {2, 0, -2}, {4, 0, 1}};
    const Camera3D camera = lookAt({0, 14, 12}, {0, 0, 0}, 50);

    beginShadowPass(renderer, {0, 0, 0}, light.keyDir, 24);
    EXPECT_EQ(renderer.pass, PASS_SHADOW);
    drawMeshLit(renderer, cube, boxAt(caster, size), WHITE, MaterialParams{}, Texture2D{});
    endShadowPass(renderer);
    EXPECT_EQ(renderer.pass, PASS_SCENE);
    beginScenePass(renderer, camera, {0, 0, 0, 255});
    drawMeshLit(renderer, floor, MatrixIdentity(), WHITE, MaterialParams{}, Texture2D{});
    endScenePass(renderer);
    UnloadMesh(cube);
    UnloadMesh(floor);
    FloorSamples out;
    out.inShadow = brightness(scenePixel(shadowed, camera));
    for (int i = 0; i < 4; ++i) out.open[i] = brightness(scenePixel(open[i], camera));
    return out;
}

TEST_F(RendererGl, HighCasterDarkensTheFloorBelowIt) {
    const FloorSamples f = floorUnderCaster(6, 1.5f);
    EXPECT_GT(f.open[0], 300);
    EXPECT_LT(f.inShadow, f.open[0] / 4);
}

TEST_F(RendererGl, LowCasterShadowsTooWithoutAcneOnTheOpenFloor) {
    const FloorSamples f = floorUnderCaster(0.5f, 0.3f);
    EXPECT_LT(f.inShadow, f.open[0] / 4);
    // The open floor is lit evenly: a floor shadowing itself would be speckled.
    for (int i = 1; i < 4; ++i) EXPECT_NEAR(f.open[i], f.open[0], 3) << i;
}

// Live GL object names below a bound: textures, framebuffers, renderbuffers.
int liveGlObjects() {
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

// A small lit scene through every pass, saved for a reviewer to look at.
TEST_F(RendererGl, LitSceneThroughTheWholeChain) {
    setRenderQuality(renderer, 1);
    Mesh floor = GenMeshPlane(16, 16, 1, 1);
    Mesh cube = GenMeshCube(1, 1, 1);
    Mesh sphere = GenMeshSphere(0.5f, 24, 24);
    Image checkerImage = GenImageChecked(256, 256, 32, 32, {150, 95, 55, 255}, {175, 120, 70, 255});
    Texture2D checker = LoadTextureFromImage(checkerImage);
    UnloadImage(checkerImage);

    const SceneLighting light = sampleLighting();
    setLights(renderer, light);
    setShaderTime(renderer, 1.0f);
    setSpotLight(renderer, {-3, 5, 2}, {0.4f, -1, -0.2f}, {3, 2.4f, 1.6f}, 12, 25);

    MaterialParams shiny;
    shiny.matA = {0.8f, 48, 0.4f, 0};
    shiny.matB = {0.3f, 0, 0, 1};
    MaterialParams skin;
    skin.matA = {0.2f, 12, 0.2f, 0.5f};
    MaterialParams glow;
    glow.matB = {0, 1.2f, 0, 1};
    MaterialParams floorMat;
    floorMat.matA = {0.45f, 110, 0, 0};
    floorMat.matB = {0.03f, 0, 0, 0.82f};

    auto objects = [&] {
        drawMeshLit(renderer, cube, boxAt({-1.5f, 0.5f, 0}, 1), {200, 40, 40, 255}, shiny, Texture2D{});
        drawMeshLit(renderer, sphere, MatrixTranslate(1.2f, 0.8f, 0.5f), {230, 180, 140, 255}, skin, Texture2D{});
        drawMeshLit(renderer, sphere, boxAt({0, 2.2f, -1.5f}, 0.6f), {255, 200, 90, 255}, glow, Texture2D{});
    };
    const Camera3D camera = lookAt({0, 3.2f, 7}, {0, 0.8f, 0}, 50);

    beginShadowPass(renderer, {0, 0, 0}, light.keyDir, 24);
    objects();
    endShadowPass(renderer);
    beginScenePass(renderer, camera, {8, 8, 10, 255}, [](float w, float h) {
        DrawRectangleGradientV(0, 0, (int)w, (int)h, {20, 24, 40, 255}, {8, 8, 10, 255});
    });
    beginReflectionPass(renderer);
    objects();
    endReflectionPass(renderer);
    drawMeshLit(renderer, floor, MatrixIdentity(), WHITE, floorMat, checker);
    objects();
    endScenePass(renderer);
    renderPost(renderer, 1.0f, 0.95f);
    DrawText("KORVALO RENDER TEST", 40, 40, 30, WHITE);
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

    // Not a flat picture: the floor, the objects and the dark corners differ.
    int lo = 765, hi = 0;
    for (int y = 0; y < ui.height; y += 16) {
        for (int x = 0; x < ui.width; x += 16) {
            const int b = brightness(GetImageColor(ui, x, y));
            lo = std::min(lo, b);
            hi = std::max(hi, b);
        }
    }
    EXPECT_GT(hi - lo, 300);
    UnloadImage(ui);
    UnloadTexture(checker);
    UnloadMesh(floor);
    UnloadMesh(cube);
    UnloadMesh(sphere);
}

} // namespace
