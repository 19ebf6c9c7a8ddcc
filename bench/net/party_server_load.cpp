// Load figures of the party server (tools/party-server, run on 127.0.0.1
// with WORKERS worker processes, 4 unless given; 1 is the lone process),
// driven by the game's own WebSocket client:
//   1. PARTIES parties of four in a match, each player sending one input
//      message per 60 Hz net tick for SECONDS (from the first tick after the
//      neutral opening, as the game does): the relayed message rate, the
//      delivery time, each server process's share of a core, the server's
//      memory (all its processes together), and every message lost, out of
//      order or delivered into another party (all should be 0);
//   2. CONNECTIONS connections opened (with a hello) and closed one after
//      the other, with the server's memory every tenth of the way.
// Every client here comes from 127.0.0.1, so the server's limit of
// connections per address is lifted to the number of players.
// Run from the build tree: bench/net/party_server_load [PARTIES SECONDS CONNECTIONS [WORKERS]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "net/json.h"
#include "net/match_packets.h"
#include "net/websocket.h"
#include "tests/net/party_server_process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPartySize = 4;
constexpr double kNetTickSeconds = 1.0 / 60.0;
constexpr auto kAnswerTimeout = std::chrono::seconds(10);
constexpr int kMemorySamples = 10;
constexpr int kDefaultWorkers = 4;

struct Player {
    WebSocket ws;
    int party = 0;
    int slot = -1;
    int id = 0;
    int32_t firstTick = 0;             // the first tick after the neutral ones
    int32_t nextTick[kPartySize] = {}; // the tick expected next from each slot
    long received = 0;
};

struct Tally {
    long outOfOrder = 0, wrongParty = 0;
    std::vector<double> latencyMs;
};

uint32_t nowMicros(Clock::time_point start) {
    return (uint32_t)std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

uint32_t u32At(const std::string& in, size_t at) {
    return getU32(reinterpret_cast<const uint8_t*>(in.data()) + at);
}

// One input message of one record: the record carries the sender's party and
// the moment it was sent.
std::string inputMessage(int slot, int32_t tick, int party, uint32_t sentAt) {
    std::string bytes = {1, (char)slot};
    putU32(bytes, (uint32_t)tick);
    bytes += (char)1;
    putU32(bytes, (uint32_t)party);
    putU32(bytes, sentAt);
    return bytes;
}

void check(Player& p, const std::string& bytes, Tally& t, Clock::time_point start) {
    if (bytes.size() != 15 || bytes[0] != 1) return;
    const int slot = (uint8_t)bytes[1];
    const int32_t tick = (int32_t)u32At(bytes, 2);
    if ((int)u32At(bytes, 7) != p.party || slot >= kPartySize) {
        ++t.wrongParty;
        return;
    }
    if (tick != p.nextTick[slot]) ++t.outOfOrder;
    p.nextTick[slot] = tick + 1;
    ++p.received;
    t.latencyMs.push_back((nowMicros(start) - u32At(bytes, 11)) / 1000.0);
}

// The next text message of the type (others are dropped); null on time-out.
JsonValue awaitText(WebSocket& ws, const char* type) {
    const auto deadline = Clock::now() + kAnswerTimeout;
    while (Clock::now() < deadline) {
        WsMessage m;
        if (!ws.poll(m)) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        JsonValue v = m.binary ? JsonValue{} : parseJson(m.bytes);
        if (jsonString(jsonGet(v, "t"), "") == type) return v;
    }
    return {};
}

bool enter(Player& p, const PartyServerProcess& server, const std::string& code) {
    p.ws.connect(server.url("/api/party/" + (code.empty() ? std::string("new") : code)));
    const auto deadline = Clock::now() + kAnswerTimeout;
    while (p.ws.state() == WsState::connecting && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    p.ws.sendText("{\"t\":\"hello\",\"alias\":\"LOAD\",\"ver\":3}");
    p.id = jsonInt(jsonGet(awaitText(p.ws, "welcome"), "id"), 0);
    return p.id > 0;
}

// A party of four in a running match; each player learns its slot.
bool startParty(std::vector<std::unique_ptr<Player>>& players, int party, const PartyServerProcess& server) {
    Player& host = *players[0];
    if (!enter(host, server, "")) return false;
    const std::string code = jsonString(jsonGet(awaitText(host.ws, "room"), "code"), "");
    for (int i = 1; i < kPartySize; ++i)
        if (!enter(*players[i], server, code)) return false;
    for (int i = 1; i < kPartySize; ++i) players[i]->ws.sendText("{\"t\":\"ready\",\"ready\":true}");
    for (int ready = 0; ready < kPartySize - 1;) { // the host sees every ready mark
        const JsonValue room = awaitText(host.ws, "room");
        if (room.kind == JsonKind::null) return false;
        ready = 0;
        for (const JsonValue& m : jsonGet(room, "members").items) ready += jsonGet(m, "ready").boolean ? 1 : 0;
    }
    host.ws.sendText("{\"t\":\"start\"}");
    for (auto& p : players) {
        const JsonValue start = awaitText(p->ws, "start");
        for (size_t k = 0; k < kPartySize; ++k)
            if (jsonInt(jsonGet(jsonAt(jsonGet(start, "slots"), k), "id"), 0) == p->id) p->slot = (int)k;
        p->party = party;
        p->firstTick = jsonInt(jsonGet(start, "delay"), 0);
        for (int32_t& next : p->nextTick) next = p->firstTick;
        if (p->slot < 0) return false;
    }
    return true;
}

// The sum over the server's processes.
double megabytes(const PartyServerProcess& server, const char* field) {
    long kb = 0;
    for (pid_t pid : serverProcesses(server.pid())) kb += processMemoryKb(pid, field);
    return kb / 1024.0;
}

// Processor seconds a process has used so far (user and system).
double cpuSeconds(pid_t pid) {
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) return 0;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    const char* p = std::strrchr(text, ')'); // the command may hold spaces
    unsigned long user = 0, system = 0;
    if (n == 0 || !p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2)
        return 0;
    return (double)(user + system) / (double)sysconf(_SC_CLK_TCK);
}

std::vector<double> cpuSeconds(const std::vector<pid_t>& pids) {
    std::vector<double> seconds;
    for (pid_t pid : pids) seconds.push_back(cpuSeconds(pid));
    return seconds;
}

// Each process's share of a core over `elapsed` seconds: the primary's
// first when there are workers.
void printCoreShares(const std::vector<double>& before, const std::vector<double>& after, double elapsed) {
    double total = 0;
    for (size_t i = 0; i < after.size(); ++i) total += after[i] - before[i];
    std::printf("  server processor time %.1f s in %.1f s; share of a core:", total, elapsed);
    for (size_t i = 0; i < after.size(); ++i) {
        const char* label = after.size() == 1 ? "" : i == 0 ? " primary" : i == 1 ? ", workers" : "";
        std::printf("%s %.0f %%", label, 100.0 * (after[i] - before[i]) / elapsed);
    }
    std::printf("\n");
}

// The server with its workers, with room for every player of the run on one address.
std::vector<std::string> serverOptions(int players, int workers) {
    return {"--max-connections-per-address", std::to_string(std::max(players, 1)), "--workers",
            std::to_string(workers)};
}

void relayLoad(int parties, double seconds, int workers) {
    PartyServerProcess server(serverOptions(parties * kPartySize, workers));
    if (!server.running()) {
        std::printf("party server: %s\n", server.problem().c_str());
        return;
    }
    const double idleMb = megabytes(server, "VmRSS");
    std::vector<std::vector<std::unique_ptr<Player>>> all(parties);
    for (int party = 0; party < parties; ++party) {
        for (int i = 0; i < kPartySize; ++i) all[party].push_back(std::make_unique<Player>());
        if (!startParty(all[party], party, server)) {
            std::printf("party %d could not start a match\n", party);
            return;
        }
    }
    const double setUpMb = megabytes(server, "VmRSS");
    Tally tally;
    const int ticks = (int)(seconds / kNetTickSeconds);
    const std::vector<pid_t> processes = serverProcesses(server.pid());
    const std::vector<double> cpuBefore = cpuSeconds(processes);
    const auto start = Clock::now();
    int sentTicks = 0;
    long sent = 0;
    // Sends on the 60 Hz schedule, then drains for a second.
    while (Clock::now() - start < std::chrono::duration<double>(seconds + 1.0)) {
        const int due = std::min(ticks, (int)(std::chrono::duration<double>(Clock::now() - start).count() /
                                              kNetTickSeconds) + 1);
        for (; sentTicks < due; ++sentTicks)
            for (auto& party : all)
                for (auto& p : party) {
                    const std::string bytes =
                        inputMessage(p->slot, p->firstTick + sentTicks, p->party, nowMicros(start));
                    p->ws.sendBinary(bytes.data(), bytes.size());
                    ++sent;
                }
        bool any = false;
        for (auto& party : all)
            for (auto& p : party)
                for (WsMessage m; p->ws.poll(m);) {
                    any = true;
                    if (m.binary) check(*p, m.bytes, tally, start);
                }
        if (!any) std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const std::vector<double> cpuAfter = cpuSeconds(processes);
    long delivered = 0, failed = 0;
    for (auto& party : all)
        for (auto& p : party) {
            delivered += p->received;
            failed += p->ws.state() != WsState::open ? 1 : 0;
        }
    const long expected = sent * (kPartySize - 1);
    std::sort(tally.latencyMs.begin(), tally.latencyMs.end());
    auto percentile = [&](double q) {
        return tally.latencyMs.empty() ? 0.0 : tally.latencyMs[(size_t)(q * (double)(tally.latencyMs.size() - 1))];
    };
    std::printf("relay: %d parties x %d players, one input message per player every 1/60 s for %.0f s; server: ",
                parties, kPartySize, seconds);
    if (workers == 1) std::printf("one process\n");
    else std::printf("a primary and %d workers\n", workers);
    std::printf("  messages sent %ld, delivered %ld of %ld, %.0f relayed per second\n", sent, delivered, expected,
                delivered / std::min(elapsed, seconds));
    std::printf("  lost %ld, out of order %ld, into another party %ld, connections failed %ld\n",
                std::max(0L, expected - delivered), tally.outOfOrder, tally.wrongParty, failed);
    std::printf("  delivery time (send to receive): median %.2f ms, 99th percentile %.2f ms, worst %.2f ms\n",
                percentile(0.5), percentile(0.99), percentile(1.0));
    printCoreShares(cpuBefore, cpuAfter, elapsed);
    std::printf("  server memory: %.0f MB idle, %.0f MB with the parties, peak %.0f MB (each process's peak, summed)\n",
                idleMb, setUpMb, megabytes(server, "VmHWM"));
}

void connectionLoop(int connections, int workers) {
    PartyServerProcess server(serverOptions(connections, workers));
    if (!server.running()) return;
    std::printf("connections: %d opened (hello, welcome) and closed in turn; server memory in MB every %d:\n ",
                connections, connections / kMemorySamples);
    int failed = 0;
    for (int i = 0; i < connections; ++i) {
        if (i % (connections / kMemorySamples) == 0) std::printf(" %.1f", megabytes(server, "VmRSS"));
        Player p;
        failed += enter(p, server, "") ? 0 : 1;
        p.ws.close();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::printf(" %.1f (peak %.1f), %d failed\n", megabytes(server, "VmRSS"), megabytes(server, "VmHWM"), failed);
}

} // namespace

int main(int argc, char** argv) {
    const int parties = argc > 1 ? std::atoi(argv[1]) : 100;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    const int connections = argc > 3 ? std::atoi(argv[3]) : 1000;
    const int workers = argc > 4 ? std::atoi(argv[4]) : kDefaultWorkers;
    if (parties < 1 || seconds <= 0 || connections < kMemorySamples || workers < 1) {
        std::printf("usage: party_server_load [PARTIES SECONDS CONNECTIONS [WORKERS]]\n");
        return 2;
    }
    relayLoad(parties, seconds, workers);
    connectionLoop(connections, workers);
    return 0;
}
