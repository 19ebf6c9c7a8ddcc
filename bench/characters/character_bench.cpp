// Character build and skinning costs. Targets (Release): the eight roster
// characters in under 6 s on one thread (what "--buildprof" measures), and
// CPU skinning of one character under 0.25 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "characters/body_builder.h"
#include "characters/character_builder.h"
#include "characters/character_skinning.h"
#include "characters/head_builder.h"
#include "characters/head_texture.h"
#include "sim/match_state.h"

namespace {

const Appearance& look(int i) {
    initTeams();
    return teams[i / 2].players[i % 2].look;
}

// The whole "--buildprof" workload: eight characters, one thread.
void BM_BuildEightCharacters(benchmark::State& state) {
    for (auto _ : state) {
        auto models = std::make_unique<CharacterModel[]>(8);
        for (int i = 0; i < 8; ++i) buildCharacter(models[i], look(i));
        benchmark::DoNotOptimize(models[7].body.positions.data());
    }
    state.SetLabel("target: under 6 s");
}
BENCHMARK(BM_BuildEightCharacters)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The largest pieces of one build (the heaviest character).
void BM_BodyMesh(benchmark::State& state) {
    CharacterModel m;
    applyAppearance(m, look(3));
    Skeleton bind;
    poseSkeleton(bind, bodyMeasures(m), bindPose(), {0, 0, 0}, 0.0f, false);
    const BodyShapes shapes = makeBodyShapes(m, bind);
    for (auto _ : state) benchmark::DoNotOptimize(meshBody(shapes, bind).positions.size());
}
BENCHMARK(BM_BodyMesh)->Unit(benchmark::kMillisecond);

void BM_HeadTexture(benchmark::State& state) {
    CharacterModel m;
    applyAppearance(m, look(3));
    const std::vector<SdfPrimitive> head = headShapes(m);
    const float S = headScale(m.height);
    std::vector<uint8_t> pixels;
    for (auto _ : state) {
        paintHeadTexture(m.appearance, head, S, pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_HeadTexture)->Unit(benchmark::kMillisecond);

// Skinning one character's body and jersey for a pose (target: under 0.25 ms).
void BM_SkinOneCharacter(benchmark::State& state) {
    auto model = std::make_unique<CharacterModel>();
    buildCharacter(*model, look(3));
    Pose pose = bindPose();
    pose.v[POSE_TRUNK_PITCH] = 0.3f;
    pose.v[POSE_ELBOW_BEND] = 1.1f;
    pose.v[POSE_KNEE_BEND + 1] = 0.8f;
    Skeleton posed;
    poseSkeleton(posed, bodyMeasures(*model), pose, {1, 0, 4}, 0.6f, true);
    std::vector<float> pos(3 * model->body.vertexCount()), nor(pos.size());
    std::vector<float> jpos(3 * model->jersey.vertexCount()), jnor(jpos.size());
    for (auto _ : state) {
        Matrix skin[JOINT_COUNT];
        computeSkinMatrices(*model, posed, skin);
        skinGroups(model->bodyGroups, skin, pos.data(), nor.data());
        skinGroups(model->jerseyGroups, skin, jpos.data(), jnor.data());
        benchmark::DoNotOptimize(pos.data());
        benchmark::DoNotOptimize(jpos.data());
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)(model->body.vertexCount() + model->jersey.vertexCount()));
    state.SetLabel("target: under 0.25 ms");
}
BENCHMARK(BM_SkinOneCharacter)->Unit(benchmark::kMicrosecond);

} // namespace
