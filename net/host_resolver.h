// Name lookup with a time limit. getaddrinfo cannot be interrupted, so it
// runs on a short-lived detached thread of its own; the caller waits at most
// the time limit and gives up early when its stop flag is set, and an
// abandoned lookup frees its own result when it finally returns.
#pragma once
#include <netdb.h>

#include <atomic>
#include <memory>
#include <string>

struct AddrInfoFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddrList = std::unique_ptr<addrinfo, AddrInfoFree>;

enum class ResolveResult { found, notFound, stopped, noThread };

ResolveResult resolveHost(const std::string& host, int port, int timeoutMs, const std::atomic<bool>& stop,
                          AddrList& out);
