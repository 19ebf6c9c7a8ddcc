// Hair builder: the hair field (styles, ear cut-outs, headband), its
// smoothed mesh, and vertex colours with occlusion. Head units are p / S.
#include "characters/hair_builder.h"

#include <algorithm>
#include <cmath>

#include "characters/build_math.h"
#include "characters/head_builder.h"
#include "characters/mesh_baking.h"

namespace {

constexpr Vector3 kHairBoxMin = {-0.14f, -0.11f, -0.16f}; // x S
constexpr Vector3 kHairBoxMax = {0.14f, 0.2f, 0.13f};     // x S
constexpr float kHairCell = 0.0036f;                      // x S
constexpr float kEarX = 0.077f, kEarY = -0.005f, kEarZ = -0.008f, kEarClearance = 0.03f; // x S

enum HairStyle { STYLE_NONE = 0, STYLE_CROP = 1, STYLE_ROUNDED = 2, STYLE_RAISED_TOP = 3, STYLE_RIDGES = 4 };

inline Vector3 sub(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline float length(Vector3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

SdfPrimitive raisedTop(float S) {
    return makeEllipsoid({0, 0.072f * S, -0.012f * S}, {0.071f * S, 0.062f * S, 0.086f * S}, 0.0f, HAIR_HAIR);
}

// The styled hair before the ear cut-outs and the headband; d is the skull distance.
float styledHair(const HairShapes& hair, Vector3 p, float d) {
    const float S = hair.S;
    const float ys = p.y / S, zs = p.z / S;
    const float a = (zs + 0.07f) / 0.145f;
    const float hl = hairlineHeight(zs);
    const float t = (ys - hl) / 0.022f;
    const float m = t < 0.0f ? 0.0f : smoothstep01(std::min(t, 1.0f));
    const float th = t < 0.0f ? 0.0005f : 0.0042f * m + 0.0005f;
    if (hair.style == STYLE_ROUNDED) {
        const float ball = length(sub(p, {0, 0.045f * S, -0.02f * S})) - 0.125f * S;
        const float e = smoothMin(ball, d - 0.006f * S, 0.04f * S);
        const float mFront = a < 0.0f ? 0.0f : smoothstep01(std::clamp(a, 0.0f, 1.0f));
        return std::max(e, (0.122f * mFront - 0.06f) - ys);
    }
    float shell;
    if (hair.style == STYLE_RIDGES) {
        const float ridge = 0.0022f * std::fabs(std::sin(PI * (p.x / S) / 0.011f)) + 0.0026f;
        shell = d - (ridge * m + 0.0006f) * S;
    } else {
        shell = d - th * S;
        if (hair.style == STYLE_RAISED_TOP) shell = smoothMin(shell, primitiveDistance(raisedTop(S), p), 0.03f * S);
    }
    return std::max(shell, (hl - ys) - 0.002f * S);
}

} // namespace

HairShapes makeHairShapes(const CharacterModel& model) {
    HairShapes hair;
    hair.S = headScale(model.height);
    const std::vector<SdfPrimitive> head = headShapes(model);
    hair.skull.assign(head.begin(), head.begin() + 2); // cranium and brow mass
    hair.style = model.appearance.hairStyle;
    hair.headband = model.appearance.headband != 0;
    return hair;
}

float hairlineHeight(float zOverS) {
    const float a = (zOverS + 0.07f) / 0.145f;
    if (a < 0.0f) return -0.07f;
    const float c = std::min(a, 1.0f);
    return 0.126f * c * c * (3.0f - 2.0f * c) - 0.07f;
}

float hairDistance(const HairShapes& hair, Vector3 p, uint32_t* material) {
    const float S = hair.S;
    const float d = sceneDistance(hair.skull, p);
    float h = hair.style == STYLE_NONE ? kSdfFar : styledHair(hair, p, d);
    for (float side : {1.0f, -1.0f}) {
        const Vector3 ear = {side * kEarX * S, kEarY * S, kEarZ * S};
        h = std::max(h, -(length(sub(p, ear)) - kEarClearance * S));
    }
    uint32_t m = HAIR_HAIR;
    if (hair.headband) {
        const float yb = p.y / S - 0.048f + 0.016f * p.z / S;
        const float band = std::max(std::max(std::fabs(yb) * S - 0.012f * S, d - 0.0105f * S), -(d + 0.003f * S));
        if (band < h) m = HAIR_HEADBAND, h = band;
    }
    if (material) *material = m;
    return h;
}

bool wantsHair(const Appearance& look) { return look.hairStyle != STYLE_NONE || look.headband != 0; }

SurfaceMesh meshHair(const HairShapes& hair) {
    const float S = hair.S;
    const Vector3 min = {kHairBoxMin.x * S, kHairBoxMin.y * S, kHairBoxMin.z * S};
    const Vector3 max = {kHairBoxMax.x * S, kHairBoxMax.y * S, kHairBoxMax.z * S};
    SurfaceMesh mesh = polygonizeSdf([&hair](Vector3 p) { return hairDistance(hair, p); }, min, max, kHairCell * S);
    smoothMesh(mesh, 1, 0.5f);
    return mesh;
}

void buildHair(CharacterModel& model) {
    if (!wantsHair(model.appearance)) return;
    const HairShapes hair = makeHairShapes(model);
    const SurfaceMesh mesh = meshHair(hair);
    const SdfField field = [&hair](Vector3 p) { return hairDistance(hair, p); };
    const Appearance& look = model.appearance;
    const float S = hair.S;
    std::vector<Color> colors(mesh.positions.size());
    for (size_t i = 0; i < colors.size(); ++i) {
        const Vector3 p = mesh.positions[i];
        uint32_t material = HAIR_HAIR;
        hairDistance(hair, p, &material);
        ColorF c = toColorF(look.trimColor);
        if (material == HAIR_HAIR) {
            const float g = valueNoise3({900.0f * p.x, 900.0f * p.y, 900.0f * p.z});
            c = scaleRgb(toColorF(look.hairColor), 0.4f * g + 0.8f);
        }
        const float occ = sdfOcclusion(field, p, mesh.normals[i], 0.006f * S, 0.02f * S);
        colors[i] = toColor(scaleRgb(c, 0.4f * occ + 0.6f));
    }
    bakeMeshData(model.hair, mesh, mesh.indices, {}, colors, false);
    model.hasHair = 1;
}
