// Per-frame skinning and drawing of a character.
#include "characters/character_drawing.h"

#include <raylib.h>
#include <raymath.h>

#include "characters/character_skinning.h"
#include "render/renderer.h"

namespace {

// Material words of each part: spec, shininess, rim, wrap / env, emissive, uv scroll, alpha.
const MaterialParams kSkinMaterial = {{0.3f, 24, 0.3f, 0.38f}, {0, 0, 0, 1}};
const MaterialParams kJerseyMaterial = {{0.16f, 14, 0.42f, 0.2f}, {0, 0, 0, 1}};
const MaterialParams kHeadMaterial = {{0.36f, 24, 0.3f, 0.38f}, {0, 0, 0, 1}};
const MaterialParams kHairMaterial = {{0.06f, 8, 0.12f, 0.3f}, {0, 0, 0, 1}};
const MaterialParams kShoeMaterial = {{0.5f, 40, 0.25f, 0}, {0.04f, 0, 0, 1}};

constexpr int kPositionBuffer = 0;
constexpr int kNormalBuffer = 2;

bool onGpu(const Mesh& mesh) { return mesh.vaoId != 0; }

bool skinMatches(const SkinData& skin, int count) {
    const size_t n = (size_t)count;
    return count > 0 && skin.bindPositions.size() == n && skin.bindNormals.size() == n && skin.boneA.size() == n &&
           skin.boneB.size() == n && skin.weightA.size() == n;
}

// Parts without a texture get the renderer's white one (texture id 0).
void drawPart(const Mesh& mesh, Matrix transform, const MaterialParams& material, Texture2D texture = {}) {
    if (onGpu(mesh)) drawMeshLit(renderer, mesh, transform, WHITE, material, texture);
}

} // namespace

void skinMesh(Mesh& mesh, const SkinData& skin, SkinGroups& groups, const Matrix skinMatrices[JOINT_COUNT]) {
    if (!onGpu(mesh) || !mesh.vertices || !mesh.normals || !skinMatches(skin, mesh.vertexCount)) return;
    if (!groupsFit(groups, skin)) groups = groupSkin(skin); // skin data made after the upload
    skinGroups(groups, skinMatrices, mesh.vertices, mesh.normals);
    const int bytes = mesh.vertexCount * 3 * (int)sizeof(float);
    UpdateMeshBuffer(mesh, kPositionBuffer, mesh.vertices, bytes, 0);
    UpdateMeshBuffer(mesh, kNormalBuffer, mesh.normals, bytes, 0);
}

void skinCharacterModel(CharacterModel& model, const Skeleton& skeleton) {
    if (!model.uploaded) return;
    Matrix skin[JOINT_COUNT];
    computeSkinMatrices(model, skeleton, skin);
    skinMesh(model.bodyMesh, model.bodySkin, model.bodyGroups, skin);
    skinMesh(model.jerseyMesh, model.jerseySkin, model.jerseyGroups, skin);
}

void drawCharacterModel(const CharacterModel& model, const Skeleton& skeleton, bool /*shadowPass*/, bool hideHead) {
    if (!model.uploaded) return;
    // Skinned vertices are already in world space.
    drawPart(model.bodyMesh, MatrixIdentity(), kSkinMaterial);
    drawPart(model.jerseyMesh, MatrixIdentity(), kJerseyMaterial, model.jerseyTexture);
    if (!hideHead) {
        const Matrix head = headMatrix(skeleton, model.height);
        drawPart(model.headMesh, head, kHeadMaterial, model.headTexture);
        if (model.hasHair) drawPart(model.hairMesh, head, kHairMaterial);
    }
    for (int side = 0; side < 2; ++side) {
        drawPart(model.handMesh[side], skeleton.joints[handJoint(side)], kSkinMaterial);
        drawPart(model.shoeMesh[side], skeleton.joints[footJoint(side)], kShoeMaterial);
    }
}
