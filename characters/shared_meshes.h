// The primitive meshes shared by the characters, the arena and the ball, and
// the soft round blob-shadow texture: built once at start-up, after the
// renderer exists, and kept for the whole run. buildSharedMeshGeometry and
// paintBlobShadowImage are the CPU halves, usable without a window. Also the
// ground shadow under a character or the ball, drawn with the quad and the
// blob texture.
#pragma once
#include <array>
#include <raylib.h>

#include "render/mesh_builder.h"

// Slots 0..8 in build order.
struct SharedMeshes {
    Mesh unitEllipsoid = {};   // superellipsoid exponents 1, 1 (a unit sphere), 14 x 18
    Mesh smallEllipsoid = {};  // exponents 0.35, 0.35 (a rounded box), 10 x 16
    Mesh mediumEllipsoid = {}; // exponents 0.6, 0.6, 10 x 16
    Mesh cylinder = {};        // closed, radius 1, height 1 centred on the origin
    Mesh quad = {};            // unit square at y = 0 facing +y, uvs over the square
    Mesh ring = {};            // flat annulus, radii 0.42 to 0.5
    Mesh sphere = {};          // radius 1, 20 rings x 28 segments
    Mesh rimTorus = {};        // the rim: radius 0.2286, tube 0.011
    Mesh cube = {};            // 1 x 1 x 1 centred on the origin
    Texture2D blobTexture = {};
};

extern SharedMeshes sharedMeshes;

constexpr int kSharedBuiltMeshes = 8; // slots 0..7; the cube is raylib's own
constexpr int kBlobTextureSize = 64;

// CPU geometry of slots 0..7, in slot order.
std::array<MeshBuilder, kSharedBuiltMeshes> buildSharedMeshGeometry();
// White with alpha falling smoothly from the centre to 0 at the inscribed circle.
Image paintBlobShadowImage();
// Uploads all of it into sharedMeshes; main thread, once.
void initSharedMeshes();

// A soft dark disc of the given radius on the floor under position (its
// height is ignored), opacity 0..1. Drawn through the renderer's lit call.
void drawBlobShadow(Vector3 position, float radius, float opacity);
