// The WebSocket client end to end on loopback: against the party server
// (an independent implementation, so framing faults we might share with a
// home-made server still show) for round trips, fragments, pings, closes and
// refusals, and against a hand-driven socket for the answers no real server
// gives.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "net/websocket.h"
#include "net/ws_frames.h"
#include "net/ws_handshake.h"
#include "tests/net/party_server_process.h"
#include "tests/net/raw_test_server.h"
#include "tests/net/ws_test_support.h"

namespace {

constexpr size_t kLargeMessageBytes = 100 * 1024;

std::string patternBytes(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + size_t(seed) * 7) & 0xFF);
    return bytes;
}

// Connects, says hello and returns the welcome (null on failure).
JsonValue enterParty(WebSocket& ws, const std::string& url, const std::string& alias) {
    ws.connect(url);
    if (!waitForState(ws, WsState::open)) return JsonValue{};
    ws.sendText(helloText(alias));
    return waitForType(ws, "welcome");
}

// Two members of one party, both welcomed; binary messages go between them.
struct Pair {
    WebSocket host;
    WebSocket guest;
};

bool makePair(Pair& pair, const PartyServerProcess& server) {
    JsonValue welcome = enterParty(pair.host, server.url("/api/party/new"), "HOST");
    std::string code = jsonString(jsonGet(welcome, "code"), "");
    if (code.empty()) return false;
    return jsonInt(jsonGet(enterParty(pair.guest, server.url("/api/party/" + code), "GUEST"), "id"), 0) > 0;
}

// Binary messages that arrive within the time, in order.
std::vector<std::string> binaryMessages(WebSocket& ws, size_t expected, int timeoutMs = kWsTestTimeoutMs) {
    std::vector<std::string> got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
        WsMessage m;
        if (!ws.poll(m)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (m.binary) got.push_back(m.bytes);
    }
    return got;
}

int binaryCount(WebSocket& ws, int forMs) { return int(binaryMessages(ws, size_t(-1), forMs).size()); }

using WebSocketTest = PartyServerSuite;

// Connects the client to the hand-driven server and completes the upgrade.
bool openRaw(RawTestServer& raw, WebSocket& ws) {
    ws.connect(raw.url());
    return raw.accept() && raw.completeUpgrade() && waitForState(ws, WsState::open);
}

} // namespace

TEST_F(WebSocketTest, TextRoundTrip) {
    WebSocket ws;
    EXPECT_EQ(ws.state(), WsState::idle);
    JsonValue welcome = enterParty(ws, server->url("/api/party/new"), "MAYA");
    ASSERT_EQ(welcome.kind, JsonKind::object);
    EXPECT_GE(jsonInt(jsonGet(welcome, "id"), 0), 1);
    std::string code = jsonString(jsonGet(welcome, "code"), "");
    ASSERT_EQ(code.size(), 5u);
    for (char c : code) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << code;
    ws.sendText("{\"t\":\"ping\"}");
    EXPECT_EQ(waitForType(ws, "pong").kind, JsonKind::object);
    EXPECT_EQ(ws.state(), WsState::open);
    EXPECT_EQ(ws.lastError(), "");
}

TEST_F(WebSocketTest, BinaryRoundTripKeepsBytesAndOrder) {
    Pair pair;
    ASSERT_TRUE(makePair(pair, *server));
    std::vector<std::string> sent = {patternBytes(256, 1), std::string(1, '\0'), patternBytes(70000, 2)};
    for (int i = 0; i < 20; ++i) sent.push_back(patternBytes(8 + i, 3 + i));
    for (const std::string& bytes : sent) pair.host.sendBinary(bytes.data(), bytes.size());
    std::vector<std::string> got = binaryMessages(pair.guest, sent.size());
    ASSERT_EQ(got.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(got[i], sent[i]) << "message " << i;
    // Relayed to the others only.
    EXPECT_EQ(binaryCount(pair.host, 100), 0);
}

TEST_F(WebSocketTest, LargeMessagesArriveWhole) {
    Pair pair;
    ASSERT_TRUE(makePair(pair, *server));
    std::string large = patternBytes(kLargeMessageBytes, 9);
    std::string limit = patternBytes(kWsMaxMessageBytes, 10);
    pair.guest.sendBinary(large.data(), large.size());
    pair.guest.sendBinary(limit.data(), limit.size());
    std::vector<std::string> got = binaryMessages(pair.host, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], large);
    EXPECT_EQ(got[1], limit);
    EXPECT_EQ(pair.host.state(), WsState::open);
}

TEST_F(WebSocketTest, ServerCloseLeavesClosed) {
    // An unknown party code gets an error message and a normal close.
    WebSocket ws;
    ws.connect(server->url("/api/party/ZZZZZ"));
    JsonValue error = waitForType(ws, "error");
    EXPECT_EQ(jsonString(jsonGet(error, "msg"), ""), "No party with that code.");
    EXPECT_EQ(waitWhileOpen(ws), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    ws.sendText("{\"t\":\"ping\"}"); // nothing happens
    EXPECT_EQ(ws.state(), WsState::closed);
}

TEST(WebSocketSwitches, FragmentedMessagesArriveOnceWhole) {
    PartyServerProcess server({"--fragment", "3", "--ping-ms", "50"});
    ASSERT_TRUE(server.running()) << server.problem();
    Pair pair;
    ASSERT_TRUE(makePair(pair, server));
    std::string bytes = patternBytes(20000, 4);
    pair.host.sendBinary(bytes.data(), bytes.size());
    pair.host.sendBinary("x", 1);
    std::vector<std::string> got = binaryMessages(pair.guest, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], bytes);
    EXPECT_EQ(got[1], "x");
    EXPECT_EQ(binaryCount(pair.guest, 100), 0); // each exactly once
    pair.guest.sendText("{\"t\":\"ping\"}");
    EXPECT_EQ(waitForType(pair.guest, "pong").kind, JsonKind::object);
}

TEST(WebSocketSwitches, PingsAreAnswered) {
    // The server cuts a connection that gives no right pong for 250 ms.
    PartyServerProcess server({"--ping-ms", "10"});
    ASSERT_TRUE(server.running()) << server.problem();
    WebSocket ws;
    ASSERT_EQ(jsonInt(jsonGet(enterParty(ws, server.url("/api/party/new"), "P"), "id"), 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(ws.state(), WsState::open);
    ws.sendText("{\"t\":\"ping\"}");
    EXPECT_EQ(waitForType(ws, "pong").kind, JsonKind::object);
}

TEST(WebSocketSwitches, AbruptCloseIsALostConnection) {
    PartyServerProcess server({"--abrupt-close-after", "2"});
    ASSERT_TRUE(server.running()) << server.problem();
    WebSocket ws;
    ASSERT_FALSE(jsonGet(enterParty(ws, server.url("/api/party/new"), "P"), "id").kind == JsonKind::null);
    ws.sendText("{\"t\":\"ping\"}");
    EXPECT_EQ(waitWhileOpen(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Lost connection to the server.");
}

TEST(WebSocketSwitches, RefusedUpgradeNamesTheStatus) {
    PartyServerProcess server({"--http-status", "200"});
    ASSERT_TRUE(server.running()) << server.problem();
    WebSocket ws;
    ws.connect(server.url("/api/party/new"));
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "The server turned the connection down (HTTP 200).");
}

TEST(WebSocketErrors, ClosedPortCannotBeReached) {
    int port;
    {
        RawTestServer gone;
        port = gone.port();
    }
    WebSocket ws;
    ws.connect("ws://127.0.0.1:" + std::to_string(port) + "/api/party/new");
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Can't reach the server.");
    ws.connect("ws://127.0.0.1:0/");
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Can't reach the server.");
}

TEST(WebSocketErrors, BadAddressesCannotBeFound) {
    for (const char* url : {"", "ws:/", "wss://", "ws://:8080/x", "wss:///api"}) {
        SCOPED_TRACE(url);
        WebSocket ws;
        ws.connect(url);
        EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
        EXPECT_EQ(ws.lastError(), "Can't find the server. Check your internet connection.");
    }
}

TEST(WebSocketErrors, FirstErrorWins) {
    RawTestServer raw;
    WebSocket ws;
    ws.connect(raw.url());
    ASSERT_TRUE(raw.accept());
    raw.write("HTTP/1.1 503 Busy\r\n\r\n");
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    ws.close();
    EXPECT_EQ(ws.state(), WsState::failed);
    EXPECT_EQ(ws.lastError(), "The server turned the connection down (HTTP 503).");
}

TEST(WebSocketClose, CloseWhileConnectingIsHarmless) {
    // A server that accepts and never answers keeps the client connecting.
    RawTestServer raw;
    WebSocket ws;
    ws.connect(raw.url("/api/party/new"));
    ASSERT_TRUE(raw.accept());
    EXPECT_NE(raw.readRequestHead().find("GET /api/party/new HTTP/1.1"), std::string::npos);
    EXPECT_EQ(ws.state(), WsState::connecting);
    auto start = std::chrono::steady_clock::now();
    ws.close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(ws.state(), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    ws.close();
    EXPECT_EQ(ws.state(), WsState::closed);
}

TEST_F(WebSocketTest, CloseAtAnyMomentAndTwice) {
    WebSocket idle;
    idle.close();
    idle.close();
    EXPECT_EQ(idle.state(), WsState::idle);
    for (int i = 0; i < 10; ++i) { // right after connect, wherever the worker is
        WebSocket ws;
        ws.connect(server->url("/api/party/new"));
        ws.close();
        EXPECT_EQ(ws.state(), WsState::closed);
        ws.close();
        EXPECT_EQ(ws.state(), WsState::closed);
    }
    WebSocket ws;
    ASSERT_EQ(enterParty(ws, server->url("/api/party/new"), "A").kind, JsonKind::object);
    ws.close();
    ws.close();
    EXPECT_EQ(ws.state(), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    // The same handle connects afresh.
    ASSERT_EQ(enterParty(ws, server->url("/api/party/new"), "B").kind, JsonKind::object);
    countMessages(ws, 100);
    WsMessage untouched{true, "keep"};
    EXPECT_FALSE(ws.poll(untouched));
    EXPECT_TRUE(untouched.binary);
    EXPECT_EQ(untouched.bytes, "keep");
}

TEST(WebSocketWire, RequestFramesAndCloseOnTheWire) {
    RawTestServer raw;
    WebSocket ws;
    ws.connect(raw.url("/api/party/new"));
    ASSERT_TRUE(raw.accept());
    ws.sendText("too early"); // not open yet: dropped
    std::string head = raw.readRequestHead();
    EXPECT_NE(head.find("User-Agent: KorvaloVantero/2\r\n"), std::string::npos);
    EXPECT_NE(head.find("Host: 127.0.0.1:" + std::to_string(raw.port()) + "\r\n"), std::string::npos);
    size_t keyAt = head.find("Sec-WebSocket-Key: ");
    ASSERT_NE(keyAt, std::string::npos);
    std::string key = head.substr(keyAt + 19, head.find("\r\n", keyAt) - keyAt - 19);
    raw.write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              "Sec-WebSocket-Accept: " + wsAcceptFor(key) + "\r\n\r\n" + serverFrameForTest(1, "first"));
    ASSERT_TRUE(waitForState(ws, WsState::open));
    WsMessage m;
    ASSERT_TRUE(waitForMessage(ws, m));
    EXPECT_EQ(m.bytes, "first"); // came in the same packet as the answer
    EXPECT_EQ(raw.readFor(100), "");

    // A ping is answered with a masked pong carrying its payload.
    raw.write(serverFrameForTest(9, "abc"));
    std::string pong = raw.readFor(200);
    ASSERT_EQ(pong.size(), 2u + 4u + 3u);
    EXPECT_EQ(uint8_t(pong[0]), 0x8A);
    EXPECT_EQ(uint8_t(pong[1]), 0x83);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(char(pong[6 + i] ^ pong[2 + i]), "abc"[i]);

    ws.sendText("hi");
    std::string frame = raw.readFor(200);
    ASSERT_EQ(frame.size(), 2u + 4u + 2u);
    EXPECT_EQ(uint8_t(frame[0]), 0x81);
    EXPECT_EQ(char(frame[6] ^ frame[2]), 'h');

    ws.close();
    std::string close = raw.readFor(200);
    ASSERT_EQ(close.size(), 2u + 4u + 2u);
    EXPECT_EQ(uint8_t(close[0]), 0x88);
    EXPECT_EQ(uint8_t(close[6] ^ close[2]), 0x03); // 1000
    EXPECT_EQ(uint8_t(close[7] ^ close[3]), 0xE8);
}

TEST(WebSocketWire, ServerCloseFrameIsAnswered) {
    RawTestServer raw;
    WebSocket ws;
    ASSERT_TRUE(openRaw(raw, ws));
    raw.write(serverFrameForTest(8, std::string("\x0F\xA1", 2))); // 4001
    EXPECT_EQ(waitWhileOpen(ws), WsState::closed);
    std::string reply = raw.readFor(200);
    ASSERT_EQ(reply.size(), 2u + 4u + 2u);
    EXPECT_EQ(uint8_t(reply[0]), 0x88);
    EXPECT_EQ(uint8_t(reply[6] ^ reply[2]), 0x0F);
    EXPECT_EQ(uint8_t(reply[7] ^ reply[3]), 0xA1);
    EXPECT_EQ(ws.lastError(), "");
}

TEST(WebSocketWire, BadAnswersFailWithTheirSentence) {
    struct Case {
        std::string answer;
        const char* sentence;
    };
    const Case cases[] = {
        {"HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
         "Sec-WebSocket-Accept: AAAAAAAAAAAAAAAAAAAAAAAAAAA=\r\n\r\n",
         "Can't open the game connection."},
        {"220 smtp.example ESMTP\r\n\r\n", "Can't reach the server."},
        {"HTTP/1.1 101 OK\r\n" + std::string(20000, 'x'), "Can't reach the server."},
        {"", "Can't reach the server."}, // closed without answering
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence);
        RawTestServer raw;
        WebSocket ws;
        ws.connect(raw.url());
        ASSERT_TRUE(raw.accept());
        raw.readRequestHead();
        raw.write(c.answer);
        raw.closeConnection();
        EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
        EXPECT_EQ(ws.lastError(), c.sentence);
    }
}

TEST(WebSocketWire, OversizedOrForbiddenFramesLoseTheConnection) {
    std::string oversized = std::string("\x82\x7F", 2) + std::string("\x00\x00\x00\x00\x00\x10\x00\x01", 8);
    std::string masked = std::string("\x81\x82\x01\x02\x03\x04", 6) + "xy";
    for (const std::string& bad : {oversized, masked, serverFrameForTest(0, "stray")}) {
        RawTestServer raw;
        WebSocket ws;
        ASSERT_TRUE(openRaw(raw, ws));
        raw.write(serverFrameForTest(2, "ok") + bad);
        EXPECT_EQ(waitWhileOpen(ws), WsState::failed);
        EXPECT_EQ(ws.lastError(), "Lost connection to the server.");
        WsMessage m;
        ASSERT_TRUE(ws.poll(m)); // what came before the bad frame still counts
        EXPECT_EQ(m.bytes, "ok");
    }
}
