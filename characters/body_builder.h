// The skinned body of one character: one distance field of three garments of
// shapes (bare body, jersey, shorts) placed around the bind-pose joints,
// meshed once and split into the body part (skin and shorts, vertex colours)
// and the jersey part (jersey texture, grey occlusion shade). Pure CPU work
// for a builder thread: it writes only the model it is given.
#pragma once
#include <cstdint>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/sdf_culling.h"
#include "characters/sdf_kernel.h"
#include "characters/skeleton.h"
#include "characters/surface_mesher.h"

// Body region of a body shape; drives skinning and colour.
enum BodyMaterial : uint32_t {
    BODY_TRUNK = 0,
    BODY_ARM = 1, // + side
    BODY_LEG = 3, // + side
};

struct Sphere {
    Vector3 centre;
    float radius;
};

// The three garments of one character in its bind pose.
struct BodyShapes {
    float s = 1.0f; // half the height: every length scales with it
    std::vector<SdfPrimitive> body, jersey, shorts;
    // The body list starts with the jersey's shapes (the torso), so the
    // distance to its first torsoCount shapes is the jersey's list distance.
    size_t torsoCount = 0;
    Sphere cutOuts[4] = {}; // jersey arm holes (side 0, side 1), front and back neck
    float inflation = 0, cutBlend = 0;
    float hemY = 0, topJ = 0; // jersey hem and texture top heights
    float topS = 0, botS = 0; // shorts slab
};

BodyShapes makeBodyShapes(const CharacterModel& model, const Skeleton& bind);
// The same garments with their shape lists culled to a box: the same field inside it.
BodyShapes narrowBodyShapes(const BodyShapes& shapes, const SdfBox& box);

float jerseyDistance(const BodyShapes& shapes, Vector3 p);
float shortsDistance(const BodyShapes& shapes, Vector3 p, uint32_t* material = nullptr);
// The body field: the nearest of the three garments.
float bodyDistance(const BodyShapes& shapes, Vector3 p);
// The same at four points at once.
Lanes bodyDistanceLanes(const BodyShapes& shapes, const LanePoints& p);
// The body field narrowed to boxes; `shapes` must outlive it.
SdfNarrowing bodyNarrowing(const BodyShapes& shapes);

// The meshing box (joints plus margins) and the smoothed surface of the field.
void bodyBox(const Skeleton& bind, float s, Vector3& min, Vector3& max);
SurfaceMesh meshBody(const BodyShapes& shapes, const Skeleton& bind);

// Fills the model's body and jersey MeshData and SkinData.
void buildBody(CharacterModel& model, const Skeleton& bind);
