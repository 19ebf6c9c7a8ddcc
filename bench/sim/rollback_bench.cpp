// Costs on the rollback path of an online match with four CPU players: one
// net tick (two simulation ticks and the animation), a snapshot save, a load,
// a state hash, and the worst rollback the netcode allows (restore, then 127
// net ticks of step, save and hash). Heap allocations are counted per
// iteration; only callout texts should ever allocate on this path.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/settings.h"
#include "bench/counting_allocator.h"
#include "characters/character_model.h"
#include "render/arena.h"
#include "sim/match_driver.h"
#include "sim/match_state.h"
#include "sim/snapshot.h"

namespace {

constexpr int kWarmUpFrames = 900; // fifteen seconds into the match
constexpr int kRollbackTicks = 127;
constexpr int kFramesBeforeRewind = 600;

struct Match {
    std::unique_ptr<MatchState> state = std::make_unique<MatchState>();
    MatchSnapshot warm;
    PlayerInput inputs[4] = {};

    Match() {
        initTeams();
        for (int i = 0; i < kCharacterCount; ++i)
            applyAppearance(characterModels[i], teams[i / 2].players[i % 2].look);
        const CharacterModel* models[4] = {&characterModels[0], &characterModels[2], &characterModels[4],
                                           &characterModels[6]};
        initMatchState(*state, 0, 1, -1, models, &arena, 21, 2024, MatchSettings{});
        state->online = 1;
        for (int f = 0; f < kWarmUpFrames; ++f) stepMatchFrame(*state, inputs);
        saveSnapshot(*state, warm);
    }
    void rewind() { loadSnapshot(*state, warm.data(), warm.size()); }
};

Match& match() {
    static Match m;
    return m;
}

void reportAllocations(benchmark::State& st, long before) {
    st.counters["allocs"] = benchmark::Counter((double)(allocations - before), benchmark::Counter::kAvgIterations);
}

void BM_StepMatchFrame(benchmark::State& st) {
    Match& m = match();
    m.rewind();
    int frames = 0;
    const long before = allocations;
    for (auto _ : st) {
        stepMatchFrame(*m.state, m.inputs);
        if (++frames == kFramesBeforeRewind) { // stay in the middle of a match
            st.PauseTiming();
            m.rewind();
            frames = 0;
            st.ResumeTiming();
        }
    }
    reportAllocations(st, before);
}
BENCHMARK(BM_StepMatchFrame)->Unit(benchmark::kMicrosecond);

void BM_SaveSnapshot(benchmark::State& st) {
    Match& m = match();
    m.rewind();
    MatchSnapshot image;
    saveSnapshot(*m.state, image);
    const long before = allocations;
    for (auto _ : st) {
        saveSnapshot(*m.state, image);
        benchmark::DoNotOptimize(image.data());
    }
    reportAllocations(st, before);
}
BENCHMARK(BM_SaveSnapshot)->Unit(benchmark::kMicrosecond);

void BM_LoadSnapshot(benchmark::State& st) {
    Match& m = match();
    const long before = allocations;
    for (auto _ : st) benchmark::DoNotOptimize(loadSnapshot(*m.state, m.warm.data(), m.warm.size()));
    reportAllocations(st, before);
}
BENCHMARK(BM_LoadSnapshot)->Unit(benchmark::kMicrosecond);

void BM_HashMatchState(benchmark::State& st) {
    Match& m = match();
    m.rewind();
    const long before = allocations;
    for (auto _ : st) benchmark::DoNotOptimize(hashMatchState(*m.state));
    reportAllocations(st, before);
}
BENCHMARK(BM_HashMatchState)->Unit(benchmark::kMicrosecond);

void BM_WorstRollback(benchmark::State& st) {
    Match& m = match();
    MatchSnapshot ring[kRollbackTicks];
    for (MatchSnapshot& image : ring) saveSnapshot(*m.state, image);
    const long before = allocations;
    for (auto _ : st) {
        m.rewind();
        for (int t = 0; t < kRollbackTicks; ++t) {
            stepMatchFrame(*m.state, m.inputs);
            saveSnapshot(*m.state, ring[t]);
            benchmark::DoNotOptimize(hashMatchState(*m.state));
        }
    }
    reportAllocations(st, before);
}
BENCHMARK(BM_WorstRollback)->Unit(benchmark::kMicrosecond);

} // namespace
