// Keeps the machine and the display from sleeping during an online match,
// when nobody may touch the keyboard for minutes. On Linux the game has no
// use for such a call, so the switch does nothing there.
#pragma once

void setKeepAwake(bool on);
