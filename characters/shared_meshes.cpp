// Generation and upload of the shared primitive meshes and the blob texture.
#include "characters/shared_meshes.h"

#include <algorithm>
#include <cmath>
#include <raymath.h>

#include "render/image_paint.h"
#include "render/parametric_meshes.h"
#include "render/renderer.h"
#include "sim/court_geometry.h"

SharedMeshes sharedMeshes;

namespace {

constexpr float kRimTube = 0.011f;
constexpr float kBlobLift = 0.004f; // just above the floor, below everything standing on it
constexpr Color kBlobColor = {0, 0, 0, 255};

MeshBuilder buildUnitQuad() {
    MeshBuilder b;
    const Vector2 corners[6] = {{-0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, 0.5f},
                                {-0.5f, -0.5f}, {0.5f, 0.5f},  {0.5f, -0.5f}};
    for (Vector2 c : corners) addVertex(b, {c.x, 0, c.y}, {0, 1, 0}, {c.x + 0.5f, c.y + 0.5f}, WHITE);
    return b;
}

} // namespace

std::array<MeshBuilder, kSharedBuiltMeshes> buildSharedMeshGeometry() {
    // The closed cylinder's profile: a flat bottom, a thin bevel, the side and the flat top.
    const std::vector<Vector2> cylinderProfile = {{0, -0.5f}, {1, -0.5f}, {1, -0.49f},
                                                  {1, 0.49f}, {1, 0.5f},  {0, 0.5f}};
    return {buildEllipsoid(1, 1, 14, 18),
            buildEllipsoid(0.35f, 0.35f, 10, 16),
            buildEllipsoid(0.6f, 0.6f, 10, 16),
            buildLathe(cylinderProfile, 18, 1, 1, 0),
            buildUnitQuad(),
            buildRing(0.42f, 0.5f, 40),
            buildSphere(1, 20, 28),
            buildTorus(kRimRadius, kRimTube, 40, 8)};
}

Image paintBlobShadowImage() {
    Image image = newRgbaImage(kBlobTextureSize, kBlobTextureSize);
    Color* out = imagePixels(image);
    const float half = kBlobTextureSize / 2.0f;
    for (int y = 0; y < kBlobTextureSize; y++) {
        for (int x = 0; x < kBlobTextureSize; x++) {
            float u = (x + 0.5f) / half - 1, v = (y + 0.5f) / half - 1;
            float t = std::clamp(1 - std::sqrt(u * u + v * v), 0.0f, 1.0f);
            out[y * kBlobTextureSize + x] = {255, 255, 255, (unsigned char)((3 - 2 * t) * t * t * 255)};
        }
    }
    return image;
}

void initSharedMeshes() {
    std::array<MeshBuilder, kSharedBuiltMeshes> geometry = buildSharedMeshGeometry();
    Mesh* slots[kSharedBuiltMeshes] = {&sharedMeshes.unitEllipsoid, &sharedMeshes.smallEllipsoid,
                                       &sharedMeshes.mediumEllipsoid, &sharedMeshes.cylinder,
                                       &sharedMeshes.quad, &sharedMeshes.ring,
                                       &sharedMeshes.sphere, &sharedMeshes.rimTorus};
    for (int i = 0; i < kSharedBuiltMeshes; i++) *slots[i] = toMesh(geometry[i]);
    sharedMeshes.cube = GenMeshCube(1, 1, 1);
    Image blob = paintBlobShadowImage();
    sharedMeshes.blobTexture = uploadImageTexture(blob, false, TEXTURE_FILTER_BILINEAR, TEXTURE_WRAP_REPEAT);
}

void drawBlobShadow(Vector3 position, float radius, float opacity) {
    const Matrix m = MatrixMultiply(MatrixScale(2 * radius, 1, 2 * radius), MatrixTranslate(position.x, kBlobLift, position.z));
    const MaterialParams blob = {{0, 16, 0, 0}, {0, 0, 0, opacity}};
    drawMeshLit(renderer, sharedMeshes.quad, m, kBlobColor, blob, sharedMeshes.blobTexture);
}
