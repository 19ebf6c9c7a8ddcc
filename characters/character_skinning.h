// CPU skinning of the body and jersey: every baked vertex follows two joints
// of the posed skeleton, blended by its weight. Pure code over plain arrays;
// the renderer copies the results into its dynamic vertex buffers.
#pragma once
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/skeleton.h"

// skin[j] = the posed joint j applied after the model's inverse bind matrix j.
void computeSkinMatrices(const CharacterModel& model, const Skeleton& posed, Matrix skin[JOINT_COUNT]);

// The part's vertices grouped by their bones, made once (by the builder) and
// read every frame. Bones outside the skeleton are read as joint 0.
SkinGroups groupSkin(const SkinData& skin);
// Whether the groups were made from this very skin data (same arrays, same size).
bool groupsFit(const SkinGroups& groups, const SkinData& skin);

// Writes 3 floats per vertex of the grouped part into positions and normals
// (normals renormalised), each at its vertex's place in the part.
void skinGroups(const SkinGroups& groups, const Matrix matrices[JOINT_COUNT], float* positions, float* normals);
