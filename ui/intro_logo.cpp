#include "ui/intro_logo.h"

#include <algorithm>
#include <cmath>
#include <rlgl.h>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kTrianglesPerBatch = 300;
constexpr int kBatchVertexReserve = 1200;
constexpr int kCapFanSegments = 14;
constexpr int kDottedRingQuads = 40;
constexpr int kLidSteps = 8;

// The spine: control circles (x, y, back half-width, belly half-width) from
// the head to the tail, joined by Catmull-Rom segments of ten points.
struct ControlCircle {
    float x, y, width, width2;
};
constexpr ControlCircle kControls[] = {
    {176, -36, 11, 11},     {146, -38, 18, 19},     {116, -44, 23, 25},     {84, -50, 26, 28},
    {48, -54, 27, 30},      {10, -53, 27, 30},      {-28, -47, 25, 27},     {-60, -35, 21, 21},
    {-86, -19, 17.5, 16.5}, {-108, -2, 15.5, 15},   {-127, 16, 14.5, 14},   {-141, 36, 13.8, 13.5},
    {-148, 55, 13.4, 13.2}, {-150.5, 73, 13.2, 13.1},
};
constexpr int kControlCount = (int)(sizeof kControls / sizeof kControls[0]);
constexpr int kPointsPerSegment = 10;
// The curled tail: 1.6 turns closing in on its centre.
constexpr int kSpiralPoints = 151;
constexpr float kSpiralRadius = 42.0f;
constexpr float kSpiralClose = 0.88f;
constexpr float kSpiralTurnAngle = 3.2f * kPi;
constexpr Vector2 kSpiralCentre = {-108, 84};
constexpr float kSpiralWidth = 12.5f;
constexpr float kSpiralWidthClose = 0.86f;
constexpr float kSpiralWidthMin = 0.6f;
// The front of the body ends, and the tail behind the branch begins, a few
// points before the spine first passes this x.
constexpr float kTailStartX = -118.0f;
constexpr int kTailOverlap = 4;

// Colour rules of the body.
constexpr float kHueHead = 158.0f, kHueSpan = 118.0f, kHueWobble = 22.0f;
constexpr float kBodySaturation = 0.78f, kBodyValue = 0.93f;
constexpr Color kBodyGrey = {62, 72, 70, 255};
constexpr float kWaveStart = 1.95f, kWaveDuration = 0.85f, kWaveTravel = 1.15f, kWaveSoftness = 0.07f;
constexpr float kGlintWidth = 0.035f, kGlintEnd = 3.05f, kGlintStrength = 0.55f;
constexpr float kEdgeShade = 0.58f, kHighlightAt = 0.35f, kHighlightWhite = 0.16f;

// The branch.
constexpr float kBranchLeft = -255, kBranchRight = 255;
constexpr int kBranchSegments = 40;
constexpr Color kBranchTop = {118, 98, 78, 255};
constexpr Color kBranchBottom = {52, 41, 33, 255};
constexpr Color kLeafLight = {92, 118, 70, 255};
constexpr Color kLeafDark = {40, 58, 36, 255};

// The eye turret and its look-around: the pupil darts to a new direction on
// each beat and settles there.
constexpr Vector2 kEyeCentre = {150, -40};
constexpr float kEyeSocket = 19.0f, kEyeTurret = 16.0f, kPupil = 4.6f, kPupilTravel = 6.2f;
constexpr float kDartTime = 0.12f;
struct LookBeat {
    float at;
    Vector2 dir;
};
constexpr LookBeat kLookBeats[] = {
    {0.0f, {0.75f, 0.15f}},   // ahead
    {0.35f, {-0.55f, -0.6f}}, // up and back
    {0.7f, {0.1f, 0.8f}},     // down at the branch
    {1.05f, {0.85f, -0.45f}}, // the spark
    {1.3f, {0.95f, -0.3f}},   // locked on
    {2.3f, {0.05f, 0.05f}},   // at the viewer
};

// The spark, the tongue that catches it, and the beats of the catch.
constexpr Vector2 kMouth = {203, -27};
constexpr Vector2 kSparkHome = {296, -64};
constexpr float kSparkRadius = 9.0f;
constexpr float kSparkAppears = 0.45f, kSparkFadeIn = 0.35f;
constexpr float kTongueOut = 1.5f, kTongueReach = 1.64f, kTongueBack = 1.69f, kTongueHome = 1.93f;
constexpr float kTongueEnd = 1.95f;
constexpr Color kTongue = {196, 92, 122, 255};
constexpr Color kTongueTip = {236, 122, 152, 255};

int trianglesInBatch = 0;

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float smooth01(float v) { return v * v * (3.0f - 2.0f * v); }
unsigned char toByte(float v) { return (unsigned char)std::clamp(v, 0.0f, 255.0f); }

Vector2 add(Vector2 a, Vector2 b) { return {a.x + b.x, a.y + b.y}; }
Vector2 sub(Vector2 a, Vector2 b) { return {a.x - b.x, a.y - b.y}; }
Vector2 mul(Vector2 a, float k) { return {a.x * k, a.y * k}; }
Vector2 lerp(Vector2 a, Vector2 b, float k) { return {a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k}; }
Vector2 along(const SpinePoint& p, float d) { return {p.x + p.nx * d, p.y + p.ny * d}; }

float catmullRom(float p0, float p1, float p2, float p3, float u) {
    return 0.5f * (2 * p1 + (p2 - p0) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u * u +
                   (3 * p1 - p0 - 3 * p2 + p3) * u * u * u);
}

void finishSpine(std::vector<SpinePoint>& spine) {
    const int n = (int)spine.size();
    std::vector<float> arc((size_t)n, 0.0f);
    for (int i = 1; i < n; ++i)
        arc[(size_t)i] = arc[(size_t)i - 1] + std::hypot(spine[(size_t)i].x - spine[(size_t)i - 1].x,
                                                         spine[(size_t)i].y - spine[(size_t)i - 1].y);
    for (int i = 0; i < n; ++i) {
        SpinePoint& p = spine[(size_t)i];
        p.s = arc.back() > 0 ? arc[(size_t)i] / arc.back() : 0.0f;
        const SpinePoint& prev = spine[(size_t)std::max(i - 1, 0)];
        const SpinePoint& next = spine[(size_t)std::min(i + 1, n - 1)];
        const float tx = next.x - prev.x, ty = next.y - prev.y, len = std::hypot(tx, ty);
        if (len > 0) {
            p.nx = -ty / len;
            p.ny = tx / len;
        } else {
            p.nx = 0;
            p.ny = -1;
        }
    }
}

int firstTailPoint(const std::vector<SpinePoint>& spine) {
    for (int i = 0; i < (int)spine.size(); ++i)
        if (spine[(size_t)i].x < kTailStartX) return std::max(i - kTailOverlap, 0);
    return (int)spine.size() - 1;
}

// Where the pupil looks at time t.
Vector2 lookDirection(float t) {
    Vector2 dir = kLookBeats[0].dir;
    for (const LookBeat& beat : kLookBeats) {
        if (t < beat.at) break;
        dir = lerp(dir, beat.dir, smooth01(clamp01((t - beat.at) / kDartTime)));
    }
    return dir;
}

// How far the tongue is out, 0 in the mouth to 1 at the spark.
float tongueReach(float t) {
    if (t < kTongueOut || t >= kTongueEnd) return 0.0f;
    if (t < kTongueReach) {
        const float u = (t - kTongueOut) / (kTongueReach - kTongueOut);
        return 1.0f - (1.0f - u) * (1.0f - u) * (1.0f - u); // shot out, slowing at the end
    }
    if (t < kTongueBack) return 1.0f;
    const float u = clamp01((t - kTongueBack) / (kTongueHome - kTongueBack));
    return 1.0f - u * u; // reeled in, faster and faster
}

Vector2 sparkHover(float t) { return {kSparkHome.x + 3.0f * std::sin(1.7f * t), kSparkHome.y + 4.0f * std::sin(2.3f * t)}; }

void drawBranch() {
    for (int i = 0; i < kBranchSegments; ++i) {
        const float x0 = kBranchLeft + (kBranchRight - kBranchLeft) * (float)i / kBranchSegments;
        const float x1 = kBranchLeft + (kBranchRight - kBranchLeft) * (float)(i + 1) / kBranchSegments;
        // A gentle sag, thickest in the middle and tapering to twigs at the ends.
        auto centre = [](float x) { return 30.0f + 5.0f * (x / kBranchRight) * (x / kBranchRight) - 3.0f * x / kBranchRight; };
        auto half = [](float x) { return 3.0f + 6.5f * std::sqrt(std::max(0.0f, 1.0f - (x / kBranchRight) * (x / kBranchRight))); };
        const Vector2 a = {x0, centre(x0) - half(x0)}, b = {x1, centre(x1) - half(x1)};
        const Vector2 c = {x1, centre(x1) + half(x1)}, d = {x0, centre(x0) + half(x0)};
        drawShadedTriangle(a, kBranchTop, b, kBranchTop, c, kBranchBottom);
        drawShadedTriangle(a, kBranchTop, c, kBranchBottom, d, kBranchBottom);
    }
    // A twig with two leaves in front of the head.
    const Color twig = scaleColour(kBranchTop, 0.8f);
    drawCapsule({196, 25}, {230, 2}, 2.4f, 1.2f, twig, twig);
    fillEllipseFan({238, -6}, 11.0f, 4.0f, -0.9f, kLeafLight, kLeafDark, 16);
    fillEllipseFan({218, 6}, 9.0f, 3.4f, -2.3f, kLeafLight, kLeafDark, 16);
}

// One leg: shoulder (or hip), elbow (or knee), and the wrist on the branch,
// where the foot grips it with two bundles of toes.
struct Leg {
    Vector2 top, joint, foot;
    float spineS;
    float shade;
};
constexpr Leg kLegs[] = {
    {{62, -36}, {46, -4}, {64, 18}, 0.28f, 0.7f},   // far front: the elbow points back
    {{-22, -36}, {-2, -6}, {-22, 18}, 0.45f, 0.7f}, // far hind: the knee points forward
    {{88, -34}, {70, -2}, {92, 18}, 0.24f, 0.82f},  // near front
    {{-44, -34}, {-22, -4}, {-44, 18}, 0.49f, 0.82f}, // near hind
};

void drawLeg(const Leg& leg, float t, float clock) {
    const Color c = scaleColour(logoBodyColour(leg.spineS, t, clock), leg.shade);
    const Color dark = scaleColour(c, 0.78f);
    drawCapsule(leg.top, leg.joint, 10.0f, 5.6f, c, c);
    drawCapsule(leg.joint, leg.foot, 5.6f, 3.8f, c, dark);
    // The grip: one bundle of toes in front of the branch's crown, one behind.
    fillEllipseFan(add(leg.foot, {5.0f, 3.4f}), 7.0f, 3.3f, 0.9f, c, dark, 12);
    fillEllipseFan(add(leg.foot, {-4.6f, 3.6f}), 6.2f, 3.1f, -0.9f, c, dark, 12);
}

// The dorsal crest: small spikes on the back from the neck to mid-body.
void drawCrest(const std::vector<SpinePoint>& spine, float t, float clock) {
    for (int i = 6; i + 3 < 62; i += 4) {
        const SpinePoint& p = spine[(size_t)i];
        const SpinePoint& q = spine[(size_t)i + 3];
        const Color c = scaleColour(logoBodyColour(p.s, t, clock), 0.55f);
        const float h = 7.0f - 5.0f * (float)i / 62.0f;
        const Vector2 base0 = along(p, p.width * 0.9f), base1 = along(q, q.width * 0.9f);
        const Vector2 tip = add(along(q, q.width + h), mul(sub(base1, base0), 0.35f));
        drawShadedTriangle(base0, c, base1, c, tip, scaleColour(c, 0.8f));
    }
}

// A fan over a closed outline, shaded from a lighter centre to its rim.
void fillOutline(const Vector2* pts, int n, Vector2 centre, Color inner, Color rim) {
    for (int i = 0; i < n; ++i) drawShadedTriangle(centre, inner, pts[i], rim, pts[(i + 1) % n], rim);
}

// The head: a casque rising back from the brow, and the jaw below the eye.
void drawHead(float t, float clock) {
    const Color body = logoBodyColour(0.0f, t, clock);
    const Color plate = scaleColour(body, 0.72f), jaw = scaleColour(body, 0.75f);
    const Vector2 casque[] = {{210, -30}, {196, -48}, {172, -60}, {140, -74}, {116, -92},
                              {106, -70}, {108, -50}, {118, -34}, {160, -32}};
    fillOutline(casque, (int)(sizeof casque / sizeof casque[0]), {146, -56}, scaleColour(body, 0.95f), plate);
    const Vector2 jawLine[] = {{210, -30}, {160, -32}, {118, -34}, {114, -22}, {130, -10},
                               {160, -8},  {186, -14}, {202, -22}};
    fillOutline(jawLine, (int)(sizeof jawLine / sizeof jawLine[0]), {160, -18}, scaleColour(body, 0.95f), jaw);
    const Color lip = scaleColour(body, 0.38f);
    drawCapsule({208, -29}, {184, -25}, 1.2f, 1.5f, lip, lip);
    drawCapsule({184, -25}, {160, -27}, 1.5f, 1.1f, lip, lip);
    // Ridge over the brow.
    const Color ridge = scaleColour(body, 0.6f);
    drawCapsule({196, -47}, {150, -66}, 1.6f, 2.2f, ridge, ridge);
    drawCapsule({150, -66}, {116, -90}, 2.2f, 1.2f, ridge, ridge);
    // The fold where the head meets the neck.
    drawCapsule({111, -76}, {109, -54}, 1.0f, 1.8f, ridge, ridge);
    drawCapsule({109, -54}, {117, -30}, 1.8f, 1.0f, ridge, ridge);
}

void drawEye(float t, float clock) {
    const Color body = logoBodyColour(0.0f, t, clock);
    const Color socket = scaleColour(body, 0.42f);
    const Color lit = blendColour(body, WHITE, 0.18f);
    fillEllipseFan(kEyeCentre, kEyeSocket, kEyeSocket, 0, socket, socket, 32);
    fillEllipseFan(kEyeCentre, kEyeTurret, kEyeTurret, 0, lit, scaleColour(lit, 0.8f), 32);
    drawDottedRing(scaleColour(body, 0.62f), 12.0f, 14.6f);
    drawDottedRing(scaleColour(body, 0.78f), 8.0f, 10.2f);
    const Vector2 look = lookDirection(t);
    const Vector2 pupil = add(kEyeCentre, mul(look, kPupilTravel));
    fillEllipseFan(pupil, kPupil + 1.6f, kPupil + 1.6f, 0, scaleColour(body, 0.5f), scaleColour(body, 0.5f), 20);
    fillEllipseFan(pupil, kPupil, kPupil, 0, {8, 10, 12, 255}, {14, 16, 18, 255}, 20);
    fillEllipseFan(add(pupil, {-1.6f, -1.7f}), 1.4f, 1.4f, 0, {255, 255, 255, 230}, {255, 255, 255, 160}, 10);
}

void drawTongueAndSpark(float t) {
    const float reach = tongueReach(t);
    const Vector2 target = sparkHover(kTongueReach);
    const Vector2 tip = lerp(kMouth, target, reach);
    if (t >= kTongueOut && t < kTongueEnd) {
        drawCapsule(kMouth, tip, 2.6f, 2.0f, scaleColour(kTongue, 0.85f), kTongue);
        fillEllipseFan(tip, 5.0f, 5.0f, 0, kTongueTip, scaleColour(kTongueTip, 0.8f), 16);
    }
    if (t < kSparkAppears || t >= kTongueHome) return;
    const float alpha = clamp01((t - kSparkAppears) / kSparkFadeIn);
    const Vector2 spark = t < kTongueReach ? sparkHover(t) : add(tip, {6.0f, -3.0f});
    const float shrink = t < kTongueBack ? 1.0f : 1.0f - 0.5f * clamp01((t - kTongueBack) / (kTongueHome - kTongueBack));
    drawLogoEye(spark, kSparkRadius * shrink, 1.3f * t, alpha);
}

} // namespace

Color scaleColour(Color c, float k) { return {toByte(c.r * k), toByte(c.g * k), toByte(c.b * k), c.a}; }

Color blendColour(Color a, Color b, float k) {
    return {toByte(a.r + (b.r - a.r) * k), toByte(a.g + (b.g - a.g) * k), toByte(a.b + (b.b - a.b) * k),
            toByte(a.a + (b.a - a.a) * k)};
}

float wrapHue(float hue) {
    hue = std::fmod(hue, 360.0f);
    return hue < 0 ? hue + 360.0f : hue;
}

std::vector<SpinePoint> buildLogoSpine() {
    std::vector<SpinePoint> spine;
    for (int seg = 0; seg + 1 < kControlCount; ++seg) {
        const ControlCircle& p0 = kControls[std::max(seg - 1, 0)];
        const ControlCircle& p1 = kControls[seg];
        const ControlCircle& p2 = kControls[seg + 1];
        const ControlCircle& p3 = kControls[std::min(seg + 2, kControlCount - 1)];
        for (int j = 0; j < kPointsPerSegment; ++j) {
            const float u = (float)j / kPointsPerSegment, e = smooth01(u);
            SpinePoint p;
            p.x = catmullRom(p0.x, p1.x, p2.x, p3.x, u);
            p.y = catmullRom(p0.y, p1.y, p2.y, p3.y, u);
            p.width = p1.width + (p2.width - p1.width) * e;
            p.width2 = p1.width2 + (p2.width2 - p1.width2) * e;
            spine.push_back(p);
        }
    }
    for (int i = 0; i < kSpiralPoints; ++i) {
        const float f = (float)i / (kSpiralPoints - 1);
        const float r = (1.0f - kSpiralClose * f) * kSpiralRadius;
        const float a = kPi - kSpiralTurnAngle * f;
        SpinePoint p;
        p.x = r * std::cos(a) + kSpiralCentre.x;
        p.y = r * std::sin(a) + kSpiralCentre.y;
        p.width = p.width2 = (1.0f - kSpiralWidthClose * f) * kSpiralWidth + kSpiralWidthMin;
        spine.push_back(p);
    }
    finishSpine(spine);
    return spine;
}

Color logoBodyColour(float s, float t, float clock) {
    const float hue = wrapHue(kHueHead - kHueSpan * s + kHueWobble * std::sin(3.0f * s + 0.7f * clock));
    const Color base = ColorFromHSV(hue, kBodySaturation, kBodyValue);
    const float front = t < kWaveStart ? 1.0f : 1.0f - kWaveTravel * std::fmin((t - kWaveStart) / kWaveDuration, 1.0f);
    const float d = s - front;
    Color c = blendColour(kBodyGrey, base, clamp01(d / kWaveSoftness + 0.5f));
    if (t > kWaveStart && t < kGlintEnd) {
        const float h = std::exp(-(d / kGlintWidth) * (d / kGlintWidth));
        c = blendColour(c, WHITE, std::fmin(kGlintStrength * h, 1.0f));
    }
    return c;
}

void beginLogoTriangles() {
    trianglesInBatch = 0;
    rlBegin(RL_TRIANGLES);
}

void endLogoTriangles() { rlEnd(); }

void drawShadedTriangle(Vector2 a, Color ca, Vector2 b, Color cb, Vector2 c, Color cc) {
    rlColor4ub(ca.r, ca.g, ca.b, ca.a);
    rlVertex2f(a.x, a.y);
    rlColor4ub(cb.r, cb.g, cb.b, cb.a);
    rlVertex2f(b.x, b.y);
    rlColor4ub(cc.r, cc.g, cc.b, cc.a);
    rlVertex2f(c.x, c.y);
    if (++trianglesInBatch < kTrianglesPerBatch) return;
    rlEnd();
    rlCheckRenderBatchLimit(kBatchVertexReserve);
    rlBegin(RL_TRIANGLES);
    trianglesInBatch = 0;
}

void fillEllipseFan(Vector2 centre, float rx, float ry, float rotation, Color inner, Color outer, int segments) {
    const float cr = std::cos(rotation), sr = std::sin(rotation);
    auto rim = [&](int i) {
        const float a = 2.0f * kPi * (float)i / (float)segments;
        const float x = rx * std::cos(a), y = ry * std::sin(a);
        return Vector2{centre.x + cr * x - sr * y, centre.y + sr * x + cr * y};
    };
    for (int i = 0; i < segments; ++i) drawShadedTriangle(centre, inner, rim(i), outer, rim(i + 1), outer);
}

void drawCapsule(Vector2 a, Vector2 b, float halfWidthA, float halfWidthB, Color ca, Color cb) {
    const Vector2 d = sub(b, a);
    const float len = std::hypot(d.x, d.y);
    const Vector2 n = len > 0 ? Vector2{-d.y / len, d.x / len} : Vector2{0, -1};
    const Vector2 a0 = add(a, mul(n, halfWidthA)), a1 = add(a, mul(n, -halfWidthA));
    const Vector2 b0 = add(b, mul(n, halfWidthB)), b1 = add(b, mul(n, -halfWidthB));
    drawShadedTriangle(a0, ca, b0, cb, b1, cb);
    drawShadedTriangle(a0, ca, b1, cb, a1, ca);
    fillEllipseFan(b, halfWidthB, halfWidthB, 0, cb, cb, kCapFanSegments);
}

void drawDottedRing(Color colour, float innerRadius, float outerRadius) {
    // Each quad fills 60 % of its slot: a ring of granules, like a
    // chameleon's eye turret.
    for (int i = 0; i < kDottedRingQuads; ++i) {
        const float a0 = 2.0f * kPi * (float)i / kDottedRingQuads;
        const float a1 = a0 + 0.6f * 2.0f * kPi / kDottedRingQuads;
        auto at = [](float a, float r) { return Vector2{kEyeCentre.x + r * std::cos(a), kEyeCentre.y + r * std::sin(a)}; };
        drawShadedTriangle(at(a0, innerRadius), colour, at(a0, outerRadius), colour, at(a1, outerRadius), colour);
        drawShadedTriangle(at(a0, innerRadius), colour, at(a1, outerRadius), colour, at(a1, innerRadius), colour);
    }
}

void drawLogoEye(Vector2 centre, float radius, float angle, float alpha) {
    const auto a = [alpha](float share) { return toByte(255.0f * alpha * share); };
    // A soft halo, then the two crossed rays of the sparkle, thin at their tips.
    fillEllipseFan(centre, 2.4f * radius, 2.4f * radius, 0, {255, 214, 130, a(0.5f)}, {255, 190, 90, 0}, 28);
    for (int k = 0; k < 2; ++k) {
        const float ra = angle + kPi * 0.5f * (float)k;
        const Vector2 d = {std::cos(ra) * radius * 2.1f, std::sin(ra) * radius * 2.1f};
        const Color tip = {255, 236, 190, a(0.2f)}, root = {255, 248, 226, a(1.0f)};
        drawCapsule(sub(centre, d), centre, 0.03f * radius, 0.17f * radius, tip, root);
        drawCapsule(add(centre, d), centre, 0.03f * radius, 0.17f * radius, tip, root);
    }
    // Two lids curling around the core on either side, closing in as they go.
    for (int side = 0; side < 2; ++side) {
        const float base = 0.5f * angle + kPi * (float)side;
        for (int i = 0; i < kLidSteps; ++i) {
            const float a0 = base - 0.5f * kPi + kPi / kLidSteps * (float)i, a1 = a0 + kPi / kLidSteps;
            const float r0 = radius * (0.55f + (0.32f - 0.55f) * (float)i / kLidSteps);
            const float r1 = radius * (0.55f + (0.32f - 0.55f) * (float)(i + 1) / kLidSteps);
            const float w = 0.2f * radius * (1.0f - (float)i / kLidSteps);
            const Color lid = {255, 178, 84, a(0.95f)};
            const auto at = [&](float ang, float r) { return Vector2{centre.x + r * std::cos(ang), centre.y + r * std::sin(ang)}; };
            drawShadedTriangle(at(a0, r0), lid, at(a0, r0 + w), lid, at(a1, r1 + w), lid);
            drawShadedTriangle(at(a0, r0), lid, at(a1, r1 + w), lid, at(a1, r1), lid);
        }
    }
    fillEllipseFan(centre, radius * 0.28f, radius * 0.28f, 0, {255, 255, 244, a(1.0f)}, {255, 232, 170, a(1.0f)}, 16);
}

void drawLogoBody(const std::vector<SpinePoint>& spine, int first, int end, float t, float clock) {
    struct Section {
        Vector2 belly, centre, highlight, back;
        Color edge, mid, light;
    };
    auto section = [&](const SpinePoint& p) {
        const float k = p.s < 0.55f ? 11.0f : 26.0f;
        const float stripe = 0.86f + 0.14f * std::cos(2.0f * kPi * p.s * k);
        const Color c = scaleColour(logoBodyColour(p.s, t, clock), stripe);
        return Section{along(p, -p.width2), {p.x, p.y}, along(p, kHighlightAt * p.width), along(p, p.width),
                       scaleColour(c, kEdgeShade), c, blendColour(c, WHITE, kHighlightWhite)};
    };
    end = std::min(end, (int)spine.size());
    for (int i = std::max(first, 0); i + 1 < end; ++i) {
        const Section a = section(spine[(size_t)i]), b = section(spine[(size_t)i + 1]);
        const Vector2 pa[4] = {a.belly, a.centre, a.highlight, a.back};
        const Vector2 pb[4] = {b.belly, b.centre, b.highlight, b.back};
        const Color ca[4] = {a.edge, a.mid, a.light, a.edge};
        const Color cb[4] = {b.edge, b.mid, b.light, b.edge};
        for (int k = 0; k < 3; ++k) {
            drawShadedTriangle(pa[k], ca[k], pb[k], cb[k], pb[k + 1], cb[k + 1]);
            drawShadedTriangle(pa[k], ca[k], pb[k + 1], cb[k + 1], pa[k + 1], ca[k + 1]);
        }
    }
}

void drawLogo(const std::vector<SpinePoint>& spine, float t, float clock) {
    const int tail = firstTailPoint(spine);
    drawLogoBody(spine, tail, (int)spine.size(), t, clock); // behind the branch
    drawBranch();
    for (const Leg& leg : kLegs) drawLeg(leg, t, clock);
    drawLogoBody(spine, 0, tail + 1, t, clock);
    drawCrest(spine, t, clock);
    drawHead(t, clock);
    drawEye(t, clock);
    drawTongueAndSpark(t);
}
