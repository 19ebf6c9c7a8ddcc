// A self-pipe that lets the main thread wake the connection worker out of a
// poll(): send() after queueing bytes, close() after setting the stop flag.
// Both ends are non-blocking; a full pipe already means "wake up".
#pragma once

struct WakePipe {
    int readFd = -1;
    int writeFd = -1;
};

bool openWakePipe(WakePipe& pipe);
void signalWakePipe(const WakePipe& pipe);
// Empties the pipe so the next poll() blocks again.
void drainWakePipe(const WakePipe& pipe);
void closeWakePipe(WakePipe& pipe);
