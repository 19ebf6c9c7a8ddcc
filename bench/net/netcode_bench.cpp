// The worst frame of an online match, through the netcode's own frame: eight
// net ticks plus a rollback of 127 ticks (restore, then re-simulate, save and
// hash each), with the smoothing and the presentation update; then the cost of
// one re-simulated tick. Target: the worst frame under 4 ms on one core.
// Heap allocations are counted per net tick; the frame should make none
// beyond the texts of callouts that the re-simulated ticks post.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/counting_allocator.h"
#include "characters/character_model.h"
#include "net/match_packets.h"
#include "net/net_clock.h"
#include "net/netcode.h"
#include "render/arena.h"
#include "sim/match_driver.h"

namespace {

constexpr int kWarmUpFrames = 900; // fifteen seconds into the match
constexpr int kWorstFrameTicks = kMaxNetTicksPerFrame + kMaxRollbackTicks;
constexpr int kRemoteSlot = 2;

double steadyClock() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The host of a two-on-two match with one remote player, whose inputs are
// always known a frame ahead, so the match never waits.
struct OnlineMatch {
    std::unique_ptr<NetParty> party = std::make_unique<NetParty>();
    std::unique_ptr<MatchState> match = std::make_unique<MatchState>();
    std::string remotePacket;
    RawInput input;

    OnlineMatch() {
        netClock = steadyClock;
        initTeams();
        for (int i = 0; i < kCharacterCount; ++i)
            applyAppearance(characterModels[i], teams[i / 2].players[i % 2].look);
        const CharacterModel* models[4] = {&characterModels[0], &characterModels[1], &characterModels[2],
                                           &characterModels[3]};
        initMatchState(*match, 0, 1, 0, models, &arena, 1000, 2024, MatchSettings{});
        NetParty& p = *party;
        p.ownId = p.hostId = 1;
        p.slotIds[0] = 1;
        p.slotIds[kRemoteSlot] = 2;
        p.ownSlot = 0;
        startNetMatch(p, *match);
        input.moveY = 1.0f;
        input.sprintDown = 1;
        for (int f = 0; f < kWarmUpFrames; ++f) frame(1.0f / 60.0f);
    }

    void feedRemote(int ticks) {
        NetInput records[kMaxRecordsPerPacket];
        for (int k = 0; k < ticks; ++k) records[k].moveX = static_cast<int8_t>((party->currentTick + k) % 200 - 100);
        buildInputPacket(remotePacket, kRemoteSlot, party->currentTick, records, ticks);
        handleNetPacket(*party, reinterpret_cast<const uint8_t*>(remotePacket.data()), remotePacket.size());
    }

    void frame(float dt) {
        feedRemote(kMaxNetTicksPerFrame + 1);
        updateNetSession(*party, *match, dt, input, false, CameraOptions{});
        match->events.clear(); // played by the frame
    }
};

OnlineMatch& online() {
    static OnlineMatch m;
    return m;
}

void reportPerTick(benchmark::State& st, long allocationsBefore, int ticksPerIteration) {
    st.counters["allocs/tick"] = benchmark::Counter(double(allocations - allocationsBefore) / ticksPerIteration,
                                                    benchmark::Counter::kAvgIterations);
}

void BM_WorstOnlineFrame(benchmark::State& st) {
    OnlineMatch& m = online();
    const long before = allocations;
    for (auto _ : st) {
        m.party->rollbackTick = m.party->currentTick - kMaxRollbackTicks; // a late input, as old as it gets
        m.party->tickAccumulator = 0;
        m.frame(kMaxNetTicksPerFrame / 60.0f + 0.001f);
    }
    reportPerTick(st, before, kWorstFrameTicks);
    st.counters["rollback"] = double(m.party->longestRollback);
}
BENCHMARK(BM_WorstOnlineFrame)->Unit(benchmark::kMillisecond);

void BM_ResimulatedTick(benchmark::State& st) {
    OnlineMatch& m = online();
    NetParty& p = *m.party;
    MatchSnapshot start;
    const long before = allocations;
    for (auto _ : st) {
        start = p.snapshotRing[(p.currentTick - kMaxRollbackTicks) % kSnapshotRingSize];
        rollbackTo(p, *m.match, p.currentTick - kMaxRollbackTicks, start.data(), start.size());
    }
    reportPerTick(st, before, kMaxRollbackTicks);
    st.counters["per tick"] = benchmark::Counter(kMaxRollbackTicks, benchmark::Counter::kIsIterationInvariantRate |
                                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_ResimulatedTick)->Unit(benchmark::kMillisecond);

} // namespace
