// A built character on the GPU: its eight meshes and two textures are made
// once, on the main thread, after its builder thread was joined; the head's
// pixel buffer is released then. Also the general build-and-upload of n
// characters on n threads.
//
// Indices are 16 bits, so a part of 65536 vertices or more never keeps an
// index buffer: the builder lays such a part out as a plain triangle list and
// it is drawn without indices. A large part that still carries indices (they
// wrapped) is never uploaded, so it can never be drawn scrambled; nor is a
// part whose indices point past its vertices.
#pragma once
#include <raylib.h>

#include "characters/character_model.h"

enum class PartLayout {
    Empty,        // no vertices: nothing to upload
    Indexed,      // fewer than 65536 vertices, 16-bit indices
    TriangleList, // no indices; every three vertices are one triangle
    Unusable,     // indices that cannot be trusted: not uploaded
};
PartLayout partLayout(const MeshData& part);

// True when the part holds 65536 vertices or more.
bool exceedsShortIndices(const MeshData& part);

// A raylib mesh holding copies of the part's arrays (an array whose length
// does not match the vertex count is left out), uploaded with dynamic
// buffers when asked. An empty or unusable part gives a zeroed mesh that is
// not uploaded.
Mesh meshDataToMesh(const MeshData& data, bool dynamic);

// Main thread, once per built model; a second call does nothing. Body and
// jersey buffers are dynamic (rewritten by the skinning every frame), the
// rest static. Warns once when the body, jersey, head or hair reaches 65536
// vertices.
void uploadCharacterModel(CharacterModel& model);
// Releases the GPU objects of an uploaded model.
void unloadCharacterModel(CharacterModel& model);

// Builds models[i] from looks[i] on n threads, joins them in order, then
// uploads each model in order on the calling thread. n < 1 does nothing.
void buildCharacters(CharacterModel* models, const Appearance* looks, int n);
