// Self-pipe for waking the connection worker (see wake_pipe.h).
#include "net/wake_pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool openWakePipe(WakePipe& p) {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    p.readFd = fds[0];
    p.writeFd = fds[1];
    return true;
}

void signalWakePipe(const WakePipe& p) {
    if (p.writeFd < 0) return;
    char byte = 1;
    while (write(p.writeFd, &byte, 1) < 0 && errno == EINTR) {
    }
}

void drainWakePipe(const WakePipe& p) {
    if (p.readFd < 0) return;
    char bytes[64];
    while (read(p.readFd, bytes, sizeof bytes) > 0) {
    }
}

void closeWakePipe(WakePipe& p) {
    if (p.readFd >= 0) close(p.readFd);
    if (p.writeFd >= 0) close(p.writeFd);
    p.readFd = p.writeFd = -1;
}
