// Hair and headband of one character: a shell around the skull above a
// hairline that rises from the nape to the forehead, in one of four styles,
// with the ears carved out, plus a tilted headband strip. Meshed in the head
// joint's frame and vertex-coloured (no texture coordinates).
#pragma once
#include <cstdint>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/sdf_kernel.h"
#include "characters/surface_mesher.h"

enum HairMaterial : uint32_t { HAIR_HAIR = 0, HAIR_HEADBAND = 1 };

struct HairShapes {
    std::vector<SdfPrimitive> skull; // cranium and brow mass of the head
    float S = 1.0f;                  // head scale
    int style = 0;                   // 0 none, 1 close crop, 2 full rounded, 3 raised top, 4 ridged rows
    bool headband = false;
};

HairShapes makeHairShapes(const CharacterModel& model);

// Hairline height (in head units) at a point z / S from the nape forward.
float hairlineHeight(float zOverS);

// material (may be null): HAIR_HAIR or HAIR_HEADBAND.
float hairDistance(const HairShapes& hair, Vector3 p, uint32_t* material = nullptr);

// True when the look has a hair style or a headband.
bool wantsHair(const Appearance& look);

// The smoothed hair surface.
SurfaceMesh meshHair(const HairShapes& hair);

// Fills the model's hair MeshData and sets its has-hair flag (nothing when
// the look has neither hair nor headband).
void buildHair(CharacterModel& model);
