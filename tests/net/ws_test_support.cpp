// WebSocket test helpers and the party server process (see ws_test_support.h).
#include "tests/net/ws_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

// Reads the child's output until its "listening PORT" line; 0 on failure.
int readPort(int fd) {
    std::string seen;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (seen.find('\n') != std::string::npos)
            return seen.compare(0, 10, "listening ") == 0 ? std::atoi(seen.c_str() + 10) : 0;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char chunk[256];
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return 0;
        seen.append(chunk, static_cast<size_t>(n));
    }
    return 0;
}

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

PartyServerProcess::PartyServerProcess(const std::vector<std::string>& options) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        problem_ = "no pipe";
        return;
    }
    std::vector<std::string> args = {"node", KORVALO_SOURCE_DIR "/tools/party-server/server.js", "--port", "0"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    int spawned = posix_spawnp(&pid_, "node", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output_ = fds[0];
    if (spawned != 0) {
        pid_ = -1;
        problem_ = "cannot run node (is nodejs installed? tools/setup.sh installs it)";
        return;
    }
    port_ = readPort(output_);
    if (port_ <= 0) problem_ = "the party server did not start (run tools/setup.sh for its npm packages)";
}

PartyServerProcess::~PartyServerProcess() {
    if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
    if (output_ >= 0) close(output_);
}

std::string PartyServerProcess::url(const std::string& path, bool secure, const std::string& host) const {
    return std::string(secure ? "wss://" : "ws://") + host + ":" + std::to_string(port_) + path;
}

bool waitForState(const WebSocket& ws, WsState state, int timeoutMs) {
    return waitUntil([&] { return ws.state() == state; }, timeoutMs);
}

WsState waitWhileOpen(const WebSocket& ws, int timeoutMs) {
    waitUntil([&] { return ws.state() != WsState::connecting && ws.state() != WsState::open; }, timeoutMs);
    return ws.state();
}

bool waitForMessage(WebSocket& ws, WsMessage& out, int timeoutMs) {
    return waitUntil([&] { return ws.poll(out); }, timeoutMs);
}

JsonValue waitForType(WebSocket& ws, const std::string& type, int timeoutMs) {
    JsonValue found;
    for (WsMessage m; found.kind == JsonKind::null && waitForMessage(ws, m, timeoutMs);) {
        JsonValue v = m.binary ? JsonValue{} : parseJson(m.bytes);
        if (jsonString(jsonGet(v, "t"), "") == type) found = std::move(v);
    }
    return found;
}

std::string helloText(const std::string& alias) { return "{\"t\":\"hello\",\"alias\":" + quoteJson(alias) + ",\"ver\":3}"; }

JsonValue enterParty(WebSocket& ws, const std::string& url, const std::string& alias) {
    ws.connect(url);
    if (!waitForState(ws, WsState::open)) return JsonValue{};
    ws.sendText(helloText(alias));
    return waitForType(ws, "welcome");
}
