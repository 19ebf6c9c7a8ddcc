// Renderer set-up: shaders, uniform locations, the shadow framebuffer, the
// fixed targets, the quality-dependent scene target, and the uniform setters
// for lights, time, the spot light and the crowd.
#include "render/renderer.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>

#include "app/settings.h"
#include "render/image_paint.h"
#include "render/shader_sources.h"

Renderer renderer;

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr int kDepthFormat = 19; // what raylib records for a depth attachment

struct UniformName {
    int shader;
    const char* name;
};

// In UniformSlot order.
constexpr UniformName kUniformNames[UNIFORM_SLOT_COUNT] = {
    {kLitShader, "viewPos"},        {kLitShader, "keyDir"},         {kLitShader, "keyCol"},
    {kLitShader, "fillDir"},        {kLitShader, "fillCol"},        {kLitShader, "skyCol"},
    {kLitShader, "groundCol"},      {kLitShader, "fogCol"},         {kLitShader, "fogDensity"},
    {kLitShader, "matA"},           {kLitShader, "matB"},           {kLitShader, "useShadow"},
    {kLitShader, "reflectPass"},    {kLitShader, "shadowTexel"},    {kLitShader, "exposure"},
    {kLitShader, "lightVP"},        {kLitShader, "shadowMap"},      {kLitShader, "time"},
    {kLitShader, "crowdMode"},      {kLitShader, "crowdHype"},      {kLitShader, "spotPos"},
    {kLitShader, "spotDir"},        {kLitShader, "spotCol"},        {kLitShader, "spotCone"},
    {kLitShader, "crowdCut"},       {kBrightShader, "texel"},       {kBrightShader, "threshold"},
    {kBlurShader, "dir"},           {kPostShader, "bloomTex"},      {kPostShader, "bloomStrength"},
    {kPostShader, "time"},          {kPostShader, "res"},           {kPostShader, "vignette"},
    {kPostShader, "saturation"},    {kChromeShader, "y0"},          {kChromeShader, "h"},
    {kChromeShader, "time"},        {kChromeShader, "style"},
};

Shader& lit(Renderer& r) { return r.shaders[kLitShader]; }

void setLitInt(Renderer& r, UniformSlot slot, int value) {
    SetShaderValue(lit(r), r.uniformLocs[slot], &value, SHADER_UNIFORM_INT);
}

void setLitFloat(Renderer& r, UniformSlot slot, float value) {
    SetShaderValue(lit(r), r.uniformLocs[slot], &value, SHADER_UNIFORM_FLOAT);
}

void setLitVec3(Renderer& r, UniformSlot slot, Vector3 value) {
    SetShaderValue(lit(r), r.uniformLocs[slot], &value, SHADER_UNIFORM_VEC3);
}

// A zero direction is uploaded as it is rather than turned into NaNs.
Vector3 normalisedOrZero(Vector3 v) {
    return Vector3Length(v) > 0 ? Vector3Normalize(v) : v;
}

void createShadowFramebuffer(Renderer& r) {
    const int side = r.shadowMapSize;
    RenderTexture2D& t = r.shadowTarget;
    t.id = rlLoadFramebuffer();
    rlEnableFramebuffer(t.id);
    t.texture = {rlLoadTexture(nullptr, side, side, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8, 1), side, side, 1,
                 PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
    rlFramebufferAttach(t.id, t.texture.id, RL_ATTACHMENT_COLOR_CHANNEL0, RL_ATTACHMENT_TEXTURE2D, 0);
    t.depth = {rlLoadTextureDepth(side, side, false), side, side, 1, kDepthFormat};
    rlFramebufferAttach(t.id, t.depth.id, RL_ATTACHMENT_DEPTH, RL_ATTACHMENT_TEXTURE2D, 0);
    if (!rlFramebufferComplete(t.id)) TraceLog(LOG_WARNING, "Shadow framebuffer incomplete");
    rlDisableFramebuffer();
    r.shadowDepthTexture = t.depth.id;
}

RenderTexture2D loadFilteredTarget(int width, int height) {
    RenderTexture2D target = LoadRenderTexture(width, height);
    SetTextureFilter(target.texture, TEXTURE_FILTER_BILINEAR);
    return target;
}

} // namespace

SceneSize sceneSizeForQuality(int quality) {
    if (quality == 0) return {2560, 1440};
    if (quality == 1) return {1920, 1080};
    return {1280, 720};
}

void initRenderer(Renderer& r) {
    r.shaders[kLitShader] = LoadShaderFromMemory(kLitVertexSource, kLitFragmentSource);
    r.shaders[kDepthShader] = LoadShaderFromMemory(kDepthVertexSource, kDepthFragmentSource);
    r.shaders[kBrightShader] = LoadShaderFromMemory(nullptr, kBrightFragmentSource);
    r.shaders[kBlurShader] = LoadShaderFromMemory(nullptr, kBlurFragmentSource);
    r.shaders[kPostShader] = LoadShaderFromMemory(nullptr, kPostFragmentSource);
    r.shaders[kChromeShader] = LoadShaderFromMemory(nullptr, kChromeFragmentSource);

    for (int i = 0; i < UNIFORM_SLOT_COUNT; ++i)
        r.uniformLocs[i] = GetShaderLocation(r.shaders[kUniformNames[i].shader], kUniformNames[i].name);

    setLitInt(r, U_SHADOW_MAP, kShadowTextureUnit);
    setLitFloat(r, U_SHADOW_TEXEL, 1.0f / (float)r.shadowMapSize);
    setLitInt(r, U_CROWD_MODE, 0);
    setLitInt(r, U_REFLECT_PASS, 0);

    r.whiteTexture = makeWhiteTexture();
    r.material = LoadMaterialDefault();

    createShadowFramebuffer(r);

    r.uiTarget = loadFilteredTarget(kUiTargetWidth, kUiTargetHeight);
    r.bloomA = loadFilteredTarget(kBloomWidth, kBloomHeight);
    r.bloomB = loadFilteredTarget(kBloomWidth, kBloomHeight);

    setRenderQuality(r, settings.graphics);
}

void setRenderQuality(Renderer& r, int quality) {
    if (quality == r.quality) return;
    r.quality = quality;
    if (r.sceneTarget.id != 0) UnloadRenderTexture(r.sceneTarget);
    const SceneSize size = sceneSizeForQuality(quality);
    r.sceneWidth = size.width;
    r.sceneHeight = size.height;
    r.sceneTarget = loadFilteredTarget(size.width, size.height);
}

void unloadRenderer(Renderer& r) {
    for (Shader& s : r.shaders) {
        UnloadShader(s);
        s = Shader{};
    }
    for (RenderTexture2D* t : {&r.sceneTarget, &r.uiTarget, &r.bloomA, &r.bloomB}) {
        UnloadRenderTexture(*t);
        *t = RenderTexture2D{};
    }
    r.quality = -1;
}

void setLights(Renderer& r, const SceneLighting& l) {
    setLitVec3(r, U_KEY_DIR, normalisedOrZero(l.keyDir));
    setLitVec3(r, U_KEY_COL, l.keyCol);
    Vector3 fills[3];
    for (int i = 0; i < 3; ++i) fills[i] = normalisedOrZero(l.fillDir[i]);
    SetShaderValueV(lit(r), r.uniformLocs[U_FILL_DIR], fills, SHADER_UNIFORM_VEC3, 3);
    SetShaderValueV(lit(r), r.uniformLocs[U_FILL_COL], l.fillCol, SHADER_UNIFORM_VEC3, 3);
    setLitVec3(r, U_SKY_COL, l.skyCol);
    setLitVec3(r, U_GROUND_COL, l.groundCol);
    setLitVec3(r, U_FOG_COL, l.fogCol);
    setLitFloat(r, U_FOG_DENSITY, l.fogDensity);
    setLitFloat(r, U_EXPOSURE, l.exposure);
}

void setShaderTime(Renderer& r, float time) { setLitFloat(r, U_TIME, time); }

void setSpotLight(Renderer& r, Vector3 position, Vector3 direction, Vector3 colour, float innerDegrees,
                  float outerDegrees) {
    setLitVec3(r, U_SPOT_POS, position);
    setLitVec3(r, U_SPOT_DIR, direction);
    setLitVec3(r, U_SPOT_COL, colour);
    const Vector2 cone = {std::cos(innerDegrees * kDegreesToRadians), std::cos(outerDegrees * kDegreesToRadians)};
    SetShaderValue(lit(r), r.uniformLocs[U_SPOT_CONE], &cone, SHADER_UNIFORM_VEC2);
}

void setCrowd(Renderer& r, bool on, float hype) {
    setLitInt(r, U_CROWD_MODE, on ? 1 : 0);
    setLitInt(r, U_CROWD_CUT, on ? 1 : 0);
    setLitFloat(r, U_CROWD_HYPE, hype);
}
