// Body builder: shapes around the bind-pose joints, one meshing of the body
// field, then per vertex its garment, colour, two bones, jersey texture
// coordinates and occlusion, and the split into body and jersey parts.
#include "characters/body_builder.h"

#include <algorithm>
#include <cmath>

#include "characters/build_math.h"
#include "characters/field_sampling.h"
#include "characters/mesh_baking.h"

namespace {

constexpr float kBodyCell = 0.0092f;   // x s
constexpr float kBoxSide = 0.16f;      // x s, around the joints in x and z
constexpr float kBoxBelow = 0.06f;     // x s, below the side 0 ankle
constexpr float kBoxAbove = 0.12f;     // x s, above the highest joint
// The heaviest build's seat and glutes reach the box's back wall, and the
// neck its top: two more whole cells there (the lattice does not move).
constexpr int kExtraBackCells = 2;
constexpr int kExtraTopCells = 2;
constexpr int kSmoothIterations = 2;
constexpr float kVertexGroup = 0.08f;  // x s: vertices are shaded in groups of this size
constexpr float kSmoothLambda = 0.5f;

enum Garment : uint8_t { GARMENT_SKIN = 0, GARMENT_JERSEY = 1, GARMENT_SHORTS = 2 };

const Color kWhite = {255, 255, 255, 255};
const Color kDarkSleeve = {28, 28, 34, 255};

inline Vector3 add(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 sub(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 scale(Vector3 a, float f) { return {a.x * f, a.y * f, a.z * f}; }
inline float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float length(Vector3 v) { return std::sqrt(dot(v, v)); }

Vector3 joint(const Skeleton& k, int j) { return jointOrigin(k.joints[j]); }

// Projection of p - from on the unit vector from `from` to `to`, and that length.
float along(Vector3 p, Vector3 from, Vector3 to, float* segment) {
    const Vector3 d = sub(to, from);
    const float len = length(d);
    if (segment) *segment = len;
    return len > 0.0f ? dot(sub(p, from), scale(d, 1.0f / len)) : 0.0f;
}

void addTorso(std::vector<SdfPrimitive>& l, float pY, float s, float b) {
    l.push_back(makeEllipsoid({0, pY - 0.01f * s, -0.01f * s}, {0.165f * b * s, 0.11f * s, 0.115f * b * s}, 0.0f,
                              BODY_TRUNK));
    l.push_back(makeEllipsoid({0, pY + 0.18f * s, 0.005f * s}, {0.145f * b * s, 0.13f * s, 0.108f * b * s}, 0.07f,
                              BODY_TRUNK));
    l.push_back(makeEllipsoid({0, pY + 0.38f * s, 0}, {0.158f * b * s, 0.15f * s, 0.118f * b * s}, 0.07f,
                              BODY_TRUNK));
    l.push_back(makeEllipsoid({0, pY + 0.52f * s, -0.012f * s}, {0.172f * b * s, 0.11f * s, 0.112f * b * s},
                              0.06f, BODY_TRUNK));
    for (float sx : {1.0f, -1.0f}) // pectorals
        l.push_back(makeEllipsoid({sx * 0.074f * b * s, pY + 0.49f * s, 0.07f * b * s},
                                  {0.082f * b * s, 0.058f * s, 0.04f * b * s}, 0.04f, BODY_TRUNK));
    for (float sx : {1.0f, -1.0f}) // back
        l.push_back(makeEllipsoid({sx * 0.122f * b * s, pY + 0.41f * s, -0.035f * s},
                                  {0.062f * b * s, 0.13f * s, 0.068f * b * s}, 0.05f, BODY_TRUNK));
    l.push_back(makeEllipsoid({0, pY + 0.625f * s, -0.035f * s}, {0.118f * b * s, 0.052f * s, 0.062f * b * s},
                              0.05f, BODY_TRUNK));
    for (float sx : {1.0f, -1.0f}) // shoulder line
        l.push_back(makeCapsule({sx * 0.035f * s, pY + 0.625f * s, 0.025f * s},
                                {sx * 0.19f * b * s, pY + 0.63f * s, -0.005f * s}, 0.026f * s, 0.03f * s, 0.035f,
                                BODY_TRUNK));
}

// One arm or leg: its three joints from the upper one down, on one side.
struct Limb {
    float sx;        // +1 on side 0, -1 on side 1
    uint32_t m;      // material
    Matrix upper, lower;
    Vector3 top, middle, end;
};

Limb limbOf(const Skeleton& k, int side, int upperJoint, uint32_t material) {
    return {side == 0 ? 1.0f : -1.0f, material,     k.joints[upperJoint], k.joints[upperJoint + 1],
            joint(k, upperJoint),     joint(k, upperJoint + 1), joint(k, upperJoint + 2)};
}

void addArm(std::vector<SdfPrimitive>& l, const Limb& a, float s, float b) {
    const float rb = std::sqrt(b);
    l.push_back(makeOrientedEllipsoid(a.upper, {0.012f * s * a.sx, -0.035f * s, 0},
                                      {0.06f * b * s, 0.088f * s, 0.064f * b * s}, 0.04f, a.m)); // deltoid
    l.push_back(makeCapsule(a.top, a.middle, 0.049f * b * s, 0.04f * b * s, 0.03f, a.m));    // upper arm
    l.push_back(makeOrientedEllipsoid(a.upper, {0, -0.17f * s, 0.02f * s}, {0.042f * b * s, 0.088f * s, 0.044f * b * s},
                                      0.03f, a.m)); // biceps
    l.push_back(makeOrientedEllipsoid(a.upper, {0, -0.15f * s, -0.024f * s},
                                      {0.041f * b * s, 0.1f * s, 0.041f * b * s}, 0.03f, a.m)); // triceps
    l.push_back(makeCapsule(a.middle, a.end, 0.041f * b * s, 0.029f * rb * s, 0.025f, a.m)); // forearm
    l.push_back(makeOrientedEllipsoid(a.lower, {0, -0.075f * s, 0.004f * s}, {0.046f * b * s, 0.09f * s, 0.04f * b * s},
                                      0.03f, a.m)); // forearm muscle
    l.push_back(makeOrientedEllipsoid(a.lower, {0, 0, -0.028f * s}, {0.024f * s, 0.024f * s, 0.022f * s}, 0.02f,
                                      a.m)); // elbow point
}

void addLeg(std::vector<SdfPrimitive>& l, const Limb& g, float s, float b) {
    l.push_back(makeCapsule(g.top, g.middle, 0.083f * b * s, 0.054f * b * s, 0.05f, g.m)); // thigh
    l.push_back(makeOrientedEllipsoid(g.upper, {0, -0.22f * s, 0.025f * s}, {0.074f * b * s, 0.18f * s, 0.068f * b * s},
                                      0.04f, g.m)); // quadriceps
    l.push_back(makeOrientedEllipsoid(g.upper, {-0.03f * s * g.sx, -0.38f * s, 0.022f * s},
                                      {0.044f * b * s, 0.075f * s, 0.044f * b * s}, 0.03f, g.m)); // inner knee
    l.push_back(makeOrientedEllipsoid(g.upper, {0, -0.22f * s, -0.035f * s}, {0.068f * b * s, 0.17f * s, 0.06f * b * s},
                                      0.04f, g.m)); // hamstrings
    l.push_back(makeOrientedEllipsoid(g.lower, {0, -0.01f * s, 0.016f * s}, {0.048f * s, 0.045f * s, 0.044f * s},
                                      0.03f, g.m)); // kneecap
    l.push_back(makeCapsule(g.middle, g.end, 0.05f * b * s, 0.033f * s, 0.03f, g.m)); // shin
    l.push_back(makeOrientedEllipsoid(g.lower, {0, -0.13f * s, -0.028f * s}, {0.055f * b * s, 0.12f * s, 0.054f * b * s},
                                      0.035f, g.m)); // calf
    l.push_back(makeEllipsoid(g.end, {0.036f * s, 0.036f * s, 0.036f * s}, 0.02f, g.m)); // ankle
}

// Everything the per-vertex pass needs besides the shapes.
struct VertexRules {
    const BodyShapes& shapes;
    const Appearance& look;
    const Skeleton& bind;
    float s;
};

struct BodyVertex {
    Garment garment = GARMENT_SKIN;
    uint32_t material = BODY_TRUNK;
    Vector2 uv = {0, 0};
    uint8_t boneA = 0, boneB = 0;
    float weightA = 1.0f;
    Color body = {0, 0, 0, 0};
    Color shade = {0, 0, 0, 0};
};

void classify(const VertexRules& r, Vector3 p, BodyVertex& v) {
    uint32_t m = 0, mS = 0;
    const float dB = sceneDistance(r.shapes.body, p, &m);
    const float dJ = jerseyDistance(r.shapes, p);
    if (dJ < dB) v.garment = GARMENT_JERSEY, m = BODY_TRUNK;
    const float dS = shortsDistance(r.shapes, p, &mS);
    if (dS < std::min(dB, dJ)) v.garment = GARMENT_SHORTS, m = mS;
    // The glutes bulge a little past the back of the seat; within the shorts'
    // height that bulge is still the seat, not bare skin.
    if (v.garment == GARMENT_SKIN && m == BODY_TRUNK && p.y > r.shapes.botS && p.y < r.shapes.topS &&
        p.z < joint(r.bind, thighJoint(0)).z)
        v.garment = GARMENT_SHORTS;
    v.material = m;
}

Color skinColour(const VertexRules& r, Vector3 p, uint32_t m, float g) {
    const Appearance& a = r.look;
    const Skeleton& k = r.bind;
    Color c = scaleRgb(a.skinColor, 0.07f * g + 0.96f);
    if (m == BODY_ARM || m == BODY_ARM + 1) {
        const int side = (int)(m - BODY_ARM);
        const int u = armJoint(side);
        float forearm = 0, upperArm = 0;
        const float q = along(p, joint(k, u + 1), joint(k, u + 2), &forearm);
        if (a.wristbands && q > 0.8f * forearm) c = side == 0 ? a.trimColor : kWhite;
        if (side == 1 && a.sleeve && along(p, joint(k, u), joint(k, u + 1), &upperArm) > 0.22f * upperArm)
            c = kDarkSleeve;
    } else if (m == BODY_LEG || m == BODY_LEG + 1) {
        const int t = thighJoint((int)(m - BODY_LEG));
        float shin = 0;
        const float q = along(p, joint(k, t + 1), joint(k, t + 2), &shin);
        if (q >= 0.67f * shin) c = scaleRgb(a.sockColor, 0.04f * g + 0.97f);
        else if (q > 0.63f * shin) c = a.trimColor;
    }
    return c;
}

Color shortsColour(const VertexRules& r, Vector3 p, Vector3 n, float g) {
    const Appearance& a = r.look;
    const float waist = r.shapes.topS - 0.035f * r.s;
    Color c = p.y > waist ? a.trimColor : a.shortsColor;
    if (p.y < r.shapes.botS + 0.028f * r.s) c = a.trimColor;
    if (std::fabs(n.x) > 0.86f && p.x * n.x > 0.0f && p.y < waist) c = a.trimColor;
    return scaleRgb(c, 0.06f * g + 0.95f);
}

// Bone pair and weight of bone A: trunk by height, limbs along the limb.
void skinWeights(const VertexRules& r, Vector3 p, uint32_t m, BodyVertex& v) {
    const Skeleton& k = r.bind;
    const float s = r.s;
    if (m == BODY_TRUNK) {
        const float neckY = joint(k, JOINT_NECK).y;
        float t;
        if (p.y <= neckY - 0.03f * s) {
            v.boneA = JOINT_PELVIS, v.boneB = JOINT_SPINE;
            t = (p.y - (joint(k, JOINT_SPINE).y - 0.05f * s)) / (0.17f * s);
        } else {
            v.boneA = JOINT_SPINE, v.boneB = JOINT_NECK;
            t = (p.y - (neckY - 0.03f * s)) / (0.08f * s);
        }
        v.weightA = t < 0.0f ? 1.0f : 1.0f - smoothstep01(std::min(t, 1.0f));
        return;
    }
    const bool arm = m < BODY_LEG;
    const int upper = arm ? armJoint((int)(m - BODY_ARM)) : thighJoint((int)(m - BODY_LEG));
    const int parent = arm ? JOINT_SPINE : JOINT_PELVIS;
    float len = 0;
    const float q = along(p, joint(k, upper), joint(k, upper + 1), &len);
    const float tl = (q - (len - 0.05f * s)) / (0.1f * s);
    const float tu = (0.06f * s - q) / (0.11f * s);
    const float wl = tl >= 0.0f ? smoothstep01(std::clamp(tl, 0.0f, 1.0f)) : 0.0f;
    const float wu = tu >= 0.0f ? 0.5f * smoothstep01(std::clamp(tu, 0.0f, 1.0f)) : 0.0f;
    v.boneA = (uint8_t)upper;
    if (wl > 0.001f) v.boneB = (uint8_t)(upper + 1), v.weightA = 1.0f - wl;
    else v.boneB = (uint8_t)parent, v.weightA = 1.0f - wu;
}

Vector2 jerseyUv(const BodyShapes& shapes, Vector3 p) {
    const float turn = std::atan2(p.x, p.z) / (2.0f * PI) + 0.75f;
    const float u = turn - std::floor(turn);
    float v = (shapes.topJ - p.y) / (shapes.topJ - shapes.hemY);
    v = std::clamp(v, 0.06f, 1.0f);
    for (const Sphere& c : shapes.cutOuts) // collar and arm-hole trim row
        if (std::fabs(length(sub(p, c.centre)) - c.radius) < 0.017f * shapes.s) v = 0.02f;
    return {u, v};
}

// Everything but occlusion.
BodyVertex shadeVertex(const VertexRules& r, Vector3 p, Vector3 n) {
    BodyVertex v;
    classify(r, p, v);
    const float g = valueNoise3(scale(p, 60.0f));
    if (v.garment == GARMENT_SKIN) v.body = skinColour(r, p, v.material, g);
    else if (v.garment == GARMENT_JERSEY) v.body = kWhite;
    else v.body = shortsColour(r, p, n, g);
    skinWeights(r, p, v.material, v);
    if (v.garment == GARMENT_JERSEY) v.uv = jerseyUv(r.shapes, p);
    return v;
}

void applyOcclusion(BodyVertex& v, float occ) {
    v.body = scaleRgb(v.body, 0.5f * occ + 0.5f);
    const unsigned char grey = colourByte((0.45f * occ + 0.55f) * 255.0f);
    v.shade = {grey, grey, grey, 255};
}

} // namespace

BodyShapes makeBodyShapes(const CharacterModel& model, const Skeleton& k) {
    BodyShapes sh;
    const float s = 0.5f * model.height, b = model.build;
    sh.s = s;
    const float pY = joint(k, JOINT_PELVIS).y;
    const Vector3 P2 = joint(k, JOINT_NECK), P3 = joint(k, JOINT_HEAD);

    addTorso(sh.body, pY, s, b);
    addTorso(sh.jersey, pY, s, b);
    sh.torsoCount = sh.jersey.size();
    const float neck = 0.056f * std::sqrt(b) * s;
    sh.body.push_back(makeCapsule(add(P2, {0, -0.05f * s, -0.012f * s}), add(P3, {0, 0.07f * s, 0.006f * s}), neck,
                                  0.93f * neck, 0.05f, BODY_TRUNK));
    for (float sx : {1.0f, -1.0f}) // glutes
        sh.body.push_back(makeEllipsoid({sx * 0.07f * b * s, pY - 0.03f * s, -0.075f * b * s},
                                        {0.085f * b * s, 0.1f * s, 0.07f * b * s}, 0.04f, BODY_TRUNK));
    for (int side = 0; side < 2; ++side) {
        addArm(sh.body, limbOf(k, side, armJoint(side), BODY_ARM + side), s, b);
        addLeg(sh.body, limbOf(k, side, thighJoint(side), BODY_LEG + side), s, b);
    }

    sh.shorts.push_back(makeEllipsoid({0, pY, -0.008f * s}, {0.19f * b * s, 0.135f * s, 0.138f * b * s}, 0.0f,
                                      BODY_TRUNK));
    for (int side = 0; side < 2; ++side) {
        const Vector3 H = joint(k, thighJoint(side)), K = joint(k, thighJoint(side) + 1);
        sh.shorts.push_back(makeCapsule(add(H, {0, 0.04f * s, 0}), add(H, scale(sub(K, H), 0.62f)), 0.104f * b * s,
                                        0.097f * b * s, 0.05f, BODY_LEG + side));
    }

    sh.inflation = 0.011f * s;
    sh.cutBlend = 0.012f * s;
    for (int side = 0; side < 2; ++side)
        sh.cutOuts[side] = {sub(joint(k, armJoint(side)), {0, 0.05f * s, 0}), 0.115f * s};
    sh.cutOuts[2] = {add(P2, {0, 0.015f * s, 0.07f * s}), 0.08f * s};
    sh.cutOuts[3] = {add(P2, {0, 0.04f * s, -0.035f * s}), 0.068f * s};
    sh.hemY = pY - 0.05f * s;
    sh.topJ = joint(k, armJoint(0)).y + 0.06f * s;

    const Vector3 H = joint(k, thighJoint(0)), K = joint(k, thighJoint(0) + 1);
    sh.topS = pY + 0.11f * s;
    sh.botS = H.y + 0.6f * (K.y - H.y);
    return sh;
}

BodyShapes narrowBodyShapes(const BodyShapes& shapes, const SdfBox& box) {
    BodyShapes local = shapes;
    for (auto [from, to] : {std::pair{&shapes.body, &local.body}, std::pair{&shapes.jersey, &local.jersey},
                            std::pair{&shapes.shorts, &local.shorts}}) {
        to->clear();
        cullPrimitives(*from, box, *to);
    }
    // Culling decides each shape from the shapes before it only, so the
    // culled body list still starts with the culled jersey list.
    local.torsoCount = local.jersey.size();
    return local;
}

float jerseyDistance(const BodyShapes& sh, Vector3 p) {
    float d = sceneDistance(sh.jersey, p) - sh.inflation;
    for (const Sphere& c : sh.cutOuts) d = smoothSubtract(d, length(sub(p, c.centre)) - c.radius, sh.cutBlend);
    return std::max(d, sh.hemY - p.y);
}

float shortsDistance(const BodyShapes& sh, Vector3 p, uint32_t* material) {
    return std::max({sceneDistance(sh.shorts, p, material), p.y - sh.topS, sh.botS - p.y});
}

float bodyDistance(const BodyShapes& sh, Vector3 p) {
    return std::min({sceneDistance(sh.body, p), jerseyDistance(sh, p), shortsDistance(sh, p)});
}

Lanes bodyDistanceLanes(const BodyShapes& sh, const LanePoints& p) {
    Lanes torso;
    const Lanes body = sceneDistanceLanes(sh.body, p, nullptr, sh.torsoCount, &torso);
    Lanes jersey = torso - sh.inflation;
    for (const Sphere& c : sh.cutOuts) {
        const Lanes e = laneLength(p.x - c.centre.x, p.y - c.centre.y, p.z - c.centre.z) - c.radius;
        jersey = -laneSmoothMin(e, -jersey, sh.cutBlend);
    }
    jersey = laneMax(jersey, sh.hemY - p.y);
    const Lanes shorts = laneMax(laneMax(sceneDistanceLanes(sh.shorts, p), p.y - sh.topS), sh.botS - p.y);
    return laneMin(laneMin(body, jersey), shorts);
}

void bodyBox(const Skeleton& k, float s, Vector3& min, Vector3& max) {
    min = max = joint(k, 0);
    for (int j = 1; j < JOINT_COUNT; ++j) {
        const Vector3 p = joint(k, j);
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
    }
    const float cell = kBodyCell * s;
    min = {min.x - kBoxSide * s, joint(k, footJoint(0)).y - kBoxBelow * s, min.z - kBoxSide * s};
    max = {max.x + kBoxSide * s, max.y + kBoxAbove * s, max.z + kBoxSide * s};
    min.z -= (float)kExtraBackCells * cell;
    max.y += (float)kExtraTopCells * cell;
}

SdfNarrowing bodyNarrowing(const BodyShapes& shapes) {
    return [&shapes](const SdfBox& box) -> SdfBatchField {
        return [local = narrowBodyShapes(shapes, box)](const Vector3* points, float* out, size_t n) {
            evaluateInLanes(points, out, n, [&](const LanePoints& p) { return bodyDistanceLanes(local, p); });
        };
    };
}

SurfaceMesh meshBody(const BodyShapes& shapes, const Skeleton& bind) {
    Vector3 min, max;
    bodyBox(bind, shapes.s, min, max);
    MeshingOptions options;
    options.narrow = bodyNarrowing(shapes);
    SurfaceMesh mesh = polygonizeSdf([&shapes](Vector3 p) { return bodyDistance(shapes, p); }, min, max,
                                     kBodyCell * shapes.s, options);
    smoothMesh(mesh, kSmoothIterations, kSmoothLambda);
    return mesh;
}

void buildBody(CharacterModel& model, const Skeleton& bind) {
    const BodyShapes shapes = makeBodyShapes(model, bind);
    const SurfaceMesh mesh = meshBody(shapes, bind);
    const float bucket = kVertexGroup * shapes.s;

    const size_t n = mesh.positions.size();
    std::vector<BodyVertex> verts(n);
    forEachPointGroup(mesh.positions, bucket, [&](const SdfBox& box, std::span<const uint32_t> group) {
        const BodyShapes local = narrowBodyShapes(shapes, box);
        const VertexRules rules{local, model.appearance, bind, shapes.s};
        for (uint32_t i : group) verts[i] = shadeVertex(rules, mesh.positions[i], mesh.normals[i]);
    });
    const std::vector<float> occ =
        vertexOcclusion(bodyNarrowing(shapes), mesh.positions, mesh.normals, 0.02f * shapes.s, 0.06f * shapes.s, bucket);

    std::vector<uint8_t> garment(n), boneA(n), boneB(n);
    std::vector<float> weightA(n);
    std::vector<Vector2> uvs(n);
    std::vector<Color> bodyColors(n), shades(n);
    for (size_t i = 0; i < n; ++i) {
        BodyVertex& v = verts[i];
        applyOcclusion(v, occ[i]);
        garment[i] = v.garment;
        boneA[i] = v.boneA, boneB[i] = v.boneB, weightA[i] = v.weightA;
        uvs[i] = v.uv;
        bodyColors[i] = v.body, shades[i] = v.shade;
    }

    // Two or more jersey vertices put a triangle on the jersey.
    std::vector<uint32_t> bodySet, jerseySet;
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const uint32_t* tri = &mesh.indices[t];
        const int jersey = (garment[tri[0]] == GARMENT_JERSEY) + (garment[tri[1]] == GARMENT_JERSEY) +
                           (garment[tri[2]] == GARMENT_JERSEY);
        std::vector<uint32_t>& set = jersey >= 2 ? jerseySet : bodySet;
        set.insert(set.end(), tri, tri + 3);
    }
    const SkinSource source{mesh, uvs, boneA, boneB, weightA};
    bakeSkinnedMeshData(source, model.body, model.bodySkin, bodySet, bodyColors, false);
    bakeSkinnedMeshData(source, model.jersey, model.jerseySkin, jerseySet, shades, true);
}
