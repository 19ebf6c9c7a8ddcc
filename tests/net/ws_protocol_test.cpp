// The WebSocket client's byte-level pieces without a network: addresses, the
// upgrade answer, client frames and reading server frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/ws_frames.h"
#include "net/ws_handshake.h"
#include "net/ws_url.h"
#include "tests/net/raw_test_server.h"

namespace {

std::string frame(int opcode, const std::string& payload, bool final = true, int extraBits = 0) {
    return serverFrameForTest(opcode, payload, final, extraBits);
}

// A header announcing a payload of `length` bytes, without the payload.
std::string longHeader(uint64_t length) {
    std::string f = "\x82\x7F";
    for (int i = 7; i >= 0; --i) f += static_cast<char>((length >> (8 * i)) & 0xFF);
    return f;
}

std::vector<WsEvent> drain(WsReceiver& r) {
    std::vector<WsEvent> events;
    for (WsEvent e = nextWsEvent(r); e.kind != WsEventKind::needMore; e = nextWsEvent(r)) {
        events.push_back(e);
        if (e.kind == WsEventKind::protocolError || e.kind == WsEventKind::tooLarge) break;
    }
    return events;
}

std::vector<WsEvent> receiveAll(const std::string& bytes) {
    WsReceiver r;
    feedWsReceiver(r, bytes.data(), bytes.size());
    return drain(r);
}

WsEventKind firstKind(const std::string& bytes) {
    std::vector<WsEvent> events = receiveAll(bytes);
    return events.empty() ? WsEventKind::needMore : events.front().kind;
}

} // namespace

TEST(WsUrlAndHandshake, AddressesAndTheAnswerToOurKey) {
    WsUrl u;
    ASSERT_TRUE(parseWsUrl("wss://example.org", u));
    EXPECT_TRUE(u.secure && u.port == 443 && u.path == "/");
    ASSERT_TRUE(parseWsUrl("ws://127.0.0.1:8080/x", u));
    EXPECT_FALSE(u.secure);
    EXPECT_EQ(u.host, "127.0.0.1");
    EXPECT_EQ(u.port, 8080);
    EXPECT_EQ(u.path, "/x");
    EXPECT_EQ(wsHostHeader(u), "127.0.0.1:8080");
    ASSERT_TRUE(parseWsUrl("ws://host:99999999999/x", u)); // saturates instead of overflowing
    EXPECT_EQ(u.port, 2147483647);
    ASSERT_TRUE(parseWsUrl("ws://h/api/party/A B\r\nX: y", u)); // the path cannot break the request line
    EXPECT_EQ(u.path, "/api/party/A%20B%0D%0AX:%20y");
    const std::string key = "dGhlIHNhbXBsZSBub25jZQ==";
    EXPECT_EQ(wsAcceptFor(key), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo="); // the protocol's own example
    // Each connection asks with a key of its own: 16 fresh random bytes.
    const std::string first = makeWsKey(), second = makeWsKey();
    EXPECT_EQ(first.size(), 24u);
    EXPECT_NE(first, second);
    // Header names and tokens in any case, tokens in lists; the upgrade headers are required.
    EXPECT_EQ(judgeUpgradeResponse("HTTP/1.1 101 OK\r\nupgrade: WebSocket\r\nCONNECTION: keep-alive, upgrade\r\n"
                                   "sec-websocket-accept:s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n",
                                   key)
                  .verdict,
              UpgradeVerdict::accepted);
    EXPECT_EQ(judgeUpgradeResponse("HTTP/1.1 101 OK\r\nSec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n", key)
                  .verdict,
              UpgradeVerdict::badUpgrade);
    // A status line without three digits is a refusal with no status.
    const UpgradeAnswer odd = judgeUpgradeResponse("HTTP/1.0 4x4 Odd\r\n\r\n", key);
    EXPECT_EQ(odd.verdict, UpgradeVerdict::refused);
    EXPECT_EQ(odd.status, 0);
}

TEST(WsFrames, FragmentsMakeOneMessageWithControlFramesBetween) {
    std::string big(70000, 'x');
    std::string stream = frame(1, "he", false) + frame(9, "x") + frame(0, "ll", false) + frame(0, "o", true) +
                         frame(2, "b", false) + frame(0, "in", true) + frame(2, big) + frame(10, "") +
                         frame(8, wsCloseStatus(1000));
    // Fed byte by byte.
    WsReceiver r;
    std::vector<WsEvent> events;
    for (char byte : stream) {
        feedWsReceiver(r, &byte, 1);
        for (WsEvent& e : drain(r)) events.push_back(e);
    }
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].kind, WsEventKind::ping);
    EXPECT_EQ(events[0].bytes, "x");
    EXPECT_EQ(events[1].kind, WsEventKind::message);
    EXPECT_EQ(events[1].bytes, "hello");
    EXPECT_FALSE(events[1].binary);
    EXPECT_TRUE(events[2].binary);
    EXPECT_EQ(events[2].bytes, "bin");
    EXPECT_EQ(events[3].bytes, big);
    EXPECT_EQ(events[4].kind, WsEventKind::pong);
    EXPECT_EQ(events[5].kind, WsEventKind::close);
    EXPECT_EQ(events[5].bytes, std::string("\x03\xE8", 2));
}

TEST(WsFrames, RefusesWhatTheProtocolForbids) {
    std::string masked = frame(1, "hi");
    masked[1] = static_cast<char>(masked[1] | 0x80);
    for (const std::string& bad : {masked + "abcd", frame(1, "hi", true, 0x40) /* reserved bit */,
                                   frame(0, "stray"), frame(1, "a", false) + frame(2, "b"), frame(3, "") /* opcode */,
                                   frame(9, std::string(126, 'p')), frame(9, "p", false), longHeader(uint64_t(1) << 63)})
        EXPECT_EQ(firstKind(bad), WsEventKind::protocolError);
    // After an error nothing more is read.
    WsReceiver r;
    std::string bad = frame(3, "") + frame(1, "ok");
    feedWsReceiver(r, bad.data(), bad.size());
    EXPECT_EQ(nextWsEvent(r).kind, WsEventKind::protocolError);
    EXPECT_EQ(nextWsEvent(r).kind, WsEventKind::protocolError);
}

TEST(WsFrames, MessageSizeLimit) {
    // Refused from the header alone, before any payload is buffered.
    EXPECT_EQ(firstKind(longHeader(kWsMaxMessageBytes + 1)), WsEventKind::tooLarge);
    EXPECT_EQ(firstKind(longHeader(uint64_t(1) << 40)), WsEventKind::tooLarge);
    // Fragments count together; exactly the limit is fine.
    std::string half(kWsMaxMessageBytes / 2, 'h');
    EXPECT_EQ(firstKind(frame(2, half, false) + frame(0, half, false) + frame(0, "!", true)), WsEventKind::tooLarge);
    std::vector<WsEvent> events = receiveAll(frame(2, half, false) + frame(0, half, true));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].bytes.size(), kWsMaxMessageBytes);
}
