// The party server as a child process (see party_server_process.h).
#include "tests/net/party_server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

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

long processMemoryKb(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const size_t length = std::strlen(field);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    return 0;
}

std::vector<pid_t> serverProcesses(pid_t pid) {
    std::vector<pid_t> pids = {pid};
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (long child; children >> child;) pids.push_back((pid_t)child);
    return pids;
}
