// Connects and closes in a loop against a pinging party server, closing at
// every stage (during the lookup, the connect, the upgrade, while messages
// and pongs flow) and reconnecting the same handle. Built a second time
// under ThreadSanitizer, where it shows any race between the main thread
// and the connection worker.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "net/websocket.h"
#include "tests/net/party_server_process.h"
#include "tests/net/ws_test_support.h"

namespace {

constexpr int kRounds = 40;

} // namespace

TEST(WebSocketStress, ConnectAndCloseLoop) {
    PartyServerProcess server({"--ping-ms", "2"});
    ASSERT_TRUE(server.running()) << server.problem();
    WebSocket reused;
    int opened = 0;
    for (int round = 0; round < kRounds; ++round) {
        WebSocket fresh;
        WebSocket& ws = round % 2 ? reused : fresh;
        ws.connect(server.url("/api/party/new", false, round % 3 ? "127.0.0.1" : "localhost"));
        switch (round % 4) {
        case 0: break; // close at once
        case 1: std::this_thread::sleep_for(std::chrono::microseconds(200 * round)); break;
        default:
            if (!waitForState(ws, WsState::open)) break;
            ++opened;
            ws.sendText(helloText("STRESS"));
            if (round % 4 == 3) {
                EXPECT_EQ(waitForType(ws, "welcome").kind, JsonKind::object);
            }
            for (int i = 0; i < 20; ++i) { // close while this is still going out
                std::string bytes(64 + i, static_cast<char>(i));
                ws.sendBinary(bytes.data(), bytes.size());
                WsMessage m;
                ws.poll(m);
            }
            break;
        }
        ws.close();
        WsState s = ws.state();
        EXPECT_TRUE(s == WsState::closed || s == WsState::failed) << int(s);
        if (s == WsState::failed) ADD_FAILURE() << ws.lastError();
    }
    EXPECT_GT(opened, kRounds / 4);
}

TEST(WebSocketStress, ConnectReplacesAnOpenConnection) {
    PartyServerProcess server({"--ping-ms", "1"});
    ASSERT_TRUE(server.running()) << server.problem();
    WebSocket ws;
    for (int round = 0; round < 10; ++round) {
        ws.connect(server.url("/api/party/new"));
        ASSERT_TRUE(waitForState(ws, WsState::open));
        ws.sendText(helloText("AGAIN"));
        EXPECT_EQ(waitForType(ws, "welcome").kind, JsonKind::object);
    }
}
