// The WebSocket client's byte-level pieces without a network: address
// splitting, the upgrade request and the judgement of the answer, client
// frame building, and the reading of server frames into messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/ws_frames.h"
#include "net/ws_handshake.h"
#include "net/ws_url.h"
#include "tests/net/raw_test_server.h"

namespace {

std::string serverFrame(uint8_t opcode, const std::string& payload, bool final = true, uint8_t extraBits = 0) {
    return serverFrameForTest(opcode, payload, final, extraBits);
}

// A header announcing a payload of `length` bytes, without the payload.
std::string longHeader(uint8_t opcode, uint64_t length, bool final = true) {
    std::string f;
    f += static_cast<char>((final ? 0x80 : 0) | opcode);
    f += static_cast<char>(127);
    for (int i = 7; i >= 0; --i) f += static_cast<char>((length >> (8 * i)) & 0xFF);
    return f;
}

std::vector<WsEvent> drain(WsReceiver& r) {
    std::vector<WsEvent> events;
    while (true) {
        WsEvent e = nextWsEvent(r);
        if (e.kind == WsEventKind::needMore) return events;
        events.push_back(e);
        if (e.kind == WsEventKind::protocolError || e.kind == WsEventKind::tooLarge) return events;
    }
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

const char* kResponseHead = "HTTP/1.1 101 Switching Protocols\r\n"
                            "Upgrade: websocket\r\n"
                            "Connection: Upgrade\r\n";

} // namespace

TEST(WsUrl, SplitsAddresses) {
    WsUrl u;
    ASSERT_TRUE(parseWsUrl("ws://example.org", u));
    EXPECT_FALSE(u.secure);
    EXPECT_EQ(u.host, "example.org");
    EXPECT_EQ(u.port, 80);
    EXPECT_EQ(u.path, "/");
    ASSERT_TRUE(parseWsUrl("wss://example.org/api/party/new", u));
    EXPECT_TRUE(u.secure);
    EXPECT_EQ(u.port, 443);
    EXPECT_EQ(u.path, "/api/party/new");
    ASSERT_TRUE(parseWsUrl("ws://127.0.0.1:8080/x", u));
    EXPECT_EQ(u.host, "127.0.0.1");
    EXPECT_EQ(u.port, 8080);
    ASSERT_TRUE(parseWsUrl("ws://host:/x", u));
    EXPECT_EQ(u.port, 0);
    ASSERT_TRUE(parseWsUrl("ws://host:99999999999/x", u)); // saturates instead of overflowing
    EXPECT_EQ(u.port, 2147483647);
    // Any five characters count as a plain scheme.
    ASSERT_TRUE(parseWsUrl("xx://host", u));
    EXPECT_EQ(u.host, "host");
    EXPECT_FALSE(u.secure);
}

TEST(WsUrl, RefusesShortAddressesAndEmptyHosts) {
    WsUrl u;
    for (const char* url : {"", "ws:/", "wss:/", "wss://", "ws://", "ws:///path", "ws://:8080/x", "wss://:443",
                            "ws://bad host/", "ws://a\r\nb/"}) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(parseWsUrl(url, u));
    }
}

TEST(WsUrl, PathCannotBreakTheRequestLine) {
    WsUrl u;
    ASSERT_TRUE(parseWsUrl("ws://h/api/party/A B\r\nX: y", u));
    EXPECT_EQ(u.path, "/api/party/A%20B%0D%0AX:%20y");
    EXPECT_EQ(u.path.find_first_of(" \r\n"), std::string::npos);
    EXPECT_EQ(wsHostHeader(u), "h");
    ASSERT_TRUE(parseWsUrl("wss://h:8443/", u));
    EXPECT_EQ(wsHostHeader(u), "h:8443");
}

TEST(WsHandshake, AcceptValueFromTheProtocolExample) {
    EXPECT_EQ(wsAcceptFor("dGhlIHNhbXBsZSBub25jZQ=="), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
    std::string a = makeWsKey();
    std::string b = makeWsKey();
    EXPECT_EQ(a.size(), 24u); // 16 bytes in base64
    EXPECT_NE(a, b);
}

TEST(WsHandshake, RequestAsksForTheUpgrade) {
    WsUrl u;
    ASSERT_TRUE(parseWsUrl("ws://127.0.0.1:9000/api/party/new", u));
    std::string request = buildUpgradeRequest(u, "KEY");
    EXPECT_EQ(request.rfind("GET /api/party/new HTTP/1.1\r\n", 0), 0u);
    for (const char* line : {"Host: 127.0.0.1:9000\r\n", "User-Agent: KorvaloVantero/2\r\n", "Upgrade: websocket\r\n",
                             "Connection: Upgrade\r\n", "Sec-WebSocket-Key: KEY\r\n", "Sec-WebSocket-Version: 13\r\n"})
        EXPECT_NE(request.find(line), std::string::npos) << line;
    EXPECT_EQ(request.substr(request.size() - 4), "\r\n\r\n");
}

TEST(WsHandshake, JudgesTheAnswer) {
    const std::string key = "dGhlIHNhbXBsZSBub25jZQ==";
    const std::string accept = "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n";
    UpgradeAnswer a = judgeUpgradeResponse(std::string(kResponseHead) + accept + "\r\n", key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::accepted);
    // Header names and tokens in any case, tokens in lists.
    a = judgeUpgradeResponse("HTTP/1.1 101 OK\r\nupgrade: WebSocket\r\nCONNECTION: keep-alive, upgrade\r\n"
                             "sec-websocket-accept:s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n",
                             key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::accepted);
    a = judgeUpgradeResponse(std::string(kResponseHead) + "Sec-WebSocket-Accept: wrong=\r\n\r\n", key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::badUpgrade);
    a = judgeUpgradeResponse("HTTP/1.1 101 Switching Protocols\r\n" + accept + "\r\n", key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::badUpgrade);
    a = judgeUpgradeResponse("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::refused);
    EXPECT_EQ(a.status, 200);
    a = judgeUpgradeResponse("HTTP/1.0 4x4 Odd\r\n\r\n", key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::refused);
    EXPECT_EQ(a.status, 0);
    a = judgeUpgradeResponse("SSH-2.0-OpenSSH\r\n\r\n", key);
    EXPECT_EQ(a.verdict, UpgradeVerdict::notHttp);
    EXPECT_EQ(findResponseHeadEnd("HTTP/1.1 101 X\r\nA: b\r\n\r\nframes"), 24u);
    EXPECT_EQ(findResponseHeadEnd("HTTP/1.1 101 X\r\nA: b\r\n"), 0u);
}

TEST(WsFrames, ClientFramesAreMaskedWithEveryLengthForm) {
    const uint8_t mask[4] = {0x11, 0x22, 0x33, 0x44};
    for (size_t n : {size_t(0), size_t(125), size_t(126), size_t(65535), size_t(65536)}) {
        SCOPED_TRACE(n);
        std::string payload(n, '\0');
        for (size_t i = 0; i < n; ++i) payload[i] = static_cast<char>(i * 7);
        std::string f = encodeWsFrame(WsOpcode::binary, payload.data(), n, mask);
        EXPECT_EQ(uint8_t(f[0]), 0x82);
        ASSERT_TRUE(uint8_t(f[1]) & 0x80);
        size_t header = n <= 125 ? 2 : n <= 0xFFFF ? 4 : 10;
        ASSERT_EQ(f.size(), header + 4 + n);
        uint8_t code = uint8_t(f[1]) & 0x7F;
        EXPECT_EQ(code, n <= 125 ? n : n <= 0xFFFF ? 126 : 127);
        for (size_t i = 0; i < n; ++i) ASSERT_EQ(char(f[header + 4 + i] ^ mask[i & 3]), payload[i]);
    }
    std::string close = wsCloseStatus(1000);
    EXPECT_EQ(close, std::string("\x03\xE8", 2));
}

TEST(WsFrames, ReadsMessagesAndControlFrames) {
    std::string big(70000, 'x');
    std::string stream = serverFrame(1, "hello") + serverFrame(2, std::string("\0\xFF", 2)) + serverFrame(9, "p") +
                         serverFrame(2, big) + serverFrame(10, "") + serverFrame(8, wsCloseStatus(1000));
    std::vector<WsEvent> events = receiveAll(stream);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].kind, WsEventKind::message);
    EXPECT_FALSE(events[0].binary);
    EXPECT_EQ(events[0].bytes, "hello");
    EXPECT_TRUE(events[1].binary);
    EXPECT_EQ(events[1].bytes, std::string("\0\xFF", 2));
    EXPECT_EQ(events[2].kind, WsEventKind::ping);
    EXPECT_EQ(events[2].bytes, "p");
    EXPECT_EQ(events[3].bytes, big);
    EXPECT_EQ(events[4].kind, WsEventKind::pong);
    EXPECT_EQ(events[5].kind, WsEventKind::close);
    EXPECT_EQ(events[5].bytes, wsCloseStatus(1000));
}

TEST(WsFrames, FragmentsMakeOneMessageWithControlFramesBetween) {
    std::string stream = serverFrame(1, "he", false) + serverFrame(9, "x") + serverFrame(0, "ll", false) +
                         serverFrame(0, "o", true) + serverFrame(2, "b", false) + serverFrame(0, "in", true);
    // Fed byte by byte, the result is the same as fed at once.
    WsReceiver r;
    std::vector<WsEvent> events;
    for (char byte : stream) {
        feedWsReceiver(r, &byte, 1);
        for (WsEvent& e : drain(r)) events.push_back(e);
    }
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, WsEventKind::ping);
    EXPECT_EQ(events[1].kind, WsEventKind::message);
    EXPECT_EQ(events[1].bytes, "hello");
    EXPECT_FALSE(events[1].binary);
    EXPECT_TRUE(events[2].binary);
    EXPECT_EQ(events[2].bytes, "bin");
}

TEST(WsFrames, RefusesWhatTheProtocolForbids) {
    std::string masked = serverFrame(1, "hi");
    masked[1] = static_cast<char>(masked[1] | 0x80);
    EXPECT_EQ(firstKind(masked + "abcd"), WsEventKind::protocolError);
    EXPECT_EQ(firstKind(serverFrame(1, "hi", true, 0x40)), WsEventKind::protocolError);      // reserved bit
    EXPECT_EQ(firstKind(serverFrame(0, "stray")), WsEventKind::protocolError);               // nothing to continue
    EXPECT_EQ(firstKind(serverFrame(1, "a", false) + serverFrame(2, "b")), WsEventKind::protocolError);
    EXPECT_EQ(firstKind(serverFrame(3, "")), WsEventKind::protocolError);                    // unknown opcode
    EXPECT_EQ(firstKind(serverFrame(9, std::string(126, 'p'))), WsEventKind::protocolError); // control too long
    EXPECT_EQ(firstKind(serverFrame(9, "p", false)), WsEventKind::protocolError);            // fragmented control
    EXPECT_EQ(firstKind(longHeader(2, uint64_t(1) << 63)), WsEventKind::protocolError);
    // After an error nothing more is read.
    WsReceiver r;
    std::string bad = serverFrame(3, "") + serverFrame(1, "ok");
    feedWsReceiver(r, bad.data(), bad.size());
    EXPECT_EQ(nextWsEvent(r).kind, WsEventKind::protocolError);
    EXPECT_EQ(nextWsEvent(r).kind, WsEventKind::protocolError);
}

TEST(WsFrames, MessageSizeLimit) {
    // Refused from the header alone, before any payload is buffered.
    EXPECT_EQ(firstKind(longHeader(2, kWsMaxMessageBytes + 1)), WsEventKind::tooLarge);
    EXPECT_EQ(firstKind(longHeader(2, uint64_t(1) << 40)), WsEventKind::tooLarge);
    // Fragments count together.
    std::string half(kWsMaxMessageBytes / 2, 'h');
    EXPECT_EQ(firstKind(serverFrame(2, half, false) + serverFrame(0, half, false) + serverFrame(0, "!", true)),
              WsEventKind::tooLarge);
    // Exactly the limit is fine.
    std::vector<WsEvent> events = receiveAll(serverFrame(2, half, false) + serverFrame(0, half, true));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].bytes.size(), kWsMaxMessageBytes);
}
