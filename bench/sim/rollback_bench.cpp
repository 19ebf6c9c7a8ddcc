// Costs of the match simulation on the rollback path, four CPU players:
// one net tick (two simulation ticks and the animation) in half and full
// court, a snapshot save, a load, a state hash, and the worst rollback the
// netcode allows (restore, then 127 net ticks of step, save and hash) with
// the nets as they were at that point of the match, and with the nets as a
// made basket leaves them: at once, 1 s later and 10 s later. The nets are
// in neither the snapshot nor the hash, so the match itself is the same in
// every variant; only what the nets cost differs.
// Targets (Release, one core): a net tick under 6 us in half court and under
// 8 us in full court; the worst rollback under 1 ms whatever the nets do.
//
// Every benchmark starts each run from the same whole state (match, nets,
// callouts, events), so its figure does not depend on what ran before it.
// Heap allocations are counted per iteration; only callout texts should
// ever allocate on this path.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench/counting_allocator.h"
#include "characters/character_model.h"
#include "sim/match_arena.h"
#include "sim/match_driver.h"
#include "sim/match_state.h"
#include "sim/snapshot.h"

namespace {

constexpr int kWarmUpFrames = 900; // fifteen seconds into the match
constexpr int kRollbackTicks = 127;
constexpr int kFramesBeforeRewind = 600;
constexpr int kBasketSearchFrames = 6000;

enum NetState { NETS_AS_PLAYED, NETS_AFTER_BASKET, NETS_ONE_SECOND_AFTER, NETS_TEN_SECONDS_AFTER, NET_STATES };
constexpr int kFramesAfterBasket[NET_STATES] = {0, 0, 60, 600};

struct BenchMatch {
    std::unique_ptr<MatchState> state = std::make_unique<MatchState>();
    std::unique_ptr<MatchState> warmState = std::make_unique<MatchState>();
    MatchArena arena, warmArena;
    MatchArena netsAfterBasket[NET_STATES]; // the nets of each state (the first unused)
    MatchSnapshot warm;
    PlayerInput inputs[4] = {};

    explicit BenchMatch(bool fullCourt) {
        initTeams();
        for (int i = 0; i < kCharacterCount; ++i)
            applyAppearance(characterModels[i], teams[i / 2].players[i % 2].look);
        const CharacterModel* models[4] = {&characterModels[0], &characterModels[2], &characterModels[4],
                                           &characterModels[6]};
        MatchSettings settings;
        settings.fullCourt = fullCourt;
        initMatchState(*state, 0, 1, -1, models, &arena, 21, 2024, settings);
        state->online = 1;
        for (int f = 0; f < kWarmUpFrames; ++f) frame();
        saveSnapshot(*state, warm);
        *warmState = *state;
        warmArena = arena;
        playOnToABasket();
    }
    // Plays on from the warm point to the next made basket and keeps the nets
    // as they are then and a while later.
    void playOnToABasket() {
        const int scoredBefore = state->scores[0] + state->scores[1];
        int f = 0;
        while (f < kBasketSearchFrames && state->scores[0] + state->scores[1] == scoredBefore) {
            frame();
            ++f;
        }
        if (f == kBasketSearchFrames) std::fprintf(stderr, "rollback_bench: no basket within %d frames\n", f);
        for (int n = NETS_AFTER_BASKET, played = 0; n < NET_STATES; ++n) {
            for (; played < kFramesAfterBasket[n]; ++played) frame();
            netsAfterBasket[n] = arena;
        }
    }
    void frame() {
        stepMatchFrame(*state, inputs);
        state->events.clear(); // nobody plays them here
    }
    // Everything back as it was at the warm point, the nets as asked.
    void reset(NetState nets) {
        *state = *warmState;
        arena = warmArena;
        state->arena = &arena;
        if (nets != NETS_AS_PLAYED) {
            arena.nearNet = netsAfterBasket[nets].nearNet;
            arena.farNet = netsAfterBasket[nets].farNet;
        }
    }
};

BenchMatch& match(bool fullCourt) {
    static BenchMatch half(false), full(true);
    return fullCourt ? full : half;
}

// Allocations of the timed part only: resets between runs may allocate.
struct AllocationCount {
    long counted = 0, mark = 0;
    void resume() { mark = allocations; }
    void pause() { counted += allocations - mark; }
};

void report(benchmark::State& st, const AllocationCount& a) {
    st.counters["allocs"] = benchmark::Counter((double)a.counted, benchmark::Counter::kAvgIterations);
}

void BM_StepMatchFrame(benchmark::State& st) {
    BenchMatch& m = match(st.range(0) != 0);
    AllocationCount a;
    int frames = 0;
    m.reset(NETS_AS_PLAYED);
    a.resume();
    for (auto _ : st) {
        m.frame();
        if (++frames == kFramesBeforeRewind) { // stay in the middle of a match
            st.PauseTiming();
            a.pause();
            m.reset(NETS_AS_PLAYED);
            frames = 0;
            a.resume();
            st.ResumeTiming();
        }
    }
    a.pause();
    report(st, a);
    st.SetLabel(st.range(0) ? "full court, target under 8 us" : "half court, target under 6 us");
}
BENCHMARK(BM_StepMatchFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SaveSnapshot(benchmark::State& st) {
    BenchMatch& m = match(false);
    m.reset(NETS_AS_PLAYED);
    MatchSnapshot image;
    saveSnapshot(*m.state, image);
    AllocationCount a;
    a.resume();
    for (auto _ : st) {
        saveSnapshot(*m.state, image);
        benchmark::DoNotOptimize(image.data());
    }
    a.pause();
    report(st, a);
}
BENCHMARK(BM_SaveSnapshot)->Unit(benchmark::kMicrosecond);

void BM_LoadSnapshot(benchmark::State& st) {
    BenchMatch& m = match(false);
    m.reset(NETS_AS_PLAYED);
    AllocationCount a;
    a.resume();
    for (auto _ : st) benchmark::DoNotOptimize(loadSnapshot(*m.state, m.warm.data(), m.warm.size()));
    a.pause();
    report(st, a);
}
BENCHMARK(BM_LoadSnapshot)->Unit(benchmark::kMicrosecond);

void BM_HashMatchState(benchmark::State& st) {
    BenchMatch& m = match(false);
    m.reset(NETS_AS_PLAYED);
    for (auto _ : st) benchmark::DoNotOptimize(hashMatchState(*m.state));
}
BENCHMARK(BM_HashMatchState)->Unit(benchmark::kMicrosecond);

// Arguments: full court (0/1), the state of the nets when the rollback starts.
void BM_WorstRollback(benchmark::State& st) {
    BenchMatch& m = match(st.range(0) != 0);
    const NetState nets = (NetState)st.range(1);
    MatchSnapshot ring[kRollbackTicks];
    for (MatchSnapshot& image : ring) saveSnapshot(*m.warmState, image);
    AllocationCount a;
    for (auto _ : st) {
        st.PauseTiming();
        m.reset(nets);
        a.resume();
        st.ResumeTiming();
        loadSnapshot(*m.state, m.warm.data(), m.warm.size());
        for (int t = 0; t < kRollbackTicks; ++t) {
            m.frame();
            saveSnapshot(*m.state, ring[t]);
            benchmark::DoNotOptimize(hashMatchState(*m.state));
        }
        a.pause();
    }
    report(st, a);
    static const char* const kNets[] = {"nets as played", "nets just after a basket", "nets 1 s after a basket",
                                        "nets 10 s after a basket"};
    st.SetLabel(std::string(st.range(0) ? "full court, " : "half court, ") + kNets[st.range(1)] +
                ", target under 1 ms");
}
BENCHMARK(BM_WorstRollback)
    ->ArgsProduct({{0, 1}, {NETS_AS_PLAYED, NETS_AFTER_BASKET, NETS_ONE_SECOND_AFTER, NETS_TEN_SECONDS_AFTER}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
