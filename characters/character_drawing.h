// A character posed and drawn each frame, on the main thread: the body and
// jersey are skinned on the CPU from the posed skeleton into their dynamic
// vertex buffers, then every part is drawn through the renderer's lit-mesh
// call, in whichever pass is current. The rigid parts ride their joints:
// head and hair on the head matrix, hands on joints 6 and 9, shoes on 12 and
// 15. A model that was never uploaded is neither skinned nor drawn.
#pragma once
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/skeleton.h"

// Skins one uploaded part: positions and normals into the mesh's CPU arrays
// and its position and normal buffers. Does nothing for a mesh that was never
// uploaded or whose skin data does not match its vertices. groups are the
// skin data's vertices grouped by bone (made again when they do not fit it).
void skinMesh(Mesh& mesh, const SkinData& skin, SkinGroups& groups, const Matrix skinMatrices[JOINT_COUNT]);
// Skins the body and the jersey for the skeleton's pose.
void skinCharacterModel(CharacterModel& model, const Skeleton& skeleton);

// Draws every part (the head and hair unless hideHead: the first-person
// view). shadowPass tells that the shadow map is being drawn; the same parts
// are drawn either way.
void drawCharacterModel(const CharacterModel& model, const Skeleton& skeleton, bool shadowPass, bool hideHead);
