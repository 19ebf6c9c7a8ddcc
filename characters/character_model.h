// The generated character (CharacterModel): CPU meshes built on worker
// threads, GPU objects made on the main thread at upload. Eight models
// exist, one per roster player; Appearance describes the look of each.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <raylib.h>

#include "characters/appearance.h"
#include "characters/skeleton.h"

// CPU mesh of one character part (bind pose, model space).
struct MeshData {
    std::vector<float> positions;     // 3 per vertex
    std::vector<float> normals;       // 3 per vertex
    std::vector<float> texcoords;     // 2 per vertex
    std::vector<uint8_t> colors;      // 4 per vertex
    std::vector<uint16_t> indices;    // 3 per triangle
    // Set when the part reached 65536 vertices: 16-bit indices would wrap, so
    // none are kept; the vertices then hold each triangle's three corners in
    // turn and the part is drawn without indices.
    bool indexOverflow = false;
    int vertexCount() const { return (int)(positions.size() / 3); }
};

// Per baked vertex of a skinned part: bind position and normal, two bones.
struct SkinData {
    std::vector<Vector3> bindPositions;
    std::vector<Vector3> bindNormals;
    std::vector<uint8_t> boneA;
    std::vector<uint8_t> boneB;
    std::vector<float> weightA;
};

// The vertices of a skinned part grouped by the bones they follow, as the
// per-frame skinning reads them (characters/character_skinning.h). A vertex
// that follows one bone alone (weight 1 or 0) is in that bone's group.
struct SkinGroups {
    struct Group {
        uint8_t boneA = 0, boneB = 0; // equal: one bone alone
        uint32_t first = 0, count = 0; // blocks of four vertices
    };
    std::vector<Group> groups;
    // Per block of four: the bind positions' x, y, z, the normals' x, y, z
    // and the weights, four lanes each; a group's last block is filled up
    // with copies of its last vertex.
    std::vector<float> blocks;
    std::vector<uint32_t> vertex; // the part's vertex of each lane
    size_t vertexCount = 0;       // of the SkinData it was made from
    const Vector3* madeFrom = nullptr;
};

struct CharacterModel {
    Appearance appearance;
    float height = 2.0f;
    float build = 1.0f;
    Mesh bodyMesh = {};
    MeshData body;
    SkinData bodySkin;
    SkinGroups bodyGroups; // made by the builder, or at upload for skin data made otherwise
    Mesh jerseyMesh = {};
    MeshData jersey;
    SkinData jerseySkin;
    SkinGroups jerseyGroups;
    Mesh headMesh = {};
    MeshData head;
    Mesh hairMesh = {};
    MeshData hair;
    Mesh handMesh[2] = {};
    MeshData hand[2];
    Mesh shoeMesh[2] = {};
    MeshData shoe[2];
    uint8_t hasHair = 0;
    std::vector<uint8_t> headPixels; // 512 x 512 RGBA until upload
    Texture2D jerseyTexture = {};
    Texture2D headTexture = {};
    Matrix inverseBind[16] = {};
    uint8_t uploaded = 0;
};

// Copies the look and the body measures that the match rules read. The
// builder does the same first, so the simulation sees the same numbers
// whether or not the meshes have been built yet.
void applyAppearance(CharacterModel& model, const Appearance& look);
inline BodyMeasures bodyMeasures(const CharacterModel& model) { return {model.height, model.build}; }

// The eight roster characters: model 2 x t + p is player p of roster team t.
constexpr int kCharacterCount = 8;
extern CharacterModel characterModels[kCharacterCount];
