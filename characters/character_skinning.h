// CPU skinning of the body and jersey: every baked vertex follows two joints
// of the posed skeleton, blended by its weight. Pure code over plain arrays;
// the renderer copies the results into its dynamic vertex buffers.
#pragma once
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/skeleton.h"

// skin[j] = the posed joint j applied after the model's inverse bind matrix j.
void computeSkinMatrices(const CharacterModel& model, const Skeleton& posed, Matrix skin[JOINT_COUNT]);

// Writes 3 floats per vertex of `skin` into positions and normals (normals
// renormalised). Bones outside the skeleton are read as joint 0.
void skinVertices(const SkinData& skin, const Matrix matrices[JOINT_COUNT], float* positions, float* normals);
