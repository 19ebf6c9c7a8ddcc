// Head builder: the head's shapes, its unsmoothed mesh with cylindrical
// texture coordinates (seam fixed), the painted texture and the hair.
#include "characters/head_builder.h"

#include <cmath>

#include "characters/hair_builder.h"
#include "characters/head_texture.h"
#include "characters/mesh_baking.h"

namespace {

constexpr Vector3 kHeadBoxMin = {-0.1f, -0.18f, -0.125f}; // x S
constexpr Vector3 kHeadBoxMax = {0.1f, 0.13f, 0.135f};    // x S
constexpr float kHeadCell = 0.0032f;                      // x S
constexpr float kTextureHeight = 0.36f;                   // x S, the texture's v span

// One ellipsoid of the table, every number in head units.
SdfPrimitive ellipsoid(float S, Vector3 c, Vector3 r, float blend, uint32_t material,
                       SdfOp op = SdfOp::SmoothUnion) {
    SdfPrimitive p = makeEllipsoid({c.x * S, c.y * S, c.z * S}, {r.x * S, r.y * S, r.z * S}, blend * S, material);
    p.op = op;
    return p;
}

SdfPrimitive capsule(float S, Vector3 a, Vector3 b, float r0, float r1, float blend) {
    return makeCapsule({a.x * S, a.y * S, a.z * S}, {b.x * S, b.y * S, b.z * S}, r0 * S, r1 * S, blend * S,
                       HEAD_SKIN);
}

} // namespace

float headScale(float height) { return std::pow(0.5f * height, 0.35f); }

void addHeadPrimitives(std::vector<SdfPrimitive>& l, float S, float b) {
    const SdfOp cut = SdfOp::SmoothSubtract;
    const float rb = std::sqrt(b);
    const float sides[2] = {-1.0f, 1.0f}; // the -x side first
    l.push_back(ellipsoid(S, {0, 0.015f, -0.012f}, {0.076f, 0.096f, 0.097f}, 0.0f, HEAD_SKIN));  // cranium
    l.push_back(ellipsoid(S, {0, 0.04f, 0.035f}, {0.068f, 0.06f, 0.06f}, 0.03f, HEAD_SKIN));     // brow mass
    l.push_back(ellipsoid(S, {0, -0.02f, 0.035f}, {0.063f, 0.07f, 0.066f}, 0.03f, HEAD_SKIN));   // mid face
    l.push_back(ellipsoid(S, {0, -0.066f, 0.025f}, {0.06f * rb, 0.042f, 0.064f}, 0.03f, HEAD_SKIN)); // jaw
    l.push_back(ellipsoid(S, {0, -0.096f, 0.066f}, {0.027f, 0.022f, 0.022f}, 0.02f, HEAD_SKIN)); // chin
    for (float x : sides) // cheekbones
        l.push_back(ellipsoid(S, {x * 0.046f, -0.004f, 0.058f}, {0.022f, 0.017f, 0.024f}, 0.02f, HEAD_SKIN));
    l.push_back(ellipsoid(S, {0, 0.031f, 0.08f}, {0.058f, 0.012f, 0.018f}, 0.018f, HEAD_SKIN)); // brow ridge
    for (float x : sides) // eye sockets
        l.push_back(ellipsoid(S, {x * 0.031f, 0.012f, 0.097f}, {0.019f, 0.017f, 0.017f}, 0.012f, HEAD_SKIN, cut));
    for (float x : sides) { // eyeball and lids
        l.push_back(ellipsoid(S, {x * 0.031f, 0.011f, 0.079f}, {0.0125f, 0.0125f, 0.0125f}, 0.0f, HEAD_EYE));
        l.push_back(ellipsoid(S, {x * 0.031f, 0.0228f, 0.0822f}, {0.0168f, 0.0066f, 0.0118f}, 0.004f, HEAD_EYELID));
        l.push_back(ellipsoid(S, {x * 0.031f, -0.0015f, 0.0822f}, {0.015f, 0.005f, 0.0105f}, 0.004f, HEAD_EYELID));
    }
    l.push_back(capsule(S, {0, 0.02f, 0.09f}, {0, -0.018f, 0.108f}, 0.0075f, 0.0105f, 0.01f)); // nose bridge
    l.push_back(ellipsoid(S, {0, -0.024f, 0.106f}, {0.0125f, 0.011f, 0.011f}, 0.006f, HEAD_SKIN)); // nose tip
    for (float x : sides) // nose wings
        l.push_back(ellipsoid(S, {x * 0.0125f, -0.029f, 0.096f}, {0.009f, 0.0075f, 0.009f}, 0.006f, HEAD_SKIN));
    for (float x : sides) // nostrils
        l.push_back(ellipsoid(S, {x * 0.0068f, -0.034f, 0.101f}, {0.0035f, 0.002f, 0.017f}, 0.002f, HEAD_SKIN, cut));
    l.push_back(ellipsoid(S, {0, -0.05f, 0.088f}, {0.024f, 0.0085f, 0.011f}, 0.008f, HEAD_LIP));   // upper lip
    l.push_back(ellipsoid(S, {0, -0.063f, 0.085f}, {0.021f, 0.0085f, 0.0105f}, 0.008f, HEAD_LIP)); // lower lip
    l.push_back(ellipsoid(S, {0, -0.0566f, 0.098f}, {0.023f, 0.0021f, 0.012f}, 0.002f, HEAD_SKIN, cut)); // mouth
    for (float x : sides) { // ear and its hollow
        l.push_back(ellipsoid(S, {x * 0.077f, -0.005f, -0.008f}, {0.011f, 0.031f, 0.02f}, 0.008f, HEAD_EAR));
        l.push_back(ellipsoid(S, {x * 0.086f, -0.003f, -0.008f}, {0.006f, 0.02f, 0.012f}, 0.003f, HEAD_SKIN, cut));
    }
    l.push_back(capsule(S, {0, -0.06f, -0.02f}, {0, -0.17f, -0.035f}, 0.054f * rb, 0.054f * rb + 0.004f, 0.03f));
}

std::vector<SdfPrimitive> headShapes(const CharacterModel& model) {
    std::vector<SdfPrimitive> head;
    addHeadPrimitives(head, headScale(model.height), model.build);
    return head;
}

SurfaceMesh meshHead(std::span<const SdfPrimitive> head, float S) {
    const Vector3 min = {kHeadBoxMin.x * S, kHeadBoxMin.y * S, kHeadBoxMin.z * S};
    const Vector3 max = {kHeadBoxMax.x * S, kHeadBoxMax.y * S, kHeadBoxMax.z * S};
    MeshingOptions options;
    options.narrow = narrowSceneDistance(head);
    return polygonizeSdf([head](Vector3 p) { return headDistance(head, p); }, min, max, kHeadCell * S, options);
}

void buildHead(CharacterModel& model) {
    const float S = headScale(model.height);
    const std::vector<SdfPrimitive> head = headShapes(model);

    const SurfaceMesh mesh = meshHead(head, S);
    std::vector<Vector2> uvs(mesh.positions.size());
    for (size_t i = 0; i < uvs.size(); ++i) {
        const Vector3 p = mesh.positions[i];
        uvs[i] = {std::atan2(p.x, p.z) / (2.0f * PI) + 0.5f, 0.5f - (p.y / S) / kTextureHeight};
    }
    bakeMeshData(model.head, mesh, mesh.indices, uvs, {}, true);

    paintHeadTexture(model.appearance, head, S, model.headPixels);
    buildHair(model);
}
