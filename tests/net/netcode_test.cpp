// The rollback netcode between two peers in one process, over a fake
// transport that delays every message by a few frames (in order, as the
// server does): both peers and an offline replay of the inputs they agreed on
// must give the same hash for every tick; a diverged guest is repaired by the
// host's resync; a silent peer stalls the match until its drop hands the slot
// to the CPU. A hostile third member can neither freeze the match by leaving
// after inputs nobody can confirm, nor split it by rewriting inputs he sent.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>

#include "net/match_packets.h"
#include "net/net_clock.h"
#include "net/netcode.h"
#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "tests/sim/sim_fixture.h"

namespace {

constexpr uint32_t kSeed = 99;
constexpr int kHostId = 1, kGuestId = 2;
constexpr int kGuestSlot = 2;
constexpr int kThirdId = 3, kThirdSlot = 1;
constexpr float kFrame = 1.0f / 60.0f;

double fakeNow = 0;
double fakeClock() { return fakeNow; }

struct Peer {
    std::unique_ptr<NetParty> party = std::make_unique<NetParty>();
    std::unique_ptr<MatchState> match = std::make_unique<MatchState>();
    std::vector<WsMessage> outbox;
    bool silent = false; // stopped playing; nothing it sends arrives
    int heard = 0;       // sound and music events played

    Peer(int ownId, int ownSlot, bool third) {
        NetParty& p = *party;
        p.ownId = ownId;
        p.hostId = kHostId;
        p.slotIds[0] = kHostId;
        p.slotIds[kGuestSlot] = kGuestId;
        p.slotAliases[kGuestSlot] = "LEO";
        if (third) {
            p.slotIds[kThirdSlot] = kThirdId;
            p.slotAliases[kThirdSlot] = "EVIL";
        }
        p.ownSlot = ownSlot;
        p.outbox = &outbox;
        startTestMatch(*match, ownSlot, false, false, kSeed);
        startNetMatch(p, *match);
    }
};

// A busy player: every few frames the stick swings and a button may go
// down, so that some predictions miss and some hold.
RawInput playerInput(int frame, int who) {
    constexpr int kHoldFrames = 5;
    uint32_t x = uint32_t(frame / kHoldFrames) * 2654435761u + uint32_t(who) * 97u + 1u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    RawInput in;
    in.moveX = float((x >> 4) & 255) / 127.5f - 1.0f;
    in.moveY = float((x >> 12) & 255) / 127.5f - 1.0f;
    in.lookDX = float((x >> 20) & 31) - 15.0f;
    in.sprintDown = (x >> 25) & 1;
    in.shootDown = ((x >> 26) & 7) == 0;
    if (frame % kHoldFrames == 0) {
        in.shootPressed = ((x >> 22) & 3) == 0;
        in.passPressed = ((x >> 8) & 7) == 0;
        in.movePressed = ((x >> 16) & 15) == 0;
    }
    return in;
}

class Netcode : public ::testing::Test {
protected:
    explicit Netcode(bool third = false) : host(kHostId, 0, third), guest(kGuestId, kGuestSlot, third) {}
    void SetUp() override { netClock = fakeClock; }

    // One frame of both peers; a message arrives 2 to 6 frames after it left.
    void frame() {
        fakeNow += kFrame;
        ++frameNo;
        for (int side = 0; side < 2; ++side) {
            Peer& from = side == 0 ? host : guest;
            Peer& to = side == 0 ? guest : host;
            auto& link = links[side];
            const int arrival = std::max(link.empty() ? 0 : link.back().first, frameNo + 2 + frameNo % 5);
            for (WsMessage& m : from.outbox)
                if (!from.silent) link.push_back({arrival, m.bytes});
            from.outbox.clear();
            while (!link.empty() && link.front().first <= frameNo) {
                const std::string& b = link.front().second;
                handleNetPacket(*to.party, reinterpret_cast<const uint8_t*>(b.data()), b.size());
                link.pop_front();
            }
        }
        for (Peer* p : {&host, &guest}) {
            if (p->silent) continue;
            updateNetSession(*p->party, *p->match, kFrame, playerInput(frameNo, p == &host), false, {});
            p->heard += int(p->match->events.size()); // the frame plays them
            p->match->events.clear();
        }
    }

    // Replays the host's agreed inputs offline and checks every tick's hash
    // against each running peer's.
    void expectReplayMatches(int32_t fromTick, int atLeast) {
        const NetParty& p = *host.party;
        auto replay = std::make_unique<MatchState>();
        startTestMatch(*replay, -1, false, false, kSeed);
        replay->online = 1;
        int checked = 0;
        for (int32_t t = 0; t <= p.confirmedTick && t < p.currentTick; ++t) {
            PlayerInput inputs[4];
            replay->humanMask = 0;
            for (int k = 0; k < 4; ++k) {
                unpackInput(NetInput{}, inputs[k]);
                if (!((p.slotMask >> k) & 1) || t >= p.humanUntil[k]) continue;
                replay->humanMask |= 1u << k;
                if (t < p.delay) continue;
                ASSERT_EQ(p.inputTags[k][t % kInputRingSize], t) << "slot " << k;
                unpackInput(p.inputRing[k][t % kInputRingSize], inputs[k]);
            }
            stepMatchFrame(*replay, inputs);
            if (t < fromTick) continue;
            const uint32_t hash = hashMatchState(*replay);
            ASSERT_EQ(p.hashRing[t % kInputRingSize], hash) << "host, tick " << t;
            if (!guest.silent && t <= guest.party->confirmedTick && t < guest.party->currentTick) {
                ASSERT_EQ(guest.party->hashRing[t % kInputRingSize], hash) << "guest, tick " << t;
            }
            ++checked;
        }
        EXPECT_GT(checked, atLeast);
    }

    Peer host;
    Peer guest;
    std::deque<std::pair<int, std::string>> links[2];
    int frameNo = 0;
};

// A third member in slot 1, whose inputs the test hands to each peer as the
// server relays them.
class NetcodeThirdMember : public Netcode {
protected:
    NetcodeThirdMember() : Netcode(true) {}

    static NetInput thirdInput(int64_t tick) {
        const uint32_t x = uint32_t(tick / 4) * 2654435761u;
        return NetInput{int8_t(x >> 24), int8_t(x >> 16), uint16_t(x >> 3), uint16_t((x >> 9) & 0x949), 0, 0};
    }
    static void relay(Peer& to, int64_t first, const std::vector<NetInput>& records) {
        std::string bytes;
        buildInputPacket(bytes, kThirdSlot, int32_t(first), records.data(), int(records.size()));
        handleNetPacket(*to.party, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // One frame, the third member playing along: his inputs up to the host's
    // present tick reach both peers first.
    void frameWithThird() {
        for (; thirdNext <= host.party->currentTick; ++thirdNext)
            for (Peer* p : {&host, &guest}) relay(*p, thirdNext, {thirdInput(thirdNext)});
        frame();
    }
    // He plays a while, then sends one input for a far-future tick and one
    // that skips five ticks, and leaves; a server that relayed them announces
    // the far one, or the other.
    void leaveAfterUnconfirmableInputs(bool announceFarTick) {
        for (int f = 0; f < 120; ++f) frameWithThird();
        const int32_t gap = thirdNext;
        for (Peer* p : {&host, &guest}) {
            relay(*p, 0x7ffffffe, {thirdInput(0x7ffffffe)});
            relay(*p, gap + 5, {thirdInput(gap + 5)});
        }
        for (int f = 0; f < 10; ++f) frame();
        const int64_t after = announceFarTick ? 0x7ffffffe : gap + 5;
        const std::string drop = R"({"t":"drop","slot":1,"alias":"EVIL","after":)" + std::to_string(after) + "}";
        for (Peer* p : {&host, &guest}) handleLobbyMessage(*p->party, drop);
        for (int f = 0; f < 240; ++f) frame();
        for (Peer* p : {&host, &guest}) {
            EXPECT_EQ(p->party->humanUntil[kThirdSlot], gap); // the first tick nobody could confirm
            EXPECT_GT(p->party->confirmedTick, gap + 200);
            EXPECT_EQ(p->party->stallTime, 0.0f);
            EXPECT_EQ(p->match->humanMask, 0b0101u);
        }
        expectReplayMatches(0, 300);
    }

    int32_t thirdNext = kDefaultDelayTicks;
};

} // namespace

TEST_F(Netcode, PeersAgreeWithAnOfflineReplayThroughTheirRollbacks) {
    for (int f = 0; f < 600; ++f) frame();
    for (Peer* p : {&host, &guest}) {
        EXPECT_GT(p->party->longestRollback, 2);
        EXPECT_GT(p->party->currentTick, 500);
        EXPECT_EQ(p->party->resyncs, 0);
    }
    expectReplayMatches(0, 500);

    // Ticks played again are not heard again, nor shown: the last two seconds
    // once more post no event and no callout, and give the same hashes.
    NetParty& p = *host.party;
    MatchState& m = *host.match;
    const int heardBefore = host.heard;
    for (int f = 0; f < kMaxRollbackTicks; ++f) frame();
    EXPECT_GT(host.heard, heardBefore);
    undoNetSmoothing(p.smoothing, m);
    const size_t shown = m.callouts.size();
    const int32_t from = p.currentTick - kMaxRollbackTicks, last = p.currentTick - 1;
    const uint32_t lastHash = p.hashRing[last % kInputRingSize];
    const MatchSnapshot start = p.snapshotRing[from % kSnapshotRingSize];
    rollbackTo(p, m, from, start.data(), start.size());
    EXPECT_TRUE(m.events.empty());
    EXPECT_EQ(m.callouts.size(), shown);
    EXPECT_EQ(p.hashRing[last % kInputRingSize], lastHash);
}

TEST_F(Netcode, TheHostsResyncRepairsADivergedGuest) {
    for (int f = 0; f < 200; ++f) frame();
    // Push the guest off course for good: its match and every saved start of
    // a tick a rollback could return to.
    constexpr size_t kPlayer1Energy = 196 + 1536 + 1236;
    const float tired = 0.25f;
    guest.match->players[1].energy = tired;
    for (MatchSnapshot& image : guest.party->snapshotRing)
        if (!image.empty()) std::memcpy(image.data() + kPlayer1Energy, &tired, sizeof tired);
    const int32_t pushedAt = guest.party->currentTick;
    for (int f = 0; f < 400; ++f) frame();
    EXPECT_GE(guest.party->resyncs, 1);
    EXPECT_EQ(host.party->resyncs, 0);
    expectReplayMatches(pushedAt + 2 * kResyncInterval, 100);
}

// A snapshot that does not load repairs nothing and is no resync: the guest
// plays on as it was, and the counter says so.
TEST_F(Netcode, AResyncWhoseSnapshotDoesNotLoadIsNotCounted) {
    for (int f = 0; f < 200; ++f) frame();
    NetParty& g = *guest.party;
    for (int n = 0; n < 3; ++n) {
        const int32_t t = g.confirmedTick - 1;
        MatchSnapshot garbage(kSnapshotSize, uint8_t(0x5A));
        std::string packet;
        buildResyncPacket(packet, t, g.hashRing[t % kInputRingSize] ^ 1u, garbage);
        handleNetPacket(g, reinterpret_cast<const uint8_t*>(packet.data()), packet.size());
        frame();
        EXPECT_FALSE(g.resyncPending);
    }
    EXPECT_EQ(g.resyncs, 0);
    for (int f = 0; f < 60; ++f) frame();
    expectReplayMatches(0, 200);
}

TEST_F(Netcode, ASilentPeerStallsTheMatchUntilItsDrop) {
    for (int f = 0; f < 120; ++f) frame();
    guest.silent = true;
    for (int f = 0; f < 120; ++f) frame();
    NetParty& p = *host.party;
    EXPECT_EQ(p.currentTick - p.confirmedTick, kStallAhead + 1);
    EXPECT_EQ(p.waitingAlias, "LEO");
    EXPECT_GT(p.stallTime, 1.0f);
    const int32_t lastRelayed = p.newestTick[kGuestSlot];
    handleLobbyMessage(p, "{\"t\":\"drop\",\"slot\":2,\"after\":" + std::to_string(lastRelayed) + "}");
    EXPECT_EQ(p.rollbackTick, lastRelayed + 1);
    for (int f = 0; f < 60; ++f) frame();
    EXPECT_EQ(p.stallTime, 0.0f);
    EXPECT_EQ(host.match->humanMask, 0b0001u);
    EXPECT_GT(p.currentTick, lastRelayed + 100);
    expectReplayMatches(0, 200);
}

TEST_F(NetcodeThirdMember, ALeaverAnnouncedAfterAFarFutureTickIsPlayedByTheCpuFromHisFirstMissingTick) {
    leaveAfterUnconfirmableInputs(true);
}

TEST_F(NetcodeThirdMember, ALeaverAnnouncedAfterSkippedTicksIsPlayedByTheCpuFromHisFirstMissingTick) {
    leaveAfterUnconfirmableInputs(false);
}

// He sends ticks again with other contents. The copy reaches the guest while
// they are still within its rollback window, and the host only once they are
// beyond: if either took it, the two would play different matches.
TEST_F(NetcodeThirdMember, InputsSentAgainWithOtherContentsChangeNothing) {
    for (int f = 0; f < 400; ++f) frameWithThird();
    constexpr int kRewritten = 32;
    const int32_t first = guest.party->currentTick - 60, last = first + kRewritten - 1;
    std::vector<NetInput> rewritten;
    for (int32_t t = first; t <= last; ++t) {
        NetInput in = thirdInput(t);
        in.moveX = in.moveX >= 0 ? -127 : 127;
        in.buttons ^= 0x4; // a shot pressed
        rewritten.push_back(in);
    }
    relay(guest, first, rewritten);
    while (host.party->currentTick - kMaxRollbackTicks <= last) frameWithThird();
    relay(host, first, rewritten);
    for (int f = 0; f < 300; ++f) frameWithThird();
    for (Peer* p : {&host, &guest}) {
        for (int32_t t = first; t <= last; ++t)
            EXPECT_TRUE(sameNetInput(p->party->inputRing[kThirdSlot][t % kInputRingSize], thirdInput(t))) << t;
        EXPECT_EQ(p->party->resyncs, 0);
    }
    expectReplayMatches(0, 600);
}
