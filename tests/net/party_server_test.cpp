// The party server as a real service: every duty the game's lobby client
// relies on, spoken through the game's own WebSocket and JSON code, and its
// defences against hostile clients (raw sockets where a client misbehaves).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/net/raw_test_server.h"
#include "tests/net/ws_test_support.h"

namespace {

struct Member {
    WebSocket ws;
    int id = 0;
    std::string code;
};
using Party = std::vector<std::unique_ptr<Member>>;

const std::string kPing = "{\"t\":\"ping\"}";

bool enter(const PartyServerProcess& server, Member& m, const std::string& code, const std::string& alias) {
    JsonValue welcome = enterParty(m.ws, server.url("/api/party/" + (code.empty() ? "new" : code)), alias);
    m.id = jsonInt(jsonGet(welcome, "id"), 0);
    m.code = jsonString(jsonGet(welcome, "code"), "");
    return m.id > 0;
}

// The next room listing exactly `count` members.
JsonValue roomWith(Member& m, size_t count) {
    while (true) {
        JsonValue room = waitForType(m.ws, "room");
        if (room.kind == JsonKind::null || jsonGet(room, "members").items.size() == count) return room;
    }
}

const JsonValue& memberRow(const JsonValue& room, size_t i) { return jsonAt(jsonGet(room, "members"), i); }

// A party of `count` members, the first the host, each having seen the room
// with everybody in it.
Party makeParty(const PartyServerProcess& server, int count) {
    Party members;
    for (int i = 0; i < count; ++i) {
        members.push_back(std::make_unique<Member>());
        if (!enter(server, *members.back(), i == 0 ? "" : members[0]->code, "P" + std::to_string(i))) return {};
    }
    for (auto& m : members)
        if (roomWith(*m, size_t(count)).kind == JsonKind::null) return {};
    return members;
}

void readyAll(Party& members) {
    for (size_t i = 1; i < members.size(); ++i) members[i]->ws.sendText("{\"t\":\"ready\",\"ready\":true}");
    // Each ready mark reaches the host as a room.
    for (size_t i = 1; i < members.size(); ++i) waitForType(members[0]->ws, "room");
}

// The slot each member got from "start", in member order (-1 for none).
std::vector<int> startSlots(Party& members) {
    members[0]->ws.sendText("{\"t\":\"start\"}");
    JsonValue first = waitForType(members[0]->ws, "start");
    std::vector<int> slots;
    for (auto& m : members) {
        JsonValue start = m == members[0] ? first : waitForType(m->ws, "start");
        EXPECT_EQ(jsonGet(start, "seed").number, jsonGet(first, "seed").number);
        EXPECT_EQ(jsonInt(jsonGet(start, "delay"), 0), 6);
        EXPECT_EQ(jsonGet(start, "slots").items.size(), 4u);
        int slot = -1;
        for (size_t k = 0; k < 4; ++k)
            if (jsonInt(jsonGet(jsonAt(jsonGet(start, "slots"), k), "id"), 0) == m->id) slot = int(k);
        slots.push_back(slot);
    }
    return slots;
}

std::string inputMessage(uint8_t slot, uint32_t firstTick, uint8_t count) {
    std::string bytes = {1, static_cast<char>(slot)};
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((firstTick >> (8 * i)) & 0xFF);
    bytes += static_cast<char>(count);
    for (int r = 0; r < count; ++r) bytes += std::string("\x10\xF0\x00\x80\x09\x00\x05\x00", 8);
    return bytes;
}

std::string resyncMessage(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) & 0xFF);
    bytes[0] = 2;
    return bytes;
}

void send(Member& m, const std::string& bytes) { m.ws.sendBinary(bytes.data(), bytes.size()); }

// Binary messages in order, until `expected` or a pause of `timeoutMs`.
std::vector<std::string> binaryMessages(WebSocket& ws, size_t expected, int timeoutMs) {
    std::vector<std::string> got;
    for (WsMessage m; got.size() < expected && waitForMessage(ws, m, timeoutMs);)
        if (m.binary) got.push_back(m.bytes);
    return got;
}

using PartyServerTest = PartyServerSuite;

} // namespace

TEST_F(PartyServerTest, EveryChangeReachesEveryoneAndALeavingHostIsReplaced) {
    Member host, guest;
    ASSERT_TRUE(enter(*server, host, "", "MAYA"));
    ASSERT_EQ(host.code.size(), 5u);
    ASSERT_TRUE(enter(*server, guest, host.code, "LEO"));
    EXPECT_NE(guest.id, host.id);
    for (Member* m : {&host, &guest}) {
        JsonValue room = roomWith(*m, 2);
        EXPECT_EQ(jsonInt(jsonGet(room, "host"), 0), host.id);
        EXPECT_EQ(jsonString(jsonGet(room, "code"), ""), host.code);
        EXPECT_EQ(jsonString(jsonGet(memberRow(room, 1), "alias"), ""), "LEO");
        EXPECT_EQ(jsonInt(jsonGet(memberRow(room, 1), "side"), -1), 1); // the emptier side
    }
    guest.ws.sendText("{\"t\":\"ready\",\"ready\":true}");
    guest.ws.sendText("{\"t\":\"side\",\"side\":0}"); // a new side takes the ready mark back
    for (Member* m : {&host, &guest}) {
        EXPECT_EQ(jsonGet(memberRow(waitForType(m->ws, "room"), 1), "ready").boolean, true);
        JsonValue room = waitForType(m->ws, "room");
        EXPECT_EQ(jsonInt(jsonGet(memberRow(room, 1), "side"), -1), 0);
        EXPECT_EQ(jsonGet(memberRow(room, 1), "ready").boolean, false);
    }
    host.ws.close();
    JsonValue left = waitForType(guest.ws, "left");
    EXPECT_EQ(jsonString(jsonGet(left, "alias"), ""), "MAYA");
    EXPECT_EQ(jsonInt(jsonGet(left, "host"), 0), guest.id);
    EXPECT_EQ(jsonInt(jsonGet(roomWith(guest, 1), "host"), 0), guest.id);
}

TEST_F(PartyServerTest, HostSetsTheRulesAndSlotsFollowThem) {
    struct Case {
        const char* mode;
        int members;
        std::vector<int> slots;
    };
    auto sendSettings = [](Member& m, const std::string& mode, const char* teams) {
        m.ws.sendText("{\"t\":\"settings\",\"settings\":{\"mode\":\"" + mode +
                      "\",\"court\":\"full\",\"gameTo\":21,\"difficulty\":3,\"teams\":" + teams + "}}");
    };
    // Sides alternate on joining: 0, 1, 0, 1.
    for (const Case& c : {Case{"2v2", 2, {0, 2}}, Case{"2v2", 4, {0, 2, 1, 3}}, Case{"1v1", 2, {0, 2}},
                          Case{"coop", 2, {0, 1}}, Case{"2v2", 1, {0}}}) {
        SCOPED_TRACE(std::string(c.mode) + " x" + std::to_string(c.members));
        Party members = makeParty(*server, c.members);
        ASSERT_EQ(members.size(), size_t(c.members));
        if (c.members > 1) sendSettings(*members[1], "coop", "[0,1]"); // not the host: ignored
        sendSettings(*members[0], c.mode, "[2,3]");
        sendSettings(*members[0], c.mode, "[4,0]"); // no such team: the teams stay
        for (auto& m : members) {
            waitForType(m->ws, "room");
            JsonValue settings = jsonGet(waitForType(m->ws, "room"), "settings");
            EXPECT_EQ(jsonString(jsonGet(settings, "mode"), ""), c.mode);
            EXPECT_EQ(jsonInt(jsonGet(settings, "gameTo"), 0), 21);
            EXPECT_EQ(jsonInt(jsonAt(jsonGet(settings, "teams"), 0), -1), 2);
            EXPECT_EQ(jsonInt(jsonAt(jsonGet(settings, "teams"), 1), -1), 3);
        }
        readyAll(members);
        EXPECT_EQ(startSlots(members), c.slots);
    }
}

TEST_F(PartyServerTest, EmotesGoToTheOthersAndTheHostEnds) {
    Party members = makeParty(*server, 2);
    ASSERT_EQ(members.size(), 2u);
    readyAll(members);
    ASSERT_EQ(startSlots(members), (std::vector<int>{0, 2}));
    Member& host = *members[0];
    Member& guest = *members[1];
    host.ws.sendText("{\"t\":\"emote\",\"e\":3}");
    guest.ws.sendText("{\"t\":\"emote\",\"e\":5}");
    JsonValue atGuest = waitForType(guest.ws, "emote");
    EXPECT_EQ(jsonInt(jsonGet(atGuest, "slot"), -1), 0);
    EXPECT_EQ(jsonInt(jsonGet(atGuest, "e"), -1), 3);
    JsonValue atHost = waitForType(host.ws, "emote");
    EXPECT_EQ(jsonInt(jsonGet(atHost, "slot"), -1), 2);
    EXPECT_EQ(jsonInt(jsonGet(atHost, "e"), -1), 5);
    EXPECT_EQ(waitForType(host.ws, "emote", 200).kind, JsonKind::null); // never echoed
    guest.ws.sendText("{\"t\":\"end\"}"); // only the host ends the match
    host.ws.sendText("{\"t\":\"end\"}");
    EXPECT_EQ(waitForType(guest.ws, "ended").kind, JsonKind::object);
    EXPECT_EQ(waitForType(host.ws, "ended").kind, JsonKind::object);
    EXPECT_EQ(jsonString(jsonGet(waitForType(guest.ws, "room"), "state"), ""), "lobby");
}

TEST_F(PartyServerTest, MatchMessagesComeOnlyFromTheirOwnSlotOrTheHost) {
    Party members = makeParty(*server, 2);
    ASSERT_EQ(members.size(), 2u);
    Member& host = *members[0];
    Member& guest = *members[1];
    send(guest, inputMessage(0, 5, 1)); // no match yet: nobody's input
    guest.ws.sendText(kPing);
    waitForType(guest.ws, "pong");
    EXPECT_TRUE(binaryMessages(host.ws, 1, 200).empty());

    readyAll(members);
    ASSERT_EQ(startSlots(members), (std::vector<int>{0, 2}));
    Member late; // joins the lobby while the match runs
    ASSERT_TRUE(enter(*server, late, host.code, "LATE"));
    send(late, inputMessage(0, 10, 1));
    for (const std::string& bad : {inputMessage(0, 10, 1), inputMessage(2, 10, 1) + "x", inputMessage(2, 0xFFFFFFF0u, 1),
                                   resyncMessage(10), std::string("\x07junk")})
        send(guest, bad); // another's slot, malformed, a tick out of range, a resync from a guest, no such type
    const std::vector<std::string> fromGuest = {inputMessage(2, 10, 1), inputMessage(2, 11, 32)};
    const std::vector<std::string> fromHost = {resyncMessage(60000), inputMessage(0, 10, 2)};
    for (const std::string& bytes : fromGuest) send(guest, bytes);
    for (const std::string& bytes : fromHost) send(host, bytes);
    // Unchanged and in order, to the other players only.
    EXPECT_EQ(binaryMessages(host.ws, 3, 500), fromGuest);
    EXPECT_EQ(binaryMessages(guest.ws, 3, 500), fromHost);
    EXPECT_TRUE(binaryMessages(late.ws, 1, 100).empty());
}

TEST_F(PartyServerTest, LeavingDuringAMatchIsADrop) {
    Party members = makeParty(*server, 2);
    ASSERT_EQ(members.size(), 2u);
    readyAll(members);
    ASSERT_EQ(startSlots(members), (std::vector<int>{0, 2}));
    send(*members[1], inputMessage(2, 100, 3));
    send(*members[1], inputMessage(2, 90, 1)); // older, arriving late: the last tick stays 102
    members[1]->ws.sendText(kPing);
    waitForType(members[1]->ws, "pong"); // everything above reached the server
    members[1]->ws.close();
    JsonValue drop = waitForType(members[0]->ws, "drop");
    EXPECT_EQ(jsonInt(jsonGet(drop, "slot"), -1), 2);
    EXPECT_EQ(jsonInt(jsonGet(drop, "after"), -1), 102);
    EXPECT_EQ(jsonString(jsonGet(drop, "alias"), ""), "P1");
}

TEST_F(PartyServerTest, ErrorsForUnknownCodesFullPartiesAndOldVersions) {
    Party members = makeParty(*server, 4);
    ASSERT_EQ(members.size(), 4u);
    const std::pair<std::string, std::string> refusals[] = {
        {"/api/party/ZZZZZ", "No party with that code."},
        {"/api/party/" + members[0]->code, "That party is full."},
        {"/api/party/new", "This version of the game cannot play on this server. Please update it."},
    };
    for (const auto& [path, sentence] : refusals) {
        WebSocket ws;
        ws.connect(server->url(path));
        if (path.back() == 'w') { // the version is told with the hello
            ASSERT_TRUE(waitForState(ws, WsState::open));
            ws.sendText("{\"t\":\"hello\",\"alias\":\"OLD\",\"ver\":2}");
        }
        EXPECT_EQ(jsonString(jsonGet(waitForType(ws, "error"), "msg"), ""), sentence);
        EXPECT_EQ(waitWhileOpen(ws), WsState::closed);
        EXPECT_EQ(ws.lastError(), "");
    }
}

// Names every JavaScript object inherits: once, any of them as a type took
// the server down for every party.
TEST_F(PartyServerTest, InheritedNamesAreUnknownTypes) {
    Member m;
    ASSERT_TRUE(enter(*server, m, "", "PROTO"));
    for (const char* name : {"valueOf", "__proto__", "hasOwnProperty", "toLocaleString", "propertyIsEnumerable",
                             "__defineGetter__", "__defineSetter__", "__lookupGetter__", "__lookupSetter__",
                             "isPrototypeOf", "toString", "constructor"})
        m.ws.sendText(std::string("{\"t\":\"") + name + "\"}");
    m.ws.sendText(kPing);
    EXPECT_EQ(waitForType(m.ws, "pong").kind, JsonKind::object);
    Member other;
    EXPECT_TRUE(enter(*server, other, "", "OTHER"));
}

TEST(PartyServerLimits, AClientThatNeverReadsIsCutAndOtherPartiesPlayOn) {
    // Rates high enough for the flood below: this is about memory.
    PartyServerProcess server({"--max-messages-per-second", "1000000", "--max-bytes-per-second", "1000000000"});
    ASSERT_TRUE(server.running()) << server.problem();
    Member host;
    ASSERT_TRUE(enter(server, host, "", "HOST"));
    RawTestClient idle; // reads nothing after its upgrade
    ASSERT_TRUE(idle.open(server.port(), "/api/party/" + host.code));
    idle.sendText(helloText("IDLE"));
    idle.sendText("{\"t\":\"ready\",\"ready\":true}");
    JsonValue room;
    do room = roomWith(host, 2);
    while (room.kind != JsonKind::null && !jsonGet(memberRow(room, 1), "ready").boolean);
    ASSERT_NE(room.kind, JsonKind::null);
    Party other = makeParty(server, 2);
    ASSERT_EQ(other.size(), 2u);
    readyAll(other);
    ASSERT_EQ(startSlots(other), (std::vector<int>{0, 2}));
    host.ws.sendText("{\"t\":\"start\"}");
    ASSERT_EQ(waitForType(host.ws, "start").kind, JsonKind::object);

    const std::string resync = resyncMessage(60000);
    bool dropped = false;
    for (int i = 0; i < 4000 && !dropped; ++i) { // 240 MB if nobody is cut
        send(host, resync);
        dropped = waitForType(host.ws, "drop", 1).kind == JsonKind::object;
    }
    EXPECT_TRUE(dropped);
    EXPECT_EQ(host.ws.state(), WsState::open);
    EXPECT_LT(processMemoryKb(server.pid(), "VmHWM"), 200 * 1024);
    send(*other[1], inputMessage(2, 1, 1));
    EXPECT_EQ(binaryMessages(other[0]->ws, 1, kWsTestTimeoutMs), std::vector<std::string>{inputMessage(2, 1, 1)});
}

TEST(PartyServerLimits, ConnectionsWithoutHelloOverTheCapOrFloodingAreCut) {
    PartyServerProcess server({"--max-connections", "3", "--hello-timeout-ms", "1000"});
    ASSERT_TRUE(server.running()) << server.problem();
    Member a, b;
    ASSERT_TRUE(enter(server, a, "", "A"));
    ASSERT_TRUE(enter(server, b, a.code, "B"));
    WebSocket silent;
    silent.connect(server.url("/api/party/new"));
    ASSERT_TRUE(waitForState(silent, WsState::open));
    WebSocket extra;
    extra.connect(server.url("/api/party/new"));
    EXPECT_EQ(waitWhileOpen(extra), WsState::failed);
    EXPECT_EQ(extra.lastError(), "The server turned the connection down (HTTP 503).");
    EXPECT_NE(waitWhileOpen(silent, 3000), WsState::open); // never said hello
    Member c; // the silent one's place is free again
    EXPECT_TRUE(enter(server, c, a.code, "C"));
    for (int i = 0; i < 1000; ++i) a.ws.sendText(kPing);
    EXPECT_NE(waitWhileOpen(a.ws, 3000), WsState::open);
    b.ws.sendText(kPing);
    EXPECT_EQ(waitForType(b.ws, "pong").kind, JsonKind::object);
}
