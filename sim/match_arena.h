// The part of the arena that a match moves: the court transform (the mirror
// while the teams attack the far end of a full court), whether the far hoop
// stands, and both hoop nets. The match writes it through MatchState::arena
// and steps the nets every tick; the renderer's Arena is built on it and
// draws from it.
#pragma once
#include <raylib.h>

#include "sim/hoop_net.h"

struct MatchArena {
    HoopNet nearNet;
    HoopNet farNet;
    bool fullCourt = false; // the far hoop is drawn and its net stepped
    Matrix courtMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};
