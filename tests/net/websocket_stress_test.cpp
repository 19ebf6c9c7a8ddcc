// Connects and closes (twice) in a loop against a pinging party server,
// closing at every stage and reconnecting the same handle. Built a second
// time under ThreadSanitizer, where it shows any race with the worker.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/net/ws_test_support.h"

TEST(WebSocketStress, ConnectAndCloseLoop) {
    PartyServerProcess server({"--ping-ms", "2", "--max-messages-per-second", "100000"});
    ASSERT_TRUE(server.running()) << server.problem();
    const int rounds = 40;
    WebSocket reused;
    int opened = 0;
    for (int round = 0; round < rounds; ++round) {
        WebSocket fresh;
        WebSocket& ws = round % 2 ? reused : fresh;
        ws.connect(server.url("/api/party/new", false, round % 3 ? "127.0.0.1" : "localhost"));
        if (round % 4 == 1) std::this_thread::sleep_for(std::chrono::microseconds(200 * round));
        if (round % 4 >= 2 && waitForState(ws, WsState::open)) {
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
        }
        if (round % 8 == 7) { // connect replaces an open connection
            ws.connect(server.url("/api/party/new"));
            ASSERT_TRUE(waitForState(ws, WsState::open));
            ws.sendText(helloText("AGAIN"));
            EXPECT_EQ(waitForType(ws, "welcome").kind, JsonKind::object);
        }
        ws.close();
        ws.close();
        EXPECT_EQ(ws.state(), WsState::closed);
        EXPECT_EQ(ws.lastError(), "");
    }
    EXPECT_GT(opened, rounds / 4);
}
