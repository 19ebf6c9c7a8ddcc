// Building the arena: paint and upload its textures, generate and upload its
// meshes, hang the near net; and releasing all of it again.
#include <ctime>
#include <raylib.h>

#include "app/program_random.h"
#include "render/arena.h"
#include "render/arena_geometry.h"
#include "render/procedural_textures.h"
#include "ui/fonts.h"

namespace {

constexpr uint32_t kArenaSeed = 1234; // the same crowd on every build
constexpr const char* kBannerTitle = "CHAMPS";

} // namespace

void buildArena(Arena& a, Color primary, Color secondary, const char* courtText,
                const Color bannerColors[kBannerCount], const char* const bannerSubtitles[kBannerCount]) {
    if (!IsWindowReady()) {
        TraceLog(LOG_WARNING, "No graphics context: the arena is not built");
        return;
    }
    if (a.built) unloadArena(a);
    a.hoopColor = primary;
    a.secondColor = secondary;
    programSrand(kArenaSeed);

    a.courtTexture = makeCourtTexture(primary, secondary, courtText, &a.courtWidth, &a.courtLength, &a.courtStartZ,
                                      titleFont());
    a.adTexture = makeAdBoardTexture();
    a.ballTexture = makeBallTexture();
    for (int k = 0; k < kBannerCount; k++)
        a.bannerTextures[k] = makeBannerTexture(bannerColors[k], WHITE, kBannerTitle, bannerSubtitles[k]);
    a.crowdTexture = makeCrowdAtlas(&crowdAtlasColumns, &crowdAtlasRows);

    const ArenaGeometry g = buildArenaGeometry(primary, a.courtStartZ);
    a.floorMesh = toMesh(g.floor);
    a.standsMesh = toMesh(g.stands);
    a.crowdMesh = toMesh(g.crowd);
    a.baselineBoardsMesh = toMesh(g.baselineBoards);
    a.sideBoardsMesh = toMesh(g.sideBoards);
    a.beamMesh = toMesh(g.beam);

    initNet(a.nearNet);
    a.built = true;
    programSrand((uint32_t)std::time(nullptr));
}

void unloadArena(Arena& a) {
    Texture2D* textures[] = {&a.courtTexture,      &a.adTexture,         &a.ballTexture,
                             &a.bannerTextures[0], &a.bannerTextures[1], &a.bannerTextures[2],
                             &a.bannerTextures[3], &a.crowdTexture};
    for (Texture2D* t : textures) {
        UnloadTexture(*t);
        *t = Texture2D{};
    }
    Mesh* meshes[] = {&a.floorMesh,          &a.standsMesh,     &a.crowdMesh,
                      &a.baselineBoardsMesh, &a.sideBoardsMesh, &a.beamMesh};
    for (Mesh* m : meshes) {
        UnloadMesh(*m);
        *m = Mesh{};
    }
    a.built = false;
}
