// Test helpers for WebSocket tests: waiting for a state or a message with a
// time limit, and reading lobby messages by type.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "net/json.h"
#include "net/websocket.h"
#include "tests/net/party_server_process.h"

constexpr int kWsTestTimeoutMs = 10000;

bool waitForState(const WebSocket& ws, WsState state, int timeoutMs = kWsTestTimeoutMs);
// Wait until the state has left connecting (or connecting and open) and
// return the state then.
WsState waitWhileConnecting(const WebSocket& ws, int timeoutMs = kWsTestTimeoutMs);
WsState waitWhileOpen(const WebSocket& ws, int timeoutMs = kWsTestTimeoutMs);
bool waitForMessage(WebSocket& ws, WsMessage& out, int timeoutMs = kWsTestTimeoutMs);
// The next text message whose "t" is the type; other messages are skipped.
// Null when none comes in time.
JsonValue waitForType(WebSocket& ws, const std::string& type, int timeoutMs = kWsTestTimeoutMs);
// Messages that arrive within the time, all of them.
int countMessages(WebSocket& ws, int forMs);
std::string helloText(const std::string& alias);

// A test suite sharing one plain party server among its tests.
class PartyServerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new PartyServerProcess(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->running()) << server->problem(); }
    static PartyServerProcess* server;
};
