// Test helpers for WebSocket tests: waiting with a time limit for a state or
// a message, reading lobby messages by type, and a suite sharing one party
// server.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "net/json.h"
#include "net/websocket.h"
#include "tests/net/party_server_process.h"

constexpr int kWsTestTimeoutMs = 10000;

bool waitForState(const WebSocket& ws, WsState state, int timeoutMs = kWsTestTimeoutMs);
// The state once it has left connecting and open.
WsState waitWhileOpen(const WebSocket& ws, int timeoutMs = kWsTestTimeoutMs);
bool waitForMessage(WebSocket& ws, WsMessage& out, int timeoutMs = kWsTestTimeoutMs);
// The next text message whose "t" is the type, skipping others; null if none.
JsonValue waitForType(WebSocket& ws, const std::string& type, int timeoutMs = kWsTestTimeoutMs);
std::string helloText(const std::string& alias);
// A steady clock in seconds, for netClock in tests on real sockets.
double steadySeconds();
// Connects, says hello and returns the welcome (null on failure).
JsonValue enterParty(WebSocket& ws, const std::string& url, const std::string& alias = "P");

// A test suite sharing one plain party server among its tests.
class PartyServerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new PartyServerProcess(); }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override { ASSERT_TRUE(server->running()) << server->problem(); }
    static inline PartyServerProcess* server = nullptr;
};
