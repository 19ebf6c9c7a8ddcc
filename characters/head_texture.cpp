// Head painting. The texture is painted in tiles of 8x8 texels, four rays
// of a row marching side by side through the four-point kernel with the
// head's shapes culled to the tile's wedge, which gives exactly what one ray
// with the whole list gives. Lengths in head units are q / S;
// G(d, c) = exp(-|d|^2 / c) is a soft spot. Colours are worked in floats and
// clamped to bytes once.
#include "characters/head_texture.h"

#include <algorithm>
#include <cmath>

#include "characters/build_math.h"
#include "characters/hair_builder.h"
#include "characters/head_builder.h"
#include "characters/sdf_culling.h"
#include "characters/sdf_lanes.h"

namespace {

constexpr float kRayStart = 0.17f;   // x S, from the y axis
constexpr float kRayStep = 0.004f;   // x S
constexpr float kFarStepShare = 0.7f;
constexpr int kBisections = 7;
constexpr float kNormalStep = 0.0015f; // x S
constexpr float kTextureHeight = 0.36f; // x S, rows span +-half of it
constexpr float kEyeX = 0.031f, kEyeY = 0.011f, kEyeZ = 0.079f, kEyeRadius = 0.0125f; // x S
constexpr float kIrisEdge = 0.8960525f;  // cos 0.46
constexpr float kPupilEdge = 0.9800666f; // cos 0.2
constexpr float kIrisAngle = 0.46f;
constexpr Vector3 kHighlightDir = {-0.30905756f, 0.35320863f, 0.8830216f};
constexpr float kHighlightCos = 0.9959527f;
constexpr int kTile = 8;               // texels per tile side
constexpr int kPieces = 9;             // pieces of a ray, by radius
constexpr float kPieceLength = 0.02f;  // x S
// How far from the ray points each kind of sample may lie (x S): marching
// and bisecting sample the ray itself, the normal and the material lie
// within the normal step of the surface point, the occlusion samples within
// 0.012 S along its normal. A little over each, for rounding.
enum Reach { ON_RAY = 0, NEAR_HIT = 1, ALONG_NORMAL = 2 };
constexpr float kReach[3] = {0.0001f, 0.0016f, 0.0121f};

inline Vector3 sub(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 scale(Vector3 a, float f) { return {a.x * f, a.y * f, a.z * f}; }
inline float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float length(Vector3 v) { return std::sqrt(dot(v, v)); }

float spot(Vector3 d, float c) { return std::exp(-dot(d, d) / c); }

ColorF rgba(float r, float g, float b, float a = 255.0f) { return {r, g, b, a}; }

// The head's shapes for the points of one tile of texels: the wedge of
// their rays is cut into pieces by radius, and each run of pieces, grown by
// the reach of the normal and occlusion samples, gets the head list culled
// to it (made on first use). Without a tile every point uses the whole list.
struct TileShapes {
    std::span<const SdfPrimitive> head;
    float S = 1.0f;
    bool tiled = false;
    float theta0 = 0, theta1 = 0, y0 = 0, y1 = 0;
    struct Run {
        int first, last;
        Reach reach;
        std::vector<SdfPrimitive> shapes;
    };
    std::vector<Run> runs;
    size_t last = 0; // the run found last, tried first
    float perPiece = 1.0f; // 1 / piece length
};

// Range of r f(theta) over the radii [r0, r1] and angles [t0, t1], with f's
// extremes inside the angle range given by `turns` (angles where f is +1 or -1).
void wedgeRange(float r0, float r1, float t0, float t1, float (*f)(float), std::initializer_list<float> turns,
                float& lo, float& hi) {
    float fmin = std::min(f(t0), f(t1)), fmax = std::max(f(t0), f(t1));
    for (float t : turns)
        if (t >= t0 && t <= t1) fmin = std::min(fmin, f(t)), fmax = std::max(fmax, f(t));
    lo = std::min(r0 * fmin, r1 * fmin);
    hi = std::max(r0 * fmax, r1 * fmax);
}

// Any piece whose grown box holds r will do: the reach margins absorb rounding.
int pieceOf(const TileShapes& t, float r) {
    return std::clamp((int)(r * t.perPiece), 0, kPieces - 1);
}

// The shapes for points within `reach` of the rays at radii in pieces
// first..last of the tile's wedge.
std::span<const SdfPrimitive> shapesFor(TileShapes& t, int first, int last, Reach reach) {
    if (!t.tiled) return t.head;
    auto matches = [&](const TileShapes::Run& run) {
        return run.first == first && run.last == last && run.reach == reach;
    };
    if (t.last < t.runs.size() && matches(t.runs[t.last])) return t.runs[t.last].shapes;
    for (size_t i = 0; i < t.runs.size(); ++i)
        if (matches(t.runs[i])) return t.runs[t.last = i].shapes;
    t.last = t.runs.size();
    const float length = kPieceLength * t.S;
    const float r0 = (float)first * length;
    const float r1 = last == kPieces - 1 ? kRayStart * t.S : (float)(last + 1) * length;
    SdfBox box;
    wedgeRange(r0, r1, t.theta0, t.theta1, [](float a) { return std::sin(a); }, {-0.5f * PI, 0.5f * PI}, box.lo.x,
               box.hi.x);
    wedgeRange(r0, r1, t.theta0, t.theta1, [](float a) { return std::cos(a); }, {-PI, 0.0f, PI}, box.lo.z, box.hi.z);
    box.lo.y = t.y0, box.hi.y = t.y1;
    t.runs.push_back({first, last, reach, {}});
    cullPrimitives(t.head, growBox(box, kReach[reach] * t.S), t.runs.back().shapes);
    return t.runs.back().shapes;
}

// One texel's ray: march inward in steps until inside, then bisect.
struct Ray {
    enum Phase { March, Bisect, Hit, Miss } phase = March;
    float st = 0, ct = 0, y = 0;
    float r = 0, inside = 0, outside = 0, query = 0;
    int halvings = 0;
    Vector3 at(float radius) const { return {st * radius, y, ct * radius}; }
    bool busy() const { return phase == March || phase == Bisect; }
};

void takeValue(Ray& ray, float v, float S) {
    if (ray.phase == Ray::March) {
        if (v >= 0.0f) {
            const float step = kRayStep * S;
            const float far = std::min(kFarStepShare * v / step, 1e6f);
            const int extra = std::max((int)far - 1, 0);
            ray.outside = ray.r;
            ray.r -= step * (float)(1 + extra);
            if (ray.r <= 0.0f) ray.phase = Ray::Miss;
            ray.query = ray.r;
            return;
        }
        ray.inside = ray.r;
        ray.phase = Ray::Bisect;
    } else {
        if (v < 0.0f) ray.inside = ray.query;
        else ray.outside = ray.query;
        if (++ray.halvings == kBisections) {
            ray.phase = Ray::Hit;
            ray.query = (ray.inside + ray.outside) * 0.5f; // the surface point
            return;
        }
    }
    ray.query = (ray.inside + ray.outside) * 0.5f;
}

// The shapes valid within `reach` of every lane's query point.
std::span<const SdfPrimitive> shapesForRays(TileShapes& t, Ray* const* rays, int n, Reach reach) {
    int first = kPieces, last = -1;
    for (int i = 0; i < n; ++i) {
        const int piece = pieceOf(t, rays[i]->query);
        first = std::min(first, piece), last = std::max(last, piece);
    }
    return shapesFor(t, first, last, reach);
}

// Four points, one per lane: lane i at f(i); lanes past n repeat the last.
template <class F>
LanePoints lanesOf(int n, F&& f) {
    LanePoints l;
    for (int i = 0; i < kLanes; ++i) {
        const Vector3 p = f(std::min(i, n - 1));
        l.x[i] = p.x, l.y[i] = p.y, l.z[i] = p.z;
    }
    return l;
}

// What the painting needs at a surface point.
struct SurfaceSample {
    Vector3 q;
    uint32_t material = 0;
    float occlusion = 0;
};

// Marches up to four rays side by side and samples the surface where they
// hit. Returns which lanes hit.
void traceRays(TileShapes& t, Ray* rays, int n, SurfaceSample* out, bool* hit) {
    const float S = t.S;
    Ray* busy[kLanes];
    for (;;) {
        int m = 0;
        for (int i = 0; i < n; ++i)
            if (rays[i].busy()) busy[m++] = &rays[i];
        if (m == 0) break;
        const std::span<const SdfPrimitive> shapes = shapesForRays(t, busy, m, ON_RAY);
        const Lanes v = sceneDistanceLanes(shapes, lanesOf(m, [&](int i) { return busy[i]->at(busy[i]->query); }));
        for (int i = 0; i < m; ++i) takeValue(*busy[i], v[i], S);
    }
    Ray* hits[kLanes];
    int m = 0;
    for (int i = 0; i < n; ++i) {
        hit[i] = rays[i].phase == Ray::Hit;
        if (hit[i]) hits[m++] = &rays[i];
    }
    if (m == 0) return;
    const std::span<const SdfPrimitive> shapes = shapesForRays(t, hits, m, NEAR_HIT);
    const std::span<const SdfPrimitive> wider = shapesForRays(t, hits, m, ALONG_NORMAL);
    Vector3 q[kLanes];
    for (int i = 0; i < m; ++i) q[i] = hits[i]->at(hits[i]->query);
    auto field = [&](Vector3 offset) {
        return sceneDistanceLanes(shapes, lanesOf(m, [&](int i) {
                                      return Vector3{q[i].x + offset.x, q[i].y + offset.y, q[i].z + offset.z};
                                  }));
    };
    const float e = kNormalStep * S;
    const Lanes gx = field({e, 0, 0}) - field({-e, 0, 0});
    const Lanes gy = field({0, e, 0}) - field({0, -e, 0});
    const Lanes gz = field({0, 0, e}) - field({0, 0, -e});
    LaneMask material;
    sceneDistanceLanes(shapes, lanesOf(m, [&](int i) { return q[i]; }), &material);
    Vector3 n4[kLanes];
    for (int i = 0; i < m; ++i) {
        const Vector3 g = {gx[i], gy[i], gz[i]};
        const float len = length(g);
        n4[i] = len > 0.0f ? scale(g, 1.0f / len) : Vector3{0, 0, 0};
    }
    auto along = [&](float d) {
        return sceneDistanceLanes(wider, lanesOf(m, [&](int i) {
                                      return Vector3{q[i].x + n4[i].x * d, q[i].y + n4[i].y * d, q[i].z + n4[i].z * d};
                                  }));
    };
    const float d1 = 0.004f * S, d2 = 0.012f * S;
    const Lanes a = along(d1), b = along(d2);
    for (int i = 0, k = 0; i < n; ++i) {
        if (!hit[i]) continue;
        out[i] = {q[k], (uint32_t)material[k], occlusionOf(a[k], b[k], d1, d2)};
        ++k;
    }
}

ColorF eyeColour(const Appearance& look, Vector3 q, float S, float k) {
    const Vector3 c = {q.x > 0.0f ? kEyeX * S : -kEyeX * S, kEyeY * S, kEyeZ * S};
    const Vector3 off = sub(q, c);
    const float len = length(off);
    const Vector3 d = len > 0.0f ? scale(off, 1.0f / len) : Vector3{0, 0, 1};
    const float dz = d.z;
    ColorF iris = k <= 0.45f ? rgba(70, 50, 30) : rgba(48, 30, 20);
    if (look.hairColor.r > 120) iris = rgba(60, 90, 120);
    ColorF col;
    if (dz <= 0.6f) {
        const float w = std::min((0.6f - dz) * 0.8f, 1.0f);
        col = rgba(226 - 26 * w, 220 - 70 * w, 210 - 70 * w);
    } else if (dz <= kIrisEdge) {
        col = rgba(226, 220, 210);
    } else {
        const float a = std::acos(std::min(dz, 1.0f)) / kIrisAngle;
        const float shade = 0.5f * valueNoise3(scale(d, 60.0f)) + 0.75f - 0.35f * a * a;
        col = scaleRgb(iris, shade);
        col.a = 255.0f;
        if (dz > kPupilEdge) col = rgba(10, 8, 8);
    }
    if (dot(d, kHighlightDir) > kHighlightCos) col = rgba(250, 250, 250);
    return col;
}

bool onLashLine(Vector3 q, Vector3 qs, float S) {
    if (qs.y <= 0.012f) return false;
    for (float side : {-1.0f, 1.0f}) {
        const Vector3 c = {side * kEyeX * S, kEyeY * S, kEyeZ * S};
        if (length(sub(q, c)) - kEyeRadius * S < 0.0022f * S) return true;
    }
    return false;
}

ColorF paintBrows(ColorF col, const Appearance& look, Vector3 qs) {
    const ColorF brow = scaleRgb(toColorF(look.hairColor), 0.9f);
    const ColorF browTarget = {brow.r, brow.g, brow.b, (float)look.hairColor.a};
    for (float c : {-1.0f, 1.0f}) {
        const float dx = qs.x - 0.033f * c;
        const float taper = 1.0f - (dx / 0.027f) * (dx / 0.027f);
        if (taper < 0.0f || qs.z <= 0.06f || std::fabs(dx) >= 0.027f) continue;
        const float centre = 0.032f + 0.004f * std::cos(dx / 0.02f);
        if (std::fabs(qs.y - centre) >= 0.0048f * taper) continue;
        const float g = valueNoise3({1500.0f * qs.x, 300.0f * qs.y, 1500.0f * qs.z});
        col = mixColor(col, browTarget, std::clamp(0.4f * g + 0.55f, 0.0f, 1.0f));
    }
    return col;
}

ColorF paintFacialHair(ColorF col, const Appearance& look, Vector3 qs, uint32_t material) {
    if (material == HEAD_EYE || material == HEAD_LIP) return col;
    const float region = smoothstep01(std::clamp(-(qs.y + 0.028f) / 0.02f, 0.0f, 1.0f)) *
                         smoothstep01(std::clamp((qs.z + 0.03f) / 0.04f, 0.0f, 1.0f));
    const bool moustache = std::fabs(qs.x) < 0.03f && qs.y > -0.048f && qs.y < -0.038f && qs.z > 0.075f;
    if (region == 0.0f && !moustache) return col; // no weight: the colour stays as it is
    const float g = valueNoise3(scale(qs, 1400.0f));
    const ColorF hair = toColorF(look.hairColor);
    ColorF target;
    float w;
    if (!look.headPaintFlag) { // stubble
        target = {std::min(1.2f * hair.r, 255.0f), std::min(1.2f * hair.g, 255.0f), std::min(1.2f * hair.b, 255.0f),
                  hair.a};
        w = std::clamp(0.18f * region * g, 0.0f, 1.0f);
    } else { // full beard
        const ColorF beard = scaleRgb(hair, 0.3f * g + 0.85f);
        target = {std::min(beard.r, 255.0f), std::min(beard.g, 255.0f), std::min(beard.b, 255.0f), hair.a};
        w = std::clamp(std::max(region, moustache ? 1.0f : 0.0f) * (0.25f * g + 0.75f), 0.0f, 1.0f);
    }
    return mixColor(col, target, w);
}

ColorF paintSurface(const Appearance& look, float S, const SurfaceSample& sample) {
    const Vector3 q = sample.q;
    const uint32_t material = sample.material;
    const Vector3 qs = scale(q, 1.0f / S);
    const ColorF skin = toColorF(look.skinColor);
    const float k = darkness(look.skinColor);

    // Skin grain.
    const float f = 0.95f + 0.05f * valueNoise3(scale(qs, 900.0f)) + 0.05f * valueNoise3(scale(qs, 220.0f));
    ColorF col = scaleRgb(skin, f);
    // Flush on the nose tip, the cheeks and the ears.
    float w = 0.35f * spot({qs.x, qs.y + 0.024f, qs.z - 0.108f}, 0.000288f) +
              0.3f * (spot({qs.x - 0.045f, qs.y + 0.02f, qs.z - 0.07f}, 0.000968f) +
                      spot({qs.x + 0.045f, qs.y + 0.02f, qs.z - 0.07f}, 0.000968f));
    if (material == HEAD_EAR) w += 0.3f;
    w = std::min(w * (1.0f - 0.7f * k), 1.0f);
    col = mixColor(col, {std::min(1.05f * skin.r, 255.0f), 0.8f * skin.g, 0.78f * skin.b, 255.0f}, w);
    // Eye shadow.
    const float shadow = spot({qs.x - 0.031f, qs.y - 0.008f, qs.z - 0.085f}, 0.000512f) +
                         spot({qs.x + 0.031f, qs.y - 0.008f, qs.z - 0.085f}, 0.000512f);
    col = scaleRgb(col, 1.0f - 0.08f * std::min(shadow, 1.0f));
    // Lips and the mouth line.
    const ColorF lipTone = mixColor({0.74f * skin.r, 0.48f * skin.g, 0.5f * skin.b, skin.a},
                                    {0.62f * skin.r, 0.62f * skin.g, 0.62f * skin.b, 255.0f}, 0.6f * k);
    if (material == HEAD_LIP) col = mixColor(col, scaleRgb(lipTone, f), 0.85f);
    if (std::fabs(qs.y + 0.0566f) < 0.0022f && std::fabs(qs.x) < 0.022f && qs.z > 0.08f)
        col = scaleRgb(lipTone, 0.35f);
    // Eyes and lids.
    if (material == HEAD_EYE) col = eyeColour(look, q, S, k);
    if (material == HEAD_EYELID) {
        col = scaleRgb(col, 0.9f);
        if (onLashLine(q, qs, S)) col = rgba(22, 16, 14);
    }
    col = paintBrows(col, look, qs);
    col = paintFacialHair(col, look, qs, material);
    // The scalp under the hair, then occlusion.
    if (look.hairStyle != 0 && qs.y > hairlineHeight(qs.z) && material != HEAD_EAR)
        col = mixColor(col, toColorF(look.hairColor), 0.85f);
    return scaleRgb(col, 0.45f * sample.occlusion + 0.55f);
}

// Paints up to four texels of one row, side by side.
void paintTexels(const Appearance& look, TileShapes& shapes, int column, int row, int n, Color* out) {
    Ray rays[kLanes];
    for (int i = 0; i < n; ++i) {
        const float theta = headTexelAngle(column + i);
        rays[i].st = std::sin(theta), rays[i].ct = std::cos(theta);
        rays[i].y = headTexelHeight(row, shapes.S);
        rays[i].r = rays[i].outside = rays[i].query = kRayStart * shapes.S;
    }
    SurfaceSample samples[kLanes];
    bool hit[kLanes];
    traceRays(shapes, rays, n, samples, hit);
    for (int i = 0; i < n; ++i) out[i] = hit[i] ? toColor(paintSurface(look, shapes.S, samples[i])) : look.skinColor;
}

} // namespace

float headTexelAngle(int column) {
    return ((float)(column + 0.5f) / (float)kHeadTextureSize - 0.5f) * 2.0f * PI;
}

float headTexelHeight(int row, float S) {
    return (0.5f - (float)(row + 0.5f) / (float)kHeadTextureSize) * kTextureHeight * S;
}

Color paintHeadTexel(const Appearance& look, std::span<const SdfPrimitive> head, float S, int column, int row) {
    TileShapes whole;
    whole.head = head;
    whole.S = S;
    Color c;
    paintTexels(look, whole, column, row, 1, &c);
    return c;
}

void paintHeadTexture(const Appearance& look, std::span<const SdfPrimitive> head, float S,
                      std::vector<uint8_t>& pixels) {
    constexpr int n = kHeadTextureSize;
    pixels.assign((size_t)n * n * 4, 0);
    for (int row0 = 0; row0 < n; row0 += kTile)
        for (int column0 = 0; column0 < n; column0 += kTile) {
            TileShapes tile;
            tile.head = head;
            tile.S = S;
            tile.tiled = true;
            tile.perPiece = 1.0f / (kPieceLength * S);
            tile.theta0 = headTexelAngle(column0), tile.theta1 = headTexelAngle(column0 + kTile - 1);
            tile.y1 = headTexelHeight(row0, S), tile.y0 = headTexelHeight(row0 + kTile - 1, S);
            for (int row = row0; row < row0 + kTile; ++row)
                for (int column = column0; column < column0 + kTile; column += kLanes) {
                    Color c[kLanes];
                    paintTexels(look, tile, column, row, kLanes, c);
                    for (int i = 0; i < kLanes; ++i) {
                        uint8_t* px = &pixels[((size_t)row * n + column + i) * 4];
                        px[0] = c[i].r, px[1] = c[i].g, px[2] = c[i].b, px[3] = c[i].a;
                    }
                }
        }
}
