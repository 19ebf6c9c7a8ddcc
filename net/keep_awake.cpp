// Keep-awake switch; nothing to do on Linux (see keep_awake.h).
#include "net/keep_awake.h"

void setKeepAwake(bool on) { (void)on; }
