// The clock of the party and the netcode, in seconds: raylib's GetTime in the
// game. Tests that run without a window put a clock of their own here.
#pragma once

extern double (*netClock)();
