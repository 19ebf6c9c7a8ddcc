// The parts of the party server's lobby protocol the game's client relies
// on, spoken through the game's own WebSocket and JSON code.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/net/ws_test_support.h"

namespace {

struct Member {
    WebSocket ws;
    int id = 0;
    std::string code;
};

class PartyServerTest : public PartyServerSuite {
protected:
    static bool enter(Member& m, const std::string& code, const std::string& alias) {
        JsonValue welcome = enterParty(m.ws, server->url("/api/party/" + (code.empty() ? "new" : code)), alias);
        m.id = jsonInt(jsonGet(welcome, "id"), 0);
        m.code = jsonString(jsonGet(welcome, "code"), "");
        return m.id > 0;
    }

    // A party of `count` members, the first the host, each having seen the
    // room with everybody in it.
    static std::vector<std::unique_ptr<Member>> party(int count) {
        std::vector<std::unique_ptr<Member>> members;
        for (int i = 0; i < count; ++i) {
            members.push_back(std::make_unique<Member>());
            std::string code = i == 0 ? "" : members[0]->code;
            if (!enter(*members.back(), code, "P" + std::to_string(i))) return {};
        }
        for (auto& m : members)
            if (roomWith(*m, size_t(count)).kind == JsonKind::null) return {};
        return members;
    }

    // The next room listing exactly `count` members.
    static JsonValue roomWith(Member& m, size_t count) {
        while (true) {
            JsonValue room = waitForType(m.ws, "room");
            if (room.kind == JsonKind::null || jsonGet(room, "members").items.size() == count) return room;
        }
    }

    static void readyAll(std::vector<std::unique_ptr<Member>>& members) {
        for (size_t i = 1; i < members.size(); ++i) members[i]->ws.sendText("{\"t\":\"ready\",\"ready\":true}");
        // Each ready mark reaches the host as a room.
        for (size_t i = 1; i < members.size(); ++i) waitForType(members[0]->ws, "room");
    }

    static void sendSettings(Member& m, const std::string& mode) {
        m.ws.sendText("{\"t\":\"settings\",\"settings\":{\"mode\":\"" + mode +
                      "\",\"court\":\"full\",\"gameTo\":21,\"difficulty\":3,\"teams\":[2,3]}}");
    }

    // The slot each member got from "start", in member order (-1 for none).
    static std::vector<int> startSlots(std::vector<std::unique_ptr<Member>>& members) {
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
};

std::string inputMessage(uint8_t slot, int32_t firstTick, uint8_t count) {
    std::string bytes = {1, static_cast<char>(slot)};
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((uint32_t(firstTick) >> (8 * i)) & 0xFF);
    bytes += static_cast<char>(count);
    for (int r = 0; r < count; ++r) bytes += std::string("\x10\xF0\x00\x80\x09\x00\x05\x00", 8);
    return bytes;
}

} // namespace

TEST_F(PartyServerTest, CreateAndJoinShareOneRoom) {
    Member host, guest;
    ASSERT_TRUE(enter(host, "", "MAYA"));
    ASSERT_EQ(host.code.size(), 5u);
    JsonValue room = roomWith(host, 1);
    EXPECT_EQ(jsonInt(jsonGet(room, "host"), 0), host.id);
    for (char c : host.code) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << host.code;
    ASSERT_TRUE(enter(guest, host.code, "LEO"));
    EXPECT_EQ(guest.code, host.code);
    EXPECT_NE(guest.id, host.id);
    for (Member* m : {&host, &guest}) {
        room = roomWith(*m, 2);
        EXPECT_EQ(jsonString(jsonGet(jsonGet(room, "settings"), "mode"), ""), "2v2");
        const JsonValue& second = jsonAt(jsonGet(room, "members"), 1);
        EXPECT_EQ(jsonInt(jsonGet(second, "id"), 0), guest.id);
        EXPECT_EQ(jsonString(jsonGet(second, "alias"), ""), "LEO");
        EXPECT_EQ(jsonInt(jsonGet(second, "side"), -1), 1); // the emptier side
    }
    guest.ws.close(); // in the lobby a lost member has left
    EXPECT_EQ(jsonString(jsonGet(waitForType(host.ws, "left"), "alias"), ""), "LEO");
}

TEST_F(PartyServerTest, HostSetsTheRulesAndSlotsFollowThem) {
    struct Case {
        const char* mode;
        int members;
        std::vector<int> slots;
    };
    // Sides alternate on joining: 0, 1, 0, 1.
    for (const Case& c : {Case{"2v2", 2, {0, 2}}, Case{"2v2", 4, {0, 2, 1, 3}}, Case{"1v1", 2, {0, 2}},
                          Case{"coop", 2, {0, 1}}, Case{"2v2", 1, {0}}}) {
        SCOPED_TRACE(std::string(c.mode) + " x" + std::to_string(c.members));
        auto members = party(c.members);
        ASSERT_EQ(members.size(), size_t(c.members));
        if (c.members > 1) sendSettings(*members[1], "coop"); // not the host: ignored
        sendSettings(*members[0], c.mode);
        JsonValue settings = jsonGet(waitForType(members[0]->ws, "room"), "settings");
        EXPECT_EQ(jsonString(jsonGet(settings, "mode"), ""), c.mode);
        EXPECT_EQ(jsonInt(jsonGet(settings, "gameTo"), 0), 21);
        readyAll(members);
        EXPECT_EQ(startSlots(members), c.slots);
    }
}

TEST_F(PartyServerTest, EmotesGoToTheOthersAndTheHostEnds) {
    auto members = party(2);
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

TEST_F(PartyServerTest, LeavingDuringAMatchIsADrop) {
    auto members = party(2);
    ASSERT_EQ(members.size(), 2u);
    readyAll(members);
    ASSERT_EQ(startSlots(members), (std::vector<int>{0, 2}));
    std::string input = inputMessage(2, 100, 3);
    members[1]->ws.sendBinary(input.data(), input.size());
    input = inputMessage(2, 90, 1); // older, arriving late: the last tick stays 102
    members[1]->ws.sendBinary(input.data(), input.size());
    members[1]->ws.sendText("{\"t\":\"ping\"}");
    waitForType(members[1]->ws, "pong"); // everything above reached the server
    members[1]->ws.close();
    JsonValue drop = waitForType(members[0]->ws, "drop");
    EXPECT_EQ(jsonInt(jsonGet(drop, "slot"), -1), 2);
    EXPECT_EQ(jsonInt(jsonGet(drop, "after"), -1), 102);
    EXPECT_EQ(jsonString(jsonGet(drop, "alias"), ""), "P1");
}

TEST_F(PartyServerTest, ErrorsForFullPartiesAndOldVersions) {
    auto members = party(4);
    ASSERT_EQ(members.size(), 4u);
    WebSocket fifth;
    fifth.connect(server->url("/api/party/" + members[0]->code));
    EXPECT_EQ(jsonString(jsonGet(waitForType(fifth, "error"), "msg"), ""), "That party is full.");
    EXPECT_EQ(waitWhileOpen(fifth), WsState::closed);

    WebSocket old;
    old.connect(server->url("/api/party/new"));
    ASSERT_TRUE(waitForState(old, WsState::open));
    old.sendText("{\"t\":\"hello\",\"alias\":\"OLD\",\"ver\":2}");
    EXPECT_NE(jsonString(jsonGet(waitForType(old, "error"), "msg"), ""), "");
    EXPECT_EQ(waitWhileOpen(old), WsState::closed);
}
