// The party server (tools/party-server) run on 127.0.0.1 for the life of one
// object, for the network tests and the server's load benchmark.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

class PartyServerProcess {
public:
    // Runs `node server.js --port 0 <options>` until its "listening PORT" line.
    explicit PartyServerProcess(const std::vector<std::string>& options = {});
    ~PartyServerProcess();
    PartyServerProcess(const PartyServerProcess&) = delete;
    PartyServerProcess& operator=(const PartyServerProcess&) = delete;

    bool running() const { return port_ > 0; }
    const std::string& problem() const { return problem_; }
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    // "ws://127.0.0.1:PORT" + path (or wss:// and the given host).
    std::string url(const std::string& path, bool secure = false, const std::string& host = "127.0.0.1") const;

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
    std::string problem_;
};

// A memory figure of a process in KiB from /proc (field "VmRSS" for the
// resident size, "VmHWM" for its peak); 0 when unreadable.
long processMemoryKb(pid_t pid, const char* field);
// The server's process followed by its workers' (the children that
// "--workers N" starts), from /proc.
std::vector<pid_t> serverProcesses(pid_t pid);
