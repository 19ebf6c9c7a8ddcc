// Time-limited name lookup (see host_resolver.h).
#include "net/host_resolver.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// How often a waiting caller looks at its stop flag.
constexpr auto kStopCheckInterval = std::chrono::milliseconds(20);

struct Lookup {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int error = 0;
    addrinfo* list = nullptr;
};

void runLookup(std::shared_ptr<Lookup> lookup, std::string host, std::string service) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    int error = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    std::lock_guard<std::mutex> hold(lookup->lock);
    if (lookup->abandoned) {
        if (list) freeaddrinfo(list);
        return;
    }
    lookup->error = error;
    lookup->list = error == 0 ? list : nullptr;
    lookup->finished = true;
    lookup->done.notify_all();
}

} // namespace

ResolveResult resolveHost(const std::string& host, int port, int timeoutMs, const std::atomic<bool>& stop,
                          AddrList& out) {
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread(runLookup, lookup, host, std::to_string(port)).detach();
    } catch (const std::system_error&) {
        return ResolveResult::noThread;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> hold(lookup->lock);
    while (!lookup->finished) {
        if (stop.load() || std::chrono::steady_clock::now() >= deadline) {
            lookup->abandoned = true;
            return stop.load() ? ResolveResult::stopped : ResolveResult::notFound;
        }
        lookup->done.wait_for(hold, kStopCheckInterval);
    }
    if (lookup->error != 0 || !lookup->list) return ResolveResult::notFound;
    out.reset(lookup->list);
    lookup->list = nullptr;
    return ResolveResult::found;
}
