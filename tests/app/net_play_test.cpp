// Online play end to end: copies of the game play each other unattended
// through the project's own party server on 127.0.0.1, and their
// machine-readable lines (CODE, MEMBER, CHECK, DONE) say whether they stayed
// in step: as they are, after a forced desync, when a member is killed
// mid-match, and one on one under lag and jitter.
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "net/party.h"
#include "net/websocket.h"
#include "tests/app/game_process.h"
#include "tests/app/hostile_member.h"
#include "tests/net/party_server_process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Short matches on the cheapest graphics (a settings file without a
// "mouseSens" line would reset graphics to the highest), where software GL
// draws a frame in about 0.2 s. The driver's match clock counts frames while
// the netcode runs on frame time (at most 0.1 s a frame), so at ten frames a
// second or fewer every machine plays the same six net ticks a frame.
constexpr const char* kSettings = "graphics=2\nmouseSens=5\n";
constexpr const char* kFramesPerSecond = "10";
// What a run may take: the lobby, then sixty frames per second of match
// clock at up to half a second a frame (a slow machine drawing two games).
std::chrono::seconds runLimit(int matchSeconds) { return std::chrono::seconds(90 + matchSeconds * 60 / 2); }

struct Lines {
    std::vector<std::string> members;
    std::map<int, std::string> checks; // tick -> hash
    std::map<std::string, double> done; // DONE fields
    bool hasDone = false;
};

Lines readLines(const std::string& out) {
    Lines l;
    std::istringstream in(out);
    static const std::regex check(R"(^CHECK (\d+) ([0-9a-f]{8})$)");
    static const std::regex field(R"((\w+)=([-0-9.]+))");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (line.rfind("MEMBER ", 0) == 0) l.members.push_back(line);
        else if (std::regex_match(line, m, check)) l.checks[std::stoi(m[1])] = m[2];
        else if (line.rfind("DONE ", 0) == 0) {
            l.hasDone = true;
            for (std::sregex_iterator it(line.begin(), line.end(), field), end; it != end; ++it)
                l.done[(*it)[1]] = std::stod((*it)[2]);
        }
    }
    return l;
}

std::string codeIn(const std::string& out) {
    std::smatch m;
    static const std::regex code(R"(CODE ([A-Z0-9]{5})\n)");
    return std::regex_search(out, m, code) ? std::string(m[1]) : std::string();
}

// Ticks both peers printed, and those on which they disagree.
int commonChecks(const Lines& a, const Lines& b, int fromTick, std::vector<int>& differing) {
    int common = 0;
    for (const auto& [tick, hash] : a.checks) {
        auto other = b.checks.find(tick);
        if (other == b.checks.end() || tick < fromTick) continue;
        ++common;
        if (other->second != hash) differing.push_back(tick);
    }
    return common;
}

// On a loaded machine a game may take seconds over a frame, and so over its
// hello, and the server itself may read a backlog at once: its limits for
// the public are eased here (their own tests are the server's).
const std::vector<std::string> kServerOptions = {"--hello-timeout-ms", "60000", "--max-messages-per-second", "1000"};

struct Party {
    PartyServerProcess server;
    fs::path dir;
    GameProcess host, joiner;
    std::string code;
    std::chrono::seconds limit{0};
    std::string members = "2";        // the host starts once this many are in
    std::function<void()> holdLobby; // run before the joiner starts

    explicit Party(const std::string& name, const std::vector<std::string>& serverOptions = kServerOptions)
        : server(serverOptions), dir(prepareGameFolder(name, kSettings)), host(dir, "host"), joiner(dir, "joiner") {}

    // Host and joiner, each with its own extra environment.
    void start(const std::string& mode, int seconds, const std::vector<std::string>& hostEnv = {},
               const std::vector<std::string>& joinerEnv = {}) {
        ASSERT_TRUE(server.running()) << server.problem();
        limit = runLimit(seconds);
        const std::string url = server.url("");
        const std::vector<std::string> common = {"--server",    url, "--fps", kFramesPerSecond,
                                                 "--net-seconds", std::to_string(seconds)};
        std::vector<std::string> hostArgs = common, joinerArgs = common;
        hostArgs.insert(hostArgs.end(), {"--net-host", "HOSTY", mode, members});
        ASSERT_TRUE(host.start(hostArgs, hostEnv));
        ASSERT_TRUE(waitUntil(90s, [&] { return !(code = codeIn(host.out())).empty() || host.ended(); }))
            << host.err();
        ASSERT_FALSE(code.empty()) << host.out() << host.err();
        if (holdLobby) holdLobby();
        joinerArgs.insert(joinerArgs.end(), {"--net-join", code, "JOINY"});
        ASSERT_TRUE(joiner.start(joinerArgs, joinerEnv));
    }
    // Until the joiner has confirmed its first checked tick: the match is on.
    bool joinerChecked() {
        return waitUntil(limit, [&] { return !readLines(joiner.out()).checks.empty() || joiner.ended(); });
    }
    void finish() {
        EXPECT_EQ(waitForExit(host, limit), 0) << host.err();
        EXPECT_EQ(waitForExit(joiner, limit), 0) << joiner.err();
    }
};

// The host pictures its lobby once it has stood four seconds of frames with
// two members in it, and the joiner is quicker than that: a member who is
// never ready keeps the lobby open until the picture is there, then leaves.
void visitLobbyUntil(const std::string& url, const std::function<bool()>& done) {
    WebSocket ws;
    ws.connect(url);
    ASSERT_TRUE(waitUntil(60s, [&] { return ws.state() == WsState::open; })) << ws.lastError();
    ws.sendText("{\"t\":\"hello\",\"alias\":\"VISITOR\",\"ver\":" + std::to_string(kProtocolVersion) + "}");
    WsMessage unread;
    EXPECT_TRUE(waitUntil(300s, [&] {
        while (ws.poll(unread)) continue; // what the lobby says does not matter here
        return done();
    }));
    ws.close();
}

void expectInStep(const Lines& a, const Lines& b, int fromTick, int atLeast) {
    std::vector<int> differing;
    EXPECT_GE(commonChecks(a, b, fromTick, differing), atLeast);
    EXPECT_TRUE(differing.empty()) << "first differing tick " << differing.front();
}

// Host and joiner of a fifteen-second match played it to the end in step,
// told of no error, and went on well past the start.
void expectBothPlayedOn(const Party& p) {
    const Lines h = readLines(p.host.out()), j = readLines(p.joiner.out());
    ASSERT_TRUE(h.hasDone && j.hasDone) << p.host.out() << p.joiner.out();
    EXPECT_EQ(p.host.out().find("NETERROR"), std::string::npos) << p.host.out();
    EXPECT_EQ(p.joiner.out().find("NETERROR"), std::string::npos) << p.joiner.out();
    expectInStep(h, j, 0, 5);
    ASSERT_FALSE(h.checks.empty() || j.checks.empty());
    EXPECT_GT(h.checks.rbegin()->first, 1200);
    EXPECT_GT(j.checks.rbegin()->first, 1200);
}

// A third member who breaks the rules of the match (a gap in his ticks and a
// tick far in the future, then leaving; or rewriting ticks he sent) must
// neither freeze nor split the others' match: they play on in step, past the
// moment he acted, to the end.
void playWithAHostileThird(const char* name, Misbehaviour how) {
    Party p(name);
    p.members = "3";
    p.start("2v2", 15);
    HostileMember third(p.server.url(""), p.code, how);
    third.start();
    p.finish();
    EXPECT_TRUE(third.startedMatch());
    EXPECT_EQ(third.left(), how == Misbehaviour::leavesAfterAGap);
    EXPECT_EQ(readLines(p.host.out()).members.size(), 3u) << p.host.out();
    expectBothPlayedOn(p);
}

} // namespace

TEST(NetPlay, HostAndJoinerPlayOneMatchInStep) {
    Party p("net_play_basic");
    p.holdLobby = [&] {
        visitLobbyUntil(p.server.url("/api/party/" + p.code),
                        [&] { return fs::exists(p.dir / "host_lobby.png") || p.host.ended(); });
    };
    p.start("2v2", 30, {"KORVALO_NETSHOT=" + (p.dir / "host").string(), "KORVALO_NETWHEEL=1"});
    p.finish();
    const Lines h = readLines(p.host.out()), j = readLines(p.joiner.out());
    EXPECT_EQ(h.members.size(), 2u) << p.host.out();
    EXPECT_EQ(j.members, h.members);
    EXPECT_NE(p.host.out().find("MEMBER HOSTY side=0 slot=0 host=1"), std::string::npos) << p.host.out();
    expectInStep(h, j, 0, 30); // thirty seconds of frames, six ticks each
    ASSERT_TRUE(h.hasDone && j.hasDone) << p.host.out() << p.joiner.out();
    EXPECT_EQ(h.done.at("resyncs"), 0);
    EXPECT_EQ(j.done.at("resyncs"), 0);
    EXPECT_GE(j.done.at("emotes"), 1); // the joiner's emotes every 3 s
    EXPECT_GE(h.done.at("emotes"), 1);
    for (const char* shot : {"host_lobby.png", "host_game.png", "host_game1.png", "host_game2.png", "host_game3.png",
                             "host_game4.png"})
        EXPECT_TRUE(fs::exists(p.dir / shot)) << shot;
}

TEST(NetPlay, ADesyncedJoinerIsBroughtBackByTheHost) {
    Party p("net_play_desync");
    p.start("2v2", 8, {}, {"KORVALO_DESYNC=1"});
    p.finish();
    const Lines h = readLines(p.host.out()), j = readLines(p.joiner.out());
    ASSERT_TRUE(h.hasDone && j.hasDone) << p.host.out() << p.joiner.out();
    EXPECT_GE(j.done.at("resyncs"), 1);
    EXPECT_EQ(h.done.at("resyncs"), 0);
    expectInStep(h, j, 900, 1);
}

TEST(NetPlay, TheHostPlaysOnWhenTheJoinerIsKilled) {
    Party p("net_play_drop");
    p.start("2v2", 8);
    ASSERT_TRUE(p.joinerChecked()) << p.joiner.out();
    p.joiner.kill(SIGKILL);
    EXPECT_EQ(waitForExit(p.host, p.limit), 0) << p.host.err();
    const Lines h = readLines(p.host.out());
    EXPECT_TRUE(h.hasDone) << p.host.out();
    // The host's match went on past the moment the joiner was lost.
    ASSERT_FALSE(h.checks.empty());
    EXPECT_GT(h.checks.rbegin()->first, readLines(p.joiner.out()).checks.rbegin()->first);
}

// Lag and jitter on both sides make late inputs, so rollbacks, yet the two
// stay in step; one on one puts the humans in slots 0 and 2.
TEST(NetPlay, OneOnOneUnderLagAndJitterRollsBackButNeverSplits) {
    Party p("net_play_1v1_lag");
    const std::string hostLog = (p.dir / "host.netlog").string(), joinerLog = (p.dir / "joiner.netlog").string();
    const std::vector<std::string> lag = {"KORVALO_LAG_MS=80", "KORVALO_JITTER_MS=40"};
    std::vector<std::string> hostEnv = lag, joinerEnv = lag;
    hostEnv.push_back("KORVALO_NETLOG=" + hostLog);
    joinerEnv.push_back("KORVALO_NETLOG=" + joinerLog);
    p.start("1v1", 8, hostEnv, joinerEnv);
    p.finish();
    const Lines h = readLines(p.host.out()), j = readLines(p.joiner.out());
    EXPECT_NE(p.host.out().find("MEMBER HOSTY side=0 slot=0 host=1"), std::string::npos) << p.host.out();
    EXPECT_NE(p.host.out().find("MEMBER JOINY side=1 slot=2 host=0"), std::string::npos) << p.host.out();
    ASSERT_TRUE(h.hasDone && j.hasDone) << p.host.out() << p.joiner.out();
    EXPECT_GT(h.done.at("rollbacks") + j.done.at("rollbacks"), 0);
    EXPECT_GT(std::max(h.done.at("longest"), j.done.at("longest")), 0);
    expectInStep(h, j, 0, 2);
    const std::string a = readTextFile(hostLog), b = readTextFile(joinerLog);
    ASSERT_FALSE(a.empty());
    // The shorter log is a prefix of the longer: the same ticks, line for line.
    const size_t n = std::min(a.size(), b.size());
    EXPECT_EQ(a.substr(0, n), b.substr(0, n));
}

TEST(NetPlay, AMemberWhoLeavesAfterAGapInHisTicksFreezesNobody) {
    playWithAHostileThird("net_play_gap", Misbehaviour::leavesAfterAGap);
}

TEST(NetPlay, AMemberWhoRewritesHisInputsSplitsNobody) {
    playWithAHostileThird("net_play_rewrite", Misbehaviour::rewritesInputs);
}

// A server that stands still for 4.5 s mid-match (a busy machine) cuts
// nobody: its limits are the public ones here, but for the slow start.
TEST(NetPlay, AServerThatStallsMidMatchCutsNobody) {
    Party p("net_play_server_stall", {"--hello-timeout-ms", "60000"});
    p.start("2v2", 15);
    ASSERT_TRUE(p.joinerChecked()) << p.joiner.out();
    ASSERT_EQ(kill(p.server.pid(), SIGSTOP), 0);
    std::this_thread::sleep_for(4500ms);
    ASSERT_EQ(kill(p.server.pid(), SIGCONT), 0);
    p.finish();
    expectBothPlayedOn(p);
}
