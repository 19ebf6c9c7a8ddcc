// Upload and release of a character's GPU objects.
#include "characters/character_upload.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "characters/character_builder.h"
#include "characters/character_skinning.h"
#include "characters/head_builder.h"
#include "render/procedural_textures.h"
#include "ui/fonts.h"

namespace {

constexpr int kShortIndexLimit = 65536;

// Copies `values` into raylib-owned memory (freed by UnloadMesh), or null
// when it does not hold `width` values for each of `count` vertices.
template <typename T> T* copyForMesh(const std::vector<T>& values, int count, int width) {
    if (count <= 0 || values.size() != (size_t)count * (size_t)width) return nullptr;
    T* out = (T*)MemAlloc((unsigned)(values.size() * sizeof(T)));
    std::memcpy(out, values.data(), values.size() * sizeof(T));
    return out;
}

Texture2D uploadHeadTexture(const std::vector<uint8_t>& pixels) {
    if (pixels.size() != (size_t)kHeadTextureSize * kHeadTextureSize * 4) return Texture2D{};
    // The image borrows the buffer; LoadTextureFromImage copies it to the GPU.
    const Image image = {(void*)pixels.data(), kHeadTextureSize, kHeadTextureSize, 1,
                         PIXELFORMAT_UNCOMPRESSED_R8G8B8A8};
    Texture2D texture = LoadTextureFromImage(image);
    GenTextureMipmaps(&texture);
    SetTextureFilter(texture, TEXTURE_FILTER_TRILINEAR);
    SetTextureWrap(texture, TEXTURE_WRAP_REPEAT);
    return texture;
}

Texture2D uploadJerseyTexture(const Appearance& look) {
    Texture2D texture = makeJerseyTexture(look.jerseyColor, look.trimColor, look.jerseyTextColor, look.number,
                                          look.frontText.c_str(), look.backText.c_str(), titleFont());
    SetTextureWrap(texture, TEXTURE_WRAP_REPEAT);
    return texture;
}

void unloadPart(Mesh& mesh) {
    if (mesh.vaoId != 0) UnloadMesh(mesh);
    mesh = Mesh{};
}

void unloadTexture(Texture2D& texture) {
    if (texture.id != 0) UnloadTexture(texture);
    texture = Texture2D{};
}

} // namespace

bool exceedsShortIndices(const MeshData& part) { return part.vertexCount() >= kShortIndexLimit; }

PartLayout partLayout(const MeshData& part) {
    const int count = part.vertexCount();
    if (count == 0) return PartLayout::Empty;
    if (part.indices.empty()) return count % 3 == 0 ? PartLayout::TriangleList : PartLayout::Unusable;
    if (part.indexOverflow || count >= kShortIndexLimit || part.indices.size() % 3 != 0) return PartLayout::Unusable;
    const bool inRange = std::all_of(part.indices.begin(), part.indices.end(), [count](uint16_t i) { return i < count; });
    return inRange ? PartLayout::Indexed : PartLayout::Unusable;
}

Mesh meshDataToMesh(const MeshData& data, bool dynamic) {
    Mesh mesh = {};
    const PartLayout layout = partLayout(data);
    if (layout != PartLayout::Indexed && layout != PartLayout::TriangleList) return mesh;
    const int count = data.vertexCount();
    mesh.vertexCount = count;
    mesh.vertices = copyForMesh(data.positions, count, 3);
    mesh.normals = copyForMesh(data.normals, count, 3);
    mesh.texcoords = copyForMesh(data.texcoords, count, 2);
    mesh.colors = copyForMesh(data.colors, count, 4);
    if (layout == PartLayout::Indexed) {
        mesh.triangleCount = (int)(data.indices.size() / 3);
        mesh.indices = copyForMesh(data.indices, mesh.triangleCount, 3);
    } else {
        mesh.triangleCount = count / 3;
    }
    UploadMesh(&mesh, dynamic);
    return mesh;
}

void uploadCharacterModel(CharacterModel& model) {
    if (model.uploaded) return;
    if (exceedsShortIndices(model.body) || exceedsShortIndices(model.jersey) || exceedsShortIndices(model.head) ||
        exceedsShortIndices(model.hair))
        TraceLog(LOG_WARNING, "character mesh exceeds 16-bit indices (%d body verts)", model.body.vertexCount());

    model.bodyMesh = meshDataToMesh(model.body, true);
    model.jerseyMesh = meshDataToMesh(model.jersey, true);
    if (!groupsFit(model.bodyGroups, model.bodySkin)) model.bodyGroups = groupSkin(model.bodySkin);
    if (!groupsFit(model.jerseyGroups, model.jerseySkin)) model.jerseyGroups = groupSkin(model.jerseySkin);
    model.headMesh = meshDataToMesh(model.head, false);
    if (model.hasHair) model.hairMesh = meshDataToMesh(model.hair, false);
    for (int side = 0; side < 2; ++side) {
        model.handMesh[side] = meshDataToMesh(model.hand[side], false);
        model.shoeMesh[side] = meshDataToMesh(model.shoe[side], false);
    }
    model.headTexture = uploadHeadTexture(model.headPixels);
    model.jerseyTexture = uploadJerseyTexture(model.appearance);
    std::vector<uint8_t>().swap(model.headPixels);
    model.uploaded = 1;
}

void unloadCharacterModel(CharacterModel& model) {
    if (!model.uploaded) return;
    for (Mesh* mesh : {&model.bodyMesh, &model.jerseyMesh, &model.headMesh, &model.hairMesh, &model.handMesh[0],
                       &model.handMesh[1], &model.shoeMesh[0], &model.shoeMesh[1]})
        unloadPart(*mesh);
    unloadTexture(model.headTexture);
    unloadTexture(model.jerseyTexture);
    model.uploaded = 0;
}

void buildCharacters(CharacterModel* models, const Appearance* looks, int n) {
    if (n < 1) return;
    std::vector<std::thread> threads = startCharacterBuilders(models, looks, n, nullptr);
    joinCharacterBuilders(threads);
    for (int i = 0; i < n; ++i) uploadCharacterModel(models[i]);
}
