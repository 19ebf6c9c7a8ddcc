#include "net/net_clock.h"

#include <raylib.h>

double (*netClock)() = GetTime;
