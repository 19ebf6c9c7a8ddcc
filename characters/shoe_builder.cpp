// Shoes: an upper (foot, heel, collar, toe) standing on a rounded-box sole,
// meshed in the foot joint's frame and coloured by region: outsole,
// midsole, upper, collar trim, laces and a rising side stripe.
#include <algorithm>
#include <cmath>

#include "characters/build_math.h"
#include "characters/character_builder.h"
#include "characters/field_sampling.h"
#include "characters/mesh_baking.h"

namespace {

constexpr Vector3 kShoeBoxMin = {-0.07f, -0.095f, -0.105f}; // x s
constexpr Vector3 kShoeBoxMax = {0.07f, 0.1f, 0.205f};      // x s
constexpr float kShoeCell = 0.0034f;                        // x s
constexpr float kSoleTop = 0.066f;                          // x s, below the joint
constexpr float kVertexGroup = 0.03f;                       // x s: vertices are shaded in groups of this size
const ColorF kOutsole = {70, 70, 74, 255};

Vector3 scaled(Vector3 v, float s) { return {v.x * s, v.y * s, v.z * s}; }

ColorF shoeColour(const Appearance& look, const ShoeShapes& shoe, Vector3 p, Vector3 n) {
    const Vector3 l = scaled(p, 1.0f / shoe.s);
    if (sceneDistance(shoe.sole, p) < shoeUpperDistance(shoe, p) || l.y < -0.062f)
        return l.y < -0.074f ? kOutsole : toColorF(look.soleColor);
    ColorF c = toColorF(look.shoeColor);
    if (std::fabs(l.x) <= 0.028f) {
        if (l.y > 0.03f) c = toColorF(look.trimColor); // collar and tongue top
        if (std::fabs(l.x) < 0.017f && l.z > 0.0f && l.z < 0.1f && n.y > 0.5f)
            c = scaleRgb(toColorF(look.soleColor), 0.95f); // laces
    }
    const float rise = std::clamp((l.z + 0.03f) / 0.16f, 0.0f, 1.0f);
    const float stripeY = 0.022f * rise - 0.048f;
    const float stripeHalf = (1.2f - rise) * 0.007f;
    if (std::fabs(l.y - stripeY) < stripeHalf && l.z > -0.035f && l.z < 0.13f) c = toColorF(look.trimColor);
    return c;
}

} // namespace

ShoeShapes makeShoeShapes(float s) {
    ShoeShapes shoe;
    shoe.s = s;
    shoe.upper.push_back(makeEllipsoid(scaled({0, -0.04f, 0.06f}, s), scaled({0.048f, 0.04f, 0.13f}, s), 0.0f, 0));
    shoe.upper.push_back(
        makeEllipsoid(scaled({0, -0.03f, -0.035f}, s), scaled({0.045f, 0.05f, 0.055f}, s), 0.03f * s, 0));
    shoe.upper.push_back(makeCapsule(scaled({0, -0.03f, -0.01f}, s), scaled({0, 0.035f, -0.016f}, s), 0.05f * s,
                                     0.047f * s, 0.03f * s, 0));
    shoe.upper.push_back(
        makeEllipsoid(scaled({0, -0.052f, 0.13f}, s), scaled({0.044f, 0.03f, 0.06f}, s), 0.03f * s, 0));
    shoe.sole.push_back(
        makeRoundedBox(scaled({0, -0.07f, 0.05f}, s), scaled({0.036f, 0.006f, 0.122f}, s), 0.01f * s, 0.0f, 0));
    return shoe;
}

float shoeUpperDistance(const ShoeShapes& shoe, Vector3 p) {
    return std::max(-(p.y + kSoleTop * shoe.s), sceneDistance(shoe.upper, p));
}

float shoeDistance(const ShoeShapes& shoe, Vector3 p) {
    return std::min(shoeUpperDistance(shoe, p), sceneDistance(shoe.sole, p));
}

ShoeShapes narrowShoeShapes(const ShoeShapes& shoe, const SdfBox& box) {
    ShoeShapes local;
    local.s = shoe.s;
    cullPrimitives(shoe.upper, box, local.upper);
    cullPrimitives(shoe.sole, box, local.sole);
    return local;
}

Lanes shoeDistanceLanes(const ShoeShapes& shoe, const LanePoints& p) {
    const Lanes upper = laneMax(-(p.y + kSoleTop * shoe.s), sceneDistanceLanes(shoe.upper, p));
    return laneMin(upper, sceneDistanceLanes(shoe.sole, p));
}

SdfNarrowing shoeNarrowing(const ShoeShapes& shoe) {
    return [&shoe](const SdfBox& box) -> SdfBatchField {
        return [local = narrowShoeShapes(shoe, box)](const Vector3* points, float* out, size_t n) {
            evaluateInLanes(points, out, n, [&](const LanePoints& p) { return shoeDistanceLanes(local, p); });
        };
    };
}

SurfaceMesh meshShoe(const ShoeShapes& shoe) {
    MeshingOptions options;
    options.narrow = shoeNarrowing(shoe);
    SurfaceMesh mesh = polygonizeSdf([&shoe](Vector3 p) { return shoeDistance(shoe, p); },
                                     scaled(kShoeBoxMin, shoe.s), scaled(kShoeBoxMax, shoe.s), kShoeCell * shoe.s,
                                     options);
    smoothMesh(mesh, 1, 0.5f);
    return mesh;
}

void buildShoe(CharacterModel& model, int side) {
    const ShoeShapes shoe = makeShoeShapes(0.5f * model.height);
    const SurfaceMesh mesh = meshShoe(shoe);
    const std::vector<float> occ = vertexOcclusion(shoeNarrowing(shoe), mesh.positions, mesh.normals,
                                                   0.005f * shoe.s, 0.015f * shoe.s, kVertexGroup * shoe.s);
    std::vector<Color> colors(mesh.positions.size());
    for (size_t i = 0; i < colors.size(); ++i) {
        const Vector3 p = mesh.positions[i], n = mesh.normals[i];
        colors[i] = toColor(scaleRgb(shoeColour(model.appearance, shoe, p, n), 0.45f * occ[i] + 0.55f));
    }
    bakeMeshData(model.shoe[side], mesh, mesh.indices, {}, colors, false);
}
