// The rollback netcode (see netcode.h).
#include "net/netcode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <raymath.h>

#include "audio/audio.h"
#include "net/keep_awake.h"
#include "net/match_packets.h"
#include "net/net_clock.h"
#include "sim/camera.h"
#include "sim/input_sampling.h"
#include "sim/match_driver.h"
#include "sim/snapshot.h"

namespace {

// Test switches, looked up once per run.
bool desyncSwitch() {
    static const bool on = std::getenv("KORVALO_DESYNC") != nullptr;
    return on;
}

// The per-tick log that two peers' runs are compared by, line for line.
FILE* netLog() {
    static FILE* file = [] {
        const char* path = std::getenv("KORVALO_NETLOG");
        return path ? std::fopen(path, "w") : nullptr;
    }();
    return file;
}

bool hasSlot(uint32_t mask, int k) { return (mask >> k) & 1u; }

// The one-frame bytes: OR-ed across frames until a tick takes them.
void mergeFrameInput(RawInput& acc, const RawInput& frame) {
    RawInput merged = frame;
    merged.sprintPressed |= acc.sprintPressed;
    merged.shootPressed |= acc.shootPressed;
    merged.shootReleased |= acc.shootReleased;
    merged.leftMousePressed |= acc.leftMousePressed;
    merged.rightMousePressed |= acc.rightMousePressed;
    merged.passPressed |= acc.passPressed;
    merged.movePressed |= acc.movePressed;
    acc = merged;
}

// Every human input of the tick is known.
bool tickConfirmed(const NetParty& p, int32_t tick) {
    if (tick < p.delay) return true;
    for (int k = 0; k < kNetSlots; ++k)
        if (hasSlot(p.slotMask, k) && tick < p.humanUntil[k] && !hasTickInput(p, k, tick)) return false;
    return true;
}

void advanceConfirmation(NetParty& p) {
    const int64_t limit = int64_t(p.nextLocalTick) + kConfirmLookAhead;
    while (p.confirmedTick + int64_t(1) <= limit && tickConfirmed(p, p.confirmedTick + 1)) ++p.confirmedTick;
}

// How far this client runs ahead of the furthest-behind other player, in ticks.
double ticksAhead(const NetParty& p, double now) {
    double ahead = 0;
    for (int k = 0; k < kNetSlots; ++k) {
        if (k == p.ownSlot || !hasSlot(p.slotMask, k) || p.currentTick >= p.humanUntil[k] || p.receiveTime[k] <= 0)
            continue;
        ahead = std::max(ahead, p.currentTick - (p.remoteEstimate[k] + (now - p.receiveTime[k]) * 60.0));
    }
    return ahead;
}

void noteStall(NetParty& p, float dt) {
    p.stallTime += dt;
    p.totalStall += dt;
    const int32_t next = p.confirmedTick + 1;
    for (int k = 0; k < kNetSlots; ++k)
        if (hasSlot(p.slotMask, k) && p.humanUntil[k] > next && !hasTickInput(p, k, next)) p.waitingAlias = p.slotAliases[k];
}

void produceLocalInputs(NetParty& p, MatchState& m) {
    if (p.ownSlot < 0 || p.ownSlot >= kNetSlots) return;
    const int slot = p.ownSlot;
    while (p.nextLocalTick < int64_t(p.currentTick) + p.inputLead && p.nextLocalTick < p.humanUntil[slot] &&
           p.localBatchCount < kLocalBatchMax) {
        PlayerInput sampled;
        sampleInput(sampled, m, p.inputAccumulator, kNetTickSeconds);
        const int i = ringIndex(p.nextLocalTick, kInputRingSize);
        NetInput& record = p.inputRing[slot][i];
        packInput(sampled, record);
        record.senderPing = static_cast<uint8_t>(std::min(p.ping * 0.25f, 255.0f));
        p.inputTags[slot][i] = p.nextLocalTick;
        p.newestTick[slot] = p.nextLocalTick;
        if (p.localBatchCount == 0) p.localBatchFirst = p.nextLocalTick;
        p.localBatch[p.localBatchCount++] = record;
        clearPressBytes(p.inputAccumulator);
        ++p.nextLocalTick;
    }
}

void sendLocalInputs(NetParty& p) {
    for (int start = 0; start < p.localBatchCount; start += kMaxRecordsPerPacket) {
        const int count = std::min(kMaxRecordsPerPacket, p.localBatchCount - start);
        buildInputPacket(p.packetBuffer, p.ownSlot, p.localBatchFirst + start, p.localBatch + start, count);
        sendPartyMessage(p, true, p.packetBuffer);
    }
    p.localBatchCount = 0;
}

void sendResync(NetParty& p, MatchState& m) {
    const int32_t t = p.nextResyncTick;
    if (isPartyHost(p) && p.confirmedTick >= t && p.currentTick - kMaxRollbackTicks <= t && t < p.currentTick) {
        const MatchSnapshot* after = &p.snapshotRing[ringIndex(int64_t(t) + 1, kSnapshotRingSize)];
        if (p.currentTick == t + 1) {
            saveSnapshot(m, p.freshSnapshot);
            after = &p.freshSnapshot;
        }
        buildResyncPacket(p.packetBuffer, t, p.hashRing[ringIndex(t, kInputRingSize)], *after);
        sendPartyMessage(p, true, p.packetBuffer);
    }
    while (p.nextResyncTick <= p.confirmedTick) p.nextResyncTick += kResyncInterval;
}

void applyResync(NetParty& p, MatchState& m) {
    const int32_t t = p.resyncTick;
    if (!p.resyncPending || t > p.confirmedTick || t >= p.currentTick) return;
    p.resyncPending = false;
    // Only a snapshot that loaded counts as a resync: a refused one repaired nothing.
    if (t >= p.currentTick - kMaxRollbackTicks && p.hashRing[ringIndex(t, kInputRingSize)] != p.resyncHash &&
        rollbackTo(p, m, t + 1, p.resyncSnapshot.data(), p.resyncSnapshot.size()))
        p.resyncs += 1;
}

// Lines for the ticks that are final: simulated with every input known.
void writeNetLog(NetParty& p) {
    FILE* log = netLog();
    if (!log) return;
    const int32_t last = std::min({p.confirmedTick, p.currentTick - 1, kNetLogTicks - 1});
    if (p.netLogNext > last) return;
    for (; p.netLogNext <= last; ++p.netLogNext) {
        const NetLogLine& l = p.netLogRing[ringIndex(p.netLogNext, kInputRingSize)];
        std::fprintf(log, "%d m%x rng%08x ph%d %.6f ball %.6f %.6f %.6f\n", p.netLogNext, l.humanMask, l.rng,
                     l.phase, l.phaseTimer, l.ball[0], l.ball[1], l.ball[2]);
    }
    std::fflush(log);
}

} // namespace

void startNetMatch(NetParty& p, MatchState& m) {
    setKeepAwake(true);
    p.started = false;
    p.inMatch = true;
    p.totalStall = 0;
    p.currentTick = 0;
    p.nextLocalTick = p.delay;
    p.confirmedTick = p.delay - 1;
    p.inputLead = 1;
    p.slotMask = 0;
    for (int k = 0; k < kNetSlots; ++k) {
        std::fill(std::begin(p.inputTags[k]), std::end(p.inputTags[k]), -1);
        p.remoteEstimate[k] = p.receiveTime[k] = 0;
        p.humanUntil[k] = kNeverTick;
        p.newestTick[k] = -1;
        if (p.slotIds[k] != 0) p.slotMask |= 1u << k;
    }
    for (MatchSnapshot& image : p.snapshotRing) image.clear();
    p.resyncPending = false;
    p.tickAccumulator = 0;
    p.rollbackTick = kNeverTick;
    p.nextResyncTick = kFirstResyncTick;
    p.resyncs = p.rollbacks = p.longestRollback = 0;
    p.inputAccumulator = RawInput{};
    p.smoothing = NetSmoothing{};
    p.stallTime = 0;
    p.emotes.clear();
    p.localBatchCount = 0;
    p.netLogNext = 0;

    m.humanMask = p.slotMask;
    m.online = 1;
    for (int k = 0; k < kNetSlots; ++k) m.aliases[k] = p.slotAliases[k];
}

void stopNetMatch(NetParty& p) {
    setKeepAwake(false);
    p.started = p.inMatch = false;
}

void getInputForTick(const NetParty& p, int slot, int32_t tick, NetInput& out) {
    out = NetInput{};
    if (tick < p.delay) return;
    const NetInput* source = nullptr;
    if (hasTickInput(p, slot, tick))
        source = &p.inputRing[slot][ringIndex(tick, kInputRingSize)];
    else if (p.newestTick[slot] >= p.delay)
        source = &p.inputRing[slot][ringIndex(p.newestTick[slot], kInputRingSize)];
    if (!source) return;
    out.moveX = source->moveX;
    out.moveY = source->moveY;
    out.aim = source->aim;
    out.buttons = hasTickInput(p, slot, tick) ? source->buttons : source->buttons & kNetHeldButtons;
}

void simulateNetTick(NetParty& p, MatchState& m, int32_t tick, bool resim) {
    saveSnapshot(m, p.snapshotRing[ringIndex(tick, kSnapshotRingSize)]);
    const int i = ringIndex(tick, kInputRingSize);
    PlayerInput inputs[kNetSlots];
    uint32_t humans = 0;
    for (int k = 0; k < kNetSlots; ++k) {
        unpackInput(NetInput{}, inputs[k]);
        if (hasSlot(p.slotMask, k) && tick < p.humanUntil[k]) {
            getInputForTick(p, k, tick, p.usedRing[k][i]);
            unpackInput(p.usedRing[k][i], inputs[k]);
            humans |= 1u << k;
        }
    }
    m.humanMask = humans;
    if (desyncSwitch() && !isPartyHost(p) && tick == kDesyncTick) m.players[0].pos.x += kDesyncShift;
    stepMatchFrame(m, inputs);
    p.hashRing[i] = hashMatchState(m);
    if (netLog())
        p.netLogRing[i] = {m.humanMask, m.rng, m.phase, m.phaseTimer, {m.ball.pos.x, m.ball.pos.y, m.ball.pos.z}};
}

bool rollbackTo(NetParty& p, MatchState& m, int32_t tick, const uint8_t* snapshot, size_t size) {
    // What the re-simulation must not disturb: where things were shown, the
    // callouts already on screen, the sounds already heard (ticks played
    // again are not heard again), and the camera's motion.
    Vector3 shownPos[kNetSlots];
    for (int k = 0; k < kNetSlots; ++k) shownPos[k] = m.players[k].pos;
    const Vector3 shownBall = m.ball.pos;
    p.keptCallouts = m.callouts;
    const CameraMotion keptCamera = m.cam;
    const size_t heard = m.events.size();

    resimulating = true;
    const double t0 = netClock();
    const bool loaded = loadSnapshot(m, snapshot, size);
    if (loaded)
        for (int32_t t = tick; t < p.currentTick; ++t) simulateNetTick(p, m, t, true);
    const double t1 = netClock();
    p.resimMs += (t1 - t0) * 1000.0;
    if (loaded && tick < p.currentTick) p.resimTicks += p.currentTick - tick;
    resimulating = false;

    std::swap(m.callouts, p.keptCallouts);
    m.events.resize(heard);
    m.cam = keptCamera;
    if (!loaded) return false;
    NetSmoothing& s = p.smoothing;
    for (int k = 0; k < kNetSlots; ++k)
        s.playerOffset[k] = Vector3Add(s.playerOffset[k], Vector3Subtract(shownPos[k], m.players[k].pos));
    s.ballOffset = Vector3Add(s.ballOffset, Vector3Subtract(shownBall, m.ball.pos));
    return true;
}

void updateNetSession(NetParty& p, MatchState& m, float dt, const RawInput& frame, bool pausedOrOver,
                      const CameraOptions& look) {
    undoNetSmoothing(p.smoothing, m);

    const RawInput input = pausedOrOver ? RawInput{} : frame;
    applyMouseLook(m, input, look);
    mergeFrameInput(p.inputAccumulator, input);

    advanceConfirmation(p);

    if (p.rollbackTick < p.currentTick) {
        const int32_t from = std::max(p.currentTick - kMaxRollbackTicks, p.rollbackTick);
        const MatchSnapshot& image = p.snapshotRing[ringIndex(from, kSnapshotRingSize)];
        if (!image.empty()) {
            rollbackTo(p, m, from, image.data(), image.size());
            p.rollbacks += 1;
            p.longestRollback = std::max(p.longestRollback, p.currentTick - from);
        }
    }
    p.rollbackTick = kNeverTick;

    const double now = netClock();
    p.tickAccumulator = std::min(p.tickAccumulator + dt, kTickAccumulatorCap);
    const double ahead = ticksAhead(p, now);
    if (ahead > kDriftThresholdTicks)
        p.tickAccumulator -= float(std::min((ahead - kDriftThresholdTicks) * kDriftGain, kDriftMaxSlowdown) * dt);

    bool stalled = false;
    for (int n = 0; n < kMaxNetTicksPerFrame && p.tickAccumulator >= kNetTickSeconds; ++n) {
        if (p.currentTick - p.confirmedTick > kStallAhead) {
            noteStall(p, dt);
            stalled = true;
            break;
        }
        produceLocalInputs(p, m);
        simulateNetTick(p, m, p.currentTick, false);
        p.tickAccumulator -= kNetTickSeconds;
        ++p.currentTick;
    }
    if (!stalled) p.stallTime = 0;

    sendLocalInputs(p);
    sendResync(p, m);
    applyResync(p, m);
    writeNetLog(p);

    smoothNetCorrections(p.smoothing, m, dt);
    updatePresentationClamped(m, dt);
}
