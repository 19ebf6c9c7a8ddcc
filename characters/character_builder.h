// Assembly of one character from its look, on the calling thread and without
// the GPU: bind-pose skeleton and inverse bind matrices, body and jersey,
// head and hair, two hands and two shoes. The build is deterministic (all
// noise hashes the position), so a model built on a worker thread is the same
// byte for byte as one built on the main thread. Hands and shoes are built in
// the frame of their joint; s = 0.5 height.
#pragma once
#include <atomic>
#include <thread>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/sdf_culling.h"
#include "characters/sdf_kernel.h"
#include "characters/surface_mesher.h"

void buildCharacter(CharacterModel& model, const Appearance& look);

// Side 0 is drawn on joint 6 (hand) or 12 (foot), side 1 on joint 9 or 15.
void buildHand(CharacterModel& model, int side);
void buildShoe(CharacterModel& model, int side);

// The hand's shapes; f = +1 for side 0 and -1 for side 1 mirrors the thumb and fingers.
void addHandPrimitives(std::vector<SdfPrimitive>& list, float s, float f);
inline float handDistance(std::span<const SdfPrimitive> hand, Vector3 p) { return sceneDistance(hand, p); }
SurfaceMesh meshHand(std::span<const SdfPrimitive> hand, float s);

struct ShoeShapes {
    float s = 1.0f;
    std::vector<SdfPrimitive> upper, sole;
};
ShoeShapes makeShoeShapes(float s);
// The upper, cut off below the sole's top, standing on the sole.
float shoeUpperDistance(const ShoeShapes& shoe, Vector3 p);
float shoeDistance(const ShoeShapes& shoe, Vector3 p);
Lanes shoeDistanceLanes(const ShoeShapes& shoe, const LanePoints& p);
// The same shoe with its lists culled to a box: the same field inside it.
ShoeShapes narrowShoeShapes(const ShoeShapes& shoe, const SdfBox& box);
// The shoe field narrowed to boxes; `shoe` must outlive it.
SdfNarrowing shoeNarrowing(const ShoeShapes& shoe);
SurfaceMesh meshShoe(const ShoeShapes& shoe);

// Builder threads: thread i runs buildCharacter(models[i], looks[i]) and then
// adds one to `finished` (may be null). The threads touch nothing else, so
// the caller may poll `finished` while they run and must join them before
// using the models. A character whose thread cannot be started is built on
// the calling thread before this returns. n < 1 starts nothing.
std::vector<std::thread> startCharacterBuilders(CharacterModel* models, const Appearance* looks, int n,
                                                std::atomic<int>* finished);
void joinCharacterBuilders(std::vector<std::thread>& threads);
