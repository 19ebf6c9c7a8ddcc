// Signed-distance kernel shared by every character part: the shape record,
// its makers, the distance to one shape and to an ordered list of shapes
// (with the material of the nearest one), and position hashes for noise.
// Negative distances are inside. Everything here is a pure function of its
// arguments: eight builder threads call it at once without locks.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <raylib.h>

enum class SdfKind : uint32_t { Capsule = 0, Ellipsoid = 1, RoundedBox = 2 };
enum class SdfOp : uint32_t { SmoothUnion = 0, Union = 1, SmoothSubtract = 2 };

constexpr float kSdfFar = 1e9f;

// Any kind outside SdfKind is a shape at distance 1e9; any op outside SdfOp
// makes the list ignore the shape.
struct SdfPrimitive {
    SdfKind kind = SdfKind::Ellipsoid;
    SdfOp op = SdfOp::SmoothUnion;
    float blend = 0.0f;          // blend radius of the smooth operations (m)
    Vector3 a = {0, 0, 0};       // capsule ends
    Vector3 b = {0, 0, 0};
    float r0 = 0.0f, r1 = 0.0f;  // capsule radius at a and at b
    Vector3 centre = {0, 0, 0};  // ellipsoid or box centre
    Vector3 radii = {0, 0, 0};   // ellipsoid semi-axes or box half extents
    Matrix transform = {};       // offset from centre -> local frame (3x3 + fourth column)
    bool oriented = false;
    float rounding = 0.0f;       // rounded box: radius around the inner box
    uint32_t material = 0;
    Vector3 boundCentre = {0, 0, 0}; // a sphere holding the whole shape
    float boundRadius = 0.0f;
    // 1 / radii and 1 / radii^2 of an ellipsoid, made by its makers: the
    // distance multiplies by them instead of dividing by the radii.
    Vector3 inverseRadii = {0, 0, 0};
    Vector3 inverseRadiiSquared = {0, 0, 0};
    // A lower bound of the shape's distance wherever its list is evaluated;
    // only box culling (sdf_culling.h) sets it. A shape at least this far
    // away cannot change the running distance, so it is skipped like one
    // outside its bounding sphere.
    float floor = -kSdfFar;
};

// A part's field: point -> signed distance.
using SdfField = std::function<float(Vector3)>;

SdfPrimitive makeCapsule(Vector3 a, Vector3 b, float r0, float r1, float blend, uint32_t material);
SdfPrimitive makeEllipsoid(Vector3 centre, Vector3 radii, float blend, uint32_t material);
// localCentre and radii are given in the frame of `transform` (a rigid matrix).
SdfPrimitive makeOrientedEllipsoid(const Matrix& transform, Vector3 localCentre, Vector3 radii, float blend,
                                   uint32_t material);
SdfPrimitive makeRoundedBox(Vector3 centre, Vector3 halfExtents, float rounding, float blend,
                            uint32_t material);

float primitiveDistance(const SdfPrimitive& prim, Vector3 p);
// materialOut (may be null) receives the material of the nearest union shape, 0 when none.
float sceneDistance(std::span<const SdfPrimitive> prims, Vector3 p, uint32_t* materialOut = nullptr);

// Smooth minimum with blend radius k; k <= 0 is the plain minimum.
float smoothMin(float x, float y, float k);
// Smooth subtraction of a shape at distance e from a field at distance d.
inline float smoothSubtract(float d, float e, float k) { return -smoothMin(e, -d, k); }

// Hash of the unit lattice cell holding p, in [0, 1].
float hash3(Vector3 p);
// Smooth value noise on the unit lattice, in [0, 1].
float valueNoise3(Vector3 p);

// Ambient occlusion from two samples of the field along the normal, in [0, 1].
float sdfOcclusion(const SdfField& field, Vector3 p, Vector3 n, float d1, float d2);
// The same from the field's values a at p + d1 n and b at p + d2 n.
float occlusionOf(float a, float b, float d1, float d2);
