// The lobby client under the simulated lag of KORVALO_LAG_MS=80, set before
// anything reads it (a program of its own, since it is read once per run):
// what arrived before the socket closed is delivered first, then the close.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "net/net_clock.h"
#include "net/party.h"
#include "tests/net/ws_test_support.h"

namespace {

[[maybe_unused]] const bool kLagSet = setenv("KORVALO_LAG_MS", "80", 1) == 0;

} // namespace

TEST_F(PartyServerSuite, ARefusedJoinShowsTheServersOwnMessage) {
    netClock = steadySeconds;
    auto party = std::make_unique<NetParty>();
    party->serverUrl = server->url("");
    joinParty(*party, "ZZZZZ", "LOST");
    for (int i = 0; i < 2000 && party->state != PARTY_ENDED; ++i) {
        updateParty(*party, 1 / 60.0f);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(party->state, PARTY_ENDED);
    EXPECT_EQ(party->errorText, "No party with that code.");
    EXPECT_EQ(party->socket.state(), WsState::closed);
}
