#include "ui/intro.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#include <raylib.h>
#include <rlgl.h>

#include "app/anim_clock.h"
#include "audio/audio.h"
#include "render/renderer.h"
#include "ui/fonts.h"
#include "ui/intro_logo.h"

namespace {

constexpr float kIntroLength = 5.0f;
constexpr float kHoldAt = 4.0f;

// The logo texture and where it lands on the canvas.
constexpr int kLogoTextureWidth = 3000, kLogoTextureHeight = 1140;
constexpr float kLogoScale = 4.5f;
constexpr Vector2 kLogoOffset = {299.3333f, 108.666664f};
constexpr Rectangle kLogoOnCanvas = {140, 92, 1000, 380};

constexpr Color kClearColour = {5, 6, 7, 255};
constexpr Vector2 kGlowCentre = {640, 322};
constexpr float kGlowRadius = 620.0f;
constexpr Color kGlowStart = {26, 32, 34, 255};
constexpr float kGlowShiftFrom = 1.95f, kGlowShiftTime = 0.9f;

// The maker word.
constexpr const char* kMakerWord = "TORVIK";
constexpr float kLetterSize = 92.0f, kLetterGap = 6.0f, kLetterTop = 468.0f;
constexpr float kLettersFrom = 2.35f, kLetterStagger = 0.055f, kLetterFadeIn = 0.12f;
constexpr float kPopSize = 0.35f, kPopDecay = 14.0f, kPopTime = 0.4f, kPopLift = 0.55f;
constexpr float kLetterHueStart = 158.0f, kLetterHueSpan = 118.0f, kLetterHueWobble = 22.0f;
constexpr Vector2 kShadowOffset = {4, 6};

// The caption line.
constexpr const char* kCaption = "LUMEDAN";
constexpr float kCaptionFrom = 2.9f, kCaptionFadeIn = 0.35f;
constexpr float kCaptionSize = 20.0f, kCaptionGap = 20.0f, kCaptionTop = 568.0f;
constexpr float kRuleY = 580.0f, kRuleLength = 120.0f, kRuleGap = 24.0f, kRuleAlpha = 0.7f;
constexpr Color kCaptionColour = {206, 212, 222, 255};

constexpr float kLoadingFrom = 3.95f;
constexpr Color kLoadingColour = {170, 175, 190, 255};

constexpr float kFadeInTime = 0.4f, kFadeOutFrom = 4.4f, kFadeOutTime = 0.5f;

// The cues: sound ids of the bank and the time of the second.
constexpr int kSwellSound = 17, kChirpSound = 18;
constexpr float kChirpAt = 1.5f;

struct IntroState {
    RenderTexture2D logo = {};
    bool logoCreated = false;
    std::vector<SpinePoint> spine;
    IntroCues cues;
};

IntroState intro;

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
unsigned char alphaByte(float a) { return (unsigned char)std::clamp(a * 255.0f, 0.0f, 255.0f); }
Color withAlpha(Color c, float a) { return {c.r, c.g, c.b, alphaByte(a)}; }

void playCues(float t) {
    const int due = introCuesDue(intro.cues, t);
    if (due & kIntroSwellCue) playSfx(kSwellSound, 1.0f, 1.0f, 0.5f);
    if (due & kIntroChirpCue) playSfx(kChirpSound, 1.0f, 1.0f, 0.5f);
}

void drawLogoTexture(float t) {
    if (!intro.logoCreated) {
        intro.logo = LoadRenderTexture(kLogoTextureWidth, kLogoTextureHeight);
        SetTextureFilter(intro.logo.texture, TEXTURE_FILTER_BILINEAR);
        intro.logoCreated = true;
    }
    if (intro.spine.empty()) intro.spine = buildLogoSpine();
    BeginTextureMode(intro.logo);
    ClearBackground(BLANK);
    // The texture keeps premultiplied colour, so the soft edges of the spark
    // and the filtered rim of the figure compose without dark fringes.
    rlSetBlendFactorsSeparate(RL_SRC_ALPHA, RL_ONE_MINUS_SRC_ALPHA, RL_ONE, RL_ONE_MINUS_SRC_ALPHA, RL_FUNC_ADD,
                              RL_FUNC_ADD);
    BeginBlendMode(BLEND_CUSTOM_SEPARATE);
    rlDisableBackfaceCulling();
    rlPushMatrix();
    rlScalef(kLogoScale, kLogoScale, 1);
    rlTranslatef(kLogoOffset.x, kLogoOffset.y, 0);
    beginLogoTriangles();
    drawLogo(intro.spine, t, animClock);
    endLogoTriangles();
    rlPopMatrix();
    rlDrawRenderBatchActive();
    rlEnableBackfaceCulling();
    EndBlendMode();
    EndTextureMode();
}

void drawGlow(float t) {
    const float k = clamp01((t - kGlowShiftFrom) / kGlowShiftTime);
    const Color tint = ColorFromHSV(120.0f + 22.0f * std::sin(0.7f * animClock), 0.5f, 0.2f);
    DrawCircleGradient(kGlowCentre, kGlowRadius, blendColour(kGlowStart, tint, k), kClearColour);
}

void drawMakerWord(float t) {
    const int n = (int)std::strlen(kMakerWord);
    float widths[16] = {};
    float total = kLetterGap * (float)(n - 1);
    char letter[2] = {0, 0};
    for (int i = 0; i < n; ++i) {
        letter[0] = kMakerWord[i];
        widths[i] = measureTitleText(letter, kLetterSize);
        total += widths[i];
    }
    float x = kCanvasWidth * 0.5f - total * 0.5f;
    for (int i = 0; i < n; ++i) {
        letter[0] = kMakerWord[i];
        const IntroLetter l = introLetter(i, n, t, animClock);
        if (l.shown) {
            const float w = measureTitleText(letter, l.size);
            const float lx = x + 0.5f * (widths[i] - w);
            const float ly = kLetterTop - (l.size - kLetterSize) * kPopLift;
            drawTitleText(letter, lx + kShadowOffset.x, ly + kShadowOffset.y, l.size, {0, 0, 0, alphaByte(0.5f * l.alpha)});
            drawTitleText(letter, lx, ly, l.size, withAlpha(ColorFromHSV(l.hue, 0.7f, 1.0f), l.alpha));
        }
        x += widths[i] + kLetterGap;
    }
}

void drawCaption(float t) {
    const float c = clamp01((t - kCaptionFrom) / kCaptionFadeIn);
    if (c <= 0) return;
    const int n = (int)std::strlen(kCaption);
    char letter[2] = {0, 0};
    float total = kCaptionGap * (float)(n - 1);
    for (int i = 0; i < n; ++i) {
        letter[0] = kCaption[i];
        total += measureUiText(letter, kCaptionSize);
    }
    const float left = kCanvasWidth * 0.5f - total * 0.5f;
    float x = left;
    const Color colour = withAlpha(kCaptionColour, c);
    for (int i = 0; i < n; ++i) {
        letter[0] = kCaption[i];
        drawUiText(letter, x, kCaptionTop, kCaptionSize, colour);
        x += measureUiText(letter, kCaptionSize) + kCaptionGap;
    }
    const float length = kRuleLength * c * c * (3.0f - 2.0f * c);
    const Color rule = withAlpha(kCaptionColour, c * kRuleAlpha), clear = withAlpha(kCaptionColour, 0);
    const int y = (int)kRuleY, w = (int)length;
    DrawRectangleGradientH((int)(left - kRuleGap - length), y, w, 2, clear, rule);
    DrawRectangleGradientH((int)(left + total + kRuleGap), y, w, 2, rule, clear);
}

void drawLoading() {
    const float a = 0.45f + 0.35f * std::sin(4.0f * animClock);
    drawUiTextCentered("LOADING", kCanvasWidth * 0.5f, 660, 10, withAlpha(kLoadingColour, a), false);
}

} // namespace

float introLength() { return kIntroLength; }

float introShownTime(float t, bool stillBuilding) { return stillBuilding && t > kHoldAt ? kHoldAt : t; }

float introFade(float t) {
    return std::fmax(1.0f - std::fmin(t / kFadeInTime, 1.0f), clamp01((t - kFadeOutFrom) / kFadeOutTime));
}

IntroLetter introLetter(int index, int count, float t, float clock) {
    IntroLetter l;
    const float a = t - (kLettersFrom + kLetterStagger * (float)index);
    if (a <= 0) return l;
    l.shown = true;
    l.alpha = std::fmin(a / kLetterFadeIn, 1.0f);
    const float pop = a < kPopTime ? kPopSize * std::exp(-kPopDecay * a) : 0.0f;
    l.size = kLetterSize * (1.0f + pop);
    const float share = count > 1 ? (float)index / (float)(count - 1) : 0.0f;
    l.hue = wrapHue(kLetterHueStart - kLetterHueSpan * share + kLetterHueWobble * std::sin(0.4f * index + 0.7f * clock));
    return l;
}

int introCuesDue(IntroCues& cues, float t) {
    if (t < cues.lastTime) cues = IntroCues{}; // a new intro has started
    cues.lastTime = t;
    int due = 0;
    if (!cues.swellPlayed) {
        cues.swellPlayed = true;
        due |= kIntroSwellCue;
    }
    if (t >= kChirpAt && !cues.chirpPlayed) {
        cues.chirpPlayed = true;
        due |= kIntroChirpCue;
    }
    return due;
}

void drawIntro(float t, bool stillBuilding) {
    t = introShownTime(t, stillBuilding);
    playCues(t);
    drawLogoTexture(t);

    beginUi(renderer, kClearColour);
    drawGlow(t);
    BeginBlendMode(BLEND_ALPHA_PREMULTIPLY);
    DrawTexturePro(intro.logo.texture, {0, 0, (float)kLogoTextureWidth, -(float)kLogoTextureHeight}, kLogoOnCanvas,
                   {0, 0}, 0, WHITE);
    EndBlendMode();
    drawMakerWord(t);
    drawCaption(t);
    if (stillBuilding && t >= kLoadingFrom) drawLoading();
    const float fade = introFade(t);
    if (fade > 0.001f) DrawRectangle(0, 0, kCanvasWidth, kCanvasHeight, {0, 0, 0, alphaByte(fade)});
    endUi(renderer);
    presentFrame(renderer);
}

void unloadIntro() {
    if (!intro.logoCreated) return;
    UnloadRenderTexture(intro.logo);
    intro.logo = {};
    intro.logoCreated = false;
}
