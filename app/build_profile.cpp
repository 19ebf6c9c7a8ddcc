// Build profile: builds its own eight models (not the roster's), so it runs
// before anything else exists.
#include "app/build_profile.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "characters/character_builder.h"
#include "sim/match_state.h"

namespace {

constexpr uint64_t kFnvPrime = 0x100000001B3ull;
constexpr int kProfiledModels = 8;

void hashBytes(uint64_t& h, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) h = (h ^ b) * kFnvPrime;
}

void addMesh(BuildChecksum& sum, const MeshData& mesh) {
    sum.verts += (long long)(mesh.positions.size() / 3);
    for (size_t i = 0; i < mesh.positions.size(); ++i) sum.pos += (double)(i % 7 + 1) * mesh.positions[i];
    hashBytes(sum.hash, mesh.colors);
}

int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

BuildChecksum checksumModels(std::span<const CharacterModel> models) {
    BuildChecksum sum;
    for (const CharacterModel& m : models) {
        for (size_t i = 0; i + 4 <= m.headPixels.size(); i += 4) { // RGBA; alpha is left out
            const uint64_t rgb = m.headPixels[i] + 256u * m.headPixels[i + 1] + 65536u * m.headPixels[i + 2];
            sum.hash = (sum.hash ^ rgb) * kFnvPrime;
        }
        for (const MeshData* mesh : {&m.body, &m.jersey, &m.head, &m.hair, &m.hand[0], &m.hand[1], &m.shoe[0],
                                     &m.shoe[1]})
            addMesh(sum, *mesh);
    }
    return sum;
}

int runBuildProfile() {
    initTeams();
    const int64_t t0 = nowNanoseconds();
    auto models = std::make_unique<CharacterModel[]>(kProfiledModels);
    for (int t = 0; t < kRosterTeams; ++t)
        for (int p = 0; p < 2; ++p) buildCharacter(models[2 * t + p], teams[t].players[p].look);
    const BuildChecksum sum = checksumModels({models.get(), (size_t)kProfiledModels});
    std::printf("CHECK verts %lld pos %.6f colors+faces %016llx\n", sum.verts, sum.pos,
                (unsigned long long)sum.hash);
    const int64_t t1 = nowNanoseconds();
    std::printf("buildprof: %.2fs for 8 players on one thread\n", (double)(t1 - t0) / 1e9);
    std::fflush(stdout);
    return 0;
}
