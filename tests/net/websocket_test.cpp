// The WebSocket client end to end on loopback: against the party server (an
// independent implementation, so framing faults a home-made server would
// share still show), over TLS with a test authority, and against a
// hand-driven socket for the answers no real server gives and for hostile
// servers that flood us, never read or never answer.
#include <gtest/gtest.h>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // from the ASan runtime
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "net/websocket.h"
#include "net/ws_frames.h"
#include "tests/net/raw_test_server.h"
#include "tests/net/ws_test_support.h"

namespace {

void expectFailure(const WebSocket& ws, const std::string& sentence) {
    EXPECT_EQ(waitWhileOpen(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), sentence);
}

bool openRaw(RawTestServer& raw, WebSocket& ws) {
    ws.connect(raw.url());
    return raw.accept() && raw.completeUpgrade() && waitForState(ws, WsState::open);
}

// A masked close frame from the client carrying the status bytes hi, lo.
void expectCloseFrame(const std::string& frame, uint8_t hi, uint8_t lo) {
    ASSERT_EQ(frame.size(), 2u + 4u + 2u);
    EXPECT_EQ(uint8_t(frame[0]), 0x88);
    EXPECT_EQ(uint8_t(frame[6] ^ frame[2]), hi);
    EXPECT_EQ(uint8_t(frame[7] ^ frame[3]), lo);
}

// What the process holds in KiB: its resident size, or under ASan (whose
// quarantine keeps freed memory resident) the bytes allocated and not freed.
long heldKb() {
#if defined(__SANITIZE_ADDRESS__)
    return (long)(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return processMemoryKb(getpid(), "VmRSS");
#endif
}

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// Bytes that differ from message to message; text keeps to letters.
std::string patternBytes(size_t size, int seed, bool text) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        const size_t v = i * 131 + size_t(seed) * 7;
        bytes[i] = text ? char('a' + v % 26) : char(v & 0xFF);
    }
    return bytes;
}

} // namespace

// Every length encoding the protocol has, at its edges, up to the largest
// message: what the client sends arrives byte-exact and in order (read by the
// test's own parser), and the same messages sent back arrive whole.
TEST(WebSocketTest, TextAndBinaryRoundTripWithLargeMessages) {
    std::vector<size_t> sizes;
    for (size_t n = 1; n <= 130; ++n) sizes.push_back(n);
    for (size_t n : {255, 256, 65534, 65535, 65536, 65537, 100 * 1024}) sizes.push_back(n);
    sizes.push_back(kWsMaxMessageBytes - 1);
    sizes.push_back(kWsMaxMessageBytes);
    RawTestServer raw;
    WebSocket ws;
    ASSERT_TRUE(openRaw(raw, ws));
    std::string echo;
    std::vector<WsMessage> sent;
    for (size_t i = 0; i < 2 * sizes.size(); ++i) {
        WsMessage m;
        m.binary = i % 2 == 1;
        m.bytes = patternBytes(sizes[i / 2], int(i), !m.binary);
        if (m.binary) ws.sendBinary(m.bytes.data(), m.bytes.size());
        else ws.sendText(m.bytes);
        ClientFrame f;
        ASSERT_TRUE(raw.readClientFrame(f, kWsMaxMessageBytes)) << "message " << i << " of " << m.bytes.size();
        EXPECT_TRUE(f.final && f.masked) << i;
        EXPECT_EQ(f.opcode, m.binary ? 2 : 1) << i;
        ASSERT_TRUE(f.payload == m.bytes) << "message " << i << " of " << m.bytes.size() << " bytes";
        echo += serverFrameForTest(f.opcode, f.payload);
        sent.push_back(std::move(m));
    }
    ASSERT_TRUE(raw.write(echo));
    for (size_t i = 0; i < sent.size(); ++i) {
        WsMessage m;
        ASSERT_TRUE(waitForMessage(ws, m)) << "message " << i;
        EXPECT_EQ(m.binary, sent[i].binary) << i;
        ASSERT_TRUE(m.bytes == sent[i].bytes) << "message " << i << " of " << sent[i].bytes.size() << " bytes";
    }
    WsMessage extra;
    EXPECT_FALSE(waitForMessage(ws, extra, 100)); // each exactly once
    EXPECT_EQ(ws.state(), WsState::open);
    EXPECT_EQ(ws.lastError(), "");
}

// The server says why and closes: the message before the close is kept, the
// close is no error, and whatever is sent afterwards goes nowhere, however
// much of it there is.
TEST(WebSocketTest, ServerCloseLeavesClosed) {
    RawTestServer raw;
    WebSocket ws;
    ASSERT_TRUE(openRaw(raw, ws));
    const std::string why = "{\"t\":\"error\",\"msg\":\"No party with that code.\"}";
    raw.write(serverFrameForTest(1, why) + serverFrameForTest(8, wsCloseStatus(1000)));
    EXPECT_EQ(waitWhileOpen(ws), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    WsMessage m;
    ASSERT_TRUE(ws.poll(m));
    EXPECT_EQ(m.bytes, why);
    expectCloseFrame(raw.readFor(200), 0x03, 0xE8);

    const std::string chunk(64 * 1024, 's');
    for (int i = 0; i < 100; ++i) ws.sendBinary(chunk.data(), chunk.size()); // more than may wait unsent
    ws.sendText("{\"t\":\"ping\"}");
    EXPECT_EQ(ws.state(), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    EXPECT_FALSE(ws.poll(m));
    EXPECT_EQ(raw.readFor(200), "");
}

TEST(WebSocketSwitches, FragmentsRefusalsAndAbruptClose) {
    PartyServerProcess fragmenting({"--fragment", "3"}); // every message in three-byte pieces
    ASSERT_TRUE(fragmenting.running()) << fragmenting.problem();
    WebSocket ws;
    ASSERT_EQ(jsonString(jsonGet(enterParty(ws, fragmenting.url("/api/party/new")), "code"), "").size(), 5u);

    PartyServerProcess refusing({"--http-status", "200"});
    ASSERT_TRUE(refusing.running()) << refusing.problem();
    ws.connect(refusing.url("/api/party/new"));
    expectFailure(ws, "The server turned the connection down (HTTP 200).");

    PartyServerProcess abrupt({"--abrupt-close-after", "2"});
    ASSERT_TRUE(abrupt.running()) << abrupt.problem();
    ASSERT_NE(enterParty(ws, abrupt.url("/api/party/new")).kind, JsonKind::null);
    ws.sendText("{\"t\":\"ping\"}");
    expectFailure(ws, "Lost connection to the server.");
}

TEST(WebSocketErrors, ClosedPortAndBadAddresses) {
    int port;
    {
        RawTestServer gone;
        port = gone.port();
    }
    for (const std::string& url : {"ws://127.0.0.1:" + std::to_string(port) + "/api/party/new",
                                   std::string("ws://127.0.0.1:0/")}) {
        WebSocket ws;
        ws.connect(url);
        expectFailure(ws, "Can't reach the server.");
    }
    for (const char* url : {"", "wss://", "ws:///path", "ws://:8080/x", "ws://bad host/", "ws://a\r\nb/"}) {
        SCOPED_TRACE(url);
        WebSocket ws;
        ws.connect(url);
        expectFailure(ws, "Can't find the server. Check your internet connection.");
    }
}

TEST(WebSocketClose, CloseWhileConnectingIsHarmless) {
    WebSocket ws;
    ws.close();
    EXPECT_EQ(ws.state(), WsState::idle);
    RawTestServer raw; // accepts and never answers: the client stays connecting
    ws.connect(raw.url());
    ASSERT_TRUE(raw.accept());
    raw.readHead();
    EXPECT_EQ(ws.state(), WsState::connecting);
    auto start = std::chrono::steady_clock::now();
    ws.close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(ws.state(), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    ws.close();
    EXPECT_EQ(ws.state(), WsState::closed);
}

TEST(WebSocketWire, RequestFramesAndCloseOnTheWire) {
    RawTestServer raw;
    WebSocket ws;
    ws.connect(raw.url("/api/party/new"));
    ASSERT_TRUE(raw.accept());
    ws.sendText("too early"); // not open yet: dropped
    std::string head = raw.readHead();
    EXPECT_EQ(head.rfind("GET /api/party/new HTTP/1.1\r\n", 0), 0u);
    EXPECT_NE(head.find("User-Agent: KorvaloVantero/2\r\n"), std::string::npos);
    EXPECT_NE(head.find("Host: 127.0.0.1:" + std::to_string(raw.port()) + "\r\n"), std::string::npos);
    ASSERT_TRUE(raw.answerUpgrade(head, serverFrameForTest(1, "first")));
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
    ws.close();
    expectCloseFrame(raw.readFor(200), 0x03, 0xE8); // 1000
}

TEST(WebSocketWire, ServerCloseFrameIsAnswered) {
    RawTestServer raw;
    WebSocket ws;
    ASSERT_TRUE(openRaw(raw, ws));
    raw.write(serverFrameForTest(8, std::string("\x0F\xA1", 2))); // 4001
    EXPECT_EQ(waitWhileOpen(ws), WsState::closed);
    expectCloseFrame(raw.readFor(200), 0x0F, 0xA1);
    EXPECT_EQ(ws.lastError(), "");
}

TEST(WebSocketWire, BadAnswersFailWithTheirSentenceAndCloseKeepsIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
         "Sec-WebSocket-Accept: AAAAAAAAAAAAAAAAAAAAAAAAAAA=\r\n\r\n",
         "Can't open the game connection."},
        {"HTTP/1.1 503 Busy\r\n\r\n", "The server turned the connection down (HTTP 503)."},
        {"220 smtp.example ESMTP\r\n\r\n", "Can't reach the server."},
        {"HTTP/1.1 101 OK\r\n" + std::string(20000, 'x'), "Can't reach the server."},
        {"", "Can't reach the server."}, // closed without answering
    };
    for (const auto& [answer, sentence] : cases) {
        SCOPED_TRACE(sentence);
        RawTestServer raw;
        WebSocket ws;
        ws.connect(raw.url());
        ASSERT_TRUE(raw.accept());
        raw.readHead();
        raw.write(answer);
        raw.closeConnection();
        expectFailure(ws, sentence);
        ws.close(); // the first error wins
        EXPECT_EQ(ws.state(), WsState::failed);
        EXPECT_EQ(ws.lastError(), sentence);
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
        expectFailure(ws, "Lost connection to the server.");
        WsMessage m;
        ASSERT_TRUE(ws.poll(m)); // what came before the bad frame still counts
        EXPECT_EQ(m.bytes, "ok");
    }
}

// "wss://" against the party server with a certificate for "localhost" from
// a test authority made here with the openssl tool: trusted under its name,
// refused without the authority or under another name.
TEST(WebSocketTls, RoundTripOnlyWithTheTrustedAuthorityAndName) {
    const std::string dir = std::string(KORVALO_TEST_OUTPUT_DIR) + "/tls";
    std::filesystem::create_directories(dir);
    const std::string req = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 ";
    const std::string make = req + "-keyout " + dir + "/ca.key -out " + dir + "/ca.pem -subj /CN=Korvalo-Test-CA" +
                             " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign && " +
                             req + "-keyout " + dir + "/server.key -out " + dir + "/server.pem -subj /CN=localhost" +
                             " -CA " + dir + "/ca.pem -CAkey " + dir + "/ca.key -addext subjectAltName=DNS:localhost" +
                             " -addext basicConstraints=CA:FALSE >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << "openssl could not make the test certificates";
    PartyServerProcess server({"--cert", dir + "/server.pem", "--key", dir + "/server.key"});
    ASSERT_TRUE(server.running()) << server.problem();
    WebSocket ws;
    unsetenv("SSL_CERT_FILE");
    ws.connect(server.url("/api/party/new", true, "localhost"));
    expectFailure(ws, "Can't reach the server.");
    setenv("SSL_CERT_FILE", (dir + "/ca.pem").c_str(), 1);
    ws.connect(server.url("/api/party/new", true, "127.0.0.1")); // not the certificate's name
    expectFailure(ws, "Can't reach the server.");
    ws.connect(server.url("/api/party/new", true, "localhost"));
    ASSERT_TRUE(waitForState(ws, WsState::open)) << ws.lastError();
    ws.sendText(helloText("SECURE"));
    EXPECT_GE(jsonInt(jsonGet(waitForType(ws, "welcome"), "id"), 0), 1);
    ws.sendText("{\"t\":\"ping\",\"pad\":\"" + std::string(60 * 1024, 'z') + "\"}"); // several TLS records
    EXPECT_EQ(waitForType(ws, "pong").kind, JsonKind::object);
    ws.close();
    EXPECT_EQ(ws.state(), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
    unsetenv("SSL_CERT_FILE");
}

// A server that pings without end and never reads what we answer: only the
// latest pong waits, so memory stays where it was.
TEST(WebSocketBounds, PingFloodCostsNoMemory) {
    RawTestServer raw;
    WebSocket ws;
    ASSERT_TRUE(openRaw(raw, ws));
    const long before = heldKb();
    const std::string pings = repeated(serverFrameForTest(9, std::string(125, 'p')), 256);
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < end && raw.write(pings, 100)) {
    }
    EXPECT_LT(heldKb() - before, 64 * 1024);
}

TEST(WebSocketBounds, UnpolledMessagesAndUnsentBytesFailTheConnection) {
    // Nothing polls while the server floods: by bytes, then by count.
    for (const std::string& flood : {repeated(serverFrameForTest(2, std::string(65536, 'b')), 300),
                                     repeated(serverFrameForTest(2, "x"), 9000)}) {
        RawTestServer raw;
        WebSocket ws;
        ASSERT_TRUE(openRaw(raw, ws));
        raw.write(flood, 2000);
        expectFailure(ws, "Lost connection to the server.");
    }
    // The server stops reading: sending fails at the bound, not only after
    // the send time-out.
    RawTestServer raw;
    WebSocket ws;
    ASSERT_TRUE(openRaw(raw, ws));
    const std::string chunk(65536, 's');
    for (int i = 0; i < 400 && ws.state() == WsState::open; ++i) ws.sendBinary(chunk.data(), chunk.size());
    EXPECT_EQ(waitWhileOpen(ws, 2000), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Lost connection to the server.");
}

// A server that accepts and never answers, and one that answers a byte every
// half second: the upgrade has eight seconds in all.
TEST(WebSocketBounds, TheUpgradeEndsAfterEightSeconds) {
    RawTestServer silent, drip;
    WebSocket a, b;
    a.connect(silent.url());
    b.connect(drip.url());
    ASSERT_TRUE(silent.accept() && drip.accept());
    const std::string line = "HTTP/1.1 101 Switching Protocols\r\n"; // the head never ends
    auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; (a.state() == WsState::connecting || b.state() == WsState::connecting) &&
                       std::chrono::steady_clock::now() - start < std::chrono::seconds(12);
         ++i) {
        drip.write(line.substr(i % line.size(), 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    expectFailure(a, "Can't reach the server.");
    expectFailure(b, "Can't reach the server.");
}
