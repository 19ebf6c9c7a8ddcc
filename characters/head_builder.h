// The head of one character: a distance-field head (skull, face, eyes, nose,
// lips, ears) meshed without smoothing in the head joint's frame, its
// painted 512x512 texture wrapped around the y axis, and the hair mesh. The
// head and hair are rigid (drawn with the head joint's matrix). Pure CPU
// work for a builder thread: it writes only the model it is given.
#pragma once
#include <cstdint>
#include <span>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/sdf_kernel.h"
#include "characters/surface_mesher.h"

enum HeadMaterial : uint32_t { HEAD_SKIN = 0, HEAD_EYE = 1, HEAD_EYELID = 2, HEAD_LIP = 3, HEAD_EAR = 4 };

constexpr int kHeadTextureSize = 512;

// Head lengths are multiples of S = (0.5 height)^0.35.
float headScale(float height);

// Appends the head's shapes (S the head scale, b the build factor).
void addHeadPrimitives(std::vector<SdfPrimitive>& list, float S, float b);
// The head's shapes for a model's height and build.
std::vector<SdfPrimitive> headShapes(const CharacterModel& model);
inline float headDistance(std::span<const SdfPrimitive> head, Vector3 p) { return sceneDistance(head, p); }

// The head surface of a head list, unsmoothed.
SurfaceMesh meshHead(std::span<const SdfPrimitive> head, float S);

// Fills the model's head MeshData, head pixels and, when it has hair or a
// headband, its hair MeshData and has-hair flag.
void buildHead(CharacterModel& model);
