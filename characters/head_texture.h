// The painted head texture: 512x512 RGBA texels wrapped around the head's y
// axis. Each texel marches a ray inward at its angle and height to the head
// surface and paints skin grain, flush, eye shadow, lips, eyes, lids, brows,
// facial hair, the scalp under the hair and occlusion there.
#pragma once
#include <cstdint>
#include <span>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/sdf_kernel.h"

// Angle around the y axis of texel column c, and model height of row r.
float headTexelAngle(int column);
float headTexelHeight(int row, float S);

// One texel: plain skin when its ray misses the head.
Color paintHeadTexel(const Appearance& look, std::span<const SdfPrimitive> head, float S, int column, int row);

// Fills `pixels` with the whole texture, 4 bytes per texel, rows from the top.
void paintHeadTexture(const Appearance& look, std::span<const SdfPrimitive> head, float S,
                      std::vector<uint8_t>& pixels);
