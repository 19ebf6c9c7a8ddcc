// After the 3D passes: bloom (bright pass and a separable blur at 480x270),
// the colour grade and vignette into the fixed 1920x1080 uiTarget, the
// 1280x720 UI canvas on that target, the letterboxed present to the window,
// and the chrome title-text mode.
#include <algorithm>
#include <raylib.h>
#include <rlgl.h>

#include "app/anim_clock.h"
#include "render/renderer.h"

namespace {

constexpr float kBloomThreshold = 0.72f;
constexpr int kBlurIterations = 2;
constexpr Color kOpaqueBlack = {0, 0, 0, 255};

void setFloat(Renderer& r, int shader, UniformSlot slot, float value) {
    SetShaderValue(r.shaders[shader], r.uniformLocs[slot], &value, SHADER_UNIFORM_FLOAT);
}

void setVec2(Renderer& r, int shader, UniformSlot slot, Vector2 value) {
    SetShaderValue(r.shaders[shader], r.uniformLocs[slot], &value, SHADER_UNIFORM_VEC2);
}

void brightPass(Renderer& r) {
    BeginTextureMode(r.bloomA);
    ClearBackground(kOpaqueBlack);
    BeginShaderMode(r.shaders[kBrightShader]);
    const float sw = (float)r.sceneWidth, sh = (float)r.sceneHeight;
    // Half a bloom texel, in scene texture space: a 2x2 average per bloom pixel.
    const Vector2 texel = {1.0f / sw * (sw / kBloomWidth) * 0.5f, 1.0f / sh * (sh / kBloomHeight) * 0.5f};
    setVec2(r, kBrightShader, U_BRIGHT_TEXEL, texel);
    setFloat(r, kBrightShader, U_BRIGHT_THRESHOLD, kBloomThreshold);
    drawTextureFlipped(r.sceneTarget, sw, sh, kBloomWidth, kBloomHeight);
    EndShaderMode();
    EndTextureMode();
}

void blurInto(Renderer& r, const RenderTexture2D& from, const RenderTexture2D& to, Vector2 dir) {
    BeginTextureMode(to);
    BeginShaderMode(r.shaders[kBlurShader]);
    setVec2(r, kBlurShader, U_BLUR_DIR, dir);
    drawTextureFlipped(from, kBloomWidth, kBloomHeight, kBloomWidth, kBloomHeight);
    EndShaderMode();
    EndTextureMode();
}

void openCanvas() {
    rlPushMatrix();
    rlScalef(kCanvasScale, kCanvasScale, 1);
}

} // namespace

Rectangle letterboxRect(int windowWidth, int windowHeight) {
    const float w = (float)windowWidth, h = (float)windowHeight;
    const float s = std::min(h / kCanvasHeight, w / kCanvasWidth);
    return {(w - kCanvasWidth * s) / 2, (h - kCanvasHeight * s) / 2, kCanvasWidth * s, kCanvasHeight * s};
}

void drawTextureFlipped(const RenderTexture2D& target, float sourceWidth, float sourceHeight, float destWidth,
                        float destHeight) {
    // Render textures are stored bottom-up: a negative source height turns them upright.
    DrawTexturePro(target.texture, {0, 0, sourceWidth, -sourceHeight}, {0, 0, destWidth, destHeight}, {0, 0}, 0,
                   WHITE);
}

void renderPost(Renderer& r, float vignette, float saturation) {
    brightPass(r);
    for (int i = 0; i < kBlurIterations; ++i) {
        const float step = 1.0f + 1.5f * (float)i;
        blurInto(r, r.bloomA, r.bloomB, {step / kBloomWidth, 0});
        blurInto(r, r.bloomB, r.bloomA, {0, step / kBloomHeight});
    }

    BeginTextureMode(r.uiTarget);
    ClearBackground(kOpaqueBlack);
    Shader& post = r.shaders[kPostShader];
    BeginShaderMode(post);
    SetShaderValueTexture(post, r.uniformLocs[U_POST_BLOOM_TEX], r.bloomA.texture);
    setFloat(r, kPostShader, U_POST_BLOOM_STRENGTH, r.bloomStrength);
    setFloat(r, kPostShader, U_POST_TIME, animClock);
    setVec2(r, kPostShader, U_POST_RES, {(float)kUiTargetWidth, (float)kUiTargetHeight});
    setFloat(r, kPostShader, U_POST_VIGNETTE, vignette);
    setFloat(r, kPostShader, U_POST_SATURATION, saturation);
    DrawTexturePro(r.sceneTarget.texture, {0, 0, (float)r.sceneWidth, -(float)r.sceneHeight},
                   {0, 0, (float)kUiTargetWidth, (float)kUiTargetHeight}, {0, 0}, 0, WHITE);
    EndShaderMode();
    openCanvas(); // uiTarget stays bound for the UI; endUi closes both
}

void beginUi(Renderer& r, Color clear) {
    BeginTextureMode(r.uiTarget);
    ClearBackground(clear);
    openCanvas();
}

void endUi(Renderer& r) {
    rlDrawRenderBatchActive();
    rlPopMatrix();
    EndTextureMode();
}

void presentFrame(Renderer& r) {
    BeginDrawing();
    ClearBackground(kOpaqueBlack);
    const Rectangle dest = letterboxRect(GetScreenWidth(), GetScreenHeight());
    DrawTexturePro(r.uiTarget.texture, {0, 0, (float)kUiTargetWidth, -(float)kUiTargetHeight}, dest, {0, 0}, 0,
                   WHITE);
    EndDrawing();
}

void beginChromeText(Renderer& r, float y0, float height, int style) {
    BeginShaderMode(r.shaders[kChromeShader]);
    // The canvas y of the band's top as a bottom-up pixel row of the 1080-high target.
    setFloat(r, kChromeShader, U_CHROME_Y0, (kCanvasHeight - y0) * kCanvasScale);
    setFloat(r, kChromeShader, U_CHROME_H, height * kCanvasScale);
    setFloat(r, kChromeShader, U_CHROME_TIME, animClock);
    SetShaderValue(r.shaders[kChromeShader], r.uniformLocs[U_CHROME_STYLE], &style, SHADER_UNIFORM_INT);
}

void endChromeText(Renderer& r) { EndShaderMode(); }
