// The renderer: the program's six shaders, its render targets, the shadow
// framebuffer and the one material every lit mesh is drawn with, and the
// passes of a frame (shadow, scene with its mirrored floor reflection, bloom
// and grade, the 1280x720 UI canvas, the letterboxed present).
//
// One global instance, `renderer`, created by initRenderer once the window and
// its OpenGL 3.3 context exist. Every call runs on the main thread.
//
// A 3D frame: beginShadowPass .. casters .. endShadowPass; beginScenePass ..
// [beginReflectionPass .. mirrored objects .. endReflectionPass] .. objects ..
// endScenePass; renderPost; UI drawing in 1280x720 canvas units; endUi;
// presentFrame. A frame without 3D: beginUi .. UI .. endUi; presentFrame.
#pragma once
#include <cstdint>
#include <functional>
#include <raylib.h>

// Indices into Renderer::shaders.
constexpr int kLitShader = 0;
constexpr int kDepthShader = 1;
constexpr int kBrightShader = 2;
constexpr int kBlurShader = 3;
constexpr int kPostShader = 4;
constexpr int kChromeShader = 5;
constexpr int kShaderCount = 6;

// Uniform locations in Renderer::uniformLocs, in lookup order.
enum UniformSlot : int {
    // lit shader
    U_VIEW_POS, U_KEY_DIR, U_KEY_COL, U_FILL_DIR, U_FILL_COL, U_SKY_COL, U_GROUND_COL, U_FOG_COL,
    U_FOG_DENSITY, U_MAT_A, U_MAT_B, U_USE_SHADOW, U_REFLECT_PASS, U_SHADOW_TEXEL, U_EXPOSURE,
    U_LIGHT_VP, U_SHADOW_MAP, U_TIME, U_CROWD_MODE, U_CROWD_HYPE, U_SPOT_POS, U_SPOT_DIR,
    U_SPOT_COL, U_SPOT_CONE, U_CROWD_CUT,
    // bright pass
    U_BRIGHT_TEXEL, U_BRIGHT_THRESHOLD,
    // blur
    U_BLUR_DIR,
    // post
    U_POST_BLOOM_TEX, U_POST_BLOOM_STRENGTH, U_POST_TIME, U_POST_RES, U_POST_VIGNETTE,
    U_POST_SATURATION,
    // chrome text
    U_CHROME_Y0, U_CHROME_H, U_CHROME_TIME, U_CHROME_STYLE,
    UNIFORM_SLOT_COUNT,
};
static_assert(UNIFORM_SLOT_COUNT == 38);

enum RenderPass : int32_t {
    PASS_SHADOW = 0,
    PASS_REFLECTION = 1,
    PASS_SCENE = 2, // also idle
};

// The two four-float material words of every lit draw.
struct MaterialParams {
    Vector4 matA = {0, 16, 0, 0}; // spec, shininess, rim, wrap
    Vector4 matB = {0, 0, 0, 1};  // env, emissive, uvScroll, alpha
};

struct SceneLighting {
    Vector3 keyDir = {0, 1, 0}; // toward the key light
    Vector3 keyCol = {1, 1, 1}; // linear RGB, may exceed 1
    Vector3 fillDir[3] = {};
    Vector3 fillCol[3] = {};
    Vector3 skyCol = {0, 0, 0};
    Vector3 groundCol = {0, 0, 0};
    Vector3 fogCol = {0, 0, 0};
    float fogDensity = 0; // per metre
    float exposure = 1;
};

constexpr int kUiTargetWidth = 1920;
constexpr int kUiTargetHeight = 1080;
constexpr int kCanvasWidth = 1280;
constexpr int kCanvasHeight = 720;
constexpr float kCanvasScale = 1.5f; // canvas units to uiTarget pixels
constexpr int kBloomWidth = 480;
constexpr int kBloomHeight = 270;
constexpr int kShadowTextureUnit = 10;

struct Renderer {
    Shader shaders[kShaderCount] = {};
    int32_t sceneWidth = 1920, sceneHeight = 1080;
    RenderTexture2D sceneTarget = {};
    RenderTexture2D uiTarget = {};
    RenderTexture2D bloomA = {}, bloomB = {};
    RenderTexture2D shadowTarget = {}; // framebuffer, RGBA8 colour and depth texture
    uint32_t shadowDepthTexture = 0;    // sampled as shadowMap on texture unit 10
    int32_t shadowMapSize = 2048;
    Texture2D whiteTexture = {};
    Material material = {};
    int32_t pass = PASS_SCENE;
    Matrix lightViewProj = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Camera3D camera = {};
    int32_t quality = -1; // forces the first creation of sceneTarget
    float bloomStrength = 0.6f;
    Matrix worldTransform = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int32_t uniformLocs[UNIFORM_SLOT_COUNT] = {};
};

extern Renderer renderer;

// Scene target size of a graphics quality: 0 -> 2560x1440, 1 -> 1920x1080,
// anything else -> 1280x720.
struct SceneSize {
    int width, height;
};
SceneSize sceneSizeForQuality(int quality);

// Where the 1280x720 canvas lands in a window of the given size: the largest
// 16:9 rectangle that fits, centred, black bars around it.
Rectangle letterboxRect(int windowWidth, int windowHeight);

// Set-up and uniform setters.
void initRenderer(Renderer& r);
void setRenderQuality(Renderer& r, int quality);
void unloadRenderer(Renderer& r);
void setLights(Renderer& r, const SceneLighting& lighting);
void setShaderTime(Renderer& r, float time);
void setSpotLight(Renderer& r, Vector3 position, Vector3 direction, Vector3 colour, float innerDegrees,
                  float outerDegrees);
void setCrowd(Renderer& r, bool on, float hype);

// Passes.
using SceneBackground = std::function<void(float width, float height)>;
void beginShadowPass(Renderer& r, Vector3 centre, Vector3 lightDirection, float extent);
void endShadowPass(Renderer& r);
void beginScenePass(Renderer& r, Camera3D camera, Color clear, const SceneBackground& background = {});
void beginReflectionPass(Renderer& r);
void endReflectionPass(Renderer& r);
void endScenePass(Renderer& r);
void drawMeshLit(Renderer& r, const Mesh& mesh, Matrix transform, Color colour, const MaterialParams& params,
                 Texture2D texture);

// Post-processing, the UI canvas and the present.
void renderPost(Renderer& r, float vignette, float saturation);
void beginUi(Renderer& r, Color clear);
void endUi(Renderer& r);
void presentFrame(Renderer& r);
void beginChromeText(Renderer& r, float y0, float height, int style);
void endChromeText(Renderer& r);
void drawTextureFlipped(const RenderTexture2D& target, float sourceWidth, float sourceHeight, float destWidth,
                        float destHeight);
