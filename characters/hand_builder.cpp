// Hands: wrist, palm, four three-segment fingers and a thumb, meshed in the
// hand joint's frame (the hand hangs along -y) and coloured lighter on the
// palm side.
#include <algorithm>
#include <cmath>

#include "characters/build_math.h"
#include "characters/character_builder.h"
#include "characters/field_sampling.h"
#include "characters/mesh_baking.h"

namespace {

constexpr Vector3 kHandBoxMin = {-0.075f, -0.22f, -0.06f}; // x s
constexpr Vector3 kHandBoxMax = {0.075f, 0.06f, 0.095f};   // x s
constexpr float kHandCell = 0.0029f;                       // x s
constexpr float kVertexGroup = 0.03f;                      // x s: vertices are shaded in groups of this size
constexpr float kFingerRadius = 0.0095f;                   // x s
constexpr float kFingerTaper = 0.9f;
constexpr float kFingerBlend = 0.012f;                     // x s
constexpr float kCurl[3] = {0.35f, 0.85f, 1.2f};           // segment angles from straight down
const ColorF kPalmTone = {230, 180, 160, 255};

struct Finger {
    float z;
    float length[3];
    float spread;
};
constexpr Finger kFingers[4] = {{0.03f, {0.045f, 0.027f, 0.022f}, 0.06f},
                                {0.01f, {0.05f, 0.03f, 0.024f}, 0.0f},
                                {-0.01f, {0.047f, 0.028f, 0.022f}, -0.05f},
                                {-0.029f, {0.037f, 0.022f, 0.019f}, -0.11f}};

Vector3 scaled(Vector3 v, float s) { return {v.x * s, v.y * s, v.z * s}; }

} // namespace

void addHandPrimitives(std::vector<SdfPrimitive>& l, float s, float f) {
    l.push_back(makeCapsule({0, 0.03f * s, 0}, {0, -0.02f * s, 0}, 0.027f * s, 0.026f * s, 0.0f, 0));
    l.push_back(makeRoundedBox({0, -0.052f * s, 0.004f * s}, {0.006f * s, 0.036f * s, 0.032f * s}, 0.011f * s,
                               0.02f * s, 0));
    for (const Finger& finger : kFingers) {
        Vector3 at = {0.002f * s * f, -0.094f * s, finger.z * s};
        for (int i = 0; i < 3; ++i) {
            Vector3 dir = {std::sin(kCurl[i]) * f, -std::cos(kCurl[i]), std::sin(finger.spread)};
            const float len = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
            dir = scaled(dir, 1.0f / len);
            const float segment = finger.length[i] * s;
            const Vector3 end = {at.x + dir.x * segment, at.y + dir.y * segment, at.z + dir.z * segment};
            const float r = kFingerRadius * s;
            l.push_back(makeCapsule(at, end, r, kFingerTaper * r, kFingerBlend * s, 0));
            at = end;
        }
    }
    const Vector3 thumb[4] = {{0.012f * s * f, -0.03f * s, 0.033f * s},
                              {0.03f * s * f, -0.064f * s, 0.052f * s},
                              {0.04f * s * f, -0.093f * s, 0.058f * s},
                              {0.045f * s * f, -0.115f * s, 0.056f * s}};
    l.push_back(makeCapsule(thumb[0], thumb[1], 0.015f * s, 0.012f * s, 0.015f * s, 0));
    l.push_back(makeCapsule(thumb[1], thumb[2], 0.011f * s, 0.01f * s, 0.004f * s, 0));
    l.push_back(makeCapsule(thumb[2], thumb[3], 0.0098f * s, 0.009f * s, 0.003f * s, 0));
}

SurfaceMesh meshHand(std::span<const SdfPrimitive> hand, float s) {
    MeshingOptions options;
    options.narrow = narrowSceneDistance(hand);
    SurfaceMesh mesh = polygonizeSdf([hand](Vector3 p) { return handDistance(hand, p); }, scaled(kHandBoxMin, s),
                                     scaled(kHandBoxMax, s), kHandCell * s, options);
    smoothMesh(mesh, 1, 0.5f);
    return mesh;
}

void buildHand(CharacterModel& model, int side) {
    const float s = 0.5f * model.height;
    const float f = side == 0 ? 1.0f : -1.0f;
    std::vector<SdfPrimitive> hand;
    addHandPrimitives(hand, s, f);
    const SurfaceMesh mesh = meshHand(hand, s);
    const std::vector<float> occ =
        vertexOcclusion(narrowSceneDistance(hand), mesh.positions, mesh.normals, 0.004f * s, 0.012f * s, kVertexGroup * s);

    const Color skinBytes = model.appearance.skinColor;
    const ColorF skin = toColorF(skinBytes);
    const ColorF light = mixColor(skin, kPalmTone, 0.45f * darkness(skinBytes));
    std::vector<Color> colors(mesh.positions.size());
    for (size_t i = 0; i < colors.size(); ++i) {
        const Vector3 p = mesh.positions[i], n = mesh.normals[i];
        const float palm = smoothstep01(std::clamp((n.x * f - 0.2f) / 0.6f, 0.0f, 1.0f));
        const float grain = 0.06f * valueNoise3(scaled(p, 300.0f)) + 0.96f;
        const Color c = toColor(scaleRgb(mixColor(skin, light, palm), grain));
        colors[i] = scaleRgb(c, 0.5f * occ[i] + 0.5f);
    }
    bakeMeshData(model.hand[side], mesh, mesh.indices, {}, colors, false);
}
