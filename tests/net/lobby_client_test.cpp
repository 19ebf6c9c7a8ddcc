// The party's lobby client: how each message is read (defaults, clamping,
// what is ignored), the order of the delayed queue, a server that falls
// silent or never lets us in, messages held behind a start, and a whole party
// on the project's party server on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/program_random.h"
#include "net/match_packets.h"
#include "net/net_clock.h"
#include "tests/net/raw_test_server.h"
#include "tests/net/ws_test_support.h"

namespace {

double fakeNow = 100;
double fakeClock() { return fakeNow; }

class LobbyMessages : public ::testing::Test {
protected:
    void SetUp() override { netClock = fakeClock; }
    void read(const std::string& text) { handleLobbyMessage(*party, text); }

    // Frames of the party (on the fake clock, which stands still) until
    // done() holds or about four seconds have passed.
    template <typename Done>
    bool frameUntil(Done done) {
        for (int i = 0; i < 2000 && !done(); ++i) {
            updateParty(*party, 0.0f);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }
    // The party connects to the hand-played server, which takes the upgrade;
    // the hello and the first ping are out when this returns true.
    bool connectTo(RawTestServer& raw) {
        party->serverUrl = raw.url("");
        createParty(*party, "MAYA");
        return raw.accept() && raw.completeUpgrade() && frameUntil([&] { return party->pingSentAt >= 0; });
    }
    static std::string text(const std::string& json) { return serverFrameForTest(1, json); }
    // The party ended from this side, showing the reason.
    void expectDroppedWith(const char* reason) {
        EXPECT_EQ(party->state, PARTY_ENDED);
        EXPECT_EQ(party->errorText, reason);
        EXPECT_EQ(party->socket.state(), WsState::closed);
    }

    std::unique_ptr<NetParty> party = std::make_unique<NetParty>();
};

constexpr const char* kWelcome = R"({"t":"welcome","id":1,"code":"AB3CD"})";
constexpr const char* kStartForOne = R"({"t":"start","seed":9,"slots":[{"id":1,"alias":"MAYA"},null,null,null]})";

} // namespace

TEST_F(LobbyMessages, RoomAndStartFallBackToDefaultsAndKeepIndicesInRange) {
    party->code = "AB3CD";
    party->ownId = 4;
    read(R"({"t":"room","host":7,"settings":{"mode":"1v1","teams":[9,2]},
             "members":[{"id":7,"side":1,"ready":0.5,"slot":2}, {"id":"8","side":5,"ready":"yes","slot":12}, 3]})");
    EXPECT_EQ(party->code, "AB3CD"); // not given: kept
    EXPECT_EQ(party->settings.court, "half");
    EXPECT_EQ(party->settings.teams[0], 0); // 9 is no team
    EXPECT_EQ(party->settings.teams[1], 2);
    ASSERT_EQ(party->members.size(), 3u);
    EXPECT_EQ(party->members[0].ready, 1); // any nonzero number
    EXPECT_EQ(party->members[0].side, 1);
    for (const PartyMember& m : {party->members[1], party->members[2]})
        EXPECT_TRUE(m.id == 0 && m.side == 0 && m.ready == 0 && m.slot == -1);
    for (const char* ignored : {"", "{", "[1]", R"({"t":5,"host":1})", R"({"t":"rooms"})"}) read(ignored);
    EXPECT_EQ(party->hostId, 7);

    party->state = PARTY_JOINED; // a start is read in the lobby only
    read(R"({"t":"start","seed":4294967301,"delay":1,"slots":[{"id":9,"alias":"A"},null,{"id":4},7]})");
    EXPECT_TRUE(party->started);
    EXPECT_EQ(party->seed, 5u); // the low 32 bits
    EXPECT_EQ(party->delay, 2);
    EXPECT_EQ(party->slotAliases[0], "A");
    EXPECT_EQ(party->slotIds[1], 0);
    EXPECT_EQ(party->slotIds[3], 0); // not an object
    EXPECT_EQ(party->ownSlot, 2);
    struct Case {
        const char* fields;
        int delay;
        uint32_t seed;
    };
    for (const Case& c : {Case{R"("delay":50,"seed":"12")", 20, 0}, Case{R"("delay":true,"seed":-1)", 2, 0xFFFFFFFF},
                          Case{R"("delay":"3","seed":1e999)", 6, 0}, Case{R"("delay":-1e999,"seed":2.9)", 6, 2}}) {
        read(std::string(R"({"t":"start",)") + c.fields + "}");
        EXPECT_EQ(party->delay, c.delay) << c.fields;
        EXPECT_EQ(party->seed, c.seed) << c.fields;
        EXPECT_EQ(party->ownSlot, -1);
    }
}

// A start belongs to the lobby: before the welcome or during a match it
// would point the match at the wrong slots (or at none), and one that puts
// the same player in two slots would have the match wait for him in both.
TEST_F(LobbyMessages, AStartIsReadInTheLobbyOnlyAndOnlyWithDistinctPlayers) {
    const std::string good = R"({"t":"start","seed":5,"slots":[{"id":7},null,{"id":4,"alias":"ME"},null]})";
    party->ownId = 4;
    party->state = PARTY_CONNECTING;
    read(good);
    EXPECT_FALSE(party->started);
    EXPECT_EQ(party->slotIds[2], 0);

    party->state = PARTY_JOINED;
    read(good);
    EXPECT_TRUE(party->started);
    EXPECT_EQ(party->ownSlot, 2);

    party->started = false, party->inMatch = true; // the match began
    read(R"({"t":"start","seed":6,"delay":9,"slots":[{"id":4},{"id":7},null,null]})");
    EXPECT_FALSE(party->started);
    EXPECT_EQ(party->seed, 5u);
    EXPECT_EQ(party->delay, kDefaultDelayTicks);
    EXPECT_EQ(party->ownSlot, 2);
    EXPECT_EQ(party->slotIds[0], 7);

    party->inMatch = false; // back in the lobby: a start whose players repeat is refused whole
    for (const char* slots : {R"([{"id":4},null,{"id":4},null])", R"([{"id":7},{"id":7.5},{"id":4},null])"}) {
        read(std::string(R"({"t":"start","seed":8,"slots":)") + slots + "}");
        EXPECT_FALSE(party->started) << slots;
        EXPECT_EQ(party->seed, 5u) << slots;
        EXPECT_EQ(party->slotIds[0], 7) << slots;
        EXPECT_EQ(party->slotAliases[2], "ME") << slots;
    }
}

TEST_F(LobbyMessages, EmotesDropsAndPongs) {
    for (const char* e : {R"({"slot":-1,"e":2})", R"({"slot":1,"e":8})", R"({"slot":1})", R"({"slot":1,"e":"2"})",
                          R"({"slot":1,"e":1e999})", R"({"slot":3,"e":7.9})"})
        read(std::string(R"({"t":"emote",)") + (e + 1));
    EXPECT_EQ(party->emoteCount, 6);
    ASSERT_EQ(party->emotes.size(), 1u);
    EXPECT_EQ(party->emotes[0].slot, 3);
    EXPECT_EQ(party->emotes[0].emote, 7);

    // The leavers' inputs that arrived: slot 2 up to tick 100, slot 0 up to
    // 200 but for tick 150.
    party->delay = 6;
    party->currentTick = 80;
    for (int32_t t = 6; t <= 200; ++t) {
        if (t <= 100) party->inputTags[2][t] = t;
        if (t != 150) party->inputTags[0][t] = t;
    }
    read(R"({"t":"drop","slot":2,"after":100,"alias":"LEO"})");
    EXPECT_EQ(party->humanUntil[2], 101);
    EXPECT_EQ(party->notice, "LEO LEFT - THE CPU TAKES OVER");
    EXPECT_EQ(party->rollbackTick, kNeverTick);
    read(R"({"t":"drop","slot":1.7})"); // no "after": from the first tick after the neutral ones
    EXPECT_EQ(party->humanUntil[1], 6);
    EXPECT_EQ(party->rollbackTick, 6); // already simulated
    // Up to a tick whose input never came, which nobody could confirm: the
    // CPU takes over there (in 64 bits, even from "after" 2^31 - 1).
    read(R"({"t":"drop","slot":0,"after":2147483647})");
    EXPECT_EQ(party->humanUntil[0], 150);
    read(R"({"t":"drop","slot":0,"after":120})"); // a second drop never gives the slot back
    EXPECT_EQ(party->humanUntil[0], 121);
    read(R"({"t":"drop","slot":0,"after":140})");
    EXPECT_EQ(party->humanUntil[0], 121);
    read(R"({"t":"drop","slot":7,"after":10})");
    read(R"({"t":"drop","slot":-1e999,"after":10})");
    EXPECT_EQ(party->humanUntil[2], 101);

    read(R"({"t":"pong"})"); // none in flight
    EXPECT_EQ(party->ping, 0.0f);
    party->pingSentAt = fakeNow;
    fakeNow += 0.040;
    read(R"({"t":"pong"})");
    EXPECT_NEAR(party->ping, 40.0f, 0.01f); // the first sample as it is
    EXPECT_DOUBLE_EQ(party->nextPingAt, fakeNow + 1.0);
    party->pingSentAt = fakeNow;
    fakeNow += 0.140;
    read(R"({"t":"pong"})");
    EXPECT_NEAR(party->ping, 70.0f, 0.01f); // 40 + (140 - 40) x 0.3
}

// A server that stops talking halfway through a message (the header of a
// 1 MiB frame and nothing more), as a dropped connection would: the socket
// never fails, but ten seconds with a ping unanswered and nothing else heard
// end the party. A lobby that merely stood still does not.
TEST_F(LobbyMessages, AServerSilentForTenSecondsWithAPingOutIsLost) {
    RawTestServer raw;
    ASSERT_TRUE(connectTo(raw));
    raw.write(text(kWelcome) + text(R"({"t":"pong"})"));
    ASSERT_TRUE(frameUntil([&] { return party->state == PARTY_JOINED && party->pingSentAt < 0; }));

    fakeNow += 30; // the game stood still: no ping was out meanwhile
    updateParty(*party, 0.0f);
    EXPECT_EQ(party->state, PARTY_JOINED);
    EXPECT_EQ(party->pingSentAt, fakeNow);

    raw.write(std::string("\x81\x7F\x00\x00\x00\x00\x00\x10\x00\x00", 10) + std::string(1000, 'x'));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    fakeNow += 9.5;
    updateParty(*party, 0.0f);
    EXPECT_EQ(party->state, PARTY_JOINED);
    fakeNow += 1.0;
    updateParty(*party, 0.0f);
    expectDroppedWith("Lost connection to the server.");
}

// A server that answers every ping but never welcomes: the player is not
// kept at CONNECTING past ten seconds from the connect.
TEST_F(LobbyMessages, APartyNotWelcomedWithinTenSecondsCannotReachTheServer) {
    RawTestServer raw;
    ASSERT_TRUE(connectTo(raw));
    const double connectedAt = fakeNow;
    raw.write(text(R"({"t":"pong"})"));
    ASSERT_TRUE(frameUntil([&] { return party->pingSentAt < 0; }));
    fakeNow = connectedAt + 9.5;
    updateParty(*party, 0.0f); // the next ping goes out, and is answered too
    ASSERT_GE(party->pingSentAt, 0);
    raw.write(text(R"({"t":"pong"})"));
    ASSERT_TRUE(frameUntil([&] { return party->pingSentAt < 0; }));
    EXPECT_EQ(party->state, PARTY_CONNECTING);
    fakeNow = connectedAt + 10.5;
    updateParty(*party, 0.0f);
    expectDroppedWith("Can't reach the server.");
}

// The welcome can only come after the hello, which goes out at the first
// frame once the socket is open: a first frame that took eleven seconds
// (a loaded machine) does not end a healthy connection. A socket still
// opening is held to ten seconds from the connect.
TEST_F(LobbyMessages, TheWelcomeIsAwaitedFromTheHelloOnward) {
    {
        RawTestServer raw;
        party->serverUrl = raw.url("");
        createParty(*party, "MAYA");
        ASSERT_TRUE(raw.accept() && raw.completeUpgrade());
        ASSERT_TRUE(waitForState(party->socket, WsState::open));
        fakeNow += 11; // across the first frame
        updateParty(*party, 0.0f);
        EXPECT_TRUE(party->helloSent);
        EXPECT_EQ(party->state, PARTY_CONNECTING);
        raw.write(text(kWelcome));
        ASSERT_TRUE(frameUntil([&] { return party->state == PARTY_JOINED; })) << party->errorText;
    }
    {
        RawTestServer raw;
        party->serverUrl = raw.url("");
        createParty(*party, "MAYA");
        ASSERT_TRUE(raw.accept()); // and never answers the upgrade
        fakeNow += 9.5;
        updateParty(*party, 0.0f);
        EXPECT_EQ(party->state, PARTY_CONNECTING);
        fakeNow += 1.0;
        updateParty(*party, 0.0f);
        expectDroppedWith("Can't reach the server.");
    }
}

// A start before the welcome is not the party's: the welcome behind it is
// read. Messages held behind a start (the match has not begun) neither keep
// the socket's end from being heard nor pile up without end.
TEST_F(LobbyMessages, MessagesHeldBehindAStartNeitherLockTheLobbyNorPileUp) {
    {
        RawTestServer raw;
        ASSERT_TRUE(connectTo(raw));
        raw.write(text(kStartForOne) + text(kWelcome) + text(R"({"t":"room","host":1,"members":[{"id":1}]})"));
        ASSERT_TRUE(frameUntil([&] { return party->members.size() == 1; }));
        EXPECT_EQ(party->state, PARTY_JOINED);
        EXPECT_FALSE(party->started);

        raw.write(text(kStartForOne) + text(R"({"t":"notice","msg":"HELD"})"));
        ASSERT_TRUE(frameUntil([&] { return party->started; }));
        raw.write(serverFrameForTest(8, std::string("\x03\xE8", 2))); // a close, 1000
        ASSERT_TRUE(frameUntil([&] { return party->state == PARTY_ENDED; }));
        EXPECT_EQ(party->errorText, "Disconnected from the party.");
    }
    {
        RawTestServer raw;
        ASSERT_TRUE(connectTo(raw));
        raw.write(text(kWelcome) + text(kStartForOne));
        ASSERT_TRUE(frameUntil([&] { return party->started; }));
        const std::string flood = text(std::string(60000, 'x'));
        for (int i = 0; i < 100; ++i) ASSERT_TRUE(raw.write(flood)); // 6 MB, never read as the match never begins
        ASSERT_TRUE(frameUntil([&] { return party->state == PARTY_ENDED; }));
        expectDroppedWith("Lost connection to the server.");
        EXPECT_LT(party->delayed.size(), 100u);
    }
}

TEST(DelayedQueue, KeepsTheArrivalOrderUnderJitter) {
    programSrand(7);
    std::deque<DelayedMessage> queue;
    for (int i = 0; i < 200; ++i) delayMessage(queue, WsMessage{false, std::to_string(i)}, 10.0 + i * 0.001, 0.08, 0.04);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(queue[i].bytes, std::to_string(i));
        EXPECT_GE(queue[i].deliverAt, i ? queue[i - 1].deliverAt : 0);
        EXPECT_GE(queue[i].deliverAt, 10.0 + i * 0.001 + 0.08);
        EXPECT_LE(queue[i].deliverAt, 10.0 + 0.199 + 0.08 + 0.04);
    }
}

// Two game clients in one party on the real server, driven by updateParty.
TEST_F(PartyServerSuite, LobbyClientMeetsStartsAndLosesAPlayer) {
    netClock = steadySeconds;
    auto host = std::make_unique<NetParty>(), guest = std::make_unique<NetParty>(), lost = std::make_unique<NetParty>();
    auto frames = [&](auto done) {
        for (int i = 0; i < 1000 && !done(); ++i) {
            for (NetParty* p : {host.get(), guest.get(), lost.get()}) updateParty(*p, 1 / 60.0f);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    };
    for (NetParty* p : {host.get(), guest.get(), lost.get()}) p->serverUrl = server->url("");
    joinParty(*lost, "ZZZZZ", "LOST");
    createParty(*host, "MAYA");
    ASSERT_TRUE(frames([&] { return !host->code.empty() && lost->state == PARTY_ENDED; }));
    EXPECT_EQ(lost->errorText, "No party with that code.");
    std::string lower = host->code;
    for (char& c : lower) c = char(std::tolower(c));
    joinParty(*guest, lower, "LEO \"2\"");
    ASSERT_TRUE(frames([&] { return host->members.size() == 2 && guest->members.size() == 2; }));
    EXPECT_EQ(guest->members[1].alias, "LEO \"2\"");

    PartySettings rules = host->settings;
    rules.mode = "1v1";
    sendSettings(*host, rules);
    sendReady(*guest, true);
    ASSERT_TRUE(frames([&] { return guest->settings.mode == "1v1" && host->members[1].ready; }));
    sendStart(*host);
    ASSERT_TRUE(frames([&] { return host->started && guest->started && host->ping > 0; }));
    EXPECT_EQ(host->seed, guest->seed);
    EXPECT_EQ(host->ownSlot, 0);
    EXPECT_EQ(guest->ownSlot, 2);

    // The match begins (as startNetMatch does it); the guest's inputs reach
    // the host, then the guest goes.
    for (NetParty* p : {host.get(), guest.get()}) p->started = false, p->inMatch = true;
    NetInput records[3];
    std::string packet;
    buildInputPacket(packet, 2, 6, records, 3);
    sendPartyMessage(*guest, true, packet);
    ASSERT_TRUE(frames([&] { return host->newestTick[2] == 8; }));
    leaveParty(*guest);
    ASSERT_TRUE(frames([&] { return host->noticeTimer > 0; }));
    EXPECT_EQ(host->notice, "LEO \"2\" LEFT - THE CPU TAKES OVER");
    EXPECT_EQ(host->humanUntil[2], 9);
    host->socket.close();
    ASSERT_TRUE(frames([&] { return host->state == PARTY_ENDED; }));
    EXPECT_EQ(host->errorText, "Disconnected from the party.");
}
