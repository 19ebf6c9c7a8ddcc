// Test helper: runs tools/party-server (Node.js) on 127.0.0.1 with a free
// port for the life of one object, with optional test switches, and stops it.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

class PartyServerProcess {
public:
    // Starts `node server.js --port 0 <options>` and waits for its
    // "listening PORT" line; running() tells whether that worked.
    explicit PartyServerProcess(const std::vector<std::string>& options = {});
    ~PartyServerProcess();
    PartyServerProcess(const PartyServerProcess&) = delete;
    PartyServerProcess& operator=(const PartyServerProcess&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    const std::string& problem() const { return problem_; }
    // "ws://127.0.0.1:PORT" + path (or wss:// and the given host).
    std::string url(const std::string& path, bool secure = false, const std::string& host = "127.0.0.1") const;

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
    std::string problem_;
};
