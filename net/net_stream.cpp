// Non-blocking TCP and TLS stream for the connection worker (see
// net_stream.h).
#include "net/net_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

int millisecondsUntil(NetClock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - NetClock::now()).count();
    if (left <= 0) return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left) + 1; // round up: never wake just before it
}

bool isAddressLiteral(const std::string& host) {
    unsigned char scratch[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), scratch) == 1 || inet_pton(AF_INET6, host.c_str(), scratch) == 1;
}

// Connection result of a socket whose non-blocking connect went ahead.
bool connectSucceeded(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// Tries one address; ok, unreachable (try the next), stopped or noSocket.
OpenResult connectOne(int& fd, const addrinfo* address, const NetWaiter& waiter, NetClock::time_point deadline) {
    fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) return OpenResult::noSocket;
    int result;
    do {
        result = connect(fd, address->ai_addr, address->ai_addrlen);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return OpenResult::ok;
    if (errno != EINPROGRESS) {
        closeFd(fd);
        return OpenResult::unreachable;
    }
    WaitResult wait = waitForSocket(fd, POLLOUT, waiter, deadline, false, false);
    if (wait == WaitResult::ready && connectSucceeded(fd)) return OpenResult::ok;
    closeFd(fd);
    return wait == WaitResult::stopped ? OpenResult::stopped : OpenResult::unreachable;
}

IoResult tlsResult(NetStream& stream, int returned) {
    IoResult r;
    if (returned > 0) {
        r.status = IoStatus::ok;
        r.bytes = static_cast<size_t>(returned);
        return r;
    }
    switch (SSL_get_error(stream.ssl, returned)) {
    case SSL_ERROR_WANT_READ: r.status = IoStatus::wantRead; break;
    case SSL_ERROR_WANT_WRITE: r.status = IoStatus::wantWrite; break;
    case SSL_ERROR_ZERO_RETURN: r.status = IoStatus::closed; break;
    default:
        stream.tlsBroken = true;
        r.status = IoStatus::failed;
        break;
    }
    return r;
}

IoResult socketResult(ssize_t returned, bool reading) {
    IoResult r;
    if (returned > 0 || (returned == 0 && !reading)) {
        r.status = IoStatus::ok;
        r.bytes = static_cast<size_t>(returned);
    } else if (returned == 0) {
        r.status = IoStatus::closed;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        r.status = reading ? IoStatus::wantRead : IoStatus::wantWrite;
    }
    return r;
}

bool setUpTls(NetStream& stream, const std::string& host) {
    stream.context = SSL_CTX_new(TLS_client_method());
    if (!stream.context) return false;
    SSL_CTX_set_min_proto_version(stream.context, TLS1_2_VERSION);
    SSL_CTX_set_verify(stream.context, SSL_VERIFY_PEER, nullptr);
    // A missing trust store leaves nothing trusted, so the handshake fails:
    // that is the safe outcome, not an error here.
    SSL_CTX_set_default_verify_paths(stream.context);
    stream.ssl = SSL_new(stream.context);
    if (!stream.ssl || SSL_set_fd(stream.ssl, stream.fd) != 1) return false;
    SSL_set_mode(stream.ssl, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (isAddressLiteral(host)) return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(stream.ssl), host.c_str()) == 1;
    SSL_set_hostflags(stream.ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return SSL_set_tlsext_host_name(stream.ssl, host.c_str()) == 1 && SSL_set1_host(stream.ssl, host.c_str()) == 1;
}

} // namespace

WaitResult waitForSocket(int fd, short events, const NetWaiter& waiter, NetClock::time_point deadline,
                         bool forever, bool returnOnWake) {
    while (true) {
        pollfd fds[2] = {{fd, events, 0}, {waiter.wake ? waiter.wake->readFd : -1, POLLIN, 0}};
        int ready = poll(fds, 2, forever ? -1 : millisecondsUntil(deadline));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return WaitResult::failed;
        }
        if (fds[1].revents != 0) {
            drainWakePipe(*waiter.wake);
            if (waiter.stop && waiter.stop->load()) return WaitResult::stopped;
            if (returnOnWake) return WaitResult::woken;
        }
        if (fds[0].revents != 0) return WaitResult::ready;
        if (!forever && NetClock::now() >= deadline) return WaitResult::timedOut;
    }
}

OpenResult connectTcp(NetStream& stream, const addrinfo* addresses, const NetWaiter& waiter,
                      NetClock::time_point deadline) {
    bool anySocket = false;
    for (const addrinfo* address = addresses; address; address = address->ai_next) {
        OpenResult result = connectOne(stream.fd, address, waiter, deadline);
        if (result == OpenResult::ok) {
            int on = 1; // inputs are small and late ones cost rollbacks: no Nagle delay
            setsockopt(stream.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return result;
        }
        if (result == OpenResult::stopped) return result;
        anySocket = anySocket || result != OpenResult::noSocket;
        if (NetClock::now() >= deadline) break;
    }
    return anySocket ? OpenResult::unreachable : OpenResult::noSocket;
}

OpenResult startTls(NetStream& stream, const std::string& host, const NetWaiter& waiter,
                    NetClock::time_point deadline) {
    ERR_clear_error();
    if (!setUpTls(stream, host)) return OpenResult::noSocket;
    while (true) {
        ERR_clear_error();
        IoResult step = tlsResult(stream, SSL_connect(stream.ssl));
        if (step.status == IoStatus::ok) return OpenResult::ok;
        if (step.status != IoStatus::wantRead && step.status != IoStatus::wantWrite) {
            stream.tlsBroken = true;
            return OpenResult::unreachable;
        }
        short events = step.status == IoStatus::wantRead ? POLLIN : POLLOUT;
        WaitResult wait = waitForSocket(stream.fd, events, waiter, deadline, false, false);
        if (wait == WaitResult::stopped) return OpenResult::stopped;
        if (wait != WaitResult::ready) return OpenResult::unreachable;
    }
}

IoResult readStream(NetStream& stream, char* buffer, size_t capacity) {
    int chunk = capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
    if (stream.ssl) {
        ERR_clear_error();
        return tlsResult(stream, SSL_read(stream.ssl, buffer, chunk));
    }
    ssize_t n;
    do {
        n = recv(stream.fd, buffer, static_cast<size_t>(chunk), 0);
    } while (n < 0 && errno == EINTR);
    return socketResult(n, true);
}

IoResult writeStream(NetStream& stream, const char* data, size_t size) {
    if (size == 0) return IoResult{IoStatus::ok, 0};
    int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    if (stream.ssl) {
        ERR_clear_error();
        return tlsResult(stream, SSL_write(stream.ssl, data, chunk));
    }
    ssize_t n;
    do {
        n = send(stream.fd, data, static_cast<size_t>(chunk), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return socketResult(n, false);
}

void closeStream(NetStream& stream) {
    if (stream.ssl) {
        if (!stream.tlsBroken && SSL_is_init_finished(stream.ssl)) {
            ERR_clear_error();
            SSL_shutdown(stream.ssl);
        }
        SSL_free(stream.ssl);
        stream.ssl = nullptr;
    }
    if (stream.context) SSL_CTX_free(stream.context);
    stream.context = nullptr;
    stream.tlsBroken = false;
    closeFd(stream.fd);
}
